#include "adapters/AdapterArgs.h"

#include "HttpServer.h"
#include "OpenWatch.h"
#include "TestSupport.h"
#include "core/convert/EncoderCommand.h"
#include "core/convert/ProgressMonitor.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"
#include "core/tools/ToolRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::adapter;

TEST(EncoderAdapter, ArgumentsForFfmpeg)
{
    const Args given = {"-i", "in.avi", "-acodec", "libfaac", "-vstats_file", "/p/curconvert.log", "out.mp4"};
    EXPECT_EQ(encoderArgs(given), (Args{"-y", "-vstats_version", "1", "-i", "in.avi", "-acodec", "aac",
                                        "-vstats_file", "/p/curconvert.log", "out.mp4"}));
    EXPECT_EQ(statisticsFile(given), "/p/curconvert.log");
    EXPECT_EQ(statisticsFile({"-i", "x"}), "");

    // The source is read as the container the converter decided, through files only.
    Args args = encoderArgs(given);
    ASSERT_TRUE(readSourceAs("mov,mp4,m4a,3gp,3g2,mj2", args));
    EXPECT_EQ(args, (Args{"-y", "-vstats_version", "1", "-f", "mov,mp4,m4a,3gp,3g2,mj2", "-protocol_whitelist", "file",
                          "-i", "in.avi", "-acodec", "aac", "-vstats_file", "/p/curconvert.log", "out.mp4"}));
    EXPECT_EQ(probeSourceAs("image2"), (Args{"-f", "image2", "-protocol_whitelist", "file", "-pattern_type", "none"}));
    Args noInput = {"-version"};
    EXPECT_FALSE(readSourceAs("avi", noInput));
}

TEST(EncoderAdapter, TheSourceContainerIsANameOrNothing)
{
    std::string format, error;
    for (const char* good : {"", "avi", "mov,mp4,m4a,3gp,3g2,mj2", "png_pipe"}) {
        ::setenv("VARNEL_TEST_SOURCE_FORMAT", good, 1);
        EXPECT_TRUE(sourceFormat("VARNEL_TEST_SOURCE_FORMAT", &format, &error)) << good;
        EXPECT_EQ(format, good);
    }
    for (const char* bad : {"-i", "lavfi -i x", "concat:a|b", "Avi", ",avi", "file:/x"}) {
        ::setenv("VARNEL_TEST_SOURCE_FORMAT", bad, 1);
        EXPECT_FALSE(sourceFormat("VARNEL_TEST_SOURCE_FORMAT", &format, &error)) << bad;
        EXPECT_EQ(error, std::string("VARNEL_TEST_SOURCE_FORMAT does not name a container: ") + bad);
    }
    ::unsetenv("VARNEL_TEST_SOURCE_FORMAT");
    EXPECT_TRUE(sourceFormat("VARNEL_TEST_SOURCE_FORMAT", &format, &error));
    EXPECT_EQ(format, "");
}

TEST(PlayerAdapter, ArgumentsForMplayer)
{
    EXPECT_EQ(playerArgs({"-priority", "abovenormal", "-framedrop", "-vo", "gl2", "-vf", "screenshot", "f.avi"}),
              (Args{"-nolirc", "-zoom", "-noautosub", "-lavfdopts", "o=protocol_whitelist=none", "-framedrop", "-vo",
                    "xv,x11,", "-vf", "screenshot", "f.avi"}))
        << "playback scales in software where the X server cannot";
    EXPECT_EQ(playerArgs({"-identify", "-nosound", "-vo", "null", "f.avi"}),
              (Args{"-nolirc", "-noconsolecontrols", "-noautosub", "-lavfdopts", "o=protocol_whitelist=none", "-identify",
                    "-ao", "pcm:fast:nowaveheader:file=/dev/null", "-vo", "null", "f.avi"}));
    EXPECT_EQ(playerArgs({"-nosound", "f.avi"}),
              (Args{"-nolirc", "-zoom", "-noautosub", "-lavfdopts", "o=protocol_whitelist=none", "-nosound", "f.avi"}));
    // With the converter's container: read as that alone.
    EXPECT_EQ(playerArgs({"-identify", "-vo", "null", "/v/f.mp4"}, "mov,mp4,m4a,3gp,3g2,mj2"),
              (Args{"-nolirc", "-noconsolecontrols", "-noautosub", "-demuxer", "lavf", "-lavfdopts",
                    "format=mov:o=protocol_whitelist=none", "-identify", "-vo", "null", "/v/f.mp4"}));
    EXPECT_EQ(playerArgs({"-identify", "/v/f.avi"}, "avi"),
              (Args{"-nolirc", "-noconsolecontrols", "-noautosub", "-demuxer", "avi", "-lavfdopts", "o=protocol_whitelist=none",
                    "-identify", "/v/f.avi"}))
        << "the player's own demuxer, where it has one";
    EXPECT_EQ(playerArgs({"-vo", "null", "/v/shot%d.tga"}, "image2"),
              (Args{"-nolirc", "-zoom", "-noautosub", "-demuxer", "lavf", "-lavfdopts",
                    "format=image2:o=protocol_whitelist=file,pattern_type=none", "-vo", "null", "/v/shot%d.tga"}));
    // An address is played as the player plays addresses.
    EXPECT_EQ(playerArgs({"-vo", "null", "http://127.0.0.1:8/v.mp4"}),
              (Args{"-nolirc", "-zoom", "-noautosub", "-vo", "null", "http://127.0.0.1:8/v.mp4"}));
}

namespace {

struct Swapped : ::testing::Test {
    QTemporaryDir dir;
    test::OpenWatch watch;
    QString out;

    // The adapter, run under the watch with the container the converter decided.
    int runWatched(const QString& adapter, const QString& format, const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARNEL_SOURCE_FORMAT", format);
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(watch.tracer(), watch.command(test::binDir() + "/" + adapter, args));
        p.closeWriteChannel();
        EXPECT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 120000));
        out = QString::fromUtf8(p.readAll());
        EXPECT_TRUE(watch.traced());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) > 0);
        return f.fileName();
    }
};

} // namespace

// The converter read the file as one container; what lies at its name when
// a tool starts is read as that container, or not at all.
TEST_F(Swapped, TheEncoderReadsTheSourceOnlyAsItsDecidedContainer)
{
    const QString neighbour = test::copyTo(test::videoClip(2), dir.path(), "neighbour.mp4");
    const QString source = write("holiday2.mp4", "ffconcat version 1.0\nfile neighbour.mp4\n");
    QTemporaryDir outputs;
    EXPECT_NE(runWatched("fp.dll", "mov,mp4,m4a,3gp,3g2,mj2", {"-i", source, "-c:v", "mpeg4", outputs.filePath("a.mp4")}), 0);
    EXPECT_EQ(watch.openedInside(dir.path(), {source}), QStringList{}) << out.toStdString();

    // Pictures: the one named, never a sequence of others.
    const QString png = test::makeMedia("red64x48.png", {"-f", "lavfi", "-i", "color=c=red:size=64x48", "-frames:v", "1"});
    const QString tga = test::makeMedia("red64x48.tga", {"-f", "lavfi", "-i", "color=c=red:size=64x48", "-frames:v", "1"});
    const QString shot = test::copyTo(png, dir.path(), "shot%d.png"), frame = test::copyTo(tga, dir.path(), "frame%d.tga");
    for (int i = 0; i < 4; ++i) {
        test::copyTo(png, dir.path(), QString("shot%1.png").arg(i));
        test::copyTo(tga, dir.path(), QString("frame%1.tga").arg(i));
    }
    for (const auto& [picture, format] : {std::pair{shot, "png_pipe"}, std::pair{frame, "image2"}}) {
        const QString output = outputs.filePath(QFileInfo(picture).completeBaseName() + ".mp4");
        ASSERT_EQ(runWatched("fp.dll", format, {"-i", picture, "-c:v", "mpeg4", output}), 0) << out.toStdString();
        EXPECT_EQ(watch.openedInside(dir.path(), {picture}), QStringList{}) << format;
        QString frames;
        test::run("ffprobe", {"-v", "error", "-count_frames", "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", output},
                  &frames);
        EXPECT_EQ(frames.trimmed(), "1") << format;
    }

    // A setting that is not a container's name starts nothing.
    EXPECT_EQ(runWatched("fp.dll", "lavfi -i testsrc", {"-i", source, outputs.filePath("b.mp4")}), 126);
    EXPECT_TRUE(out.contains("VARNEL_SOURCE_FORMAT does not name a container: lavfi -i testsrc")) << out.toStdString();
    EXPECT_FALSE(QFile::exists(outputs.filePath("b.mp4")));
}

TEST_F(Swapped, TheIdentifyRunReadsTheSourceOnlyAsItsDecidedContainer)
{
    test::HttpServer server;
    const QString neighbour = test::copyTo(test::videoClip(2), dir.path(), "neighbour.mp4");
    const QString source = write("clip.mp4", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + server.url("/seg0.ts").toUtf8() +
                                                 "\n#EXTINF:2,\n" + neighbour.toUtf8() + "\n#EXT-X-ENDLIST\n");
    // Read by libavformat's demuxer, and by one of the player's own.
    for (const char* format : {"mov,mp4,m4a,3gp,3g2,mj2", "avi"}) {
        runWatched("mp.dll", format, {"-identify", "-nosound", "-vo", "null", "-endpos", "1", source});
        EXPECT_FALSE(out.contains("ID_LENGTH=")) << format << out.toStdString();
        EXPECT_EQ(watch.openedInside(dir.path(), {source}), QStringList{}) << format;
        EXPECT_EQ(watch.connected(), QStringList{}) << format;
    }
    EXPECT_TRUE(server.requests.isEmpty());
}

namespace {

struct EncoderRun {
    test::ProgramFolder folder;
    OptionSheet sheet;
    ToolRegistry tools;
    QSignalSpy finished{&tools, &ToolRegistry::toolFinished};

    qint64 start(int entry, const QString& source, const QString& output, const QString& end = "0:00:02")
    {
        sheet.prolist();
        OptionSets::apply(sheet, entry);
        EncoderInputs in;
        in.sourcePath = source;
        in.startText = "0:00:00";
        in.endText = end;
        in.entryNumber = entry;
        in.sheet = &sheet;
        in.threadSetting = "0";
        in.outputPath = output;
        in.programFolder = folder.path();
        return tools.start(buildEncoderCommand(in).command, folder.path());
    }
    int waitExitCode(int ms = 120000)
    {
        return finished.wait(ms) ? finished.last().at(1).toInt() : -1;
    }
};

} // namespace

class EncoderForm : public ::testing::TestWithParam<int> {};

TEST_P(EncoderForm, ReachesFfmpegAndProducesAFile)
{
    EncoderRun r;
    const QString source = test::videoClip(2);
    // Forms without a container piece leave the container to the extension.
    const QString output = r.folder.file("out file" + Catalogue::entry(GetParam())->extension());
    // A statistics file of an earlier run is not read as this one's.
    QFile stale(r.folder.file("curconvert.log"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("frame= 1 q= 1 f_size= 1 s_size= 1kB time= 999.000 br= 1kbits/s avg_br= 1kbits/s type= I\n");
    stale.close();

    ASSERT_NE(r.start(GetParam(), source, output), 0);
    EXPECT_EQ(r.waitExitCode(), 0);
    EXPECT_GT(QFileInfo(output).size(), 0);
    const QString last = ReadLastLineOfFile(r.folder.file("curconvert.log"));
    const bool audioOnly = GetParam() >= 95;
    if (!audioOnly) {
        const double t = encodedTimeText(last).toDouble();
        EXPECT_GT(t, 0.5) << last.toStdString();
        EXPECT_LT(t, 3.0) << last.toStdString();
    }
}

// One entry of each command form: full, full without aspect, short video,
// short video with aspect, both phone forms, flash, DVD, audio, WMA.
INSTANTIATE_TEST_SUITE_P(Forms, EncoderForm, ::testing::Values(2, 61, 42, 93, 71, 72, 83, 88, 96, 100));

TEST(EncoderAdapter, QuitKeyStopsALongEncodeWithAFinishedFile)
{
    EncoderRun r;
    const QString source = test::videoClip(60);
    const QString output = r.folder.file("long.mp4");
    const qint64 pid = r.start(2, source, output, "0:01:00");
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(test::waitFor([&] {
        return encodedTimeText(ReadLastLineOfFile(r.folder.file("curconvert.log"))).toDouble() > 1.0;
    }, 60000));
    EXPECT_TRUE(r.tools.postKey(pid, Key::Quit));
    EXPECT_EQ(r.waitExitCode(30000), 0);
    const test::MediaInfo info = test::probeMedia(output);
    EXPECT_TRUE(info.hasVideo);
    EXPECT_GT(info.duration, 0.5);
    EXPECT_LT(info.duration, 59.0);
}

TEST(PlayerAdapter, PausesSeeksAndQuitsOnPostedKeys)
{
    const QString clip = test::videoClip(30);
    QProcess player;
    player.setProcessChannelMode(QProcess::MergedChannels);
    player.start(test::binDir() + "/mp.dll", {"-vo", "null", "-nosound", clip});
    ASSERT_TRUE(player.waitForStarted());
    QByteArray out;
    QObject::connect(&player, &QProcess::readyRead, [&] { out += player.readAll(); });
    auto lastTime = [&] {
        const auto all = QRegularExpression("V: *([0-9.]+)").globalMatch(QString::fromLatin1(out));
        double t = -1;
        for (auto it = all; it.hasNext();)
            t = it.next().captured(1).toDouble();
        return t;
    };
    ASSERT_TRUE(test::waitFor([&] { return lastTime() >= 0.5; }, 15000));

    player.write(keyBytes(Key::Space));
    ASSERT_TRUE(test::waitFor([&] { return out.contains("PAUSE"); }, 30000));
    player.write(keyBytes(Key::Space));
    const double before = lastTime();
    player.write(keyBytes(Key::Right));
    ASSERT_TRUE(test::waitFor([&] { return lastTime() >= before + 9; }, 10000)) << lastTime();
    player.write(keyBytes(Key::Quit));
    ASSERT_TRUE(player.waitForFinished(10000));
    out += player.readAll();
    EXPECT_TRUE(out.contains("Exiting... (Quit)"));
}

TEST(PlayerAdapter, WhatThePlayerForkedEndsWithItEvenAfterACrash)
{
    // A stand-in player that forks a helper (as a stream's cache) and dies.
    test::ProgramFolder folder;
    const QString player = test::writeScript(folder.file("player"), "sleep 300 &\necho $! > helper\nkill -SEGV $$\n");
    QProcess adapter;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARNEL_MPLAYER", player);
    adapter.setProcessEnvironment(env);
    adapter.setWorkingDirectory(folder.path());
    adapter.start(test::binDir() + "/mp.dll", {"-vo", "null", "f.avi"});
    ASSERT_TRUE(adapter.waitForFinished(30000));
    EXPECT_EQ(adapter.exitCode(), 128 + SIGSEGV);
    QFile helper(folder.file("helper"));
    ASSERT_TRUE(helper.open(QIODevice::ReadOnly));
    const qint64 pid = helper.readAll().trimmed().toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(test::waitFor([&] { return !test::processAlive(pid); }, 30000)) << "the helper is gone";
}

TEST(EncoderAdapter, AudioOnlyOutputsGetAStatisticsFileToo)
{
    EXPECT_EQ(encodedTimeText(QString::fromStdString(statisticsLine(12.5))), "12.500");
    EncoderRun r;
    const QString stats = r.folder.file("curconvert.log");
    ASSERT_NE(r.start(96, test::videoClip(3), r.folder.file("tone.mp3"), "0:00:03"), 0);
    ASSERT_EQ(r.waitExitCode(), 0);
    const double encoded = encodedTimeText(ReadLastLineOfFile(stats)).toDouble();
    EXPECT_NEAR(encoded, 3.0, 0.2) << "the item bar reaches the end of an audio file";
    EXPECT_TRUE(test::probeMedia(r.folder.file("tone.mp3")).hasAudio);
}

TEST(Adapters, AToolsFailureIsNeverReadAsSuccess)
{
    // Started with child ends ignored (a "trap '' CHLD" above it), the
    // adapters' waits used to fail and read as exit code 0.
    const struct {
        const char* adapter;
        const char* finishing; // VARNEL_FINISH_ON_PARENT_DEATH
        QStringList args;
    } cases[] = {
        {"fp.dll", "", {"-i", "in.mp4", "-vn", "-vstats_file", "stats.log", "out.mp3"}}, // the adapter writes statistics
        {"fp.dll", "1", {"-f", "lavfi", "-i", "testsrc", "out.avi"}},                 // a recording, watched
        {"mp.dll", "", {"-vo", "null", "f.avi"}},                                      // a player, its group guarded
    };
    for (const auto& c : cases) {
        test::ProgramFolder folder;
        const QString tool = test::writeScript(folder.file("tool"), "exit 3\n");
        QProcess adapter;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARNEL_FFMPEG", tool);
        env.insert("VARNEL_MPLAYER", tool);
        env.insert("VARNEL_FINISH_ON_PARENT_DEATH", c.finishing);
        adapter.setProcessEnvironment(env);
        adapter.setWorkingDirectory(folder.path());
        adapter.start("perl", QStringList{"-e", "$SIG{CHLD} = 'IGNORE'; exec @ARGV or exit 99", test::binDir() + "/" + c.adapter} + c.args);
        ASSERT_TRUE(adapter.waitForFinished(30000)) << c.adapter;
        EXPECT_EQ(adapter.exitCode(), 3) << c.adapter << " " << c.args.join(' ').toStdString() << ": "
                                         << adapter.readAllStandardError().toStdString();
    }
}
