#pragma once
// A program this process starts and owns. Every outside tool (encoder,
// players, prober, recorder, power-off) runs as one, so that all end the same
// way:
//  - it dies with us: the kernel kills it when the thread that started it
//    ends (children are started from the main thread), and it does not run at
//    all when we were already gone by the time it was forked;
//  - it leads a process group of its own, so that a terminal's Ctrl+C reaches
//    only us (we decide how a tool ends) and the whole group, helpers a tool
//    forked included, is ended together;
//  - it ends by one sequence: the quit bytes on its standard input, then
//    SIGTERM after a grace time, then SIGKILL after another.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>

class QTimer;

namespace varnel {

class ChildProcess : public QProcess {
    Q_OBJECT
public:
    explicit ChildProcess(QObject* parent = nullptr);
    // A child that is the desktop's, not ours (an opener, and the program it
    // starts for the user): it neither dies with us nor is killed with its
    // object.
    enum DetachedTag { Detached };
    ChildProcess(DetachedTag, QObject* parent);
    // A child still running is killed (with its group), without waiting.
    ~ChildProcess() override;

    // Asks the child to end: quitBytes (if any) on its standard input, then
    // SIGTERM after graceMs, SIGKILL after another graceMs. Nothing waits;
    // finished() reports the end. Asking again never gives it longer, but a
    // shorter grace (an Exit after a Cancel) shortens what is left.
    void end(const QByteArray& quitBytes, int graceMs);
    // SIGKILL to the child's group now.
    void killGroup();
    // The child keeps the descriptor fd, under its number (set before the
    // start); no other descriptor of ours is given to it.
    void passDescriptor(int fd) { m_passFd = fd; }
    bool isEnding() const { return m_ending; }

    // The exit code as a shell reports it: a child killed by a signal is
    // 128 + the signal, never 0.
    int resultCode() const;

private:
    void signalGroup(int signal);
    void onDeadline();
    bool m_ending = false;
    bool m_terminated = false;
    bool m_detached = false;
    QDeadlineTimer m_terminateAt, m_killAt;
    QTimer* m_deadline = nullptr;
    int m_passFd = -1;
    qint64 m_group = 0; // the group the child leads, kept past its end
};

// A child process object that must go now while its child may still run:
// the child's group is killed and the object deletes itself once the end has
// been reported, so no zombie and no waiting are left.
void dropChild(QProcess* child);

} // namespace varnel
