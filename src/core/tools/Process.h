#pragma once
// A child program started hidden, with its standard output and standard
// error captured through one channel in the order written.
//
// Launch() with Async false returns when the child has ended; it waits in an
// event loop, so the window keeps working and nothing spins. With Async true
// it returns at once and Finished() tells when the child has been released.
#include "core/tools/Command.h"

#include <QDateTime>
#include <QObject>
#include <QStringDecoder>

class QTimer;

namespace varnel {

class ChildProcess;

class Process : public QObject {
    Q_OBJECT
public:
    explicit Process(QObject* parent = nullptr);
    ~Process() override;

    Command CmdLine;
    QString Parameters;  // further arguments, after one blank
    bool Async = false;
    int timeoutMs = 0;   // a child still running after this long is ended; 0 = never

    // The exact command line, CmdLine + " " + Parameters.
    QString commandText() const;

    void Launch();
    void Read();
    bool IsActive() const;
    void Abort(int vnRC);

    QString StdOut() const { return m_output; }
    // After Abort with a code, that code at once; otherwise the exit code
    // once Finished has been raised.
    int RC() const { return m_aborting && m_abortRC != 0 ? m_abortRC : m_rc; }
    bool timedOut() const { return m_timedOut; }
    // The last Launch could not start its program at all.
    bool failedToStart() const { return m_failedToStart; }
    QDateTime StartTime() const { return m_start; }
    QString ElapsedTime() const;

    static constexpr int kTimedOutRC = 124;

signals:
    void Finished();
    void StdOutChanged(const QString& vsText);

private:
    void release(bool ended);

    ChildProcess* m_child = nullptr;
    QTimer* m_timeout = nullptr;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    QString m_output;
    int m_rc = 0;
    bool m_aborting = false; // killed; its end is on the way
    int m_abortRC = 0;
    bool m_timedOut = false;
    bool m_failedToStart = false;
    QDateTime m_start;
};

} // namespace varnel
