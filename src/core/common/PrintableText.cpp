#include "core/common/PrintableText.h"

#include <QList>

namespace varnel {

bool isBlankFiller(char32_t c)
{
    return c == 0x115F || c == 0x1160 || c == 0x2800 || c == 0x3164 || c == 0xFFA0;
}

bool isHiddenCharacter(char32_t c)
{
    // Format characters: direction marks, zero-width ones, the soft hyphen,
    // tags, the byte-order mark.
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           QChar::category(c) == QChar::Other_Format || isBlankFiller(c);
}

namespace {

void appendEscaped(QString& out, uint c)
{
    if (c <= 0xFF)
        out += QStringLiteral("\\x%1").arg(c, 2, 16, QChar(u'0'));
    else
        out += QStringLiteral("\\u{%1}").arg(c, 4, 16, QChar(u'0'));
}

} // namespace

QString printableLines(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const uint c : text.toUcs4()) {
        if (c == U'\n' || c == U'\t' || !isHiddenCharacter(c))
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        else
            appendEscaped(out, c);
    }
    return out;
}

QString printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const QList<uint> characters = text.toUcs4();
    for (const uint c : characters) {
        if (c == U'\\')
            out += QLatin1String("\\\\");
        else if (c == U'\t')
            out += QLatin1String("\\t");
        else if (c == U'\n')
            out += QLatin1String("\\n");
        else if (!isHiddenCharacter(c))
            out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        else
            appendEscaped(out, c);
    }
    return out;
}

} // namespace varnel
