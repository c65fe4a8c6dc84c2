#include "core/sources/MediaProbe.h"
#include "core/media/MediaFacts.h"
#include "core/tools/ToolRegistry.h"

#include "TestSupport.h"
#include "core/sources/SourceList.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
struct Probing : ::testing::Test {
    test::ProgramFolder folder;
    SourceList list;
    ToolRegistry tools;
    MediaProbe probe{list, folder.path(), tools};

    void addAndWait(const QStringList& paths)
    {
        for (const QString& p : paths)
            probe.addSource(p);
        ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    }
    QString cell(int row, SourceItem::Column c) { return list.cell(row, c); }
};
} // namespace

TEST_F(Probing, VideoAudioAndNonMediaFiles)
{
    const QString video = test::makeMedia("probe640.mp4", {"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=10",
                                                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    const QString audio = test::audioClip(7);
    QTemporaryDir dir;
    QFile text(dir.filePath("notes.avi"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a video\n");
    text.close();

    addAndWait({video, audio, text.fileName()});
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(cell(0, SourceItem::Size), "640x480");
    EXPECT_EQ(cell(0, SourceItem::End), "0:00:10");
    EXPECT_EQ(cell(0, SourceItem::VideoTime), "0:00:10");
    EXPECT_EQ(cell(0, SourceItem::Format), "H264");
    EXPECT_EQ(cell(0, SourceItem::Start), "0:00:00");

    EXPECT_EQ(cell(1, SourceItem::Size), "0x0");
    EXPECT_EQ(cell(1, SourceItem::Format), "");
    EXPECT_EQ(cell(1, SourceItem::End), "0:00:07");

    // Not read as media here: the player is not asked, and the row says why.
    EXPECT_EQ(cell(2, SourceItem::Size), "");
    EXPECT_EQ(cell(2, SourceItem::Start), "");
    EXPECT_EQ(cell(2, SourceItem::Format), "");
    EXPECT_EQ(cell(2, SourceItem::FileName), text.fileName());
    EXPECT_EQ(list.item(2).media.error, "Invalid data found when processing input");
}

TEST(MediaProbePlayer, OnlyAFileReadAsOneContainerGoesToThePlayerAndAsThatContainer)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("asked.log");
    test::writeScript(dir.filePath("mp.dll"), "for last; do :; done\necho \"$VARNEL_SOURCE_FORMAT $last\" >> '" +
                                                  log.toUtf8() + "'\necho ID_VIDEO_WIDTH=320\necho ID_VIDEO_HEIGHT=240\n");
    const QString clip = test::copyTo(test::videoClip(2), dir.path(), "clip.mp4");
    auto write = [&](const QString& name, const QByteArray& body) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(body) > 0);
        return f.fileName();
    };
    const QString playlist = write("list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + clip.toUtf8() + "\n#EXT-X-ENDLIST\n");
    const QString joined = write("joined.mp4", "ffconcat version 1.0\nfile clip.mp4\n");
    const QString junk = write("junk.avi", "nothing");
    SourceList list;
    ToolRegistry tools;
    MediaProbe probe(list, dir.path(), tools);
    for (const QString& p : {playlist, clip, joined, junk})
        probe.addSource(p);
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    QFile asked(log);
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(asked.readAll()), "mov,mp4,m4a,3gp,3g2,mj2 " + clip + "\n");
    EXPECT_EQ(list.cell(1, SourceItem::Size), "320x240");
    EXPECT_TRUE(list.item(0).media.refused);
    EXPECT_EQ(list.item(0).media.error, "a playlist names other files; add the files themselves");
    EXPECT_TRUE(list.item(2).media.refused);
    EXPECT_FALSE(list.item(3).media.refused);
}

TEST_F(Probing, AwkwardPathsAreProbedAsTheyAre)
{
    QTemporaryDir dir;
    const QString clip = test::videoClip(3);
    const QStringList names = {"with blank.mp4", "double\"quote.mp4", "dollar$HOME.mp4", "back`tick`.mp4",
                               "-leading-dash.mp4", "Vidéo ünïcødé.mp4"};
    QStringList paths;
    for (const QString& n : names)
        paths << test::copyTo(clip, dir.path(), n);
    addAndWait(paths);
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(cell(i, SourceItem::FileName), paths[i]);
        EXPECT_EQ(cell(i, SourceItem::Size), "320x240") << names[i].toStdString();
        EXPECT_EQ(cell(i, SourceItem::End), "0:00:03") << names[i].toStdString();
    }
}

TEST_F(Probing, EveryRowAppearsAtOnceAndIsFilledWhenItsProbeEnds)
{
    const QString clip = test::videoClip(3);
    probe.setParallel(2);
    for (int i = 0; i < 3; ++i)
        probe.addSource(clip);
    ASSERT_EQ(list.count(), 3) << "every row is there at once";
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(cell(r, SourceItem::Size), "") << "unfilled while its probe waits or runs";
    EXPECT_TRUE(probe.isProbing(2));
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(cell(r, SourceItem::Size), "320x240") << r;
}

TEST_F(Probing, RowsAreNamedByTheirIdsWhateverMovesThem)
{
    const QString clip = test::videoClip(3);
    const QString audio = test::audioClip(7);
    QSignalSpy probed(&probe, &MediaProbe::probed);
    for (const QString& p : {clip, clip, audio})
        probe.addSource(p);
    const quint64 second = list.item(1).id, third = list.item(2).id;
    list.removeItem(0);
    EXPECT_TRUE(probe.isProbing(third));
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    QSet<quint64> said;
    for (const QList<QVariant>& signal : probed)
        said << signal.at(0).value<quint64>();
    EXPECT_EQ(said, (QSet<quint64>{second, third}));
    EXPECT_FALSE(probe.isProbing(third));

    // Read again by id after the row above it went: that row's file, no other.
    probe.readMedia(third, MediaDepth::Lengths);
    list.removeItem(0);
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.item(0).id, third);
    EXPECT_TRUE(list.item(0).media.lengthsMeasured);
    EXPECT_NEAR(list.item(0).media.seconds(), 7, 0.1);
}

TEST_F(Probing, RemovingRowsWhileProbingKeepsTheRestRight)
{
    const QString clip = test::videoClip(3);
    const QString audio = test::audioClip(7);
    probe.addSource(clip);
    probe.addSource(clip);
    probe.addSource(audio);
    list.removeItem(0);
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(cell(0, SourceItem::End), "0:00:03");
    EXPECT_EQ(cell(1, SourceItem::End), "0:00:07");
    list.clearItems();
    probe.addSource(audio);
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 60000));
    EXPECT_EQ(cell(0, SourceItem::End), "0:00:07");
}

TEST(MediaProbeHang, APlayerThatHangsIsEndedAndItsRowKeepsWhatWasFound)
{
    QTemporaryDir dir;
    test::writeScript(dir.filePath("mp.dll"), "echo ID_VIDEO_WIDTH=320\necho ID_LENGTH=12\nexec sleep 60\n");
    SourceList list;
    ToolRegistry tools;
    MediaProbe probe(list, dir.path(), tools);
    probe.setTimeoutMs(700);
    QElapsedTimer t;
    t.start();
    probe.addSource(test::videoClip(2));
    ASSERT_TRUE(test::waitFor([&] { return !probe.isBusy(); }, 10000));
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_EQ(list.cell(0, SourceItem::End), "0:00:12");
    EXPECT_EQ(list.cell(0, SourceItem::Size), "320x0");
}

TEST_F(Probing, TransportStreamsGetTheirLength)
{
    // The player reports 0 for MPEG-TS; the length comes from ffprobe then.
    const QString ts = test::makeMedia("clip3s.ts", {"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3",
                                                     "-c:v", "mpeg2video", "-f", "mpegts"});
    addAndWait({ts});
    EXPECT_EQ(cell(0, SourceItem::End), "0:00:03");
    EXPECT_EQ(cell(0, SourceItem::Size), "320x240");
}

TEST(ProbeParse, LengthsOutOfRangeAreUnknown)
{
    for (const char* huge : {"ID_LENGTH=1e999", "ID_LENGTH=1e20", "ID_LENGTH=-1e20"})
        EXPECT_EQ(parseIdentifyOutput(huge).length, "") << huge;
    EXPECT_FALSE(parseIdentifyOutput("ID_VIDEO_WIDTH=1e40\nID_VIDEO_HEIGHT=240").complete);
}
