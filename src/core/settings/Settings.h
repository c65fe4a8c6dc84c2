#pragma once
// The program's settings file in the program folder, section "set".
#include <QString>
#include <utility>
#include <vector>

namespace varnel {

namespace SettingKey {
inline const QString OutputFolder = QStringLiteral("outputfolder");
inline const QString ExistedFile = QStringLiteral("existedfile");
inline const QString AutoShut = QStringLiteral("autoshut");
inline const QString Thread = QStringLiteral("thread");
inline const QString Profile = QStringLiteral("profile");
}

class Settings {
public:
    explicit Settings(QString programFolder);

    QString filePath() const;
    QString programFolder() const { return m_programFolder; }

    QString read(const QString& key) const;
    bool write(const QString& key, const QString& value, const QString& section = QStringLiteral("set")) const;
    // Several keys of section "set" at once: all are written or none.
    bool write(const std::vector<std::pair<QString, QString>>& entries) const;

    // "outputfolder" as the run and the dialog read it.
    QString outputFolder() const;

private:
    QString m_programFolder;
};

// Whether an output whose name is taken gets a new one ("_New") under a
// stored "existedfile": a number equal to 0 says so, and so does a value
// never stored (blank), so that nothing of the user's is replaced unless
// the user chose to overwrite; any other stored value overwrites.
bool addsNewName(const QString& storedExistedFile);

// The absolute output folder a stored "outputfolder" value stands for: the
// number 0 and a blank value mean the data folder, "~" and "~/..." the home
// folder, and any other relative folder is taken from the data folder. The
// run, the settings dialog and varnel-convert all resolve it here, so the
// folder made and the folder the encoder writes to are the same.
QString outputFolderFor(const QString& stored, const QString& dataFolder);

// The file the install step places in an installed program folder
// (cmake/Install.cmake writes it under the same name).
inline const QString kInstalledMarker = QStringLiteral("installed");

// Where the program writes what the text puts into the program folder
// (settings.dat, curconvert.log, Cache, outputs of "0"): the program folder
// when it is writable and not an installed one, else
// $XDG_DATA_HOME/varnel-video-converter, created on first use.
QString dataFolderFor(const QString& programFolder);

// Where the files a user wants to find (outputs of folder "0", downloads)
// go: the data folder when it is the program folder itself (a copy the user
// owns), the user's videos folder (created when missing) when the data
// folder is the hidden one of an installed copy.
QString userFilesFolder(const QString& dataFolder);

// Removes settings.dat.XXXXXX files that a write cut short by a kill left
// behind; those younger than a minute may still be another copy's write.
void removeStaleSettingsTemporaries(const QString& dataFolder);

// The folder of the running program; VARNEL_PROGRAM_FOLDER overrides it so
// that tests can work in a folder of their own.
QString programFolder();

} // namespace varnel
