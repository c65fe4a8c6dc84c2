#include "core/workspace/ListRecovery.h"

#include "core/common/UserMessages.h"
#include "core/workspace/Workspace.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace varnel {

std::unique_ptr<ListRecovery> ListRecovery::take(Workspace& workspace)
{
    const QByteArray path = QFile::encodeName(lockPathOf(workspace.dataFolder()));
    // The holder removes the file as it lets go, so a copy of its descriptor
    // that a starting child still has cannot keep the next holder out; the
    // file locked must be the one under the name.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return nullptr;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return nullptr;
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino)
            return std::unique_ptr<ListRecovery>(new ListRecovery(workspace, fd));
        ::close(fd); // removed meanwhile by the holder that let go
    }
    return nullptr;
}

QString ListRecovery::lockPathOf(const QString& dataFolder)
{
    return dataFolder + QStringLiteral("/list.json.lock");
}

ListRecovery::~ListRecovery()
{
    ::unlink(m_lockPath.constData());
    ::close(m_lockFd);
}

ListRecovery::ListRecovery(Workspace& workspace, int lockFd)
    : m_lockFd(lockFd), m_lockPath(QFile::encodeName(lockPathOf(workspace.dataFolder()))), m_workspace(workspace),
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
