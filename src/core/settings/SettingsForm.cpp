#include "core/settings/SettingsForm.h"

#include "core/common/TextNumbers.h"
#include "core/settings/Settings.h"

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

bool SettingsForm::save(const Settings& settings) const
{
    return settings.write({{SettingKey::OutputFolder, outputFolder.trimmed()},
                           {SettingKey::ExistedFile, addNew ? QStringLiteral("0") : QStringLiteral("1")},
                           {SettingKey::AutoShut, autoShut ? QStringLiteral("1") : QStringLiteral("0")},
                           {SettingKey::Thread, numberText(leadingNumber(thread))}});
}

} // namespace varnel
