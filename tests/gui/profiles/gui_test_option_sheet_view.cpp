#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "gui/profiles/ProfileChooser.h"
#include "core/sources/MediaProbe.h"
#include "gui/profiles/OptionSheetView.h"
#include "gui/sources/SourceListView.h"
#include "gui/sources/OpenFilesDialog.h"
#include "core/sources/FileSelection.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QWheelEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
struct SheetView : ::testing::Test {
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    std::unique_ptr<MainWindow> w;
    OptionSheetView* view = nullptr;

    SheetView()
    {
        w = std::make_unique<test::StandaloneWindow>(test::quietServices(folder.path(), shell, messages));
        w->show();
        view = w->optionSheetView();
    }
    QStringList comboItems(const char* group, const char* row)
    {
        QStringList out;
        QComboBox* c = view->editorOf(group, row);
        for (int i = 0; c && i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    }
    QString shown(const char* group, const char* row) { return view->itemOf(group, row)->text(1); }
};
}

TEST_F(SheetView, StartsWithTheStartUpContent)
{
    ASSERT_EQ(view->topLevelItemCount(), 4);
    EXPECT_EQ(view->topLevelItem(0)->text(0), "General");
    EXPECT_EQ(view->topLevelItem(3)->text(0), "Audio Options");
    EXPECT_EQ(shown("General", "Item Name"), "Auto");
    for (const char* row : {"All Clip Duration", "Start Time", "Stop Time"})
        EXPECT_EQ(shown("Output Duration", row), "00:00:00");
    EXPECT_EQ(view->editorOf("General", "Item Name"), nullptr) << "text rows have no drop-down";
    EXPECT_EQ(comboItems("Video Options", "Video Bitrate"),
              (QStringList{"48", "64", "128", "192", "256", "512", "768", "1000", "1500", "1152", "2500"}));
    EXPECT_EQ(view->editorOf("Video Options", "Video Bitrate")->currentText(), "256");
}

TEST_F(SheetView, ChoosingAnEntryShowsItsOptionSet)
{
    test::choose(w->profileChooser(), 2);  // entry 2
    EXPECT_EQ(view->editorOf("Video Options", "Video Size")->currentText(), "1024x768");
    EXPECT_EQ(comboItems("Video Options", "Video Size"), (QStringList{"480x320", "640x480", "1024x768", "1280x720"}));
    EXPECT_EQ(comboItems("Audio Options", "Audio Codec"), QStringList{"aac"});

    test::choose(w->profileChooser(), 41);  // header 41: lists emptied, values kept
    EXPECT_TRUE(comboItems("Video Options", "Video Codec").isEmpty());
    EXPECT_EQ(shown("Video Options", "Video Codec"), "x264");
    EXPECT_EQ(w->workspace().sheet().value("Video Options", "Video Codec"), "x264");
}

TEST_F(SheetView, EditingADropDownChangesTheSheet)
{
    QComboBox* codec = view->editorOf("Audio Options", "Audio Codec");
    ASSERT_NE(codec, nullptr);
    codec->setCurrentIndex(1);
    emit codec->activated(1);
    EXPECT_EQ(w->workspace().sheet().value("Audio Options", "Audio Codec"), "mp3");
}

TEST_F(SheetView, ClickingARowShowsItsNameAndTimesOnly)
{
    QTemporaryDir dir;
    const QString a = test::copyTo(test::videoClip(3), dir.path(), "a.mp4");
    const QString b = test::copyTo(test::audioClip(7), dir.path(), "b.mp3");
    w->workspace().probe().addSource(a);
    w->workspace().probe().addSource(b);
    ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy(); }, 30000));
    test::choose(w->profileChooser(), 2);

    SourceListView* list = w->sourceListView();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(w->workspace().list().index(0, 0)).center());
    EXPECT_EQ(shown("General", "Item Name"), a);
    EXPECT_EQ(shown("Output Duration", "All Clip Duration"), "");
    EXPECT_EQ(shown("Output Duration", "Start Time"), "0:00:00");
    EXPECT_EQ(shown("Output Duration", "Stop Time"), "0:00:03");
    EXPECT_EQ(w->workspace().player().file(), a);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(w->workspace().list().index(1, 0)).center());
    EXPECT_EQ(shown("General", "Item Name"), b);
    EXPECT_EQ(shown("Output Duration", "Stop Time"), "0:00:07");
    EXPECT_EQ(w->workspace().sheet().value("Video Options", "Video Size"), "1024x768") << "option rows stay";

    w->clearAllFiles();
    EXPECT_EQ(shown("General", "Item Name"), b) << "clearing the list leaves the sheet";
}

TEST_F(SheetView, TheWheelScrollsTheSheetAndChangesNoValue)
{
    test::choose(w->profileChooser(), 2);
    QComboBox* bitrate = view->editorOf("Video Options", "Video Bitrate");
    ASSERT_NE(bitrate, nullptr);
    const QString before = w->workspace().sheet().value("Video Options", "Video Bitrate");
    const int index = bitrate->currentIndex();
    for (int notch = 0; notch < 5; ++notch) {
        QWheelEvent wheel(QPointF(5, 5), bitrate->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bitrate, &wheel);
    }
    EXPECT_EQ(bitrate->currentIndex(), index);
    EXPECT_EQ(w->workspace().sheet().value("Video Options", "Video Bitrate"), before);
}

TEST_F(SheetView, TheOpenDialogShowsEachFilterAsWritten)
{
    std::unique_ptr<QFileDialog> dialog(createOpenFilesDialog(nullptr));
    EXPECT_EQ(dialog->windowTitle(), "Open Video File");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    QStringList shown, written;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    for (const FileFilter& f : openDialogFilters())
        written << f.description;
    EXPECT_EQ(shown, written);
}
