#pragma once
// Scraping a watch page with fixed text markers: the page's facts, the stream
// table of direct links, and the URL decoding both rely on.
#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace varnel {

// The text from the end of the first start marker up to the first end marker
// at or after it (positions 1-based). A start marker that does not occur
// gives the position equal to its length; no end marker there, no text.
QString textBetween(const QString& text, const QString& start, const QString& end);

// "+" becomes a blank and "%XX" one byte; a "%" with fewer than two
// characters after it is dropped. Nothing when two characters after a "%"
// are not hexadecimal digits. Bytes, never passed through a code page.
std::optional<QByteArray> urlDecode(const QByteArray& text);

struct VideoPageInfo {
    QString title, author, id, published, category, description, thumbnail, length, rating;
};

// Fills the fields in the order of the marker table; a decoding failure ends
// the step there, and the fields after it keep what they had. False then.
bool parseVideoPage(const QString& page, VideoPageInfo& info);

// One stream format the window knows: its button and file name.
struct StreamFormat {
    int number;
    const char* button;      // object name
    const char* caption;
    bool asksFirst;
    const char* fileSuffix;  // after the title
};
// Format | button | caption | asks first | file name after the title
inline constexpr StreamFormat kStreamFormats[] = {
    {5, "getFlv", QT_TRANSLATE_NOOP("varnel::StreamFormat", "Get FLV"), true, ".flv"},
    {34, "getHDH", QT_TRANSLATE_NOOP("varnel::StreamFormat", "Get HD Low"), true, "_Full_HD.flv"},
    {35, "getHDL", QT_TRANSLATE_NOOP("varnel::StreamFormat", "Get HD High"), true, "_HD.flv"},
    {22, "getMp4", QT_TRANSLATE_NOOP("varnel::StreamFormat", "Get MP4"), false, ".mp4"},
};
const StreamFormat* streamFormat(int number);

// The stream table's links by format number, still URL-encoded as stored.
using FormatLinks = std::map<int, QByteArray>;

// Reads the page's "fmt_url_map" into links, adding or overwriting; returns
// the formats found in this page, in the order met. An entry without "|" or
// whose number is not an integer ends the scan; a decoding failure finds
// nothing.
std::vector<int> getUrls(const QString& page, FormatLinks& links);

// The longest name, in UTF-8 bytes, that a page's title or id may give a file.
inline constexpr int kNameBytes = 200;

// The file a stream is saved as: the title and the format's suffix; a page
// without a title gives the video id, or "video" without one either. Either
// is made one safe file name (see safeFileName).
QString downloadFileName(const VideoPageInfo& info, int format);
// The thumbnail's file name in Cache: the video id made safe, and ".jpg".
QString thumbnailFileName(const VideoPageInfo& info);

} // namespace varnel
