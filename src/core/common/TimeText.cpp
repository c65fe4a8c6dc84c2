#include "core/common/TimeText.h"

#include <QStringList>

namespace varnel {

QString secondsToTimeText(long long seconds)
{
    long long s = seconds % 86400;
    if (s < 0)
        s += 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QChar(u'0'))
        .arg(s % 60, 2, 10, QChar(u'0'));
}

std::optional<QString> clockText(long long seconds)
{
    if (seconds > 32767)
        return std::nullopt;
    return secondsToTimeText(seconds);
}

std::optional<int> timeTextToSeconds(const QString& text)
{
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        const QString& p = parts[i];
        if (p.isEmpty() || p.size() > 2)
            return std::nullopt;
        for (QChar c : p)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        values[i] = p.toInt();
    }
    if (values[0] > 23 || values[1] > 59 || values[2] > 59)
        return std::nullopt;
    return values[0] * 3600 + values[1] * 60 + values[2];
}

} // namespace varnel
