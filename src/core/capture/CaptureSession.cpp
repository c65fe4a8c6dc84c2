#include "core/capture/CaptureSession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

namespace varnel {

QString statisticsLine(const CaptureStatistics& s)
{
    return QCoreApplication::translate("varnel::CaptureSession", "%1 frames (%2 dropped) - %3 sec.")
        .arg(s.framesCaptured)
        .arg(s.framesDropped)
        .arg(static_cast<double>(s.elapsedMs) / 1000.0, 0, 'f', 2);
}

CaptureSession::CaptureSession(CaptureDevice& device, QObject* parent) : QObject(parent), m_device(device)
{
    connect(&m_device, &CaptureDevice::captureStopped, this, [this] {
        m_statistics = statisticsLine(m_device.statistics()); // the finished file's figures
        // A file that was there already stays: the recording took another name.
        if (const QString saved = m_device.savedPath(); !saved.isEmpty() && saved != m_file)
            m_statistics += tr(" - saved as ") + QFileInfo(saved).fileName();
        recordingOver();
    });
    // A recording that ends by itself returns the window to idle and says why.
    connect(&m_device, &CaptureDevice::captureEnded, this, [this](const QString& reason) {
        m_statistics = reason;
        recordingOver();
    });
    connect(&m_device, &CaptureDevice::previewEnded, this, [this](const QString& reason) {
        m_statistics = reason;
        if (!m_exiting && m_nextDevice < 0)
            idle();
        else
            emit changed();
    });
}

void CaptureSession::load()
{
    m_names.clear();
    for (int i = 0; i < m_device.deviceCount(); ++i)
        m_names << m_device.deviceName(i);
    if (m_names.isEmpty())
        setButtons(false, false, false);
    else
        selectDevice(0);
    emit changed();
}

void CaptureSession::selectDevice(int index)
{
    if (m_exiting)
        return;
    if (m_device.isCapturing()) {
        m_nextDevice = index;
        setButtons(false, false, false);
        m_device.stopCapture();
        return;
    }
    switchTo(index);
}

void CaptureSession::switchTo(int index)
{
    m_device.setConnected(false);
    m_device.setDeviceIndex(index);
    m_device.setConnected(true);
    for (int i = 0; i < CameraControl::Count; ++i) {
        SliderState& s = m_sliders[static_cast<size_t>(i)];
        const ControlRange range = m_device.controlRange(i);
        s.enabled = range.status == 0;
        if (s.enabled) {
            s.minimum = range.minimum;
            s.maximum = range.maximum;
            s.value = m_device.controlValue(i);
        }
    }
    m_device.setPreview(true);
    emit changed();
}

void CaptureSession::recordingOver()
{
    if (m_exiting) {
        emit changed();
        emit readyToClose();
        return;
    }
    idle();
    if (m_nextDevice >= 0)
        switchTo(std::exchange(m_nextDevice, -1));
}

void CaptureSession::releaseSlider(int control, int value)
{
    m_sliders[static_cast<size_t>(control)].value = value;
    m_device.setControlValue(control, value);
}

void CaptureSession::startCapture(const QString& file)
{
    if (m_names.isEmpty() || m_exiting || m_nextDevice >= 0)
        return;
    if (m_device.isCapturing()) {
        stopCapture();
        return;
    }
    // The buttons first: a recording that cannot start says so at once.
    setButtons(false, m_stopEnabled, false);
    m_file = QFileInfo(file).absoluteFilePath();
    m_device.setCaptureFileName(file);
    m_device.setPreview(true);
    m_device.startCapture();
}

void CaptureSession::stopCapture()
{
    if (m_exiting || m_nextDevice >= 0)
        return;
    setButtons(true, m_stopEnabled, true);
    m_device.stopCapture();
}

void CaptureSession::preview()
{
    if (m_names.isEmpty() || m_exiting || m_nextDevice >= 0)
        return;
    if (m_device.isCapturing()) {
        stopCapture();
        return;
    }
    m_device.setPreview(true);
}

void CaptureSession::exit()
{
    if (m_exiting)
        return;
    if (!m_device.isCapturing()) {
        emit readyToClose();
        return;
    }
    m_exiting = true;
    setButtons(false, false, false);
    m_device.stopCapture();
}

void CaptureSession::tick()
{
    if (!m_device.isCapturing())
        return;
    m_statistics = statisticsLine(m_device.statistics());
    emit changed();
}

void CaptureSession::setButtons(bool start, bool stop, bool preview)
{
    m_startEnabled = start;
    m_stopEnabled = stop;
    m_previewEnabled = preview;
    emit changed();
}

} // namespace varnel
