// The player draws into a window of ours on a real X display.
#include "core/tools/PlayerCommand.h"

#include "TestSupport.h"
#include "core/preview/PreviewState.h"
#include "core/tools/ToolRegistry.h"

#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

using namespace varnel;

TEST(PlayerWindow, PlaysInsideAWidgetAndQuitsOnTheKey)
{
    QWidget surface;
    surface.setAttribute(Qt::WA_NativeWindow);
    surface.setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface.resize(320, 240);
    surface.show();
    surface.setUpdatesEnabled(false);
    ASSERT_TRUE(test::waitFor([&] { return surface.isVisible(); }, 5000));

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
