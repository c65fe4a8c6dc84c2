// The desktop's real opener: xdg-open gets the address as one argument and
// the desktop's handler opens it; when no program on the desktop takes the
// help page, F1 says so; a desktop without a file manager is told once, in
// the status line.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/convert/ConversionRun.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "gui/profiles/ProfileChooser.h"
#include "platform/DesktopShell.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using namespace varnel;

namespace {

// A desktop of the test's own: its home, settings and data folders, where
// the real xdg-open finds only the handler given here, a script that
// records what it was asked to open. xdg-open itself is wrapped so that
// each start, with its arguments, is recorded too.
class Desktop {
public:
    explicit Desktop(const QStringList& handled)
    {
        const QString xdgOpen = QStandardPaths::findExecutable("xdg-open");
        const QString applications = home.filePath(".local/share/applications");
        QDir().mkpath(applications);
        QDir().mkpath(home.filePath(".config"));
        QDir().mkpath(home.filePath("system"));
        QDir().mkpath(home.filePath("bin"));
        const QString opener = test::writeScript(home.filePath("opener"), "printf '%s\\n' \"$@\" >> '" +
                                                                              home.filePath("opened").toUtf8() + "'\n");
        test::writeScript(home.filePath("bin/xdg-open"), "printf '%s\\n' \"$#:$*\" >> '" +
                                                             home.filePath("starts").toUtf8() + "'\nexec " +
                                                             xdgOpen.toUtf8() + " \"$@\"\n");
        if (!handled.isEmpty()) {
            writeFile(applications + "/varnel-test-opener.desktop",
                      "[Desktop Entry]\nType=Application\nName=Opener\nExec=" + opener.toUtf8() + " %u\nMimeType=" +
                          handled.join(';').toUtf8() + ";\n");
            QByteArray defaults = "[Default Applications]\n";
            for (const QString& type : handled)
                defaults += type.toUtf8() + "=varnel-test-opener.desktop\n";
            writeFile(home.filePath(".config/mimeapps.list"), defaults);
        }
        set("HOME", home.path());
        set("XDG_CONFIG_HOME", home.filePath(".config"));
        set("XDG_DATA_HOME", home.filePath(".local/share"));
        set("XDG_DATA_DIRS", home.filePath("system"));
        set("PATH", home.filePath("bin") + ":" + qEnvironmentVariable("PATH"));
        set("BROWSER", "false");
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            set("DISPLAY", ":97"); // a display is what xdg-open asks of a desktop; the handlers draw nothing
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                                 "MATE_DESKTOP_SESSION_ID", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY"})
            set(name, std::nullopt);
    }
    ~Desktop()
    {
        for (const auto& [name, value] : m_saved)
            value ? qputenv(name.constData(), *value) : qunsetenv(name.constData());
    }
    QStringList opened() const { return lines("opened"); }
    QStringList starts() const { return lines("starts"); }

    QTemporaryDir home;

private:
    void set(const char* name, std::optional<QString> value)
    {
        if (!m_saved.count(name))
            m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        value ? qputenv(name, value->toUtf8()) : qunsetenv(name);
    }
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList lines(const char* name) const
    {
        QFile f(home.filePath(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts) : QStringList();
    }
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

// The converter's window on the real desktop shell, converting into a
// folder of the test's own.
struct OnTheDesktop : ::testing::Test {
    test::ProgramFolder folder;
    QTemporaryDir out, sources;
    test::RecordingMessages messages;
    std::unique_ptr<DesktopShell> shell;
    std::unique_ptr<MainWindow> w;

    void open()
    {
        Settings(folder.path()).write(SettingKey::OutputFolder, out.path());
        shell = std::make_unique<DesktopShell>();
        w = std::make_unique<test::StandaloneWindow>(test::quietServices(folder.path(), *shell, messages));
        w->show();
        w->workspace().probe().addSource(test::copyTo(test::videoClip(1), sources.path(), "a.mp4"));
        ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy(); }, 30000));
        test::choose(w->profileChooser(), 96);
    }
    // Convert Now, as the menu has it, to the run's end and what follows.
    void convert()
    {
        messages.shown.clear();
        w->workspace().list().setStatus(0, "", ""); // converted again without a question
        w->findChild<QAction*>("BurnNow")->trigger();
        ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
        ASSERT_EQ(messages.shown.takeFirst(), "info: Conversion completed!");
    }
    QLabel* folderNote() const { return w->findChild<QLabel*>("FolderNote"); }
};

} // namespace

TEST(DesktopShell, F1WithNothingToOpenTheHelpSaysSo)
{
    test::ProgramFolder folder;
    QTemporaryDir bin;
    // xdg-open's own answer when no program takes the address.
    test::writeScript(bin.filePath("xdg-open"), "exit 3\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ":" + path);
    DesktopShell shell;
    test::RecordingMessages messages;
    test::StandaloneWindow w(test::quietServices(folder.path(), shell, messages));
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    const bool said = test::waitFor([&] { return !messages.shown.isEmpty(); }, 30000);
    qputenv("PATH", path);
    ASSERT_TRUE(said);
    EXPECT_EQ(messages.shown, QStringList{"error: Could not open " + folder.file("help/index.html") +
                                          ": no program on this desktop opened it."});
}

TEST(DesktopShell, TheDesktopsHandlerOpensTheHelpPageAndLinks)
{
    Desktop desktop({"text/html", "x-scheme-handler/https"});
    test::ProgramFolder folder;
    QDir().mkpath(folder.file("help"));
    test::copyTo(test::binDir() + "/help/index.html", folder.file("help"), "index.html");
    DesktopShell shell;
    test::RecordingMessages messages;
    test::StandaloneWindow w(test::quietServices(folder.path(), shell, messages));
    w.show();
    w.findChild<QAction*>("helphelp")->trigger();
    ASSERT_TRUE(test::waitFor([&] { return desktop.opened().size() == 1; }, 30000));
    EXPECT_EQ(desktop.opened(), QStringList{folder.file("help/index.html")});
    EXPECT_EQ(desktop.starts(), QStringList{"1:" + QUrl::fromLocalFile(folder.file("help/index.html")).toString()})
        << "one argument: the address";

    const QString link = "https://127.0.0.1:9/watch?v=a b&c='d'";
    EXPECT_TRUE(shell.openLink(link));
    ASSERT_TRUE(test::waitFor([&] { return desktop.opened().size() == 2; }, 30000));
    EXPECT_EQ(desktop.opened().value(1), link);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(OnTheDesktop, TheFolderARunConvertedIntoOpensInTheFileManager)
{
    Desktop desktop({"inode/directory"});
    open();
    convert();
    ASSERT_TRUE(test::waitFor([&] { return !desktop.opened().isEmpty(); }, 30000));
    EXPECT_EQ(desktop.opened(), QStringList{out.path()});
    EXPECT_EQ(desktop.starts(), QStringList{"1:" + QUrl::fromLocalFile(out.path()).toString()});
    EXPECT_FALSE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 2000)) << messages.shown.join('\n').toStdString();
    EXPECT_FALSE(folderNote()->isVisible());
}

TEST_F(OnTheDesktop, ADesktopWithoutAFileManagerIsToldOnceInTheStatusLine)
{
    Desktop desktop({"x-scheme-handler/https"});
    open();
    convert();
    ASSERT_TRUE(test::waitFor([&] { return folderNote()->isVisible(); }, 30000));
    EXPECT_EQ(folderNote()->text(), "No program on this desktop opens folders: the converted files are in " + out.path());
    EXPECT_TRUE(w->statusBar()->isVisible());
    EXPECT_TRUE(messages.shown.isEmpty()) << "no box after the run: " << messages.shown.join('\n').toStdString();
    EXPECT_EQ(desktop.starts().size(), 1);

    convert();
    EXPECT_FALSE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 2000)) << messages.shown.join('\n').toStdString();
    EXPECT_EQ(desktop.starts().size(), 1) << "not asked again";
    EXPECT_TRUE(folderNote()->isVisible());
    EXPECT_TRUE(desktop.opened().isEmpty());

    // A folder gone by the end of the run is no desktop's fault: a box says so.
    QObject::connect(&w->workspace().run(), &ConversionRun::decided, [&] { QDir(out.path()).removeRecursively(); });
    convert();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 30000));
    EXPECT_EQ(messages.shown, QStringList{"error: Could not open " + out.path() + ": the folder does not exist."});
}
