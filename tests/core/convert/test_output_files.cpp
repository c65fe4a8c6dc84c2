// Output names, and partial files that only their own run may rename or delete.
#include "core/convert/OutputFiles.h"
#include "core/convert/PartialFolder.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
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
    const TakenFiles taken{at("clip.mp4"), at("clip_New.mp4")};
    EXPECT_EQ(outputPathFor("/in/clip.avi", dir.path(), ".mp4", false, taken), at("clip_New_New.mp4"));

    const QString source = at("clip.mp4");
    writeFile(source, "source");
    EXPECT_EQ(outputPathFor(source, dir.path(), ".mp4", false), at("clip_New.mp4"));
    // The same file reached through a linked folder: the row's own source,
    // and another file of the list.
    ASSERT_TRUE(QFile::link(dir.path(), at("linked")));
    EXPECT_EQ(outputPathFor(source, at("linked"), ".mp4", false), at("linked/clip_New.mp4"));
    writeFile(at("x.mp4"), "the user's");
    EXPECT_EQ(outputPathFor(at("x.mkv"), at("linked"), ".mp4", false, {at("x.mkv"), at("x.mp4")}),
              at("linked/x_New.mp4"));
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
    // 255 bytes of mixed 1-, 2- and 3-byte characters: the output fits, its
    // partial with a number in front does not.
    const QString stem = "Aaaaa" + QStringLiteral("ü€").repeated(49) + "z";
    const QString source = "/in/" + stem + ".avi";
    ASSERT_EQ(QFileInfo(source).fileName().toUtf8().size(), 255);

    const QString output = outputPathFor(source, dir.path(), ".mp4", true);
    EXPECT_EQ(output, at(stem + ".mp4"));
    EXPECT_TRUE(nameFits(output));

    QString error;
    const auto folder = PartialFolder::create(dir.path(), RunIdentity::current(), &error);
    ASSERT_TRUE(folder) << error.toStdString();
    const PartialFile partial = folder->createPartial(output);
    ASSERT_TRUE(partial.error.isEmpty()) << partial.error.toStdString();
    EXPECT_TRUE(QFileInfo::exists(partial.path));
    EXPECT_LE(partial.name.toUtf8().size(), 255);
    EXPECT_FALSE(partial.name.contains(QChar::ReplacementCharacter)); // cut between characters
    EXPECT_TRUE(partial.name.endsWith(".mp4")) << partial.name.toStdString();
    EXPECT_TRUE(partial.name.startsWith(QStringLiteral("0.Aaaaaü€ü€")) && partial.name.endsWith(QStringLiteral("ü€z.mp4")) && partial.name.contains(u'~')) << partial.name.toStdString();

    const PlacedOutput placed = folder->place(partial, output, true, ".mp4");
    EXPECT_EQ(placed.path, output) << placed.error.toStdString();
}

TEST_F(OutputFiles, APrivateFolderIsTheUsersAloneAndGoesWithItsLastPartial)
{
    QString error;
    auto folder = PartialFolder::create(dir.path(), RunIdentity::current(), &error);
    ASSERT_TRUE(folder) << error.toStdString();
    const QString path = folder->path();
    EXPECT_EQ(QFileInfo(path).path(), dir.path());
    EXPECT_EQ(partialFolderOwner(QFileInfo(path).fileName()), RunIdentity::current());
    EXPECT_EQ(QFile::permissions(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                                            QFile::WriteUser | QFile::ExeUser);
    // Runs of one process never share a folder or a partial.
    auto second = PartialFolder::create(dir.path(), RunIdentity::current(), &error);
    ASSERT_TRUE(second);
    EXPECT_NE(second->path(), path);
    const PartialFile a = folder->createPartial(at("clip.mp4")), b = folder->createPartial(at("clip.mp4"));
    EXPECT_NE(a.path, b.path);
    EXPECT_TRUE(folder->holds(a) && folder->holds(b));
    EXPECT_FALSE(QFileInfo::exists(at("clip.mp4")));

    // Renamed away and replaced by a link, the folder is still reached
    // through what was made: nothing is written through the link.
    QTemporaryDir victim;
    ASSERT_TRUE(QFile::rename(path, at("moved")));
    ASSERT_TRUE(QFile::link(victim.path(), path));
    const PartialFile c = folder->createPartial(at("clip.mp4"));
    EXPECT_TRUE(QFileInfo::exists(at("moved/" + c.name)));
    EXPECT_TRUE(QDir(victim.path()).isEmpty());

    folder.reset();
    EXPECT_FALSE(QFileInfo::exists(at("moved"))) << "left empty, it went";
    EXPECT_TRUE(QFileInfo(path).isSymLink()) << "a name it no longer has is not its to remove";
}

TEST_F(OutputFiles, ANameThatCannotFitIsRefused)
{
    QString error;
    const auto folder = PartialFolder::create(dir.path(), RunIdentity::current(), &error);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->createPartial(at("clip." + QString(300, u'x'))).error, kOutputNameTooLong());

    const PartialFile partial = folder->createPartial(at("clip.mp4"));
    const PlacedOutput placed = folder->place(partial, at(QString(300, u'x') + ".mp4"), true, ".mp4");
    EXPECT_EQ(placed.error, kOutputNameTooLong());
    EXPECT_TRUE(folder->holds(partial));
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

    // Folders of runs, each with a partial in it, as a killed run leaves
    // them: private, and marked with their name.
    auto leftBy = [&](const RunIdentity& id, const char* suffix = "Ab12Cd", bool marked = true, int mode = 0700) {
        const QString name = ".varnel-" + id.text() + "." + suffix, folder = at(name);
        EXPECT_TRUE(QDir().mkdir(folder));
        writeFile(folder + "/0.clip.mp4", "half");
        if (marked)
            writeFile(folder + "/" + kPartialFolderMark, name.toUtf8());
        ::chmod(folder.toUtf8().constData(), static_cast<mode_t>(mode));
        return folder;
    };
    QStringList gone, kept;
    for (const RunIdentity& id : {dead, reusedPid, otherBoot})
        gone << leftBy(id);
    for (const RunIdentity& id : {self, otherMachine})
        kept << leftBy(id);
    // A user's folder renamed by whoever may rename things here, and folders
    // that are not private: never emptied.
    kept << leftBy(dead, "Us3rFd", false) << leftBy(dead, "0pen00", true, 0755) << leftBy(dead, "Nested");
    ASSERT_TRUE(QDir().mkdir(kept.last() + "/inner")); // a run leaves files only: this is not one's
    // A partial beside its output, as earlier versions wrote them, is a file
    // like any other now: a user's file may well look like one.
    kept << at(".clip." + dead.text() + ".0.partial.mp4") << at("clip.mp4");
    for (const QString& path : kept)
        if (!QFileInfo::exists(path))
            writeFile(path, "user");
    QTemporaryDir elsewhere;
    writeFile(elsewhere.filePath("precious"), "user");
    writeFile(elsewhere.filePath(kPartialFolderMark), ".varnel-" + dead.text().toUtf8() + ".Zz99zz");
    ASSERT_TRUE(QFile::link(elsewhere.path(), at(".varnel-" + dead.text() + ".Zz99zz")));

    // A run whose encoder still holds its folder is not over, whatever became of its program.
    QString error;
    const auto held = PartialFolder::create(dir.path(), dead, &error);
    ASSERT_TRUE(held) << error.toStdString();
    kept << held->path();

    EXPECT_EQ(removeStalePartials(dir.path(), self), 3);
    for (const QString& path : gone)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    for (const QString& path : kept)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo::exists(elsewhere.filePath("precious"))) << "a link is never followed";
}

TEST_F(OutputFiles, AKeptRecordingOutlivesItsFolderObjectUntilALaterStart)
{
    QString error;
    auto folder = PartialFolder::create(dir.path(), deadProcess(), &error);
    ASSERT_TRUE(folder) << error.toStdString();
    const QString path = folder->path();
    const PartialFile partial = folder->createRecording(at("take.avi"));
    ASSERT_FALSE(partial.path.isEmpty()) << partial.error.toStdString();
    writeFile(partial.path, "no picture yet");
    folder->keep(partial);
    folder.reset();
    EXPECT_EQ(QDir(path).entryList(QDir::Files | QDir::Hidden).size(), 3) << "the partial, its note and the mark";
    // Its run is over now: the later start takes it up (nothing to place here).
    EXPECT_EQ(removeStalePartials(dir.path(), RunIdentity::current()), 1);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(OutputFiles, AddNewNeverReplacesAFileThatAppearedDuringTheRun)
{
    QString error;
    const auto folder = PartialFolder::create(dir.path(), RunIdentity::current(), &error);
    ASSERT_TRUE(folder);
    const QString output = outputPathFor("/in/clip.avi", dir.path(), ".mp4", true);
    const PartialFile partial = folder->createPartial(output);
    writeFile(partial.path, "converted");
    writeFile(output, "user's"); // appeared while the encoder ran

    const PlacedOutput placed = folder->place(partial, output, true, ".mp4");
    EXPECT_EQ(placed.path, at("clip_New.mp4")) << placed.error.toStdString();
    EXPECT_EQ(readFile(output), "user's");
    EXPECT_EQ(readFile(placed.path), "converted");
    EXPECT_FALSE(QFileInfo::exists(partial.path));

    // The next free name that no other row of the run holds.
    const PartialFile second = folder->createPartial(output);
    const PlacedOutput again = folder->place(second, output, true, ".mp4", {at("clip_New_New.mp4")});
    EXPECT_EQ(again.path, at("clip_New_New_New.mp4"));
}

TEST_F(OutputFiles, OverwriteReplacesAndAFailureKeepsThePartial)
{
    QString error;
    const auto folder = PartialFolder::create(dir.path(), RunIdentity::current(), &error);
    ASSERT_TRUE(folder);
    const QString output = at("clip.mp4");
    writeFile(output, "old");
    const PartialFile partial = folder->createPartial(output);
    writeFile(partial.path, "converted");
    const PlacedOutput placed = folder->place(partial, output, false, ".mp4");
    EXPECT_EQ(placed.path, output);
    EXPECT_EQ(readFile(output), "converted");
    EXPECT_EQ(QFileInfo(output).permissions() & QFile::ReadOther, QFile::ReadOther) << "an output as any file is";

    const PartialFile another = folder->createPartial(output);
    const QString nowhere = at("missing/clip.mp4");
    for (bool addNew : {false, true}) {
        const PlacedOutput failed = folder->place(another, nowhere, addNew, ".mp4");
        EXPECT_TRUE(failed.path.isEmpty());
        EXPECT_TRUE(failed.error.startsWith("cannot rename " + another.path + " to " + nowhere + ": "))
            << failed.error.toStdString();
        EXPECT_TRUE(folder->holds(another));
    }
}

TEST_F(OutputFiles, AFileIsPlacedBesideItsFolderWhereverThatWentMeanwhile)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("d") && QDir(dir.path()).mkpath("elsewhere"));
    QString error;
    const auto folder = PartialFolder::create(at("d"), RunIdentity::current(), &error);
    ASSERT_TRUE(folder) << error.toStdString();
    const PartialFile partial = folder->createPartial(at("d/clip.mp4"));
    writeFile(partial.path, "converted");
    // Renamed, and its name given to a link elsewhere, while the encoder ran.
    ASSERT_TRUE(QDir(dir.path()).rename("d", "d2"));
    ASSERT_TRUE(QFile::link(at("elsewhere"), at("d")));

    const PlacedOutput placed = folder->place(partial, at("d/clip.mp4"), true, ".mp4");
    EXPECT_EQ(placed.path, QFileInfo(at("d2")).canonicalFilePath() + "/clip.mp4") << placed.error.toStdString();
    EXPECT_EQ(readFile(at("d2/clip.mp4")), "converted");
    EXPECT_TRUE(QDir(at("elsewhere")).isEmpty());
}
