#include "core/media/AviIndex.h"

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

constexpr quint32 kPlaceholder = 0xFFFFFFFFu;
constexpr quint32 kKeyframe = 0x10; // AVIIF_KEYFRAME
// The first RIFF of an AVI ends here; beyond it the file goes on in AVIX
// parts with indexes of another kind.
constexpr qint64 kMostRiff = qint64(1) << 30;

struct Chunk {
    char id[4];
    quint32 size = 0;
    qint64 at = 0; // of its id
};

bool readAt(int fd, qint64 at, void* into, size_t n)
{
    return ::pread(fd, into, n, at) == static_cast<ssize_t>(n);
}

bool writeAt(int fd, qint64 at, const void* from, size_t n)
{
    return ::pwrite(fd, from, n, at) == static_cast<ssize_t>(n);
}

bool readChunk(int fd, qint64 at, Chunk* chunk)
{
    unsigned char head[8];
    if (!readAt(fd, at, head, sizeof head))
        return false;
    std::memcpy(chunk->id, head, 4);
    chunk->size = qFromLittleEndian<quint32>(head + 4);
    chunk->at = at;
    return true;
}

bool is(const char* id, const char* what)
{
    return std::memcmp(id, what, 4) == 0;
}

// A chunk's id of four printable characters ("JUNK", "ix00"): one to step over.
bool isChunkId(const char* id)
{
    return std::all_of(id, id + 4, [](char c) { return c >= 0x20 && c < 0x7f; });
}

// "00dc", "01wb": a stream's data chunk; its stream number, or -1.
int streamOf(const char* id)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
    if (!digit(id[0]) || !digit(id[1]) || !lower(id[2]) || !lower(id[3]))
        return -1;
    return (id[0] - '0') * 10 + (id[1] - '0');
}

void putLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

AviCompletion completeAviIndex(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMostRiff)
        return AviCompletion::Left;
    const qint64 fileSize = st.st_size;
    char riff[12];
    if (!readAt(fd, 0, riff, sizeof riff) || !is(riff, "RIFF") || !is(riff + 8, "AVI "))
        return AviCompletion::Left;

    // The header's counters, and where the frames begin.
    qint64 avihData = -1, movi = -1;
    QList<qint64> strhData;
    bool indexed = false;
    for (qint64 at = 12; at + 8 <= fileSize;) {
        Chunk c;
        if (!readChunk(fd, at, &c))
            break;
        char type[4] = {};
        if (is(c.id, "LIST") && readAt(fd, at + 8, type, 4) && is(type, "movi")) {
            movi = at;
            if (c.size == kPlaceholder || at + 8 + c.size > fileSize)
                break; // the rest is frames, as far as they go
        } else if (is(c.id, "LIST") && is(type, "hdrl")) {
            const qint64 end = at + 8 + c.size;
            for (qint64 in = at + 12; in + 8 <= end;) {
                Chunk h;
                if (!readChunk(fd, in, &h))
                    break;
                char listType[4] = {};
                if (is(h.id, "avih"))
                    avihData = in + 8;
                else if (is(h.id, "LIST") && readAt(fd, in + 8, listType, 4) && is(listType, "strl")) {
                    Chunk s;
                    if (readChunk(fd, in + 12, &s) && is(s.id, "strh"))
                        strhData << in + 20;
                }
                in += 8 + h.size + (h.size & 1);
            }
        } else if (is(c.id, "idx1")) {
            indexed = true;
        }
        if (c.size == kPlaceholder)
            break;
        at += 8 + qint64(c.size) + (c.size & 1);
    }
    if (indexed && qFromLittleEndian<quint32>(riff + 4) == fileSize - 8)
        return AviCompletion::Whole;
    if (movi < 0 || avihData < 0 || strhData.isEmpty())
        return AviCompletion::Left;

    // The frames as far as they are whole; one cut short goes.
    const qint64 moviData = movi + 8; // where the index counts from: the "movi" tag
    QByteArray index;
    QList<quint32> frames(strhData.size(), 0);
    qint64 end = movi + 12;
    while (end + 8 <= fileSize) {
        Chunk c;
        if (!readChunk(fd, end, &c))
            break;
        const int stream = streamOf(c.id);
        const qint64 next = end + 8 + qint64(c.size) + (c.size & 1);
        if (!isChunkId(c.id) || next > fileSize)
            break;
        end = next;
        if (stream < 0 || stream >= strhData.size())
            continue; // padding and the like: kept, not indexed
        index.append(c.id, 4);
        putLe32(index, c.size > 0 ? kKeyframe : 0); // every MJPEG frame stands alone
        putLe32(index, static_cast<quint32>(c.at - moviData));
        putLe32(index, c.size);
        ++frames[stream];
    }
    if (index.isEmpty())
        return AviCompletion::NoFrame;

    QByteArray idx1("idx1");
    putLe32(idx1, static_cast<quint32>(index.size()));
    idx1 += index;
    char le[4];
    const auto patch = [&](qint64 at, quint32 v) {
        qToLittleEndian(v, le);
        return writeAt(fd, at, le, 4);
    };
    if (::ftruncate(fd, end) != 0)
        return AviCompletion::Left;
    // No room for all of it (a full disk): no index rather than a torn one.
    if (!writeAt(fd, end, idx1.constData(), static_cast<size_t>(idx1.size())) || ::fsync(fd) != 0) {
        ::ftruncate(fd, end);
        return AviCompletion::Left;
    }
    bool ok = patch(movi + 4, static_cast<quint32>(end - moviData)) &&
              patch(4, static_cast<quint32>(end + idx1.size() - 8)) && patch(avihData + 16, frames[0]);
    // A video stream's length is its frames; a sound stream's is counted
    // otherwise, and stays.
    for (int s = 0; s < strhData.size(); ++s) {
        char type[4] = {};
        if (readAt(fd, strhData[s], type, 4) && is(type, "vids"))
            ok = ok && patch(strhData[s] + 32, frames[s]);
    }
    ::fsync(fd);
    return ok ? AviCompletion::Completed : AviCompletion::Left;
}

} // namespace varnel
