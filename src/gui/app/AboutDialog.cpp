#include "gui/app/AboutDialog.h"

#include "gui/app/Artwork.h"
#include "gui/app/Skin.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

AboutDialog::AboutDialog(const QString& programFolder, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About"));
    setModal(true);
    applySkin(this, programFolder);

    auto* icon = new QLabel(this);
    icon->setPixmap(artwork::appIcon().pixmap(64, 64));
    auto* title = new QLabel(QStringLiteral("<b>Varnel Video Converter 3.70</b>"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    auto* mplayer = new QLabel(tr("This product includes software developed by the MPlayer Project."), this);
    auto* ffmpeg = new QLabel(tr("This product includes software developed by the FFMpeg Project."), this);
    auto* exit = new QPushButton(tr("Exit"), this);
    exit->setObjectName(QStringLiteral("cmdExit"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(new QLabel(tr("Convert your videos for every device you own."), this));
    text->addSpacing(8);
    text->addWidget(mplayer);
    text->addWidget(ffmpeg);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

} // namespace varnel
