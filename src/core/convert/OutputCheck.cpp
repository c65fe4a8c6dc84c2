#include "core/convert/OutputCheck.h"

#include "core/common/TimeText.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace varnel {

namespace {

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

const StreamFacts* firstOf(const MediaFacts& facts, StreamFacts::Kind kind)
{
    const StreamFacts* chosen = kind == StreamFacts::Kind::Video ? facts.chosenVideo() : facts.chosenAudio();
    return chosen && chosen->kind == kind ? chosen : nullptr;
}

// A video is whole when its frames are: its last frame starts where the
// source's last frame does, within a frame of the output. How long that
// last frame lasts is the muxer's guess (MP4 takes the frame before it),
// so a slow tail of a variable rate would otherwise count as missing. Only
// a clip that keeps the source's end knows where its last frame starts.
bool framesReachTheEnd(const StreamFacts& source, const StreamFacts& output, const ClipSpan& clip)
{
    if (source.kind != StreamFacts::Kind::Video || source.lastStartSeconds < 0 || output.lastStartSeconds < 0)
        return false;
    const double sourceEnd = source.startSeconds + source.seconds;
    if (clip.end >= 0 && clip.end < sourceEnd)
        return false;
    const double from = clip.start > 0 ? std::max(clip.start, source.startSeconds) : source.startSeconds;
    const double lastStart = source.startSeconds + source.lastStartSeconds - from;
    constexpr double kLongestFrame = 0.5;
    return output.lastStartSeconds >= lastStart - std::min(output.packetSeconds, kLongestFrame) - 0.001;
}

// One kind of stream of the output against its source; empty when whole.
QString judgeStream(const char* what, const StreamFacts& source, const StreamFacts* output, const ClipSpan& clip,
                    StreamFacts::Kind kind)
{
    // Packets whose times nothing tells: no output can be shown whole.
    if (source.seconds < 0 && source.packets > 0)
        return QCoreApplication::translate("varnel::OutputCheck", "the length of the source's %1 cannot be measured: its packets carry no time")
            .arg(QCoreApplication::translate("varnel::OutputCheck", what));
    const double wanted = expectedSeconds(source, clip);
    if (wanted <= 0) // the clip holds none of this stream
        return {};
    if (!output)
        return QCoreApplication::translate("varnel::OutputCheck", "the output has no %1 stream").arg(kind == StreamFacts::Kind::Video ? QCoreApplication::translate("varnel::OutputCheck", "video") : QCoreApplication::translate("varnel::OutputCheck", "audio"));
    const bool played = output->seconds >= 0 && output->seconds >= wanted - allowedShortfall(source, *output);
    if (!played && !framesReachTheEnd(source, *output, clip))
        return QCoreApplication::translate("varnel::OutputCheck", "the output's %1 lasts %2 of the %3 of the source")
            .arg(QCoreApplication::translate("varnel::OutputCheck", what), preciseTimeText(std::max(0.0, output->seconds)), preciseTimeText(wanted));
    // A clip with an end holds no more than it: more means the end was not kept.
    if (clip.end >= 0 && output->seconds > wanted + allowedShortfall(source, *output) + 1)
        return QCoreApplication::translate("varnel::OutputCheck", "the output's %1 lasts %2, more than the %3 of the clip")
            .arg(QCoreApplication::translate("varnel::OutputCheck", what), preciseTimeText(output->seconds), preciseTimeText(wanted));
    return {};
}

} // namespace

QString preciseTimeText(double seconds)
{
    const long long hundredths = std::llround(std::max(0.0, seconds) * 100);
    return QStringLiteral("%1:%2:%3.%4")
        .arg(hundredths / 360000)
        .arg((hundredths / 6000) % 60, 2, 10, QChar(u'0'))
        .arg((hundredths / 100) % 60, 2, 10, QChar(u'0'))
        .arg(hundredths % 100, 2, 10, QChar(u'0'));
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
        // The statistics file lives in the data folder, not with the output:
        // a full data folder costs the progress shown, never the file made.
        if (line.contains(QLatin1String("vstats file")))
            continue;
        for (const QLatin1String& mark : kMarks) {
            if (line.contains(mark))
                return line.trimmed();
        }
    }
    return {};
}

double expectedSeconds(const StreamFacts& source, const ClipSpan& clip)
{
    if (source.seconds < 0)
        return 0;
    if (clip.start <= 0 && clip.end < 0)
        return source.seconds;
    const double sourceEnd = source.startSeconds + source.seconds;
    const double from = std::max(clip.start, source.startSeconds);
    const double to = clip.end < 0 ? sourceEnd : std::min(clip.end, sourceEnd);
    return std::max(0.0, to - from);
}

double allowedShortfall(const StreamFacts& source, const StreamFacts& output)
{
    // The last packet of each may be cut anywhere; a source's packet counts
    // no longer than the output's (a slide show's frame lasts seconds, and
    // an output that lacks them lacks a picture), and none beyond half a
    // second. Recordings joined into one file carry their encoder's padding
    // once for each piece; the output, encoded in one go, once.
    constexpr double kLongestPacket = 0.5;
    const double out = std::min(output.packetSeconds, kLongestPacket);
    const double sourcePadding = source.paddingSeconds * std::max(1, source.pieces);
    return out + std::min(source.packetSeconds, out) + std::max(sourcePadding, output.paddingSeconds);
}

QString judgeOutput(const OutputExpectation& expected, const MediaFacts& source, const MediaFacts& output,
                    const QString& encoderOutput)
{
    // The encoder's own word on a failed write says most about what went wrong.
    const QString failed = failedWriteLine(encoderOutput);
    if (!failed.isEmpty())
        return failed;
    if (!output.readable)
        return QCoreApplication::translate("varnel::OutputCheck", "the output cannot be read: %1").arg(output.error);
    if (!source.readable)
        return QCoreApplication::translate("varnel::OutputCheck", "the source could not be read again to check the output: %1").arg(source.error);

    const StreamFacts* sourceVideo = firstOf(source, StreamFacts::Kind::Video);
    const StreamFacts* sourceAudio = firstOf(source, StreamFacts::Kind::Audio);
    // Black frames for a cover last as long as the sound they go with.
    const StreamFacts* videoMeasure = expected.coverVideo ? sourceAudio : sourceVideo;
    bool anyWanted = false;
    if (expected.video && videoMeasure) {
        anyWanted = anyWanted || expectedSeconds(*videoMeasure, expected.clip) > 0;
        const QString reason = judgeStream(QT_TRANSLATE_NOOP("varnel::OutputCheck", "video"), *videoMeasure, firstOf(output, StreamFacts::Kind::Video),
                                           expected.clip, StreamFacts::Kind::Video);
        if (!reason.isEmpty())
            return reason;
    }
    if (expected.audio && sourceAudio) {
        anyWanted = anyWanted || expectedSeconds(*sourceAudio, expected.clip) > 0;
        const QString reason = judgeStream(QT_TRANSLATE_NOOP("varnel::OutputCheck", "sound"), *sourceAudio, firstOf(output, StreamFacts::Kind::Audio),
                                           expected.clip, StreamFacts::Kind::Audio);
        if (!reason.isEmpty())
            return reason;
    }
    const bool made = (expected.video && videoMeasure) || (expected.audio && sourceAudio);
    if (made && !anyWanted)
        return QCoreApplication::translate("varnel::OutputCheck", "the clip from %1 is past the end of the source (%2)")
            .arg(preciseTimeText(expected.clip.start), preciseTimeText(source.seconds()));
    return {};
}

} // namespace varnel
