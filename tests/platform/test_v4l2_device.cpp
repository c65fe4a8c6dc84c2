// The camera code against fake nodes answered by the v4l2 shim (LD_PRELOAD).
#include "platform/V4l2CaptureDevice.h"
#include "core/tools/ToolRegistry.h"

#include "core/capture/CaptureSession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Nodes : ::testing::Test {
    QTemporaryDir dir{QDir::tempPath() + "/v4l2-fake-XXXXXX"};
    Nodes()
    {
        for (const char* name : {"video0", "video1", "video2", "vbi0"}) {
            QFile f(dir.filePath(name));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
};

} // namespace

TEST_F(Nodes, OnlyCaptureNodesAreFoundByTheirCardNames)
{
    const auto nodes = discoverCaptureNodes(dir.path());
    ASSERT_EQ(nodes.size(), 2u) << "the output device and the vbi node are not cameras";
    EXPECT_EQ(nodes[0].card, "Fake Zoom Cam");
    EXPECT_EQ(nodes[0].path, dir.filePath("video0"));
    EXPECT_EQ(nodes[1].card, "Fake PTZ Cam");
    EXPECT_TRUE(discoverCaptureNodes(dir.filePath("none")).empty());
}

TEST_F(Nodes, ControlsThroughTheIoctls)
{
    ToolRegistry tools;
    V4l2CaptureDevice device("/nonexistent", tools, dir.path());
    CaptureSession session(device);
    session.load();
    for (int i : {CameraControl::Pan, CameraControl::Tilt, CameraControl::Roll})
        EXPECT_FALSE(session.slider(i).enabled) << i;
    EXPECT_TRUE(session.slider(CameraControl::Zoom).enabled);
    EXPECT_EQ(session.slider(CameraControl::Zoom).minimum, 100);
    EXPECT_EQ(session.slider(CameraControl::Zoom).value, 250);
    session.releaseSlider(CameraControl::Zoom, 400);
    EXPECT_EQ(device.controlValue(CameraControl::Zoom), 400) << "written with S_CTRL, read back with G_CTRL";

    session.selectDevice(1);
    EXPECT_TRUE(session.slider(CameraControl::Pan).enabled);
    EXPECT_EQ(session.slider(CameraControl::Pan).maximum, 36000);
    EXPECT_EQ(session.slider(CameraControl::Tilt).value, 100);
    EXPECT_FALSE(session.slider(CameraControl::Roll).enabled) << "no roll control in these kernel headers";
}
