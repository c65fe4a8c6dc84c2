#include "core/common/SafeName.h"
#include "core/common/PrintableText.h"

#include <QDir>
#include <QFileInfo>

#include <string>

namespace varnel {

namespace {

// Direction controls, zero-width characters and the byte-order mark: a name
// holding them shows as another name ("holiday\u202e4pm.exe").
bool isFormatControl(char32_t c)
{
    return QChar::category(c) == QChar::Other_Format || isDefaultIgnorable(c);
}

bool isUnsafe(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == u'/' || c == 0x2028 || c == 0x2029;
}

int utf8Bytes(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

} // namespace

QString safeFileName(const QString& name, int maxBytes, const QString& fallback)
{
    // One pass, linear in the name however long it is.
    std::u32string kept;
    kept.reserve(static_cast<size_t>(name.size()));
    for (const char32_t c : name.toUcs4()) {
        if (isFormatControl(c))
            continue;
        kept.push_back(isUnsafe(c) ? U'_' : c);
    }
    // Blanks and dots in front, as often as trimming and dropping dots
    // would take them: no name starts with "." or a blank.
    auto blank = [](char32_t c) { return QChar::isSpace(c) || isBlankFiller(c); };
    size_t first = 0;
    while (first < kept.size() && (blank(kept[first]) || kept[first] == U'.'))
        ++first;
    size_t end = first;
    int bytes = 0;
    while (end < kept.size() && bytes + utf8Bytes(kept[end]) <= maxBytes)
        bytes += utf8Bytes(kept[end++]);
    while (end > first && blank(kept[end - 1]))
        --end;
    const QString out = QString::fromUcs4(kept.data() + first, static_cast<qsizetype>(end - first));
    return out.isEmpty() ? fallback : out;
}

bool isDirectlyInside(const QString& path, const QString& folder)
{
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString dir = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return QFileInfo(file).path() == dir && QFileInfo(file).fileName() != QLatin1String("..") &&
           QFileInfo(file).fileName() != QLatin1String(".");
}

} // namespace varnel
