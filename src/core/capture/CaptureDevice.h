#pragma once
// What the capture window asks of a capture device: the operations of the
// capture component it was written for. The Linux implementation is in the
// platform layer; tests use one in memory.
#include <QByteArray>
#include <QObject>
#include <QString>

namespace varnel {

// Camera control numbers, as the sliders count them.
namespace CameraControl {
constexpr int Pan = 0, Tilt = 1, Roll = 2, Zoom = 3, Count = 4;
}

struct ControlRange {
    int status = -1; // 0 when the device supports the control
    int minimum = 0;
    int maximum = 0;
};

struct CaptureStatistics {
    qint64 framesCaptured = 0;
    qint64 framesDropped = 0;
    qint64 elapsedMs = 0;
};

// The newest preview picture: 32-bit BGRA rows, width × height.
struct PreviewFrame {
    QByteArray bgra;
    int width = 0;
    int height = 0;
};

class CaptureDevice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual int deviceCount() const = 0;
    virtual QString deviceName(int index) const = 0;
    virtual void setConnected(bool connected) = 0;
    virtual void setDeviceIndex(int index) = 0;
    virtual void setPreview(bool on) = 0;
    virtual void setCaptureFileName(const QString& path) = 0;
    virtual bool isCapturing() const = 0;
    virtual void startCapture() = 0;
    virtual void stopCapture() = 0;
    virtual ControlRange controlRange(int control) = 0;
    virtual int controlValue(int control) = 0;
    virtual void setControlValue(int control, int value) = 0;
    virtual CaptureStatistics statistics() const = 0;
    virtual PreviewFrame previewFrame() const = 0;
    // Where the last recording was saved (the next free name when the one
    // asked for was taken); empty when nothing was.
    virtual QString savedPath() const { return {}; }

signals:
    void frameReady();
    // A recording ended without being asked to (unplugged, disk full, no
    // such folder); reason says why.
    void captureEnded(const QString& reason);
    // A recording asked to stop has finished its file.
    void captureStopped();
    // The camera's picture could not be had, after a few tries; reason says
    // why. The device stays idle until asked again.
    void previewEnded(const QString& reason);
};

} // namespace varnel
