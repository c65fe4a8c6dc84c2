#pragma once
// Converts every row of the source list, one encoder run per row, with the
// profile chosen in the chooser and the values of the option sheet: a queue
// of row jobs (see RowJob), driven by the encoders' ends, the checks of their
// files and timers; nothing waits or spins. What follows a run (its message,
// a shutdown, the folder opened) is for the window or varnel-convert to do
// with the result.
#include <QCoreApplication>
#include <QObject>
#include "core/convert/OutputFiles.h"
#include "core/convert/RowPlan.h"
#include "core/convert/RunShare.h"

#include <QElapsedTimer>

#include <QSet>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace varnel {

class MediaProbe;
namespace output {
class PartialFolder;
}
class OptionSheet;
class ProgressMonitor;
class RowJob;
class SourceList;
class ToolRegistry;

namespace RunText {
inline QString Progress()
{
    return QCoreApplication::translate("varnel::RunText", "Progress....");
}
// Row statuses stay English in the list (scripts and list.json read them);
// the list shows them in the user's language.
inline const QString Processing = QStringLiteral(QT_TRANSLATE_NOOP("varnel::RunText", "Processing"));
inline const QString Ok = QStringLiteral(QT_TRANSLATE_NOOP("varnel::RunText", "OK"));
inline const QString Fail = QStringLiteral(QT_TRANSLATE_NOOP("varnel::RunText", "Fail"));
inline const QString Cancel = QStringLiteral(QT_TRANSLATE_NOOP("varnel::RunText", "Cancel"));
inline QString InvalidInput()
{
    return QCoreApplication::translate("varnel::RunText", "Invalid input file name. ");
}
inline QString Canceled()
{
    return QCoreApplication::translate("varnel::RunText", "Conversion Canceled by the user!");
}
inline QString Completed()
{
    return QCoreApplication::translate("varnel::RunText", "Conversion completed!");
}
// Titles of a run's end, as the notification and the message say it.
inline QString CompletedTitle()
{
    return QCoreApplication::translate("varnel::RunText", "Conversion completed");
}
inline QString FailuresTitle()
{
    return QCoreApplication::translate("varnel::RunText", "Converted with failures");
}
inline QString FailedTitle()
{
    return QCoreApplication::translate("varnel::RunText", "Conversion failed");
}
inline QString CancelledTitle()
{
    return QCoreApplication::translate("varnel::RunText", "Conversion cancelled");
}
inline QString NoProfile()
{
    return QCoreApplication::translate("varnel::RunText", "No profile is chosen: choose one in the list of profiles, then convert.");
}
inline QString HeaderChosen()
{
    return QCoreApplication::translate("varnel::RunText", "%1 is a group of profiles: choose one of its profiles, then convert.");
}
// Rows restored as converted: asked before they are converted again.
inline QString ConvertAgainQuestion()
{
    return QCoreApplication::translate("varnel::RunText", "%1 of the %2 files were converted last time (OK). Convert them again?");
}
// The same, where some were converted in this session.
inline QString ConvertedAlreadyQuestion()
{
    return QCoreApplication::translate("varnel::RunText", "Already converted (OK): %1 of the %2 files. Convert them again?");
}
// While the rows of the run are still being added.
inline QString WaitingForFiles()
{
    return QCoreApplication::translate("varnel::RunText", "Waiting for %1 of %2 files still being added...");
}
}

struct RunEnvironment {
    SourceList* list = nullptr;
    OptionSheet* sheet = nullptr;
    ToolRegistry* tools = nullptr;
    MediaProbe* probe = nullptr;        // rows still being added are waited for
    QString programFolder;              // where fp.dll is
    QString dataFolder;                 // where the statistics file and outputs of "0" go
    std::function<int()> entryNumber;   // the chosen catalogue entry, 0 for none
    std::function<void()> stopPreview;  // a playing preview is asked to quit first
};

// Settings given for one run instead of the stored ones; left out, they are
// read from the settings file when the run starts.
struct RunOptions {
    std::optional<QString> outputFolder, existedFile, thread;
    // Rows still being added are converted as soon as each is probed; else
    // the run begins once the list is complete.
    bool convertWhileAdding = false;
    // A file missing from the disk fails its row and the run goes on (as
    // scripts expect); else it ends the run, as the window's text has it.
    bool missingFileFailsRow = false;
    // Rows converted already (this session or restored so) are left out.
    bool skipConvertedBefore = false;
};

struct RunResult {
    enum class Outcome { Completed, Cancelled, InvalidSource };
    Outcome outcome = Outcome::Completed;
    int rows = 0; // the rows the run took on
    int converted = 0, failed = 0, cancelled = 0;
    QString outputFolder;
    QString invalidSource; // the missing file that ended the run
    struct Failure {
        QString source, reason;
    };
    std::vector<Failure> failures; // in the order of the rows
};

// The title of how a run ended, and whether it is good news.
struct RunEnding {
    QString title;
    enum class Tone { Information, Warning, Error } tone = Tone::Information;
};
RunEnding runEnding(const RunResult& result);

// Why a run with this catalogue entry cannot start (no profile, or a group
// header chosen); empty when it can.
QString profileRefusal(int entryNumber);

// "N of M files failed" and each failed file with its reason (ten at most);
// empty when none failed.
QString failureSummary(const RunResult& result);

class Settings;
class ShellServices;
class UserMessages;

// What follows a decided run, whichever view shows it: the computer shut
// down when the settings ask for it, then the message of the outcome, whose
// title and box follow it (runEnding).
void announceRunEnd(const RunResult& result, const Settings& settings, ShellServices& shell, UserMessages& messages);

class ConversionRun : public QObject {
    Q_OBJECT
public:
    using Outcome = RunResult::Outcome;

    ConversionRun(RunEnvironment env, QObject* parent = nullptr);
    ~ConversionRun() override;

    // Starts a run; false when there is nothing to convert or a run is
    // already active.
    bool start();
    // The panel's Cancel button.
    void cancel();
    bool isActive() const { return m_active; }
    // An encoder of this run is converting the row with that id.
    bool isConverting(quint64 id) const;

    // The first job's monitor: the one the window's panel follows.
    ProgressMonitor* monitor() const { return m_slots.front().monitor; }
    QString outputFolder() const { return m_outputFolder; }
    // Where the file of the row with that id ended up (or was meant to).
    QString outputPath(quint64 id) const;

    void setOptions(RunOptions options) { m_options = std::move(options); }
    const RunOptions& options() const { return m_options; }
    // Up to this many rows are converted at once, each with its own encoder
    // and statistics file (the window converts one at a time). Set between runs.
    void setJobs(int jobs);
    int jobs() const { return static_cast<int>(m_slots.size()); }

    QString dataFolder() const { return m_env.dataFolder.isEmpty() ? m_env.programFolder : m_env.dataFolder; }

    // After Cancel an encoder gets this long to end before it is terminated.
    void setCancelGraceMs(int ms) { m_cancelGraceMs = ms; }

signals:
    void panelVisible(bool visible);
    void busy(bool busy);
    void frameCaption(const QString& caption);
    void trackProgress(int percent);
    // By the seconds of media encoded in the whole run.
    void totalProgress(int percent);
    // The run's time left; negative while there is nothing to go by yet.
    void secondsLeft(long long seconds);
    // Rows are named by their ids: a row's index changes when one before it
    // leaves the list. reason: why a row failed, empty otherwise.
    void rowStatus(quint64 id, const QString& status, const QString& reason);
    // Each converting row's percentage, whichever job converts it.
    void rowProgress(quint64 id, int percent);
    // The outcome is known: the moment to say so, while the panel still shows.
    void decided(const varnel::RunResult& result);
    // The run is over and its panel hidden.
    void finished(const varnel::RunResult& result);

private:
    // One encoder at a time: a row being converted, or nothing. Rows are
    // known by their ids: rows may come and go before them meanwhile.
    struct Slot {
        quint64 id = 0; // 0: free
        QString source; // the row's file, said even when the row has left the list meanwhile
        RowJob* job = nullptr;
        ProgressMonitor* monitor = nullptr;
    };

    void processRow();
    bool rowReady(quint64 id) const;
    void startRow(Slot& slot, quint64 id);
    void onRowFinished(Slot& slot, const RowOutcome& outcome);
    void failSlot(Slot& slot, const QString& reason);
    void finishSlot(Slot& slot);
    void nextRow();
    // The one way a run ends: its rows' last words, then the signals, once
    // and in one order.
    void end(Outcome outcome);
    void setStatus(quint64 id, const QString& status, const QString& reason = {});
    void cancelJob(Slot& slot);
    bool anySlotBusy() const;
    Slot* freeSlot();
    ProgressMonitor* makeMonitor(int job);
    int pendingProbes() const;
    // The total and the time left, as far as the run is now.
    void reportShare();

    RunEnvironment m_env;
    RunOptions m_options;
    std::vector<Slot> m_slots;
    bool m_active = false;
    bool m_ending = false;
    bool m_cancelRequested = false;
    bool m_scheduled = false;
    std::vector<quint64> m_rows; // the run's rows, as they were when it started
    size_t m_next = 0;           // the next of them to start
    RunShare m_share;
    QElapsedTimer m_clock; // since the run started
    RunResult m_result;
    int m_cancelGraceMs = 10000;
    QString m_outputFolder, m_existedFile, m_thread;
    QString m_folderError; // the output folder could not be made: every row fails so
    std::shared_ptr<output::PartialFolder> m_partials; // where this run's encoders write
    std::map<quint64, QString> m_outputs; // where each row's file went, or was meant to
    output::TakenFiles m_taken;            // what no output may take
    QSet<quint64> m_takenRows;             // the rows whose files are in it
};

} // namespace varnel

Q_DECLARE_METATYPE(varnel::RunResult)
