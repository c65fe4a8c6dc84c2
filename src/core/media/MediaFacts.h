#pragma once
// What a media file holds, read in this process with FFmpeg's libraries:
// its streams, and each stream's length measured from its packets' time
// stamps, never from a bitrate estimate or from what a player says. Reading
// packets decodes nothing, so a long film is measured in seconds.
#include <QMetaType>
#include <QString>
#include <atomic>
#include <vector>

namespace varnel {

struct StreamFacts {
    enum class Kind { Video, Audio, Picture, Subtitle, Other }; // Picture: a cover, not a video
    Kind kind = Kind::Other;
    int index = -1;
    QString codec;
    int width = 0, height = 0;
    double frameRate = 0;
    int rotation = 0; // degrees the picture is turned for display, 0..359
    double pixelAspect = 1; // a pixel's width over its height
    int channels = 0, sampleRate = 0;
    bool isDefault = false;
    // The picture's width over its height as a player shows it: pixel shape
    // and rotation taken into account; 0 when the frame size is not known.
    double displayAspect() const;
    bool hadPackets = false; // packets were seen while the streams were read
    QString language;

    // From the packets (measureMedia only). Lengths are what a player
    // plays: time stamp jumps of joined recordings are not counted.
    double startSeconds = 0;   // the first packet, after the file's start
    double seconds = -1;       // negative: not measured, or no packets
    // The same less the last packet's own duration: when the last frame
    // starts. Muxers guess that duration; the frames' times they keep.
    double lastStartSeconds = -1;
    int pieces = 0;            // joined recordings: the runs of time stamps
    double packetSeconds = 0;  // a packet's (a frame's) mean duration
    double paddingSeconds = 0; // the codec's priming and end padding
    qint64 packets = 0;
};

struct MediaFacts {
    bool readable = false;
    QString error;              // why not
    // Not a source of its own: the file names other files or addresses (a
    // playlist, a list of files to join...), which every tool reading it
    // would read too. No tool is given it; error says what it is.
    bool refused = false;
    QString container;          // the demuxer's short name
    double headerSeconds = -1;  // where the container states it, never an estimate
    bool lengthsMeasured = false;
    std::vector<StreamFacts> streams;

    // The streams an encoder takes when told nothing: the largest picture
    // (a cover only when there is no video), the most channels.
    const StreamFacts* chosenVideo() const;
    const StreamFacts* chosenAudio() const;
    bool hasVideo() const;   // a real video, not only a cover
    bool hasAudio() const;
    // The only pictures are covers (an album's art): there is no video to convert.
    bool onlyCoverPicture() const;
    // The longest measured audio or video stream; else the header's; else negative.
    double seconds() const;
};

// How much of a file to read.
enum class MediaDepth {
    Streams, // the header and a few packets: constant time
    Lengths  // every packet too
};

// Reads a regular file (a FIFO or device is refused, so nothing waits on it).
// stop, when set from another thread, ends the reading soon with an error.
MediaFacts readMedia(const QString& path, MediaDepth depth, const std::atomic_bool* stop = nullptr);
// The same, from an open descriptor (kept open); name gives the format a hint.
MediaFacts readMedia(int fd, const QString& name, MediaDepth depth, const std::atomic_bool* stop = nullptr);

// The time of the picture a player that seeks to keyframes shows for a
// seek to seconds: the video's last keyframe at or before it. Negative when
// it cannot be told (no video, no index, a file that cannot be read).
double keyframeAtOrBefore(const QString& path, double seconds);

} // namespace varnel

Q_DECLARE_METATYPE(varnel::MediaFacts)
