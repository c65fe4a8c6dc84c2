#pragma once
// Converts every row of the source list, one encoder run per row, with the
// profile chosen in the chooser and the values of the option sheet. Driven by
// the encoder's end and by timers: nothing waits or spins.
#include <QObject>
#include <QString>
#include <functional>
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
    QString programFolder;
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
// that name exists, and in any case while the name is the source's own.
QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew);

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

    ProgressMonitor* monitor() const { return m_monitor; }
    QString outputFolder() const { return m_outputFolder; }
    QString outputPath(int row) const;

    void setOptions(RunOptions options) { m_options = std::move(options); }

    // After Cancel an encoder gets this long to end before it is terminated.
    void setCancelGraceMs(int ms) { m_cancelGraceMs = ms; }

signals:
    void panelVisible(bool visible);
    void busy(bool busy);
    void frameCaption(const QString& caption);
    void trackProgress(int percent);
    void totalProgress(int percent);
    void rowStatus(int row, const QString& status);
    void finished(ConversionRun::Outcome outcome);

private:
    void processRow();
    void startEncoder();
    void onToolFinished(qint64 pid, int exitCode, bool crashed);
    void failRow(int row);
    void nextRow();
    void complete();
    void endRun(Outcome outcome);
    void setStatus(int row, const QString& status);
    void doCancel();
    void forgetRow(int row);

    RunEnvironment m_env;
    RunOptions m_options;
    ProgressMonitor* m_monitor;
    bool m_active = false;
    bool m_cancelRequested = false;
    int m_row = 0;
    int m_rowCount = 0;     // rows still to be walked through, as rows are removed
    int m_rowsAtStart = 0;  // the run bar's steps are counted once
    int m_total = 0;
    qint64 m_encoderPid = 0;
    QString m_currentOutput;
    bool m_rowStarted = false;  // the row at m_row has its output and is being converted
    bool m_currentGone = false; // that row was removed from the list meanwhile
    int m_cancelGraceMs = 10000;
    QString m_outputFolder, m_existedFile, m_thread;
    std::vector<QString> m_outputs;
};

} // namespace varnel
