#pragma once
// A capture device in memory: devices by name, controls by table, and a
// recording that is on until stopped (or ended by the test).
#include "core/capture/CaptureDevice.h"

#include <QStringList>
#include <map>

namespace varnel::test {

struct FakeCaptureDevice : CaptureDevice {
    QStringList names;
    std::map<int, ControlRange> ranges;  // by control; absent: unsupported
    std::map<int, int> values;
    QStringList calls;                   // what the window asked, in order
    bool capturing = false;
    bool stopsAtOnce = true;             // false: the file is finished later (finishStopping)
    CaptureStatistics stats;
    QString file;

    int deviceCount() const override { return static_cast<int>(names.size()); }
    QString deviceName(int i) const override { return names.value(i); }
    void setConnected(bool c) override { calls << QStringLiteral("connected %1").arg(c); }
    void setDeviceIndex(int i) override { calls << QStringLiteral("index %1").arg(i); }
    void setPreview(bool on) override { calls << QStringLiteral("preview %1").arg(on); }
    void setCaptureFileName(const QString& path) override { file = path; }
    bool isCapturing() const override { return capturing; }
    void startCapture() override
    {
        calls << QStringLiteral("start");
        capturing = true;
    }
    void stopCapture() override
    {
        calls << QStringLiteral("stop");
        if (stopsAtOnce && capturing) {
            capturing = false;
            emit captureStopped();
        }
    }
    void finishStopping()
    {
        capturing = false;
        emit captureStopped();
    }
    ControlRange controlRange(int c) override
    {
        const auto it = ranges.find(c);
        return it == ranges.end() ? ControlRange{} : it->second;
    }
    int controlValue(int c) override { return values[c]; }
    void setControlValue(int c, int v) override { values[c] = v; }
    CaptureStatistics statistics() const override { return stats; }
    PreviewFrame previewFrame() const override { return {}; }
};

} // namespace varnel::test
