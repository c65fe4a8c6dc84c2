// Output names, and partial files that only their own run may rename or delete.
#include "core/convert/OutputFiles.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace varnel;
using namespace varnel::output;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct OutputFiles : ::testing::Test {
    QTemporaryDir dir;
    QString at(const QString& name) const { return dir.filePath(name); }
};

// The identity of a process that has ended: read while it is a zombie, so its
// start time is the real one.
RunIdentity deadProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    siginfo_t info;
    ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);
    const RunIdentity id = RunIdentity::ofProcess(child);
    ::waitpid(child, nullptr, 0);
    return id;
}

} // namespace

TEST(OutputNames, BaseNameDropsOnlyTheLastExtension)
{
    const struct {
        const char* name;
        const char* base;
    } cases[] = {
        {"Show.S01E01.mkv", "Show.S01E01"}, {"clip", "clip"},         {"my.holiday.avi", "my.holiday"},
        {".profile", ".profile"},           {".hidden.mp4", ".hidden"}, {"..x", "..x"},
        {"trailing.", "trailing"},          {"Ünïcode.名前.webm", "Ünïcode.名前"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(baseNameOf(QString::fromUtf8(c.name)), QString::fromUtf8(c.base)) << c.name;
}

TEST_F(OutputFiles, AddNewFollowsTheNewChainPastExistingFiles)
{
    const QString source = "/nowhere/Show.S01E01.mkv";
    EXPECT_EQ(outputPathFor(source, dir.path(), ".mp4", true), at("Show.S01E01.mp4"));
    writeFile(at("Show.S01E01.mp4"), "old");
    EXPECT_EQ(outputPathFor(source, dir.path(), ".mp4", true), at("Show.S01E01_New.mp4"));
    writeFile(at("Show.S01E01_New.mp4"), "old");
    EXPECT_EQ(outputPathFor(source, dir.path(), ".mp4", true), at("Show.S01E01_New_New.mp4"));
    // Overwrite keeps the first name.
    EXPECT_EQ(outputPathFor(source, dir.path(), ".mp4", false), at("Show.S01E01.mp4"));
}

TEST_F(OutputFiles, TakenPathsAndTheSourceItselfAreSkippedUnderEitherPolicy)
{
    const QSet<QString> taken{at("clip.mp4"), at("clip_New.mp4")};
    EXPECT_EQ(outputPathFor("/in/clip.avi", dir.path(), ".mp4", false, taken), at("clip_New_New.mp4"));

    const QString source = at("clip.mp4");
    writeFile(source, "source");
    EXPECT_EQ(outputPathFor(source, dir.path(), ".mp4", false), at("clip_New.mp4"));
    // The same file reached through a linked folder.
    ASSERT_TRUE(QFile::link(dir.path(), at("linked")));
    EXPECT_EQ(outputPathFor(source, at("linked"), ".mp4", false), at("linked/clip_New.mp4"));
}

TEST_F(OutputFiles, NameFitsTheFileSystemLimit)
{
    ASSERT_EQ(nameLimit(dir.path()), 255);
    EXPECT_TRUE(nameFits(at(QString(255, u'x'))));
    EXPECT_FALSE(nameFits(at(QString(256, u'x'))));
    EXPECT_FALSE(nameFits(at(QString(128, u'é')))); // 128 characters, 256 bytes
}

TEST_F(OutputFiles, ALongNameGetsAShortenedPartialAndKeepsItsFinalName)
{
    // 250 bytes of mixed 1-, 2- and 3-byte characters.
    const QString stem = "A" + QStringLiteral("ü€").repeated(49);
    const QString source = "/in/" + stem + ".avi";
    ASSERT_EQ(QFileInfo(source).fileName().toUtf8().size(), 250);

    const QString output = outputPathFor(source, dir.path(), ".mp4", true);
    EXPECT_EQ(output, at(stem + ".mp4"));
    EXPECT_TRUE(nameFits(output));

    const RunIdentity self = RunIdentity::current();
    const PartialFile partial = createPartial(output, self);
    ASSERT_TRUE(partial.error.isEmpty()) << partial.error.toStdString();
    const QString name = QFileInfo(partial.path).fileName();
    EXPECT_TRUE(QFileInfo::exists(partial.path));
    EXPECT_LE(name.toUtf8().size(), 255);
    EXPECT_FALSE(name.contains(QChar::ReplacementCharacter)); // cut between characters
    EXPECT_TRUE(name.endsWith(".partial.mp4")) << name.toStdString();
    // Both ends of the base stay recognisable.
    const QString kept = name.mid(1, name.indexOf("." + self.text()) - 1);
    EXPECT_TRUE(kept.startsWith("Aü€ü€") && kept.contains(u'~') && kept.endsWith("ü€ü€"))
        << kept.toStdString();
    EXPECT_EQ(partialOwner(name), self);

    const PlacedOutput placed = placeOutput(partial.path, output, true, ".mp4");
    EXPECT_EQ(placed.path, output) << placed.error.toStdString();
}

TEST_F(OutputFiles, ANameThatCannotFitIsRefused)
{
    const QString output = at("clip." + QString(300, u'x'));
    EXPECT_EQ(createPartial(output, RunIdentity::current()).error, kOutputNameTooLong);

    const PartialFile partial = createPartial(at("clip.mp4"), RunIdentity::current());
    const PlacedOutput placed = placeOutput(partial.path, at(QString(300, u'x') + ".mp4"), true, ".mp4");
    EXPECT_EQ(placed.error, kOutputNameTooLong);
    EXPECT_TRUE(QFileInfo::exists(partial.path));
}

TEST_F(OutputFiles, RunsOfOneProcessNeverShareAPartial)
{
    const RunIdentity first = RunIdentity::current(), second = RunIdentity::current();
    EXPECT_EQ(first, second);
    const PartialFile a = createPartial(at("clip.mp4"), first);
    const PartialFile b = createPartial(at("clip.mp4"), second);
    ASSERT_FALSE(a.path.isEmpty());
    ASSERT_FALSE(b.path.isEmpty());
    EXPECT_NE(a.path, b.path);
    EXPECT_TRUE(QFileInfo::exists(a.path) && QFileInfo::exists(b.path));
    EXPECT_FALSE(QFileInfo::exists(at("clip.mp4")));
}

TEST_F(OutputFiles, OnlyPartialsOfEndedRunsOfThisMachineAreRemoved)
{
    const RunIdentity self = RunIdentity::current();
    const RunIdentity dead = deadProcess();
    ASSERT_EQ(dead.machine, self.machine);
    ASSERT_NE(dead.startTicks, 0u);
    RunIdentity reusedPid = self, otherBoot = self, otherMachine = dead;
    reusedPid.startTicks += 1;
    otherBoot.boot = "000000000000";
    otherMachine.machine = "0123456789abcdef";

    QStringList gone, kept;
    for (const RunIdentity& id : {dead, reusedPid, otherBoot})
        gone << createPartial(at("clip.mp4"), id).path;
    for (const RunIdentity& id : {self, otherMachine})
        kept << createPartial(at("clip.mp4"), id).path;
    // Users' files, some made to look like partials.
    for (const char* name : {".clip.partial.mp4", "clip.mp4", ".clip.partial", "notes.txt"})
        kept << at(name);
    kept << at(".clip." + dead.text() + ".partial.mp4");          // no sequence
    kept << at(".clip." + dead.text().toUpper() + ".0.partial.mp4"); // not our spelling
    kept << at("clip." + dead.text() + ".0.partial.mp4");          // not hidden
    kept << at(".clip." + dead.text() + ".x.partial.mp4");         // no number
    kept << at(".clip." + dead.text() + ".0.partial.mp4.txt");     // renamed by a user
    for (const QString& path : kept)
        if (!QFileInfo::exists(path))
            writeFile(path, "user");
    ASSERT_TRUE(QDir().mkdir(at(".dir." + dead.text() + ".0.partial")));

    EXPECT_EQ(removeStalePartials(dir.path(), self), 3);
    for (const QString& path : gone)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : kept)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo(at(".dir." + dead.text() + ".0.partial")).isDir());
}

TEST_F(OutputFiles, AddNewNeverReplacesAFileThatAppearedDuringTheRun)
{
    const QString output = outputPathFor("/in/clip.avi", dir.path(), ".mp4", true);
    const PartialFile partial = createPartial(output, RunIdentity::current());
    writeFile(partial.path, "converted");
    writeFile(output, "user's"); // appeared while the encoder ran

    const PlacedOutput placed = placeOutput(partial.path, output, true, ".mp4");
    EXPECT_EQ(placed.path, at("clip_New.mp4")) << placed.error.toStdString();
    EXPECT_EQ(readFile(output), "user's");
    EXPECT_EQ(readFile(placed.path), "converted");
    EXPECT_FALSE(QFileInfo::exists(partial.path));

    // The next free name that no other row of the run holds.
    const PartialFile second = createPartial(output, RunIdentity::current());
    const PlacedOutput again = placeOutput(second.path, output, true, ".mp4", {at("clip_New_New.mp4")});
    EXPECT_EQ(again.path, at("clip_New_New_New.mp4"));
}

TEST_F(OutputFiles, OverwriteReplacesAndAFailureKeepsThePartial)
{
    const QString output = at("clip.mp4");
    writeFile(output, "old");
    const PartialFile partial = createPartial(output, RunIdentity::current());
    writeFile(partial.path, "converted");
    const PlacedOutput placed = placeOutput(partial.path, output, false, ".mp4");
    EXPECT_EQ(placed.path, output);
    EXPECT_EQ(readFile(output), "converted");

    const PartialFile another = createPartial(output, RunIdentity::current());
    const QString nowhere = at("missing/clip.mp4");
    for (bool addNew : {false, true}) {
        const PlacedOutput failed = placeOutput(another.path, nowhere, addNew, ".mp4");
        EXPECT_TRUE(failed.path.isEmpty());
        EXPECT_TRUE(failed.error.startsWith("cannot rename " + another.path + " to " + nowhere + ": "))
            << failed.error.toStdString();
        EXPECT_TRUE(QFileInfo::exists(another.path));
    }
}
