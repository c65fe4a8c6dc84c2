#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "gui/convert/ProgressPanel.h"
#include "core/convert/ConversionRun.h"
#include "core/convert/ProgressMonitor.h"
#include "gui/profiles/ProfileChooser.h"
#include "core/settings/Settings.h"
#include "core/sources/ListStore.h"
#include "core/sources/MediaProbe.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
struct Panel : ::testing::Test {
    test::ProgramFolder folder;
    QTemporaryDir out, sources;
    test::FakeShell shell;
    test::RecordingMessages messages;
    std::unique_ptr<MainWindow> w;
    bool panelSeen = false;
    QString captionSeen;

    Panel()
    {
        Settings(folder.path()).write(SettingKey::OutputFolder, out.path());
        w = std::make_unique<test::StandaloneWindow>(test::quietServices(folder.path(), shell, messages));
        w->show();
    }
    void add(const QString& media, const QString& name)
    {
        w->workspace().probe().addSource(test::copyTo(media, sources.path(), name));
        ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy(); }, 30000));
    }
    ProgressPanel* panel() { return w->progressPanel(); }
    QString status(int row) { return w->workspace().list().cell(row, SourceItem::Status); }
    // The next question box the window shows is answered as a user does:
    // Enter for its default, or a click on Yes; its text goes to asked.
    void answerNextBox(bool yes)
    {
        auto* poll = new QTimer(w.get());
        QObject::connect(poll, &QTimer::timeout, [this, poll, yes] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            poll->stop();
            poll->deleteLater();
            asked << box->text();
            if (yes)
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        poll->start(50);
    }
    QStringList asked;
    QByteArray contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
}

TEST_F(Panel, ShowsTheRunAndHidesWhenDone)
{
    add(test::videoClip(2), "a.mp4");
    test::choose(w->profileChooser(), 96);
    QObject::connect(&w->workspace().run(), &ConversionRun::rowStatus, [&](quint64, const QString& s) {
        if (s == RunText::Processing) {
            panelSeen = panel()->isVisible();
            captionSeen = panel()->caption();
        }
    });
    w->findChild<QAction*>("BurnNow")->trigger();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_TRUE(panelSeen);
    EXPECT_EQ(captionSeen, "Progress...." + sources.filePath("a.mp4") + " To " + out.filePath("a.mp3"));
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    EXPECT_EQ(status(0), "OK");
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(panel()->totalBar()->value(), 0);
    EXPECT_EQ(panel()->trackBar()->value(), 0);
    EXPECT_EQ(shell.folders, QStringList{out.path()});
}

TEST_F(Panel, FollowsTheEncoderAndCancels)
{
    add(test::videoClip(60), "long.mp4");
    add(test::videoClip(2), "next.mp4");
    test::choose(w->profileChooser(), 2);
    w->convertNow();
    QTimer* timer2 = w->workspace().run().monitor()->timer();
    ASSERT_TRUE(test::waitFor([&] { return panel()->trackBar()->value() > 0; }, 30000));
    EXPECT_TRUE(timer2->isActive());
    EXPECT_TRUE(QRegularExpression("^\\d+:\\d\\d:\\d\\d$").match(panel()->elapsedLabel()->text()).hasMatch())
        << "the label shows the run's own clock, not its design-time 00:00:00";
    EXPECT_EQ(status(0), "Processing");
    // The long first file moves the total as it goes, with the time left.
    ASSERT_TRUE(test::waitFor([&] { return panel()->totalBar()->value() > 0; }, 60000));
    EXPECT_EQ(status(0), "Processing");
    // The time left shows once the run has a second to go by.
    EXPECT_TRUE(test::waitFor(
        [&] {
            return QRegularExpression("^Time left: \\d+:\\d\\d:\\d\\d$").match(panel()->timeLeftLabel()->text()).hasMatch();
        },
        30000))
        << panel()->timeLeftLabel()->text().toStdString();

    panel()->cancelButton()->click();
    EXPECT_EQ(status(0), "Cancel");
    EXPECT_EQ(status(1), "");
    EXPECT_EQ(messages.shown, QStringList{"error: Conversion Canceled by the user!"});
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(timer2->isActive());
    EXPECT_EQ(panel()->trackBar()->value(), 0);
    EXPECT_FALSE(w->workspace().run().isActive());
}

TEST_F(Panel, TheBarIgnoresValuesOutsideItsRange)
{
    QProgressBar* bar = panel()->trackBar();
    emit w->workspace().run().trackProgress(40);
    emit w->workspace().run().trackProgress(125);
    EXPECT_EQ(bar->value(), 40);
    emit w->workspace().run().trackProgress(-3);
    EXPECT_EQ(bar->value(), 40);
}

TEST_F(Panel, CompletionShutsDownWhenAskedSaysWhatFailedAndOpensTheFolder)
{
    Settings(folder.path()).write(SettingKey::OutputFolder, "0");
    Settings(folder.path()).write(SettingKey::AutoShut, "1");
    add(test::videoClip(2), "song.mp4");
    QFile junk(folder.file("junk"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a video");
    junk.close();
    add(junk.fileName(), "junk.mp4");
    test::choose(w->profileChooser(), 96);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !shell.folders.isEmpty(); }, 60000));
    EXPECT_EQ(status(0), "OK");
    EXPECT_EQ(status(1), "Fail");
    EXPECT_EQ(shell.shutdowns, 1);
    const QString junkFailed =
        sources.filePath("junk.mp4") + ": could not read this file as media: Invalid data found when processing input";
    EXPECT_EQ(messages.shown, QStringList{"warning: Converted with failures\n\n1 of 2 files failed\n" + junkFailed});
    EXPECT_EQ(shell.folders, QStringList{folder.path()});
    EXPECT_TRUE(QFile::exists(folder.file("song.mp3")));

    // Nothing converted: said as a failure, and no folder is shown.
    w->workspace().list().removeItem(0);
    messages.shown.clear();
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_EQ(messages.shown, QStringList{"error: Conversion failed\n\n1 of 1 files failed\n" + junkFailed});
    EXPECT_EQ(shell.folders, QStringList{folder.path()});

    // A group header chosen: nothing starts.
    test::choose(w->profileChooser(), 1);
    messages.shown.clear();
    w->convertNow();
    EXPECT_EQ(messages.shown, QStringList{"error: Apple iPad is a group of profiles: choose one of its profiles, then convert."});
    EXPECT_FALSE(w->workspace().run().isActive());
}

TEST_F(Panel, ConvertWhileFilesAreAddedConvertsEveryRow)
{
    QStringList files;
    for (int i = 0; i < 8; ++i)
        files << test::copyTo(test::videoClip(1), sources.path(), QString("f%1.mp4").arg(i));
    test::choose(w->profileChooser(), 96);
    QStringList captions;
    QObject::connect(&w->workspace().run(), &ConversionRun::frameCaption, [&](const QString& c) { captions << c; });
    // Probes end in any order; the run begins only when every row is filled.
    int unfilledAtFirstStart = -1;
    QObject::connect(&w->workspace().run(), &ConversionRun::rowStatus, [&](quint64, const QString& s) {
        if (s != RunText::Processing || unfilledAtFirstStart >= 0)
            return;
        unfilledAtFirstStart = 0;
        for (int r = 0; r < w->workspace().list().count(); ++r)
            unfilledAtFirstStart += w->workspace().list().cell(r, SourceItem::Size).isEmpty();
    });
    w->workspace().probe().setParallel(3);
    w->openFiles(files);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 120000));
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    ASSERT_EQ(w->workspace().list().count(), 8);
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(status(r), "OK") << r;
    ASSERT_GE(captions.size(), 2);
    EXPECT_TRUE(captions[1].startsWith("Progress....Waiting for ")) << captions[1].toStdString();
    EXPECT_EQ(unfilledAtFirstStart, 0);
}

TEST_F(Panel, ExitIsOverWithinItsGraceWhateverTheToolsIgnore)
{
    // An encoder deaf to the quit key and to SIGTERM, and a hanging player
    // identifying a file added meanwhile: Cancel's long grace does not hold
    // Exit back, and no tool of any kind outlives the window.
    w.reset();
    test::WindowServices services = test::quietServices(folder.path(), shell, messages);
    services.closeGraceMs = 1000;
    w = std::make_unique<test::StandaloneWindow>(services);
    w->show();
    add(test::videoClip(2), "a.mp4");
    test::writeScript(folder.file("fp.dll"), "trap '' TERM INT HUP; while :; do sleep 1; done\n");
    test::writeScript(folder.file("mp.dll"), "trap '' TERM INT HUP; while :; do sleep 1; done\n");
    test::choose(w->profileChooser(), 2);
    w->convertNow();
    w->workspace().probe().addSource(test::copyTo(test::videoClip(2), sources.path(), "b.mp4"));
    QList<qint64> tools;
    ASSERT_TRUE(test::waitFor([&] { return (tools = test::childProcesses(QCoreApplication::applicationPid())).size() >= 2; },
                              60000));
    QSignalSpy ended(w.get(), &MainWindow::ended);
    QElapsedTimer t;
    t.start();
    w->close();
    ASSERT_TRUE(ended.count() > 0 || ended.wait(60000));
    EXPECT_LT(t.elapsed(), 8000) << "the close grace, not the cancel grace of 10 s and then 10 s more";
    for (qint64 pid : tools)
        EXPECT_TRUE(test::waitFor([&] { return !test::processAlive(pid); }, 30000)) << pid;
}

TEST_F(Panel, ExitDuringARunAsksThenCancelsItAndLeavesNothingRunning)
{
    QStringList asked;
    bool answer = false;
    test::WindowServices services = test::quietServices(folder.path(), shell, messages);
    services.askYesNo = [&](QWidget*, const QString& q) {
        asked << q;
        return answer;
    };
    w = std::make_unique<test::StandaloneWindow>(services);
    w->show();
    add(test::videoClip(60), "long.mp4");
    test::choose(w->profileChooser(), 2);
    QSignalSpy ended(w.get(), &MainWindow::ended);
    w->convertNow();
    qint64 encoder = 0;
    ASSERT_TRUE(test::waitFor([&] {
        encoder = test::childProcesses(QCoreApplication::applicationPid(), "ffmpeg").value(0);
        return encoder != 0 && panel()->trackBar()->value() > 0;
    }, 60000));
    QTest::keyClick(w.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(asked, QStringList{"A conversion is running. Cancel it and exit?"});
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->workspace().run().isActive()) << "No lets the run go on";
    answer = true;
    QTest::keyClick(w.get(), Qt::Key_X, Qt::ControlModifier);
    ASSERT_TRUE(ended.count() > 0 || ended.wait(60000));
    EXPECT_EQ(status(0), "Cancel");
    EXPECT_FALSE(test::processAlive(encoder));
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty())
        << "no output of a cancelled row, no partial file";
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    EXPECT_TRUE(shell.folders.isEmpty());
}

TEST_F(Panel, RowsRestoredAsConvertedAreConvertedAgainOnlyWhenAsked)
{
    QStringList asked;
    test::WindowServices services = test::quietServices(folder.path(), shell, messages);
    services.askYesNo = [&](QWidget*, const QString& q) {
        asked << q;
        return false;
    };
    w = std::make_unique<test::StandaloneWindow>(services);
    SavedList saved;
    for (const char* name : {"done.mp4", "new.mp4"}) {
        SourceItem row;
        row.cells[SourceItem::FileName] = row.tag = test::copyTo(test::videoClip(1), sources.path(), name);
        saved.rows.push_back(row);
    }
    saved.rows[0].cells[SourceItem::Status] = "OK";
    saved.entry = 96;
    w->workspace().restoreList(saved);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_EQ(asked, QStringList{"1 of the 2 files were converted last time (OK). Convert them again?"});
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    EXPECT_FALSE(QFile::exists(out.filePath("done.mp3")));
    EXPECT_TRUE(QFile::exists(out.filePath("new.mp3")));

    // Only the one left: No starts nothing; a new status ends the mark.
    w->workspace().list().removeItem(1);
    w->convertNow();
    EXPECT_FALSE(w->workspace().run().isActive());
    w->workspace().list().setStatus(0, "", "");
    messages.shown.clear();
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_EQ(asked.size(), 2);
    EXPECT_TRUE(QFile::exists(out.filePath("done.mp3")));
}

TEST_F(Panel, FilesConvertedInThisSessionAreConvertedAgainOnlyWhenAsked)
{
    add(test::videoClip(2), "a.mp4");
    test::choose(w->profileChooser(), 96);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    ASSERT_EQ(status(0), "OK");
    const QByteArray first = contents(out.filePath("a.mp3"));
    ASSERT_FALSE(first.isEmpty());

    // Another file and other options; Convert again, and Enter answers.
    add(test::videoClip(1), "b.mp4");
    w->workspace().sheet().setValue(Group::Audio, "Audio Bitrate", "64");
    messages.shown.clear();
    answerNextBox(false);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_EQ(asked, QStringList{"Already converted (OK): 1 of the 2 files. Convert them again?"});
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    EXPECT_EQ(status(1), "OK");
    EXPECT_TRUE(QFile::exists(out.filePath("b.mp3")));
    EXPECT_EQ(contents(out.filePath("a.mp3")), first) << "the converted file is left alone";
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), (QStringList{"a.mp3", "b.mp3"}));

    // Yes converts both again, beside what is there.
    messages.shown.clear();
    asked.clear();
    answerNextBox(true);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_EQ(asked, QStringList{"Already converted (OK): 2 of the 2 files. Convert them again?"});
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), (QStringList{"a.mp3", "a_New.mp3", "b.mp3", "b_New.mp3"}));
    EXPECT_EQ(contents(out.filePath("a.mp3")), first);
}

TEST_F(Panel, AClearUndoneDuringARunLetsTheRunGoOnWithItsRows)
{
    add(test::videoClip(60), "long.mp4");
    add(test::videoClip(2), "next.mp4");
    test::choose(w->profileChooser(), 2);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return panel()->trackBar()->value() > 0; }, 60000));
    QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(w->workspace().list().count(), 0);
    QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(w->workspace().list().count(), 2);
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 120000));
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    EXPECT_EQ(status(0), "OK");
    EXPECT_EQ(status(1), "OK");
    EXPECT_TRUE(QFile::exists(out.filePath("long.mp4")) && QFile::exists(out.filePath("next.mp4")));

    // Cleared for good while converting: the file that was converted still counts.
    messages.shown.clear();
    answerNextBox(true);
    w->convertNow();
    ASSERT_TRUE(test::waitFor([&] { return panel()->trackBar()->value() > 0; }, 60000));
    w->clearAllFiles();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 120000));
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
}
