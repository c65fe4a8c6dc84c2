#include "core/workspace/Workspace.h"

#include "core/common/UserMessages.h"
#include "core/profiles/OptionSets.h"
#include "core/settings/Settings.h"
#include "core/tools/PlayerCommand.h"

namespace varnel {

namespace {

RunEnvironment runEnvironment(Workspace& w)
{
    RunEnvironment env;
    env.list = &w.list();
    env.sheet = &w.sheet();
    env.tools = &w.tools();
    env.shell = &w.shell();
    env.messages = &w.messages();
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
      m_messages(messages), m_probe(m_list, m_programFolder), m_run(runEnvironment(*this))
{
    removeStaleSettingsTemporaries(m_dataFolder);
    // A missing player is said once for a batch of files, not for each.
    connect(&m_probe, &MediaProbe::playerUnavailable, this, [this](const QString& reason) {
        if (!m_playerWarned)
            m_messages.error(kPlayerUnavailable.arg(reason));
        m_playerWarned = true;
    });
    connect(&m_probe, &MediaProbe::idle, this, [this] { m_playerWarned = false; });
    // Parents for finding by name (Timer2 inside the run); the members still
    // end with the workspace, in their order.
    for (QObject* member : std::initializer_list<QObject*>{&m_tools, &m_list, &m_sheet, &m_probe, &m_run})
        member->setParent(this);
    m_sheet.prolist();
}

Workspace::~Workspace() = default;

void Workspace::chooseEntry(int number)
{
    m_entry = number;
    OptionSets::apply(m_sheet, number);
}

void Workspace::addSources(const QStringList& paths)
{
    for (const QString& p : paths)
        m_probe.addSource(p);
}

Settings Workspace::settings() const
{
    return Settings(m_dataFolder);
}

void Workspace::showItem(int row)
{
    if (row < 0 || row >= m_list.count())
        return;
    const SourceItem& item = m_list.item(row);
    m_preview.previewFile = item.path();
    m_sheet.setValue(Group::General, QStringLiteral("Item Name"), item.path());
    m_sheet.setValue(Group::Duration, QStringLiteral("All Clip Duration"), QString());
    m_sheet.setValue(Group::Duration, QStringLiteral("Start Time"), item.cells[SourceItem::Start]);
    m_sheet.setValue(Group::Duration, QStringLiteral("Stop Time"), item.cells[SourceItem::End]);
}

void Workspace::quitPlayer()
{
    if (m_preview.playerProcessId != 0)
        postKeyToPlayer(m_tools, m_preview.playerProcessId, Key::Quit);
}

} // namespace varnel
