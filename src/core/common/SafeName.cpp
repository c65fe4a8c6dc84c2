#include "core/common/SafeName.h"

#include <QDir>
#include <QFileInfo>

namespace varnel {

QString safeFileName(const QString& name, int maxBytes, const QString& fallback)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == u'/' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            out += u'_';
        else
            out += c;
    }
    out = out.trimmed();
    while (out.startsWith(u'.'))
        out.remove(0, 1);
    // Cut at a character boundary: never half a surrogate pair.
    while (out.toUtf8().size() > maxBytes) {
        out.chop(1);
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
    }
    out = out.trimmed();
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
