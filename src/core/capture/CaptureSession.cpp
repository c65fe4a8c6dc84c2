#include "core/capture/CaptureSession.h"

namespace varnel {

QString statisticsLine(const CaptureStatistics& s)
{
    return QStringLiteral("%1 frames (%2 dropped) - %3 sec.")
        .arg(s.framesCaptured)
        .arg(s.framesDropped)
        .arg(static_cast<double>(s.elapsedMs) / 1000.0, 0, 'f', 2);
}

CaptureSession::CaptureSession(CaptureDevice& device, QObject* parent) : QObject(parent), m_device(device)
{
    // A recording that ends by itself returns the window to idle and says why.
    connect(&m_device, &CaptureDevice::captureEnded, this, [this](const QString& reason) {
        m_statistics = reason;
        setButtons(true, true, true);
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

void CaptureSession::releaseSlider(int control, int value)
{
    m_sliders[static_cast<size_t>(control)].value = value;
    m_device.setControlValue(control, value);
}

void CaptureSession::startCapture(const QString& file)
{
    if (m_names.isEmpty())
        return;
    if (m_device.isCapturing()) {
        stopCapture();
        return;
    }
    m_device.setCaptureFileName(file);
    m_device.setPreview(true);
    m_device.startCapture();
    setButtons(false, m_stopEnabled, false);
}

void CaptureSession::stopCapture()
{
    m_device.stopCapture();
    setButtons(true, m_stopEnabled, true);
}

void CaptureSession::preview()
{
    if (m_names.isEmpty())
        return;
    if (m_device.isCapturing()) {
        stopCapture();
        return;
    }
    m_device.setPreview(true);
}

void CaptureSession::exit()
{
    if (!m_device.isCapturing()) {
        emit readyToClose();
        return;
    }
    setButtons(false, false, false);
    connect(&m_device, &CaptureDevice::captureStopped, this, &CaptureSession::readyToClose, Qt::UniqueConnection);
    connect(&m_device, &CaptureDevice::captureEnded, this, &CaptureSession::readyToClose, Qt::UniqueConnection);
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
