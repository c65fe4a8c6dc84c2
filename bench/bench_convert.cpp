// Converting 5 clips of 20 seconds with the iPad profile through
// varnel-convert, against the same encoder commands run one after another,
// and the converter's own CPU time while the encoders run.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath() + "/../bin";
    const QStringList files = bench::makeClips(QCoreApplication::applicationDirPath() + "/media", 5, 20);
    QTemporaryDir work;

    // Direct: each file's exact command, as the converter would build it.
    QElapsedTimer t;
    double direct = 0;
    for (int i = 0; i < files.size(); ++i) {
        QProcess cmd;
        cmd.start(bin + "/varnel-convert", {"command", "--choose", "2", "--source", files[i], "--end", "0:00:20",
                                            "--output", work.filePath(QString("direct%1.mp4").arg(i)), "--threads", "0",
                                            "--program-folder", work.path(), "--argv"});
        cmd.waitForFinished(-1);
        QStringList argv = QString::fromUtf8(cmd.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        argv[0] = bin + "/fp.dll";
        direct += bench::timedRun(argv.first(), argv.mid(1));
    }

    // Through the converter.
    QProcess conv;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARNEL_PROGRAM_FOLDER", bin);
    conv.setProcessEnvironment(env);
    conv.setStandardOutputFile(QProcess::nullDevice());
    conv.setStandardErrorFile(QProcess::nullDevice());
    QStringList args = {"convert", "--choose", "2", "--threads", "0", "--existing", "overwrite", "--output-folder", work.path()};
    args << files;
    t.start();
    conv.start(bin + "/varnel-convert", args);
    conv.waitForStarted();
    const qint64 pid = conv.processId();
    double cpu = 0;
    while (!conv.waitForFinished(100))
        cpu = std::max(cpu, bench::ownCpuSeconds(pid));
    const double converter = static_cast<double>(t.nsecsElapsed()) / 1e6;

    std::printf("direct encoder runs: %.0f ms\n", direct);
    std::printf("varnel-convert:      %.0f ms (exit %d)\n", converter, conv.exitCode());
    std::printf("wall-time ratio:     %.3f\n", converter / direct);
    std::printf("converter's own CPU: %.3f s = %.2f %% of its run\n", cpu, 100.0 * cpu * 1000.0 / converter);
    return 0;
}
