#include "BenchSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <unistd.h>

namespace bench {

QStringList makeClips(const QString& dir, int count, int seconds)
{
    QDir().mkpath(dir);
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/clip%2-%3s.mp4").arg(dir).arg(i, 2, 10, QChar('0')).arg(seconds);
        if (!QFileInfo::exists(path))
            QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                         QStringLiteral("testsrc=size=640x480:rate=25:duration=%1").arg(seconds),
                                         "-f", "lavfi", "-i", QStringLiteral("sine=frequency=%1:duration=%2").arg(300 + i).arg(seconds),
                                         "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                                         "-c:a", "aac", "-shortest", path});
        out << path;
    }
    return out;
}

double timedRun(const QString& program, const QStringList& args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(-1);
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

double ownCpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = f.readAll();
    // Fields after the command name in parentheses: utime and stime are the
    // 14th and 15th of the whole line.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
}

} // namespace bench
