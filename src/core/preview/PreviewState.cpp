#include "core/preview/PreviewState.h"

#include "core/tools/PlayerCommand.h"
#include "core/tools/ToolRegistry.h"

#include <QTimer>

namespace varnel {

qint64 startPlayer(ToolRegistry& tools, PreviewState& preview, const QString& programFolder, const Command& command)
{
    preview.lastPlayerCommand = command.text();
    const qint64 pid = tools.start(command, programFolder);
    if (pid != 0)
        preview.playerProcessId = static_cast<std::int32_t>(pid);
    return pid;
}

void quitPlayer(ToolRegistry& tools, const PreviewState& preview)
{
    const qint64 pid = preview.playerProcessId;
    if (pid == 0)
        return;
    postKeyToPlayer(tools, pid, Key::Quit);
    QTimer::singleShot(kPlayerQuitGraceMs, &tools, [&tools, pid] { tools.terminate(pid); });
}

} // namespace varnel
