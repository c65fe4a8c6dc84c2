#pragma once
// One program-wide record shared by the source list, the option sheet, the
// preview player, the clip editor and the conversion run.
#include <QString>
#include <cstdint>

namespace varnel {

struct PreviewState {
    std::int32_t playerProcessId = 0;   // set by every player start, never cleared
    QString previewFile;
    QString clipFile;
    QString clipStart, clipEnd, clipFullLength;
    std::int32_t elapsedSeconds = 0;
    std::int32_t totalSeconds = 0;
    QString lastPlayerCommand;
};

} // namespace varnel
