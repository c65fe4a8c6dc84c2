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
    explicit Node(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC)) {}
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

V4l2CaptureDevice::V4l2CaptureDevice(QString programFolder, ToolRegistry& tools, QString folder, QObject* parent)
    : RecorderCaptureDevice(std::move(programFolder), tools, parent), m_nodes(discoverCaptureNodes(folder))
{
}

QString V4l2CaptureDevice::deviceName(int index) const
{
    return index >= 0 && index < deviceCount() ? m_nodes[static_cast<size_t>(index)].card : QString();
}

RecorderInput V4l2CaptureDevice::input(int index) const
{
    if (index < 0 || index >= deviceCount())
        return {};
    return {QStringLiteral("v4l2"), m_nodes[static_cast<size_t>(index)].path};
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
