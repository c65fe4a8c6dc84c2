// The embedded player's logic against a player of the test's own that keeps
// the keys it is sent and ignores them: every start, the clock and seek.
#include "core/preview/PreviewPlayer.h"

#include "TestSupport.h"
#include "core/preview/ClipTimes.h"
#include "core/tools/ToolRegistry.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Player : ::testing::Test {
    test::ProgramFolder folder;
    ToolRegistry tools;
    PreviewPlayer player{tools, folder.path(), kPreviewVariants};
    QStringList times, totals;
    QList<int> positions;

    Player()
    {
        test::writeScript(folder.file("mp.dll"), "exec cat > keys.$$\n"); // takes q and keeps playing
        player.setSurface([] { return quintptr(4242); });
        QObject::connect(&player, &PreviewPlayer::currentTimeText, [this](const QString& t) { times << t; });
        QObject::connect(&player, &PreviewPlayer::totalTimeText, [this](const QString& t) { totals << t; });
        QObject::connect(&player, &PreviewPlayer::sliderPosition, [this](int p) { positions << p; });
    }
    QString line(PlayerOptions variant, int offset = -1)
    {
        return playerCommand(folder.path(), 4242, variant, player.file(), offset).text();
    }
    QByteArray keysOf(qint64 pid)
    {
        QFile f(folder.file(QString("keys.%1").arg(pid)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The player started before has gone: asked to quit, then ended.
    bool gone(qint64 pid) { return test::waitFor([&] { return !tools.isRunning(pid); }, 30000); }
};

} // namespace

TEST_F(Player, EachStartUsesItsVariantAndThePreviousPlayerGoes)
{
    player.play("/v/a b.mp4", "0:00:40");
    EXPECT_EQ(player.job().lastCommand(), line(PlayerOptions::Variant1));
    EXPECT_EQ(totals, QStringList{"Total time:0:00:40"});
    EXPECT_EQ(player.totalSeconds(), 40);
    EXPECT_TRUE(player.clockRunning());

    struct Step { const char* what; std::function<void()> act; PlayerOptions variant; int offset; };
    const Step steps[] = {
        {"first frame", [&] { player.firstFrame(); }, PlayerOptions::Variant2, -1},
        {"last frames", [&] { player.lastFrames(); }, PlayerOptions::Variant1, 40},
        {"seek", [&] { player.seek(25); }, PlayerOptions::Variant3, 10},
    };
    for (const Step& s : steps) {
        const qint64 before = player.job().processId();
        s.act();
        // A seek's player starts once its keyframe is found, off this thread.
        EXPECT_TRUE(test::waitFor([&] { return player.job().lastCommand() == line(s.variant, s.offset); }, 30000))
            << s.what << ": " << player.job().lastCommand().toStdString();
        EXPECT_NE(player.job().processId(), before) << s.what;
        EXPECT_TRUE(gone(before)) << s.what << ": a player that ignores its quit key is ended";
        EXPECT_EQ(keysOf(before), "q") << s.what;
    }
    EXPECT_TRUE(player.job().lastCommand().contains(" -ss 10 -wid 4242 "));
}

TEST_F(Player, TheClockAndTheSeekBar)
{
    player.setFile("/v/a.mp4");
    player.setTimes(0, 8);
    player.tick();
    EXPECT_EQ(positions, QList<int>{12}) << "12.5 rounds half to even";
    EXPECT_EQ(times, QStringList{"0:00:01"});

    // Back and Forward move the player, never the clock.
    player.play("", QString());
    const qint64 pid = player.job().processId();
    EXPECT_EQ(player.file(), "/v/a.mp4") << "no row: the file played last";
    EXPECT_EQ(player.totalSeconds(), 8);
    player.back();
    player.forward();
    EXPECT_EQ(player.elapsedSeconds(), 0);
    ASSERT_TRUE(test::waitFor([&] { return keysOf(pid) == "\x1b[D\x1b[C"; }, 30000));

    // A seek while paused restarts the player there, with the clock off.
    player.pause();
    EXPECT_FALSE(player.clockRunning());
    player.seek(50);
    EXPECT_EQ(player.elapsedSeconds(), 4);
    EXPECT_TRUE(test::waitFor([&] { return player.job().lastCommand() == line(PlayerOptions::Variant3, 4); }, 30000));
    EXPECT_FALSE(player.clockRunning());
    EXPECT_EQ(times.last(), "0:00:04");

    // The far right: no new player, the clock stops.
    player.pause();
    const qint64 current = player.job().processId();
    player.seek(100);
    EXPECT_EQ(player.elapsedSeconds(), 8);
    EXPECT_EQ(player.job().processId(), current);
    EXPECT_FALSE(player.clockRunning());

    // Last Frames: the first tick passes the total and stops the clock.
    player.lastFrames();
    EXPECT_TRUE(player.clockRunning());
    player.tick();
    EXPECT_FALSE(player.clockRunning());

    // A total of 0 stops the clock at once and never moves the bar.
    player.setTimes(player.elapsedSeconds(), 0);
    positions.clear();
    player.firstFrame();
    player.tick();
    EXPECT_FALSE(player.clockRunning());
    EXPECT_TRUE(positions.isEmpty());

    // Past 32767 the label keeps its text.
    player.setTimes(32767, 40000);
    times.clear();
    player.tick();
    EXPECT_TRUE(times.isEmpty());

    // Stop: the quit key, the clock off, the label emptied.
    player.stop();
    EXPECT_EQ(times.last(), "");
    EXPECT_EQ(player.elapsedSeconds(), 0);
}

TEST_F(Player, TheSurfaceComesBackWhenItsPlayerEndsAndNothingStartsWithoutOne)
{
    QList<bool> playing;
    QObject::connect(&player, &PreviewPlayer::playing, [&](bool on) { playing << on; });
    player.play("/v/a.mp4", "0:00:10");
    const qint64 first = player.job().processId();
    player.firstFrame();
    ASSERT_TRUE(gone(first));
    EXPECT_EQ(playing, (QList<bool>{false, true, false, true})) << "a replaced player's end is not the surface's";
    tools.terminate(player.job().processId()); // as at the end of the file
    ASSERT_TRUE(test::waitFor([&] { return playing.size() == 5; }, 30000));
    EXPECT_FALSE(playing.last()) << "the surface may be painted again";

    QStringList refused;
    QObject::connect(&player, &PreviewPlayer::cannotStart, [&](const QString& why) { refused << why; });
    player.stopClock();
    player.setSurfaceUnavailable("no X display");
    const QString last = player.job().lastCommand();
    player.play("/v/b.mp4", "0:00:20");
    player.firstFrame();
    player.lastFrames();
    player.seek(50);
    EXPECT_EQ(refused, QStringList(4, "no X display")) << "each start says it once";
    EXPECT_EQ(player.job().lastCommand(), last);
    EXPECT_EQ(tools.runningCount(), 0);
    EXPECT_FALSE(player.clockRunning());
    EXPECT_EQ(player.file(), "/v/a.mp4");
}

TEST(ClipTimes, OrderAndLength)
{
    EXPECT_TRUE(clipTimesInOrder("9:00:00", "10:00:00"));
    EXPECT_FALSE(clipTimesInOrder("0:00:05", "0:00:05"));
    EXPECT_FALSE(clipTimesInOrder("0:00:06", "0:00:05"));
    EXPECT_FALSE(clipTimesInOrder("", "0:00:05"));
    EXPECT_EQ(clipLengthText("0:00:07", "0:00:02"), "0:00:05") << "without sign";
    EXPECT_EQ(clipLengthText("0:00:00", "10:00:00"), std::nullopt) << "past the clock's range";
}
