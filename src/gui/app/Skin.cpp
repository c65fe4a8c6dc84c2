#include "gui/app/Skin.h"

#include <QFile>
#include <QWidget>

namespace varnel {

void applySkin(QWidget* window, const QString& programFolder)
{
    QFile f(programFolder + QStringLiteral("/skins/frmmain.skn"));
    if (!window || !f.open(QIODevice::ReadOnly))
        return;
    window->setStyleSheet(QString::fromUtf8(f.readAll()));
}

} // namespace varnel
