#include "platform/DesktopShell.h"
#include "platform/PowerOff.h"

#include "core/tools/ToolRegistry.h"

#include <QUrl>

namespace varnel {

namespace {

// xdg-open's exit code when it found no program at all for the address.
constexpr int kNoProgramFound = 3;

// xdg-open says by its exit code whether any program took the address;
// QDesktopServices only says whether xdg-open started.
bool handOver(ShellServices& shell, ToolRegistry& tools, const QString& address, const QString& what,
              std::function<void(const QString&)> ShellServices::*noProgram = nullptr)
{
    // The program it starts is the user's: it must not end with us, so the
    // opener is the desktop's, neither ended nor waited for when we quit.
    ToolStart start;
    start.command.literal(QStringLiteral("xdg-open ")).quoted(address);
    start.ownedByDesktop = true;
    start.keptBytes = 0;
    Process* opener = tools.run(start);
    QObject::connect(opener, &Process::finished, opener, [&shell, opener, what, noProgram] {
        const bool failed = opener->exitCode() != 0 || opener->crashed() || opener->failedToStart();
        // No opener at all, or one that found no program for the address.
        const bool none = opener->failedToStart() || (!opener->crashed() && opener->exitCode() == kNoProgramFound);
        if (failed && none && noProgram && shell.*noProgram)
            (shell.*noProgram)(what);
        else if (failed && shell.notOpened)
            shell.notOpened(what);
        opener->deleteLater();
    });
    return true;
}

} // namespace

bool DesktopShell::openLink(const QString& url)
{
    return handOver(*this, runner(), url, url);
}

bool DesktopShell::openHelp(const QString& helpFile)
{
    return handOver(*this, runner(), QUrl::fromLocalFile(helpFile).toString(), helpFile);
}

bool DesktopShell::openFolder(const QString& folder)
{
    return handOver(*this, runner(), QUrl::fromLocalFile(folder).toString(), folder, &ShellServices::noFolderOpener);
}

void DesktopShell::shutdown()
{
    requestPowerOff(runner());
}

ToolRegistry& DesktopShell::runner()
{
    if (tools)
        return *tools;
    if (!m_own)
        m_own = std::make_unique<ToolRegistry>();
    return *m_own;
}

DesktopShell::DesktopShell() = default;
DesktopShell::~DesktopShell() = default;

} // namespace varnel
