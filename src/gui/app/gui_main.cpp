// The converter's window.
#include "core/common/Interrupts.h"
#include "core/settings/Settings.h"
#include "core/workspace/HandOver.h"
#include "core/workspace/WindowLock.h"
#include "core/workspace/Workspace.h"
#include "gui/app/GuiMessages.h"
#include "gui/app/MainWindow.h"
#include "gui/app/PlatformChoice.h"
#include "gui/app/Translations.h"
#include "gui/capture/CaptureWindow.h"
#include "platform/DesktopShell.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace {

// How long a second start waits for a window that is still starting or
// closing to take its files (or to give the lock up).
constexpr int kHandOverPatienceMs = 15000;

} // namespace

int main(int argc, char** argv)
{
    varnel::choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel Video Converter"));
    // The program ends when the window says its tools have ended, not when
    // it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    const QString programFolder = varnel::programFolder();
    varnel::installTranslations(app, programFolder);
    const QString dataFolder = varnel::dataFolderFor(programFolder);

    // One window per user, display and data folder: a second start hands
    // its files to it and ends before it reads anything of the folder.
    varnel::WindowLock lock(dataFolder);
    const QList<QByteArray> files = varnel::absoluteArguments(argc, argv);
    switch (varnel::startOrHandOver(lock, files, kHandOverPatienceMs)) {
    case varnel::Start::HandedOver:
        return 0;
    case varnel::Start::NoAnswer:
        varnel::GuiMessages().error(QCoreApplication::translate(
            "main", "Varnel Video Converter is already open on this display, but it did not answer in time. It may "
                    "still add the files; if they do not appear, add them there."));
        return 1;
    case varnel::Start::Unguarded:
        std::fprintf(stderr, "varnel-video-converter: no list is kept, and further starts open windows of their own: %s\n",
                     qPrintable(lock.problem()));
        break;
    case varnel::Start::Window:
        break;
    }
    varnel::HandOverServer handOvers;
    if (lock.isHeld() && !handOvers.listen(lock))
        std::fprintf(stderr, "varnel-video-converter: further starts cannot hand files to this window: %s\n",
                     qPrintable(handOvers.errorString()));

    varnel::DesktopShell shell;
    varnel::GuiMessages messages;
    varnel::Workspace workspace(programFolder, shell, messages, nullptr, dataFolder);
    if (lock.isHeld() && !workspace.ownListFile(lock))
        std::fprintf(stderr, "varnel-video-converter: another window keeps the list of this data folder; this one keeps "
                             "none\n");
    varnel::MainWindow window(workspace, varnel::MainWindowServices{});
    messages.setOwner(&window);
    QObject::connect(&window, &varnel::MainWindow::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A terminate request or a hang-up closes the window as Exit does: a run
    // is cancelled and every tool ends first; a capture window on top
    // finishes its recording before that.
    varnel::Interrupts interrupts;
    QObject::connect(&interrupts, &varnel::Interrupts::interrupted, &window,
                     [&window] { varnel::closeCaptureFirst(window); });
    window.show();
    QStringList paths;
    for (const QByteArray& path : files)
        paths << QFile::decodeName(path);
    window.openFiles(paths);
    handOvers.setReceiver([&window](const QStringList& handed) { window.openHandedFiles(handed); },
                          [&window] { return window.takesHandedFiles(); });
    const int code = app.exec();
    handOvers.setReceiver({}, [] { return false; });
    return code;
}
