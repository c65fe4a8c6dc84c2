#include "core/workspace/Workspace.h"

#include "core/common/PrintableText.h"

#include "core/common/ShellServices.h"
#include "core/media/LibAv.h"

#include "core/common/UserMessages.h"
#include "core/profiles/OptionSets.h"
#include "core/settings/Settings.h"
#include "core/sources/FileSelection.h"
#include "core/tools/PlayerCommand.h"
#include "core/workspace/ListRecovery.h"
#include "core/workspace/WindowLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace varnel {

namespace {

RunEnvironment runEnvironment(Workspace& w)
{
    RunEnvironment env;
    env.list = &w.list();
    env.sheet = &w.sheet();
    env.tools = &w.tools();
    env.probe = &w.probe();
    env.programFolder = w.programFolder();
    env.dataFolder = w.dataFolder();
    env.entryNumber = [&w] { return w.entryNumber(); };
    env.stopPreview = [&w] { w.quitPlayer(); };
    return env;
}

} // namespace

Workspace::Workspace(QString programFolder, ShellServices& shell, UserMessages& messages, QObject* parent,
                     QString dataFolder)
    : QObject(parent), m_programFolder(std::move(programFolder)),
      m_dataFolder(dataFolder.isEmpty() ? dataFolderFor(m_programFolder) : std::move(dataFolder)), m_shell(shell),
      m_messages(messages),
      m_player(m_tools, m_programFolder, kPreviewVariants),
      m_probe(m_list, m_programFolder, m_tools),
      m_encoders(m_tools, m_programFolder), m_run(runEnvironment(*this))
{
    // Files added soon are measured with FFmpeg's libraries: they load meanwhile.
    preloadLibAv();
    if (!m_shell.tools)
        m_shell.tools = &m_tools;
    removeStaleSettingsTemporaries(m_dataFolder);
    // A missing player is said once for a batch of files, not for each.
    connect(&m_probe, &MediaProbe::playerUnavailable, this, [this](const QString& reason) {
        if (!m_playerWarned)
            m_messages.error(kPlayerUnavailable().arg(reason));
        m_playerWarned = true;
    });
    connect(&m_probe, &MediaProbe::idle, this, [this] { m_playerWarned = false; });
    connect(&m_probe, &MediaProbe::probed, this, [this](quint64 id) {
        const int row = m_list.rowOf(id);
        if (row < 0)
            return;
        const SourceItem& item = m_list.item(row);
        const bool mustRead = m_mustRead.remove(id);
        // A restored row whose file now names other files is no source any more.
        const bool refusedAgain = m_restored.remove(id) && item.media.refused;
        if (!mustRead && !refusedAgain)
            return;
        if (!item.media.readable) {
            m_unreadable << printable(item.path()) + QStringLiteral(": ") + item.media.error.section(u'\n', 0, 0);
            // After the others who hear of this row.
            QMetaObject::invokeMethod(this, [this, id = item.id] {
                if (const int r = m_list.rowOf(id); r >= 0)
                    m_list.removeItem(r);
            }, Qt::QueuedConnection);
        }
        if (m_mustRead.isEmpty() && m_restored.isEmpty())
            sayUnreadable();
    });
    // Rows removed before their probe are waited for no longer.
    connect(&m_probe, &MediaProbe::idle, this, [this] {
        m_mustRead.clear();
        m_restored.clear();
        sayUnreadable();
    });
    m_sheet.prolist();
}

Workspace::~Workspace() = default;

void Workspace::chooseEntry(int number)
{
    m_entry = number;
    OptionSets::apply(m_sheet, number);
    emit entryChosen(number);
}

void Workspace::addSources(const QStringList& paths)
{
    for (const QString& p : paths)
        m_probe.addSource(p);
}

void Workspace::sayUnreadable()
{
    if (m_unreadable.isEmpty())
        return;
    const QStringList lines = QStringList{kNotReadable()} + atMostListed(m_unreadable, 10);
    m_unreadable.clear();
    m_messages.error(lines.join(u'\n'));
}

QList<quint64> Workspace::addReadableSources(const QStringList& paths)
{
    QList<quint64> added;
    for (const QString& p : withFoldersOpened(paths)) {
        // A device or a pipe would be read for ever, or read as nothing.
        if (const QFileInfo info(p); info.exists() && !info.isFile()) {
            m_unreadable << printable(p) + QStringLiteral(": ") +
                                QCoreApplication::translate("varnel::Workspace", "not a regular file");
            continue;
        }
        // A name that is not UTF-8 reached us with its odd bytes replaced, and
        // so names no file at all: "no such file" would be untrue.
        if (p.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(p)) {
            m_unreadable << printable(p) + QStringLiteral(": ") +
                                QCoreApplication::translate("varnel::Workspace",
                                                            "the name is not UTF-8 text; name the file by a UTF-8 name");
            continue;
        }
        m_probe.addSource(p);
        added << m_list.item(m_list.count() - 1).id;
        m_mustRead.insert(added.back());
    }
    if (m_mustRead.isEmpty())
        sayUnreadable();
    return added;
}

PresetStore& Workspace::presets()
{
    if (!m_presets) {
        m_presets.emplace(m_dataFolder);
        if (const QString message = m_presets->load(); !message.isEmpty())
            m_messages.error(message);
    }
    return *m_presets;
}

std::optional<QString> Workspace::choosePreset(const QString& name)
{
    const Preset* preset = presets().find(name);
    if (!preset)
        return QCoreApplication::translate("varnel::Workspace", "there is no preset %1").arg(printable(name));
    if (const auto refused = presets::refusal(*preset))
        return QCoreApplication::translate("varnel::Workspace", "the preset %1 cannot be used: %2").arg(printable(name), *refused);
    chooseEntry(preset->entry);
    presets::applyTo(m_sheet, *preset);
    return std::nullopt;
}

Settings Workspace::settings() const
{
    return Settings(m_dataFolder);
}

void Workspace::showItem(int row)
{
    // A file that names other files is never handed to a player, not even
    // while its row waits to leave the list.
    if (row < 0 || row >= m_list.count() || m_list.item(row).media.refused)
        return;
    const SourceItem& item = m_list.item(row);
    m_player.setFile(item.path(), item.media.readable ? item.media.container : QString());
    m_sheet.setValue(Group::General, QStringLiteral("Item Name"), item.path());
    m_sheet.setValue(Group::Duration, QStringLiteral("All Clip Duration"), QString());
    m_sheet.setValue(Group::Duration, QStringLiteral("Start Time"), item.cells[SourceItem::Start]);
    m_sheet.setValue(Group::Duration, QStringLiteral("Stop Time"), item.cells[SourceItem::End]);
}

void Workspace::quitPlayer()
{
    m_player.stopClock();
    m_player.quitPlayer();
}

void Workspace::playRow(int row)
{
    if (m_list.isEmpty())
        return;
    const bool valid = row >= 0 && row < m_list.count();
    if (valid && m_list.item(row).media.refused)
        return;
    const MediaFacts* media = valid && m_list.item(row).media.readable ? &m_list.item(row).media : nullptr;
    m_player.play(valid ? m_list.item(row).path() : QString(),
                  valid ? m_list.cell(row, SourceItem::VideoTime) : QString(), media ? media->container : QString());
}

bool Workspace::beginClipEditing(int row)
{
    if (row < 0 || row >= m_list.count() || m_list.item(row).media.refused)
        return false;
    quitPlayer();
    const SourceItem& item = m_list.item(row);
    m_clip = {item.id, item.path(), item.media.readable ? item.media.container : QString(),
              item.cells[SourceItem::Start], item.cells[SourceItem::End], item.cells[SourceItem::VideoTime]};
    return true;
}

void Workspace::restoreList(const SavedList& saved)
{
    for (SourceItem item : saved.rows) {
        if (item.cells[SourceItem::Status] == RunText::Processing) {
            item.cells[SourceItem::Status].clear();
            item.statusReason.clear();
        }
        item.converted = item.cells[SourceItem::Status] == RunText::Ok ? SourceItem::Converted::LastSession
                                                                        : SourceItem::Converted::No;
        // What was read of the file last time may not hold any more.
        const quint64 id = m_list.item(m_list.append(item)).id;
        m_restored.insert(id);
        m_probe.readMedia(id, MediaDepth::Streams);
    }
    if (saved.entry > 0)
        chooseEntry(saved.entry);
    for (const auto& [key, value] : saved.sheet) {
        const qsizetype slash = key.indexOf(u'/');
        if (slash > 0 && m_sheet.hasRow(key.left(slash), key.mid(slash + 1)))
            m_sheet.setValue(key.left(slash), key.mid(slash + 1), value);
    }
}

int Workspace::clearList()
{
    if (m_list.isEmpty())
        return 0;
    m_cleared.clear();
    for (int r = 0; r < m_list.count(); ++r) {
        const SourceItem& item = m_list.item(r);
        m_cleared.push_back({item, !m_probe.isProbing(item.id)});
    }
    m_list.clearItems();
    emit undoableClear(clearedCount());
    return clearedCount();
}

bool Workspace::undoClear()
{
    if (m_cleared.empty())
        return false;
    // Rows come back where they were, under their own ids: a run still
    // converting one of them, or still to come to them, goes on with them.
    std::vector<SourceItem> back;
    QStringList probeAgain;
    for (ClearedRow& row : std::exchange(m_cleared, {})) {
        if (!row.probed) {
            probeAgain << row.item.path();
            continue;
        }
        // A row whose encoder ended while it was away says nothing of how.
        if (row.item.cells[SourceItem::Status] == RunText::Processing && !m_run.isConverting(row.item.id)) {
            row.item.cells[SourceItem::Status].clear();
            row.item.statusReason.clear();
        }
        back.push_back(std::move(row.item));
    }
    if (!m_list.putBack(back))
        for (const SourceItem& item : back)
            m_list.append(item);
    for (const QString& path : probeAgain)
        m_probe.addSource(path);
    emit undoableClear(0);
    return true;
}

bool Workspace::ownListFile(const WindowLock& lock)
{
    if (!lock.isHeld() || QDir::cleanPath(lock.dataFolder()) != QDir::cleanPath(m_dataFolder))
        return false;
    if (!m_listFile)
        m_listFile = ListRecovery::take(*this);
    return m_listFile != nullptr;
}

bool Workspace::offerLastList(const std::function<bool(int rows)>& ask)
{
    return m_listFile && m_listFile->offer(ask);
}

void Workspace::saveListNow()
{
    if (m_listFile)
        m_listFile->saveNow();
}

void Workspace::forgetList()
{
    if (m_listFile)
        m_listFile->forget();
}

bool Workspace::endClipEditing(const QString& start, const QString& end)
{
    const int row = m_list.rowOf(m_clip.itemId);
    if (row < 0)
        return false;
    m_list.setClip(row, start, end);
    return true;
}

} // namespace varnel
