#include "core/convert/OutputCheck.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/tools/Process.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace varnel {

namespace {

// Lengths past this are nonsense from a damaged file, not a real clip.
constexpr double kLongestSeconds = 1e9;

bool usableSeconds(double s)
{
    return std::isfinite(s) && s >= 0 && s <= kLongestSeconds;
}

QStringList textLines(const QString& text)
{
    // ffmpeg ends its status lines with CR; treat them as lines too.
    QStringList lines;
    for (const QString& l : text.split(u'\n')) {
        for (const QString& part : l.split(u'\r'))
            lines << part;
    }
    return lines;
}

// ffprobe's own line for a file it cannot open is "FILE: reason"; a
// demuxer's lines start with "[name @ 0x...]" and say less.
QString tellingError(const QString& output)
{
    QString best;
    QString fallback;
    for (const QString& raw : textLines(output)) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[')) {
            const int close = line.indexOf(QLatin1String("] "));
            fallback = close > 0 ? line.mid(close + 2).trimmed() : line;
        } else {
            best = line;
        }
    }
    if (best.isEmpty())
        return fallback;
    // The reason follows the last ": " (the file's name may hold one too).
    const int sep = best.lastIndexOf(QLatin1String(": "));
    if (sep >= 0 && !best.mid(sep + 2).trimmed().isEmpty())
        return best.mid(sep + 2).trimmed();
    return best;
}

} // namespace

ProbedOutput parseProbeOutput(const QString& ffprobeOutput, int exitCode)
{
    ProbedOutput r;
    if (exitCode != 0) {
        r.error = tellingError(ffprobeOutput);
        if (r.error.isEmpty())
            r.error = QStringLiteral("ffprobe ended with code %1").arg(exitCode);
        return r;
    }
    r.readable = true;
    for (const QString& raw : textLines(ffprobeOutput)) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("codec_type=video")) {
            r.video = true;
        } else if (line == QLatin1String("codec_type=audio")) {
            r.audio = true;
        } else if (line.startsWith(QLatin1String("duration="))) {
            const auto n = strictNumber(line.mid(9));  // "N/A" is no number
            if (n && usableSeconds(*n))
                r.seconds = *n;
        }
    }
    return r;
}

QString failedWriteLine(const QString& encoderOutput)
{
    static const QLatin1String kMarks[] = {
        QLatin1String("Error writing trailer"), QLatin1String("No space left on device"),
        QLatin1String("Error writing"), QLatin1String("Conversion failed")};
    for (const QString& line : textLines(encoderOutput)) {
        // ffmpeg indents its dump of streams and metadata and names the files
        // on "Input #"/"Output #" lines; there a title or a file name may hold
        // any text, so only its own messages count.
        if (line.isEmpty() || line.front().isSpace() || line.startsWith(QLatin1String("Input #"))
            || line.startsWith(QLatin1String("Output #")))
            continue;
        for (const QLatin1String& mark : kMarks) {
            if (line.contains(mark))
                return line.trimmed();
        }
    }
    return {};
}

double minimumSeconds(double clipSeconds)
{
    return clipSeconds - std::max(0.5, 0.03 * clipSeconds);
}

QString judgeOutput(const OutputExpectation& expected, const ProbedOutput& probed, const QString& encoderOutput)
{
    // The encoder's own word on a failed write says most about what went wrong.
    const QString failed = failedWriteLine(encoderOutput);
    if (!failed.isEmpty())
        return failed;
    if (!probed.readable) {
        return probed.error.isEmpty() ? QStringLiteral("the output cannot be read")
                                      : QStringLiteral("the output cannot be read: %1").arg(probed.error);
    }
    if (expected.video && !probed.video)
        return QStringLiteral("the output has no video stream");
    if (expected.audio && !probed.audio)
        return QStringLiteral("the output has no audio stream");
    // Without a known clip length there is nothing to measure against.
    if (!usableSeconds(expected.clipSeconds) || expected.clipSeconds <= 0)
        return {};
    // Some containers (SWF) state no length at all: their streams and the
    // encoder's word are all there is to go by.
    if (!usableSeconds(probed.seconds))
        return {};
    if (probed.seconds < minimumSeconds(expected.clipSeconds)) {
        return QStringLiteral("the output lasts %1 of %2")
            .arg(secondsToTimeText(static_cast<long long>(std::floor(probed.seconds))),
                 secondsToTimeText(std::llround(expected.clipSeconds)));
    }
    return {};
}

OutputProbe::OutputProbe(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<ProbedOutput>();
}

OutputProbe::~OutputProbe() = default;  // the Process child ends its ffprobe

void OutputProbe::start(const QString& path)
{
    m_path = QFileInfo(path).absoluteFilePath();
    m_counting = false;
    launch(QStringLiteral(" -v error -show_entries stream=codec_type:format=duration -of default=noprint_wrappers=1 "));
}

void OutputProbe::launch(const QString& options)
{
    if (m_process) {
        // This may run inside the old probe's own Finished: let it unwind first.
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    QString program = qEnvironmentVariable("VARNEL_FFPROBE");
    if (program.isEmpty())
        program = QStringLiteral("ffprobe");

    Command c;
    // Absolute, so ffprobe reads no "name:" prefix as a protocol.
    c.quoted(program).literal(options).path(m_path);

    m_process = new Process(this);
    m_process->CmdLine = c;
    m_process->Async = true;
    m_process->timeoutMs = 60000;
    connect(m_process, &Process::Finished, this, &OutputProbe::onFinished, Qt::QueuedConnection);
    m_process->Launch();
}

void OutputProbe::onFinished()
{
    Process* done = m_process;
    if (!done || sender() != done)
        return;
    m_process = nullptr;
    ProbedOutput r;
    if (done->failedToStart()) {
        r.error = QStringLiteral("cannot start ffprobe");
    } else if (done->timedOut()) {
        r.error = QStringLiteral("ffprobe did not answer within 60 s");
    } else if (m_counting) {
        r = m_first;
        r.seconds = lengthFromFrames(done->StdOut());
    } else {
        r = parseProbeOutput(done->StdOut(), done->RC());
    }
    done->deleteLater();
    // A container that states no length (SWF): its video frames tell it.
    if (!m_counting && r.readable && r.video && r.seconds < 0) {
        m_first = r;
        m_counting = true;
        launch(QStringLiteral(" -v error -select_streams v:0 -count_packets"
                              " -show_entries stream=nb_read_packets,r_frame_rate -of default=noprint_wrappers=1 "));
        return;
    }
    emit probed(r);
}

double lengthFromFrames(const QString& ffprobeOutput)
{
    double frames = -1, rate = -1;
    for (const QString& line : ffprobeOutput.split(u'\n')) {
        const QString l = line.trimmed();
        if (l.startsWith(QLatin1String("nb_read_packets="))) {
            bool ok = false;
            const double n = l.mid(16).toDouble(&ok);
            frames = ok && std::isfinite(n) && n >= 0 && n < 1e12 ? n : -1;
        } else if (l.startsWith(QLatin1String("r_frame_rate="))) {
            const QStringList parts = l.mid(13).split(u'/');
            bool okNum = false, okDen = false;
            const double num = parts.value(0).toDouble(&okNum), den = parts.value(1, QStringLiteral("1")).toDouble(&okDen);
            rate = okNum && okDen && std::isfinite(num) && std::isfinite(den) && num > 0 && den > 0 ? num / den : -1;
        }
    }
    return frames >= 0 && rate > 0 && rate < 1e6 ? frames / rate : -1;
}

} // namespace varnel
