#pragma once
// Reads a media file's facts on a thread of a small pool, so that neither
// the window nor the other rows wait for a long film's packets; done()
// comes through the event loop of the reading's own thread.
#include "core/media/MediaFacts.h"
#include "core/media/PooledWork.h"

namespace varnel {

class MediaReading : public PooledWork {
    Q_OBJECT
public:
    explicit MediaReading(QObject* parent = nullptr);

    // A read under way when this goes, or when it starts again, is told to
    // stop; its answer never comes.
    void start(const QString& path, MediaDepth depth);
    // From a descriptor, which the reading closes when done.
    void start(int fd, const QString& name, MediaDepth depth);

signals:
    void done(const varnel::MediaFacts& facts);

private:
    void launch(std::function<MediaFacts(const std::atomic_bool*)> read);
};

} // namespace varnel
