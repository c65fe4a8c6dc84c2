#include "core/media/MediaReading.h"

#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <mutex>
#include <unistd.h>

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

struct MediaReading::Shared {
    std::mutex mutex;
    MediaReading* target = nullptr; // cleared, under the mutex, when the reading goes
    std::atomic_bool stop{false};
};

MediaReading::MediaReading(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<MediaFacts>();
}

MediaReading::~MediaReading()
{
    if (m_shared) {
        std::lock_guard lock(m_shared->mutex);
        m_shared->target = nullptr;
        m_shared->stop = true;
    }
}

void MediaReading::start(const QString& path, MediaDepth depth)
{
    launch([path, depth](const std::atomic_bool* stop) { return readMedia(path, depth, stop); });
}

void MediaReading::start(int fd, const QString& name, MediaDepth depth)
{
    launch([fd, name, depth](const std::atomic_bool* stop) {
        MediaFacts facts = readMedia(fd, name, depth, stop);
        ::close(fd);
        return facts;
    });
}

void MediaReading::launch(std::function<MediaFacts(const std::atomic_bool*)> read)
{
    if (m_shared) { // a new start drops the old one's answer
        std::lock_guard lock(m_shared->mutex);
        m_shared->target = nullptr;
        m_shared->stop = true;
    }
    m_shared = std::make_shared<Shared>();
    m_shared->target = this;
    m_running = true;
    std::shared_ptr<Shared> shared = m_shared;
    readers().start(QRunnable::create([shared, read = std::move(read)] {
        MediaFacts facts = read(&shared->stop);
        std::lock_guard lock(shared->mutex);
        // Posted while the target is certainly alive: its destructor waits
        // for the mutex, and a posted call dies with its receiver.
        if (MediaReading* target = shared->target)
            QMetaObject::invokeMethod(
                target,
                [target, shared, facts = std::move(facts)] {
                    if (target->m_shared != shared) // started again since
                        return;
                    target->m_running = false;
                    emit target->done(facts);
                },
                Qt::QueuedConnection);
    }));
}

} // namespace varnel
