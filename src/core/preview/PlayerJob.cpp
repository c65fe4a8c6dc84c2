#include "core/preview/PlayerJob.h"

#include "core/tools/PlayerCommand.h"
#include "core/tools/ToolRegistry.h"

namespace varnel {

PlayerJob::PlayerJob(ToolRegistry& tools, QObject* parent) : QObject(parent), m_tools(tools)
{
    connect(&m_tools, &ToolRegistry::toolFinished, this, [this](qint64 pid) {
        if (pid != 0 && pid == m_pid) {
            m_pid = 0;
            emit ended();
        }
    });
}

bool PlayerJob::start(const QString& programFolder, const Command& command, const QStringList& environment)
{
    m_lastCommand = command.text();
    const qint64 pid = m_tools.start(command, programFolder, environment);
    if (pid != 0)
        m_pid = pid;
    return pid != 0;
}

void PlayerJob::postKey(int keyCode)
{
    if (m_pid != 0)
        postKeyToPlayer(m_tools, m_pid, keyCode);
}

void PlayerJob::quit()
{
    if (m_pid != 0)
        m_tools.end(m_pid, kPlayerQuitGraceMs);
}

} // namespace varnel
