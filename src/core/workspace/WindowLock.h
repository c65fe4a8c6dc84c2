#pragma once
// One window per user, display and data folder. Whoever holds this lock is
// that window: it alone reads, offers back, keeps and removes list.json, and
// answers on the hand-over socket beside the lock. Both live in a private
// folder of the user (mode 0700), so nobody else can reach or replace them.
#include <QString>

namespace varnel {

class WindowLock {
public:
    // display: the session the window shows on (sessionDisplay()).
    explicit WindowLock(const QString& dataFolder, const QString& display = sessionDisplay());
    ~WindowLock(); // gives the lock up and removes its file
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

    // False while another process holds it, or when there is no private
    // folder (problem() says why).
    bool tryTake();
    bool isHeld() const { return m_fd >= 0; }
    // Why no lock can ever be had here; empty when it can.
    QString problem() const { return m_problem; }
    // Where the window that holds the lock answers.
    QString socketPath() const { return m_base + QStringLiteral(".socket"); }
    QString lockPath() const { return m_base + QStringLiteral(".lock"); }
    QString dataFolder() const { return m_dataFolder; }

    // $DISPLAY and $WAYLAND_DISPLAY, as the desktop gave them.
    static QString sessionDisplay();

private:
    QString m_dataFolder;
    QString m_base; // folder and name, without the ending
    QString m_problem;
    int m_fd = -1;
};

} // namespace varnel
