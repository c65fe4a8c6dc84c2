// Conversion throughput: 40 one-second clips converted to MP3 with --jobs 1 and
// --jobs 2, against the same ffmpeg commands run one after another without the
// converter, and one 10 s clip through the converter against its encoder
// command run directly.
// The tool is taken from $VARNEL_BENCH_BIN (a folder), else from ../bin.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sched.h>
#include <vector>

namespace {

QString work; // every output folder and log lives here; kept when something fails

[[noreturn]] void fail(const QString& message, const QString& log = {})
{
    std::fprintf(stderr, "bench_jobs: %s\n", qPrintable(message));
    QFile f(log);
    if (!log.isEmpty() && f.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "--- end of %s ---\n%s\n", qPrintable(log), f.readAll().right(2000).constData());
    if (!work.isEmpty())
        std::fprintf(stderr, "outputs kept in %s\n", qPrintable(work));
    std::exit(1);
}

// A fresh output folder for one measurement.
QString folder(const QString& name)
{
    const QString dir = work + "/" + name;
    if (!QDir().mkpath(dir))
        fail("cannot make " + dir);
    return dir;
}

// One measured command; a failure ends the benchmark.
bench::Usage run(const QString& program, const QStringList& args, const QString& dir)
{
    const QString log = dir + ".log";
    const bench::Usage u = bench::measuredRun(program, args, log);
    if (u.status != 0)
        fail(QStringLiteral("%1 %2 ... ended with status %3 (-1: killed or not started)").arg(program, args.value(0)).arg(u.status), log);
    return u;
}

// A zero exit is not enough: every input must have given an MP3.
void expectOutputs(const QString& dir, qsizetype count)
{
    const qsizetype made = QDir(dir).entryList({"*.mp3"}, QDir::Files).size();
    if (made != count)
        fail(QStringLiteral("%1 holds %2 MP3 files, expected %3").arg(dir).arg(made).arg(count), dir + ".log");
}

bench::Usage convert(const QString& tool, const QStringList& clips, int jobs, const QString& name)
{
    const QString dir = folder(name);
    const bench::Usage u = run(tool, QStringList{"convert", "--profile", "MP3 Audio", "--threads", "1", "--jobs",
                                                 QString::number(jobs), "--output-folder", dir} + clips, dir);
    expectOutputs(dir, clips.size());
    return u;
}

// What the converter does for each clip, done by ffmpeg directly, one after another.
bench::Usage ffmpegLoop(const QStringList& clips, const QString& name)
{
    const QString dir = folder(name);
    bench::Usage total{0, 0, 0};
    for (const QString& clip : clips) {
        const bench::Usage u = run("ffmpeg", {"-nostdin", "-y", "-i", clip, "-vn", "-f", "mp3", "-acodec", "libmp3lame",
                                              "-ab", "128000", "-ac", "2", "-ar", "44100", "-threads", "1",
                                              dir + "/" + QFileInfo(clip).completeBaseName() + ".mp3"}, dir);
        total.wall += u.wall;
        total.cpu += u.cpu;
    }
    expectOutputs(dir, clips.size());
    return total;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A video profile, where the encoder's own work is what a user waits for: the
// converter against the very command it would run, started directly.
double longClipRatio(const QString& tool, const QString& clip)
{
    std::vector<double> viaTool, direct;
    for (int round = 0; round < 3; ++round) {
        const QString dir = folder(QStringLiteral("long%1").arg(round));
        viaTool.push_back(run(tool, {"convert", "--choose", "2", "--threads", "1", "--output-folder", dir + "/via", clip},
                              dir + "-convert").wall);
        QString argv;
        QDir().mkpath(dir + "/direct");
        QProcess command;
        command.start(tool, {"command", "--choose", "2", "--threads", "1", "--source", clip, "--end", "0:00:10",
                             "--output", dir + "/direct/clip.mp4", "--argv"});
        if (!command.waitForFinished(60000) || command.exitCode() != 0)
            fail("varnel-convert command did not answer");
        const QStringList args = QString::fromUtf8(command.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        direct.push_back(run(args.first(), args.mid(1), dir + "-direct").wall);
        if (!QFile::exists(dir + "/direct/clip.mp4") || QDir(dir + "/via").entryList(QDir::Files).size() != 1)
            fail("the 10 s clip was not converted", dir + "-convert.log");
    }
    std::printf("10 s clip to profile 2 (median of 3): convert %.2f s wall vs its command run directly %.2f s: "
                "ratio %.3f (goal <= 1.02)\n",
                median(viaTool), median(direct), median(viaTool) / median(direct));
    return median(viaTool) / median(direct);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString tool = bench::converterTool();
    if (tool.isEmpty())
        fail(QStringLiteral("varnel-convert is missing (set VARNEL_BENCH_BIN to the folder that holds it)"));
    QTemporaryDir tmp;
    if (!tmp.isValid())
        fail("cannot make a temporary folder");
    work = tmp.path();
    cpu_set_t set;
    const int cores = sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 1; // as nproc counts

    const QString media = QCoreApplication::applicationDirPath() + "/media";
    const QStringList clips = bench::makeClips(media, 40, 1, "320x240");
    const QStringList longClip = bench::makeClips(media, 1, 10, "320x240");
    if (clips.size() != 40 || longClip.size() != 1)
        fail("ffmpeg could not make the clips in " + media);

    const bench::Usage serial = convert(tool, clips, 1, "jobs1");
    const bench::Usage parallel = convert(tool, clips, 2, "jobs2");
    const bench::Usage loop = ffmpegLoop(clips, "loop");
    std::printf("convert --jobs 1: wall %.2f s, cpu %.2f s\n", serial.wall, serial.cpu);
    std::printf("convert --jobs 2: wall %.2f s, cpu %.2f s, wall / (cpu / %d cores) = %.2f\n", parallel.wall,
                parallel.cpu, cores, parallel.wall / (parallel.cpu / cores));
    std::printf("plain ffmpeg loop: wall %.2f s, cpu %.2f s\n", loop.wall, loop.cpu);
    std::printf("convert --jobs 2 wall / plain loop wall = %.2f (goal <= 1.1)\n", parallel.wall / loop.wall);
    // Without a clip the player's identify run is not needed and not made:
    // all the converter adds to the loop is its own.
    std::printf("converter's own cpu per file: (cpu jobs1 - cpu loop) / %lld = %.4f s (goal <= 0.02)\n",
                static_cast<long long>(clips.size()), (serial.cpu - loop.cpu) / clips.size());

    longClipRatio(tool, longClip.first());
    return 0;
}
