#include "core/workspace/Workspace.h"

#include "TestSupport.h"
#include "core/common/PrintableText.h"
#include "core/settings/Settings.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

using namespace varnel;

TEST(Workspace, AMissingPlayerIsSaidOnceForABatchOfFiles)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    Workspace ws(folder.path(), shell, messages);
    qputenv("VARNEL_MPLAYER", "/no/such/mplayer");
    ws.addSources({test::videoClip(2), test::videoClip(2), test::videoClip(2)});
    ASSERT_TRUE(test::waitFor([&] { return !ws.probe().isBusy(); }, 60000));
    qunsetenv("VARNEL_MPLAYER");
    ASSERT_EQ(messages.shown.size(), 1) << messages.shown.join('|').toStdString();
    EXPECT_TRUE(messages.shown[0].startsWith("error: The media player could not be started, so the files cannot be probed:\n"
                                             "cannot start /no/such/mplayer"))
        << messages.shown[0].toStdString();
    EXPECT_EQ(ws.list().count(), 3);

    ws.addSources({test::videoClip(2)});
    ASSERT_TRUE(test::waitFor([&] { return !ws.probe().isBusy(); }, 60000));
    EXPECT_EQ(messages.shown.size(), 1) << "a working player says nothing";
    EXPECT_EQ(ws.list().cell(3, SourceItem::Size), "320x240");
}

TEST(Workspace, WritesGoToTheProgramFolderWhenWritableAndStaleTemporariesGo)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    const QString stale = folder.file("settings.dat.AbC123"), fresh = folder.file("settings.dat.XyZ789");
    for (const QString& f : {stale, fresh}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFile old(stale);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    old.close();
    Workspace ws(folder.path(), shell, messages);
    EXPECT_EQ(ws.dataFolder(), folder.path());
    EXPECT_EQ(ws.settings().filePath(), folder.file("settings.dat"));
    EXPECT_FALSE(QFile::exists(stale)) << "left by a write that was killed";
    EXPECT_TRUE(QFile::exists(fresh)) << "perhaps another copy's write in progress";
}

TEST(Workspace, ARestoredRowWhoseFileNowNamesOtherFilesLeavesTheListAndIsSaid)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    QTemporaryDir dir;
    const QString clip = test::copyTo(test::videoClip(2), dir.path(), "a.mp4");
    const QString joined = dir.filePath("b.mp4"), gone = dir.filePath("c.mp4");
    QFile script(joined);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("ffconcat version 1.0\nfile a.mp4\n");
    script.close();
    SavedList saved;
    for (const QString& path : {clip, joined, gone}) {
        SourceItem item;
        item.tag = path;
        item.cells[SourceItem::FileName] = path;
        item.cells[SourceItem::Size] = "320x240";
        saved.rows.push_back(item);
    }
    Workspace ws(folder.path(), shell, messages);
    ws.restoreList(saved);
    ASSERT_TRUE(test::waitFor([&] { return !ws.probe().isBusy() && ws.list().count() == 2; }, 60000));
    EXPECT_EQ(ws.list().cell(0, SourceItem::FileName), clip);
    EXPECT_EQ(ws.list().cell(1, SourceItem::FileName), gone) << "a missing file is said when it is converted";
    EXPECT_EQ(messages.shown, QStringList{"error: These files could not be read as media, and were not added:\n" + joined +
                                          ": a list of files to join names other files; add the files themselves"});
}

TEST(Workspace, ThePreviewReadsAListedFileAsTheContainerItWasReadAs)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    const QString log = folder.file("players.log");
    test::writeScript(folder.file("mp.dll"), "echo \"$VARNEL_SOURCE_FORMAT $1\" >> '" + log.toUtf8() + "'\n");
    Workspace ws(folder.path(), shell, messages);
    ws.addSources({test::videoClip(2)});
    ASSERT_TRUE(test::waitFor([&] { return !ws.probe().isBusy(); }, 60000));
    ws.playRow(0);
    QFile played(log);
    ASSERT_TRUE(test::waitFor([&] { return played.size() > 0 && ws.tools().runningCount() == 0; }, 30000));
    ASSERT_TRUE(played.open(QIODevice::ReadOnly));
    const QStringList starts = QString::fromUtf8(played.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(starts.size(), 2);
    EXPECT_EQ(starts[0], "mov,mp4,m4a,3gp,3g2,mj2 -identify");
    EXPECT_TRUE(starts[1].startsWith("mov,mp4,m4a,3gp,3g2,mj2 ")) << starts[1].toStdString();
    EXPECT_NE(starts[1], starts[0]) << "the preview's own start";
    ws.quitPlayer();

    // A row whose file names other files (kept by a command line's list)
    // is shown and played nowhere.
    QTemporaryDir dir;
    QFile script(dir.filePath("joined.mp4"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.write("ffconcat version 1.0\nfile a.mp4\n") > 0);
    script.close();
    ws.addSources({script.fileName()});
    ASSERT_TRUE(test::waitFor([&] { return !ws.probe().isBusy(); }, 60000));
    ASSERT_TRUE(ws.list().item(1).media.refused);
    ws.showItem(1);
    ws.playRow(1);
    EXPECT_FALSE(ws.beginClipEditing(1));
    EXPECT_NE(ws.player().file(), script.fileName());
    EXPECT_EQ(ws.tools().runningCount(), 0);
    played.close();
    ASSERT_TRUE(played.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(played.readAll()).count('\n'), 2) << "no player was started for it";
}

TEST(Workspace, AFileWhoseNameIsNotUtf8IsRefusedForItsName)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    QTemporaryDir dir;
    QFile clip(test::videoClip(1));
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    const QByteArray bytes = clip.readAll();
    // A name written by an old system in Latin-1: "caf\xe9.mp4".
    const QByteArray raw = QFile::encodeName(dir.path()) + "/caf\xe9.mp4";
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    const std::unique_ptr<const char, void (*)(const char*)> removed(raw.constData(), [](const char* name) {
        ::unlink(name); // a name Qt cannot remove with its folder
    });
    ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
    ::close(fd);

    // As the window takes it from a second start or a file manager.
    Workspace ws(folder.path(), shell, messages);
    const QString named = QFile::decodeName(raw);
    EXPECT_TRUE(ws.addReadableSources({named}).isEmpty());
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty() && !ws.probe().isBusy(); }, 30000));
    EXPECT_EQ(messages.shown, QStringList{"error: These files could not be read as media, and were not added:\n" +
                                          printable(named) +
                                          ": the name is not UTF-8 text; name the file by a UTF-8 name"});
    EXPECT_EQ(ws.list().count(), 0);
}
