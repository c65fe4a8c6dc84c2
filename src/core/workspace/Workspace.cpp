#include "core/workspace/Workspace.h"

#include "core/profiles/OptionSets.h"
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
    env.entryNumber = [&w] { return w.entryNumber(); };
    env.stopPreview = [&w] { w.quitPlayer(); };
    return env;
}

} // namespace

Workspace::Workspace(QString programFolder, ShellServices& shell, UserMessages& messages, QObject* parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_shell(shell), m_messages(messages),
      m_probe(m_list, m_programFolder), m_run(runEnvironment(*this))
{
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
