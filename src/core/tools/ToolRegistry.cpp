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

namespace {

constexpr int kTailBytes = 4096;

} // namespace

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
    for (const auto& [pid, tool] : m_tools) {
        tool.process->disconnect(this);
        tool.process->killGroup();
    }
}

qint64 ToolRegistry::start(const Command& command, const QString& workingDir, const QStringList& environment,
                           int passed)
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
    auto* p = new ChildProcess(this);
    p->setWorkingDirectory(workingDir);
    if (passed >= 0)
        p->passDescriptor(passed);
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& setting : environment)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        p->setProcessEnvironment(env);
    }
    // Read as it comes, so that a chatty tool never stalls on a full pipe;
    // only the end is kept.
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(argv.first(), argv.mid(1));
    const qint64 pid = p->processId();
    if (pid <= 0) { // not even forked: nothing to follow
        delete p;
        return 0;
    }
    m_tools[pid].process = p;
    connect(p, &QProcess::readyReadStandardOutput, this, [this, pid, p] {
        const auto it = m_tools.find(pid);
        if (it == m_tools.end())
            return;
        QByteArray& tail = it->second.tail;
        tail += p->readAllStandardOutput();
        if (tail.size() > kTailBytes)
            tail.remove(0, tail.size() - kTailBytes);
    });
    connect(p, &QProcess::finished, this, [this, pid, p] {
        forget(pid, p->resultCode(), p->exitStatus() != QProcess::NormalExit);
    });
    connect(p, &QProcess::errorOccurred, this, [this, pid, program](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            forget(pid, -1, true, QStringLiteral("cannot start %1").arg(program));
    });
    return pid;
}

void ToolRegistry::forget(qint64 pid, int exitCode, bool crashed, const QString& why)
{
    const auto it = m_tools.find(pid);
    if (it == m_tools.end())
        return;
    QProcess* p = it->second.process;
    it->second.tail += p->readAllStandardOutput();
    const QString output = why.isEmpty() ? QString::fromUtf8(it->second.tail) : why;
    p->disconnect(this);
    p->deleteLater();
    m_tools.erase(it);
    emit toolFinished(pid, exitCode, crashed, output);
    if (m_tools.empty())
        emit allEnded();
}

bool ToolRegistry::postKey(qint64 pid, int keyCode)
{
    const auto it = m_tools.find(pid);
    const QByteArray bytes = keyBytes(keyCode);
    if (it == m_tools.end() || bytes.isEmpty() || it->second.process->state() == QProcess::NotRunning)
        return false;
    // QProcess hands the bytes to the pipe from the event loop.
    return it->second.process->write(bytes) == bytes.size();
}

bool ToolRegistry::isRunning(qint64 pid) const
{
    const auto it = m_tools.find(pid);
    return it != m_tools.end() && it->second.process->state() != QProcess::NotRunning;
}

void ToolRegistry::terminate(qint64 pid)
{
    const auto it = m_tools.find(pid);
    if (it != m_tools.end())
        it->second.process->killGroup();
}

void ToolRegistry::end(qint64 pid, int graceMs)
{
    const auto it = m_tools.find(pid);
    if (it != m_tools.end())
        it->second.process->end(keyBytes(Key::Quit), graceMs);
}

void ToolRegistry::quitAll(int graceMs)
{
    if (m_tools.empty()) {
        QTimer::singleShot(0, this, &ToolRegistry::allEnded);
        return;
    }
    for (const auto& [pid, t] : m_tools)
        t.process->end(keyBytes(Key::Quit), graceMs);
}

} // namespace varnel
