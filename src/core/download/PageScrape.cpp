#include "core/download/PageScrape.h"

#include "core/common/SafeName.h"

#include <QRegularExpression>

#include <cctype>

namespace varnel {

QString textBetween(const QString& text, const QString& start, const QString& end)
{
    const qsizetype found = text.indexOf(start);
    // 1-based: the marker's position plus its length, or its length alone.
    const qsizetype position = (found < 0 ? 0 : found + 1) + start.size();
    const qsizetype from = position - 1; // 0-based
    if (from > text.size())
        return {};
    const qsizetype to = text.indexOf(end, from);
    return to < 0 ? QString() : text.mid(from, to - from);
}

std::optional<QByteArray> urlDecode(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (text.size() - i - 1 < 2) // fewer than two characters follow: dropped
                continue;
            const auto hex = [](char h) { return std::isxdigit(static_cast<unsigned char>(h)) != 0; };
            if (!hex(text[i + 1]) || !hex(text[i + 2]))
                return std::nullopt;
            out += static_cast<char>(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

QString decodedText(const QString& text, bool* ok)
{
    const auto bytes = urlDecode(text.toUtf8());
    *ok = bytes.has_value();
    return bytes ? QString::fromUtf8(*bytes) : QString();
}

} // namespace

bool parseVideoPage(const QString& page, VideoPageInfo& info)
{
    const QString dq = QStringLiteral("\"");
    QString title = textBetween(page, QStringLiteral("VIDEO_TITLE': '"), QStringLiteral("',"));
    for (const QChar c : {u'/', u'\\', u'\'', u':', u'(', u')'})
        title.remove(c);
    info.title = title;
    info.author = textBetween(page, "data-discoverbox-username=" + dq, dq + " >");
    info.id = textBetween(page, QStringLiteral("'VIDEO_ID': '"), QStringLiteral("'"));
    info.published = textBetween(page, "watch-video-added post-date" + dq + ">", QStringLiteral("</span>"));
    info.category = textBetween(page, "VideoCategoryLink');" + dq + ">", QStringLiteral("</a>"));
    const QString description = textBetween(page, "watch-video-desc description" + dq + ">", QStringLiteral("</span>"));
    const qsizetype span = description.indexOf(QStringLiteral("<span >"));
    info.description = span >= 0 ? description.mid(span + 7) : description.mid(6);
    bool ok = true;
    const QString thumbnail = decodedText(textBetween(page, "rv.2.thumbnailUrl" + dq + ": " + dq, dq + ","), &ok);
    if (!ok)
        return false;
    info.thumbnail = thumbnail;
    const QString length = decodedText(textBetween(page, "length_seconds" + dq + ": " + dq, dq + ","), &ok);
    if (!ok)
        return false;
    info.length = length;
    const QString rating = decodedText(textBetween(page, QStringLiteral("master-sprite ratingL ratingL-"), dq), &ok);
    if (!ok)
        return false;
    info.rating = rating;
    return true;
}

const StreamFormat* streamFormat(int number)
{
    for (const StreamFormat& f : kStreamFormats)
        if (f.number == number)
            return &f;
    return nullptr;
}

std::vector<int> getUrls(const QString& page, FormatLinks& links)
{
    static const QRegularExpression table(QStringLiteral("\"fmt_url_map\": \"([^\"]+)"));
    const auto decoded = urlDecode(table.match(page).captured(1).toUtf8());
    std::vector<int> found;
    if (!decoded || decoded->isEmpty())
        return found;
    for (const QByteArray& entry : decoded->split(',')) {
        const qsizetype bar = entry.indexOf('|');
        bool isNumber = false;
        const int number = bar < 0 ? 0 : entry.left(bar).trimmed().toInt(&isNumber);
        if (!isNumber)
            break;
        if (!streamFormat(number))
            continue;
        links[number] = entry.mid(bar + 1);
        found.push_back(number);
    }
    return found;
}

QString downloadFileName(const VideoPageInfo& info, int format)
{
    const StreamFormat* f = streamFormat(format);
    const QLatin1String suffix = f ? QLatin1String(f->fileSuffix) : QLatin1String("");
    // Both come from the page: one name in the folder, never a path, and
    // never a hidden ".flv"; the whole name stays within kNameBytes.
    const int room = kNameBytes - int(suffix.size());
    return safeFileName(info.title, room, safeFileName(info.id, room)) + suffix;
}

QString thumbnailFileName(const VideoPageInfo& info)
{
    return safeFileName(info.id, kNameBytes - 4) + QStringLiteral(".jpg");
}

} // namespace varnel
