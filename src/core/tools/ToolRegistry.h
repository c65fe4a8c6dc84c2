#pragma once
// The outside tools the program has started (encoder and player), known by
// process id. Each keeps its standard input as a pipe so that keys can be
// posted to it: the terminal byte sequence of a key, in one write. Nothing
// here waits: starts, keys and ends are reported through the event loop.
#include "core/tools/ChildProcess.h"
#include "core/tools/Command.h"

#include <QObject>
#include <map>

class QTimer;

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

    // Starts the command from workingDir with its output discarded and returns
    // its process id at once, or 0 when no process could be created. A program
    // that then cannot be run ends like any tool: toolFinished, crashed.
    // environment: NAME=VALUE settings beyond this process's own; passed: a
    // descriptor the tool keeps, under its number.
    qint64 start(const Command& command, const QString& workingDir, const QStringList& environment = {},
                 int passed = -1);

    // Queues the key for the tool; a tool that has ended or was never started
    // receives nothing. True when the bytes were queued.
    bool postKey(qint64 pid, int keyCode);

    bool isRunning(qint64 pid) const;
    int runningCount() const { return static_cast<int>(m_tools.size()); }
    // Kills the tool (and what it forked) now.
    void terminate(qint64 pid);
    // The quit key, then terminate and kill, each after graceMs.
    void end(qint64 pid, int graceMs);

    // Asks every running tool to quit and ends those still running after
    // graceMs; allEnded() follows when none is left (at once when none runs).
    void quitAll(int graceMs);

signals:
    // output: the end of what the tool wrote (standard output and error
    // together, its last few kilobytes). A tool killed by a signal is
    // crashed, with 128 + the signal as its code.
    void toolFinished(qint64 pid, int exitCode, bool crashed, const QString& output);
    void allEnded();

private:
    struct Tool {
        ChildProcess* process = nullptr;
        QByteArray tail; // the newest output; older bytes are dropped
    };
    void forget(qint64 pid, int exitCode, bool crashed, const QString& why = {});

    std::map<qint64, Tool> m_tools;
};

} // namespace varnel
