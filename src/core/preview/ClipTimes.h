#pragma once
// The clip editor's arithmetic on its start and end texts.
#include <QCoreApplication>
#include <QString>
#include <optional>

namespace varnel {

inline QString kClipTimeError()
{
    return QCoreApplication::translate("varnel::ClipTimes", "Start time or End time is error.");
}

// Text3: the whole seconds between start and end, without sign, as a clock
// text; nothing when a text is not a time (or past the clock's range).
std::optional<QString> clipLengthText(const QString& start, const QString& end);

// OK's test: the start is earlier than the end, both read as times of day
// (so 9:00:00 is earlier than 10:00:00). Texts that are not times fail it.
bool clipTimesInOrder(const QString& start, const QString& end);

} // namespace varnel
