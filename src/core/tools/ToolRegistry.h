#pragma once
// The one runner of outside tools: every child the program starts is a job
// (Process) handed out here, under one policy for how it ends, so that Exit
// ends them all within one grace time. The encoder and the player are also
// known by process id, as the tools' contracts have it: keys are posted to
// them by id. Nothing here waits: starts, keys and ends are reported
// through the event loop.
#include "core/tools/ChildProcess.h"
#include "core/tools/Process.h"

#include <QObject>
#include <QPointer>
#include <vector>

namespace varnel {

namespace Key {
constexpr int Left = 37;
constexpr int Right = 39;
constexpr int Space = 32;
constexpr int Quit = 81;
}

// Tells the tools started from now on which process started them (the
// adapters end themselves when it is gone). Cheap to call again.
void nameThisProcessToItsTools();

// The last few non-empty lines of a tool's output, to say why it failed.
QString lastLinesOf(const QString& output, int lines = 5);

// The bytes a key stands for on a tool's standard input; empty for keys the
// tools do not know.
QByteArray keyBytes(int keyCode);

class ToolRegistry : public QObject {
    Q_OBJECT
public:
    explicit ToolRegistry(QObject* parent = nullptr);
    // Tools still running are killed: none outlives its owner.
    ~ToolRegistry() override;

    // Starts a tool as a job owned by owner (this registry when none): the
    // job's child is killed when its owner deletes it. Never null: a program
    // that cannot be run finishes from the event loop, failedToStart().
    Process* run(const ToolStart& start, QObject* owner = nullptr);

    // The encoder's and the player's way: started with their output's end
    // kept, and known by process id. Returns the id, or 0 when the program
    // cannot be run; toolFinished reports the end.
    qint64 start(const Command& command, const QString& workingDir, const QStringList& environment = {},
                 int passed = -1);

    // Queues the key for the tool; a tool that has ended or was never started
    // receives nothing. True when the bytes were queued.
    bool postKey(qint64 pid, int keyCode);
    bool isRunning(qint64 pid) const;
    // Kills the tool (and what it forked) now.
    void terminate(qint64 pid);
    // The quit key, then terminate and kill, each after graceMs.
    void end(qint64 pid, int graceMs);

    // Tools of ours still running (not the desktop's).
    int runningCount() const;
    // Asks every running tool to quit and has it ended within graceMs, sooner
    // than any end already under way; allEnded() follows when none is left
    // (at once when none runs).
    void quitAll(int graceMs);

signals:
    // A tool of ours has ended; allEnded follows when it was the last.
    // output: the end of what it wrote
    // (standard output and error together, its last few kilobytes). A tool
    // killed by a signal is crashed, with 128 + the signal as its code.
    void toolFinished(qint64 pid, int exitCode, bool crashed, const QString& output);
    void allEnded();

private:
    Process* byPid(qint64 pid) const;
    void onFinished(Process* job);

    std::vector<QPointer<Process>> m_jobs; // running, ours
};

} // namespace varnel
