#include "HardMedia.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace varnel::test {

namespace {

const QStringList kAac = {"-c:a", "aac", "-b:a", "96k"};

QString tone(double seconds, int frequency = 440)
{
    return QStringLiteral("sine=frequency=%1:duration=%2").arg(frequency).arg(seconds);
}

QString picture(double seconds, int rate = 25)
{
    return QStringLiteral("testsrc=size=160x120:rate=%1:duration=%2").arg(rate).arg(seconds);
}

// Bytes written under a private name, then moved to path whole: tests running
// at once never read half a file.
void writeWhole(const QString& path, const QByteArray& bytes)
{
    const QString temp = path + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(temp));
    out.close();
    QFile::rename(temp, path);
    QFile::remove(temp);
}

QByteArray contentsOf(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return in.readAll();
}

// The files joined byte by byte, made once under a private name.
QString joined(const QString& name, const QStringList& parts)
{
    const QString path = QFileInfo(parts.first()).path() + u'/' + name;
    if (QFileInfo::exists(path))
        return path;
    QByteArray bytes;
    for (const QString& part : parts)
        bytes += contentsOf(part);
    writeWhole(path, bytes);
    return path;
}

// The first fraction of a file.
QString head(const QString& name, const QString& from, double fraction)
{
    const QString path = QFileInfo(from).path() + u'/' + name;
    if (QFileInfo::exists(path))
        return path;
    const QByteArray whole = contentsOf(from);
    writeWhole(path, whole.left(static_cast<qsizetype>(whole.size() * fraction)));
    return path;
}

QString vbrNoXing(const QString& name, const QString& first, const QString& second)
{
    return makeMedia(name, {"-f", "lavfi", "-i", first, "-f", "lavfi", "-i", second, "-filter_complex",
                            "[0][1]concat=v=0:a=1", "-c:a", "libmp3lame", "-q:a", "4", "-write_xing", "0"});
}

QString clip(const QString& name, double seconds)
{
    return makeMedia(name, {"-f", "lavfi", "-i", picture(seconds), "-f", "lavfi", "-i", tone(seconds), "-c:v", "libx264",
                            "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
}

} // namespace

HardMedia joinedMp3()
{
    const QString a = makeMedia("join-a.mp3", {"-f", "lavfi", "-i", tone(2), "-c:a", "libmp3lame"});
    const QString b = makeMedia("join-b.mp3", {"-f", "lavfi", "-i", tone(6, 660), "-c:a", "libmp3lame"});
    return {joined("joined.mp3", {a, b}), -1, 8};
}

HardMedia loudStartVbr()
{
    return {vbrNoXing("loud-start.mp3", "anoisesrc=duration=6:amplitude=0.8", "anullsrc=r=44100:cl=stereo:d=6"), -1, 12};
}

HardMedia quietStartVbr()
{
    return {vbrNoXing("quiet-start.mp3", "anullsrc=r=44100:cl=stereo:d=6", "anoisesrc=duration=6:amplitude=0.8"), -1, 12};
}

HardMedia joinedTs()
{
    auto recording = [](const char* name, const char* offset) {
        return makeMedia(name, {"-f", "lavfi", "-i", picture(4), "-f", "lavfi", "-i", tone(4), "-c:v", "mpeg2video",
                                "-c:a", "mp2", "-output_ts_offset", offset, "-f", "mpegts"});
    };
    return {joined("joined.ts", {recording("rec-1.ts", "0"), recording("rec-2.ts", "3600")}), 8, 8};
}

HardMedia rewoundTs()
{
    QStringList parts;
    for (const char* offset : {"30", "20", "10", "0"})
        parts << makeMedia(QStringLiteral("rewound-%1.ts").arg(offset),
                           QStringList{"-f", "lavfi", "-i", picture(2), "-f", "lavfi", "-i", tone(2), "-c:v", "mpeg2video"} +
                               kAac + QStringList{"-output_ts_offset", offset, "-f", "mpegts"});
    return {joined("rewound.ts", parts), 8, 8};
}

HardMedia adtsTone()
{
    return {makeMedia("tone.aac", QStringList{"-f", "lavfi", "-i", tone(10)} + kAac), -1, 10};
}

HardMedia lyingHeader()
{
    const QString whole = makeMedia("thirty.mkv", QStringList{"-f", "lavfi", "-i", picture(30), "-f", "lavfi", "-i",
                                                              tone(30), "-c:v", "mpeg4", "-q:v", "5"} + kAac);
    // Streams end near a third of the way; the header still says 30 s.
    return {head("lying.mkv", whole, 1.0 / 3), 10, 10};
}

HardMedia coverArtMp3()
{
    const QString cover = makeMedia("cover.png", {"-f", "lavfi", "-i", "color=red:size=200x200", "-frames:v", "1"});
    return {makeMedia("covered.mp3", {"-f", "lavfi", "-i", tone(6), "-i", cover, "-map", "0", "-map", "1", "-c:a",
                                      "libmp3lame", "-c:v", "png", "-disposition:v", "attached_pic", "-id3v2_version",
                                      "3"}),
            -1, 6};
}

HardMedia shortVideoLongAudio()
{
    return {makeMedia("short-video.mp4", QStringList{"-f", "lavfi", "-i", picture(2), "-f", "lavfi", "-i", tone(10),
                                                     "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"} +
                                             kAac),
            2, 10};
}

HardMedia shortHeader()
{
    const QString whole = makeMedia("eleven.mkv", QStringList{"-f", "lavfi", "-i", picture(11), "-f", "lavfi", "-i",
                                                              tone(11), "-c:v", "mpeg4", "-q:v", "5"} + kAac);
    const QString path = QFileInfo(whole).path() + QStringLiteral("/short-header.mkv");
    if (QFileInfo::exists(path))
        return {path, 11, 11};
    QByteArray bytes = contentsOf(whole);
    // The Segment's Duration: element 0x4489, an 8-byte float of milliseconds.
    const qsizetype at = bytes.indexOf(QByteArray::fromHex("448988"));
    if (at < 0)
        qFatal("no Matroska duration in %s", qPrintable(whole));
    const double fiveSeconds = 5000;
    quint64 raw;
    std::memcpy(&raw, &fiveSeconds, sizeof raw);
    for (int i = 0; i < 8; ++i)
        bytes[at + 3 + i] = static_cast<char>(raw >> (56 - 8 * i));
    writeWhole(path, bytes);
    return {path, 11, 11};
}

HardMedia editListMp4()
{
    const QString gop = makeMedia("long-gop.mp4", QStringList{"-f", "lavfi", "-i", picture(12), "-f", "lavfi", "-i", tone(12),
                                                              "-c:v", "libx264", "-g", "300", "-pix_fmt", "yuv420p"} +
                                                      kAac);
    return {makeMedia("edit-list.mp4", {"-ss", "3", "-i", gop, "-c", "copy"}), 9, 9};
}

HardMedia slideShow()
{
    return {makeMedia("slides.mkv", {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=1/6:duration=60", "-c:v", "libx264",
                                     "-pix_fmt", "yuv420p"}),
            60, -1};
}

HardMedia fractionalClip() { return {clip("fraction.mp4", 1.45), 1.45, 1.45}; }

HardMedia shorterThanASecond() { return {clip("under-a-second.mp4", 0.45), 0.45, 0.45}; }

HardMedia oddSizeClip()
{
    return {makeMedia("odd-size.mp4", {"-f", "lavfi", "-i", "testsrc2=size=720x405:rate=25:duration=2", "-f", "lavfi",
                                       "-i", tone(2), "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"}),
            2, 2};
}

HardMedia portraitPhoneClip()
{
    const QString stored = makeMedia("phone-stored.mp4", {"-f", "lavfi", "-i", "testsrc2=size=320x180:rate=30:duration=2",
                                                          "-f", "lavfi", "-i", tone(2), "-c:v", "libx264", "-preset",
                                                          "ultrafast", "-c:a", "aac"});
    return {makeMedia("phone.mp4", {"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90"}), 2, 2};
}

HardMedia widePixelsClip(int rotation)
{
    const QString stored = makeMedia("wide-pixels.mp4", {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=2",
                                                         "-f", "lavfi", "-i", tone(2), "-vf", "setsar=4/3", "-c:v",
                                                         "libx264", "-preset", "ultrafast", "-c:a", "aac"});
    if (rotation == 0)
        return {stored, 2, 2};
    return {makeMedia(QStringLiteral("wide-pixels-%1.mp4").arg(rotation),
                      {"-i", stored, "-c", "copy", "-metadata:s:v:0", QStringLiteral("rotate=%1").arg(rotation)}),
            2, 2};
}

HardMedia silentClip()
{
    return {makeMedia("silent.mp4", {"-f", "lavfi", "-i", "testsrc2=size=256x144:rate=25:duration=2", "-c:v", "libx264",
                                     "-preset", "ultrafast", "-pix_fmt", "yuv420p"}),
            2, -1};
}

HardMedia flatClip(int width, int height)
{
    // The colour source makes no picture smaller than 2x2: scaled down to
    // it, with square pixels.
    return {makeMedia(QStringLiteral("flat-%1x%2.mkv").arg(width).arg(height),
                      {"-f", "lavfi", "-i", "color=gray:size=64x64:rate=5:duration=0.4", "-vf",
                       QStringLiteral("scale=%1:%2,setsar=1").arg(width).arg(height), "-c:v", "ffv1"}),
            0.4, -1};
}

HardMedia garbledClip()
{
    const QString whole = makeMedia("before-garbling.mp4", QStringList{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=4",
                                                                       "-f", "lavfi", "-i", tone(4), "-c:v", "libx264", "-preset",
                                                                       "ultrafast", "-movflags", "+faststart"} + kAac);
    const QString path = QFileInfo(whole).path() + QStringLiteral("/garbled.mp4");
    if (QFileInfo::exists(path))
        return {path, 4, 4};
    // The index at the front stays whole; every twentieth byte of the
    // frames after it is flipped.
    QByteArray bytes = contentsOf(whole);
    for (qsizetype i = bytes.size() / 10; i < bytes.size() - 1000; ++i)
        if (i % 20 == 7)
            bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    writeWhole(path, bytes);
    return {path, 4, 4};
}

HardMedia variableRateClip()
{
    // Joined from two rates, each frame keeps its own duration: the last
    // one is shown for 0.2 s.
    return {makeMedia("slow-tail.mkv",
                      {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30:duration=1", "-f", "lavfi", "-i",
                       "testsrc2=size=320x240:rate=5:duration=1", "-f", "lavfi", "-i", tone(2), "-filter_complex",
                       "[0:v][1:v]concat=n=2:v=1:a=0[v]", "-map", "[v]", "-map", "2:a", "-c:v", "libx264", "-preset",
                       "ultrafast", "-fps_mode", "vfr", "-c:a", "aac"}),
            2, 2};
}

HardMedia manyTracksClip()
{
    const QString video = clip("tracks-video.mp4", 2);
    const QString subtitles = QFileInfo(video).path() + QStringLiteral("/tracks.srt");
    writeWhole(subtitles, "1\n00:00:00,000 --> 00:00:01,500\nhello\n\n");
    return {makeMedia("tracks.mp4", {"-i", video, "-f", "lavfi", "-i", tone(2, 880), "-i", subtitles, "-map", "0",
                                     "-map", "1", "-map", "2", "-c:v", "copy", "-c:a", "aac", "-c:s", "mov_text"}),
            2, 2};
}

} // namespace varnel::test
