#include "core/media/LibAv.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <mutex>
#include <thread>

namespace varnel {

namespace {

// Each thread's last complaint: a reading runs on one thread from start to end.
thread_local std::string complaint;
thread_local bool lineOpen = false; // the complaint goes on in the next message

void keepComplaint(void*, int level, const char* format, va_list args)
{
    if (level > AV_LOG_ERROR || !format)
        return;
    char text[512];
    const int n = std::vsnprintf(text, sizeof text, format, args);
    if (n <= 0)
        return;
    std::string piece(text, std::min<size_t>(static_cast<size_t>(n), sizeof text - 1));
    if (!lineOpen)
        complaint.clear();
    if (complaint.size() < 1024)
        complaint += piece;
    lineOpen = piece.back() != '\n';
}

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
    // whoever runs us; errors are kept for the reason we give instead.
    l.functions.av_log_set_level(AV_LOG_ERROR);
    l.functions.av_log_set_callback(keepComplaint);
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

QString takeLibraryComplaint()
{
    const QString said = QString::fromUtf8(complaint.data(), static_cast<qsizetype>(complaint.size())).trimmed();
    complaint.clear();
    lineOpen = false;
    return said;
}

void preloadLibAv()
{
    static std::once_flag once;
    std::call_once(once, [] { std::thread([] { libAv(); }).detach(); });
}

} // namespace varnel
