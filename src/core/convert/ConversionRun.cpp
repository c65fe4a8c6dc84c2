#include "core/convert/ConversionRun.h"

#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"
#include "core/common/TextNumbers.h"
#include "core/convert/EncoderCommand.h"
#include "core/convert/ProgressMonitor.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/Settings.h"
#include "core/sources/SourceList.h"
#include "core/tools/PlayerCommand.h"
#include "core/tools/ToolRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace varnel {

QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew,
                      const QSet<QString>& taken)
{
    auto baseOf = [](const QString& path) {
        const QString name = QFileInfo(path).fileName();
        const int dot = name.indexOf(u'.');
        return dot < 0 ? name : name.left(dot);
    };
    // Whatever the policy, the source itself is never written over: an
    // encoder cannot read and replace the same file.
    auto isTaken = [&](const QString& path) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        return absolute == QFileInfo(sourcePath).absoluteFilePath() || taken.contains(absolute);
    };
    QString out = outputFolder + u'/' + baseOf(sourcePath) + extension;
    while ((addNew && QFileInfo::exists(out)) || isTaken(out))
        out = outputFolder + u'/' + baseOf(out) + QStringLiteral("_New") + extension;
    return out;
}

QString partialPathFor(const QString& outputPath)
{
    const QFileInfo out(outputPath);
    const QString name = out.fileName();
    const int dot = name.lastIndexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    return out.path() + QStringLiteral("/.") + stem + QStringLiteral(".partial") + extension;
}

ConversionRun::ConversionRun(RunEnvironment env, QObject* parent) : QObject(parent), m_env(std::move(env))
{
    setJobs(1);
    connect(m_env.tools, &ToolRegistry::toolFinished, this, &ConversionRun::onToolFinished);
    // Rows can be removed while the run goes on; it keeps to the rows it has.
    connect(m_env.list, &SourceList::rowRemoved, this, &ConversionRun::forgetRow);
    connect(m_env.list, &SourceList::cleared, this, [this] {
        while (m_active && m_rowCount > 0)
            forgetRow(m_rowCount - 1);
    });
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
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.row >= 0 || s.gone; });
}

ConversionRun::Slot* ConversionRun::freeSlot()
{
    for (Slot& s : m_slots)
        if (s.row < 0 && !s.gone)
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
    m_rowsConverted = 0;
    emit totalProgress(0);
    emit busy(true);

    const Settings settings(dataFolder());
    m_outputFolder = outputFolderFor(m_options.outputFolder.value_or(settings.read(SettingKey::OutputFolder)),
                                     dataFolder());
    m_folderError.clear();
    if (!QDir().mkpath(m_outputFolder))
        m_folderError = QStringLiteral("the output folder %1 does not exist and cannot be created").arg(m_outputFolder);
    m_existedFile = m_options.existedFile.value_or(settings.read(SettingKey::ExistedFile));
    m_thread = m_options.thread.value_or(settings.read(SettingKey::Thread));

    m_rowCount = m_rowsAtStart = m_env.list->count();
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
        const int row = m_nextRow++;
        emit trackProgress(0);
        const QString source = m_env.list->item(row).path();
        if (!QFileInfo(source).isFile()) {
            m_env.messages->error(source + RunText::InvalidInput);
            emit busy(false);
            emit trackProgress(0);
            emit totalProgress(0);
            // Other jobs of this run stop with it.
            for (Slot& other : m_slots)
                if (other.pid != 0)
                    cancelJob(other);
            resetJobs();
            endRun(Outcome::InvalidSource);
            return;
        }
        try {
            startEncoder(*slot, row);
        } catch (const BuildError& e) {
            slot->monitor->stop();
            setSlotStatus(*slot, RunText::Fail, QString::fromUtf8(e.what()));
            finishSlot(*slot);
        }
        if (!m_active)
            return;
    }
    if (!anySlotBusy() && m_nextRow >= m_rowCount)
        complete();
}

void ConversionRun::startEncoder(Slot& slot, int row)
{
    slot.row = row;
    slot.gone = false;
    if (!m_folderError.isEmpty())
        throw BuildError(m_folderError.toStdString());
    const CatalogueEntry* entry = Catalogue::entry(m_env.entryNumber());
    const SourceItem item = m_env.list->item(row); // a copy: handlers may remove the row

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
    slot.plan = planRow(item, context, taken, slot.monitor->statisticsFile());
    const QString& output = slot.plan.output;
    const QString& partial = slot.plan.partial;

    m_outputs[static_cast<size_t>(row)] = output;
    emit frameCaption(RunText::Progress + item.path() + QStringLiteral(" To ") + output);
    setSlotStatus(slot, RunText::Processing);

    QFile::remove(partial); // a leftover of a run that was killed
    slot.pid = m_env.tools->start(slot.plan.command.command, m_env.programFolder);
    if (slot.pid == 0)
        throw BuildError(QStringLiteral("cannot start %1/fp.dll").arg(m_env.programFolder).toStdString());
    slot.monitor->start(slot.plan.command.durationSeconds);
    if (m_cancelRequested) // asked for while this row was being prepared
        doCancel();
}

void ConversionRun::onToolFinished(qint64 pid, int exitCode, bool crashed, const QString& lastLines)
{
    if (const auto it = m_abandoned.find(pid); it != m_abandoned.end()) {
        QFile::remove(it->second); // a cancelled row leaves nothing behind
        m_abandoned.erase(it);
        return;
    }
    const auto found = std::find_if(m_slots.begin(), m_slots.end(), [pid](const Slot& s) { return s.pid == pid; });
    if (!m_active || pid == 0 || found == m_slots.end())
        return;
    Slot& slot = *found;
    slot.pid = 0;
    slot.monitor->stop();
    if (slot.monitor == monitor())
        emit trackProgress(100);
    const QString reason = completeRow(slot.plan, exitCode, crashed, lastLines);
    if (!reason.isEmpty()) {
        setSlotStatus(slot, RunText::Fail, reason);
    } else {
        setSlotStatus(slot, RunText::Ok);
        ++m_rowsConverted;
        // Never still on a long list, never ahead of the rows done: three
        // rows still show 33, 66 and 100.
        m_total = static_cast<int>(100LL * m_rowsConverted / m_rowsAtStart);
        emit totalProgress(m_total);
    }
    finishSlot(slot);
}

void ConversionRun::finishSlot(Slot& slot)
{
    slot.row = -1;
    slot.gone = false;
    slot.pid = 0;
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
    if (std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.pid != 0; }))
        doCancel();
}

void ConversionRun::cancelJob(Slot& slot)
{
    setSlotStatus(slot, RunText::Cancel);
    if (slot.pid == 0)
        return;
    const qint64 pid = slot.pid;
    m_abandoned[pid] = slot.plan.partial; // removed when the encoder has ended
    postKeyToEncoder(*m_env.tools, pid, Key::Quit);
    // An encoder that does not stop on its own is not left running.
    ToolRegistry* tools = m_env.tools;
    QTimer::singleShot(m_cancelGraceMs, tools, [tools, pid] { tools->terminate(pid); });
}

void ConversionRun::resetJobs()
{
    for (Slot& slot : m_slots) {
        slot.monitor->stop();
        slot = Slot{-1, false, 0, {}, slot.monitor};
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
    if (!any) // between rows: the row that would have come next
        setStatus(std::min(m_nextRow, m_rowCount - 1), RunText::Cancel);
    emit busy(false);
    m_env.messages->error(RunText::Canceled);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    resetJobs();
    endRun(Outcome::Cancelled);
}

void ConversionRun::complete()
{
    for (Slot& slot : m_slots)
        slot.monitor->stop();
    emit totalProgress(100);
    emit busy(false);
    if (isNumberEqual(Settings(dataFolder()).read(SettingKey::AutoShut), 1))
        m_env.shell->shutdown();
    m_env.messages->information(RunText::Completed);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    m_total = 0;
    if (!m_env.shell->openFolder(m_outputFolder))
        m_env.messages->error(kCannotOpen.arg(m_outputFolder));
    endRun(Outcome::Completed);
}

void ConversionRun::endRun(Outcome outcome)
{
    for (Slot& slot : m_slots)
        slot.monitor->stop();
    m_active = false;
    m_cancelRequested = false;
    emit busy(false);
    emit panelVisible(false);
    emit finished(outcome);
}

} // namespace varnel
