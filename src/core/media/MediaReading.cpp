#include "core/media/MediaReading.h"

#include <unistd.h>

namespace varnel {

MediaReading::MediaReading(QObject* parent) : PooledWork(parent)
{
    qRegisterMetaType<MediaFacts>();
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
    PooledWork::start([this, read = std::move(read)](const std::atomic_bool* stop) -> Continuation {
        // this is used only in the continuation, which runs only while it lives.
        return [this, facts = read(stop)] { emit done(facts); };
    });
}

} // namespace varnel
