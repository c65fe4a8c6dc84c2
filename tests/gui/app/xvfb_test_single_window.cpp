// One window per user, display and data folder: a second start of the real
// program hands its files to the window that runs and ends; only that window
// keeps list.json.
#include "TestSupport.h"
#include "core/settings/Settings.h"
#include "core/sources/ListStore.h"
#include "core/workspace/HandOver.h"
#include "core/workspace/WindowLock.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct SingleWindow : ::testing::Test {
    test::ProgramFolder folder; // a data folder of its own: no other window answers for it
    QTemporaryDir clips;
    std::vector<std::unique_ptr<QProcess>> starts;
    QString extraPath; // a folder of stand-ins before the PATH

    ~SingleWindow() override
    {
        for (auto& p : starts)
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(30000))
                    p->kill();
                p->waitForFinished(30000);
            }
    }
    QProcess& start(const QStringList& args, const QString& workingFolder = {})
    {
        auto& p = starts.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARNEL_PROGRAM_FOLDER", folder.path());
        if (!extraPath.isEmpty())
            env.insert("PATH", extraPath + ":" + env.value("PATH"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(workingFolder.isEmpty() ? clips.path() : workingFolder);
        p->start(test::binDir() + "/varnel-video-converter", args);
        return *p;
    }
    static bool endsWith(QProcess& p, int code)
    {
        return (p.state() == QProcess::NotRunning || p.waitForFinished(30000)) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == code;
    }
    QString clip(const QString& name) { return test::copyTo(test::videoClip(2), clips.path(), name); }
    // The files list.json holds once each is probed; empty while it is not so.
    QStringList kept() const
    {
        QFile f(folder.file("list.json"));
        const auto saved = f.open(QIODevice::ReadOnly) ? listFromJson(f.readAll()) : std::nullopt;
        QStringList paths;
        for (const SourceItem& row : saved ? saved->rows : std::vector<SourceItem>{})
            if (row.cells[SourceItem::End] == "0:00:02")
                paths << row.path();
        return saved && paths.size() == int(saved->rows.size()) ? paths : QStringList();
    }
    bool keeps(const QStringList& paths) const
    {
        return test::waitFor([&] { return kept() == paths; }, 60000);
    }
    // Mapped top-level windows of the program on the display: the main
    // window, a question or any other.
    static int windowsShown()
    {
        QString tree;
        test::run("xwininfo", {"-root", "-tree"}, &tree);
        int shown = 0;
        for (const QString& line : tree.split('\n')) {
            if (!line.startsWith("     0x") || !line.contains("(\"varnel-video-converter\""))
                continue;
            QString info;
            test::run("xwininfo", {"-id", line.trimmed().section(' ', 0, 0)}, &info);
            shown += info.contains("Map State: IsViewable");
        }
        return shown;
    }
    // The Status cell of the list's first row as list.json holds it.
    QString firstStatus() const
    {
        QFile f(folder.file("list.json"));
        const auto saved = f.open(QIODevice::ReadOnly) ? listFromJson(f.readAll()) : std::nullopt;
        return saved && !saved->rows.empty() ? saved->rows.front().cells[SourceItem::Status] : QString();
    }
    // The program's mapped windows, by id.
    static QStringList shownWindows()
    {
        QString tree;
        test::run("xwininfo", {"-root", "-tree"}, &tree);
        QStringList shown;
        for (const QString& line : tree.split('\n')) {
            if (!line.startsWith("     0x") || !line.contains("(\"varnel-video-converter\""))
                continue;
            const QString id = line.trimmed().section(' ', 0, 0);
            QString info;
            test::run("xwininfo", {"-id", id}, &info);
            if (info.contains("Map State: IsViewable"))
                shown << id;
        }
        return shown;
    }
    // Keys typed as a user types them, into the window of that id.
    static bool type(const QString& window, const QString& keys)
    {
        return test::run("xdotool", {"windowfocus", "--sync", window}) == 0 && test::run("xdotool", {"key", keys}) == 0;
    }
    QString socketPath() const { return WindowLock(folder.path()).socketPath(); }
    bool answers() const
    {
        QLocalSocket s;
        s.connectToServer(socketPath());
        return s.waitForConnected(1000);
    }
};

} // namespace

TEST_F(SingleWindow, ASecondStartHandsItsFilesToTheWindowAndEnds)
{
    const QString a = clip("a.mp4"), b = clip("caf\u00e9 \u65e5\u672c.mp4");
    QProcess& first = start({a});
    ASSERT_TRUE(keeps({a}));
    ASSERT_TRUE(test::waitFor([] { return windowsShown() == 1; }, 30000));

    // As a shell in the clips' folder gives it: a relative name, beyond ASCII.
    QProcess& second = start({"caf\u00e9 \u65e5\u672c.mp4"}, clips.path());
    EXPECT_TRUE(endsWith(second, 0)) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(keeps({a, b})) << "the window lists the file, and only it keeps the list";
    EXPECT_EQ(windowsShown(), 1) << "no second window, and no question about a list to restore";
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    EXPECT_TRUE(endsWith(first, 0));
    EXPECT_FALSE(QFile::exists(folder.file("list.json"))) << "a clean end leaves nothing to offer";
}

TEST_F(SingleWindow, TwoStartsAtOnceMakeOneWindow)
{
    const QString a = clip("a.mp4"), b = clip("b.mp4");
    QProcess& one = start({a});
    QProcess& two = start({b});
    ASSERT_TRUE(test::waitFor([&] { return one.state() == QProcess::NotRunning || two.state() == QProcess::NotRunning; },
                              60000));
    QProcess& ended = one.state() == QProcess::NotRunning ? one : two;
    EXPECT_TRUE(endsWith(ended, 0)) << ended.readAllStandardError().toStdString();
    ASSERT_TRUE(test::waitFor([&] { return kept().size() == 2; }, 60000));
    EXPECT_TRUE(kept().contains(a) && kept().contains(b));
    EXPECT_EQ(windowsShown(), 1);
}

TEST_F(SingleWindow, HostileHandOversAddNothingAndLeaveTheWindowUp)
{
    QProcess& window = start({});
    ASSERT_TRUE(test::waitFor([&] { return answers(); }, 60000));
    clip("a.mp4"); // what the relative name below names from the window's folder
    const QByteArray hostile[] = {QByteArrayLiteral("\x00\xff\x13garbage\nend\n"), handOverMessage({"a.mp4"}),
                                  QByteArray("varnel-hand-over 1\n") + QByteArray(handover::kMostBytes, 'A')};
    for (const QByteArray& message : hostile) {
        QLocalSocket s;
        s.connectToServer(socketPath());
        ASSERT_TRUE(s.waitForConnected(10000));
        QSignalSpy gone(&s, &QLocalSocket::disconnected);
        s.write(message);
        EXPECT_TRUE(gone.count() > 0 || gone.wait(30000)) << "the window drops it";
        EXPECT_EQ(s.readAll(), "") << "and takes nothing";
    }
    const QString b = clip("b.mp4");
    EXPECT_TRUE(endsWith(start({b}), 0));
    EXPECT_TRUE(keeps({b}));
    EXPECT_EQ(window.state(), QProcess::Running);
}

TEST_F(SingleWindow, TheSocketOfAKilledWindowDoesNotStopTheNext)
{
    QProcess& killed = start({});
    ASSERT_TRUE(test::waitFor([&] { return answers(); }, 60000));
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(30000));
    ASSERT_TRUE(QFile::exists(socketPath())) << "left behind";

    const QString a = clip("a.mp4");
    QProcess& next = start({a});
    EXPECT_TRUE(keeps({a})) << "the next start is the window";
    EXPECT_TRUE(test::waitFor([&] { return answers(); }, 30000));
    EXPECT_EQ(next.state(), QProcess::Running);
}

TEST_F(SingleWindow, AFileThatCannotBeReadIsSaidWhileARunGoesOnAndALateAnswerHarmsNothing)
{
    // The window converts into a folder of the test's own; the desktop's
    // opener is a stand-in that opens nothing.
    QTemporaryDir out, bin;
    test::writeScript(bin.filePath("xdg-open"), "exit 0\n");
    extraPath = bin.path();
    Settings(folder.path()).write(SettingKey::OutputFolder, out.path());
    Settings(folder.path()).write(SettingKey::Profile, "103");
    const QString a = test::copyTo(test::videoClip(40, "1280x720"), clips.path(), "a.mp4");
    QProcess& window = start({a});
    ASSERT_TRUE(test::waitFor([&] { return shownWindows().size() == 1; }, 60000));
    const QString main = shownWindows().front();
    ASSERT_TRUE(type(main, "ctrl+n"));
    ASSERT_TRUE(test::waitFor([&] { return firstStatus() == "Processing"; }, 60000)) << firstStatus().toStdString();

    // A second start with something that is no file to convert.
    QProcess& second = start({"/dev/null"});
    EXPECT_TRUE(endsWith(second, 0)) << "answered at once, whatever the window does with it";
    ASSERT_TRUE(test::waitFor([&] { return shownWindows().size() == 2; }, 30000)) << "the window says so";

    // The user answers late: long after any time-out of the hand-over. The
    // run may have ended meanwhile, its own box over the panel: each box is
    // answered where the keyboard is, the box on top.
    QTest::qWait(25000);
    EXPECT_EQ(window.state(), QProcess::Running);
    const auto answerTopBox = [&] {
        const int before = static_cast<int>(shownWindows().size());
        EXPECT_EQ(test::run("xdotool", {"key", "Return"}), 0);
        return test::waitFor([&] { return static_cast<int>(shownWindows().size()) < before; }, 30000);
    };
    int answered = 0;
    ASSERT_TRUE(answerTopBox());
    ++answered;
    ASSERT_TRUE(test::waitFor([&] { return firstStatus() == "OK"; }, 300000)) << firstStatus().toStdString();
    // What is left: the run's end, which hides the panel once answered, and
    // any box said twice.
    while (answered < 4 && test::waitFor([&] { return shownWindows().size() > 1; }, 5000) && answerTopBox())
        ++answered;
    EXPECT_EQ(shownWindows(), QStringList{main});
    EXPECT_LE(answered, 2) << "the message once, and the run's end";
    EXPECT_FALSE(test::waitFor([&] { return window.state() != QProcess::Running; }, 3000)) << "the window lives on";
    EXPECT_GT(QFileInfo(out.filePath("a.mp4")).size(), 0);
}
