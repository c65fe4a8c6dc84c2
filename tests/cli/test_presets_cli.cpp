// Presets through varnel-convert: saved, used by --preset, and never left
// half-written by a kill.
#include "CliRig.h"

#include <QRandomGenerator>
#include <QThread>
#include <csignal>

using namespace varnel;
using test::Cli;

TEST_F(Cli, APresetIsSavedUsedAndSurvivesKills)
{
    ASSERT_EQ(run({"preset", "save", "Small phone", "--choose", "103", "--set", "Video Options/Video Size=854x480",
                   "--set", "Video Options/Video Bitrate=Quality: Small"}),
              0)
        << err.toStdString();
    ASSERT_EQ(run({"command", "--preset", "Small phone", "--source", "/in/a.mp4", "--end", "0:00:10", "--output",
                   "/out/a.mp4", "--program-folder", "/App"}),
              0);
    EXPECT_TRUE(out.contains(" -crf 27 ")) << out.toStdString();
    EXPECT_TRUE(out.contains("min(854\\,iw):h=min(480\\,ih)")) << out.toStdString();
    EXPECT_EQ(run({"preset", "save", "Odd", "--choose", "103", "--set", "Video Options/Video Size=999x1"}), 2);
    EXPECT_EQ(run({"convert", "--preset", "Nobody", "/in/a.mp4"}), 2);
    EXPECT_TRUE(err.startsWith("varnel-convert: there is no preset Nobody\n")) << err.toStdString();

    // Saves killed at any moment leave the file as it was or as it became.
    for (int i = 0; i < 12; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {"preset", "save", QString("Killed %1").arg(i), "--choose", "104"});
        ASSERT_TRUE(p.waitForStarted());
        QThread::usleep(QRandomGenerator::global()->bounded(150000));
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished(30000);
    }
    ASSERT_EQ(run({"preset", "list"}), 0);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    EXPECT_TRUE(lines().first().startsWith("Small phone\t103\t"));
    for (const QString& line : lines())
        EXPECT_TRUE(line == lines().first() || line.startsWith("Killed ")) << line.toStdString();

    // Exported, deleted, imported back.
    const QString file = folder.file("mine.json");
    ASSERT_EQ(run({"preset", "export", "Small phone", file}), 0);
    ASSERT_EQ(run({"preset", "delete", "Small phone"}), 0);
    ASSERT_EQ(run({"preset", "import", file}), 0);
    EXPECT_EQ(out, "Small phone\n");
}
