#pragma once
// What the settings dialog shows and stores, apart from the window itself.
#include <QString>

namespace varnel {

class Settings;

inline const QString kThreadError = QStringLiteral("Thread error!");
inline const QString kSettingsNotSaved = QStringLiteral("The settings could not be saved to %1.");

struct SettingsForm {
    QString outputFolder;
    bool addNew = false;      // "Add "New" after filename"; else overwrite
    bool autoShut = false;
    QString thread;

    // The dialog's fields as the stored settings give them.
    static SettingsForm load(const Settings& settings);

    // False when the thread count is above 8: nothing is written then.
    bool threadCountValid() const;
    // Writes the four keys in one replacement of the file; call only when
    // threadCountValid(). False when the file could not be written: it is
    // then as it was.
    bool save(const Settings& settings) const;
};

} // namespace varnel
