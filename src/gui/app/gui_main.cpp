// The converter's window.
#include "core/common/Interrupts.h"
#include "core/settings/Settings.h"
#include "gui/app/MainWindow.h"
#include "gui/app/PlatformChoice.h"
#include "gui/capture/CaptureWindow.h"
#include "platform/DesktopShell.h"

#include <QApplication>

int main(int argc, char** argv)
{
    varnel::choosePlatform();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel Video Converter"));
    // The program ends when the window says its tools have ended, not when
    // it is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    varnel::DesktopShell shell;
    varnel::MainWindowServices services;
    services.programFolder = varnel::programFolder();
    services.shell = &shell;
    varnel::MainWindow window(services);
    QObject::connect(&window, &varnel::MainWindow::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A terminate request or a hang-up closes the window as Exit does: a run
    // is cancelled and every tool ends first; a capture window on top
    // finishes its recording before that.
    varnel::Interrupts interrupts;
    QObject::connect(&interrupts, &varnel::Interrupts::interrupted, &window,
                     [&window] { varnel::closeCaptureFirst(window); });
    window.show();
    window.openFiles(QApplication::arguments().mid(1));
    return app.exec();
}
