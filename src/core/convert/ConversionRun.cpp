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

#include <QFileInfo>
#include <QTimer>

namespace varnel {

QString outputPathFor(const QString& sourcePath, const QString& outputFolder, const QString& extension, bool addNew)
{
    auto baseOf = [](const QString& path) {
        const QString name = QFileInfo(path).fileName();
        const int dot = name.indexOf(u'.');
        return dot < 0 ? name : name.left(dot);
    };
    QString out = outputFolder + u'/' + baseOf(sourcePath) + extension;
    // Whatever the policy, the source itself is never written over: an
    // encoder cannot read and replace the same file.
    auto isSource = [&](const QString& path) {
        return QFileInfo(path).absoluteFilePath() == QFileInfo(sourcePath).absoluteFilePath();
    };
    while ((addNew && QFileInfo::exists(out)) || isSource(out))
        out = outputFolder + u'/' + baseOf(out) + QStringLiteral("_New") + extension;
    return out;
}

ConversionRun::ConversionRun(RunEnvironment env, QObject* parent)
    : QObject(parent), m_env(std::move(env)),
      m_monitor(new ProgressMonitor(m_env.programFolder + QStringLiteral("/curconvert.log"), this))
{
    connect(m_monitor, &ProgressMonitor::trackProgress, this, &ConversionRun::trackProgress);
    connect(m_env.tools, &ToolRegistry::toolFinished, this, &ConversionRun::onToolFinished);
    // Rows can be removed while the run goes on; it keeps to the rows it has.
    connect(m_env.list, &SourceList::rowRemoved, this, &ConversionRun::forgetRow);
    connect(m_env.list, &SourceList::cleared, this, [this] {
        while (m_active && m_rowCount > 0)
            forgetRow(m_rowCount - 1);
    });
}

void ConversionRun::forgetRow(int row)
{
    if (!m_active || row >= m_rowCount)
        return;
    m_outputs.erase(m_outputs.begin() + row);
    --m_rowCount;
    if (row < m_row) {
        --m_row;
    } else if (row == m_row && m_rowStarted) {
        m_currentGone = true;
        --m_row; // the next row has moved up into this place
    }
}

ConversionRun::~ConversionRun() = default;

QString ConversionRun::outputPath(int row) const
{
    return row >= 0 && row < static_cast<int>(m_outputs.size()) ? m_outputs[static_cast<size_t>(row)] : QString();
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

    const Settings settings(m_env.programFolder);
    m_outputFolder = outputFolderFor(m_options.outputFolder.value_or(settings.read(SettingKey::OutputFolder)),
                                     m_env.programFolder);
    m_existedFile = m_options.existedFile.value_or(settings.read(SettingKey::ExistedFile));
    m_thread = m_options.thread.value_or(settings.read(SettingKey::Thread));

    m_rowCount = m_rowsAtStart = m_env.list->count();
    m_outputs.assign(static_cast<size_t>(m_rowCount), QString());
    m_row = 0;
    processRow();
    return true;
}

void ConversionRun::setStatus(int row, const QString& status)
{
    if (row == m_row && m_currentGone)
        return;
    if (row >= 0 && row < m_env.list->count())
        m_env.list->setCell(row, SourceItem::Status, status);
    emit rowStatus(row, status);
}

void ConversionRun::processRow()
{
    if (!m_active)
        return;
    if (m_row >= m_rowCount) {
        complete();
        return;
    }
    if (m_cancelRequested) {
        doCancel();
        return;
    }
    emit trackProgress(0);
    m_currentGone = false;
    const QString source = m_env.list->item(m_row).path();
    if (!QFileInfo(source).isFile()) {
        m_env.messages->error(source + RunText::InvalidInput);
        emit busy(false);
        emit trackProgress(0);
        emit totalProgress(0);
        endRun(Outcome::InvalidSource);
        return;
    }
    try {
        startEncoder();
    } catch (const BuildError&) {
        failRow(m_row);
    }
}

void ConversionRun::startEncoder()
{
    const CatalogueEntry* entry = Catalogue::entry(m_env.entryNumber());
    const QString extension = entry ? extensionOfText(entry->text) : QString();
    if (extension.isEmpty())
        throw BuildError("a category header has no extension");
    const SourceItem item = m_env.list->item(m_row); // a copy: handlers may remove the row
    const QString output = outputPathFor(item.path(), m_outputFolder, extension, isNumberEqual(m_existedFile, 0));

    EncoderInputs in;
    in.sourcePath = item.path();
    in.startText = item.cells[SourceItem::Start];
    in.endText = item.cells[SourceItem::End];
    in.entryNumber = m_env.entryNumber();
    in.sheet = m_env.sheet;
    in.threadSetting = m_thread;
    in.outputPath = output;
    in.programFolder = m_env.programFolder;
    const EncoderCommand built = buildEncoderCommand(in);

    m_outputs[static_cast<size_t>(m_row)] = output;
    m_currentOutput = output;
    m_rowStarted = true;
    emit frameCaption(RunText::Progress + item.path() + QStringLiteral(" To ") + output);
    setStatus(m_row, RunText::Processing);

    m_encoderPid = m_env.tools->start(built.command, m_env.programFolder);
    if (m_encoderPid == 0)
        throw BuildError("the encoder could not be started");
    m_monitor->start(built.durationSeconds);
    if (m_cancelRequested) // asked for while this row was being prepared
        doCancel();
}

void ConversionRun::onToolFinished(qint64 pid, int exitCode, bool crashed)
{
    if (!m_active || pid != m_encoderPid || m_encoderPid == 0)
        return;
    m_encoderPid = 0;
    m_monitor->stop();
    emit trackProgress(100);
    // The encoder's word and its file both count: a run that left nothing
    // behind, or said it failed, did not convert the row.
    const QFileInfo out(m_currentOutput);
    const bool ok = exitCode == 0 && !crashed && out.isFile() && out.size() > 0;
    setStatus(m_row, ok ? RunText::Ok : RunText::Fail);
    m_total += static_cast<int>(roundHalfEven(100.0 / m_rowsAtStart));
    emit totalProgress(m_total);
    nextRow();
}

void ConversionRun::failRow(int row)
{
    m_monitor->stop();
    setStatus(row, RunText::Fail);
    nextRow();
}

void ConversionRun::nextRow()
{
    m_rowStarted = false;
    ++m_row;
    // From the event loop, so a long list never deepens the stack.
    QTimer::singleShot(0, this, &ConversionRun::processRow);
}

void ConversionRun::cancel()
{
    if (!m_active)
        return;
    m_cancelRequested = true;
    if (m_encoderPid != 0)
        doCancel();
}

void ConversionRun::doCancel()
{
    const int row = std::min(m_row, m_rowCount - 1);
    setStatus(row, RunText::Cancel);
    emit busy(false);
    const qint64 pid = m_encoderPid;
    m_encoderPid = 0;
    if (pid != 0) {
        postKeyToEncoder(*m_env.tools, pid, Key::Quit);
        // An encoder that does not stop on its own is not left running.
        ToolRegistry* tools = m_env.tools;
        QTimer::singleShot(m_cancelGraceMs, tools, [tools, pid] { tools->terminate(pid); });
    }
    m_env.messages->error(RunText::Canceled);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    m_monitor->stop();
    endRun(Outcome::Cancelled);
}

void ConversionRun::complete()
{
    m_monitor->stop();
    emit totalProgress(100);
    emit busy(false);
    if (isNumberEqual(Settings(m_env.programFolder).read(SettingKey::AutoShut), 1))
        m_env.shell->shutdown();
    m_env.messages->information(RunText::Completed);
    emit trackProgress(0);
    emit totalProgress(0);
    emit panelVisible(false);
    m_total = 0;
    m_env.shell->openFolder(m_outputFolder);
    endRun(Outcome::Completed);
}

void ConversionRun::endRun(Outcome outcome)
{
    m_monitor->stop();
    m_rowStarted = false;
    m_active = false;
    m_cancelRequested = false;
    emit busy(false);
    emit panelVisible(false);
    emit finished(outcome);
}

} // namespace varnel
