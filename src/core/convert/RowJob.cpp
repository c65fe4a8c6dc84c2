#include "core/convert/RowJob.h"

#include "core/media/MediaReading.h"
#include "core/media/SourceKind.h"
#include "core/tools/ToolRegistry.h"

namespace varnel {

RowJob::RowJob(ToolRegistry& tools, RowPlan plan, QString workingFolder, QObject* parent)
    : QObject(parent), m_tools(tools), m_plan(std::move(plan)), m_workingFolder(std::move(workingFolder))
{
}

RowJob::~RowJob()
{
    if (m_done)
        return;
    delete m_encoder; // killed, with what it forked
    // A killed encoder writes no more; what it wrote goes with the name.
    if (m_plan.partials)
        m_plan.partials->removePartial(m_plan.partial);
}

bool RowJob::start()
{
    ToolStart start;
    start.command = m_plan.command.command;
    start.workingFolder = m_workingFolder;
    // The encoder writes through the private folder this run made, handed
    // to it open: whatever names another user swaps meanwhile.
    if (m_plan.partials) {
        start.environment << QStringLiteral("%1=%2").arg(QLatin1String(output::PartialFolder::kPathVariable),
                                                         m_plan.partials->path())
                          << QStringLiteral("%1=%2")
                                 .arg(QLatin1String(output::PartialFolder::kDescriptorVariable))
                                 .arg(m_plan.partials->descriptor());
        start.passDescriptor = m_plan.partials->descriptor();
    }
    // It reads the source as the container read here, and no other name.
    if (!m_plan.sourceFormat.isEmpty())
        start.environment << sourceFormatSetting(m_plan.sourceFormat);
    m_encoder = m_tools.run(start, this);
    if (m_encoder->failedToStart()) {
        delete m_encoder;
        m_encoder = nullptr;
        if (m_plan.partials)
            m_plan.partials->removePartial(m_plan.partial);
        m_done = true;
        return false;
    }
    connect(m_encoder, &Process::finished, this, &RowJob::onEncoderEnded);
    // The source's packets are counted while the encoder reads them too.
    m_sourceReading = new MediaReading(this);
    connect(m_sourceReading, &MediaReading::done, this, [this](const MediaFacts& facts) {
        m_source = facts;
        judgeWhenMeasured();
    });
    m_sourceReading->start(m_plan.source, MediaDepth::Lengths);
    return true;
}

void RowJob::cancel(int graceMs)
{
    if (m_done || m_cancelled)
        return;
    m_cancelled = true;
    dropReadings();
    if (m_encoder) {
        m_encoder->end(graceMs);
        return; // the rest when it has ended
    }
    // Between the encoder and the name: nothing runs but the measuring.
    if (m_plan.partials)
        m_plan.partials->removePartial(m_plan.partial);
    m_done = true;
    deleteLater();
}

void RowJob::onEncoderEnded()
{
    const int exitCode = m_encoder->exitCode();
    const bool crashed = m_encoder->crashed();
    const QString output = m_encoder->output();
    m_encoder->deleteLater();
    m_encoder = nullptr;
    if (m_cancelled) {
        if (m_plan.partials)
            m_plan.partials->removePartial(m_plan.partial);
        m_done = true;
        deleteLater();
        return;
    }
    m_exitCode = exitCode;
    m_encoderOutput = output;
    m_encoderEnded = true;
    // Nothing put in the partial's place is measured, let alone named.
    QString failure = encoderFailure(exitCode, crashed);
    if (failure.isEmpty())
        failure = replacedPartial(m_plan);
    if (!failure.isEmpty()) {
        finish(completeRow(m_plan, exitCode, crashed, output, {}, {}));
        return;
    }
    const int fd = m_plan.partials ? m_plan.partials->openPartial(m_plan.partial) : -1;
    if (fd < 0) {
        MediaFacts gone;
        gone.error = tr("the file written is gone");
        m_output = gone;
        judgeWhenMeasured();
        return;
    }
    m_outputReading = new MediaReading(this);
    connect(m_outputReading, &MediaReading::done, this, [this](const MediaFacts& facts) {
        m_output = facts;
        judgeWhenMeasured();
    });
    m_outputReading->start(fd, m_plan.partial.name, MediaDepth::Lengths);
}

void RowJob::judgeWhenMeasured()
{
    if (m_done || m_cancelled || !m_encoderEnded || !m_source || !m_output)
        return;
    finish(completeRow(m_plan, m_exitCode, false, m_encoderOutput, *m_source, *m_output));
}

void RowJob::finish(const RowOutcome& outcome)
{
    m_done = true;
    dropReadings();
    emit finished(outcome);
}

void RowJob::dropReadings()
{
    // Perhaps from inside a reading's own signal: they go from the event loop.
    for (MediaReading** reading : {&m_sourceReading, &m_outputReading}) {
        if (*reading) {
            (*reading)->disconnect(this);
            (*reading)->deleteLater();
            *reading = nullptr;
        }
    }
}

} // namespace varnel
