#pragma once
// The embedded players draw into X windows (-wid): where the desktop offers
// an X display next to Wayland (XWayland), the program runs on it.
#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <functional>

namespace varnel {

inline QString kPlaybackNeedsXDisplay()
{
    return QCoreApplication::translate("varnel::PlatformChoice", "Playback inside the window needs an X display (XWayland).");
}

// The Qt platform to run on, from the environment (env gives a variable's
// value, empty when unset): "xcb" on a Wayland session that has an X
// display, unless the user chose one with QT_QPA_PLATFORM; empty leaves the
// choice to Qt.
QByteArray chosenPlatform(const std::function<QByteArray(const char*)>& env);

// Applies chosenPlatform() to this process; call it before the application
// object is made.
void choosePlatform();

// Why a player cannot draw into a window of this Qt platform; empty when it
// can.
QString playerSurfaceUnavailable(const QString& platformName);

} // namespace varnel
