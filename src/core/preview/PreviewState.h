#pragma once
// One program-wide record shared by the source list, the option sheet, the
// preview player, the clip editor and the conversion run.
#include <QString>
#include <cstdint>

namespace varnel {

class Command;
class ToolRegistry;

struct PreviewState {
    std::int32_t playerProcessId = 0;   // set by every player start, never cleared
    QString previewFile;
    QString clipFile;
    QString clipStart, clipEnd, clipFullLength;
    std::int32_t elapsedSeconds = 0;
    std::int32_t totalSeconds = 0;
    QString lastPlayerCommand;
};

// Starts the player from the program folder and makes it the current one:
// its process id and command line go into the record. A failed start leaves
// the old process id in place. Returns the new process id or 0.
qint64 startPlayer(ToolRegistry& tools, PreviewState& preview, const QString& programFolder, const Command& command);

// Quit player: the current player, if one was ever started, is asked to
// quit; one that still runs 2 s later is ended, so that players never pile
// up. Nothing waits.
void quitPlayer(ToolRegistry& tools, const PreviewState& preview);
constexpr int kPlayerQuitGraceMs = 2000;

} // namespace varnel
