#pragma once
// One child program the converter started, as a job: what it wrote, how it
// ended, and how to end it. Every tool (encoder, identify run, player,
// yt-dlp, recorder, power-off, the desktop's opener) is one, handed out by
// the ToolRegistry, which Exit waits on. Nothing here waits: finished()
// comes once, from the event loop.
#include "core/tools/Command.h"

#include <QDateTime>
#include <QObject>
#include <QStringDecoder>

class QTimer;

namespace varnel {

class ChildProcess;

struct ToolStart {
    Command command;
    QString workingFolder;
    QStringList environment;    // NAME=VALUE beyond this process's own
    int passDescriptor = -1;    // a descriptor the child keeps, under its number
    // How much of what it writes is kept (the newest bytes); -1: all of it,
    // up to mostBytes, past which the rest is dropped and the job ended.
    qint64 keptBytes = 4096;
    qint64 mostBytes = 64 * 1024 * 1024;
    bool mergeErrors = true;    // standard error read with standard output
    QString outputFile;         // standard output goes here instead (errors are read)
    QByteArray quitBytes = "q"; // what asks it to end, on its standard input
    int timeoutMs = 0;          // ended (as end() does) after this long
    // The desktop's opener: what it starts is the user's, so it is neither
    // ended with us nor waited for at Exit.
    bool ownedByDesktop = false;
};

class Process : public QObject {
    Q_OBJECT
public:
    // A running child is killed, with what it forked.
    ~Process() override;

    qint64 pid() const { return m_pid; }
    bool isRunning() const { return m_pid > 0 && !m_ended; }
    bool hasEnded() const { return m_ended; }
    bool ownedByDesktop() const { return m_start.ownedByDesktop; }
    QString commandText() const { return m_start.command.text(); }
    QDateTime startTime() const { return m_startTime; }

    // What it wrote (as ToolStart says how much), as bytes and as UTF-8 text.
    QByteArray outputBytes() const { return m_bytes; }
    QString output() const;
    bool outputCut() const { return m_cut; } // it wrote more than mostBytes
    // The exit code; a child killed by a signal gives 128 + the signal,
    // one that could not be started 127.
    int exitCode() const { return m_exitCode; }
    bool crashed() const { return m_crashed; }
    bool failedToStart() const { return m_failedToStart; }
    bool timedOut() const { return m_timedOut; }

    // To its standard input, in one write; false once it has ended.
    bool write(const QByteArray& bytes);
    // The quit bytes, then SIGTERM after graceMs, SIGKILL after another;
    // a later, shorter grace shortens what is left.
    void end(int graceMs);
    // SIGKILL to it and what it forked, now.
    void kill();

signals:
    // Each piece of output as it is read (standard error too, when merged).
    void outputRead(const QString& text);
    void finished();

private:
    friend class ToolRegistry;
    Process(const ToolStart& start, QObject* parent);
    void launch();
    void read();
    void release(int exitCode, bool crashed);

    ToolStart m_start;
    ChildProcess* m_child = nullptr;
    QTimer* m_timeout = nullptr;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    QByteArray m_bytes;
    qint64 m_pid = 0;
    int m_exitCode = 0;
    bool m_crashed = false, m_failedToStart = false, m_timedOut = false, m_cut = false, m_ended = false;
    QDateTime m_startTime;
};

} // namespace varnel
