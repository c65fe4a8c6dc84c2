#pragma once
// ffmpeg's "-progress" lines of a recording: the counts the capture window
// shows, and the last words ffmpeg said, to tell why a recording ended.
#include "core/capture/CaptureDevice.h"

#include <QByteArray>

namespace varnel {

struct CaptureProgress {
    CaptureStatistics statistics;
    qint64 dropped = 0, duplicated = 0;
    QByteArray errorTail; // the newest non-progress lines, at most 4 KB

    // One line (with or without its line end). A count out of any
    // recording's reach is unknown and leaves the figures as they were.
    void read(const QByteArray& line);
    // The last thing ffmpeg said, or empty.
    QString lastWords() const;
};

} // namespace varnel
