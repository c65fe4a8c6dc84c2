#include "core/settings/Settings.h"

#include "core/common/TextNumbers.h"
#include "core/settings/IniFile.h"

#include <QCoreApplication>

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

QString outputFolderFor(const QString& stored, const QString& programFolder)
{
    return isNumberEqual(stored, 0) || stored.trimmed().isEmpty() ? programFolder : stored;
}

QString programFolder()
{
    const QString over = qEnvironmentVariable("VARNEL_PROGRAM_FOLDER");
    if (!over.isEmpty())
        return over;
    return QCoreApplication::applicationDirPath();
}

} // namespace varnel
