#pragma once
// Whether a file is a source of its own. A container that names other files
// or addresses (a playlist, a list of files to join, a subtitle index, a
// session description) would make every tool that reads it read those too:
// such a file is refused before any tool sees it, and the container decided
// here is the one the tools are made to read the source as.
#include <QByteArray>
#include <QString>

namespace varnel {

enum class Reach {
    None,               // the file is all there is
    Playlist,           // HLS, DASH, IMF, M3U, PLS, ASX, XSPF...
    JoinList,           // FFmpeg's concat script
    SubtitleIndex,      // a VobSub index, whose pictures are in another file
    SessionDescription, // SDP: network streams
    OtherNames          // anything else found opening another name
};

// From a file's first bytes: text playlists, which no demuxer here reads
// (or only by a low-scoring guess) but which a player may follow.
Reach reachOfText(const QByteArray& head);

// For text that no reader took: what its name's extension says it is. Many
// playlists carry no header a reader knows them by (an M3U of bare paths, a
// PLS that starts with a comment, an ASX after an XML declaration); their
// name still says what they are, which tells the user more than "invalid
// data".
Reach reachOfUnreadText(const QString& path, const QByteArray& head);

// From the demuxer the bytes were probed as: its short name, and whether it
// opens names itself instead of reading the file it is handed.
Reach reachOfDemuxer(const char* name, bool opensNames);

// What the user reads about a refused file.
QString reachReason(Reach reach);

// The name a file's format is guessed from, beside its bytes: only its
// extension, so that "%d", "*" or "name:" in a file's name make it neither a
// picture sequence nor an address.
QString probeName(const QString& path);

// The adapters read the container decided here from this environment
// variable and make their tool read the source as that container only.
inline constexpr char kSourceFormatVariable[] = "VARNEL_SOURCE_FORMAT";
// "VARNEL_SOURCE_FORMAT=<demuxer>", for a tool's environment.
QString sourceFormatSetting(const QString& container);

} // namespace varnel
