#include "core/capture/CaptureSession.h"

#include "FakeCaptureDevice.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace varnel;

TEST(CaptureSession, AZoomOnlyDeviceAndItsSliders)
{
    test::FakeCaptureDevice device;
    device.names = {"Cam A", "Cam B"};
    device.ranges[CameraControl::Zoom] = {0, 100, 500};
    device.values[CameraControl::Zoom] = 250;
    CaptureSession session(device);
    session.load();
    EXPECT_EQ(session.deviceNames(), (QStringList{"Cam A", "Cam B"}));
    EXPECT_EQ(device.calls.mid(0, 3), (QStringList{"connected 0", "index 0", "connected 1"}));
    for (int i : {CameraControl::Pan, CameraControl::Tilt, CameraControl::Roll})
        EXPECT_FALSE(session.slider(i).enabled) << i;
    const SliderState& zoom = session.slider(CameraControl::Zoom);
    EXPECT_TRUE(zoom.enabled);
    EXPECT_EQ(zoom.minimum, 100);
    EXPECT_EQ(zoom.maximum, 500);
    EXPECT_EQ(zoom.value, 250);
    session.releaseSlider(CameraControl::Zoom, 320);
    EXPECT_EQ(device.values[CameraControl::Zoom], 320);
    EXPECT_EQ(session.statisticsText(), "00:00:00");
}

TEST(CaptureSession, StartWhileCapturingStopsAndTheLineHasTwoDecimals)
{
    test::FakeCaptureDevice device;
    device.names = {"Cam"};
    CaptureSession session(device);
    session.load();
    session.startCapture("/v/out.avi");
    EXPECT_EQ(device.file, "/v/out.avi");
    EXPECT_TRUE(device.capturing);
    EXPECT_FALSE(session.startEnabled());
    EXPECT_FALSE(session.previewEnabled());
    device.stats = {75, 3, 3000};
    session.tick();
    EXPECT_EQ(session.statisticsText(), "75 frames (3 dropped) - 3.00 sec.");
    device.stats = {80, 0, 3205};
    session.tick();
    EXPECT_EQ(session.statisticsText(), "80 frames (0 dropped) - 3.21 sec.");

    session.startCapture("/v/out.avi");
    EXPECT_EQ(device.calls.count("start"), 1) << "a second Start stops instead";
    EXPECT_FALSE(device.capturing);
    EXPECT_TRUE(session.startEnabled());
    EXPECT_TRUE(session.previewEnabled());
}

TEST(CaptureSession, NoDeviceDisablesTheButtons)
{
    test::FakeCaptureDevice device;
    CaptureSession session(device);
    session.load();
    EXPECT_FALSE(session.startEnabled());
    EXPECT_FALSE(session.stopEnabled());
    EXPECT_FALSE(session.previewEnabled());
    session.startCapture("/v/x.avi");
    session.preview();
    EXPECT_TRUE(device.calls.isEmpty());
}

TEST(CaptureSession, ARecordingThatEndsByItselfReturnsToIdleAndExitWaitsForTheFile)
{
    test::FakeCaptureDevice device;
    device.names = {"Cam"};
    CaptureSession session(device);
    session.load();
    session.startCapture("/full/disk.avi");
    device.capturing = false;
    emit device.captureEnded("No space left on device");
    EXPECT_TRUE(session.startEnabled());
    EXPECT_TRUE(session.previewEnabled());
    EXPECT_EQ(session.statisticsText(), "No space left on device");

    device.stopsAtOnce = false;
    session.startCapture("/v/x.avi");
    QSignalSpy ready(&session, &CaptureSession::readyToClose);
    session.exit();
    EXPECT_EQ(ready.count(), 0) << "the recording is still being finished";
    device.finishStopping();
    EXPECT_EQ(ready.count(), 1);
}
