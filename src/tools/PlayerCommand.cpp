#include "tools/PlayerCommand.h"

#include "preview/PreviewState.h"
#include "tools/ToolRegistry.h"

namespace varnel {

QString playerOptionsText(PlayerOptions variant)
{
    // Variant | blanks after "100" | blanks after "gl2"
    static const int blanks[4][2] = {{3, 2}, {4, 1}, {4, 2}, {3, 3}};
    const auto& b = blanks[static_cast<int>(variant) - 1];
    return QStringLiteral(" -priority   abovenormal   -framedrop   -colorkey  0  -nokeepaspect   -framedrop   "
                          "-autosync   100") +
           QString(b[0], u' ') + QStringLiteral("-vo gl2") + QString(b[1], u' ') + QStringLiteral("-vf   screenshot ");
}

Command playerCommand(const QString& programFolder, quintptr windowHandle, PlayerOptions variant,
                      const QString& sourcePath, int offsetSeconds)
{
    Command c;
    c.quoted(programFolder + QStringLiteral("/mp.dll"));
    if (offsetSeconds >= 0)
        c.literal(QStringLiteral(" -ss ")).value(QString::number(offsetSeconds));
    c.literal(QStringLiteral(" -wid ")).value(QString::number(windowHandle)).literal(playerOptionsText(variant))
        .quoted(sourcePath);
    return c;
}

qint64 startPlayer(ToolRegistry& tools, PreviewState& preview, const QString& programFolder, const Command& command)
{
    preview.lastPlayerCommand = command.text();
    const qint64 pid = tools.start(command, programFolder);
    if (pid != 0)
        preview.playerProcessId = static_cast<std::int32_t>(pid);
    return pid;
}

void postKeyToPlayer(ToolRegistry& tools, const PreviewState& preview, int keyCode)
{
    tools.postKey(preview.playerProcessId, keyCode);
}

void postKeyToEncoder(ToolRegistry& tools, qint64 encoderProcessId, int keyCode)
{
    tools.postKey(encoderProcessId, keyCode);
}

} // namespace varnel
