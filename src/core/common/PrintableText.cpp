#include "core/common/PrintableText.h"

#include <QCoreApplication>
#include <QList>

namespace varnel {

QStringList atMostListed(const QStringList& lines, qsizetype most)
{
    QStringList out = lines.mid(0, most);
    if (lines.size() > most)
        out << QCoreApplication::translate("varnel::PrintableText", "and %1 more").arg(lines.size() - most);
    return out;
}

bool isBlankFiller(char32_t c)
{
    return c == 0x115F || c == 0x1160 || c == 0x2800 || c == 0x3164 || c == 0xFFA0;
}

bool isDefaultIgnorable(char32_t c)
{
    // Unicode's Default_Ignorable_Code_Point: shown as nothing at all.
    return c == 0x00AD || c == 0x034F || c == 0x061C || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 ||
           (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF || c == 0xFFA0 ||
           (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3) || (c >= 0x1D173 && c <= 0x1D17A) ||
           (c >= 0xE0000 && c <= 0xE0FFF);
}

bool isHiddenCharacter(char32_t c)
{
    // Direction marks, zero-width characters, the soft hyphen, tags, the
    // byte-order mark and every other character shown as nothing.
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           QChar::category(c) == QChar::Other_Format || isDefaultIgnorable(c) || isBlankFiller(c);
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
