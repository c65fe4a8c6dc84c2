#pragma once
// Probing added files: each file's row appears when it is added; its file is
// read in this process first, which decides what the file is, and only a
// file read as one container of its own goes on to the player's identify
// run, whose answer fills the row. Up to one probe a core runs at once, in
// the order added. The window is never blocked meanwhile. Rows are known by
// their item ids (SourceItem::id): a row's index changes when an earlier row
// goes.
#include "core/tools/Command.h"

#include <QObject>
#include <QString>
#include <deque>
#include <map>
#include <vector>

namespace varnel {

class Process;
class SourceList;
class ToolRegistry;
struct MediaFacts;
enum class MediaDepth;

struct ProbeResult {
    int width = 0;
    int height = 0;
    QString length;   // H:MM:SS, empty when the player gave none
    QString format;
    bool hasFormat = false;
    bool complete = true; // false when a size line was not a number: parsing stopped there
    double lengthSeconds = -1; // exact; negative when unknown
};

// The identify command for a file.
Command identifyCommand(const QString& programFolder, const QString& path);

// The exit code of mp.dll when it cannot run the player.
constexpr int kPlayerNotStarted = 127;

// Reads the player's KEY=VALUE lines (LF or CR LF).
ProbeResult parseIdentifyOutput(const QString& output);

// Writes what a probe found into the row.
void applyProbeResult(SourceList& list, int row, const ProbeResult& r);

class MediaReading;

class MediaProbe : public QObject {
    Q_OBJECT
public:
    MediaProbe(SourceList& list, QString programFolder, ToolRegistry& tools, QObject* parent = nullptr);
    ~MediaProbe() override;

    // A player that has not ended after this long is stopped; its row keeps
    // what it had written by then.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Whether added files go through the player's identify run too, for the
    // cells the list shows (on by default). The file's own streams are read
    // in any case. A file that cannot be read here, or that names other
    // files, never goes to the player.
    void setIdentify(bool identify) { m_identify = identify; }

    // Adds the file's row at once and queues its probe after those before it.
    void addSource(const QString& path);
    // Reads the file of the row with that id, already in the list (a list
    // restored, or a clip whose source must be measured to its packets).
    void readMedia(quint64 id, MediaDepth depth);
    bool isBusy() const { return !m_pending.empty(); }
    // The row with that id is still waiting for its probe or being probed:
    // its cells are not filled yet.
    bool isProbing(quint64 id) const { return m_pending.count(id) > 0; }
    // Up to this many players identify files at once (as many as the machine
    // has cores unless set), in the order added.
    void setParallel(int probes);
    // Drops the queue and ends the probes under way.
    void stop();

signals:
    // The row with that id is filled (it may have been removed since).
    void probed(quint64 id);
    // The player could not be run for this file; reason says why.
    void playerUnavailable(const QString& reason);
    void idle();

private:
    struct Pending {
        enum class Player { None, AfterRead, Asked }; // Asked: queued or running
        Player player = Player::None;
        MediaReading* reading = nullptr;
    };
    void next();
    void onIdentified(Process* done);
    void onRead(quint64 id, const MediaFacts& facts);
    void settle(quint64 id);
    void forgetRow(int row);

    struct Running {
        Process* process;
        quint64 id;
    };

    SourceList& m_list;
    QString m_programFolder;
    ToolRegistry& m_tools;
    int m_timeoutMs = 15000;
    bool m_identify = true;
    std::map<quint64, Pending> m_pending; // rows not probed yet, by id
    std::deque<quint64> m_queue;          // rows waiting for the player
    std::vector<Running> m_running;
    int m_parallel;
    bool m_idleSaid = true;
};

} // namespace varnel
