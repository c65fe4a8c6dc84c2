#pragma once
// Whether a converted output is whole: an encoder that exits 0 may still have
// left a short or unreadable file (a full disk, a killed muxer), so its row is
// "OK" only after ffprobe has looked at the partial file and it was judged here.
#include <QMetaType>
#include <QObject>
#include <QString>

namespace varnel {

class Process;

// What a whole output must hold, from the profile's form and the source.
struct OutputExpectation {
    bool video = false;       // the form makes video and the source has video
    bool audio = false;       // the form makes audio and the source has audio
    double clipSeconds = 0;   // the clip's length; 0 or less when unknown
};

// What ffprobe found in an output.
struct ProbedOutput {
    bool readable = false;
    bool video = false;
    bool audio = false;
    double seconds = -1;      // negative when ffprobe gave no usable length
    QString error;            // why it is not readable
};

// Reads the answer of
//   ffprobe -v error -show_entries stream=codec_type:format=duration
//           -of default=noprint_wrappers=1 FILE
// (standard output and error merged) and its exit code.
ProbedOutput parseProbeOutput(const QString& ffprobeOutput, int exitCode);

// The first line of the encoder's output that reports a failed write,
// trimmed; empty when there is none.
QString failedWriteLine(const QString& encoderOutput);

// The shortest length a whole output of that clip may have.
double minimumSeconds(double clipSeconds);

// Empty when the output is whole, otherwise the reason the user reads.
QString judgeOutput(const OutputExpectation& expected, const ProbedOutput& probed, const QString& encoderOutput);

// The length of a video stream from ffprobe's count of its frames and its
// frame rate (nb_read_packets=, r_frame_rate=); negative when unknown.
double lengthFromFrames(const QString& ffprobeOutput);

// Runs ffprobe ($VARNEL_FFPROBE, default "ffprobe" on PATH) on a file without
// blocking; probed() comes from the event loop, never from inside start().
class OutputProbe : public QObject {
    Q_OBJECT
public:
    explicit OutputProbe(QObject* parent = nullptr);
    ~OutputProbe() override;

    // A probe still running is dropped; only the new one reports.
    void start(const QString& path);

signals:
    void probed(const varnel::ProbedOutput& result);

private:
    void launch(const QString& options);
    void onFinished();

    Process* m_process = nullptr;
    QString m_path;
    bool m_counting = false; // the second look: counting frames
    ProbedOutput m_first;
};

} // namespace varnel

Q_DECLARE_METATYPE(varnel::ProbedOutput)
