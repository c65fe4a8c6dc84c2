#include "platform/DesktopShell.h"
#include "platform/PowerOff.h"

#include <QProcess>
#include <QUrl>

namespace varnel {

namespace {

// xdg-open says by its exit code whether any program took the address;
// QDesktopServices only says whether xdg-open started.
bool handOver(ShellServices& shell, const QString& address, const QString& what)
{
    // The program it starts is the user's: it must not end with us, so the
    // opener is no child of ours to end (an opener still running when we
    // quit is left to run).
    auto* opener = new QProcess;
    QObject::connect(opener, &QProcess::finished, opener, [&shell, opener, what](int code, QProcess::ExitStatus status) {
        if ((code != 0 || status != QProcess::NormalExit) && shell.notOpened)
            shell.notOpened(what);
        opener->deleteLater();
    });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [&shell, opener, what](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        if (shell.notOpened)
            shell.notOpened(what);
        opener->deleteLater();
    });
    opener->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    opener->start(QStringLiteral("xdg-open"), {address});
    return true;
}

} // namespace

bool DesktopShell::openLink(const QString& url)
{
    return handOver(*this, url, url);
}

bool DesktopShell::openHelp(const QString& helpFile)
{
    return handOver(*this, QUrl::fromLocalFile(helpFile).toString(), helpFile);
}

bool DesktopShell::openFolder(const QString& folder)
{
    return handOver(*this, QUrl::fromLocalFile(folder).toString(), folder);
}

void DesktopShell::shutdown()
{
    requestPowerOff();
}

} // namespace varnel
