#pragma once
// Work that would hold up a window (reading a long file, rewriting an index)
// runs on a thread of the media-reading pool; what it hands back runs on the
// owner's thread, through its event loop, unless the owner is gone or has
// started other work since.
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

namespace varnel {

class PooledWork : public QObject {
    Q_OBJECT
public:
    using Continuation = std::function<void()>;
    // stop is set when the answer is no longer wanted: long work ends soon.
    using Work = std::function<Continuation(const std::atomic_bool* stop)>;

    explicit PooledWork(QObject* parent = nullptr);
    // Work under way is told to stop; its continuation never runs.
    ~PooledWork() override;

    // A new start drops the answer of the one before.
    void start(Work work);
    void cancel();
    bool isRunning() const { return m_running; }

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    bool m_running = false;
};

} // namespace varnel
