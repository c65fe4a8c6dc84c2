// The converter's window.
#include "app/DesktopShell.h"
#include "app/MainWindow.h"
#include "settings/Settings.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnel Video Converter"));
    varnel::DesktopShell shell;
    varnel::MainWindowServices services;
    services.programFolder = varnel::programFolder();
    services.shell = &shell;
    varnel::MainWindow window(services);
    window.show();
    return app.exec();
}
