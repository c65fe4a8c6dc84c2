// The desktop's real opener: when no program on the desktop takes the help
// page, F1 says so.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "platform/DesktopShell.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

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
