#pragma once
// Durations and positions as time-of-day texts, H:MM:SS with hours unpadded.
#include <QString>
#include <optional>

namespace varnel {

// The time of day that many seconds after midnight; a day or more wraps.
QString secondsToTimeText(long long seconds);

// The text a clock label shows for that many seconds; nothing past 32767,
// where the label keeps the text it has.
std::optional<QString> clockText(long long seconds);

// Seconds since midnight of a time text "H:MM:SS" (or "H:MM"); nothing when
// the text is not a time of day.
std::optional<int> timeTextToSeconds(const QString& text);

} // namespace varnel
