#include "core/settings/SettingsForm.h"

#include "core/common/TextNumbers.h"
#include "core/settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace varnel {

SettingsForm SettingsForm::load(const Settings& settings)
{
    SettingsForm f;
    f.outputFolder = settings.outputFolder();
    f.addNew = addsNewName(settings.read(SettingKey::ExistedFile));
    f.autoShut = isNumberEqual(settings.read(SettingKey::AutoShut), 1);
    f.thread = settings.read(SettingKey::Thread);
    return f;
}

bool SettingsForm::threadCountValid() const
{
    return leadingNumber(thread) <= 8;
}

QString SettingsForm::storedOutputFolder(const Settings& settings) const
{
    // "0" follows the data folder wherever it is; a path would not.
    if (isNumberEqual(outputFolder, 0))
        return QStringLiteral("0");
    return outputFolderFor(outputFolder, settings.programFolder());
}

QString SettingsForm::prepareOutputFolder(const Settings& settings) const
{
    const QString folder = outputFolderFor(outputFolder, settings.programFolder());
    if (QDir().mkpath(folder) && QFileInfo(folder).isWritable())
        return {};
    return kFolderNotUsable().arg(folder);
}

bool SettingsForm::save(const Settings& settings) const
{
    return settings.write({{SettingKey::OutputFolder, storedOutputFolder(settings)},
                           {SettingKey::ExistedFile, addNew ? QStringLiteral("0") : QStringLiteral("1")},
                           {SettingKey::AutoShut, autoShut ? QStringLiteral("1") : QStringLiteral("0")},
                           {SettingKey::Thread, numberText(leadingNumber(thread))}});
}

} // namespace varnel
