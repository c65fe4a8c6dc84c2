#pragma once
// What the window benchmarks share: desktop answers that open and show
// nothing, and a program folder of their own (the list the window keeps goes
// there, not into the build's).
#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"
#include "gui/app/MainWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace bench {

struct QuietShell : varnel::ShellServices {
    bool openLink(const QString&) override { return true; }
    bool openHelp(const QString&) override { return true; }
    bool openFolder(const QString&) override { return true; }
    void shutdown() override {}
};

struct QuietMessages : varnel::UserMessages {
    void information(const QString&) override {}
    void error(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

// Links to the build's adapters in a folder of the benchmark's own.
inline void linkAdapters(const QTemporaryDir& folder)
{
    const QString bin = QCoreApplication::applicationDirPath() + "/../bin";
    for (const char* name : {"fp.dll", "mp.dll"})
        QFile::link(bin + "/" + name, folder.filePath(name));
}

inline varnel::MainWindowServices quietWindow(const QString& programFolder, QuietShell& shell, QuietMessages& messages)
{
    varnel::MainWindowServices services;
    services.programFolder = programFolder;
    services.shell = &shell;
    services.messages = &messages;
    services.showModal = [](QDialog*) {};
    services.askYesNo = [](QWidget*, const QString&) { return false; };
    return services;
}

} // namespace bench
