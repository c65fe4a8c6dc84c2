// Which platform the program runs on, and what Play says where no player
// can draw into the window.
#include "gui/app/PlatformChoice.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/sources/MediaProbe.h"
#include "gui/app/MainWindow.h"
#include "gui/preview/ClipEditor.h"
#include "gui/sources/SourceListView.h"

#include <QAction>
#include <QMap>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace varnel;

TEST(PlatformChoice, XcbOnAWaylandSessionWithAnXDisplayUnlessTheUserChose)
{
    auto choose = [](QMap<QByteArray, QByteArray> vars) {
        return chosenPlatform([&](const char* name) { return vars.value(name); });
    };
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}), "xcb");
    EXPECT_EQ(choose({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}), "xcb");
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}}), "")
        << "the user's choice stands";
    EXPECT_EQ(choose({{"WAYLAND_DISPLAY", "wayland-0"}}), "") << "no X display: Qt chooses";
    EXPECT_EQ(choose({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}), "") << "an X session needs nothing";

    EXPECT_EQ(playerSurfaceUnavailable("wayland"), kPlaybackNeedsXDisplay());
    EXPECT_EQ(playerSurfaceUnavailable("wayland-egl"), kPlaybackNeedsXDisplay());
    EXPECT_EQ(playerSurfaceUnavailable("xcb"), "");
}

TEST(PlatformChoice, WithoutAnXDisplayPlaySaysSoOnceAndStartsNothing)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    const QString said = "error: " + kPlaybackNeedsXDisplay();
    test::WindowServices services = test::quietServices(folder.path(), shell, messages);
    services.showModal = [&](QDialog* d) {
        auto* editor = qobject_cast<ClipEditor*>(d);
        ASSERT_NE(editor, nullptr);
        editor->player().setSurfaceUnavailable(kPlaybackNeedsXDisplay());
        editor->findChild<QToolButton*>("cmdPlay")->click();
        EXPECT_EQ(messages.shown, QStringList(2, said)) << "the clip editor's Play";
    };
    test::StandaloneWindow w(services);
    w.show();
    w.openFiles({test::videoClip(3)});
    ASSERT_TRUE(test::waitFor([&] { return w.sourceListView()->selectedRow() == 0; }, 60000));
    ASSERT_TRUE(test::waitFor([&] { return !w.workspace().probe().isBusy(); }, 60000));
    ASSERT_TRUE(test::waitFor([&] { return w.workspace().tools().runningCount() == 0; }, 30000));

    w.workspace().player().setSurfaceUnavailable(kPlaybackNeedsXDisplay());
    w.findChild<QToolButton*>("cmdPlay")->click();
    EXPECT_EQ(messages.shown, QStringList{said}) << "the window's Play";
    w.openClipEditor();
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(w.workspace().tools().runningCount(), 0);
    EXPECT_EQ(w.workspace().player().job().processId(), 0);
}
