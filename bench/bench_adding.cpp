// Adding 500 files through the main window: the wall time until every row is
// probed, one probe at a time (as adding used to be) against one probe a
// core, in one run. Goal: at most 0.6 of the time on 2 cores.
#include "BenchSupport.h"
#include "WindowBench.h"

#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"
#include "core/sources/MediaProbe.h"
#include "gui/app/MainWindow.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace {


// Seconds until every file's row is filled.
double addAll(const QString& programFolder, const QStringList& files, int probes)
{
    bench::QuietShell shell;
    bench::QuietMessages messages;
    const varnel::MainWindowServices services = bench::quietWindow(programFolder, shell, messages);
    varnel::MainWindow window(services);
    window.show();
    varnel::MediaProbe& probe = window.workspace().probe();
    probe.setParallel(probes);
    QElapsedTimer clock;
    QEventLoop done;
    QObject::connect(&probe, &varnel::MediaProbe::idle, &done, &QEventLoop::quit);
    clock.start();
    window.addDroppedFiles(files);
    done.exec();
    const double seconds = clock.elapsed() / 1000.0;
    window.close();
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A program folder of the benchmark's own: the list it keeps goes there.
    QTemporaryDir folder;
    bench::linkAdapters(folder);
    const QString clip = bench::makeClips(QCoreApplication::applicationDirPath() + "/media", 1, 10).first();
    constexpr int kFiles = 500;
    QStringList files;
    for (int i = 0; i < kFiles; ++i)
        files << clip;
    const int cores = std::max(1, QThread::idealThreadCount());
    const double serial = addAll(folder.path(), files, 1);
    const double parallel = addAll(folder.path(), files, cores);
    std::printf("%d files, one probe at a time: %.2f s\n%d files, %d probes at once: %.2f s\nratio %.2f (goal <= 0.6)\n",
                kFiles, serial, kFiles, cores, parallel, parallel / serial);
    return 0;
}
