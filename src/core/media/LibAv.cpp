#include "core/media/LibAv.h"

#include <QCoreApplication>
#include <dlfcn.h>
#include <mutex>
#include <thread>

namespace varnel {

namespace {

#define VARNEL_STRING(x) #x
#define VARNEL_SONAME(library, major) "lib" library ".so." VARNEL_STRING(major)

struct Loaded {
    LibAv functions;
    QString error;
    bool ok = false;
};

Loaded load()
{
    Loaded l;
    // The versions the program was built against: their interfaces are the
    // ones it speaks.
    void* util = ::dlopen(VARNEL_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), RTLD_LAZY | RTLD_LOCAL);
    void* codec = ::dlopen(VARNEL_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), RTLD_LAZY | RTLD_LOCAL);
    void* format = ::dlopen(VARNEL_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR), RTLD_LAZY | RTLD_LOCAL);
    if (!util || !codec || !format) {
        l.error = QString::fromLocal8Bit(::dlerror());
        return l;
    }
#define VARNEL_LIBAV_LOAD(library, name)                                                                               \
    l.functions.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));                                   \
    if (!l.functions.name) {                                                                                           \
        l.error = QCoreApplication::translate("varnel::MediaFacts", "FFmpeg's libraries lack %1").arg(QLatin1String(#name));                            \
        return l;                                                                                                      \
    }
    VARNEL_LIBAV_FUNCTIONS(VARNEL_LIBAV_LOAD)
#undef VARNEL_LIBAV_LOAD
    // Their complaints about damaged files would go to the terminal of
    // whoever runs us; the reasons we give say what matters.
    l.functions.av_log_set_level(AV_LOG_QUIET);
    l.ok = true;
    return l;
}

} // namespace

const LibAv* libAv(QString* error)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.ok && error)
        *error = loaded.error;
    return loaded.ok ? &loaded.functions : nullptr;
}

void preloadLibAv()
{
    static std::once_flag once;
    std::call_once(once, [] { std::thread([] { libAv(); }).detach(); });
}

} // namespace varnel
