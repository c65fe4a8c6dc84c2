#pragma once
// Converting one row: the encoder, and meanwhile the source's packets
// measured; then the output's packets measured and judged against them,
// and the file put under its name; or, on cancel, the encoder ended and its
// partial file removed once it has ended. The run keeps a queue of these;
// run-plan runs one.
#include "core/convert/RowPlan.h"

#include <QObject>
#include <optional>

namespace varnel {

class MediaReading;
class Process;
class ToolRegistry;

class RowJob : public QObject {
    Q_OBJECT
public:
    RowJob(ToolRegistry& tools, RowPlan plan, QString workingFolder, QObject* parent = nullptr);
    // A job still under way is ended at once: its encoder killed, its
    // partial removed.
    ~RowJob() override;

    const RowPlan& plan() const { return m_plan; }

    // False when the encoder could not be started; the partial is removed.
    bool start();

    // The encoder gets the quit key (and is ended after graceMs, then
    // killed); its partial goes once it has ended. finished() never comes;
    // the job deletes itself when its encoder is gone.
    void cancel(int graceMs);

signals:
    // The encoder has ended and its file has been judged (and named).
    void finished(const varnel::RowOutcome& outcome);

private:
    void onEncoderEnded();
    void judgeWhenMeasured();
    void finish(const RowOutcome& outcome);
    void dropReadings();

    ToolRegistry& m_tools;
    RowPlan m_plan;
    QString m_workingFolder;
    Process* m_encoder = nullptr;
    int m_exitCode = 0;
    QString m_encoderOutput;
    MediaReading* m_sourceReading = nullptr;
    MediaReading* m_outputReading = nullptr;
    std::optional<MediaFacts> m_source, m_output;
    bool m_encoderEnded = false;
    bool m_cancelled = false;
    bool m_done = false;
};

} // namespace varnel

Q_DECLARE_METATYPE(varnel::RowOutcome)
