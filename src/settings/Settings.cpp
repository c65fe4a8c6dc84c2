#include "settings/Settings.h"

#include "common/TextNumbers.h"
#include "settings/IniFile.h"

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

QString Settings::outputFolder() const
{
    const QString stored = read(SettingKey::OutputFolder);
    return isNumberEqual(stored, 0) ? m_programFolder : stored;
}

QString programFolder()
{
    const QString over = qEnvironmentVariable("VARNEL_PROGRAM_FOLDER");
    if (!over.isEmpty())
        return over;
    return QCoreApplication::applicationDirPath();
}

} // namespace varnel
