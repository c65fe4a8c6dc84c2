#include "core/settings/Settings.h"

#include "core/common/TextNumbers.h"
#include "core/settings/IniFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace varnel {

Settings::Settings(QString programFolder) : m_programFolder(std::move(programFolder)) {}

QString Settings::filePath() const
{
    return m_programFolder + QStringLiteral("/settings.dat");
}

QString Settings::read(const QString& key) const
{
    return readSetting(filePath(), QStringLiteral("set"), key);
}

bool Settings::write(const QString& key, const QString& value, const QString& section) const
{
    return writeSetting(filePath(), section, key, value);
}

bool Settings::write(const std::vector<std::pair<QString, QString>>& entries) const
{
    return writeSettings(filePath(), QStringLiteral("set"), entries);
}

QString Settings::outputFolder() const
{
    return outputFolderFor(read(SettingKey::OutputFolder), m_programFolder);
}

bool addsNewName(const QString& storedExistedFile)
{
    return storedExistedFile.trimmed().isEmpty() || isNumberEqual(storedExistedFile, 0);
}

QString outputFolderFor(const QString& stored, const QString& dataFolder)
{
    const QString folder = stored.trimmed();
    if (folder.isEmpty() || isNumberEqual(folder, 0))
        return userFilesFolder(dataFolder);
    // No shell expands "~" for us: taken literally it would name a folder
    // in whatever the current directory happens to be.
    if (folder == u'~')
        return QDir::homePath();
    if (folder.startsWith(QStringLiteral("~/")))
        return QDir::cleanPath(QDir::homePath() + folder.mid(1));
    if (QDir::isRelativePath(folder))
        return QDir::cleanPath(QDir(dataFolder).absoluteFilePath(folder));
    return QDir::cleanPath(folder);
}

QString userFilesFolder(const QString& dataFolder)
{
    const QString hidden =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/varnel-video-converter");
    if (QDir::cleanPath(QDir(dataFolder).absolutePath()) != QDir::cleanPath(hidden))
        return QDir(dataFolder).absolutePath();
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty())
        videos = QDir::homePath() + QStringLiteral("/Videos");
    QDir().mkpath(videos);
    return videos;
}

QString dataFolderFor(const QString& programFolder)
{
    // Root may write anywhere, so writability alone would have an installed
    // copy fill /usr/lib with logs and outputs: the install step's marker says
    // this folder is the system's, not a copy of the user's own.
    if (QFileInfo(programFolder).isWritable() && !QFileInfo::exists(programFolder + u'/' + kInstalledMarker))
        return programFolder;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/varnel-video-converter");
    QDir().mkpath(folder);
    QDir().mkpath(folder + QStringLiteral("/Cache"));
    return folder;
}

void removeStaleSettingsTemporaries(const QString& dataFolder)
{
    const QDir dir(dataFolder);
    const QDateTime aMinuteAgo = QDateTime::currentDateTime().addSecs(-60);
    for (const QFileInfo& f : dir.entryInfoList({QStringLiteral("settings.dat.??????")}, QDir::Files | QDir::Hidden))
        if (f.lastModified() < aMinuteAgo)
            QFile::remove(f.filePath());
}

QString programFolder()
{
    const QString over = qEnvironmentVariable("VARNEL_PROGRAM_FOLDER");
    if (!over.isEmpty())
        return over;
    return QCoreApplication::applicationDirPath();
}

} // namespace varnel
