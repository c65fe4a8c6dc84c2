#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/convert/ConversionRun.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "core/tools/ChildProcess.h"
#include "gui/profiles/ProfileChooser.h"
#include "platform/DesktopSignals.h"

#include <QDBusConnection>
#include <QFile>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace varnel;

namespace {

// The desktop's side of the bus: a notification service and a dock, each
// recording what it was told.
class Desktop : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QVariantList> notes;
    QStringList uris;
    QList<QVariantMap> updates;
public slots:
    Q_SCRIPTABLE uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                             const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        notes << QVariantList{app, replaces, icon, summary, body, actions, hints, timeout};
        return notes.size();
    }
    void Update(const QString& uri, const QVariantMap& properties)
    {
        uris << uri;
        updates << properties;
    }
};

// What this process writes to its standard error meanwhile.
class StderrCapture {
public:
    StderrCapture()
    {
        m_file.open();
        fflush(stderr);
        m_saved = dup(2);
        dup2(m_file.handle(), 2);
    }
    QString take()
    {
        fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

// A window on a session bus of the test's own.
struct Bus : ::testing::Test {
    QTemporaryDir busDir, out, sources;
    ChildProcess daemon; // killed with its group when the test ends
    QString address;
    QStringList connections;
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    Desktop desktop;
    std::unique_ptr<MainWindow> w;

    void SetUp() override
    {
        // The bus activates nothing from the system's service files: only
        // what the test registers answers.
        QFile conf(busDir.filePath("bus.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral(R"(<busconfig><type>session</type><listen>unix:dir=%1</listen>
<auth>EXTERNAL</auth><policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>)")
                       .arg(busDir.path())
                       .toUtf8());
        conf.close();
        daemon.start("dbus-daemon", {"--config-file=" + conf.fileName(), "--print-address", "--nofork"});
        ASSERT_TRUE(test::waitFor([&] { return daemon.canReadLine(); }, 10000));
        address = QString::fromUtf8(daemon.readLine().trimmed());
        Settings(folder.path()).write(SettingKey::OutputFolder, out.path());
    }
    void TearDown() override
    {
        w.reset();
        for (const QString& name : connections)
            QDBusConnection::disconnectFromBus(name);
        daemon.killGroup();
        daemon.waitForFinished();
    }
    QDBusConnection bus(const QString& name)
    {
        connections << name;
        return QDBusConnection::connectToBus(address, name);
    }
    // Converts the clips, copied into the sources' folder under these names.
    void openAndRun(const QList<std::pair<QString, QString>>& clips)
    {
        test::WindowServices s = test::quietServices(folder.path(), shell, messages);
        s.desktopSignals = [this] { return std::make_unique<DesktopSignals>(bus("varnel-window")); };
        w = std::make_unique<test::StandaloneWindow>(s);
        w->show();
        for (const auto& [clip, name] : clips)
            w->workspace().probe().addSource(test::copyTo(clip, sources.path(), name));
        ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy(); }, 30000));
        test::choose(w->profileChooser(), 96);
        w->convertNow();
        ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 120000));
    }
};

} // namespace

TEST_F(Bus, TheTaskbarFollowsTheRunAndANotificationTellsHowItEnded)
{
    QDBusConnection service = bus("varnel-desktop");
    ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &desktop,
                                       QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(service.connect({}, "/com/varnel/VideoConverter", "com.canonical.Unity.LauncherEntry", "Update",
                                &desktop, SLOT(Update(QString, QVariantMap))));
    QFile junk(busDir.filePath("junk"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a video");
    junk.close();
    openAndRun({{test::videoClip(1), "a.mp4"}, {junk.fileName(), "junk.mp4"}, {test::videoClip(1), "b.mp4"}});
    ASSERT_TRUE(test::waitFor([&] {
        return !desktop.notes.isEmpty() && !desktop.updates.isEmpty() &&
               desktop.updates.last().contains("progress-visible") &&
               !desktop.updates.last().value("progress-visible").toBool();
    }, 10000));

    ASSERT_EQ(desktop.notes.size(), 1);
    const QVariantList& note = desktop.notes[0];
    EXPECT_EQ(note[0].toString(), "Varnel Video Converter");
    EXPECT_EQ(note[2].toString(), "varnel-video-converter");
    EXPECT_EQ(note[3].toString(), "Converted with failures");
    EXPECT_EQ(note[4].toString(), "2 converted, 1 failed\n" + out.path());

    // Shown at each step of the run bar, hidden once at the end.
    QList<double> progress;
    for (const QVariantMap& u : desktop.updates.mid(0, desktop.updates.size() - 1)) {
        EXPECT_TRUE(u.value("progress-visible").toBool());
        progress << u.value("progress").toDouble();
    }
    EXPECT_EQ(progress, (QList<double>{0, 0.33, 0.66, 1}));
    desktop.uris.removeDuplicates();
    EXPECT_EQ(desktop.uris, QStringList{"application://varnel-video-converter.desktop"});
}

TEST_F(Bus, WithNobodyListeningTheRunEndsAsBefore)
{
    StderrCapture stderrText;
    openAndRun({{test::videoClip(1), "a.mp4"}});
    test::waitFor([] { return false; }, 500); // the bus's "no such service" answer comes back
    const QString printed = stderrText.take();
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    EXPECT_EQ(w->workspace().list().cell(0, SourceItem::Status), "OK");
    EXPECT_FALSE(printed.contains("bus", Qt::CaseInsensitive)) << printed.toStdString();
}

TEST(DesktopSignals, WithoutASessionBusNothingIsSaid)
{
    StderrCapture stderrText;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    {
        DesktopSignals desktop;
        desktop.showProgress(50);
        desktop.hideProgress();
        RunResult result;
        result.cancelled = 1;
        desktop.notifyRunEnded(result);
        test::waitFor([] { return false; }, 200);
    }
    EXPECT_EQ(stderrText.take(), "");
}

TEST(DesktopSignals, TheCountsNameOnlyWhatHappened)
{
    RunResult r;
    r.converted = 3;
    r.failed = 1;
    EXPECT_EQ(DesktopSignals::countsText(r), "3 converted, 1 failed");
    r = {};
    r.cancelled = 1;
    EXPECT_EQ(DesktopSignals::countsText(r), "1 cancelled");
    r.converted = 2;
    EXPECT_EQ(DesktopSignals::countsText(r), "2 converted, 1 cancelled");
}

#include "gui_test_desktop_signals.moc"
