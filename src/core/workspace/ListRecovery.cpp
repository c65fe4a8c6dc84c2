#include "core/workspace/ListRecovery.h"

#include "core/common/UserMessages.h"
#include "core/workspace/Workspace.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace varnel {

std::unique_ptr<ListRecovery> ListRecovery::take(Workspace& workspace)
{
    const QByteArray path = QFile::encodeName(workspace.dataFolder() + QStringLiteral("/list.json.lock"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ListRecovery>(new ListRecovery(workspace, fd));
}

ListRecovery::~ListRecovery()
{
    ::close(m_lockFd); // the file stays: removing it would race the next holder
}

ListRecovery::ListRecovery(Workspace& workspace, int lockFd)
    : m_lockFd(lockFd), m_workspace(workspace),
      m_keeper(workspace.dataFolder(), workspace.list(), workspace.sheet(), [&workspace] { return workspace.entryNumber(); })
{
}

bool ListRecovery::offer(const std::function<bool(int rows)>& ask)
{
    if (std::exchange(m_offered, true))
        return false;
    bool restored = false;
    QFile file(m_keeper.filePath());
    if (file.open(QIODevice::ReadOnly)) {
        QString reason;
        const std::optional<SavedList> saved = listFromJson(file.read(64 << 20), &reason);
        file.close();
        if (!saved)
            m_workspace.messages().error(kListSetAside().arg(reason, m_keeper.setAside()));
        else if (saved->rows.empty() || !ask(int(saved->rows.size())))
            QFile::remove(m_keeper.filePath());
        else {
            m_workspace.restoreList(*saved);
            restored = true;
        }
    }
    keep();
    return restored;
}

void ListRecovery::keep()
{
    SourceList& list = m_workspace.list();
    ListKeeper* keeper = &m_keeper;
    for (auto signal : {&SourceList::rowsInserted, &SourceList::rowsRemoved})
        QObject::connect(&list, signal, keeper, &ListKeeper::changed);
    QObject::connect(&list, &SourceList::dataChanged, keeper, &ListKeeper::changed);
    QObject::connect(&list, &SourceList::modelReset, keeper, &ListKeeper::changed);
    QObject::connect(&m_workspace.sheet(), &OptionSheet::rowChanged, keeper, &ListKeeper::changed);
    QObject::connect(&m_workspace, &Workspace::entryChosen, keeper, &ListKeeper::changed);
}

} // namespace varnel
