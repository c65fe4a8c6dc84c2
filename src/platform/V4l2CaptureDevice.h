#pragma once
// Cameras through Video4Linux2: capture nodes found in a folder (/dev by
// default), their pan, tilt and zoom controls by ioctl, and preview and
// recording through one ffmpeg run each.
#include "core/capture/RecorderCaptureDevice.h"

#include <vector>

namespace varnel {

struct V4l2Node {
    QString path; // /dev/videoN
    QString card; // the driver's name for it
};

// The video* nodes of the folder that capture video, in name order.
std::vector<V4l2Node> discoverCaptureNodes(const QString& folder = QStringLiteral("/dev"));

class V4l2CaptureDevice : public RecorderCaptureDevice {
    Q_OBJECT
public:
    V4l2CaptureDevice(QString programFolder, ToolRegistry& tools, QString folder = QStringLiteral("/dev"),
                      QObject* parent = nullptr);

    int deviceCount() const override { return static_cast<int>(m_nodes.size()); }
    QString deviceName(int index) const override;
    ControlRange controlRange(int control) override;
    int controlValue(int control) override;
    void setControlValue(int control, int value) override;

protected:
    RecorderInput input(int index) const override;

private:
    QString node() const { return input(deviceIndex()).source; }

    std::vector<V4l2Node> m_nodes;
};

} // namespace varnel
