#include "tools/ToolRegistry.h"

#include <QDeadlineTimer>
#include <QProcess>

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

ToolRegistry::ToolRegistry(QObject* parent) : QObject(parent) {}

ToolRegistry::~ToolRegistry()
{
    quitAll(0);
}

qint64 ToolRegistry::start(const Command& command, const QString& workingDir)
{
    const QStringList argv = command.argv();
    if (argv.isEmpty())
        return 0;
    auto* p = new QProcess(this);
    p->setWorkingDirectory(workingDir);
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    p->start(argv.first(), argv.mid(1));
    if (!p->waitForStarted(10000)) {
        delete p;
        return 0;
    }
    const qint64 pid = p->processId();
    m_tools[pid] = p;
    connect(p, &QProcess::finished, this, [this, pid, p](int code, QProcess::ExitStatus status) {
        m_tools.erase(pid);
        p->deleteLater();
        emit toolFinished(pid, code, status != QProcess::NormalExit);
    });
    return pid;
}

bool ToolRegistry::postKey(qint64 pid, int keyCode)
{
    const auto it = m_tools.find(pid);
    const QByteArray bytes = keyBytes(keyCode);
    if (it == m_tools.end() || bytes.isEmpty() || it->second->state() != QProcess::Running)
        return false;
    if (it->second->write(bytes) != bytes.size())
        return false;
    it->second->waitForBytesWritten(1000); // a pipe takes a few bytes at once
    return true;
}

bool ToolRegistry::isRunning(qint64 pid) const
{
    const auto it = m_tools.find(pid);
    return it != m_tools.end() && it->second->state() == QProcess::Running;
}

void ToolRegistry::terminate(qint64 pid)
{
    const auto it = m_tools.find(pid);
    if (it != m_tools.end())
        it->second->kill();
}

void ToolRegistry::quitAll(int graceMs)
{
    const auto tools = m_tools;
    for (const auto& [pid, p] : tools)
        postKey(pid, Key::Quit);
    QDeadlineTimer deadline(graceMs);
    for (const auto& [pid, p] : tools) {
        p->disconnect(this);
        if (!p->waitForFinished(static_cast<int>(deadline.remainingTime()))) {
            p->kill();
            p->waitForFinished(2000);
        }
        delete p;
    }
    m_tools.clear();
}

} // namespace varnel
