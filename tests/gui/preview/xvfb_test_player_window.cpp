// The player draws into a window of ours on a real X display.
#include "core/tools/PlayerCommand.h"

#include "TestSupport.h"
#include "core/preview/PreviewState.h"
#include "core/tools/ToolRegistry.h"

#include "GuiSupport.h"
#include "HttpServer.h"
#include "core/download/VideoDownloader.h"
#include "core/workspace/Workspace.h"
#include "gui/download/DownloaderWindow.h"
#include "core/sources/MediaProbe.h"
#include "gui/app/MainWindow.h"
#include "gui/sources/SourceListView.h"

#include <QAction>
#include <QImage>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QWidget>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

// Colours seen in a grab of a native window drawn by another process: one
// for an empty black surface, many for a picture.
int distinctColours(QWidget* surface)
{
    const QImage shot = surface->screen()->grabWindow(surface->winId()).toImage();
    QSet<QRgb> seen;
    for (int y = 0; y < shot.height(); y += 8)
        for (int x = 0; x < shot.width(); x += 8)
            seen.insert(shot.pixel(x, y));
    return seen.size();
}

} // namespace

TEST(PlayerWindow, PlaysInsideAWidgetAndQuitsOnTheKey)
{
    QWidget surface;
    surface.setAttribute(Qt::WA_NativeWindow);
    surface.setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface.resize(320, 240);
    surface.show();
    surface.setUpdatesEnabled(false);
    ASSERT_TRUE(test::waitFor([&] { return surface.isVisible(); }, 30000));

    test::ProgramFolder folder;
    ToolRegistry tools;
    PreviewState preview;
    QSignalSpy ended(&tools, &ToolRegistry::toolFinished);
    const Command line = playerCommand(folder.path(), surface.winId(), PlayerOptions::Variant1, test::videoClip(30), 5);
    const qint64 pid = startPlayer(tools, preview, folder.path(), line);
    ASSERT_NE(pid, 0);
    EXPECT_FALSE(ended.wait(2000)) << "the player keeps playing in the window";
    EXPECT_TRUE(tools.isRunning(pid));
    postKeyToPlayer(tools, preview.playerProcessId, Key::Quit);
    ASSERT_TRUE(ended.count() || ended.wait(10000));
    EXPECT_EQ(ended.first().at(0).toLongLong(), pid);
    EXPECT_FALSE(ended.first().at(2).toBool()) << "it quit, it did not crash";
}

TEST(PreviewPanel, PlaysInsideTheMainWindowWithAMovingClockAndLeavesNoPlayer)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    MainWindow w(test::quietServices(folder.path(), shell, messages));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
    w.openFiles({test::videoClip(30)});
    ASSERT_TRUE(test::waitFor([&] { return w.sourceListView()->selectedRow() == 0; }, 60000));

    w.findChild<QAction*>("play")->trigger();
    auto* surface = w.findChild<QWidget*>("Text2");
    ASSERT_NE(surface, nullptr);
    auto colours = [&] { return distinctColours(surface); };
    EXPECT_TRUE(test::waitFor([&] { return colours() > 6; }, 30000)) << "the test picture, not a black surface";
    EXPECT_TRUE(test::waitFor([&] { return w.findChild<QLabel*>("LblCurTime")->text() == "0:00:02"; }, 30000));
    EXPECT_GT(w.findChild<QSlider*>("Slider1")->value(), 0);
    EXPECT_EQ(w.findChild<QLabel*>("SkinLabel10")->text(), "Total time:0:00:30");

    const qint64 pid = w.workspace().preview().playerProcessId;
    ASSERT_TRUE(w.workspace().tools().isRunning(pid));
    QSignalSpy ended(&w, &MainWindow::ended);
    w.close();
    ASSERT_TRUE(ended.count() > 0 || ended.wait(30000));
    EXPECT_FALSE(w.workspace().tools().isRunning(pid));
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0) << "no player outlives the window";
}

TEST(DownloaderPreview, PlaysAStreamFromTheServerInItsFrame)
{
    test::HttpServer server;
    QFile clip(test::videoClip(30));
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    server.route("/s35", {200, "OK", clip.readAll(), "video/mp4"});
    const QByteArray link = QUrl::toPercentEncoding(QUrl::toPercentEncoding(server.url("/s35")));
    server.route("/watch", {200, "OK", "'VIDEO_TITLE': 'Live',\"fmt_url_map\": \"35%7C" + link + "\""});

    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    Workspace workspace(folder.path(), shell, messages);
    DownloaderWindow window(workspace, messages, [](QWidget*) { return false; }, nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    window.findChild<QLineEdit*>("txtWatchUrl")->setText(server.url("/watch"));
    QSignalSpy fetched(&window.downloader(), &VideoDownloader::fetchFinished);
    window.findChild<QPushButton*>("cmdG")->click();
    ASSERT_TRUE(fetched.count() > 0 || fetched.wait(30000));
    window.findChild<QPushButton*>("cmdPR")->click();
    auto* swf = window.findChild<QWidget*>("SWF");
    auto colours = [&] { return distinctColours(swf); };
    ASSERT_TRUE(test::waitFor([&] { return server.requests.count("/s35") > 0; }, 30000)) << "the player asks the server";
    EXPECT_TRUE(test::waitFor([&] { return colours() > 6; }, 30000)) << "the stream plays in the preview frame";
    window.reject();
}
