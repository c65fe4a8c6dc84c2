// Adding 1000 files through the main window: the window's own CPU time for
// each hundred files, so that a cost that grows with the list shows. Goal:
// the last hundred cost no more than 1.2 times the first.
#include "BenchSupport.h"
#include "WindowBench.h"

#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"
#include "core/sources/MediaProbe.h"
#include "gui/app/MainWindow.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {


double ownCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
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
    const QString programFolder = folder.path();
    const QString clip = bench::makeClips(QCoreApplication::applicationDirPath() + "/media", 1, 10).first();
    bench::QuietShell shell;
    bench::QuietMessages messages;
    const varnel::MainWindowServices services = bench::quietWindow(programFolder, shell, messages);
    varnel::MainWindow window(services);
    window.show();

    constexpr int kFiles = 1000, kStep = 100;
    std::vector<double> perHundred;
    int added = 0;
    double mark = ownCpuSeconds();
    QObject::connect(&window.workspace().probe(), &varnel::MediaProbe::probed, [&] {
        if (++added % kStep == 0) {
            const double now = ownCpuSeconds();
            perHundred.push_back(now - mark);
            mark = now;
            if (added == kFiles)
                app.quit();
        }
    });
    // Added in one go, as a selection of the open dialog would be.
    QStringList files;
    for (int i = 0; i < kFiles; ++i)
        files << clip;
    window.addDroppedFiles(files);
    app.exec();

    for (size_t i = 0; i < perHundred.size(); ++i)
        std::printf("files %4zu-%4zu: %6.1f ms of the window's CPU per file\n", i * kStep + 1, (i + 1) * kStep,
                    1000.0 * perHundred[i] / kStep);
    const double ratio = perHundred.back() / perHundred.front();
    std::printf("last hundred / first hundred: %.2f (goal: at most 1.2)\n", ratio);
    return 0;
}
