#include "gui/app/PlatformChoice.h"

#include <QtGlobal>

namespace varnel {

QByteArray chosenPlatform(const std::function<QByteArray(const char*)>& env)
{
    if (!env("QT_QPA_PLATFORM").isEmpty())
        return {};
    // Qt itself takes XDG_SESSION_TYPE as the sign of a Wayland session.
    const bool wayland = !env("WAYLAND_DISPLAY").isEmpty() || env("XDG_SESSION_TYPE") == "wayland";
    return wayland && !env("DISPLAY").isEmpty() ? QByteArrayLiteral("xcb") : QByteArray();
}

void choosePlatform()
{
    const QByteArray platform = chosenPlatform([](const char* name) { return qgetenv(name); });
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

QString playerSurfaceUnavailable(const QString& platformName)
{
    // A Wayland window id names no X window, so -wid has nothing to draw into.
    return platformName.startsWith(QLatin1String("wayland")) ? kPlaybackNeedsXDisplay() : QString();
}

} // namespace varnel
