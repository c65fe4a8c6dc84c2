#pragma once
#include "gui/app/MainWindow.h"
#include "platform/DesktopSignals.h"

#include <QComboBox>

namespace varnel::test {

// Chooses a catalogue entry the way a user's click does: the selection
// changes, then the chooser reports the choice.
inline void choose(QComboBox* chooser, int number)
{
    chooser->setCurrentIndex(number - 1);
    emit chooser->activated(number - 1);
}

// Window services that open nothing on the desktop, show no message box and
// reach no bus (a connection by a name never connected is no bus at all).
inline MainWindowServices quietServices(const QString& programFolder, ShellServices& shell, UserMessages& messages)
{
    MainWindowServices s;
    s.programFolder = programFolder;
    s.shell = &shell;
    s.messages = &messages;
    s.showModal = [](QDialog*) {};
    s.desktopSignals = [] {
        return std::make_unique<DesktopSignals>(QDBusConnection(QStringLiteral("varnel-no-bus")));
    };
    return s;
}

} // namespace varnel::test
