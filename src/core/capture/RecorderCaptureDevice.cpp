#include "core/capture/RecorderCaptureDevice.h"
#include "core/capture/CaptureSession.h"
#include <QFileInfo>

#include <utility>

namespace varnel {

RecorderCaptureDevice::RecorderCaptureDevice(QString programFolder, ToolRegistry& tools, QObject* parent)
    : CaptureDevice(parent), m_recorder(std::move(programFolder), tools)
{
    m_restart.setSingleShot(true);
    // A coarse timer may fire 5 % early: the pauses are promised in full.
    m_restart.setTimerType(Qt::PreciseTimer);
    connect(&m_restart, &QTimer::timeout, this, &RecorderCaptureDevice::runNext);
    connect(&m_recorder, &CaptureRecorder::frameReady, this, &CaptureDevice::frameReady);
    connect(&m_recorder, &CaptureRecorder::ended, this, &RecorderCaptureDevice::onEnded);
}

// The window asked for the camera: whatever failed before is tried afresh.
void RecorderCaptureDevice::tryAgainFromNow()
{
    m_restart.stop();
    m_failures = 0;
    m_left = false;
}

void RecorderCaptureDevice::setConnected(bool connected)
{
    m_connected = connected;
    if (!connected) {
        m_restart.stop();
        m_recorder.stop(); // a recording finishes its file; captureStopped follows
        return;
    }
    tryAgainFromNow();
    runNext();
}

void RecorderCaptureDevice::setPreview(bool on)
{
    m_preview = on;
    if (on)
        tryAgainFromNow();
    else if (!m_capturing)
        m_recorder.stop();
    runNext();
}

void RecorderCaptureDevice::startCapture()
{
    if (m_capturing)
        return;
    m_capturing = m_recordingWanted = true;
    m_recorded = {};
    tryAgainFromNow();
    if (m_recorder.isRunning())
        m_recorder.stop(); // the preview makes way; the recording follows its end
    else
        runNext();
}

void RecorderCaptureDevice::stopCapture()
{
    if (!m_capturing)
        return;
    if (m_recordingWanted) {
        // Still handing over from the preview: nothing was recorded.
        m_recordingWanted = m_capturing = false;
        emit captureStopped();
        return;
    }
    m_recorder.stop(); // q finishes the file; captureStopped follows
}

// Starts what is wanted when nothing runs: a recording, else a preview.
void RecorderCaptureDevice::runNext()
{
    if (!m_connected || m_recorder.isRunning() || m_restart.isActive())
        return;
    const RecorderInput in = input(m_index);
    RecorderOptions options;
    m_runClock.start();
    if (m_recordingWanted) {
        m_recordingWanted = false;
        options.aviPath = m_file;
        m_runIsRecording = true;
        if (in.format.isEmpty() || !m_recorder.start(in, options)) {
            m_runIsRecording = m_capturing = false;
            const QString why = m_recorder.startError();
            emit captureEnded(why.isEmpty() ? tr("cannot start the recorder") : why);
        }
        return;
    }
    if (!m_preview || m_left || in.format.isEmpty())
        return;
    if (!m_recorder.start(in, options)) {
        // A recorder that cannot start now will not start after a pause.
        m_left = true;
        emit previewEnded(tr("cannot start the recorder"));
    }
}

void RecorderCaptureDevice::onEnded(bool asked, const QString& reason)
{
    if (m_runIsRecording) {
        m_recorded = m_recorder.statistics();
        m_runIsRecording = false;
        m_capturing = false;
        if (asked)
            emit captureStopped();
        else if (const QString saved = m_recorder.savedPath(); !saved.isEmpty())
            emit captureEnded(tr("%1: %2 saved as %3").arg(reason, statisticsLine(m_recorded), saved));
        else
            emit captureEnded(reason);
        if (m_recorder.isRunning()) // the window already moved on (another camera)
            return;
    }
    if (asked || !m_connected || m_recordingWanted) {
        runNext();
        return;
    }
    // It ended by itself. A camera that gives a picture for a moment and
    // then fails is no better than one that never opens: only a run of a
    // minute starts a new series.
    if (m_runClock.isValid() && m_runClock.elapsed() >= 60000)
        m_failures = 0;
    if (m_failures >= kRestarts) {
        m_left = true;
        emit previewEnded(reason);
        return;
    }
    m_restart.start(m_pauseMs << m_failures);
    ++m_failures;
}

} // namespace varnel
