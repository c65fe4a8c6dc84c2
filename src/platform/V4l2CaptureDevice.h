#pragma once
// Cameras through Video4Linux2: capture nodes found in a folder (/dev by
// default), their pan, tilt and zoom controls by ioctl, and preview and
// recording through one ffmpeg run each.
#include "core/capture/CaptureDevice.h"
#include "core/capture/CaptureRecorder.h"

#include <vector>

namespace varnel {

struct V4l2Node {
    QString path; // /dev/videoN
    QString card; // the driver's name for it
};

// The video* nodes of the folder that capture video, in name order.
std::vector<V4l2Node> discoverCaptureNodes(const QString& folder = QStringLiteral("/dev"));

class V4l2CaptureDevice : public CaptureDevice {
    Q_OBJECT
public:
    V4l2CaptureDevice(QString programFolder, QString folder = QStringLiteral("/dev"), QObject* parent = nullptr);

    int deviceCount() const override { return static_cast<int>(m_nodes.size()); }
    QString deviceName(int index) const override;
    void setConnected(bool connected) override;
    void setDeviceIndex(int index) override;
    void setPreview(bool on) override;
    void setCaptureFileName(const QString& path) override { m_file = path; }
    bool isCapturing() const override { return m_capturing; }
    void startCapture() override;
    void stopCapture() override;
    ControlRange controlRange(int control) override;
    int controlValue(int control) override;
    void setControlValue(int control, int value) override;
    CaptureStatistics statistics() const override { return m_recorder.statistics(); }
    PreviewFrame previewFrame() const override { return m_recorder.latestFrame(); }

private:
    void runNext();
    void onEnded(bool asked, const QString& reason);
    QString node() const;

    std::vector<V4l2Node> m_nodes;
    CaptureRecorder m_recorder;
    int m_index = 0;
    bool m_connected = false;
    bool m_preview = false;
    bool m_capturing = false;     // a recording run is (or is about to be) on
    bool m_captureWanted = false; // start a recording once the current run has ended
    QString m_file;
};

} // namespace varnel
