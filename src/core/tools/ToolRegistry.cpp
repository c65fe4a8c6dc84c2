#include "core/tools/ToolRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace varnel {

QByteArray keyBytes(int keyCode)
{
    switch (keyCode) {
    case Key::Quit: return QByteArrayLiteral("q");
    case Key::Space: return QByteArrayLiteral(" ");
    case Key::Left: return QByteArrayLiteral("\x1b[D");
    case Key::Right: return QByteArrayLiteral("\x1b[C");
    default: return {};
    }
}

void nameThisProcessToItsTools()
{
    static const bool named = [] {
        return qputenv("VARNEL_PARENT_PID", QByteArray::number(QCoreApplication::applicationPid()));
    }();
    (void)named;
}

ToolRegistry::ToolRegistry(QObject* parent) : QObject(parent)
{
    nameThisProcessToItsTools();
}

// Progress lines end in CR.
QString lastLinesOf(const QString& output, int count)
{
    QStringList lines = output.split(QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
    for (QString& l : lines)
        l = l.trimmed();
    lines.removeAll(QString());
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join(u'\n');
}

ToolRegistry::~ToolRegistry()
{
    for (const QPointer<Process>& job : m_jobs)
        if (job) {
            job->disconnect(this);
            job->kill();
        }
}

Process* ToolRegistry::run(const ToolStart& start, QObject* owner)
{
    nameThisProcessToItsTools();
    auto* job = new Process(start, owner ? owner : this);
    if (!start.ownedByDesktop) {
        m_jobs.emplace_back(job);
        connect(job, &Process::finished, this, [this, job] {
            emit toolFinished(job->pid(), job->exitCode(), job->crashed(), job->output());
            onFinished(job);
        });
        // An owner that deletes a running job has killed it: it is gone.
        connect(job, &QObject::destroyed, this, [this] { onFinished(nullptr); });
    }
    job->launch();
    return job;
}

void ToolRegistry::onFinished(Process* job)
{
    const size_t before = m_jobs.size();
    m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(),
                                [job](const QPointer<Process>& j) { return !j || j == job; }),
                 m_jobs.end());
    if (m_jobs.empty() && before > 0)
        emit allEnded();
}

qint64 ToolRegistry::start(const Command& command, const QString& workingDir, const QStringList& environment,
                           int passed)
{
    ToolStart s;
    s.command = command;
    s.workingFolder = workingDir;
    s.environment = environment;
    s.passDescriptor = passed;
    Process* job = run(s);
    if (job->failedToStart() || job->pid() <= 0) {
        job->disconnect(this);
        job->deleteLater();
        return 0;
    }
    connect(job, &Process::finished, job, &QObject::deleteLater);
    return job->pid();
}

Process* ToolRegistry::byPid(qint64 pid) const
{
    for (const QPointer<Process>& job : m_jobs)
        if (job && job->pid() == pid && pid > 0)
            return job;
    return nullptr;
}

bool ToolRegistry::postKey(qint64 pid, int keyCode)
{
    Process* job = byPid(pid);
    const QByteArray bytes = keyBytes(keyCode);
    // The child's pipe takes the bytes from the event loop.
    return job && !bytes.isEmpty() && job->write(bytes);
}

bool ToolRegistry::isRunning(qint64 pid) const
{
    const Process* job = byPid(pid);
    return job && job->isRunning();
}

void ToolRegistry::terminate(qint64 pid)
{
    if (Process* job = byPid(pid))
        job->kill();
}

void ToolRegistry::end(qint64 pid, int graceMs)
{
    if (Process* job = byPid(pid))
        job->end(graceMs);
}

int ToolRegistry::runningCount() const
{
    return static_cast<int>(std::count_if(m_jobs.begin(), m_jobs.end(),
                                          [](const QPointer<Process>& j) { return j && j->isRunning(); }));
}

void ToolRegistry::quitAll(int graceMs)
{
    if (runningCount() == 0) {
        QTimer::singleShot(0, this, &ToolRegistry::allEnded);
        return;
    }
    // The quit key, SIGTERM half way, SIGKILL at the end of the grace.
    for (const QPointer<Process>& job : std::vector<QPointer<Process>>(m_jobs))
        if (job)
            job->end(graceMs / 2);
}

} // namespace varnel
