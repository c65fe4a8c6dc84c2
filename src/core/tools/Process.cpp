#include "core/tools/Process.h"

#include "core/common/TimeText.h"
#include "core/tools/ChildProcess.h"
#include "core/tools/ToolRegistry.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace varnel {

Process::Process(QObject* parent) : QObject(parent) {}


Process::~Process()
{
    if (m_child)
        dropChild(m_child);
}

QString Process::commandText() const
{
    return Command(CmdLine).literal(u' ' + Parameters).text();
}

void Process::Launch()
{
    if (m_child) { // a new start drops the old child
        dropChild(m_child);
        m_child = nullptr;
        delete m_timeout;
        m_timeout = nullptr;
        emit Finished();
    }
    m_rc = 0;
    m_aborting = false;
    m_output.clear();
    m_timedOut = false;
    m_failedToStart = false;
    m_decoder.resetState();
    m_start = QDateTime::currentDateTime();

    const QStringList argv = Command(CmdLine).literal(u' ' + Parameters).argv();
    if (argv.isEmpty()) {
        emit Finished();
        return;
    }

    nameThisProcessToItsTools();
    m_child = new ChildProcess;
    m_child->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_child, &QProcess::readyRead, this, &Process::Read);
    connect(m_child, &QProcess::finished, this, [this] { release(true); });
    connect(m_child, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            m_failedToStart = true;
            release(false);
        }
    });
    m_child->start(argv.first(), argv.mid(1));
    if (!m_child)   // failed at once and already released
        return;
    m_child->closeWriteChannel();

    if (timeoutMs > 0) {
        m_timeout = new QTimer(this);
        m_timeout->setSingleShot(true);
        connect(m_timeout, &QTimer::timeout, this, [this] {
            m_timedOut = true;
            Abort(kTimedOutRC);
        });
        m_timeout->start(timeoutMs);
    }

    if (!Async && m_child) {
        QEventLoop loop;
        connect(this, &Process::Finished, &loop, &QEventLoop::quit);
        if (m_child)
            loop.exec();
    }
}

void Process::Read()
{
    if (!m_child)
        return;
    const QByteArray bytes = m_child->readAll();
    if (bytes.isEmpty())
        return;
    const QString text = m_decoder.decode(bytes);
    m_output += text;
    emit StdOutChanged(text);
}

bool Process::IsActive() const
{
    return m_child && !m_aborting && m_child->state() != QProcess::NotRunning;
}

void Process::Abort(int vnRC)
{
    if (!m_child) {
        emit Finished();
        return;
    }
    if (m_child->state() != QProcess::NotRunning) {
        // The end is reported by the child's finished signal, which reads
        // what is still in the pipe and releases it.
        if (m_aborting)
            return;
        m_aborting = true;
        m_abortRC = vnRC;
        m_child->killGroup();
        return;
    }
    if (vnRC != 0)
        m_rc = vnRC;
    release(true);
}

void Process::release(bool ended)
{
    if (!m_child)
        return;
    if (ended) {
        Read();
        if (m_aborting && m_abortRC != 0)
            m_rc = m_abortRC;
        else if (m_rc == 0)
            m_rc = m_child->resultCode(); // killed by a signal: never 0
    }
    m_aborting = false;
    delete m_timeout;
    m_timeout = nullptr;
    m_child->disconnect(this);
    m_child->deleteLater();
    m_child = nullptr;
    emit Finished();
}

QString Process::ElapsedTime() const
{
    return secondsToTimeText(m_start.secsTo(QDateTime::currentDateTime()));
}

} // namespace varnel
