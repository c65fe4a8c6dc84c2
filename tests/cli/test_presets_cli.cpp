// Presets through varnel-convert: saved, used by --preset, and never left
// half-written by a kill.
#include "CliRig.h"

#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <sys/stat.h>
#include <utime.h>

using namespace varnel;
using test::Cli;

namespace {

// A file as time leaves it: last changed a minute ago.
void ageFile(const QString& path)
{
    const time_t then = ::time(nullptr) - 60;
    const utimbuf times{then, then};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0) << path.toStdString();
}

QStringList stagedFiles(const QString& folder)
{
    return QDir(folder).entryList({".varnel-*"}, QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

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
    EXPECT_TRUE(out.contains("min(854/max(iw\\,ih*dar)\\,min(480/max(ih\\,iw/dar)\\,")) << out.toStdString();
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
    // Whatever the kills left beside presets.json goes with the next save.
    for (const QString& name : stagedFiles(folder.path()))
        ageFile(folder.file(name));
    ASSERT_EQ(run({"preset", "save", "After the kills", "--choose", "104"}), 0);
    EXPECT_EQ(stagedFiles(folder.path()), QStringList{});

    // Exported (a name without a type gets ".json"), deleted, imported back.
    const QString file = folder.file("mine.json");
    ASSERT_EQ(run({"preset", "export", "Small phone", folder.file("mine")}), 0);
    EXPECT_EQ(out, file + "\n");
    EXPECT_FALSE(QFile::exists(folder.file("mine")));
    ASSERT_EQ(run({"preset", "delete", "Small phone"}), 0);
    ASSERT_EQ(run({"preset", "import", file}), 0);
    EXPECT_EQ(out, "Small phone\n");
    EXPECT_EQ(err, "");

    // A preset of the same name is one's own: replaced only when asked, and said.
    ASSERT_EQ(run({"preset", "save", "Small phone", "--choose", "104"}), 0);
    ASSERT_EQ(run({"preset", "save", "Other", "--choose", "2"}), 0);
    ASSERT_EQ(run({"preset", "export", "Other", folder.file("other.json")}), 0);
    ASSERT_EQ(run({"preset", "delete", "Other"}), 0);
    auto listed = [&] {
        EXPECT_EQ(run({"preset", "list"}), 0);
        return lines().filter("Small phone\t") + lines().filter("Other\t");
    };
    const QStringList before = listed();
    EXPECT_EQ(run({"preset", "import", file}), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "varnel-convert: presets of these names are there already: Small phone; nothing was imported "
                   "(--replace replaces them)\n");
    EXPECT_EQ(listed(), before);
    EXPECT_TRUE(before.value(0).startsWith("Small phone\t104\t")) << before.join("|").toStdString();
    ASSERT_EQ(run({"preset", "import", "--replace", file}), 0);
    EXPECT_EQ(out, "Small phone\n");
    EXPECT_EQ(err, "varnel-convert: replaced Small phone\n");
    EXPECT_TRUE(listed().value(0).startsWith("Small phone\t103\t"));
    ASSERT_EQ(run({"preset", "import", folder.file("other.json")}), 0) << "no clash, nothing to ask";
    EXPECT_EQ(out, "Other\n");
    EXPECT_EQ(err, "");
}

TEST_F(Cli, PresetsSavedAtOnceAreAllKeptAndNothingOfTheUsersIsReplaced)
{
    // Four programs saving at the same moment: each one's preset is kept.
    std::vector<std::unique_ptr<QProcess>> saves;
    for (int i = 0; i < 4; ++i) {
        saves.push_back(std::make_unique<QProcess>());
        saves.back()->setProcessEnvironment(env);
        saves.back()->start(program, {"preset", "save", QString("At once %1").arg(i), "--choose", "2"});
    }
    for (auto& p : saves)
        ASSERT_TRUE(p->waitForFinished(60000) && p->exitCode() == 0);
    ASSERT_EQ(run({"preset", "list"}), 0);
    EXPECT_EQ(lines().size(), 4) << out.toStdString();

    // An export never takes the place of what is there.
    const QString mine = folder.file("mine.txt");
    {
        QFile f(mine);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's");
    }
    EXPECT_EQ(run({"preset", "export", "At once 0", mine}), 1);
    EXPECT_TRUE(err.contains("exists already")) << err.toStdString();
    QFile kept(mine);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the user's");

    // A pipe in the file's place is no file of presets: set aside, and nothing waits on it.
    const QString presets = folder.file("presets.json");
    ASSERT_TRUE(QFile::remove(presets));
    ASSERT_EQ(::mkfifo(presets.toUtf8().constData(), 0600), 0);
    EXPECT_EQ(run({"preset", "list"}), 0);
    EXPECT_TRUE(err.contains("presets.json could not be read (it is not a regular file)")) << err.toStdString();
    EXPECT_FALSE(QFileInfo(presets).exists());
}

TEST_F(Cli, TheNextSaveRemovesWhatAKilledSaveLeftButNotWhatAWriterStillWrites)
{
    ASSERT_EQ(run({"preset", "save", "First", "--choose", "103"}), 0);
    const QString dead = folder.file(".varnel-0123456789abcdef.part");
    const QString live = folder.file(".varnel-fedcba9876543210.part");
    for (const QString& path : {dead, live}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"presets\": [");
    }
    // A writer still at work holds its file locked, however long it takes.
    QProcess writer;
    writer.start("flock", {"-o", live, "sh", "-c", "echo locked; exec cat"});
    ASSERT_TRUE(test::waitFor([&] { return writer.canReadLine(); }, 30000));
    ageFile(dead);
    ageFile(live);

    ASSERT_EQ(run({"preset", "save", "Second", "--choose", "104"}), 0);
    EXPECT_FALSE(QFile::exists(dead)) << "left by a writer that is gone";
    EXPECT_TRUE(QFile::exists(live)) << "its writer still writes";
    ASSERT_EQ(run({"preset", "list"}), 0);
    EXPECT_EQ(lines().size(), 2);

    writer.closeWriteChannel();
    ASSERT_TRUE(writer.waitForFinished(30000));
    ASSERT_EQ(run({"preset", "delete", "First"}), 0);
    EXPECT_FALSE(QFile::exists(live)) << "its writer has gone too";
}
