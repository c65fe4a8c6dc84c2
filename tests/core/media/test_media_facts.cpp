// Lengths measured from the packets, for the files players misjudge.
#include "HardMedia.h"
#include "TestSupport.h"

#include "core/media/MediaFacts.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace varnel;

namespace {

const StreamFacts* firstOf(const MediaFacts& f, StreamFacts::Kind kind)
{
    for (const StreamFacts& s : f.streams)
        if (s.kind == kind)
            return &s;
    return nullptr;
}

} // namespace

TEST(MediaFacts, EachStreamIsAsLongAsItsPacketsWhateverTheHeaderSays)
{
    const struct {
        const char* name;
        test::HardMedia media;
    } cases[] = {
        {"joined MP3", test::joinedMp3()},         {"loud start VBR", test::loudStartVbr()},
        {"quiet start VBR", test::quietStartVbr()}, {"joined TS", test::joinedTs()},
        {"ADTS", test::adtsTone()},                 {"lying header", test::lyingHeader()},
        {"cover art", test::coverArtMp3()},         {"short video", test::shortVideoLongAudio()},
        {"fraction", test::fractionalClip()},       {"under a second", test::shorterThanASecond()},
        {"short header", test::shortHeader()},      {"edit list", test::editListMp4()},
        {"slide show", test::slideShow()},          {"slow tail", test::variableRateClip()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MediaFacts f = readMedia(c.media.path, MediaDepth::Lengths);
        ASSERT_TRUE(f.readable) << f.error.toStdString();
        ASSERT_TRUE(f.lengthsMeasured);
        const StreamFacts* video = firstOf(f, StreamFacts::Kind::Video);
        const StreamFacts* audio = firstOf(f, StreamFacts::Kind::Audio);
        ASSERT_EQ(video != nullptr, c.media.video >= 0);
        ASSERT_EQ(audio != nullptr, c.media.audio >= 0);
        // The lying header is cut mid-stream: a third of its bytes, near a third of its time.
        const double slack = QString(c.name) == "lying header" ? 1.5 : 0.1;
        if (video)
            EXPECT_NEAR(video->seconds, c.media.video, slack);
        if (audio)
            EXPECT_NEAR(audio->seconds, c.media.audio, slack);
        EXPECT_GT(audio ? audio->packetSeconds : video->packetSeconds, 0);
    }
}

TEST(MediaFacts, TheLastFrameStartsBeforeItsOwnDurationAndJoinedPiecesAreCounted)
{
    const MediaFacts slow = readMedia(test::variableRateClip().path, MediaDepth::Lengths);
    const StreamFacts* video = firstOf(slow, StreamFacts::Kind::Video);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->packets, 35);
    EXPECT_NEAR(video->seconds, 2, 0.01);
    EXPECT_NEAR(video->lastStartSeconds, 1.8, 0.01) << "the last frame lasts 0.2 s";
    EXPECT_EQ(video->pieces, 1);

    const struct {
        const char* name;
        QString path;
        int pieces;
    } joins[] = {
        {"one recording", test::videoClip(2), 1},
        {"joined forward", test::joinedTs().path, 2},
        {"joined backward", test::rewoundTs().path, 4},
    };
    for (const auto& j : joins) {
        SCOPED_TRACE(j.name);
        const MediaFacts f = readMedia(j.path, MediaDepth::Lengths);
        ASSERT_TRUE(f.readable) << f.error.toStdString();
        for (const StreamFacts* s : {firstOf(f, StreamFacts::Kind::Video), firstOf(f, StreamFacts::Kind::Audio)}) {
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->pieces, j.pieces);
            EXPECT_GT(s->lastStartSeconds, s->seconds - 0.1);
            EXPECT_LT(s->lastStartSeconds, s->seconds);
        }
    }
}

TEST(MediaFacts, ACoverIsAPictureNotAVideoAndStreamsComeWithoutReadingThePackets)
{
    const MediaFacts f = readMedia(test::coverArtMp3().path, MediaDepth::Streams);
    ASSERT_TRUE(f.readable) << f.error.toStdString();
    EXPECT_FALSE(f.lengthsMeasured);
    EXPECT_FALSE(f.hasVideo());
    EXPECT_TRUE(f.hasAudio());
    EXPECT_TRUE(f.onlyCoverPicture());
    ASSERT_NE(f.chosenVideo(), nullptr);
    EXPECT_EQ(f.chosenVideo()->kind, StreamFacts::Kind::Picture);
    EXPECT_LT(f.seconds(), 0) << "no length is known before the packets are read";

    const MediaFacts clip = readMedia(test::videoClip(2, "320x240"), MediaDepth::Streams);
    ASSERT_NE(clip.chosenVideo(), nullptr);
    EXPECT_EQ(clip.chosenVideo()->width, 320);
    EXPECT_EQ(clip.chosenVideo()->height, 240);
    EXPECT_NEAR(clip.chosenVideo()->frameRate, 25, 0.01);
    EXPECT_NEAR(clip.headerSeconds, 2, 0.1) << "an MP4 states its length";
    EXPECT_EQ(clip.chosenAudio()->sampleRate, 44100);
}

TEST(MediaFacts, WhatIsNotMediaSaysWhyAndNothingWaits)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.mp4");
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0600), 0);
    const MediaFacts fromFifo = readMedia(fifo, MediaDepth::Lengths); // returns: nobody writes to it
    EXPECT_FALSE(fromFifo.readable);
    EXPECT_EQ(fromFifo.error, "not a regular file");

    QFile text(dir.filePath("notes.mp4"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    const MediaFacts fromText = readMedia(text.fileName(), MediaDepth::Lengths);
    EXPECT_FALSE(fromText.readable);
    EXPECT_EQ(fromText.error, "Invalid data found when processing input");

    EXPECT_EQ(readMedia(dir.filePath("gone.mp4"), MediaDepth::Streams).error, "No such file or directory");

    const std::atomic_bool stop{true};
    const MediaFacts stopped = readMedia(test::videoClip(10), MediaDepth::Lengths, &stop);
    EXPECT_FALSE(stopped.readable);
}

namespace {

// The names opened in a folder, as the kernel saw them (inotify).
class OpenedNames {
public:
    explicit OpenedNames(const QString& folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, folder.toUtf8().constData(), IN_OPEN);
    }
    ~OpenedNames() { ::close(m_fd); }
    QStringList take()
    {
        QStringList names;
        alignas(inotify_event) char buffer[8192];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                names << QString::fromUtf8(e->len ? e->name : "");
                p += sizeof(inotify_event) + e->len;
            }
        return names;
    }

private:
    int m_fd;
};

} // namespace

TEST(MediaFacts, AFileThatNamesOtherFilesIsRefusedWithoutOpeningThem)
{
    QTemporaryDir dir;
    const QString neighbour = test::copyTo(test::videoClip(2), dir.path(), "neighbour.mp4");
    const QByteArray local = neighbour.toUtf8();
    const struct {
        const char* name;
        QByteArray body;
        const char* error;
    } cases[] = {
        {"holiday2.mp4", "ffconcat version 1.0\nfile neighbour.mp4\nfile '" + local + "'\n",
         "a list of files to join names other files; add the files themselves"},
        {"list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + local + "\n#EXT-X-ENDLIST\n",
         "a playlist names other files; add the files themselves"},
        {"manifest.mpd", "<?xml version=\"1.0\"?>\n<MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" "
                         "profiles=\"urn:mpeg:dash:profile:isoff-on-demand:2011\" type=\"static\" "
                         "mediaPresentationDuration=\"PT2S\" minBufferTime=\"PT1S\"><Period><AdaptationSet mimeType=\"video/mp4\">"
                         "<Representation id=\"1\" bandwidth=\"1000\"><BaseURL>neighbour.mp4</BaseURL></Representation>"
                         "</AdaptationSet></Period></MPD>\n",
         "a playlist names other files; add the files themselves"},
        {"neighbour.idx", "# VobSub index file, v7 (do not modify this line!)\nsize: 720x576\nid: en, index: 0\n"
                          "timestamp: 00:00:01:000, filepos: 000000000\n",
         "a subtitle index names another file, which holds its pictures"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile f(dir.filePath(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.body);
        f.close();
        OpenedNames opened(dir.path());
        for (const MediaDepth depth : {MediaDepth::Streams, MediaDepth::Lengths}) {
            const MediaFacts facts = readMedia(f.fileName(), depth);
            EXPECT_FALSE(facts.readable);
            EXPECT_TRUE(facts.refused);
            EXPECT_EQ(facts.error, c.error);
        }
        EXPECT_LT(keyframeAtOrBefore(f.fileName(), 1), 0);
        for (const QString& name : opened.take())
            EXPECT_EQ(name, c.name) << "only the file itself is opened";
    }
    // Read, an ordinary film is no such file.
    const MediaFacts film = readMedia(neighbour, MediaDepth::Lengths);
    EXPECT_TRUE(film.readable && !film.refused);
    EXPECT_EQ(film.container, "mov,mp4,m4a,3gp,3g2,mj2");
}

TEST(MediaFacts, ANameIsNeverAPatternAndAReferenceAloneIsNothingToConvert)
{
    QTemporaryDir dir;
    const QString png = test::makeMedia("red64x48.png", {"-f", "lavfi", "-i", "color=c=red:size=64x48", "-frames:v", "1"});
    const QString tga = test::makeMedia("red64x48.tga", {"-f", "lavfi", "-i", "color=c=red:size=64x48", "-frames:v", "1"});
    const QString shot = test::copyTo(png, dir.path(), "shot%d.png"), frame = test::copyTo(tga, dir.path(), "frame%d.tga");
    for (int i = 0; i < 3; ++i) {
        test::copyTo(png, dir.path(), QString("shot%1.png").arg(i));
        test::copyTo(tga, dir.path(), QString("frame%1.tga").arg(i));
    }
    OpenedNames opened(dir.path());
    const MediaFacts picture = readMedia(shot, MediaDepth::Lengths), targa = readMedia(frame, MediaDepth::Lengths);
    ASSERT_TRUE(picture.readable) << picture.error.toStdString();
    EXPECT_EQ(picture.container, "png_pipe");
    ASSERT_TRUE(targa.readable) << targa.error.toStdString();
    EXPECT_EQ(targa.container, "image2") << "read as the one picture";
    ASSERT_EQ(targa.streams.size(), 1u);
    EXPECT_EQ(targa.streams[0].packets, 1);
    const QStringList names = opened.take();
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), (QSet<QString>{"shot%d.png", "frame%d.tga"}));

    // A movie that only refers to another, by address: nothing of its own.
    QByteArray url = "http://127.0.0.1:9/film.mp4";
    url.append('\0');
    auto bigEndian = [](qsizetype n) {
        const auto v = static_cast<quint32>(n);
        return QByteArray() + char(v >> 24) + char(v >> 16) + char(v >> 8) + char(v);
    };
    auto box = [&](const QByteArray& type, const QByteArray& payload) { return bigEndian(8 + payload.size()) + type + payload; };
    const QByteArray reference =
        box("ftyp", QByteArray("qt  \0\0\0\0qt  ", 12)) +
        box("moov", box("rmra", box("rmda", box("rdrf", QByteArray(4, '\0') + "url " + bigEndian(url.size()) + url))));
    QFile movie(dir.filePath("trailer.mov"));
    ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
    movie.write(reference);
    movie.close();
    const MediaFacts referring = readMedia(movie.fileName(), MediaDepth::Streams);
    EXPECT_FALSE(referring.readable);
    EXPECT_EQ(referring.error, "it holds no picture and no sound");
}
