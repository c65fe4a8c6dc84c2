#include "platform/DesktopShell.h"
#include "platform/PowerOff.h"

#include <QDesktopServices>
#include <QUrl>

namespace varnel {

void DesktopShell::openLink(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void DesktopShell::openHelp(const QString& helpFile)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

void DesktopShell::openFolder(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DesktopShell::shutdown()
{
    requestPowerOff();
}

} // namespace varnel
