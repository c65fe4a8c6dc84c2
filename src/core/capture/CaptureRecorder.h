#pragma once
// One ffmpeg run (through fp.dll) gives the live preview, the AVI recording
// and the statistics: the preview as raw BGRA frames on standard output,
// drained by a thread of its own that keeps the newest frame (an unread pipe
// would stall the recording), and "-progress" lines on standard error. A run
// without a preview (the command line) has no pipe and no thread.
#include "core/capture/CaptureDevice.h"
#include "core/capture/CaptureProgress.h"
#include "core/media/MediaFacts.h"
#include "core/convert/PartialFolder.h"
#include "core/tools/Command.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>


namespace varnel {

class PooledWork;
class Process;
class ToolRegistry;

struct RecorderInput {
    QString format; // ffmpeg's -f: v4l2, x11grab, lavfi
    QString source; // its -i
};

struct RecorderOptions {
    // Empty: preview only. Always written as AVI, whatever its name, first
    // to a partial in a private folder beside it; a file already there
    // stays, and the recording takes the next "_New" name.
    QString aviPath;
    int rate = 25;      // frames a second of the recording
    qint64 lengthMs = 0; // the recording's length, counted by ffmpeg; 0: until stopped
    bool preview = true; // raw frames for a picture on standard output
    int previewWidth = 320;
    int previewHeight = 240;
};

// The run's command line.
Command recorderCommand(const QString& programFolder, const RecorderInput& input, const RecorderOptions& options);

class CaptureRecorder : public QObject {
    Q_OBJECT
public:
    CaptureRecorder(QString programFolder, ToolRegistry& tools, QObject* parent = nullptr);
    ~CaptureRecorder() override;

    // False when the run could not be started.
    bool start(const RecorderInput& input, const RecorderOptions& options);
    // Until ended(): the encoder runs, or its file is being read and placed.
    // q first, which finishes the AVI; then terminate, then kill, each after
    // a grace time, so that nothing is left running.
    void stop();
    bool isRunning() const;
    bool isRecording() const { return isRunning() && !m_options.aviPath.isEmpty(); }

    CaptureStatistics statistics() const { return m_progress.statistics; }
    PreviewFrame latestFrame() const;
    void setGraceMs(int ms) { m_graceMs = ms; }

    // The last run's exit code as a shell reports it (0: its file is whole).
    int exitCode() const { return m_exitCode; }
    // Where the last recording went; empty when nothing whole was recorded.
    QString savedPath() const { return m_savedPath; }
    // Why the last start failed.
    QString startError() const { return m_startError; }

signals:
    void frameReady();
    // asked: the run ended as it was told, by stop() or at the length it was
    // given; otherwise reason says why it ended.
    void ended(bool asked, const QString& reason);

private:
    void readProgress(const QString& text);
public:
    struct RecordingRead {
        bool noFrame = false; // not one whole frame
        MediaFacts facts;
    };

private:
    // Reads the recording off this thread, then places it: then gets the
    // reason when nothing was saved.
    void finishRecording(std::function<void(const QString& why)> then);
    // Places a whole recording, or removes what is not one; the reason
    // when nothing was saved.
    QString placeRecording(output::PartialFolder& partials, const RecordingRead& read);
    void drain(int fd, int frameBytes);
    void joinReader();
    void clearFrame();

    QString m_programFolder;
    ToolRegistry& m_tools;
    RecorderOptions m_options;
    QPointer<Process> m_process;
    QString m_lines; // progress not yet read to its line's end
    std::thread m_reader;
    mutable std::mutex m_frameLock;
    PreviewFrame m_latest;
    std::atomic<bool> m_notifyPending{false};
    CaptureProgress m_progress;
    std::shared_ptr<output::PartialFolder> m_partials;
    output::PartialFile m_partial;
    QString m_savedPath;
    RecorderInput m_input; // of the last run
    QString m_startError;
    bool m_stopRequested = false;
    int m_exitCode = -1;
    int m_graceMs = 4000;
    PooledWork* m_finishing;
};

} // namespace varnel
