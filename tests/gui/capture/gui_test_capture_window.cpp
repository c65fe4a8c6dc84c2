// Form3 against a device in memory: what the buttons and sliders do.
#include "gui/capture/CaptureWindow.h"

#include "FakeCaptureDevice.h"
#include "TestSupport.h"
#include "core/capture/CaptureSession.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
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
    EXPECT_EQ(find<QLabel>("Label2")->text(), "00:00:00");
    EXPECT_TRUE(find<QTimer>("Timer1")->isActive());
    EXPECT_EQ(find<QTimer>("Timer1")->interval(), 500);
    QSignalSpy closed(window.get(), &QDialog::rejected);
    find<QPushButton>("Command4")->click();
    EXPECT_EQ(closed.count(), 1);
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
    zoom->setValue(7);
    emit zoom->sliderReleased();
    EXPECT_EQ(device->values[CameraControl::Zoom], 7);

    chosen = "/videos/take one.avi";
    find<QPushButton>("Command5")->click();
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), chosen);
    find<QPushButton>("Command1")->click();
    EXPECT_EQ(device->file, chosen);
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
