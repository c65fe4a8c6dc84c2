#pragma once
// Converts every row of the source list, one encoder run per row, with the
// profile chosen in the chooser and the values of the option sheet. Driven by
// the encoder's end and by timers: nothing waits or spins.
#include <QObject>
#include "core/convert/RowPlan.h"

#include <QSet>
#include <QString>
#include <functional>
#include <map>
#include <optional>

namespace varnel {

class OptionSheet;
class ProgressMonitor;
class ShellServices;
class SourceList;
class ToolRegistry;
class UserMessages;

namespace RunText {
inline const QString Progress = QStringLiteral("Progress....");
inline const QString Processing = QStringLiteral("Processing");
inline const QString Ok = QStringLiteral("OK");
inline const QString Fail = QStringLiteral("Fail");
inline const QString Cancel = QStringLiteral("Cancel");
inline const QString InvalidInput = QStringLiteral("Invalid input file name. ");
inline const QString Canceled = QStringLiteral("Conversion Canceled by the user!");
inline const QString Completed = QStringLiteral("Conversion completed!");
}

struct RunEnvironment {
    SourceList* list = nullptr;
    OptionSheet* sheet = nullptr;
    ToolRegistry* tools = nullptr;
    ShellServices* shell = nullptr;
    UserMessages* messages = nullptr;
    QString programFolder;              // where fp.dll is
    QString dataFolder;                 // where the statistics file and outputs of "0" go
    std::function<int()> entryNumber;   // the chosen catalogue entry, 0 for none
    std::function<void()> stopPreview;  // a playing preview is asked to quit first
};

// Settings given for one run instead of the stored ones; left out, they are
// read from the settings file when the run starts.
struct RunOptions {
    std::optional<QString> outputFolder, existedFile, thread;
};

// The output path for a source: the output folder, the file name up to its
// first ".", and the extension; with addNew, "_New" is added while a file of
// that name exists, and in any case while the path is one of the taken ones
// (the sources of the list and the outputs already given in this run), so
// that no user's file is written over by a run.
QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew,
                      const QSet<QString>& taken = {});

// Where the encoder writes until the row has succeeded: beside the output,
// with the same extension.
QString partialPathFor(const QString& outputPath);

class ConversionRun : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Completed, Cancelled, InvalidSource };

    ConversionRun(RunEnvironment env, QObject* parent = nullptr);
    ~ConversionRun() override;

    // Starts a run; false when the list is empty or a run is already active.
    bool start();
    // The panel's Cancel button.
    void cancel();
    bool isActive() const { return m_active; }

    // The first job's monitor: the one the window's panel follows.
    ProgressMonitor* monitor() const { return m_slots.front().monitor; }
    QString outputFolder() const { return m_outputFolder; }
    QString outputPath(int row) const;

    void setOptions(RunOptions options) { m_options = std::move(options); }
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
    void totalProgress(int percent);
    // reason: why a row failed, empty otherwise.
    void rowStatus(int row, const QString& status, const QString& reason);
    // Each converting row's percentage, whichever job converts it.
    void rowProgress(int row, int percent);
    void finished(ConversionRun::Outcome outcome);

private:
    // One encoder at a time: a row being converted, or nothing.
    struct Slot {
        int row = -1;       // -1: free
        bool gone = false;  // its row was removed meanwhile: nothing is written to the list
        qint64 pid = 0;
        RowPlan plan;
        ProgressMonitor* monitor = nullptr;
    };

    void processRow();
    void startEncoder(Slot& slot, int row);
    void onToolFinished(qint64 pid, int exitCode, bool crashed, const QString& lastLines);
    void finishSlot(Slot& slot);
    void nextRow();
    void complete();
    void endRun(Outcome outcome);
    void setStatus(int row, const QString& status, const QString& reason = {});
    void setSlotStatus(const Slot& slot, const QString& status, const QString& reason = {});
    void doCancel();
    // The job's row becomes "Cancel" and its encoder is asked to quit (and
    // ended after the grace time); its partial file goes when it has ended.
    void cancelJob(Slot& slot);
    void resetJobs();
    void forgetRow(int row);
    bool anySlotBusy() const;
    Slot* freeSlot();
    ProgressMonitor* makeMonitor(int job);

    RunEnvironment m_env;
    RunOptions m_options;
    std::vector<Slot> m_slots;
    bool m_active = false;
    bool m_cancelRequested = false;
    bool m_scheduled = false;
    int m_nextRow = 0;      // the next row to start
    int m_rowCount = 0;     // rows still to be walked through, as rows are removed
    int m_rowsAtStart = 0;  // the run bar's steps are counted once
    int m_total = 0;
    int m_rowsConverted = 0;
    std::map<qint64, QString> m_abandoned; // cancelled encoders and their partial files
    int m_cancelGraceMs = 10000;
    QString m_outputFolder, m_existedFile, m_thread;
    QString m_folderError; // the output folder could not be made: every row fails so
    std::vector<QString> m_outputs;
};

} // namespace varnel
