// The clip editor as a user drives it: opened from the list, sliders moved
// by clicks on their tracks, keys and the wheel, OK refused or written,
// Cancel.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/sources/MediaProbe.h"
#include "gui/preview/ClipEditor.h"
#include "gui/sources/SourceListView.h"

#include "core/convert/ConversionRun.h"
#include "core/common/TimeText.h"
#include "core/settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Clip : ::testing::Test {
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    std::function<void(ClipEditor&)> whileOpen;
    int opened = 0;
    std::unique_ptr<MainWindow> w;

    Clip()
    {
        test::WindowServices s = test::quietServices(folder.path(), shell, messages);
        s.showModal = [this](QDialog* d) {
            ++opened;
            if (auto* editor = qobject_cast<ClipEditor*>(d); editor && whileOpen) {
                editor->show();
                whileOpen(*editor);
            }
        };
        w = std::make_unique<test::StandaloneWindow>(s);
        w->show();
    }
    void addClip(int seconds)
    {
        w->openFiles({test::videoClip(seconds)});
        ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy() && w->workspace().list().count() > 0; }, 60000));
        ASSERT_TRUE(test::waitFor([&] { return w->sourceListView()->selectedRow() == 0; }, 30000));
    }
    template <typename T>
    static T* in(ClipEditor& e, const char* name) { return e.findChild<T*>(QLatin1String(name)); }
    // A click on the track beside the handle: a page (10 s) towards it.
    static void clickTrack(QSlider* s, bool right)
    {
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(right ? s->width() - 3 : 3, s->height() / 2));
    }
    static void keys(QSlider* s, std::initializer_list<Qt::Key> keys)
    {
        for (Qt::Key k : keys)
            QTest::keyClick(s, k);
    }
    QString cell(SourceItem::Column c) { return w->workspace().list().cell(0, c); }
    void doubleClickRow(int row)
    {
        SourceListView* list = w->sourceListView();
        const QPoint at = list->visualRect(w->workspace().list().index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
};

} // namespace

TEST_F(Clip, NothingOpensOnAnEmptyList)
{
    w->findChild<QAction*>("videoclip")->trigger();
    w->findChild<QAction*>("cuttime")->trigger();
    w->openClipEditor();
    EXPECT_EQ(opened, 0);
}

TEST_F(Clip, OpensOnTheRowAndRefusesAClipOfNoTime)
{
    addClip(30);
    const QString path = cell(SourceItem::FileName);
    whileOpen = [&](ClipEditor& e) {
        EXPECT_EQ(e.windowTitle(), "Clip Time  -  " + path);
        EXPECT_EQ(in<QLineEdit>(e, "Text1")->text(), "0:00:00");
        EXPECT_EQ(in<QLineEdit>(e, "Text2")->text(), "0:00:30");
        EXPECT_EQ(in<QLineEdit>(e, "Text3")->text(), "0:00:30") << "a fresh row is clipped to its whole length";
        EXPECT_EQ(in<QSlider>(e, "Slider2")->maximum(), 30);
        EXPECT_EQ(w->workspace().clipEditing().clipFile, path);

        auto* start = in<QSlider>(e, "Slider1");
        auto* end = in<QSlider>(e, "Slider2");
        clickTrack(start, true);
        EXPECT_EQ(in<QLineEdit>(e, "Text1")->text(), "0:00:10") << "a click on the track sets the time";
        keys(start, {Qt::Key_Right, Qt::Key_Right});
        clickTrack(end, false);
        keys(end, {Qt::Key_PageDown, Qt::Key_Right, Qt::Key_Right});
        EXPECT_EQ(in<QLineEdit>(e, "Text1")->text(), "0:00:12");
        EXPECT_EQ(in<QLineEdit>(e, "Text2")->text(), "0:00:12");
        EXPECT_EQ(in<QLineEdit>(e, "Text3")->text(), "0:00:00");
        in<QPushButton>(e, "Command1")->click();
        EXPECT_EQ(messages.shown, QStringList{"error: Start time or End time is error."});
        EXPECT_TRUE(e.result() != QDialog::Accepted) << "the window stays open";

        clickTrack(start, true);
        keys(start, {Qt::Key_Left, Qt::Key_Left}); // past the end: the length has no sign
        EXPECT_EQ(in<QLineEdit>(e, "Text3")->text(), "0:00:08");

        // The wheel: the time follows once it rests.
        QWheelEvent turn(QPointF(start->rect().center()), start->mapToGlobal(QPointF(start->rect().center())),
                         QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(start, &turn);
        EXPECT_NE(start->value(), 20);
        EXPECT_TRUE(test::waitFor([&] { return in<QLineEdit>(e, "Text1")->text() == secondsToTimeText(start->value()); },
                                  30000));
        in<QPushButton>(e, "Command2")->click();
    };
    w->findChild<QAction*>("videoclip")->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(cell(SourceItem::Start), "0:00:00") << "Cancel writes nothing";
    EXPECT_EQ(cell(SourceItem::End), "0:00:30");
    EXPECT_EQ(w->workspace().clipEditing().clipFile, "") << "closed: the clip file is forgotten";
}

TEST_F(Clip, OkWritesTheTimesAsShownIntoTheRow)
{
    addClip(30);
    whileOpen = [&](ClipEditor& e) {
        keys(in<QSlider>(e, "Slider1"), {Qt::Key_Right, Qt::Key_Right});
        auto* end = in<QSlider>(e, "Slider2");
        clickTrack(end, false);
        keys(end, {Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Left});
        EXPECT_EQ(in<QLineEdit>(e, "Text3")->text(), "0:00:03");
        in<QPushButton>(e, "Command1")->click();
        EXPECT_EQ(e.result(), QDialog::Accepted);
    };
    emit w->sourceListView()->rowDoubleClicked(0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(cell(SourceItem::Start), "0:00:02");
    EXPECT_EQ(cell(SourceItem::End), "0:00:05");
    EXPECT_TRUE(messages.shown.isEmpty());

    // The conversion honours the trim.
    QTemporaryDir out;
    ASSERT_TRUE(w->workspace().settings().write(SettingKey::OutputFolder, out.path()));
    test::choose(w->findChild<QComboBox*>("ImageCombo1"), 2);
    QSignalSpy finished(&w->workspace().run(), &ConversionRun::finished);
    w->convertNow();
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_EQ(cell(SourceItem::Status), "OK") << w->workspace().list().item(0).statusReason.toStdString();
    EXPECT_NEAR(test::probeMedia(w->workspace().run().outputPath(w->workspace().list().item(0).id)).duration, 3.0, 0.3);
}

TEST_F(Clip, OkWritesIntoItsOwnRowWhenARowBeforeItLeavesMeanwhile)
{
    // Two files; the editor opens on the second, and the first leaves the
    // list while it is open (as an unreadable file leaves it after its probe).
    w->openFiles({test::videoClip(30), test::videoClip(20)});
    SourceList& list = w->workspace().list();
    ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy() && list.count() == 2; }, 60000));
    const QString second = list.cell(1, SourceItem::FileName);
    whileOpen = [&](ClipEditor& e) {
        list.removeItem(0);
        keys(in<QSlider>(e, "Slider1"), {Qt::Key_Right, Qt::Key_Right});
        in<QPushButton>(e, "Command1")->click();
    };
    doubleClickRow(1);
    ASSERT_EQ(opened, 1);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.cell(0, SourceItem::FileName), second);
    EXPECT_EQ(list.cell(0, SourceItem::Start), "0:00:02") << "the times land on the row the editor was opened for";
    EXPECT_EQ(list.cell(0, SourceItem::End), "0:00:20");

    // Its row gone too, OK keeps nothing and says so.
    whileOpen = [&](ClipEditor& e) {
        list.removeItem(0);
        in<QPushButton>(e, "Command1")->click();
    };
    doubleClickRow(0);
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(messages.shown, QStringList{"error: The file has left the list meanwhile, so its clip times were not kept."});
}
