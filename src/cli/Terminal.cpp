#include "cli/Terminal.h"

#include "cli/Output.h"
#include "core/common/PrintableText.h"
#include "core/settings/Settings.h"
#include "core/tools/ToolRegistry.h"
#include "platform/PowerOff.h"

#include <QEventLoop>
#include <QTimer>

namespace varnel::cli {

// Messages quote servers, pages and tools: nothing in them may act on the
// terminal.
void TerminalMessages::information(const QString& text)
{
    err() << printableLines(text) << '\n' << Qt::flush;
}

void TerminalMessages::information(const QString& text, const QString& details)
{
    err() << printableLines(text) << '\n';
    for (const QString& line : details.split(u'\n', Qt::SkipEmptyParts))
        err() << "  " << printableLines(line) << '\n';
    err() << Qt::flush;
}

void TerminalMessages::warning(const QString& text, const QString& details)
{
    information(QStringLiteral("warning: ") + text, details);
}

void TerminalMessages::error(const QString& text)
{
    err() << "error: " << printableLines(text) << '\n' << Qt::flush;
}

void TerminalShell::shutdown()
{
    if (tools)
        m_shutdown = requestPowerOff(*tools);
}

void TerminalShell::waitForShutdownRequest()
{
    if (!m_shutdown)
        return;
    QEventLoop wait;
    QObject::connect(m_shutdown, &QObject::destroyed, &wait, &QEventLoop::quit);
    QTimer::singleShot(15000, &wait, &QEventLoop::quit);
    wait.exec();
}

Session::Session() : workspace(programFolder(), shell, messages) {}

void probeInto(Workspace& workspace, const QStringList& files)
{
    workspace.addSources(files);
    if (workspace.probe().isBusy()) {
        QEventLoop loop;
        QObject::connect(&workspace.probe(), &MediaProbe::idle, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace varnel::cli
