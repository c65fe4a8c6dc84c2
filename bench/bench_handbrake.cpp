// Today's formats side by side with HandBrake on the same sources, in one
// run, alternating, three rounds each: wall time, output size and SSIM of
// each output against its source, as ratios of ours to HandBrake's.
// Goals at each profile's defaults: time <= 1.0, size <= 1.0, SSIM >= HandBrake's - 0.002.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

struct Pair {
    int entry;
    const char* ours;
    const char* preset; // HandBrake's
    const char* extension;
};

// Moving, textured pictures with grain, and sound: what a camera gives, not
// flat test patterns that any encoder shrinks to nothing.
QString makeSource(const QString& dir, const QString& size, int seconds)
{
    // 4:2:0 as cameras give it, where the height allows; 4:2:2 for an odd one.
    const QStringList wh = size.split('x');
    const QString chroma = wh.value(1).toInt() % 2 ? QStringLiteral("yuv422p") : QStringLiteral("yuv420p");
    const QString path = dir + QStringLiteral("/real-looking-%1-%2s-%3.mp4").arg(size).arg(seconds).arg(chroma);
    if (QFileInfo::exists(path))
        return path;
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                       QStringLiteral("mandelbrot=size=%1:rate=30,noise=alls=10:allf=t+u,hue=H=t/4").arg(size), "-f",
                       "lavfi", "-i", "anoisesrc=color=pink:amplitude=0.2", "-f", "lavfi", "-i", "sine=frequency=330",
                       "-filter_complex", "[1:a][2:a]amix=inputs=2[a]", "-map", "0:v", "-map", "[a]", "-t",
                       QString::number(seconds), "-c:v", "libx264", "-pix_fmt", chroma, "-crf", "12", "-preset", "veryfast", "-c:a", "aac",
                       "-b:a", "192k", "-ac", "2", path});
    p.waitForFinished(-1);
    return p.exitCode() == 0 ? path : QString();
}

double ssimOf(const QString& output, const QString& source, const QString& size)
{
    QProcess p;
    const QStringList wh = size.split('x');
    p.start("ffmpeg", {"-v", "info", "-i", output, "-i", source, "-lavfi",
                       QStringLiteral("[0:v]scale=%1:%2:flags=bicubic,setsar=1[a];[1:v]setsar=1[b];[a][b]ssim")
                           .arg(wh[0], wh[1]),
                       "-f", "null", "-"});
    p.waitForFinished(-1);
    static const QRegularExpression all(QStringLiteral("All:([0-9.]+)"));
    const auto m = all.match(QString::fromUtf8(p.readAllStandardError()));
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString handbrake = QStandardPaths::findExecutable("HandBrakeCLI");
    const QString converter = bench::converterTool();
    if (handbrake.isEmpty() || converter.isEmpty()) {
        std::printf("handbrake: skipped (%s is not installed)\n", handbrake.isEmpty() ? "HandBrakeCLI" : "varnel-convert");
        return 0;
    }
    const QString media = QCoreApplication::applicationDirPath() + "/media";
    QDir().mkpath(media);
    const QStringList sizes = {"1280x720", "720x405"};
    QStringList sources;
    for (const QString& size : sizes)
        sources << makeSource(media, size, 10);
    if (sources.contains(QString())) {
        std::printf("handbrake: could not make the sources\n");
        return 1;
    }
    const Pair pairs[] = {
        {103, "MP4 H.264", "Fast 1080p30", ".mp4"},
        {104, "MP4 H.265", "H.265 MKV 1080p30", ".mkv"},
        {105, "WebM AV1", "AV1 MKV 2160p60 4K", ".mkv"},
        {106, "WebM VP9", "VP9 MKV 1080p30", ".mkv"},
    };
    const int rounds = qEnvironmentVariableIntValue("VARNEL_BENCH_ROUNDS") > 0
                           ? qEnvironmentVariableIntValue("VARNEL_BENCH_ROUNDS")
                           : 3;
    QTemporaryDir work;
    std::printf("%-10s %-9s %-20s %9s %9s %11s %11s %8s %8s %9s\n", "ours", "source", "HandBrake", "time", "HB time",
                "size", "HB size", "SSIM", "HB SSIM", "verdict");
    for (const Pair& pair : pairs) {
        for (int s = 0; s < sources.size(); ++s) {
            std::vector<double> ourTimes, theirTimes;
            qint64 ourSize = 0, theirSize = 0;
            QString ourOutput, theirOutput;
            for (int round = 0; round < rounds; ++round) {
                // Alternating, so that a busy moment of the machine hurts both.
                const QString folder = work.filePath(QStringLiteral("ours-%1-%2-%3").arg(pair.entry).arg(s).arg(round));
                QDir().mkpath(folder);
                const bench::Usage ours = bench::measuredRun(
                    converter, {"convert", "--choose", QString::number(pair.entry), "--output-folder", folder, sources[s]},
                    work.filePath("ours.log"));
                if (ours.status != 0) {
                    std::printf("%s failed on %s\n", pair.ours, qPrintable(sources[s]));
                    return 1;
                }
                ourTimes.push_back(ours.wall);
                ourOutput = QDir(folder).entryInfoList(QDir::Files).value(0).filePath();
                ourSize = QFileInfo(ourOutput).size();

                theirOutput = work.filePath(QStringLiteral("hb-%1-%2-%3%4").arg(pair.entry).arg(s).arg(round).arg(pair.extension));
                const bench::Usage theirs = bench::measuredRun(
                    handbrake, {"-i", sources[s], "-o", theirOutput, "--preset", pair.preset}, work.filePath("hb.log"));
                if (theirs.status != 0) {
                    theirOutput.clear();
                    continue;
                }
                theirTimes.push_back(theirs.wall);
                theirSize = QFileInfo(theirOutput).size();
            }
            const double ourSsim = ssimOf(ourOutput, sources[s], sizes[s]);
            if (theirOutput.isEmpty()) {
                std::printf("%-10s %-9s %-20s %8.2fs %9s %10lldB %11s %8.4f   HandBrake could not convert this source\n",
                            pair.ours, qPrintable(sizes[s]), pair.preset, median(ourTimes), "-", ourSize, "-", ourSsim);
                std::fflush(stdout);
                continue;
            }
            const double theirSsim = ssimOf(theirOutput, sources[s], sizes[s]);
            const double time = median(ourTimes), theirTime = median(theirTimes);
            const bool met = time <= theirTime && ourSize <= theirSize && ourSsim >= theirSsim - 0.002;
            std::printf("%-10s %-9s %-20s %8.2fs %8.2fs %10lldB %10lldB %8.4f %8.4f %9s\n", pair.ours,
                        qPrintable(sizes[s]), pair.preset, time, theirTime, ourSize, theirSize, ourSsim, theirSsim,
                        met ? "met" : "not met");
            std::printf("%-10s %-9s ratios: time %.2f, size %.2f, SSIM %+.4f\n", "", "", time / theirTime,
                        double(ourSize) / theirSize, ourSsim - theirSsim);
            std::fflush(stdout);
        }
    }
    return 0;
}
