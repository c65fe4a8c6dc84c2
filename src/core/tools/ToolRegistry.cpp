#include "core/tools/ToolRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

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
    for (const auto& [pid, p] : m_tools) {
        p->disconnect(this);
        p->kill();
    }
}

qint64 ToolRegistry::start(const Command& command, const QString& workingDir)
{
    const QStringList argv = command.argv();
    if (argv.isEmpty())
        return 0;
    // A program that is not there is known now, without waiting for the
    // child to report it.
    const QString program = argv.first().contains(u'/') ? QDir(workingDir).filePath(argv.first())
                                                         : QStandardPaths::findExecutable(argv.first());
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        return 0;
    auto* p = new QProcess(this);
    p->setWorkingDirectory(workingDir);
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    p->start(argv.first(), argv.mid(1));
    const qint64 pid = p->processId();
    if (pid <= 0) { // not even forked: nothing to follow
        delete p;
        return 0;
    }
    m_tools[pid] = p;
    connect(p, &QProcess::finished, this, [this, pid](int code, QProcess::ExitStatus status) {
        forget(pid, code, status != QProcess::NormalExit);
    });
    connect(p, &QProcess::errorOccurred, this, [this, pid](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            forget(pid, -1, true);
    });
    return pid;
}

void ToolRegistry::forget(qint64 pid, int exitCode, bool crashed)
{
    const auto it = m_tools.find(pid);
    if (it == m_tools.end())
        return;
    it->second->disconnect(this);
    it->second->deleteLater();
    m_tools.erase(it);
    emit toolFinished(pid, exitCode, crashed);
    if (m_tools.empty())
        emit allEnded();
}

bool ToolRegistry::postKey(qint64 pid, int keyCode)
{
    const auto it = m_tools.find(pid);
    const QByteArray bytes = keyBytes(keyCode);
    if (it == m_tools.end() || bytes.isEmpty() || it->second->state() == QProcess::NotRunning)
        return false;
    // QProcess hands the bytes to the pipe from the event loop.
    return it->second->write(bytes) == bytes.size();
}

bool ToolRegistry::isRunning(qint64 pid) const
{
    const auto it = m_tools.find(pid);
    return it != m_tools.end() && it->second->state() != QProcess::NotRunning;
}

void ToolRegistry::terminate(qint64 pid)
{
    const auto it = m_tools.find(pid);
    if (it != m_tools.end())
        it->second->kill();
}

void ToolRegistry::quitAll(int graceMs)
{
    if (m_tools.empty()) {
        QTimer::singleShot(0, this, &ToolRegistry::allEnded);
        return;
    }
    for (const auto& [pid, p] : m_tools) {
        postKey(pid, Key::Quit);
        QPointer<QProcess> tool = p;
        QTimer::singleShot(graceMs, this, [tool] {
            if (tool && tool->state() != QProcess::NotRunning)
                tool->kill();
        });
    }
}

} // namespace varnel
