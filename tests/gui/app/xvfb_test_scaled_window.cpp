// At a scale factor of 2 the main window still fits its screen, every
// control in view, its list and sheet smaller rather than anything hidden.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "gui/app/ToolbarImage.h"
#include "gui/convert/ProgressPanel.h"
#include "gui/preview/PlayerControls.h"
#include "gui/profiles/OptionSheetView.h"
#include "gui/profiles/ProfileChooser.h"
#include "gui/sources/SourceListView.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

TEST(ScaledWindow, FitsTheScreenWithEveryControlInView)
{
    ASSERT_EQ(qgetenv("QT_SCALE_FACTOR"), "2");
    test::ProgramFolder folder;
    ASSERT_TRUE(test::copySkin(folder.path()));
    test::FakeShell shell;
    test::RecordingMessages messages;
    test::StandaloneWindow w(test::quietServices(folder.path(), shell, messages));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w.frameGeometry())) << w.frameGeometry().width() << "x" << w.frameGeometry().height()
                                                    << " on " << screen.width() << "x" << screen.height();
    EXPECT_LE(w.minimumWidth(), screen.width());
    EXPECT_LE(w.minimumHeight(), screen.height());

    QList<QWidget*> controls{w.profileChooser(), w.sourceListView(), w.optionSheetView()};
    for (ToolbarImage* image : w.toolbarImages())
        controls << image;
    for (const char* name : {"cmdPlay", "Command5", "Slider1", "LblCurTime", "SkinLabel10"})
        controls << w.findChild<QWidget*>(name);
    for (QWidget* c : controls) {
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(c->isVisible()) << c->objectName().toStdString();
        EXPECT_EQ(c->visibleRegion().boundingRect(), c->rect()) << c->objectName().toStdString() << " is cut";
        EXPECT_TRUE(screen.contains(QRect(c->mapToGlobal(QPoint(0, 0)), c->size()))) << c->objectName().toStdString();
    }
    EXPECT_GE(w.findChild<QWidget*>("Slider1")->width(), 80) << "the position bar keeps room to point at";
    if (qEnvironmentVariableIsSet("VARNEL_SHOT_DIR"))
        w.grab().save(qEnvironmentVariable("VARNEL_SHOT_DIR") + "/scale2.png");
}
