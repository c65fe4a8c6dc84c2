// The list survives a crash: kept as list.json while the window runs,
// offered back at the next start, removed by a clean exit.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/sources/ListStore.h"

#include <QFile>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Recovery : ::testing::Test {
    test::ProgramFolder folder;
    QTemporaryDir sources;
    test::FakeShell shell;
    test::RecordingMessages messages;
    QStringList asked;
    bool answer = true;

    std::unique_ptr<MainWindow> open()
    {
        test::WindowServices s = test::quietServices(folder.path(), shell, messages);
        s.askYesNo = [this](QWidget*, const QString& q) {
            asked << q;
            return answer;
        };
        return std::make_unique<test::StandaloneWindow>(s);
    }
    QString listFile() const { return folder.file("list.json"); }
    void writeList(const QByteArray& bytes)
    {
        QFile f(listFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

} // namespace

TEST_F(Recovery, AKilledWindowsListComesBackAndACleanExitLeavesNone)
{
    QStringList files;
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
        files << test::copyTo(test::videoClip(2), sources.path(), name);
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VARNEL_PROGRAM_FOLDER", folder.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(env);
    window.start(test::binDir() + "/varnel-video-converter", files);
    // Saved once every file is probed.
    std::optional<SavedList> saved;
    ASSERT_TRUE(test::waitFor([&] {
        QFile f(listFile());
        saved = f.open(QIODevice::ReadOnly) ? listFromJson(f.readAll()) : std::nullopt;
        return saved && saved->rows.size() == 3 && saved->rows[2].cells[SourceItem::End] == "0:00:02";
    }, 60000));
    ::kill(static_cast<pid_t>(window.processId()), SIGKILL);
    ASSERT_TRUE(window.waitForFinished(30000));

    auto w = open();
    EXPECT_EQ(asked, QStringList{"Restore the 3 files of the list from last time?"});
    SourceList& list = w->workspace().list();
    ASSERT_EQ(list.count(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(list.item(r).path(), files[r]);
        EXPECT_EQ(list.cell(r, SourceItem::Size), "320x240");
        EXPECT_EQ(list.cell(r, SourceItem::VideoTime), "0:00:02");
    }
    w->close();
    EXPECT_FALSE(QFile::exists(listFile())) << "a clean exit leaves nothing to offer";
}

TEST_F(Recovery, DamagedListsAreSetAsideAndNoRemovesTheFile)
{
    const QByteArray saved = R"({"program":"varnel-video-converter","format":1,"entry":96,"sheet":{},"rows":[)"
                             R"({"path":"/v/a.mp4","start":"0:00:00","end":"0:00:02","size":"320x240","format":"H264",)"
                             R"("status":"Processing","videoTime":"0:00:02"}]})";
    for (const QByteArray& damaged : {saved.left(saved.size() / 2), QByteArray("\x00\xff\x13garbage", 10),
                                      QByteArray(R"({"program":"another","rows":[]})")}) {
        messages.shown.clear();
        writeList(damaged);
        auto w = open();
        EXPECT_EQ(w->workspace().list().count(), 0);
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_TRUE(messages.shown[0].startsWith("error: The list from last time could not be read"));
        EXPECT_TRUE(QFile::exists(listFile() + ".bad"));
        EXPECT_FALSE(QFile::exists(listFile()));
    }
    EXPECT_TRUE(asked.isEmpty());

    writeList(saved);
    answer = false;
    open();
    EXPECT_FALSE(QFile::exists(listFile())) << "No forgets the list";

    writeList(saved);
    answer = true;
    auto w = open();
    ASSERT_EQ(w->workspace().list().count(), 1);
    EXPECT_EQ(w->workspace().list().cell(0, SourceItem::Status), "") << "a row being converted starts afresh";
    EXPECT_EQ(w->workspace().entryNumber(), 96);
}
