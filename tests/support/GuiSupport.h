#pragma once
#include "gui/app/MainWindow.h"

#include <QComboBox>

namespace varnel::test {

// Chooses a catalogue entry the way a user's click does: the selection
// changes, then the chooser reports the choice.
inline void choose(QComboBox* chooser, int number)
{
    chooser->setCurrentIndex(number - 1);
    emit chooser->activated(number - 1);
}

// Window services that open nothing on the desktop and show no message box.
inline MainWindowServices quietServices(const QString& programFolder, ShellServices& shell, UserMessages& messages)
{
    MainWindowServices s;
    s.programFolder = programFolder;
    s.shell = &shell;
    s.messages = &messages;
    s.showModal = [](QDialog*) {};
    return s;
}

} // namespace varnel::test
