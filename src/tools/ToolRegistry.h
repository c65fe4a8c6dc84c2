#pragma once
// The outside tools the program has started (encoder and player), known by
// process id. Each keeps its standard input as a pipe so that keys can be
// posted to it: the terminal byte sequence of a key, in one write.
#include "tools/Command.h"

#include <QObject>
#include <map>

class QProcess;

namespace varnel {

namespace Key {
constexpr int Left = 37;
constexpr int Right = 39;
constexpr int Space = 32;
constexpr int Quit = 81;
}

// The bytes a key stands for on a tool's standard input; empty for keys the
// tools do not know.
QByteArray keyBytes(int keyCode);

class ToolRegistry : public QObject {
    Q_OBJECT
public:
    explicit ToolRegistry(QObject* parent = nullptr);
    ~ToolRegistry() override;

    // Starts the command from workingDir with its output discarded. Returns
    // the process id, or 0 when the tool could not be started.
    qint64 start(const Command& command, const QString& workingDir);

    // Writes the key to the tool; a tool that has ended or was never started
    // receives nothing. True when the bytes were written.
    bool postKey(qint64 pid, int keyCode);

    bool isRunning(qint64 pid) const;
    void terminate(qint64 pid);

    // At program end: asks every running tool to quit, waits up to graceMs
    // for all of them, then ends those still running.
    void quitAll(int graceMs);

signals:
    void toolFinished(qint64 pid, int exitCode, bool crashed);

private:
    std::map<qint64, QProcess*> m_tools;
};

} // namespace varnel
