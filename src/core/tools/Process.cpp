#include "core/tools/Process.h"

#include "core/media/SourceKind.h"
#include "core/tools/ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTimer>

namespace varnel {

Process::Process(const ToolStart& start, QObject* parent) : QObject(parent), m_start(start) {}

Process::~Process()
{
    if (m_child)
        dropChild(m_child);
}

QString Process::output() const
{
    return QString::fromUtf8(m_bytes);
}

void Process::launch()
{
    m_startTime = QDateTime::currentDateTime();
    const QStringList argv = m_start.command.argv();
    // A program that is not there is known now, without waiting for the
    // child to report it.
    const QString program = argv.value(0).contains(u'/') ? QDir(m_start.workingFolder).filePath(argv.value(0))
                                                          : QStandardPaths::findExecutable(argv.value(0));
    const QFileInfo info(program);
    if (argv.isEmpty() || !info.isFile() || !info.isExecutable()) {
        m_failedToStart = true;
        m_bytes = QCoreApplication::translate("varnel::Process", "cannot start %1").arg(argv.value(0)).toUtf8();
        QTimer::singleShot(0, this, [this] { release(127, false); });
        return;
    }
    m_child = m_start.ownedByDesktop ? new ChildProcess(ChildProcess::Detached, this) : new ChildProcess(this);
    m_child->setWorkingDirectory(m_start.workingFolder);
    if (m_start.passDescriptor >= 0)
        m_child->passDescriptor(m_start.passDescriptor);
    // The container a source was read as is this program's word to one
    // tool about one file, never a setting inherited from whoever started us.
    if (QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        !m_start.environment.isEmpty() || env.contains(QLatin1String(kSourceFormatVariable))) {
        env.remove(QLatin1String(kSourceFormatVariable));
        for (const QString& setting : m_start.environment)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        m_child->setProcessEnvironment(env);
    }
    if (!m_start.outputFile.isEmpty()) {
        m_child->setStandardOutputFile(m_start.outputFile);
        m_child->setReadChannel(QProcess::StandardError);
        connect(m_child, &QProcess::readyReadStandardError, this, &Process::read);
    } else {
        m_child->setProcessChannelMode(m_start.mergeErrors ? QProcess::MergedChannels : QProcess::SeparateChannels);
        if (!m_start.mergeErrors)
            m_child->setStandardErrorFile(QProcess::nullDevice());
        connect(m_child, &QProcess::readyReadStandardOutput, this, &Process::read);
    }
    connect(m_child, &QProcess::finished, this, [this] { release(m_child->resultCode(), m_child->exitStatus() != QProcess::NormalExit); });
    connect(m_child, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        m_failedToStart = true;
        m_bytes = QCoreApplication::translate("varnel::Process", "cannot start %1").arg(m_start.command.argv().value(0)).toUtf8();
        release(127, false);
    });
    m_child->start(argv.first(), argv.mid(1));
    if (!m_child) // failed at once and already released
        return;
    m_pid = m_child->processId();
    if (m_start.timeoutMs > 0) {
        m_timeout = new QTimer(this);
        m_timeout->setSingleShot(true);
        connect(m_timeout, &QTimer::timeout, this, [this] {
            m_timedOut = true;
            end(500); // hung: the quit key is a formality
        });
        m_timeout->start(m_start.timeoutMs);
    }
}

void Process::read()
{
    if (!m_child)
        return;
    const QByteArray bytes = m_start.outputFile.isEmpty() ? m_child->readAllStandardOutput() : m_child->readAllStandardError();
    if (bytes.isEmpty())
        return;
    if (m_start.keptBytes < 0) {
        if (m_bytes.size() + bytes.size() > m_start.mostBytes) {
            // More than anybody reads: the tool is not what it claims.
            m_cut = true;
            m_bytes += bytes.left(m_start.mostBytes - m_bytes.size());
            kill();
            return;
        }
        m_bytes += bytes;
    } else if (m_start.keptBytes > 0) {
        m_bytes += bytes;
        if (m_bytes.size() > m_start.keptBytes)
            m_bytes.remove(0, m_bytes.size() - m_start.keptBytes);
    }
    emit outputRead(m_decoder.decode(bytes));
}

bool Process::write(const QByteArray& bytes)
{
    return isRunning() && m_child && m_child->state() != QProcess::NotRunning && m_child->write(bytes) == bytes.size();
}

void Process::end(int graceMs)
{
    if (isRunning() && m_child)
        m_child->end(m_start.quitBytes, graceMs);
}

void Process::kill()
{
    if (isRunning() && m_child)
        m_child->killGroup();
}

void Process::release(int exitCode, bool crashed)
{
    if (m_ended)
        return;
    read();
    m_ended = true;
    m_exitCode = exitCode;
    m_crashed = crashed;
    delete m_timeout;
    m_timeout = nullptr;
    if (m_child) {
        m_child->disconnect(this);
        m_child->deleteLater();
        m_child = nullptr;
    }
    emit finished();
}

} // namespace varnel
