#include "core/tools/ChildProcess.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace varnel {

ChildProcess::ChildProcess(QObject* parent) : QProcess(parent)
{
    const pid_t owner = ::getpid();
    setChildProcessModifier([this, owner] {
        // Only async-signal-safe calls here: this runs between fork and exec.
        // Its own number, which nothing else in the child can hold.
        if (m_passFd >= 0 && ::fcntl(m_passFd, F_SETFD, 0) != 0)
            ::_exit(127);
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != owner)
            ::_exit(127);
    });
    // What the tool forked and left behind ends with it.
    connect(this, &QProcess::started, this, [this] { m_group = processId(); });
    connect(this, &QProcess::finished, this, [this] {
        if (m_group > 0)
            ::kill(-static_cast<pid_t>(std::exchange(m_group, 0)), SIGKILL);
    });
}

ChildProcess::ChildProcess(DetachedTag, QObject* parent) : QProcess(parent), m_detached(true) {}

ChildProcess::~ChildProcess()
{
    if (m_detached && state() != NotRunning) {
        // Left to run: only our object goes, without waiting for it.
        setProcessState(NotRunning);
        return;
    }
    if (state() != NotRunning) {
        killGroup();
        // Killed, it ends at once: reaped here, it leaves no zombie and Qt
        // no complaint about a process destroyed while running.
        waitForFinished(1000);
    }
    // QProcess's own destructor reaps the killed child at once.
}

void ChildProcess::signalGroup(int signal)
{
    const qint64 pid = processId();
    if (pid <= 0 || m_detached)
        return;
    // The group first (helpers the tool forked); the child itself in case it
    // left its group.
    ::kill(-static_cast<pid_t>(pid), signal);
    ::kill(static_cast<pid_t>(pid), signal);
}

void ChildProcess::killGroup()
{
    signalGroup(SIGKILL);
}

void ChildProcess::end(const QByteArray& quitBytes, int graceMs)
{
    if (state() == NotRunning)
        return;
    if (!m_ending) {
        m_ending = true;
        if (!quitBytes.isEmpty())
            write(quitBytes);
        m_terminateAt = QDeadlineTimer(graceMs);
        m_killAt = QDeadlineTimer(2LL * graceMs);
        m_deadline = new QTimer(this);
        m_deadline->setSingleShot(true);
        m_deadline->setTimerType(Qt::PreciseTimer);
        connect(m_deadline, &QTimer::timeout, this, &ChildProcess::onDeadline);
        connect(this, &QProcess::finished, m_deadline, &QTimer::stop);
    } else {
        m_terminateAt = std::min(m_terminateAt, QDeadlineTimer(graceMs));
        m_killAt = std::min(m_killAt, QDeadlineTimer(2LL * graceMs));
    }
    onDeadline();
}

void ChildProcess::onDeadline()
{
    if (state() == NotRunning)
        return;
    if (m_killAt.hasExpired()) {
        killGroup();
        return;
    }
    if (m_terminateAt.hasExpired() && !m_terminated) {
        m_terminated = true;
        signalGroup(SIGTERM);
    }
    m_deadline->start(static_cast<int>((m_terminated ? m_killAt : m_terminateAt).remainingTime()));
}

int ChildProcess::resultCode() const
{
    // Qt reports the signal's number as the exit code of a crash.
    return exitStatus() == NormalExit ? exitCode() : 128 + exitCode();
}

void dropChild(QProcess* child)
{
    child->disconnect();
    if (child->state() == QProcess::NotRunning) {
        child->deleteLater();
        return;
    }
    QObject::connect(child, &QProcess::finished, child, &QObject::deleteLater);
    child->setParent(QCoreApplication::instance());
    if (auto* owned = qobject_cast<ChildProcess*>(child))
        owned->killGroup();
    else
        child->kill();
}

} // namespace varnel
