#include "core/convert/ConversionRun.h"

#include "HardMedia.h"
#include "RunRig.h"
#include "core/convert/ProgressMonitor.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/settings/Settings.h"
#include "core/profiles/OptionSheet.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

using namespace varnel;

namespace {

struct Run : ::testing::Test, test::RunRig {
    QTemporaryDir sources;
    QList<int> total;
    QStringList captions;
    QList<bool> panel;

    Run()
    {
        QObject::connect(run, &ConversionRun::totalProgress, [this](int v) { total << v; });
        QObject::connect(run, &ConversionRun::frameCaption, [this](const QString& c) { captions << c; });
        QObject::connect(run, &ConversionRun::panelVisible, [this](bool v) { panel << v; });
    }
    QString addRow(const QString& name, const QString& media = {})
    {
        const QString path = test::copyTo(media.isEmpty() ? test::videoClip(2) : media, sources.path(), name);
        RunRig::addRow(path, "0:00:02");
        return path;
    }
    QStringList statuses()
    {
        QStringList s;
        for (int r = 0; r < list.count(); ++r)
            s << list.cell(r, SourceItem::Status);
        return s;
    }
    // Why rows failed, for the messages of failed expectations.
    std::string reasons()
    {
        QStringList s;
        for (int r = 0; r < list.count(); ++r)
            s << list.item(r).statusReason;
        return s.join(" | ").toStdString();
    }
    void runToEnd() { ASSERT_TRUE(RunRig::runToEnd()); }
};

} // namespace

TEST_F(Run, EmptyListDoesNothing)
{
    EXPECT_FALSE(run->start());
    EXPECT_TRUE(panel.isEmpty());
    EXPECT_TRUE(results.empty());
}

TEST_F(Run, ThreeRowsAllConvert)
{
    choose(2);
    const QString first = addRow("a.mp4");
    addRow("b.mp4");
    addRow("c.mp4");
    QSignalSpy finished(run, &ConversionRun::finished);
    ASSERT_TRUE(run->start());
    EXPECT_FALSE(run->start()) << "a second Convert while one runs is refused";
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK", "OK"}));
    // The total goes by seconds encoded: up only, past each row's share when it ends.
    ASSERT_GE(total.size(), 6);
    EXPECT_TRUE(std::is_sorted(total.begin(), total.end() - 1));
    EXPECT_TRUE(total.contains(33) && total.contains(66));
    EXPECT_EQ(total.mid(total.size() - 3), (QList<int>{100, 100, 0}));
    ASSERT_GE(captions.size(), 2);
    EXPECT_EQ(captions[0], "Progress....") << "the caption starts afresh";
    EXPECT_EQ(captions[1], "Progress...." + first + " To " + out.path() + "/a.mp4");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(lastOutcome(), RunResult::Outcome::Completed);
    EXPECT_EQ(results[0].converted, 3);
    EXPECT_EQ(results[0].outputFolder, out.path());
    EXPECT_TRUE(shell.folders.isEmpty() && shell.shutdowns == 0 && messages.shown.isEmpty())
        << "what follows a run is for its view";
    EXPECT_EQ(panel, (QList<bool>{true, false}));
    EXPECT_FALSE(run->isActive());
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) {
        const test::MediaInfo info = test::probeMedia(out.filePath(name));
        EXPECT_TRUE(info.hasVideo) << name;
        EXPECT_EQ(info.width, 1024);
    }
}

TEST_F(Run, CancelStopsTheProgressTimerAfterItsMessage)
{
    choose(2);
    addRow("long.mp4", test::videoClip(30));
    list.setCell(0, SourceItem::End, "0:00:30");
    bool tickingAtMessage = false;
    QObject::connect(run, &ConversionRun::decided, [&] { tickingAtMessage = run->monitor()->timer()->isActive(); });
    QObject::connect(run, &ConversionRun::rowStatus, [&](quint64, const QString& s) {
        if (s == RunText::Processing)
            QTimer::singleShot(0, run, &ConversionRun::cancel);
    });
    runToEnd();
    EXPECT_EQ(lastOutcome(), RunResult::Outcome::Cancelled);
    EXPECT_TRUE(tickingAtMessage);
    EXPECT_FALSE(run->monitor()->timer()->isActive());
}

TEST_F(Run, CancelDuringTheSecondOfThreeRows)
{
    choose(2);
    const QString longClip = test::videoClip(30);
    addRow("a.mp4");
    addRow("b.mp4", longClip);
    list.setCell(1, SourceItem::End, "0:00:30");
    addRow("c.mp4");
    QObject::connect(run, &ConversionRun::rowStatus, [&](quint64 id, const QString& s) {
        if (list.rowOf(id) == 1 && s == RunText::Processing)
            QTimer::singleShot(0, run, &ConversionRun::cancel);
    });
    QSignalSpy ended(&tools, &ToolRegistry::toolFinished);
    runToEnd();
    EXPECT_EQ(statuses(), (QStringList{"OK", "Cancel", ""}));
    EXPECT_EQ(lastOutcome(), RunResult::Outcome::Cancelled);
    EXPECT_EQ(total.last(), 0);
    EXPECT_EQ(panel.last(), false);
    EXPECT_TRUE(shell.folders.isEmpty()) << "no completion step";
    ASSERT_TRUE(ended.count() == 2 || ended.wait(15000)) << "the cancelled encoder ends";
    EXPECT_FALSE(QFile::exists(out.filePath("c.mp4")));
}

TEST_F(Run, RowsRemovedDuringTheRunDoNotConfuseIt)
{
    choose(96);
    addRow("a.mp4", test::videoClip(30));
    list.setCell(0, SourceItem::End, "0:00:30");
    addRow("b.mp4");
    const QString c = addRow("c.mp4");
    addRow("d.mp4");
    bool removed = false;
    QObject::connect(run, &ConversionRun::rowStatus, [&](quint64 id, const QString& s) {
        if (!removed && list.rowOf(id) == 0 && s == RunText::Processing) {
            removed = true;
            list.removeItem(1);  // a row still to come
            list.removeItem(0);  // the row being converted
        }
    });
    runToEnd();
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.cell(0, SourceItem::FileName), c);
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK"})) << reasons();
    EXPECT_EQ(run->outputPath(list.item(0).id), out.path() + "/c.mp3");
    EXPECT_EQ(lastOutcome(), RunResult::Outcome::Completed);
}

TEST_F(Run, AnEncoderThatIgnoresTheQuitKeyIsTerminated)
{
    test::writeScript(folder.file("fp.dll"), "trap '' INT TERM\nexec sleep 60\n");
    choose(2);
    addRow("a.mp4");
    run->setCancelGraceMs(300);
    QObject::connect(run, &ConversionRun::rowStatus, [&](quint64, const QString& s) {
        if (s == RunText::Processing)
            QTimer::singleShot(0, run, &ConversionRun::cancel);
    });
    QSignalSpy ended(&tools, &ToolRegistry::toolFinished);
    runToEnd();
    ASSERT_TRUE(ended.count() > 0 || ended.wait(60000));
    EXPECT_EQ(statuses(), QStringList{"Cancel"});
}

TEST_F(Run, DeletedSourceEndsTheRun)
{
    choose(2);
    const QString gone = addRow("gone.mp4");
    addRow("b.mp4");
    QFile::remove(gone);
    // The pointer is reset after the message, not before it.
    QStringList order;
    QObject::connect(run, &ConversionRun::busy, [&](bool on) { order << (on ? "busy" : "idle"); });
    QObject::connect(run, &ConversionRun::decided, [&] { order << "message"; });
    runToEnd();
    EXPECT_EQ(lastOutcome(), RunResult::Outcome::InvalidSource);
    EXPECT_EQ(results.back().invalidSource, gone);
    ASSERT_GE(order.size(), 3);
    EXPECT_EQ(order.mid(0, 3), (QStringList{"busy", "message", "idle"}));
    EXPECT_EQ(captions, QStringList{"Progress...."}) << "no earlier file in the caption";
    EXPECT_EQ(statuses(), (QStringList{"", ""}));
    EXPECT_EQ(panel.last(), false);
    EXPECT_TRUE(shell.folders.isEmpty());
}

TEST_F(Run, AGroupHeaderOrNoProfileStartsNothingAndSaysWhy)
{
    EXPECT_EQ(profileRefusal(0), "No profile is chosen: choose one in the list of profiles, then convert.");
    EXPECT_EQ(profileRefusal(1), "Apple iPad is a group of profiles: choose one of its profiles, then convert.");
    EXPECT_EQ(profileRefusal(2), "");
    choose(1);
    addRow("a.mp4");
    EXPECT_FALSE(run->start());
    EXPECT_EQ(statuses(), QStringList{""});
    EXPECT_TRUE(results.empty());
}

TEST(RunEnding, TheTitleFollowsTheOutcome)
{
    using Tone = RunEnding::Tone;
    const auto ending = [](RunResult::Outcome outcome, int converted, int failed) {
        RunResult r;
        r.outcome = outcome;
        r.converted = converted;
        r.failed = failed;
        return runEnding(r);
    };
    const struct { RunResult::Outcome outcome; int converted, failed; const char* title; Tone tone; } table[] = {
        {RunResult::Outcome::Completed, 2, 0, "Conversion completed", Tone::Information},
        {RunResult::Outcome::Completed, 1, 1, "Converted with failures", Tone::Warning},
        {RunResult::Outcome::Completed, 0, 2, "Conversion failed", Tone::Error},
        {RunResult::Outcome::Cancelled, 1, 0, "Conversion cancelled", Tone::Warning},
        {RunResult::Outcome::InvalidSource, 0, 0, "Conversion failed", Tone::Error},
    };
    for (const auto& t : table) {
        EXPECT_EQ(ending(t.outcome, t.converted, t.failed).title, t.title);
        EXPECT_EQ(ending(t.outcome, t.converted, t.failed).tone, t.tone) << t.title;
    }
}

TEST_F(Run, OutputNamesAndTheNewPolicy)
{
    settings.write(SettingKey::ExistedFile, "0");
    QFile(out.filePath("clip.mp4")).open(QIODevice::WriteOnly);
    QFile(out.filePath("clip_New.mp4")).open(QIODevice::WriteOnly);
    choose(2);
    addRow("clip.mp4");
    addRow("my.holiday.avi");
    runToEnd();
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK"}));
    EXPECT_EQ(run->outputPath(list.item(0).id), out.path() + "/clip_New_New.mp4");
    EXPECT_EQ(run->outputPath(list.item(1).id), out.path() + "/my.holiday.mp4") << "only the last extension goes";
    EXPECT_EQ(QFileInfo(out.filePath("clip.mp4")).size(), 0) << "the existing file is kept";
}

TEST_F(Run, OverwritePolicyReplacesTheOldFile)
{
    settings.write(SettingKey::ExistedFile, "1");
    {
        QFile old(out.filePath("clip.mp4"));
        old.open(QIODevice::WriteOnly);
        old.write("old");
    }
    choose(94);
    addRow("clip.mp4");
    runToEnd();
    EXPECT_EQ(statuses(), QStringList{"OK"});
    EXPECT_GT(QFileInfo(out.filePath("clip.mp4")).size(), 100);
}

TEST_F(Run, FailingEncoderMarksTheRowFail)
{
    choose(2);
    QFile junk(sources.filePath("junk.avi"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a video at all");
    junk.close();
    RunRig::addRow(junk.fileName(), "0:00:02");
    addRow("fine.mp4");
    list.setCell(1, SourceItem::Start, "");  // not a time
    addRow("good.mp4");
    runToEnd();
    EXPECT_EQ(statuses(), (QStringList{"Fail", "Fail", "OK"}));
    EXPECT_EQ(results.back().failed, 2);
}

TEST_F(Run, NoOutputFolderSetMeansTheProgramFolder)
{
    QFile::remove(settings.filePath());
    choose(96);
    addRow("tune.mp4");
    runToEnd();
    EXPECT_EQ(run->outputPath(list.item(0).id), folder.path() + "/tune.mp3");
    EXPECT_EQ(results.back().outputFolder, folder.path());
}

TEST_F(Run, APlayingPreviewIsAskedToQuitFirst)
{
    QTemporaryDir dir;
    Command cat;
    cat.literal("/bin/sh -c ").quoted("exec cat > '" + dir.filePath("keys") + "'");
    PlayerJob& player = workspace.player().job();
    ASSERT_TRUE(player.start(dir.path(), cat));
    const qint64 pid = player.processId();
    choose(96);
    addRow("song.mp4");
    runToEnd();
    QFile keys(dir.filePath("keys"));
    ASSERT_TRUE(test::waitFor([&] { return keys.size() > 0; }, 30000));
    keys.open(QIODevice::ReadOnly);
    EXPECT_EQ(keys.readAll(), "q");
    tools.terminate(pid);
}

TEST_F(Run, TheCellsKeepThePlayersWordAndTheOutputHoldsTheWholeSource)
{
    // Two MP3s joined: the first one's header says 2 s of the 8 there are.
    const QString joined = test::copyTo(test::joinedMp3().path, sources.path(), "joined.mp3");
    QSignalSpy idle(&workspace.probe(), &MediaProbe::idle);
    workspace.addSources({joined});
    ASSERT_TRUE(idle.wait(60000));
    EXPECT_EQ(list.cell(0, SourceItem::End), "0:00:02");
    EXPECT_EQ(list.cell(0, SourceItem::VideoTime), "0:00:02");
    for (int profile : {96, 94}) {
        choose(profile);
        runToEnd();
        EXPECT_EQ(statuses(), QStringList{"OK"}) << reasons();
        EXPECT_GE(test::decodedLengths(run->outputPath(list.item(0).id)).audio, 7.9) << profile;
    }
}
