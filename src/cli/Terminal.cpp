#include "cli/Terminal.h"

#include "cli/Output.h"
#include "core/settings/Settings.h"
#include "platform/PowerOff.h"

#include <QEventLoop>

namespace varnel::cli {

void TerminalMessages::information(const QString& text)
{
    err() << text << '\n' << Qt::flush;
}

void TerminalMessages::error(const QString& text)
{
    err() << "error: " << text << '\n' << Qt::flush;
}

void TerminalShell::shutdown()
{
    requestPowerOff();
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
