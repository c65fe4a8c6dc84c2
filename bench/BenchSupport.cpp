#include "BenchSupport.h"

#include <QCoreApplication>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

QStringList makeClips(const QString& dir, int count, int seconds, const QString& size)
{
    QDir().mkpath(dir);
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const QString path =
            QStringLiteral("%1/clip%2-%3s-%4.mp4").arg(dir).arg(i, 2, 10, QChar('0')).arg(seconds).arg(size);
        // Written under another name first so that an interrupted run never leaves a truncated clip to reuse.
        const QString part = path + ".part.mp4";
        if (!QFileInfo::exists(path)
            && (QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                             QStringLiteral("testsrc=size=%1:rate=25:duration=%2").arg(size).arg(seconds),
                                             "-f", "lavfi", "-i",
                                             QStringLiteral("sine=frequency=%1:duration=%2").arg(300 + i).arg(seconds),
                                             "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                                             "-c:a", "aac", "-shortest", part}) != 0
                || !QFile::rename(part, path)))
            return {};
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

Usage measuredRun(const QString& program, const QStringList& args, const QString& logPath)
{
    // Everything the child needs is made before fork, so that the child only calls exec-safe functions.
    std::vector<std::string> strings{program.toStdString()};
    for (const QString& a : args)
        strings.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const std::string log = logPath.toStdString();

    Usage u;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (fd < 0 || in < 0)
            _exit(127);
        dup2(in, 0);
        dup2(fd, 1);
        dup2(fd, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        return u;
    int status = 0;
    rusage ru{};
    // wait4 reports the child together with every descendant it reaped.
    while (wait4(pid, &status, 0, &ru) < 0)
        if (errno != EINTR)
            return u;
    u.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    u.cpu = ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6;
    u.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return u;
}

QString converterTool()
{
    const QString binDir = qEnvironmentVariableIsEmpty("VARNEL_BENCH_BIN")
                               ? QCoreApplication::applicationDirPath() + "/../bin"
                               : qEnvironmentVariable("VARNEL_BENCH_BIN");
    const QString tool = QDir::cleanPath(binDir + "/varnel-convert");
    return QFileInfo(tool).isExecutable() ? tool : QString();
}

} // namespace bench
