#include "core/preview/PreviewState.h"

#include "core/tools/PlayerCommand.h"
#include "core/tools/ToolRegistry.h"


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
    tools.end(pid, kPlayerQuitGraceMs);
}

} // namespace varnel
