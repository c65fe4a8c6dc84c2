#pragma once
// A view's player child: at most one current, steered by keys, asked to
// quit. Each view owns its own, so no view steers another's player.
#include <QObject>
#include <QString>

namespace varnel {

class Command;
class ToolRegistry;

class PlayerJob : public QObject {
    Q_OBJECT
public:
    explicit PlayerJob(ToolRegistry& tools, QObject* parent = nullptr);

    // Starts the player from the program folder and makes it the current
    // one. A player that cannot be run leaves the current one as it was.
    // environment: NAME=VALUE settings beyond this process's own.
    bool start(const QString& programFolder, const Command& command, const QStringList& environment = {});
    void postKey(int keyCode);
    // The current player is asked to quit; one that still runs 2 s later is
    // ended, so that players never pile up. Nothing waits.
    void quit();

    // The current player while it runs, else 0.
    qint64 processId() const { return m_pid; }
    QString lastCommand() const { return m_lastCommand; }

signals:
    // The current player has ended (quit, end of file, a failure).
    void ended();

private:
    ToolRegistry& m_tools;
    qint64 m_pid = 0;
    QString m_lastCommand;
};

constexpr int kPlayerQuitGraceMs = 2000;

} // namespace varnel
