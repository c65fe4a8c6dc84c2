// A download of 400 MB: "varnel-convert download" of a page whose stream is
// the file, against "curl -o" of the file itself, both from a local server
// (python3 -m http.server on 127.0.0.1). Peak memory (the child's
// ru_maxrss) and wall time; goals: under 60 MB, within 1.3 times curl's time.
// The tool is taken from $VARNEL_BENCH_BIN (a folder), else from ../bin.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kFileBytes = 400LL << 20;
constexpr int kRounds = 5;

[[noreturn]] void fail(const QString& message)
{
    std::fprintf(stderr, "bench_download: %s\n", qPrintable(message));
    std::exit(1);
}

struct Run {
    double seconds = 0;
    double peakMb = 0;
};

// One child to its end, its output thrown away: wall time and the child's
// own peak memory, which only wait4 reports.
Run measured(const QStringList& command)
{
    std::vector<std::string> strings;
    for (const QString& a : command)
        strings.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) { // only what is safe between fork and exec
        const int null = open("/dev/null", O_RDWR);
        if (null < 0)
            _exit(127);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        fail("cannot fork");
    int status = 0;
    rusage ru{};
    while (wait4(pid, &status, 0, &ru) < 0)
        if (errno != EINTR)
            fail("wait4 failed");
    Run r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peakMb = static_cast<double>(ru.ru_maxrss) / 1024.0; // kilobytes on Linux
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(command.first() + " failed");
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void expectWhole(const QString& path)
{
    if (QFileInfo(path).size() != kFileBytes)
        fail(QStringLiteral("%1 holds %2 bytes, not %3").arg(path).arg(QFileInfo(path).size()).arg(kFileBytes));
    QFile::remove(path); // one 400 MB copy on disk at a time
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString tool = bench::converterTool();
    if (tool.isEmpty())
        fail(QStringLiteral("varnel-convert is missing (set VARNEL_BENCH_BIN to the folder that holds it)"));
    QTemporaryDir tmp;
    const QString site = tmp.filePath("site"), out = tmp.filePath("out");
    if (!tmp.isValid() || !QDir().mkpath(site) || !QDir().mkpath(out))
        fail("cannot make a temporary folder");

    // Bytes that do not compress, made once per run.
    QFile stream(site + "/stream.mp4");
    if (!stream.open(QIODevice::WriteOnly))
        fail("cannot write " + stream.fileName());
    QByteArray block(1 << 20, Qt::Uninitialized);
    quint64 x = 88172645463325252ULL;
    for (char& c : block) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        c = static_cast<char>(x);
    }
    for (qint64 written = 0; written < kFileBytes; written += block.size())
        if (stream.write(block) != block.size())
            fail("cannot write " + stream.fileName());
    stream.close();
    ::sync(); // its write-back must not weigh on the first round

    QTcpServer probe; // a free port for the server
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start("python3", {"-m", "http.server", "--bind", "127.0.0.1", "--directory", site, QString::number(port)});
    if (!server.waitForStarted())
        fail("cannot start python3 -m http.server");
    bool listening = false;
    for (int i = 0; i < 100 && !listening; ++i) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        listening = s.waitForConnected(100);
        if (!listening)
            QThread::msleep(100);
    }
    if (!listening)
        fail("the server does not answer");
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    QFile page(site + "/watch");
    const QByteArray twice = QUrl::toPercentEncoding(QUrl::toPercentEncoding(url + "stream.mp4"));
    if (!page.open(QIODevice::WriteOnly) ||
        page.write("'VIDEO_ID': 'b1', 'VIDEO_TITLE': 'Bench',\"fmt_url_map\": \"22%7C" + twice + "\"") < 0)
        fail("cannot write the page");
    page.close();

    std::vector<double> curlTime, curlMb, ownTime, ownMb;
    for (int round = 0; round < kRounds; ++round) {
        const Run c = measured({"curl", "-s", "-S", "-f", "-o", out + "/curl.mp4", url + "stream.mp4"});
        expectWhole(out + "/curl.mp4");
        const Run v = measured({tool, "download", url + "watch", "--format", "22", "--program-folder", out});
        expectWhole(out + "/Bench.mp4");
        std::printf("round %d: curl %.2f s %.1f MB   varnel-convert %.2f s %.1f MB\n", round + 1, c.seconds, c.peakMb,
                    v.seconds, v.peakMb);
        curlTime.push_back(c.seconds);
        curlMb.push_back(c.peakMb);
        ownTime.push_back(v.seconds);
        ownMb.push_back(v.peakMb);
    }
    server.terminate();
    server.waitForFinished(5000);

    const double ratio = median(ownTime) / median(curlTime);
    const double peak = *std::max_element(ownMb.begin(), ownMb.end());
    std::printf("download of %lld MB, median of %d rounds:\n", kFileBytes >> 20, kRounds);
    std::printf("  curl -o                  %6.2f s  peak %5.1f MB\n", median(curlTime), median(curlMb));
    std::printf("  varnel-convert download  %6.2f s  peak %5.1f MB (highest %.1f MB)\n", median(ownTime),
                median(ownMb), peak);
    std::printf("  time %.2fx curl (goal at most 1.30x): %s\n", ratio, ratio <= 1.3 ? "met" : "MISSED");
    std::printf("  memory (goal under 60 MB): %s\n", peak < 60 ? "met" : "MISSED");
    return 0;
}
