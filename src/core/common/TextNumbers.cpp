#include "core/common/TextNumbers.h"

#include <cmath>
#include <cfenv>

namespace varnel {

namespace {
// Length of the number at the start of s (after pos), or 0.
int scanNumber(const QString& s, int pos, bool allowSign = true)
{
    const int start = pos;
    if (allowSign && pos < s.size() && (s[pos] == u'+' || s[pos] == u'-'))
        ++pos;
    int digits = 0;
    while (pos < s.size() && s[pos].isDigit() && s[pos].unicode() < 128) { ++pos; ++digits; }
    if (pos < s.size() && s[pos] == u'.') {
        ++pos;
        while (pos < s.size() && s[pos].isDigit() && s[pos].unicode() < 128) { ++pos; ++digits; }
    }
    if (digits == 0)
        return 0;
    if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
        int p = pos + 1;
        if (p < s.size() && (s[p] == u'+' || s[p] == u'-'))
            ++p;
        int expDigits = 0;
        while (p < s.size() && s[p].isDigit() && s[p].unicode() < 128) { ++p; ++expDigits; }
        if (expDigits > 0)
            pos = p;
    }
    return pos - start;
}
} // namespace

std::optional<double> strictNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const int n = scanNumber(t, 0);
    if (n != t.size())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

bool isNumberEqual(const QString& text, double n)
{
    const auto v = strictNumber(text);
    return v && *v == n;
}

double leadingNumber(const QString& text)
{
    int pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t'))
        ++pos;
    const int n = scanNumber(text, pos);
    if (n == 0)
        return 0;
    return text.mid(pos, n).toDouble();
}

double roundHalfEven(double v)
{
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(old);
    return r;
}

std::optional<int> toInt16(const QString& text)
{
    const auto v = strictNumber(text);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return static_cast<int>(r);
}

std::optional<int> toInt32(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = roundHalfEven(v);
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<int>(r);
}

QString numberText(double v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<long long>(v));
    return QString::number(v, 'g', 15);
}

} // namespace varnel
