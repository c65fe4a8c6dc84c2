#pragma once
// One-key-at-a-time INI access with private-profile semantics: section and
// key names compared without case, values trimmed, an absent key reads as the
// empty text, at most 127 characters read and 128 written. Every call reads
// the file afresh; a write replaces the file atomically.
#include <QString>
#include <utility>
#include <vector>

namespace varnel {

constexpr int kSettingReadLimit = 127;
constexpr int kSettingWriteLimit = 128;

QString readSetting(const QString& filePath, const QString& section, const QString& key);

// False when the file could not be written; the old file then stays as it was.
bool writeSetting(const QString& filePath, const QString& section, const QString& key,
                  const QString& value);

// Several keys of one section in one replacement of the file: all or none.
bool writeSettings(const QString& filePath, const QString& section,
                   const std::vector<std::pair<QString, QString>>& entries);

} // namespace varnel
