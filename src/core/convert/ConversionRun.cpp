#include "core/convert/ConversionRun.h"

#include "core/common/PrintableText.h"
#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/convert/OutputFiles.h"
#include "core/convert/EncoderForms.h"
#include "core/convert/PartialFolder.h"
#include "core/media/MediaFacts.h"
#include "core/convert/ProgressMonitor.h"
#include "core/convert/RowJob.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace varnel {

QString failureSummary(const RunResult& result)
{
    if (result.failures.empty())
        return {};
    QStringList failed;
    for (const auto& f : result.failures)
        failed << QStringLiteral("%1: %2").arg(printable(f.source), printable(f.reason.section(u'\n', 0, 0)));
    return (QStringList{QCoreApplication::translate("varnel::ConversionRun", "%1 of %2 files failed").arg(result.failures.size()).arg(result.rows)} +
            atMostListed(failed, 10))
        .join(u'\n');
}

RunEnding runEnding(const RunResult& result)
{
    using Tone = RunEnding::Tone;
    if (result.outcome == RunResult::Outcome::Cancelled)
        return {RunText::CancelledTitle(), Tone::Warning};
    if (result.outcome == RunResult::Outcome::InvalidSource || result.converted == 0)
        return {RunText::FailedTitle(), Tone::Error};
    if (result.failed > 0)
        return {RunText::FailuresTitle(), Tone::Warning};
    return {RunText::CompletedTitle(), Tone::Information};
}

QString profileRefusal(int entryNumber)
{
    const CatalogueEntry* entry = Catalogue::entry(entryNumber);
    if (!entry)
        return RunText::NoProfile();
    if (entry->isHeader || entry->extension().isEmpty())
        return RunText::HeaderChosen().arg(entry->text.trimmed());
    return {};
}

void announceRunEnd(const RunResult& result, const Settings& settings, ShellServices& shell, UserMessages& messages)
{
    switch (result.outcome) {
    case RunResult::Outcome::Completed:
        if (isNumberEqual(settings.read(SettingKey::AutoShut), 1))
            shell.shutdown();
        switch (runEnding(result).tone) {
        case RunEnding::Tone::Information:
            messages.information(RunText::Completed(), failureSummary(result));
            break;
        case RunEnding::Tone::Warning:
            messages.warning(RunText::FailuresTitle(), failureSummary(result));
            break;
        case RunEnding::Tone::Error:
            messages.error(RunText::FailedTitle() + QStringLiteral("\n\n") + failureSummary(result));
            break;
        }
        break;
    case RunResult::Outcome::Cancelled:
        messages.error(RunText::Canceled());
        break;
    case RunResult::Outcome::InvalidSource:
        messages.error(result.invalidSource + RunText::InvalidInput());
        break;
    }
}

ConversionRun::ConversionRun(RunEnvironment env, QObject* parent) : QObject(parent), m_env(std::move(env))
{
    setJobs(1);
    // Rows can be removed while the run goes on: it keeps to the rows it has.
    connect(m_env.list, &SourceList::cleared, this, [this] {
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
        const quint64 id = m_slots[static_cast<size_t>(job)].id;
        if (m_env.list->rowOf(id) >= 0)
            emit rowProgress(id, percent);
        m_share.setPercent(id, percent);
        reportShare();
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

QString ConversionRun::outputPath(quint64 id) const
{
    const auto it = m_outputs.find(id);
    return it == m_outputs.end() ? QString() : it->second;
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
    // Nothing starts that could only fail on every row.
    if (m_active || !profileRefusal(m_env.entryNumber()).isEmpty())
        return false;
    std::vector<quint64> rows;
    for (int r = 0; r < m_env.list->count(); ++r)
        if (!(m_options.skipConvertedBefore && m_env.list->item(r).converted != SourceItem::Converted::No))
            rows.push_back(m_env.list->item(r).id);
    if (rows.empty())
        return false;
    m_active = true;
    m_cancelRequested = false;
    if (m_env.stopPreview)
        m_env.stopPreview();
    // A run that starts no encoder must not show the last run's file.
    emit frameCaption(RunText::Progress());
    emit panelVisible(true);
    emit totalProgress(0);
    emit secondsLeft(-1);
    emit busy(true);

    const Settings settings(dataFolder());
    m_outputFolder = outputFolderFor(m_options.outputFolder.value_or(settings.read(SettingKey::OutputFolder)),
                                     dataFolder());
    m_folderError.clear();
    m_partials.reset();
    if (!QDir().mkpath(m_outputFolder)) {
        m_folderError = tr("the output folder %1 does not exist and cannot be created").arg(m_outputFolder);
    } else {
        output::removeStalePartials(m_outputFolder, output::RunIdentity::current());
        m_partials = output::PartialFolder::create(m_outputFolder, output::RunIdentity::current(), &m_folderError);
        if (!m_partials)
            m_folderError = tr("cannot create a file in %1: %2").arg(m_outputFolder, m_folderError);
    }
    m_existedFile = m_options.existedFile.value_or(settings.read(SettingKey::ExistedFile));
    m_thread = m_options.thread.value_or(settings.read(SettingKey::Thread));

    // Rows still being probed belong to this run too.
    m_rows = std::move(rows);
    m_share.begin(m_rows);
    m_clock.start();
    m_next = 0;
    m_outputs.clear();
    m_taken = {};
    m_takenRows.clear();
    m_result = RunResult{};
    m_result.rows = static_cast<int>(m_rows.size());
    m_result.outputFolder = m_outputFolder;
    processRow();
    return true;
}

bool ConversionRun::isConverting(quint64 id) const
{
    return m_active && std::any_of(m_slots.begin(), m_slots.end(), [id](const Slot& s) { return s.id == id; });
}

void ConversionRun::setStatus(quint64 id, const QString& status, const QString& reason)
{
    // A row removed meanwhile is converted to the end and counted; its status goes nowhere.
    const int row = m_env.list->rowOf(id);
    if (row < 0)
        return;
    m_env.list->setStatus(row, status, reason);
    if (status == RunText::Ok)
        m_env.list->markConverted(row);
    emit rowStatus(id, status, reason);
}

int ConversionRun::pendingProbes() const
{
    const MediaProbe* probe = m_env.probe;
    return probe ? static_cast<int>(std::count_if(m_rows.begin() + static_cast<qsizetype>(m_next), m_rows.end(),
                                                  [probe](quint64 id) { return probe->isProbing(id); }))
                 : 0;
}

bool ConversionRun::rowReady(quint64 id) const
{
    MediaProbe* probe = m_env.probe;
    const int row = m_env.list->rowOf(id);
    if (probe && probe->isProbing(id))
        return false;
    // Otherwise the whole list first; several probes at once end in any order.
    if (!m_options.convertWhileAdding && pendingProbes() > 0)
        return false;
    // A row restored from last time has its streams read again first, and
    // a clip's source is measured to its packets: its end and its length
    // decide what the clip is.
    const SourceItem& item = m_env.list->item(row);
    const auto form = formForEntry(m_env.entryNumber());
    // A cover's black frames last as long as the sound, measured too.
    const bool measure = form && !isAudioForm(form->form) &&
                         (rowIsClipped(item) || item.media.onlyCoverPicture()) && !item.media.lengthsMeasured &&
                         item.media.readable;
    if (probe && (!item.mediaRead || measure)) {
        probe->readMedia(id, measure ? MediaDepth::Lengths : MediaDepth::Streams);
        return false;
    }
    return true;
}

// Starts rows while jobs are free; ends the run when all are done.
void ConversionRun::processRow()
{
    m_scheduled = false;
    if (!m_active)
        return;
    if (m_cancelRequested) {
        end(Outcome::Cancelled);
        return;
    }
    while (Slot* slot = freeSlot()) {
        // Rows removed meanwhile are passed over.
        while (m_next < m_rows.size() && m_env.list->rowOf(m_rows[m_next]) < 0)
            ++m_next;
        if (m_next >= m_rows.size())
            break;
        const quint64 id = m_rows[m_next];
        if (!rowReady(id)) {
            if (const int pending = pendingProbes(); pending > 0)
                emit frameCaption(RunText::Progress() + RunText::WaitingForFiles().arg(pending).arg(m_rows.size()));
            return; // the probe's next report brings us back
        }
        ++m_next;
        emit trackProgress(0);
        const QString source = m_env.list->item(m_env.list->rowOf(id)).path();
        if (!QFileInfo(source).isFile()) {
            if (!m_options.missingFileFailsRow) {
                m_result.invalidSource = source;
                end(Outcome::InvalidSource);
                return;
            }
            slot->id = id;
            slot->source = source;
            failSlot(*slot, tr("there is no such file"));
            continue;
        }
        startRow(*slot, id);
        if (!m_active)
            return;
    }
    if (!anySlotBusy() && m_next >= m_rows.size())
        end(Outcome::Completed);
}

void ConversionRun::startRow(Slot& slot, quint64 id)
{
    slot.id = id;
    const SourceItem item = m_env.list->item(m_env.list->rowOf(id)); // a copy: handlers may remove the row
    slot.source = item.path();
    RowPlan plan;
    try {
        if (!m_folderError.isEmpty())
            throw BuildError(m_folderError.toStdString());
        const CatalogueEntry* entry = Catalogue::entry(m_env.entryNumber());
        // Neither a file of the list nor an output of this run is written
        // over, by whatever name; rows added since are files of the list too.
        for (int r = 0; r < m_env.list->count(); ++r)
            if (!m_takenRows.contains(m_env.list->item(r).id)) {
                m_takenRows.insert(m_env.list->item(r).id);
                m_taken.add(m_env.list->item(r).path());
            }
        PlanContext context;
        context.outputFolder = m_outputFolder;
        context.extension = entry ? entry->extension() : QString();
        context.addNew = addsNewName(m_existedFile);
        context.entryNumber = m_env.entryNumber();
        context.sheet = m_env.sheet;
        context.threadSetting = m_thread;
        context.programFolder = m_env.programFolder;
        context.partials = m_partials;
        plan = planRow(item, context, m_taken, slot.monitor->statisticsFile());
    } catch (const BuildError& e) {
        failSlot(slot, QString::fromUtf8(e.what()));
        return;
    }
    m_outputs[id] = plan.output;
    m_taken.add(plan.output);
    emit frameCaption(RunText::Progress() + item.path() + tr(" To ") + plan.output);
    setStatus(id, RunText::Processing);

    auto* job = new RowJob(*m_env.tools, plan, m_env.programFolder, this);
    if (!job->start()) {
        delete job;
        failSlot(slot, tr("cannot start %1/fp.dll").arg(m_env.programFolder));
        return;
    }
    slot.job = job;
    connect(job, &RowJob::finished, this, [this, job](const RowOutcome& outcome) {
        const auto it = std::find_if(m_slots.begin(), m_slots.end(), [job](const Slot& s) { return s.job == job; });
        if (it != m_slots.end())
            onRowFinished(*it, outcome);
        job->deleteLater();
    });
    m_share.setSeconds(id, plan.progressSeconds);
    slot.monitor->start(plan.progressSeconds);
    if (m_cancelRequested) // asked for while this row was being prepared
        end(Outcome::Cancelled);
}

void ConversionRun::failSlot(Slot& slot, const QString& reason)
{
    slot.monitor->stop();
    // A row cleared from the list meanwhile still counts: its file was tried.
    ++m_result.failed;
    m_result.failures.push_back({slot.source, reason});
    setStatus(slot.id, RunText::Fail, reason);
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
    m_outputs[slot.id] = outcome.output;
    m_taken.add(outcome.output);
    ++m_result.converted;
    setStatus(slot.id, RunText::Ok);
    finishSlot(slot);
}

void ConversionRun::finishSlot(Slot& slot)
{
    m_share.finish(slot.id);
    reportShare();
    slot.id = 0;
    slot.job = nullptr;
    nextRow();
}

void ConversionRun::reportShare()
{
    if (!m_active)
        return;
    // Lengths become known as rows are probed; rows removed before their
    // turn are no work left.
    for (size_t i = m_next; i < m_rows.size(); ++i) {
        const int row = m_env.list->rowOf(m_rows[i]);
        if (row < 0) {
            m_share.finish(m_rows[i]);
            continue;
        }
        const SourceItem& item = m_env.list->item(row);
        const auto start = timeTextToSeconds(item.cells[SourceItem::Start]);
        const auto end = timeTextToSeconds(item.cells[SourceItem::End]);
        m_share.setSeconds(m_rows[i], item.clipSet && start && end ? *end - *start : item.lengthSeconds);
    }
    emit totalProgress(m_share.percent());
    const auto left = m_share.secondsLeft(static_cast<double>(m_clock.elapsed()) / 1000);
    emit secondsLeft(left.value_or(-1));
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
    end(Outcome::Cancelled);
}

void ConversionRun::cancelJob(Slot& slot)
{
    if (m_env.list->rowOf(slot.id) >= 0)
        ++m_result.cancelled;
    setStatus(slot.id, RunText::Cancel);
    if (RowJob* job = std::exchange(slot.job, nullptr)) {
        job->disconnect(this);
        job->cancel(m_cancelGraceMs); // it goes when its encoder has ended
    }
    slot.id = 0;
}

void ConversionRun::end(Outcome outcome)
{
    if (!m_active || m_ending)
        return;
    m_ending = true;
    // The rows' last words: converting rows end "Cancel", however the run ends.
    bool any = false;
    for (Slot& slot : m_slots) {
        if (slot.id == 0)
            continue;
        any = true;
        cancelJob(slot);
    }
    if (outcome == Outcome::Cancelled && !any) { // between rows: the row that would have come next
        while (m_next < m_rows.size() && m_env.list->rowOf(m_rows[m_next]) < 0)
            ++m_next;
        if (m_next < m_rows.size()) {
            ++m_result.cancelled;
            setStatus(m_rows[m_next], RunText::Cancel);
        }
    }
    m_result.outcome = outcome;
    if (outcome == Outcome::Completed)
        emit totalProgress(100);
    m_active = false;
    m_ending = false;
    // The pointer is reset before the message is shown, but for a missing
    // file, whose message comes first.
    if (outcome != Outcome::InvalidSource)
        emit busy(false);
    emit decided(m_result);
    if (outcome == Outcome::InvalidSource)
        emit busy(false);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    for (Slot& slot : m_slots)
        slot.monitor->stop();
    m_cancelRequested = false;
    // The folder goes once the last encoder of the run has let go of it.
    m_partials.reset();
    emit finished(m_result);
}

} // namespace varnel
