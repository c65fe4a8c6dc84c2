#include "core/preview/PreviewState.h"

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

} // namespace varnel
