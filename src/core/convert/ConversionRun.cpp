#include "core/convert/ConversionRun.h"

#include "core/common/TextNumbers.h"
#include "core/convert/OutputFiles.h"
#include "core/convert/PartialFolder.h"
#include "core/convert/ProgressMonitor.h"
#include "core/convert/RowJob.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace varnel {

QString failureSummary(const RunResult& result)
{
    if (result.failures.empty())
        return {};
    QStringList lines{QStringLiteral("%1 of %2 files failed").arg(result.failures.size()).arg(result.rows)};
    constexpr size_t kListed = 10;
    for (size_t i = 0; i < std::min(kListed, result.failures.size()); ++i) {
        const auto& f = result.failures[i];
        lines << QStringLiteral("%1: %2").arg(f.source, f.reason.section(u'\n', 0, 0));
    }
    if (result.failures.size() > kListed)
        lines << QStringLiteral("and %1 more").arg(result.failures.size() - kListed);
    return lines.join(u'\n');
}

ConversionRun::ConversionRun(RunEnvironment env, QObject* parent) : QObject(parent), m_env(std::move(env))
{
    setJobs(1);
    // Rows can be removed while the run goes on; it keeps to the rows it has.
    connect(m_env.list, &SourceList::rowRemoved, this, &ConversionRun::forgetRow);
    connect(m_env.list, &SourceList::cleared, this, [this] {
        while (m_active && m_rowCount > 0)
            forgetRow(m_rowCount - 1);
        if (m_active)
            nextRow();
    });
    // Rows still being added are waited for.
    if (m_env.probe) {
        connect(m_env.probe, &MediaProbe::probed, this, [this] {
            if (m_active)
                nextRow();
        });
        connect(m_env.probe, &MediaProbe::idle, this, [this] {
            if (m_active)
                nextRow();
        });
    }
}

ConversionRun::~ConversionRun() = default;

ProgressMonitor* ConversionRun::makeMonitor(int job)
{
    // The first job keeps the statistics file the text names; others have
    // files of their own.
    const QString file = job == 0 ? QStringLiteral("/curconvert.log") : QStringLiteral("/curconvert-%1.log").arg(job + 1);
    auto* monitor = new ProgressMonitor(dataFolder() + file, this);
    if (job == 0)
        connect(monitor, &ProgressMonitor::trackProgress, this, &ConversionRun::trackProgress);
    connect(monitor, &ProgressMonitor::trackProgress, this, [this, job](int percent) {
        const Slot& slot = m_slots[static_cast<size_t>(job)];
        if (slot.row >= 0 && !slot.gone)
            emit rowProgress(slot.row, percent);
    });
    return monitor;
}

void ConversionRun::setJobs(int jobs)
{
    if (m_active)
        return;
    jobs = std::max(1, jobs);
    while (static_cast<int>(m_slots.size()) > jobs) {
        delete m_slots.back().monitor;
        m_slots.pop_back();
    }
    while (static_cast<int>(m_slots.size()) < jobs) {
        m_slots.emplace_back();
        m_slots.back().monitor = makeMonitor(static_cast<int>(m_slots.size()) - 1);
    }
}

void ConversionRun::forgetRow(int row)
{
    if (!m_active || row >= m_rowCount)
        return;
    m_outputs.erase(m_outputs.begin() + row);
    --m_rowCount;
    if (row < m_nextRow)
        --m_nextRow;
    for (Slot& slot : m_slots) {
        if (slot.row == row)
            slot.gone = true; // converted to the end, reported nowhere
        else if (slot.row > row)
            --slot.row;
    }
}

QString ConversionRun::outputPath(int row) const
{
    return row >= 0 && row < static_cast<int>(m_outputs.size()) ? m_outputs[static_cast<size_t>(row)] : QString();
}

bool ConversionRun::anySlotBusy() const
{
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.job != nullptr; });
}

ConversionRun::Slot* ConversionRun::freeSlot()
{
    for (Slot& s : m_slots)
        if (!s.job)
            return &s;
    return nullptr;
}

bool ConversionRun::start()
{
    if (m_active || m_env.list->isEmpty())
        return false;
    m_active = true;
    m_cancelRequested = false;
    if (m_env.stopPreview)
        m_env.stopPreview();
    // A run that starts no encoder must not show the last run's file.
    emit frameCaption(RunText::Progress);
    emit panelVisible(true);
    m_total = 0;
    emit totalProgress(0);
    emit busy(true);

    const Settings settings(dataFolder());
    m_outputFolder = outputFolderFor(m_options.outputFolder.value_or(settings.read(SettingKey::OutputFolder)),
                                     dataFolder());
    m_folderError.clear();
    m_partials.reset();
    if (!QDir().mkpath(m_outputFolder)) {
        m_folderError = QStringLiteral("the output folder %1 does not exist and cannot be created").arg(m_outputFolder);
    } else {
        output::removeStalePartials(m_outputFolder, output::RunIdentity::current());
        m_partials = output::PartialFolder::create(m_outputFolder, output::RunIdentity::current(), &m_folderError);
        if (!m_partials)
            m_folderError = QStringLiteral("cannot create a file in %1: %2").arg(m_outputFolder, m_folderError);
    }
    m_existedFile = m_options.existedFile.value_or(settings.read(SettingKey::ExistedFile));
    m_thread = m_options.thread.value_or(settings.read(SettingKey::Thread));

    // Rows still being probed belong to this run too.
    m_rowCount = m_rowsAtStart = m_env.list->count();
    m_result = RunResult{};
    m_result.rows = m_rowsAtStart;
    m_result.outputFolder = m_outputFolder;
    m_outputs.assign(static_cast<size_t>(m_rowCount), QString());
    m_nextRow = 0;
    processRow();
    return true;
}

void ConversionRun::setStatus(int row, const QString& status, const QString& reason)
{
    if (row >= 0 && row < m_env.list->count())
        m_env.list->setStatus(row, status, reason);
    emit rowStatus(row, status, reason);
}

void ConversionRun::setSlotStatus(const Slot& slot, const QString& status, const QString& reason)
{
    if (!slot.gone)
        setStatus(slot.row, status, reason);
}

bool ConversionRun::rowReady(int row) const
{
    MediaProbe* probe = m_env.probe;
    if (row >= m_env.list->count())
        return false;
    // A row restored from last time has its streams read again first.
    if (!m_env.list->item(row).mediaRead && probe && !probe->isProbing(row)) {
        probe->readStreams(row);
        return false;
    }
    if (m_options.convertWhileAdding)
        return !(probe && probe->isProbing(row));
    // Otherwise the whole list first; several probes at once end in any order.
    return !probe || probe->pendingBefore(m_rowCount) == 0;
}

// Starts rows while jobs are free; completes the run when all are done.
void ConversionRun::processRow()
{
    m_scheduled = false;
    if (!m_active)
        return;
    if (m_cancelRequested) {
        doCancel();
        return;
    }
    while (Slot* slot = freeSlot()) {
        if (m_nextRow >= m_rowCount)
            break;
        if (!rowReady(m_nextRow)) {
            const int waiting = m_env.probe ? m_env.probe->pendingBefore(m_rowCount) : 0;
            emit frameCaption(RunText::Progress + RunText::WaitingForFiles.arg(waiting).arg(m_rowsAtStart));
            return; // the probe's next report brings us back
        }
        const int row = m_nextRow++;
        emit trackProgress(0);
        const QString source = m_env.list->item(row).path();
        if (!QFileInfo(source).isFile()) {
            if (!m_options.missingFileFailsRow) {
                stopForInvalidSource(source);
                return;
            }
            slot->row = row;
            slot->gone = false;
            failSlot(*slot, QStringLiteral("there is no such file"));
            continue;
        }
        startRow(*slot, row);
        if (!m_active)
            return;
    }
    if (!anySlotBusy() && m_nextRow >= m_rowCount)
        complete();
}

void ConversionRun::startRow(Slot& slot, int row)
{
    slot.row = row;
    slot.gone = false;
    const SourceItem item = m_env.list->item(row); // a copy: handlers may remove the row
    RowPlan plan;
    try {
        if (!m_folderError.isEmpty())
            throw BuildError(m_folderError.toStdString());
        const CatalogueEntry* entry = Catalogue::entry(m_env.entryNumber());
        // Neither a file of the list nor an output of this run is written over.
        QSet<QString> taken;
        for (int r = 0; r < m_env.list->count(); ++r)
            taken.insert(QFileInfo(m_env.list->item(r).path()).absoluteFilePath());
        for (const QString& used : m_outputs)
            if (!used.isEmpty())
                taken.insert(QFileInfo(used).absoluteFilePath());
        PlanContext context;
        context.outputFolder = m_outputFolder;
        context.extension = entry ? extensionOfText(entry->text) : QString();
        context.addNew = isNumberEqual(m_existedFile, 0);
        context.entryNumber = m_env.entryNumber();
        context.sheet = m_env.sheet;
        context.threadSetting = m_thread;
        context.programFolder = m_env.programFolder;
        context.partials = m_partials;
        plan = planRow(item, context, taken, slot.monitor->statisticsFile());
    } catch (const BuildError& e) {
        failSlot(slot, QString::fromUtf8(e.what()));
        return;
    }
    m_outputs[static_cast<size_t>(row)] = plan.output;
    emit frameCaption(RunText::Progress + item.path() + QStringLiteral(" To ") + plan.output);
    setSlotStatus(slot, RunText::Processing);

    auto* job = new RowJob(*m_env.tools, plan, m_env.programFolder, this);
    if (!job->start()) {
        delete job;
        failSlot(slot, QStringLiteral("cannot start %1/fp.dll").arg(m_env.programFolder));
        return;
    }
    slot.job = job;
    connect(job, &RowJob::finished, this, [this, job](const RowOutcome& outcome) {
        const auto it = std::find_if(m_slots.begin(), m_slots.end(), [job](const Slot& s) { return s.job == job; });
        if (it != m_slots.end())
            onRowFinished(*it, outcome);
        job->deleteLater();
    });
    slot.monitor->start(plan.progressSeconds);
    if (m_cancelRequested) // asked for while this row was being prepared
        doCancel();
}

void ConversionRun::failSlot(Slot& slot, const QString& reason)
{
    slot.monitor->stop();
    setSlotStatus(slot, RunText::Fail, reason);
    if (!slot.gone) {
        ++m_result.failed;
        m_result.failures.push_back({m_env.list->item(slot.row).path(), reason});
    }
    finishSlot(slot);
}

void ConversionRun::onRowFinished(Slot& slot, const RowOutcome& outcome)
{
    slot.job = nullptr;
    slot.monitor->stop();
    if (slot.monitor == monitor())
        emit trackProgress(100);
    if (!outcome.ok) {
        failSlot(slot, outcome.reason);
        return;
    }
    if (!slot.gone)
        m_outputs[static_cast<size_t>(slot.row)] = outcome.output;
    setSlotStatus(slot, RunText::Ok);
    ++m_result.converted;
    // Never still on a long list, never ahead of the rows done: three rows
    // still show 33, 66 and 100.
    m_total = static_cast<int>(100LL * m_result.converted / m_rowsAtStart);
    emit totalProgress(m_total);
    finishSlot(slot);
}

void ConversionRun::finishSlot(Slot& slot)
{
    slot.row = -1;
    slot.gone = false;
    slot.job = nullptr;
    nextRow();
}

void ConversionRun::nextRow()
{
    // From the event loop, so a long list never deepens the stack.
    if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(0, this, &ConversionRun::processRow);
    }
}

void ConversionRun::cancel()
{
    if (!m_active)
        return;
    m_cancelRequested = true;
    doCancel();
}

void ConversionRun::cancelJob(Slot& slot)
{
    setSlotStatus(slot, RunText::Cancel);
    if (!slot.gone)
        ++m_result.cancelled;
    if (RowJob* job = std::exchange(slot.job, nullptr)) {
        job->disconnect(this);
        job->cancel(m_cancelGraceMs); // it goes when its encoder has ended
    }
}

void ConversionRun::doCancel()
{
    bool any = false;
    for (Slot& slot : m_slots) {
        if (slot.row < 0 && !slot.gone)
            continue;
        any = true;
        cancelJob(slot);
    }
    if (!any && m_rowCount > 0) { // between rows: the row that would have come next
        setStatus(std::min(m_nextRow, m_rowCount - 1), RunText::Cancel);
        ++m_result.cancelled;
    }
    emit busy(false);
    m_active = false;
    m_result.outcome = Outcome::Cancelled;
    emit decided(m_result);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    endRun();
}

void ConversionRun::stopForInvalidSource(const QString& source)
{
    // Other jobs of this run stop with it.
    for (Slot& slot : m_slots)
        if (slot.job)
            cancelJob(slot);
    m_active = false;
    m_result.outcome = Outcome::InvalidSource;
    m_result.invalidSource = source;
    emit decided(m_result);
    emit busy(false);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    endRun();
}

void ConversionRun::complete()
{
    for (Slot& slot : m_slots)
        slot.monitor->stop();
    emit totalProgress(100);
    emit busy(false);
    m_active = false;
    m_result.outcome = Outcome::Completed;
    emit decided(m_result);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    m_total = 0;
    endRun();
}

void ConversionRun::endRun()
{
    for (Slot& slot : m_slots) {
        slot.monitor->stop();
        slot.row = -1;
        slot.gone = false;
        slot.job = nullptr;
    }
    m_active = false;
    m_cancelRequested = false;
    // The folder goes once the last encoder of the run has let go of it.
    m_partials.reset();
    emit finished(m_result);
}

} // namespace varnel
