// A 10 s recording of a test pattern through varnel-convert capture, against
// the same recording by ffmpeg alone: CPU of each with every process it
// waited for (wait4's rusage), in one run, alternating.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QString frames(const QString& avi)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=nb_frames", "-of",
                        "default=nw=1:nk=1", avi});
    p.waitForFinished(-1);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath() + "/../bin";
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    const QString pattern = "testsrc=size=640x480:rate=25";
    qputenv("VARNEL_PROGRAM_FOLDER", bin.toUtf8());
    QTemporaryDir work;

    double plainCpu = 0, varnelCpu = 0;
    for (int r = 0; r < rounds; ++r) {
        const QString plainAvi = work.filePath(QString("plain%1.avi").arg(r));
        const bench::Usage plain = bench::measuredRun(
            "ffmpeg", {"-re", "-f", "lavfi", "-i", pattern, "-t", "10", "-c:v", "mjpeg", "-q:v", "3", "-fps_mode", "cfr",
                       "-r", "25", "-f", "avi", plainAvi},
            work.filePath("plain.log"));
        const QString varnelAvi = work.filePath(QString("varnel%1.avi").arg(r));
        const bench::Usage varnel = bench::measuredRun(
            bin + "/varnel-convert", {"capture", "--input", "lavfi:" + pattern, "--output", varnelAvi, "--seconds", "10"},
            work.filePath("varnel.log"));
        std::printf("round %d: ffmpeg alone %.3f s CPU, %.2f s wall, %s frames (exit %d)\n", r + 1, plain.cpu,
                    plain.wall, qPrintable(frames(plainAvi)), plain.status);
        std::printf("round %d: varnel-convert capture %.3f s CPU, %.2f s wall, %s frames (exit %d)\n", r + 1,
                    varnel.cpu, varnel.wall, qPrintable(frames(varnelAvi)), varnel.status);
        plainCpu += plain.cpu;
        varnelCpu += varnel.cpu;
    }
    std::printf("CPU ratio varnel-convert / ffmpeg alone: %.3f (goal <= 1.1)\n", varnelCpu / plainCpu);
    return 0;
}
