// Lengths measured from the packets, for the files players misjudge.
#include "HardMedia.h"
#include "TestSupport.h"

#include "core/media/MediaFacts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

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
