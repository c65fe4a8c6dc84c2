#include "core/capture/CaptureProgress.h"

#include <QCoreApplication>
#include <QString>

namespace varnel {

namespace {

// Frames or microseconds: a century of recording is far below this, and two
// of them still add up without overflow.
constexpr qint64 kMostProgressValue = qint64(1) << 60;
constexpr qsizetype kTailBytes = 4096;

} // namespace

void CaptureProgress::read(const QByteArray& raw)
{
    const QByteArray line = raw.trimmed();
    const qsizetype eq = line.indexOf('=');
    const QByteArray key = line.left(eq), value = line.mid(eq + 1);
    bool number = false;
    const qint64 v = value.toLongLong(&number);
    if (eq > 0 && number) {
        if (v < 0 || v > kMostProgressValue)
            return;
        if (key == "frame")
            statistics.framesCaptured = v;
        else if (key == "drop_frames")
            dropped = v;
        else if (key == "dup_frames")
            duplicated = v;
        else if (key == "out_time_us")
            statistics.elapsedMs = v / 1000;
        statistics.framesDropped = dropped + duplicated;
    } else if (eq < 0 && !line.isEmpty()) {
        errorTail += line + '\n';
        if (errorTail.size() > kTailBytes)
            errorTail.remove(0, errorTail.size() - kTailBytes);
    }
}

QString CaptureProgress::lastWords() const
{
    // ffmpeg's advice on its own options is not the user's to follow.
    QList<QByteArray> lines = errorTail.trimmed().split('\n');
    while (!lines.isEmpty() && (lines.last().trimmed().isEmpty() || lines.last().startsWith("To ignore this")))
        lines.removeLast();
    if (lines.isEmpty())
        return {};
    if (lines.last().contains("matches no streams"))
        return QCoreApplication::translate("varnel::CaptureRecorder", "the input has no video");
    return QString::fromUtf8(lines.last().trimmed());
}

} // namespace varnel
