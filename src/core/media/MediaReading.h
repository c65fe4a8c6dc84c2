#pragma once
// Reads a media file's facts on a thread of a small pool, so that neither
// the window nor the other rows wait for a long film's packets; done()
// comes through the event loop of the reading's own thread.
#include "core/media/MediaFacts.h"

#include <QObject>
#include <memory>

namespace varnel {

class MediaReading : public QObject {
    Q_OBJECT
public:
    explicit MediaReading(QObject* parent = nullptr);
    // A read under way is told to stop; its answer never comes.
    ~MediaReading() override;

    void start(const QString& path, MediaDepth depth);
    // From a descriptor, which the reading closes when done.
    void start(int fd, const QString& name, MediaDepth depth);
    bool isRunning() const { return m_running; }

signals:
    void done(const varnel::MediaFacts& facts);

private:
    struct Shared;
    void launch(std::function<MediaFacts(const std::atomic_bool*)> read);
    std::shared_ptr<Shared> m_shared;
    bool m_running = false;
};

} // namespace varnel
