#include "settings/SettingsForm.h"

#include "common/TextNumbers.h"
#include "settings/Settings.h"

namespace varnel {

SettingsForm SettingsForm::load(const Settings& settings)
{
    SettingsForm f;
    f.outputFolder = settings.outputFolder();
    f.addNew = isNumberEqual(settings.read(SettingKey::ExistedFile), 0);
    f.autoShut = isNumberEqual(settings.read(SettingKey::AutoShut), 1);
    f.thread = settings.read(SettingKey::Thread);
    return f;
}

bool SettingsForm::threadCountValid() const
{
    return leadingNumber(thread) <= 8;
}

void SettingsForm::save(const Settings& settings) const
{
    settings.write(SettingKey::OutputFolder, outputFolder.trimmed());
    settings.write(SettingKey::ExistedFile, addNew ? QStringLiteral("0") : QStringLiteral("1"));
    settings.write(SettingKey::AutoShut, autoShut ? QStringLiteral("1") : QStringLiteral("0"));
    settings.write(SettingKey::Thread, numberText(leadingNumber(thread)));
}

} // namespace varnel
