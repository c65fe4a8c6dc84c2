#pragma once
// list.json in the hands of the live window of its data folder: read once as
// the window starts (a damaged file set aside, and said), offered back, then
// kept as the list changes, and removed by a clean end. A workspace has one
// only while its process holds the folder's WindowLock.
#include "core/sources/ListStore.h"

#include <functional>
#include <memory>

namespace varnel {

class Workspace;

class ListRecovery {
public:
    // Only one process at a time may hold a data folder's list, whatever
    // display or runtime folder it started with: nullptr when another has it.
    static std::unique_ptr<ListRecovery> take(Workspace& workspace);
    ~ListRecovery();
    ListRecovery(const ListRecovery&) = delete;
    ListRecovery& operator=(const ListRecovery&) = delete;

    // A list with rows is offered through ask (given the number of rows;
    // true restores them), any other is removed; true when restored. From
    // then on the list is kept on disk.
    bool offer(const std::function<bool(int rows)>& ask);
    // At once: before a run starts.
    void saveNow() { m_keeper.saveNow(); }
    // The clean end: nothing to offer back next time.
    void forget() { m_keeper.discard(); }

private:
    ListRecovery(Workspace& workspace, int lockFd);
    static QString lockPathOf(const QString& dataFolder);
    void keep();

    int m_lockFd; // an flock on list.json.lock in the data folder, held for life
    QByteArray m_lockPath;

    Workspace& m_workspace;
    ListKeeper m_keeper;
    bool m_offered = false;
};

} // namespace varnel
