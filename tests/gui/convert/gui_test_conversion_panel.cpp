#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "gui/convert/ProgressPanel.h"
#include "core/convert/ConversionRun.h"
#include "gui/profiles/ProfileChooser.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
struct Panel : ::testing::Test {
    test::ProgramFolder folder;
    QTemporaryDir out, sources;
    test::FakeShell shell;
    test::RecordingMessages messages;
    std::unique_ptr<MainWindow> w;
    bool panelSeen = false;
    QString captionSeen;

    Panel()
    {
        Settings(folder.path()).write(SettingKey::OutputFolder, out.path());
        w = std::make_unique<MainWindow>(test::quietServices(folder.path(), shell, messages));
        w->show();
    }
    void add(const QString& media, const QString& name)
    {
        w->probe().addSource(test::copyTo(media, sources.path(), name));
        ASSERT_TRUE(test::waitFor([&] { return !w->probe().isBusy(); }, 30000));
    }
    ProgressPanel* panel() { return w->progressPanel(); }
    QString status(int row) { return w->sourceList().cell(row, SourceItem::Status); }
};
}

TEST_F(Panel, ShowsTheRunAndHidesWhenDone)
{
    add(test::videoClip(2), "a.mp4");
    test::choose(w->profileChooser(), 96);
    QObject::connect(&w->conversionRun(), &ConversionRun::rowStatus, [&](int, const QString& s) {
        if (s == RunText::Processing) {
            panelSeen = panel()->isVisible();
            captionSeen = panel()->caption();
        }
    });
    w->findChild<QAction*>("BurnNow")->trigger();
    ASSERT_TRUE(test::waitFor([&] { return !messages.shown.isEmpty(); }, 60000));
    EXPECT_TRUE(panelSeen);
    EXPECT_EQ(captionSeen, "Progress...." + sources.filePath("a.mp4") + " To " + out.filePath("a.mp3"));
    EXPECT_EQ(messages.shown, QStringList{"info: Conversion completed!"});
    EXPECT_EQ(status(0), "OK");
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(panel()->totalBar()->value(), 0);
    EXPECT_EQ(panel()->trackBar()->value(), 0);
    EXPECT_EQ(shell.folders, QStringList{out.path()});
}

TEST_F(Panel, FollowsTheEncoderAndCancels)
{
    add(test::videoClip(60), "long.mp4");
    add(test::videoClip(2), "next.mp4");
    test::choose(w->profileChooser(), 2);
    w->convertNow();
    QTimer* timer2 = w->findChild<QTimer*>("Timer2");
    ASSERT_TRUE(test::waitFor([&] { return panel()->trackBar()->value() > 0; }, 30000));
    EXPECT_TRUE(timer2->isActive());
    EXPECT_TRUE(QRegularExpression("^\\d+:\\d\\d:\\d\\d$").match(panel()->elapsedLabel()->text()).hasMatch())
        << "the label shows the run's own clock, not its design-time 00:00:00";
    EXPECT_EQ(status(0), "Processing");

    panel()->cancelButton()->click();
    EXPECT_EQ(status(0), "Cancel");
    EXPECT_EQ(status(1), "");
    EXPECT_EQ(messages.shown, QStringList{"error: Conversion Canceled by the user!"});
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(timer2->isActive());
    EXPECT_EQ(panel()->trackBar()->value(), 0);
    EXPECT_FALSE(w->conversionRun().isActive());
}

TEST_F(Panel, TheBarIgnoresValuesOutsideItsRange)
{
    QProgressBar* bar = panel()->trackBar();
    emit w->conversionRun().trackProgress(40);
    emit w->conversionRun().trackProgress(125);
    EXPECT_EQ(bar->value(), 40);
    emit w->conversionRun().trackProgress(-3);
    EXPECT_EQ(bar->value(), 40);
}
