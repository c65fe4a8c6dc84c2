#pragma once
// A capture device whose picture and recording come from CaptureRecorder
// runs, one at a time: a preview run, or a recording run that also gives the
// picture. What runs follows what the window asked; a subclass only says
// which ffmpeg input a camera is and how its controls work.
//
// Hand-over: Start asks the preview run to quit, and the recording starts
// once it has ended. A stop during the hand-over ends nothing half written:
// no recording had begun. A camera whose run ends by itself (it cannot be
// opened, it was unplugged) is started again after growing pauses, at most
// kRestarts times, whether or not its runs showed a picture (only a run of a
// minute starts a new series); then it is left alone, black, and
// previewEnded says why, until the window asks for it again.
#include "core/capture/CaptureDevice.h"
#include "core/capture/CaptureRecorder.h"

#include <QElapsedTimer>
#include <QTimer>

namespace varnel {

class ToolRegistry;

class RecorderCaptureDevice : public CaptureDevice {
    Q_OBJECT
public:
    static constexpr int kRestarts = 3;

    RecorderCaptureDevice(QString programFolder, ToolRegistry& tools, QObject* parent = nullptr);

    void setConnected(bool connected) override;
    void setDeviceIndex(int index) override { m_index = index; }
    void setPreview(bool on) override;
    void setCaptureFileName(const QString& path) override { m_file = path; }
    bool isCapturing() const override { return m_capturing; }
    void startCapture() override;
    void stopCapture() override;
    // The recording's figures: those of the run while it records, then of its finished file.
    QString savedPath() const override { return m_recorder.savedPath(); }
    CaptureStatistics statistics() const override { return m_runIsRecording ? m_recorder.statistics() : m_recorded; }
    PreviewFrame previewFrame() const override { return m_recorder.latestFrame(); }

    // The pause before the first restart; each further one is twice the one
    // before (1, 2, 4 s by default). Tests shorten it.
    void setRestartPauseMs(int ms) { m_pauseMs = ms; }
    CaptureRecorder& recorder() { return m_recorder; }

protected:
    int deviceIndex() const { return m_index; }
    // The camera's ffmpeg input; an empty format when there is no such camera.
    virtual RecorderInput input(int index) const = 0;

private:
    void runNext();
    void onEnded(bool asked, const QString& reason);
    void tryAgainFromNow();

    CaptureRecorder m_recorder;
    QTimer m_restart;
    QString m_file;
    CaptureStatistics m_recorded;
    int m_index = 0;
    int m_pauseMs = 1000;
    QElapsedTimer m_runClock; // since the current run started
    int m_failures = 0;           // runs in a row that ended by themselves
    bool m_connected = false;
    bool m_preview = false;
    bool m_capturing = false;     // a recording is on, or about to be
    bool m_recordingWanted = false; // start a recording once the current run has ended
    bool m_runIsRecording = false;
    bool m_left = false;          // given up on the camera until asked again
};

} // namespace varnel
