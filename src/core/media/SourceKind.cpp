#include "core/media/SourceKind.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace varnel {

namespace {

bool startsWithText(const QByteArray& text, const char* prefix)
{
    return text.left(static_cast<qsizetype>(std::strlen(prefix))).toLower() == prefix;
}

} // namespace

Reach reachOfText(const QByteArray& head)
{
    QByteArray text = head.left(4096);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    text = text.trimmed();
    if (startsWithText(text, "ffconcat version"))
        return Reach::JoinList;
    static const char* const kPlaylists[] = {"#extm3u", "[playlist]", "<asx", "<?wpl", "[reference]"};
    if (std::any_of(std::begin(kPlaylists), std::end(kPlaylists), [&](const char* p) { return startsWithText(text, p); }))
        return Reach::Playlist;
    // XSPF and SMIL: XML whose root is a playlist.
    const QByteArray lower = text.toLower();
    if (lower.startsWith('<') && (lower.contains("<playlist") || lower.contains("<smil") || lower.contains("<asx") ||
                                  lower.contains("<mpd")))
        return Reach::Playlist;
    // A RAM file and its kind: nothing but addresses, one a line.
    static const QRegularExpression address(QStringLiteral("^[a-z][a-z0-9+.-]{1,15}://\\S+$"));
    if (address.match(QString::fromLatin1(lower.left(lower.indexOf('\n') < 0 ? lower.size() : lower.indexOf('\n'))).trimmed())
            .hasMatch())
        return Reach::Playlist;
    return Reach::None;
}

Reach reachOfUnreadText(const QString& path, const QByteArray& head)
{
    if (head.isEmpty() || head.left(4096).contains('\0'))
        return Reach::None;
    static const char* const kPlaylistTypes[] = {"m3u", "m3u8", "pls", "asx", "wax", "wvx", "wpl", "xspf",
                                                 "smil", "ram", "mpd", "cue"};
    const QByteArray type = QFileInfo(path).suffix().toLower().toLatin1();
    if (std::any_of(std::begin(kPlaylistTypes), std::end(kPlaylistTypes), [&](const char* t) { return type == t; }))
        return Reach::Playlist;
    if (type == "ffconcat")
        return Reach::JoinList;
    return Reach::None;
}

Reach reachOfDemuxer(const char* name, bool opensNames)
{
    struct Known {
        const char* name;
        Reach reach;
    };
    // FFmpeg 5.1's demuxers that open other names while they read (checked
    // by reading each through a reader that records what it asks to open).
    static const Known kKnown[] = {
        {"hls", Reach::Playlist},          {"applehttp", Reach::Playlist},   {"dash", Reach::Playlist},
        {"imf", Reach::Playlist},          {"concat", Reach::JoinList},      {"vobsub", Reach::SubtitleIndex},
        {"sdp", Reach::SessionDescription}, {"rtp", Reach::SessionDescription}, {"rtsp", Reach::SessionDescription},
        {"sap", Reach::SessionDescription},
    };
    for (const Known& k : kKnown)
        if (std::strcmp(k.name, name) == 0)
            return k.reach;
    // A demuxer that opens names of its own, but for a single picture read
    // as one file (its sequence patterns are switched off where it is used).
    if (opensNames && std::strcmp(name, "image2") != 0)
        return Reach::OtherNames;
    return Reach::None;
}

QString reachReason(Reach reach)
{
    switch (reach) {
    case Reach::None:
        break;
    case Reach::Playlist:
        return QCoreApplication::translate("varnel::SourceKind", "a playlist names other files; add the files themselves");
    case Reach::JoinList:
        return QCoreApplication::translate("varnel::SourceKind", "a list of files to join names other files; add the files themselves");
    case Reach::SubtitleIndex:
        return QCoreApplication::translate("varnel::SourceKind", "a subtitle index names another file, which holds its pictures");
    case Reach::SessionDescription:
        return QCoreApplication::translate("varnel::SourceKind", "a session description names network streams, not a file to convert");
    case Reach::OtherNames:
        return QCoreApplication::translate("varnel::SourceKind", "the file makes its reader open other files or addresses");
    }
    return {};
}

QString probeName(const QString& path)
{
    const QString extension = QFileInfo(path).suffix();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,12}$"));
    return plain.match(extension).hasMatch() ? QStringLiteral("media.") + extension : QStringLiteral("media");
}

QString sourceFormatSetting(const QString& container)
{
    return QLatin1String(kSourceFormatVariable) + u'=' + container;
}

} // namespace varnel
