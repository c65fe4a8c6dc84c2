#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "HttpServer.h"
#include "TestSupport.h"
#include "gui/convert/ProgressPanel.h"
#include "gui/app/ToolbarImage.h"
#include "gui/profiles/ProfileChooser.h"
#include "core/settings/IniFile.h"
#include "core/profiles/Presets.h"
#include "gui/sources/SourceListView.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "gui/settings/SettingsDialog.h"

#include <QFontInfo>
#include <QStandardItemModel>
#include "core/convert/EncoderList.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QLabel>
#include <QTimer>
#include <QFile>
#include <QGroupBox>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Window : ::testing::Test {
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    QStringList filesToChoose;
    int closeGraceMs = 3000;
    std::unique_ptr<MainWindow> w;

    void open()
    {
        test::WindowServices s = test::quietServices(folder.path(), shell, messages);
        s.closeGraceMs = closeGraceMs;
        s.chooseFiles = [this](QWidget*) { return filesToChoose; };
        w = std::make_unique<test::StandaloneWindow>(s);
        w->show();
    }
    QString stored(const QString& key) { return readSetting(folder.file("settings.dat"), "set", key); }
    template <typename T>
    T* find(const char* name) { return w->findChild<T*>(QLatin1String(name)); }
    void waitProbes() { ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy(); }, 30000)); }
};

QStringList entries(const QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-")
                                 : a->objectName() + "|" + a->text() + "|" + a->shortcut().toString());
    return out;
}

} // namespace

TEST_F(Window, CaptionMenusAndShortcuts)
{
    open();
    EXPECT_EQ(w->windowTitle(), "Varnel Video Converter 3.70");
    EXPECT_EQ(w->objectName(), "Form1");
    const QList<QAction*> menus = w->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "File(&F)");
    EXPECT_EQ(entries(menus[0]->menu()),
              (QStringList{"AddFiles|Add Files|Ctrl+A", "RemoveSelectedFile|Remove Selected File|Ctrl+R",
                           "ClearAllFiles|Clear All Files|Ctrl+C", "-", "Capture|Capture Video From DV|", "-",
                           "importvideo|Import Video From Youtube|", "-", "exit|Exit|Ctrl+X"}));
    EXPECT_EQ(menus[1]->text(), "Edit(&E)");
    EXPECT_EQ(entries(menus[1]->menu()),
              (QStringList{"UndoClear|Undo Clear All Files|Ctrl+Z", "-", "options|Video Settings|Ctrl+S", "-",
                           "SaveAsPreset|Save as Preset...|",
                           "RenamePreset|Rename Preset...|", "DeletePreset|Delete Preset...|",
                           "ExportPreset|Export Preset...|", "ImportPresets|Import Presets...|", "-",
                           "checkupdate|Check for Updates|"}));
    EXPECT_EQ(menus[2]->text(), "Action(&A)");
    EXPECT_EQ(entries(menus[2]->menu()), (QStringList{"BurnNow|Convert Now!|Ctrl+N", "-", "play|Play Selected File|Ctrl+P",
                                                      "-", "videoclip|Video Clip|Ctrl+V"}));
    EXPECT_EQ(menus[3]->text(), "Help(&H)");
    EXPECT_EQ(entries(menus[3]->menu()),
              (QStringList{"helphelp|Help|F1", "-", "About|About|"}));
    EXPECT_EQ(entries(w->popupMenu()),
              (QStringList{"convertnow1|Convert Now!|", "-", "PlaySelectedFile|Play Selected File|", "-",
                           "cuttime|Video Clip|", "SaveAsPreset1|Save as Preset...|", "-", "AddFiless|Add Files|", "RemoveSelectedItem|Remove Selected Item|",
                           "ClearAllItems|Clear All Items|", "-", "Capture1|Capture Video From DV|", "-",
                           "Import1|Import Video From Youtube|"}));
    EXPECT_EQ(w->popupMenu()->objectName(), "popupmenu1");
}

TEST_F(Window, RegionsAndToolbar)
{
    open();
    for (const char* name : {"lvwAudioTracks", "ImageCombo1", "PS1", "Picture3", "Picture4", "framePreview",
                             "prgTotalProgress", "prgTrackProgress", "SkinLabel2", "Command1", "Frame14"})
        EXPECT_NE(w->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    EXPECT_FALSE(w->progressPanel()->isVisible());
    EXPECT_EQ(find<QGroupBox>("frameVideoList")->title(), "Video List");

    QStringList captions;
    for (ToolbarImage* i : w->toolbarImages())
        captions << i->objectName() + "|" + w->findChild<QLabel*>(i->objectName() + "Caption")->text();
    EXPECT_EQ(captions, (QStringList{"Image1|Add Files", "Image2|Remove File", "Image9|Clear All", "Image10|Settings",
                                     "Image8|Help", "Image7|EXIT", "Image11|CONVERT NOW"}));
}

TEST_F(Window, ToolbarHoverBorderStaysUntilThePanelIsCrossed)
{
    open();
    const auto images = w->toolbarImages();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(images[0], &enter);
    QApplication::sendEvent(images[3], &enter);
    EXPECT_TRUE(images[0]->hasBorder());
    EXPECT_TRUE(images[3]->hasBorder());
    EXPECT_FALSE(images[1]->hasBorder());
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(find<QWidget>("Picture3"), &move);
    for (ToolbarImage* i : images)
        EXPECT_FALSE(i->hasBorder());
}

TEST_F(Window, ChoicesOfTheChooserAreKeptAcrossRestarts)
{
    open();
    EXPECT_EQ(w->profileChooser()->count(), 109);
    EXPECT_EQ(w->profileChooser()->entryNumber(), 0);
    EXPECT_EQ(w->workspace().sheet().value("Video Options", "Video Codec"), "xvid");
    w->close();
    EXPECT_FALSE(QFile::exists(folder.file("settings.dat"))) << "nothing selected, nothing written";

    open();
    test::choose(w->profileChooser(), 96);  // entry 96, "MP3 Audio(*.mp3)"
    EXPECT_EQ(w->workspace().sheet().value("Audio Options", "Audio Codec"), "mp3");
    w->close();
    EXPECT_EQ(stored("profile"), "96");

    open();
    EXPECT_EQ(w->profileChooser()->currentText(), "MP3 Audio(*.mp3)");
    EXPECT_EQ(w->workspace().sheet().value("Audio Options", "Audio Codec"), "mp3");
    EXPECT_EQ(w->workspace().sheet().findRow("Audio Options", "Audio Codec")->choices, QStringList{"mp3"});
}

TEST_F(Window, StoredNumberThatNamesNoEntryLeavesNoSelection)
{
    for (const char* value : {"0", "", "110", "abc"}) {
        writeSetting(folder.file("settings.dat"), "set", "profile", value);
        open();
        EXPECT_EQ(w->profileChooser()->currentIndex(), -1) << value;
        w->close();
        EXPECT_EQ(stored("profile"), value) << "the stored value stays";
    }
}

TEST_F(Window, HeadersHaveTheirPicturesAndProfilesNone)
{
    open();
    const ProfileChooser* c = w->profileChooser();
    EXPECT_GE(c->imageList().size(), 44);
    EXPECT_FALSE(c->itemIcon(0).isNull());   // Apple iPad
    EXPECT_TRUE(c->itemIcon(1).isNull());
    EXPECT_FALSE(c->itemIcon(94).isNull());  // Common Used Audio Formats
    EXPECT_EQ(c->itemText(73), "Nokia N-series MPEG-4 Movie(*.mp4)");
}

TEST_F(Window, ProgressPanelIsDraggedByItsGrabPoint)
{
    open();
    ProgressPanel* panel = w->progressPanel();
    panel->show();
    panel->move(100, 120);
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    EXPECT_TRUE(panel->isDragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 70), panel->mapToGlobal(QPointF(80, 70)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &move);
    EXPECT_EQ(panel->pos(), QPoint(150, 150)) << "the grabbed point stays under the pointer";
    const QSize size = panel->size();
    QTest::mouseRelease(panel, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(panel->isDragging());
    QApplication::sendEvent(panel, &move);
    EXPECT_EQ(panel->pos(), QPoint(150, 150)) << "no drag after the release";
    EXPECT_EQ(panel->size(), size);
    QTest::mousePress(panel, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    EXPECT_FALSE(panel->isDragging()) << "only the left button drags";
}

TEST_F(Window, HelpAndLinksGoThroughTheShell)
{
    open();
    find<QAction>("helphelp")->trigger();
    EXPECT_EQ(shell.helps, QStringList{folder.path() + "/help/index.html"});
    find<QAction>("checkupdate")->trigger();
    EXPECT_EQ(messages.shown, QStringList{"info: This is Varnel Video Converter 3.70, in " + folder.path() +
                                          ".\nIt does not look for updates itself: a copy installed as a package is "
                                          "updated by the system's package manager, and a copy built from its source "
                                          "by building a newer source."});
    EXPECT_TRUE(shell.links.isEmpty()) << "no address of a site the program does not have";
    messages.shown.clear();

    shell.opens = false; // a desktop without an opener
    find<QAction>("helphelp")->trigger();
    EXPECT_EQ(messages.shown, QStringList{"error: Could not open " + folder.path() +
                                          "/help/index.html: no program on this desktop opened it."});
}

TEST_F(Window, ExitHidesAtOnceAndEndsOnlyWhenThePlayerHasEnded)
{
    closeGraceMs = 500;
    open();
    QTemporaryDir dir;
    Command recorder;  // takes the quit key without quitting
    recorder.literal("/bin/sh -c ").quoted("exec cat > '" + dir.filePath("keys") + "'");
    PlayerJob& player = w->workspace().player().job();
    ASSERT_TRUE(player.start(dir.path(), recorder));
    const qint64 pid = player.processId();
    QTimer* timer1 = w->workspace().player().clock();
    timer1->start();
    QSignalSpy ended(w.get(), &MainWindow::ended);
    find<QAction>("exit")->trigger();
    EXPECT_FALSE(w->isVisible()) << "the window goes at once";
    EXPECT_FALSE(timer1->isActive());
    EXPECT_EQ(ended.count(), 0) << "the program waits for its player";
    EXPECT_TRUE(w->workspace().tools().isRunning(pid));
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_FALSE(w->workspace().tools().isRunning(pid)) << "a player that ignores the key is ended after the grace time";
    QFile keys(dir.filePath("keys"));
    ASSERT_TRUE(keys.open(QIODevice::ReadOnly));
    EXPECT_TRUE(keys.readAll().startsWith("q"));
}

TEST_F(Window, SkinRulesOfOneWindowDoNotReachAnother)
{
    ASSERT_TRUE(test::copySkin(folder.path()));
    open();
    auto colourOf = [](QLabel* label) {
        label->ensurePolished();
        return label->palette().color(QPalette::WindowText).name();
    };
    EXPECT_EQ(colourOf(w->progressPanel()->elapsedLabel()), "#1f6fd0");
    const Settings settings(folder.path());
    SettingsDialog dialog(settings, messages, [](QWidget*) { return QString(); }, w.get());
    auto* threads = dialog.findChild<QLabel*>("SkinLabel2");
    ASSERT_NE(threads, nullptr);
    EXPECT_NE(colourOf(threads), "#1f6fd0");
    EXPECT_FALSE(QFontInfo(threads->font()).fixedPitch());
}

TEST_F(Window, LongCaptionsAndPathsKeepTheirEnds)
{
    open();
    const QString caption = "Progress...." + QString("/very/long/folder").repeated(12) + "/source.avi To " +
                            QString("/other/folder").repeated(12) + "/output.mp4";
    ProgressPanel* panel = w->progressPanel();
    panel->setCaption(caption);
    const QString shown = panel->frame14()->title();
    EXPECT_NE(shown, caption);
    EXPECT_TRUE(shown.startsWith("Progress....")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("/output.mp4")) << shown.toStdString();
    EXPECT_EQ(panel->frame14()->toolTip(), caption);
    EXPECT_EQ(w->sourceListView()->textElideMode(), Qt::ElideLeft);
}

TEST_F(Window, TheToolbarHoldsAtTheSmallestWindow)
{
    ASSERT_TRUE(test::copySkin(folder.path()));
    open();
    w->resize(800, 600);
    ASSERT_TRUE(test::waitFor([&] { return w->width() == 800; }, 30000)) << w->width();
    QWidget* chooser = find<QWidget>("ImageCombo1");
    QWidget* convert = find<QWidget>("Image11");
    QWidget* toolbar = find<QWidget>("Picture3");
    ASSERT_TRUE(test::waitFor([&] { return toolbar->width() <= w->width(); }, 30000));
    const QRect chooserBox(chooser->mapTo(toolbar, QPoint(0, 0)), chooser->size());
    const QRect convertBox(convert->mapTo(toolbar, QPoint(0, 0)), convert->size());
    EXPECT_FALSE(chooserBox.intersects(convertBox));
    EXPECT_TRUE(toolbar->rect().contains(convertBox)) << "CONVERT NOW stays inside the window";
    for (ToolbarImage* i : w->toolbarImages())
        EXPECT_FALSE(QRect(i->mapTo(toolbar, QPoint(0, 0)), i->size()).intersects(chooserBox) && i != convert)
            << i->objectName().toStdString();
}

TEST_F(Window, RightButtonOnTheListOpensThePopup)
{
    open();
    QSignalSpy popup(w->sourceListView(), &SourceListView::popupRequested);
    QTest::mouseClick(w->sourceListView()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(popup.count(), 1);
    QTest::mouseClick(w->sourceListView()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(popup.count(), 1);
}

TEST_F(Window, AFileThatNamesOtherFilesIsSaidNotListedAndNotFollowed)
{
    test::HttpServer server;
    QTemporaryDir dir;
    const QString clip = test::copyTo(test::videoClip(2), dir.path(), "clip.mp4");
    QFile playlist(dir.filePath("list.m3u8"));
    ASSERT_TRUE(playlist.open(QIODevice::WriteOnly));
    playlist.write("#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + server.url("/seg0.ts").toUtf8() + "\n#EXTINF:2,\n" +
                   clip.toUtf8() + "\n#EXT-X-ENDLIST\n");
    playlist.close();
    const QString said = "error: These files could not be read as media, and were not added:\n" + playlist.fileName() +
                         ": a playlist names other files; add the files themselves";
    filesToChoose = {playlist.fileName(), clip};
    open();
    find<QAction>("AddFiles")->trigger();
    waitProbes();
    ASSERT_TRUE(test::waitFor([&] { return w->workspace().list().count() == 1 && !messages.shown.isEmpty(); }, 30000));
    EXPECT_EQ(w->workspace().list().cell(0, SourceItem::FileName), clip);
    EXPECT_EQ(w->workspace().list().cell(0, SourceItem::Size), "320x240");
    EXPECT_EQ(messages.shown, QStringList{said});

    w->addDroppedFiles({playlist.fileName()});
    waitProbes();
    ASSERT_TRUE(test::waitFor([&] { return messages.shown.size() == 2 && w->workspace().list().count() == 1; }, 30000));
    EXPECT_EQ(messages.shown[1], said);
    EXPECT_TRUE(server.requests.isEmpty()) << "no player fetched what the playlist names";
}

TEST_F(Window, MissingSkinLeavesTheWindowUnskinned)
{
    open();
    EXPECT_TRUE(w->styleSheet().isEmpty()) << "the test program folder has no skin";
    QDir().mkpath(folder.file("skins"));
    QFile skin(folder.file("skins/frmmain.skn"));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write("QMainWindow { background: #123456; }");
    skin.close();
    open();
    EXPECT_EQ(w->styleSheet(), "QMainWindow { background: #123456; }");
}

TEST_F(Window, ExitWithoutAPlayerEndsCleanly)
{
    open();
    find<QAction>("exit")->trigger();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(QFile::exists(folder.file("settings.dat")));
}

TEST_F(Window, FilesComeInByDialogAndByDrop)
{
    QTemporaryDir dir;
    const QString clip = test::videoClip(3);
    filesToChoose = {test::copyTo(clip, dir.path(), "c.mp4"), test::copyTo(clip, dir.path(), "a.mp4"),
                     test::copyTo(clip, dir.path(), "b b.mp4")};
    open();
    find<QAction>("AddFiles")->trigger();
    waitProbes();
    ASSERT_EQ(w->workspace().list().count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w->workspace().list().cell(i, SourceItem::FileName), filesToChoose[i]);
        EXPECT_EQ(w->workspace().list().cell(i, SourceItem::Size), "320x240");
    }
    filesToChoose.clear();
    find<QAction>("AddFiless")->trigger();
    EXPECT_EQ(w->workspace().list().count(), 3) << "a cancelled dialog adds nothing";

    // A drop: each file the probe reads, a folder's media files in name
    // order (its own folders too), and the others named in one message.
    const QString x = test::copyTo(clip, dir.path(), "x.AVI"), webm = test::copyTo(clip, dir.path(), "c.webm");
    QDir(dir.path()).mkpath("more/deeper");
    const QString deeper = test::copyTo(clip, dir.path() + "/more/deeper", "a.mkv");
    const QString more = test::copyTo(clip, dir.path() + "/more", "b.mp4");
    QFile junk(dir.path() + "/more/junk.mp4");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly) && junk.write("not a video") > 0);
    junk.close();
    w->addDroppedFiles({x, dir.path() + "/missing.mkv", dir.path() + "/more", "/dev/zero", webm});
    waitProbes();
    ASSERT_TRUE(test::waitFor([&] { return w->workspace().list().count() == 7; }, 30000));
    QStringList added;
    for (int r = 3; r < 7; ++r)
        added << w->workspace().list().cell(r, SourceItem::FileName);
    EXPECT_EQ(added, (QStringList{x, more, deeper, webm}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith("error: These files could not be read as media, and were not added:\n"));
    EXPECT_TRUE(messages.shown[0].contains("\n" + dir.path() + "/missing.mkv: No such file or directory"))
        << messages.shown[0].toStdString();
    EXPECT_TRUE(messages.shown[0].contains("\n" + junk.fileName() + ": ")) << messages.shown[0].toStdString();
    EXPECT_TRUE(messages.shown[0].contains("\n/dev/zero: not a regular file")) << messages.shown[0].toStdString();

    find<QAction>("RemoveSelectedFile")->trigger();
    EXPECT_EQ(w->workspace().list().count(), 7) << "nothing selected, nothing removed";
    w->sourceListView()->setCurrentIndex(w->workspace().list().index(1, 0));
    find<QAction>("RemoveSelectedItem")->trigger();
    EXPECT_EQ(w->workspace().list().count(), 6);
    EXPECT_EQ(w->workspace().list().cell(1, SourceItem::FileName), dir.path() + "/b b.mp4");

    // A move offered by the source is taken as a copy: the file stays where it is.
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(x), QUrl("https://example.invalid/a.mp4")});
    QWidget* listArea = w->sourceListView()->viewport();
    QDropEvent move(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, Qt::ShiftModifier);
    move.setDropAction(Qt::MoveAction);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(listArea, &enter);
    QCoreApplication::sendEvent(listArea, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    waitProbes();
    ASSERT_EQ(w->workspace().list().count(), 7);
    w->workspace().list().removeItem(6);
    dragged.setUrls({QUrl("https://example.invalid/a.mp4")});
    QDropEvent remote(QPointF(20, 20), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(listArea, &enter);
    QCoreApplication::sendEvent(listArea, &remote);
    EXPECT_FALSE(remote.isAccepted()) << "nothing taken, nothing acknowledged";

    // Ctrl+C clears, and the status line's Undo or Ctrl+Z brings it all back.
    QStringList before;
    for (int r = 0; r < w->workspace().list().count(); ++r)
        before << w->workspace().list().cell(r, SourceItem::FileName) + w->workspace().list().cell(r, SourceItem::Size);
    auto listed = [&] {
        QStringList rows;
        for (int r = 0; r < w->workspace().list().count(); ++r)
            rows << w->workspace().list().cell(r, SourceItem::FileName) + w->workspace().list().cell(r, SourceItem::Size);
        return rows;
    };
    QTest::keyClick(w.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(w->workspace().list().count(), 0);
    EXPECT_EQ(find<QLabel>("UndoNote")->text(), "Cleared 6 files from the list.");
    ASSERT_TRUE(find<QWidget>("UndoButton")->isVisible());
    QTest::mouseClick(find<QWidget>("UndoButton"), Qt::LeftButton);
    EXPECT_EQ(listed(), before);
    EXPECT_FALSE(find<QWidget>("UndoButton")->isVisible());
    QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(listed(), before) << "nothing more to undo";
    find<QAction>("ClearAllFiles")->trigger();
    QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(listed(), before);
}

TEST_F(Window, TheChoosersEntryUnderTheKeysIsHighlightedInTheSkin)
{
    ASSERT_TRUE(test::copySkin(folder.path()));
    open();
    auto* chooser = w->profileChooser();
    chooser->showPopup();
    QAbstractItemView* list = chooser->view();
    ASSERT_TRUE(test::waitFor([&] { return list->isVisible(); }, 30000));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    const QRect entry = list->visualRect(list->currentIndex());
    ASSERT_TRUE(entry.isValid());
    // The entry's own row, pixel by pixel: mostly the skin's highlight blue.
    const QImage shot = list->viewport()->grab(entry).toImage();
    int blue = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            blue += std::abs(c.red() - 0x1f) < 24 && std::abs(c.green() - 0x6f) < 24 && std::abs(c.blue() - 0xd0) < 24;
        }
    EXPECT_GT(blue, shot.width() * shot.height() / 2) << "of " << shot.width() * shot.height();
    chooser->hidePopup();
}

TEST_F(Window, AnEntryWhoseEncoderIsMissingIsGreyedWithItsReason)
{
    // An ffmpeg without SVT-AV1.
    const QString ffmpeg = test::writeScript(folder.file("ffmpeg-without-av1"),
                                             "#!/bin/sh\nprintf ' V....D libx264  H.264\\n A..... aac  AAC\\n "
                                             "A..... libopus  Opus\\n V....D libx265  H.265\\n'\n");
    qputenv("VARNEL_FFMPEG", ffmpeg.toUtf8());
    open();
    QSignalSpy ready(&w->workspace().encoders(), &EncoderList::ready);
    ASSERT_TRUE(w->workspace().encoders().wasAsked() || ready.wait(30000));
    qunsetenv("VARNEL_FFMPEG");
    auto* items = qobject_cast<QStandardItemModel*>(w->profileChooser()->model());
    ASSERT_TRUE(items);
    EXPECT_FALSE(items->item(105 - 1)->isEnabled());
    EXPECT_EQ(items->item(105 - 1)->toolTip(), "the installed ffmpeg has no libsvtav1 encoder");
    EXPECT_TRUE(items->item(103 - 1)->isEnabled());
    EXPECT_TRUE(items->item(2 - 1)->isEnabled());
}

TEST_F(Window, APresetSavedFromTheSheetIsChosenUnderMyPresetsAfterARestart)
{
    QString asked;
    test::WindowServices s = test::quietServices(folder.path(), shell, messages);
    s.askText = [&](QWidget*, const QString& question, const QString&) { // what the user types
        asked = question;
        return QString("Small phone");
    };
    w = std::make_unique<test::StandaloneWindow>(s);
    w->show();
    test::choose(w->profileChooser(), 103);
    w->workspace().sheet().setValue("Video Options", "Video Size", "854x480");
    w->workspace().sheet().setValue("Video Options", "Video Bitrate", "Quality: Small");
    w->findChild<QAction*>("SaveAsPreset1")->trigger();
    EXPECT_EQ(asked, "Save the options of MP4 H.264 / AAC \u2014 plays everywhere (*.mp4) as the preset:");
    EXPECT_EQ(w->profileChooser()->currentText(), "Small phone");
    EXPECT_TRUE(QFile::exists(folder.file("presets.json")));
    w->close();

    // Another start: the preset is offered under its header, and choosing it
    // gives its profile and its values.
    open();
    ProfileChooser* chooser = w->profileChooser();
    ASSERT_EQ(chooser->count(), 111);
    EXPECT_EQ(chooser->itemText(109), "My Presets");
    EXPECT_EQ(chooser->itemText(110), "Small phone");
    test::choose(chooser, 111);
    EXPECT_EQ(w->workspace().entryNumber(), 103);
    EXPECT_EQ(w->workspace().sheet().value("Video Options", "Video Size"), "854x480");
    EXPECT_EQ(w->workspace().sheet().value("Video Options", "Video Bitrate"), "Quality: Small");
    EXPECT_EQ(w->workspace().sheet().value("Audio Options", "Audio Codec"), "AAC");
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("\n").toStdString();
}

TEST_F(Window, ImportingAPresetOfTheUsersNameAsksFirstAndAnExportGetsItsType)
{
    QStringList asked;
    bool replace = false;
    QString file;
    test::WindowServices s = test::quietServices(folder.path(), shell, messages);
    s.askDefaultNo = [&](QWidget*, const QString& question) {
        asked << question;
        return replace;
    };
    s.choosePresetFile = [&](QWidget*, bool) { return file; };
    s.askItem = [](QWidget*, const QString&, const QStringList&) { return QString("Mine"); };
    w = std::make_unique<test::StandaloneWindow>(s);
    w->show();
    PresetStore& store = w->workspace().presets();
    test::choose(w->profileChooser(), 104);
    ASSERT_EQ(store.save(presets::fromSheet("Mine", 104, w->workspace().sheet())), "");
    test::choose(w->profileChooser(), 103);
    QTemporaryDir dir;
    file = dir.filePath("theirs.json");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(presets::toJson({presets::fromSheet("Mine", 103, w->workspace().sheet())}));
    }

    find<QAction>("ImportPresets")->trigger();
    EXPECT_EQ(asked, QStringList{"You have presets of the names the file has: Mine. Replace yours with those of the file?"});
    ASSERT_TRUE(store.find("Mine"));
    EXPECT_EQ(store.find("Mine")->entry, 104) << "No keeps the user's own";
    replace = true;
    find<QAction>("ImportPresets")->trigger();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(store.find("Mine")->entry, 103);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("\n").toStdString();

    file = dir.filePath("exported");
    find<QAction>("ExportPreset")->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("exported.json")));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join("\n").toStdString();
}

TEST_F(Window, AnImportOfManyPresetsNamesTenOfThemInItsBoxes)
{
    QStringList asked;
    QTemporaryDir dir;
    const QString file = dir.filePath("many.json");
    test::WindowServices s = test::quietServices(folder.path(), shell, messages);
    s.askDefaultNo = [&](QWidget*, const QString& question) {
        asked << question;
        return true;
    };
    s.choosePresetFile = [&](QWidget*, bool) { return file; };
    w = std::make_unique<test::StandaloneWindow>(s);
    w->show();
    PresetStore& store = w->workspace().presets();
    test::choose(w->profileChooser(), 103);
    std::vector<Preset> theirs;
    for (int i = 0; i < 30; ++i) {
        const QString name = QString("Mine%1").arg(i, 2, 10, QChar('0'));
        ASSERT_EQ(store.save(presets::fromSheet(name, 103, w->workspace().sheet())), "");
        theirs.push_back(presets::fromSheet(name, 103, w->workspace().sheet()));
    }
    for (int i = 0; i < 15; ++i)
        theirs.push_back(presets::fromSheet(QString("Odd%1").arg(i, 2, 10, QChar('0')), 9999, w->workspace().sheet()));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(presets::toJson(theirs));
    }

    find<QAction>("ImportPresets")->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], "You have presets of the names the file has: Mine00, Mine01, Mine02, Mine03, Mine04, Mine05, "
                        "Mine06, Mine07, Mine08, Mine09, and 20 more. Replace yours with those of the file?");
    ASSERT_EQ(messages.shown.size(), 1);
    const QString odd = ": its entry 9999 is not in the catalogue; ";
    EXPECT_EQ(messages.shown[0], "error: Imported Mine00, Mine01, Mine02, Mine03, Mine04, Mine05, Mine06, Mine07, Mine08, "
                                 "Mine09, and 20 more; left out: Odd00" + odd + "Odd01" + odd + "Odd02" + odd + "Odd03" +
                                     odd + "Odd04" + odd + "Odd05" + odd + "Odd06" + odd + "Odd07" + odd + "Odd08" + odd +
                                     "Odd09" + odd + "and 5 more.");
}

TEST_F(Window, AFileOpenedIsShownByItsOwnRowWhenAnEarlierRowGoes)
{
    open();
    w->workspace().probe().setParallel(1); // the earlier row is probed, and goes, first
    QTemporaryDir dir;
    const QString junk = dir.filePath("junk.mp4");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a video at all");
    }
    const QString b = test::copyTo(test::videoClip(1), dir.path(), "b.mp4");
    w->addDroppedFiles({junk}); // a row the probe takes out again
    w->openFiles({b});
    ASSERT_TRUE(test::waitFor([&] { return !w->workspace().probe().isBusy() && w->workspace().list().count() == 1; },
                              60000));
    EXPECT_EQ(w->workspace().list().item(0).path(), b);
    EXPECT_EQ(w->sourceListView()->currentIndex().row(), 0) << "the opened file's row is selected";
    EXPECT_EQ(w->workspace().sheet().value("General", "Item Name"), b);
}
