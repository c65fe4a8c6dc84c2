#include "core/tools/PlayerCommand.h"

#include "core/tools/ToolRegistry.h"

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
        .path(sourcePath);
    return c;
}

void postKeyToPlayer(ToolRegistry& tools, qint64 playerProcessId, int keyCode)
{
    tools.postKey(playerProcessId, keyCode);
}

void postKeyToEncoder(ToolRegistry& tools, qint64 encoderProcessId, int keyCode)
{
    tools.postKey(encoderProcessId, keyCode);
}

} // namespace varnel
