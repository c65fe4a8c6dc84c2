#pragma once
// Probing added files with the player in identify mode: each file's row
// appears when it is added and is filled when the player has answered; up to
// one probe a core runs at once, in the order added. The window is never
// blocked meanwhile.
#include "core/tools/Command.h"

#include <QObject>
#include <QString>
#include <deque>
#include <vector>

namespace varnel {

class Process;
class SourceList;

struct ProbeResult {
    int width = 0;
    int height = 0;
    QString length;   // H:MM:SS, empty when the player gave none
    QString format;
    bool hasFormat = false;
    bool complete = true; // false when a size line was not a number: parsing stopped there
    bool hasVideo = false;
    bool hasAudio = false;
    double lengthSeconds = -1; // exact; negative when unknown
    QString error;             // the prober's own words when it could not read the file
};

// Why a file gave no length, when the prober said nothing.
inline const QString kNoLengthFound = QStringLiteral("no length was found");

// The identify command for a file.
Command identifyCommand(const QString& programFolder, const QString& path);

// The exit code of mp.dll when it cannot run the player.
constexpr int kPlayerNotStarted = 127;

// Reads the player's KEY=VALUE lines (LF or CR LF).
ProbeResult parseIdentifyOutput(const QString& output);

// Writes what a probe found into the row.
void applyProbeResult(SourceList& list, int row, const ProbeResult& r);

class MediaProbe : public QObject {
    Q_OBJECT
public:
    MediaProbe(SourceList& list, QString programFolder, QObject* parent = nullptr);
    ~MediaProbe() override;

    // A player that has not ended after this long is stopped; its row keeps
    // what it had written by then.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Adds the file's row at once and queues its probe after those before it.
    void addSource(const QString& path);
    bool isBusy() const { return !m_running.empty() || !m_queue.empty(); }
    // The row is still waiting for its probe or being probed: its cells are
    // not filled yet.
    bool isProbing(int row) const;
    // How many rows before limit still wait for their probe or are being
    // probed.
    int pendingBefore(int limit) const;
    // Up to this many files are probed at once (as many as the machine has
    // cores unless set), in the order added.
    void setParallel(int probes);
    // Drops the queue and ends the probe under way.
    void stop();

signals:
    void probed(int row);
    // The player could not be run for this file; reason says why.
    void playerUnavailable(const QString& reason);
    void idle();

private:
    void next();
    void onFinished(Process* done);
    void forgetRow(int row);

    struct Running {
        Process* process;
        int row; // -1 once the row was removed
    };

    SourceList& m_list;
    QString m_programFolder;
    int m_timeoutMs = 15000;
    std::deque<int> m_queue; // rows waiting for their probe
    std::vector<Running> m_running;
    int m_parallel;
    bool m_idleSaid = true;
};

} // namespace varnel
