#pragma once
// The capture window's logic on a device: the device list, the four camera
// sliders, capturing and preview, and the statistics line. The window is a
// thin view on it.
#include "core/capture/CaptureDevice.h"

#include <QObject>
#include <QStringList>
#include <array>

namespace varnel {

struct SliderState {
    bool enabled = false;
    int minimum = 0, maximum = 100, value = 0;
};

// "N frames (M dropped) - S.SS sec.", always two decimals.
QString statisticsLine(const CaptureStatistics& s);

class CaptureSession : public QObject {
    Q_OBJECT
public:
    explicit CaptureSession(CaptureDevice& device, QObject* parent = nullptr);

    // Load: the device names, the first selected; with none the three
    // capture buttons are disabled. Preview goes on for a device.
    void load();
    QStringList deviceNames() const { return m_names; }
    // While recording, the file is finished first, then the camera changes.
    void selectDevice(int index);
    void releaseSlider(int control, int value);

    void startCapture(const QString& file);
    void stopCapture();
    void preview();
    // Exit: the recording is finished first; readyToClose follows.
    void exit();
    // Every 500 ms: the statistics line while capturing.
    void tick();

    const SliderState& slider(int control) const { return m_sliders.at(static_cast<size_t>(control)); }
    bool startEnabled() const { return m_startEnabled; }
    bool stopEnabled() const { return m_stopEnabled; }
    bool previewEnabled() const { return m_previewEnabled; }
    QString statisticsText() const { return m_statistics; }

signals:
    void changed();
    void readyToClose();

private:
    void setButtons(bool start, bool stop, bool preview);
    void switchTo(int index);
    // The recording's file is finished (or was never begun): what waited for it goes on.
    void recordingOver();
    void idle() { setButtons(true, true, true); }

    CaptureDevice& m_device;
    QStringList m_names;
    std::array<SliderState, CameraControl::Count> m_sliders{};
    bool m_startEnabled = true, m_stopEnabled = true, m_previewEnabled = true;
    QString m_statistics = QStringLiteral("00:00:00");
    QString m_file; // the name the recording was asked to have
    bool m_exiting = false;
    int m_nextDevice = -1; // the camera chosen while a recording was finishing
};

} // namespace varnel
