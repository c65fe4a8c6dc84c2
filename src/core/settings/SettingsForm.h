#pragma once
// What the settings dialog shows and stores, apart from the window itself.
#include <QCoreApplication>
#include <QString>

namespace varnel {

class Settings;

inline QString kThreadError()
{
    return QCoreApplication::translate("varnel::SettingsForm", "Thread error!");
}
inline QString kSettingsNotSaved()
{
    return QCoreApplication::translate("varnel::SettingsForm", "The settings could not be saved to %1.");
}
inline QString kFolderNotUsable()
{
    return QCoreApplication::translate("varnel::SettingsForm", "The folder %1 cannot be created or written to.");
}

struct SettingsForm {
    QString outputFolder;
    bool addNew = false;      // "Add "New" after filename"; else overwrite
    bool autoShut = false;
    QString thread;

    // The dialog's fields as the stored settings give them.
    static SettingsForm load(const Settings& settings);

    // False when the thread count is above 8: nothing is written then.
    bool threadCountValid() const;
    // The output folder as it is stored: "0" for the number 0, else the
    // absolute folder the text stands for.
    QString storedOutputFolder(const Settings& settings) const;
    // Creates the output folder when it is missing. Gives the message to show
    // when it cannot be created or written to (a run into it would fail on
    // every row), else an empty text.
    QString prepareOutputFolder(const Settings& settings) const;
    // Writes the four keys in one replacement of the file; call only when
    // threadCountValid(). False when the file could not be written: it is
    // then as it was.
    bool save(const Settings& settings) const;
};

} // namespace varnel
