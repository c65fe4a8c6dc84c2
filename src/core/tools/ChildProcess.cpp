#include "core/tools/ChildProcess.h"

#include <QCoreApplication>
#include <QPointer>
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
}

ChildProcess::~ChildProcess()
{
    if (state() != NotRunning)
        killGroup();
    // QProcess's own destructor reaps the killed child at once.
}

void ChildProcess::signalGroup(int signal)
{
    const qint64 pid = processId();
    if (pid <= 0)
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
    if (state() == NotRunning || m_ending)
        return;
    m_ending = true;
    if (!quitBytes.isEmpty())
        write(quitBytes);
    QPointer<ChildProcess> self = this;
    QTimer::singleShot(graceMs, this, [self] {
        if (self && self->state() != NotRunning)
            self->signalGroup(SIGTERM);
    });
    QTimer::singleShot(2 * graceMs, this, [self] {
        if (self && self->state() != NotRunning)
            self->killGroup();
    });
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
