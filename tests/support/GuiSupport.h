#pragma once
#include "TestSupport.h"
#include "core/settings/Settings.h"
#include "core/workspace/WindowLock.h"
#include "gui/app/MainWindow.h"
#include "platform/DesktopSignals.h"

#include <QComboBox>
#include <QDir>
#include <QFile>

namespace varnel::test {

// Chooses a catalogue entry the way a user's click does: the selection
// changes, then the chooser reports the choice.
// The build's skin, in a test's program folder: its windows look as the user's.
inline bool copySkin(const QString& programFolder)
{
    return QDir().mkpath(programFolder + "/skins") &&
           QFile::copy(binDir() + "/skins/frmmain.skn", programFolder + "/skins/frmmain.skn");
}

inline void choose(QComboBox* chooser, int number)
{
    chooser->setCurrentIndex(number - 1);
    emit chooser->activated(number - 1);
}

// What a test window is made of: its window services, and what its
// workspace is made with.
struct WindowServices : MainWindowServices {
    QString programFolder;
    ShellServices* shell = nullptr;
    UserMessages* messages = nullptr;
};

// Window services that open nothing on the desktop, show no message box and
// reach no bus (a connection by a name never connected is no bus at all).
inline WindowServices quietServices(const QString& programFolder, ShellServices& shell, UserMessages& messages)
{
    WindowServices s;
    s.programFolder = programFolder;
    s.shell = &shell;
    s.messages = &messages;
    s.showModal = [](QDialog*) {};
    s.desktopSignals = [] {
        return std::make_unique<DesktopSignals>(QDBusConnection(QStringLiteral("varnel-no-bus")));
    };
    return s;
}

// What main gives its window: the live window's lock of the data folder,
// and a workspace that owns list.json under it.
struct OwnedByMain {
    explicit OwnedByMain(const WindowServices& s)
        : lock(dataFolderFor(s.programFolder)), ownWorkspace(s.programFolder, *s.shell, *s.messages)
    {
        if (lock.tryTake())
            ownWorkspace.ownListFile(lock);
    }
    WindowLock lock;
    Workspace ownWorkspace;
};

// A main window as the program has it, with what main owns for it.
class StandaloneWindow : private OwnedByMain, public MainWindow {
public:
    explicit StandaloneWindow(const WindowServices& s) : OwnedByMain(s), MainWindow(ownWorkspace, s) {}
};

} // namespace varnel::test
