#include "core/common/PrintableText.h"

#include <QList>

namespace varnel {

bool isHiddenCharacter(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
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
        else if (c <= 0xFF)
            out += QStringLiteral("\\x%1").arg(static_cast<uint>(c), 2, 16, QChar(u'0'));
        else
            out += QStringLiteral("\\u{%1}").arg(static_cast<uint>(c), 4, 16, QChar(u'0'));
    }
    return out;
}

} // namespace varnel
