#pragma once
// One-key-at-a-time INI access with private-profile semantics: section and
// key names compared without case, values trimmed, an absent key reads as the
// empty text, at most 127 characters read and 128 written. Every call reads
// the file afresh; a write replaces the file atomically.
#include <QString>

namespace varnel {

constexpr int kSettingReadLimit = 127;
constexpr int kSettingWriteLimit = 128;

QString readSetting(const QString& filePath, const QString& section, const QString& key);

// False when the file could not be written; the old file then stays as it was.
bool writeSetting(const QString& filePath, const QString& section, const QString& key,
                  const QString& value);

} // namespace varnel
