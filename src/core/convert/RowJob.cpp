#include "core/convert/RowJob.h"

#include "core/tools/ToolRegistry.h"

#include <QFile>

namespace varnel {

RowJob::RowJob(ToolRegistry& tools, RowPlan plan, QString workingFolder, QObject* parent)
    : QObject(parent), m_tools(tools), m_plan(std::move(plan)), m_workingFolder(std::move(workingFolder))
{
    connect(&m_tools, &ToolRegistry::toolFinished, this, &RowJob::onToolFinished);
}

RowJob::~RowJob()
{
    if (m_done)
        return;
    if (m_pid != 0)
        m_tools.terminate(m_pid);
    // A killed encoder writes no more; what it wrote goes with the name.
    QFile::remove(m_plan.partial);
}

bool RowJob::start()
{
    m_pid = m_tools.start(m_plan.command.command, m_workingFolder);
    if (m_pid != 0)
        return true;
    QFile::remove(m_plan.partial);
    m_done = true;
    return false;
}

void RowJob::cancel(int graceMs)
{
    if (m_done || m_cancelled)
        return;
    m_cancelled = true;
    if (m_pid != 0) {
        m_tools.end(m_pid, graceMs);
        return; // the rest when it has ended
    }
    // Between the encoder and the name: nothing runs but the check.
    delete m_check;
    m_check = nullptr;
    QFile::remove(m_plan.partial);
    m_done = true;
    deleteLater();
}

void RowJob::onToolFinished(qint64 pid, int exitCode, bool crashed, const QString& output)
{
    if (pid != m_pid || m_pid == 0)
        return;
    m_pid = 0;
    if (m_cancelled) {
        QFile::remove(m_plan.partial);
        m_done = true;
        deleteLater();
        return;
    }
    m_exitCode = exitCode;
    m_encoderOutput = output;
    // Nothing put in the partial's place is probed, let alone named.
    QString failure = encoderFailure(exitCode, crashed);
    if (failure.isEmpty())
        failure = replacedPartial(m_plan);
    if (!failure.isEmpty()) {
        m_done = true;
        emit finished(completeRow(m_plan, exitCode, crashed, output, {}));
        return;
    }
    m_check = new OutputProbe(this);
    connect(m_check, &OutputProbe::probed, this, &RowJob::onProbed);
    m_check->start(m_plan.partial);
}

void RowJob::onProbed(const ProbedOutput& probed)
{
    m_check->deleteLater();
    m_check = nullptr;
    if (m_cancelled)
        return;
    m_done = true;
    emit finished(completeRow(m_plan, m_exitCode, false, m_encoderOutput, probed));
}

} // namespace varnel
