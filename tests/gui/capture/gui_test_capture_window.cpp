// Form3 against a device in memory (what the buttons and sliders do), and
// against recordings by the real encoder from test patterns (how they end).
#include "gui/capture/CaptureWindow.h"

#include "FakeCaptureDevice.h"
#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/capture/CaptureSession.h"
#include "core/capture/RecorderCaptureDevice.h"
#include "core/tools/ToolRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Capture : ::testing::Test {
    test::FakeCaptureDevice* device = new test::FakeCaptureDevice;
    QString chosen;
    std::unique_ptr<CaptureWindow> window;

    void open()
    {
        window = std::make_unique<CaptureWindow>(std::unique_ptr<CaptureDevice>(device), QString(),
                                                 [this](QWidget*) { return chosen; }, nullptr);
        window->show();
    }
    template <typename T>
    T* find(const QString& name) { return window->findChild<T*>(name); }
    bool enabled(const char* button) { return find<QPushButton>(button)->isEnabled(); }
};

} // namespace

TEST_F(Capture, WithoutACameraTheWindowStillOpensAndCloses)
{
    open();
    EXPECT_EQ(window->windowTitle(), "Capture Video From DV");
    EXPECT_EQ(find<QComboBox>("Combo1")->count(), 0);
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command2"));
    EXPECT_FALSE(enabled("Command3"));
    EXPECT_TRUE(find<QLineEdit>("Text1")->text().endsWith("/dvcapture.avi"));
    // The recording is AVI, and its name says so.
    for (const auto& [given, shown] : {std::pair{"/v/take", "/v/take.avi"}, {"/v/take.mp4", "/v/take.avi"},
                                       {"/v/take.AVI", "/v/take.AVI"}, {"/v/a.b.mkv", "/v/a.b.avi"}}) {
        chosen = given;
        find<QPushButton>("Command5")->click();
        EXPECT_EQ(find<QLineEdit>("Text1")->text(), shown);
    }
    EXPECT_EQ(find<QLabel>("Label2")->text(), "00:00:00");
    EXPECT_TRUE(find<QTimer>("Timer1")->isActive());
    EXPECT_EQ(find<QTimer>("Timer1")->interval(), 500);
    QSignalSpy closed(window.get(), &QDialog::rejected);
    find<QPushButton>("Command4")->click();
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(Capture, TheCameraListIsReadableUnderADarkTheme)
{
    test::ProgramFolder skinned;
    ASSERT_TRUE(test::copySkin(skinned.path()));
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        dark.setColor(role, Qt::white);
    QApplication::setPalette(dark);
    CaptureWindow w(std::unique_ptr<CaptureDevice>(device), skinned.path(), [](QWidget*) { return QString(); }, nullptr);
    auto* combo = w.findChild<QComboBox*>("Combo1");
    combo->ensurePolished();
    EXPECT_EQ(combo->palette().color(QPalette::Text).name(), "#1d2733") << "the skin's text on the skin's white";
    EXPECT_EQ(combo->palette().color(QPalette::ButtonText).name(), "#1d2733");
    QApplication::setPalette(before);
}

TEST_F(Capture, SlidersCaptureAndStatistics)
{
    device->names = {"Zoom Cam"};
    device->ranges[CameraControl::Zoom] = {0, 0, 10};
    device->values[CameraControl::Zoom] = 4;
    open();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(find<QSlider>(QString("Slider%1").arg(i))->isEnabled()) << i;
    QSlider* zoom = find<QSlider>("Slider3");
    EXPECT_TRUE(zoom->isEnabled());
    EXPECT_EQ(zoom->maximum(), 10);
    EXPECT_EQ(zoom->value(), 4);
    // A click on the track beside the handle, then a key: each sets the
    // camera, as the end of a drag does.
    QTest::mouseClick(zoom, Qt::LeftButton, {}, QPoint(zoom->width() - 2, zoom->height() / 2));
    EXPECT_GT(zoom->value(), 4);
    EXPECT_EQ(device->values[CameraControl::Zoom], zoom->value());
    QTest::keyClick(zoom, Qt::Key_Home);
    EXPECT_EQ(device->values[CameraControl::Zoom], 0);

    chosen = "/videos/take one.avi";
    find<QPushButton>("Command5")->click();
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), chosen);
    chosen = "/videos/take two";
    find<QPushButton>("Command5")->click();
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), "/videos/take two.avi") << "a bare name records AVI";
    find<QPushButton>("Command1")->click();
    EXPECT_EQ(device->file, "/videos/take two.avi");
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command3"));
    device->stats = {50, 2, 2000};
    ASSERT_TRUE(test::waitFor([&] { return find<QLabel>("Label2")->text() == "50 frames (2 dropped) - 2.00 sec."; }, 10000));

    // Closing while capturing finishes the file first.
    device->stopsAtOnce = false;
    QSignalSpy closed(window.get(), &QDialog::rejected);
    find<QPushButton>("Command4")->click();
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(device->calls.contains("stop"));
    device->finishStopping();
    EXPECT_EQ(closed.count(), 1);
}

namespace {

// Cameras made of test patterns, recorded by the real encoder: a moving
// pattern, and a red one that can be told apart in the picture.
struct PatternCameras : RecorderCaptureDevice {
    using RecorderCaptureDevice::RecorderCaptureDevice;
    int deviceCount() const override { return 2; }
    QString deviceName(int i) const override { return QString("Pattern %1").arg(i); }
    ControlRange controlRange(int) override { return {}; }
    int controlValue(int) override { return 0; }
    void setControlValue(int, int) override {}
    RecorderInput input(int i) const override
    {
        return {"lavfi", i == 0 ? "testsrc=size=320x240:rate=25" : "color=c=red:size=320x240:rate=25"};
    }
};

// The frames the AVI's index counts, and the frames a decoder reads from it.
QPair<QString, int> aviFrames(const QString& avi)
{
    QString out;
    test::run("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=nb_frames,nb_read_frames", "-of", "default=nw=1", avi}, &out);
    const auto value = [&](const QString& key) {
        return QRegularExpression("^" + key + "=(.*)$", QRegularExpression::MultilineOption).match(out).captured(1).trimmed();
    };
    return {value("nb_frames"), value("nb_read_frames").toInt()};
}

struct Recording : ::testing::Test {
    test::ProgramFolder folder;
    QTemporaryDir out;
    QWidget main;
    ToolRegistry tools;
    PatternCameras* cameras = new PatternCameras(folder.path(), tools);
    std::unique_ptr<CaptureWindow> window;
    QString avi = out.filePath("take.avi");
    std::function<QString(QWidget*)> choose; // Browse...'s dialog; by default it answers avi

    void open()
    {
        window = std::make_unique<CaptureWindow>(std::unique_ptr<CaptureDevice>(cameras), QString(),
                                                 [this](QWidget* w) { return choose ? choose(w) : avi; }, &main);
        main.show();
        window->show();
        find<QPushButton>("Command5")->click();
    }
    template <typename T>
    T* find(const QString& name) { return window->findChild<T*>(name); }
    bool enabled(const char* button) { return find<QPushButton>(button)->isEnabled(); }
    void startRecording()
    {
        find<QPushButton>("Command1")->click();
        ASSERT_TRUE(test::waitFor([&] { return cameras->recorder().isRecording() && cameras->statistics().framesCaptured >= 25; }, 30000));
    }
    // The file has its index, the index counts every frame, and the window's line says as many.
    void expectWhole()
    {
        const auto [indexed, read] = aviFrames(avi);
        EXPECT_EQ(indexed, QString::number(read)) << "an index that counts every frame";
        EXPECT_GE(read, 25);
        EXPECT_TRUE(find<QLabel>("Label2")->text().startsWith(QString::number(read) + " frames ("))
            << find<QLabel>("Label2")->text().toStdString();
    }
};

} // namespace

TEST_F(Recording, ClosingTheWindowFinishesTheFileBeforeTheMainWindowCloses)
{
    open();
    startRecording();
    closeCaptureFirst(main); // what a terminate request does
    EXPECT_TRUE(window->isVisible()) << "the file is being finished";
    EXPECT_TRUE(main.isVisible());
    ASSERT_TRUE(test::waitFor([&] { return !main.isVisible(); }, 30000));
    EXPECT_FALSE(window->isVisible());
    expectWhole();
}

TEST_F(Recording, ASecondTakeKeepsTheFirstAndASignalOverADialogFinishesIt)
{
    open();
    startRecording();
    find<QPushButton>("Command2")->click();
    ASSERT_TRUE(test::waitFor([&] { return !cameras->isCapturing(); }, 30000));
    expectWhole();
    const auto first = aviFrames(avi);

    startRecording();
    // Browse... left open over the window when the signal comes (its
    // handler runs in the dialog's loop).
    bool dialogOpen = false;
    choose = [&](QWidget* owner) {
        QDialog dialog(owner);
        QTimer::singleShot(0, &dialog, [&] {
            dialogOpen = QApplication::activeModalWidget() == &dialog;
            closeCaptureFirst(main);
        });
        dialog.exec();
        return QString();
    };
    find<QPushButton>("Command5")->click();
    EXPECT_TRUE(dialogOpen);
    ASSERT_TRUE(test::waitFor([&] { return !main.isVisible(); }, 30000));
    EXPECT_EQ(aviFrames(avi), first) << "the first take is kept";
    const auto second = aviFrames(out.filePath("take_New.avi"));
    EXPECT_EQ(second.first, QString::number(second.second)) << "the second is whole, beside it";
    EXPECT_GE(second.second, 25);
    EXPECT_TRUE(find<QLabel>("Label2")->text().endsWith(" - saved as take_New.avi")) << find<QLabel>("Label2")->text().toStdString();
}

TEST_F(Recording, AnotherCameraFinishesTheRecordingThenShowsItsPicture)
{
    open();
    startRecording();
    QComboBox* combo = find<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_FALSE(enabled("Command1") || enabled("Command2") || enabled("Command3")) << "while the file is finished";
    ASSERT_TRUE(test::waitFor([&] { return enabled("Command1"); }, 30000));
    EXPECT_TRUE(enabled("Command2") && enabled("Command3"));
    expectWhole();
    const auto red = [&] {
        const PreviewFrame f = cameras->previewFrame();
        const auto* p = reinterpret_cast<const uchar*>(f.bgra.constData());
        return f.bgra.size() >= 4 && p[2] > 200 && p[1] < 60 && p[0] < 60;
    };
    EXPECT_TRUE(test::waitFor(red, 30000)) << "the new camera's picture";
    EXPECT_FALSE(cameras->isCapturing());
}

TEST_F(Recording, StopOrExitDuringTheHandOverEndInAClearState)
{
    open();
    ASSERT_TRUE(test::waitFor([&] { return cameras->previewFrame().width > 0; }, 30000));
    // Stop before the preview has made way: idle, and the picture goes on.
    find<QPushButton>("Command1")->click();
    find<QPushButton>("Command2")->click();
    EXPECT_TRUE(enabled("Command1") && enabled("Command2") && enabled("Command3"));
    EXPECT_FALSE(cameras->isCapturing());
    EXPECT_EQ(find<QLabel>("Label2")->text(), "0 frames (0 dropped) - 0.00 sec.") << "nothing was recorded";
    ASSERT_TRUE(test::waitFor([&] { return cameras->recorder().isRunning() && !cameras->recorder().isRecording(); }, 30000));

    QSignalSpy closed(window.get(), &QDialog::rejected);
    find<QPushButton>("Command1")->click();
    find<QPushButton>("Command4")->click();
    EXPECT_TRUE(closed.count() == 1 || closed.wait(30000)) << "Exit closes the window";
    EXPECT_FALSE(QFile::exists(avi)) << "no recording had begun";
}

TEST_F(Recording, ACameraThatCannotOpenIsTriedThreeTimesMoreThenLeft)
{
    // A stand-in encoder that notes when it starts and fails as a missing camera does.
    test::writeScript(folder.file("fp.dll"),
                      "date +%s%N >> \"$0.starts\"\n"
                      "echo '/dev/video7: No such device' >&2\n"
                      "exit 1\n");
    cameras->setRestartPauseMs(100);
    open();
    ASSERT_TRUE(test::waitFor([&] { return find<QLabel>("Label2")->text() == "/dev/video7: No such device"; }, 30000));
    EXPECT_TRUE(enabled("Command1") && enabled("Command3"));
    test::waitFor([] { return false; }, 2000); // time for any further start
    QFile starts(folder.file("fp.dll.starts"));
    ASSERT_TRUE(starts.open(QIODevice::ReadOnly));
    QList<qint64> at;
    for (const QByteArray& line : starts.readAll().split('\n'))
        if (!line.isEmpty())
            at << line.toLongLong() / 1000000;
    ASSERT_EQ(at.size(), 1 + RecorderCaptureDevice::kRestarts);
    for (int i = 1; i < at.size(); ++i) {
        EXPECT_GE(at[i] - at[i - 1], 100 << (i - 1)) << "pause " << i << " doubles the one before";
        if (i > 1)
            EXPECT_GT(at[i] - at[i - 1], at[i - 1] - at[i - 2]) << "pause " << i << " is longer";
    }
}

TEST_F(Recording, ACameraThatGivesAPictureThenFailsIsLeftBlackAfterAFewTries)
{
    // A camera that shows a picture for a moment, then stops: each start
    // is noted, and handed on to the real encoder.
    struct Flaky : PatternCameras {
        using PatternCameras::PatternCameras;
        RecorderInput input(int) const override { return {"lavfi", "testsrc=size=320x240:rate=25:duration=0.3"}; }
    };
    delete cameras;
    auto* flaky = new Flaky(folder.path(), tools);
    cameras = flaky;
    test::writeScript(folder.file("fp.dll"), "echo >> \"$0.starts\"\nexec '" + test::binDir().toUtf8() + "/fp.dll' \"$@\"\n");
    cameras->setRestartPauseMs(100);
    QSignalSpy left(cameras, &CaptureDevice::previewEnded);
    open();
    ASSERT_TRUE(left.count() > 0 || left.wait(60000)) << "left alone at last";
    QFile starts(folder.file("fp.dll.starts"));
    ASSERT_TRUE(starts.open(QIODevice::ReadOnly));
    EXPECT_EQ(starts.readAll().count('\n'), 1 + RecorderCaptureDevice::kRestarts);
    EXPECT_TRUE(cameras->previewFrame().bgra.isEmpty());
    QWidget* picture = find<QWidget>("vcx");
    EXPECT_EQ(picture->grab().toImage().pixelColor(picture->rect().center()), QColor(Qt::black)) << "no stale picture";
}
