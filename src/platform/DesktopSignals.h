#pragma once
// What the desktop hears about a run, over D-Bus: the run bar on the
// program's taskbar entry (com.canonical.Unity.LauncherEntry) while it runs,
// a notification (org.freedesktop.Notifications) when it ends. Nothing waits
// for an answer, and nothing is said or shown when no bus or nobody listens.
#include <QDBusConnection>
#include <QString>

namespace varnel {

struct RunResult;

class DesktopSignals {
public:
    // Speaks on the given bus: the session bus when left out.
    explicit DesktopSignals(const QDBusConnection& bus = QDBusConnection::sessionBus());

    // The run bar's value, 0 to 100, shown on the taskbar entry; a value
    // already shown is not sent again.
    void showProgress(int percent);
    void hideProgress();
    // "Conversion completed" with the counts and the output folder.
    void notifyRunEnded(const RunResult& result);

    // "3 converted, 1 failed": the counts that are not zero.
    static QString countsText(const RunResult& result);

private:
    void sendLauncherUpdate(const QVariantMap& properties);

    QDBusConnection m_bus;
    int m_shown = -1; // the percent on the taskbar, -1 while hidden
};

} // namespace varnel
