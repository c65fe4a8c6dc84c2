#include "platform/DesktopShell.h"
#include "platform/PowerOff.h"

#include <QDesktopServices>
#include <QUrl>

namespace varnel {

bool DesktopShell::openLink(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

bool DesktopShell::openHelp(const QString& helpFile)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

bool DesktopShell::openFolder(const QString& folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DesktopShell::shutdown()
{
    requestPowerOff();
}

} // namespace varnel
