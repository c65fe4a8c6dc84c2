#include "platform/V4l2CaptureDevice.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace varnel {

namespace {

// The control ids by slider; roll only where the kernel headers know it.
int controlId(int control)
{
    switch (control) {
    case CameraControl::Pan: return V4L2_CID_PAN_ABSOLUTE;
    case CameraControl::Tilt: return V4L2_CID_TILT_ABSOLUTE;
#ifdef V4L2_CID_ROLL_ABSOLUTE
    case CameraControl::Roll: return V4L2_CID_ROLL_ABSOLUTE;
#endif
    case CameraControl::Zoom: return V4L2_CID_ZOOM_ABSOLUTE;
    default: return 0;
    }
}

// A node opened for the length of one question.
class Node {
public:
    explicit Node(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK)) {}
    ~Node()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ask(unsigned long request, void* arg) const { return m_fd >= 0 && ::ioctl(m_fd, request, arg) == 0; }

private:
    int m_fd;
};

} // namespace

std::vector<V4l2Node> discoverCaptureNodes(const QString& folder)
{
    std::vector<V4l2Node> nodes;
    QStringList names = QDir(folder).entryList({QStringLiteral("video*")}, QDir::System | QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() < b.mid(5).toInt();
    });
    for (const QString& name : names) {
        const QString path = folder + u'/' + name;
        v4l2_capability cap{};
        if (!Node(path).ask(VIDIOC_QUERYCAP, &cap))
            continue;
        const quint32 caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        if (caps & V4L2_CAP_VIDEO_CAPTURE)
            nodes.push_back({path, QString::fromUtf8(reinterpret_cast<const char*>(cap.card))});
    }
    return nodes;
}

V4l2CaptureDevice::V4l2CaptureDevice(QString programFolder, QString folder, QObject* parent)
    : CaptureDevice(parent), m_nodes(discoverCaptureNodes(folder)), m_recorder(std::move(programFolder))
{
    connect(&m_recorder, &CaptureRecorder::frameReady, this, &CaptureDevice::frameReady);
    connect(&m_recorder, &CaptureRecorder::ended, this, &V4l2CaptureDevice::onEnded);
}

QString V4l2CaptureDevice::deviceName(int index) const
{
    return index >= 0 && index < deviceCount() ? m_nodes[static_cast<size_t>(index)].card : QString();
}

QString V4l2CaptureDevice::node() const
{
    return m_index >= 0 && m_index < deviceCount() ? m_nodes[static_cast<size_t>(m_index)].path : QString();
}

void V4l2CaptureDevice::setConnected(bool connected)
{
    m_connected = connected;
    if (!connected)
        m_recorder.stop();
    else
        runNext();
}

void V4l2CaptureDevice::setDeviceIndex(int index)
{
    m_index = index;
}

void V4l2CaptureDevice::setPreview(bool on)
{
    m_preview = on;
    runNext();
}

void V4l2CaptureDevice::startCapture()
{
    if (m_capturing)
        return;
    m_capturing = m_captureWanted = true;
    m_recorder.stop(); // the preview run makes way; the recording follows it
    runNext();
}

void V4l2CaptureDevice::stopCapture()
{
    m_captureWanted = false;
    if (m_recorder.isRecording())
        m_recorder.stop();
    else
        m_capturing = false;
}

// Starts what is wanted when nothing runs: a recording, else a preview.
void V4l2CaptureDevice::runNext()
{
    if (!m_connected || node().isEmpty() || m_recorder.isRunning())
        return;
    RecorderOptions options;
    if (m_captureWanted) {
        options.aviPath = m_file;
        m_captureWanted = false;
        if (!m_recorder.start({QStringLiteral("v4l2"), node()}, options)) {
            m_capturing = false;
            emit captureEnded(QStringLiteral("cannot start the recorder"));
        }
        return;
    }
    if (m_preview)
        m_recorder.start({QStringLiteral("v4l2"), node()}, options);
}

void V4l2CaptureDevice::onEnded(bool asked, const QString& reason)
{
    if (m_capturing && !m_captureWanted) { // a recording run has ended
        m_capturing = false;
        if (asked)
            emit captureStopped();
        else
            emit captureEnded(reason);
    }
    runNext();
}

ControlRange V4l2CaptureDevice::controlRange(int control)
{
    v4l2_queryctrl query{};
    query.id = static_cast<quint32>(controlId(control));
    if (query.id == 0 || !Node(node()).ask(VIDIOC_QUERYCTRL, &query) || (query.flags & V4L2_CTRL_FLAG_DISABLED))
        return {};
    return {0, query.minimum, query.maximum};
}

int V4l2CaptureDevice::controlValue(int control)
{
    v4l2_control c{};
    c.id = static_cast<quint32>(controlId(control));
    return c.id != 0 && Node(node()).ask(VIDIOC_G_CTRL, &c) ? c.value : 0;
}

void V4l2CaptureDevice::setControlValue(int control, int value)
{
    v4l2_control c{};
    c.id = static_cast<quint32>(controlId(control));
    c.value = value;
    if (c.id != 0)
        Node(node()).ask(VIDIOC_S_CTRL, &c);
}

} // namespace varnel
