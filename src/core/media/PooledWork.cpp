#include "core/media/PooledWork.h"

#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <mutex>

namespace varnel {

namespace {

QThreadPool& readers()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
        return p;
    }();
    return *pool;
}

} // namespace

struct PooledWork::Shared {
    std::mutex mutex;
    PooledWork* target = nullptr; // cleared, under the mutex, when the answer is no longer wanted
    std::atomic_bool stop{false};
};

PooledWork::PooledWork(QObject* parent) : QObject(parent) {}

PooledWork::~PooledWork()
{
    cancel();
}

void PooledWork::cancel()
{
    if (m_shared) {
        std::lock_guard lock(m_shared->mutex);
        m_shared->target = nullptr;
        m_shared->stop = true;
    }
    m_shared.reset();
    m_running = false;
}

void PooledWork::start(Work work)
{
    cancel();
    m_shared = std::make_shared<Shared>();
    m_shared->target = this;
    m_running = true;
    std::shared_ptr<Shared> shared = m_shared;
    readers().start(QRunnable::create([shared, work = std::move(work)] {
        Continuation then = work(&shared->stop);
        std::lock_guard lock(shared->mutex);
        // Posted while the target is certainly alive: its destructor waits
        // for the mutex, and a posted call dies with its receiver.
        if (PooledWork* target = shared->target)
            QMetaObject::invokeMethod(
                target,
                [target, shared, then = std::move(then)] {
                    if (target->m_shared != shared) // started again, or cancelled, since
                        return;
                    target->m_running = false;
                    target->m_shared.reset();
                    if (then)
                        then();
                },
                Qt::QueuedConnection);
    }));
}

} // namespace varnel
