#pragma once
// Playback command lines of the player, and the two ways keys reach a tool.
#include "core/tools/Command.h"

#include <QString>

namespace varnel {

class ToolRegistry;

// The four spellings of the playback options; they differ only in the blanks
// before "-vo" and before "-vf".
enum class PlayerOptions { Variant1 = 1, Variant2, Variant3, Variant4 };
QString playerOptionsText(PlayerOptions variant);

// Plays from the beginning, or from a whole second when offsetSeconds >= 0,
// drawing into the window whose handle is given.
Command playerCommand(const QString& programFolder, quintptr windowHandle, PlayerOptions variant,
                      const QString& sourcePath, int offsetSeconds = -1);

// The two entry points for keys.
void postKeyToPlayer(ToolRegistry& tools, qint64 playerProcessId, int keyCode);
void postKeyToEncoder(ToolRegistry& tools, qint64 encoderProcessId, int keyCode);

} // namespace varnel
