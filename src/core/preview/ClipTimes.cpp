#include "core/preview/ClipTimes.h"

#include "core/common/TimeText.h"

#include <cstdlib>

namespace varnel {

std::optional<QString> clipLengthText(const QString& start, const QString& end)
{
    const auto s = timeTextToSeconds(start), e = timeTextToSeconds(end);
    if (!s || !e)
        return std::nullopt;
    return clockText(std::abs(*e - *s));
}

bool clipTimesInOrder(const QString& start, const QString& end)
{
    const auto s = timeTextToSeconds(start), e = timeTextToSeconds(end);
    return s && e && *s < *e;
}

} // namespace varnel
