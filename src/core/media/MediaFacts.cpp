#include "core/media/MediaFacts.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/media/LibAv.h"
#include "core/media/SourceKind.h"

namespace varnel {

namespace {

constexpr int kBufferBytes = 1 << 16;
// Joined recordings: a jump of the time stamps by more than this, either
// way, starts a new piece (the encoder treats such jumps the same way).
constexpr double kJumpSeconds = 10;

// Loaded by the time anything here runs: readMedia checks first.
const LibAv& lib() { return *libAv(); }

QString codeText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    lib().av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// Why a file could not be opened: the code's text, unless the libraries
// complained of something more telling. A code other than "invalid data"
// may be a consequence of the failure rather than its cause.
QString avError(int code)
{
    const QString complaint = takeLibraryComplaint();
    if (!complaint.isEmpty() && code != AVERROR_INVALIDDATA)
        return complaint.left(300);
    return codeText(code);
}

// The file is read through its descriptor only: no name is ever opened by
// the libraries, and a demuxer that asks for another file (a playlist, a
// reference movie) gets none; that it asked is kept.
struct Reader {
    int fd;
    const std::atomic_bool* stop;
    bool askedForOthers = false;
};

int readPacket(void* opaque, uint8_t* buffer, int size)
{
    auto* r = static_cast<Reader*>(opaque);
    for (;;) {
        const ssize_t n = ::read(r->fd, buffer, static_cast<size_t>(size));
        if (n > 0)
            return static_cast<int>(n);
        if (n == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t seekTo(void* opaque, int64_t offset, int whence)
{
    auto* r = static_cast<Reader*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        return ::fstat(r->fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(r->fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : static_cast<int64_t>(at);
}

int interrupted(void* opaque)
{
    const auto* stop = static_cast<const std::atomic_bool*>(opaque);
    return stop && stop->load(std::memory_order_relaxed) ? 1 : 0;
}

int refuseOtherFiles(AVFormatContext* s, AVIOContext**, const char*, int, AVDictionary**)
{
    if (auto* r = static_cast<Reader*>(s->opaque))
        r->askedForOthers = true;
    return AVERROR(EPERM);
}

// Samples a decoder drops or adds at the start and end, where the stream
// does not say: a whole output may differ by this much from its source.
int primingSamples(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_MP3: return 1105;  // encoder delay and decoder delay
    case AV_CODEC_ID_AAC: return 2048;  // priming and the last frame's padding
    case AV_CODEC_ID_OPUS: return 312;
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3: return 256;
    case AV_CODEC_ID_MP2: return 481;
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2: return 2048;
    default: return 0;
    }
}

StreamFacts factsOf(const AVStream* st)
{
    const AVCodecParameters* cp = st->codecpar;
    StreamFacts s;
    s.index = st->index;
    s.codec = QString::fromLatin1(lib().avcodec_get_name(cp->codec_id));
    s.isDefault = (st->disposition & AV_DISPOSITION_DEFAULT) != 0;
    s.hadPackets = (st->event_flags & AVSTREAM_EVENT_FLAG_NEW_PACKETS) != 0;
    if (const AVDictionaryEntry* lang = lib().av_dict_get(st->metadata, "language", nullptr, 0))
        s.language = QString::fromUtf8(lang->value).left(16);
    if (cp->codec_type == AVMEDIA_TYPE_VIDEO) {
        s.kind = (st->disposition & AV_DISPOSITION_ATTACHED_PIC) ? StreamFacts::Kind::Picture
                                                                 : StreamFacts::Kind::Video;
        s.width = std::max(0, cp->width);
        s.height = std::max(0, cp->height);
        const AVRational sar = st->sample_aspect_ratio.num > 0 ? st->sample_aspect_ratio : cp->sample_aspect_ratio;
        if (sar.num > 0 && sar.den > 0 && av_q2d(sar) > 0.01 && av_q2d(sar) < 100)
            s.pixelAspect = av_q2d(sar);
        const AVRational rate = st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? st->avg_frame_rate
                                                                                        : st->r_frame_rate;
        if (rate.num > 0 && rate.den > 0)
            s.frameRate = av_q2d(rate);
        if (const uint8_t* matrix = lib().av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
            const double degrees = -lib().av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
            if (std::isfinite(degrees))
                s.rotation = static_cast<int>(std::lround(degrees) % 360 + 360) % 360;
        }
    } else if (cp->codec_type == AVMEDIA_TYPE_SUBTITLE) {
        s.kind = StreamFacts::Kind::Subtitle;
    } else if (cp->codec_type == AVMEDIA_TYPE_AUDIO) {
        s.kind = StreamFacts::Kind::Audio;
        s.channels = std::max(0, cp->ch_layout.nb_channels);
        s.sampleRate = std::max(0, cp->sample_rate);
        if (s.sampleRate > 0) {
            const int padding = std::max(0, cp->initial_padding) + std::max(0, cp->trailing_padding);
            s.paddingSeconds = static_cast<double>(std::max(padding, primingSamples(cp->codec_id))) / s.sampleRate;
        }
    }
    return s;
}

constexpr int64_t kLargestStamp = int64_t{1} << 53;

bool plausible(int64_t stamp)
{
    return stamp > -kLargestStamp && stamp < kLargestStamp;
}

// One stream's packets, in its time base: the pieces between time stamp
// jumps, each from its earliest start to its latest end.
struct Span {
    int64_t first = AV_NOPTS_VALUE;
    int64_t pieceStart = AV_NOPTS_VALUE, pieceEnd = AV_NOPTS_VALUE;
    int64_t pieceLastStart = AV_NOPTS_VALUE;
    int64_t lastDts = AV_NOPTS_VALUE, lastDelta = 0;
    double closed = 0; // the pieces before this one, in the time base
    int pieces = 0;
    qint64 packets = 0;
    qint64 untimed = 0; // packets without any time stamp

    void add(const AVPacket* p, int64_t fallbackDuration, int64_t jump)
    {
        // What a player drops (before an MP4's edit list starts) is not played.
        if (p->flags & AV_PKT_FLAG_DISCARD)
            return;
        const int64_t pts = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
        const int64_t dts = p->dts != AV_NOPTS_VALUE ? p->dts : p->pts;
        if (pts == AV_NOPTS_VALUE) {
            ++untimed;
            return;
        }
        // Time stamps a damaged or hostile file gives out of any real range
        // are passed over: sums of them must not overflow.
        if (!plausible(pts) || !plausible(dts) || !plausible(p->duration))
            return;
        ++packets;
        if (lastDts != AV_NOPTS_VALUE) {
            const int64_t delta = dts - lastDts;
            // Joined recordings: a leap forward, or any step back past a
            // couple of packets, starts a new piece.
            if (jump > 0 && (delta > jump || delta < -2 * std::max<int64_t>(lastDelta, 1))) {
                closed += static_cast<double>(pieceEnd - pieceStart);
                pieceStart = pieceEnd = pieceLastStart = AV_NOPTS_VALUE;
            } else if (delta > 0) {
                lastDelta = delta;
            }
        }
        lastDts = dts;
        const int64_t duration = p->duration > 0                                  ? p->duration
                                 : fallbackDuration > 0 && plausible(fallbackDuration) ? fallbackDuration
                                                                                       : lastDelta;
        if (first == AV_NOPTS_VALUE)
            first = pts;
        if (pieceStart == AV_NOPTS_VALUE)
            ++pieces;
        if (pieceStart == AV_NOPTS_VALUE || pts < pieceStart)
            pieceStart = pts;
        if (pieceEnd == AV_NOPTS_VALUE || pts + duration > pieceEnd)
            pieceEnd = pts + duration;
        if (pieceLastStart == AV_NOPTS_VALUE || pts > pieceLastStart)
            pieceLastStart = pts;
    }

    double length() const
    {
        return closed + (pieceStart == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(pieceEnd - pieceStart));
    }

    // The pieces before, whole; the last one up to its last packet's start.
    double lengthToLastStart() const
    {
        return closed + (pieceStart == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(pieceLastStart - pieceStart));
    }
};

bool measured(const StreamFacts& s)
{
    return s.kind == StreamFacts::Kind::Video || s.kind == StreamFacts::Kind::Audio;
}

void measureLengths(AVFormatContext* fc, MediaFacts& facts, const std::atomic_bool* stop)
{
    std::vector<Span> spans(fc->nb_streams);
    std::vector<int64_t> fallback(fc->nb_streams, 0), jump(fc->nb_streams, 0);
    const bool jumps = (fc->iformat->flags & AVFMT_TS_DISCONT) != 0;
    for (unsigned i = 0; i < fc->nb_streams; ++i) {
        AVStream* st = fc->streams[i];
        if (!measured(facts.streams[i])) {
            st->discard = AVDISCARD_ALL; // the demuxer may skip them
            continue;
        }
        const AVCodecParameters* cp = st->codecpar;
        if (cp->codec_type == AVMEDIA_TYPE_AUDIO && cp->frame_size > 0 && cp->sample_rate > 0)
            fallback[i] = lib().av_rescale_q(cp->frame_size, AVRational{1, cp->sample_rate}, st->time_base);
        if (jumps)
            jump[i] = lib().av_rescale_q(static_cast<int64_t>(kJumpSeconds * 1000), AVRational{1, 1000}, st->time_base);
    }
    AVPacket* packet = lib().av_packet_alloc();
    if (!packet)
        return;
    int error = 0;
    while ((error = lib().av_read_frame(fc, packet)) >= 0) {
        const auto index = static_cast<unsigned>(packet->stream_index);
        if (index < spans.size() && measured(facts.streams[index]))
            spans[index].add(packet, fallback[index], jump[index]);
        lib().av_packet_unref(packet);
    }
    lib().av_packet_free(&packet);
    if (stop && stop->load()) {
        facts.readable = false;
        facts.error = QStringLiteral("stopped");
        return;
    }
    // A file that ends early (a cut download) is what it is: the packets
    // read so far are its length. Only a read that failed says nothing. (A
    // damaged packet's complaint on the way is not why a read failed.)
    if (error != AVERROR_EOF && error != AVERROR_INVALIDDATA && error < 0 && error != AVERROR(EAGAIN)) {
        facts.readable = false;
        facts.error = codeText(error);
        return;
    }
    const int64_t fileStart = fc->start_time != AV_NOPTS_VALUE ? fc->start_time : 0;
    // Streams a demuxer finds only while reading (MPEG-TS may) are not measured.
    for (unsigned i = 0; i < spans.size(); ++i) {
        StreamFacts& s = facts.streams[i];
        const Span& span = spans[i];
        if (!measured(s) || (span.packets == 0 && span.untimed == 0))
            continue;
        const double tb = av_q2d(fc->streams[i]->time_base);
        if (span.packets == 0 && span.untimed > 0) {
            // Packets without time stamps: as long as their count says at
            // the stream's rate; unknown, and so never whole, without one.
            s.packets = span.untimed;
            const double each = s.kind == StreamFacts::Kind::Video && s.frameRate > 0 ? 1.0 / s.frameRate
                                : fallback[i] > 0                                    ? fallback[i] * tb
                                                                                     : -1;
            if (each > 0) {
                s.packetSeconds = each;
                s.seconds = each * static_cast<double>(span.untimed);
                s.lastStartSeconds = s.seconds - each;
                s.pieces = 1;
            }
            continue;
        }
        s.packets = span.packets;
        s.pieces = span.pieces;
        s.seconds = span.length() * tb;
        s.lastStartSeconds = span.lengthToLastStart() * tb;
        s.packetSeconds = s.seconds / static_cast<double>(span.packets);
        s.startSeconds = std::max(0.0, span.first * tb - static_cast<double>(fileStart) / AV_TIME_BASE);
    }
    facts.lengthsMeasured = true;
}

// Containers whose header states the length rather than a guess from the
// first frames or the bitrate (an MP3's Xing header counts frames of its
// first part only, when files were joined).
bool statesItsLength(const char* demuxer)
{
    static const char* const kStating[] = {"mov,mp4,m4a,3gp,3g2,mj2", "matroska,webm", "avi", "asf", "wav", "ogg"};
    return std::any_of(std::begin(kStating), std::end(kStating),
                       [demuxer](const char* name) { return std::strcmp(name, demuxer) == 0; });
}

struct Context {
    AVFormatContext* fc = nullptr;
    AVIOContext* io = nullptr;
    ~Context()
    {
        lib().avformat_close_input(&fc);
        if (io) {
            lib().av_freep(&io->buffer);
            lib().avio_context_free(&io);
        }
    }
};

QByteArray headOf(int fd)
{
    QByteArray head(4096, '\0');
    const ssize_t n = ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0);
    head.resize(std::max<qsizetype>(0, n));
    return head;
}

// Opens the regular file behind reader as the one container its bytes are
// probed as: the container is decided here, before anything is read with
// it, and one that names other files or addresses is refused (reach set,
// nothing opened). Nested readers a demuxer makes for itself open no
// protocol at all. The reason a file cannot be opened comes back; empty
// when it is open.
QString openSource(Context& c, Reader& reader, const QString& path, Reach* reach)
{
    const QByteArray head = headOf(reader.fd);
    *reach = reachOfText(head);
    if (*reach != Reach::None)
        return reachReason(*reach);
    auto* buffer = static_cast<unsigned char*>(lib().av_malloc(kBufferBytes));
    c.io = buffer ? lib().avio_alloc_context(buffer, kBufferBytes, 0, &reader, readPacket, nullptr, seekTo) : nullptr;
    c.fc = c.io ? lib().avformat_alloc_context() : nullptr;
    if (!c.fc) {
        if (!c.io)
            lib().av_free(buffer);
        return QCoreApplication::translate("varnel::MediaFacts", "out of memory");
    }
    c.fc->pb = c.io;
    c.fc->flags |= AVFMT_FLAG_CUSTOM_IO;
    c.fc->opaque = &reader;
    c.fc->io_open = refuseOtherFiles;
    c.fc->interrupt_callback = {interrupted, const_cast<std::atomic_bool*>(reader.stop)};
    // The name only hints at the format by its extension; it is never opened.
    const QByteArray name = QFile::encodeName(probeName(path));
    const AVInputFormat* format = nullptr;
    const int score = lib().av_probe_input_buffer2(c.io, &format, name.constData(), nullptr, 0, 0);
    if (score < 0 || !format) {
        *reach = reachOfUnreadText(path, head);
        return *reach != Reach::None ? reachReason(*reach) : avError(score < 0 ? score : AVERROR_INVALIDDATA);
    }
    *reach = reachOfDemuxer(format->name, (format->flags & AVFMT_NOFILE) != 0);
    if (*reach != Reach::None)
        return reachReason(*reach);
    AVDictionary* options = nullptr;
    lib().av_dict_set(&options, "protocol_whitelist", "none", 0);
    if (std::strcmp(format->name, "image2") == 0) // one picture, never a numbered sequence
        lib().av_dict_set(&options, "pattern_type", "none", 0);
    const int error = lib().avformat_open_input(&c.fc, name.constData(), format, &options);
    lib().av_dict_free(&options);
    if (error < 0) // the context is freed on failure
        return avError(error);
    return {};
}

// A demuxer that asked for another name while reading is refused as well.
bool reachedOut(const Reader& reader, Reach* reach)
{
    if (reader.askedForOthers && *reach == Reach::None)
        *reach = Reach::OtherNames;
    return *reach != Reach::None;
}

} // namespace

const StreamFacts* MediaFacts::chosenVideo() const
{
    const StreamFacts* best = nullptr;
    long long bestScore = 0;
    for (const StreamFacts& s : streams) {
        if (s.kind != StreamFacts::Kind::Video && s.kind != StreamFacts::Kind::Picture)
            continue;
        const long long score = s.kind == StreamFacts::Kind::Picture
                                    ? 1
                                    : static_cast<long long>(s.width) * s.height + 100000000LL * s.hadPackets +
                                          5000000LL * s.isDefault;
        if (score > bestScore) {
            best = &s;
            bestScore = score;
        }
    }
    return best;
}

const StreamFacts* MediaFacts::chosenAudio() const
{
    const StreamFacts* best = nullptr;
    long long bestScore = 0;
    for (const StreamFacts& s : streams) {
        if (s.kind != StreamFacts::Kind::Audio)
            continue;
        const long long score = s.channels + 100000000LL * s.hadPackets + 5000000LL * s.isDefault;
        if (!best || score > bestScore) {
            best = &s;
            bestScore = score;
        }
    }
    return best;
}

double StreamFacts::displayAspect() const
{
    if (width <= 0 || height <= 0)
        return 0;
    const double shape = width * pixelAspect / height;
    return rotation == 90 || rotation == 270 ? 1 / shape : shape;
}

bool MediaFacts::hasVideo() const
{
    return std::any_of(streams.begin(), streams.end(), [](const StreamFacts& s) { return s.kind == StreamFacts::Kind::Video; });
}

bool MediaFacts::hasAudio() const
{
    return std::any_of(streams.begin(), streams.end(), [](const StreamFacts& s) { return s.kind == StreamFacts::Kind::Audio; });
}

bool MediaFacts::onlyCoverPicture() const
{
    return !hasVideo() &&
           std::any_of(streams.begin(), streams.end(), [](const StreamFacts& s) { return s.kind == StreamFacts::Kind::Picture; });
}

double MediaFacts::seconds() const
{
    double longest = -1;
    for (const StreamFacts& s : streams)
        if (measured(s))
            longest = std::max(longest, s.seconds);
    return longest >= 0 ? longest : headerSeconds;
}

MediaFacts readMedia(int fd, const QString& name, MediaDepth depth, const std::atomic_bool* stop)
{
    MediaFacts facts;
    QString unloaded;
    if (!libAv(&unloaded)) {
        facts.error = QCoreApplication::translate("varnel::MediaFacts", "FFmpeg's libraries cannot be loaded: %1").arg(unloaded);
        return facts;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        facts.error = QCoreApplication::translate("varnel::MediaFacts", "not a regular file");
        return facts;
    }
    ::lseek(fd, 0, SEEK_SET);
    takeLibraryComplaint(); // an earlier file's
    Reader reader{fd, stop};
    Context c;
    Reach reach = Reach::None;
    facts.error = openSource(c, reader, name, &reach);
    facts.refused = reach != Reach::None;
    if (!facts.error.isEmpty())
        return facts;
    const int error = lib().avformat_find_stream_info(c.fc, nullptr);
    if (reachedOut(reader, &reach)) {
        facts.refused = true;
        facts.error = reachReason(reach);
        return facts;
    }
    if (error < 0) {
        facts.error = avError(error);
        return facts;
    }
    // Nothing to convert, and nothing that a player would not look for
    // elsewhere (a reference movie names its video instead of holding it).
    if (c.fc->nb_streams == 0) {
        facts.error = QCoreApplication::translate("varnel::MediaFacts", "it holds no picture and no sound");
        return facts;
    }
    facts.readable = true;
    facts.container = QString::fromLatin1(c.fc->iformat->name);
    if (c.fc->duration > 0 && c.fc->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE &&
        statesItsLength(c.fc->iformat->name))
        facts.headerSeconds = static_cast<double>(c.fc->duration) / AV_TIME_BASE;
    for (unsigned i = 0; i < c.fc->nb_streams; ++i)
        facts.streams.push_back(factsOf(c.fc->streams[i]));
    // The packets read while finding the streams are kept and come first.
    if (depth == MediaDepth::Lengths)
        measureLengths(c.fc, facts, stop);
    if (reachedOut(reader, &reach)) {
        facts = MediaFacts{};
        facts.refused = true;
        facts.error = reachReason(reach);
    }
    return facts;
}

double keyframeAtOrBefore(const QString& path, double seconds)
{
    if (!libAv())
        return -1;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    Reader reader{fd, nullptr};
    Context c;
    Reach reach = Reach::None;
    double found = -1;
    const bool opened = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && openSource(c, reader, path, &reach).isEmpty();
    int video = -1;
    if (opened && lib().avformat_find_stream_info(c.fc, nullptr) >= 0 && !reachedOut(reader, &reach))
        for (unsigned i = 0; i < c.fc->nb_streams && video < 0; ++i)
            if (c.fc->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
                !(c.fc->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
                video = static_cast<int>(i);
    if (video >= 0) {
        const AVStream* st = c.fc->streams[video];
        const double base = av_q2d(st->time_base);
        const int64_t start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
        const auto target = static_cast<int64_t>(seconds / base) + start;
        AVPacket* packet = lib().av_packet_alloc();
        if (packet && lib().av_seek_frame(c.fc, video, target, AVSEEK_FLAG_BACKWARD) >= 0) {
            // The first keyframe of the video after the seek, within a few
            // hundred packets.
            for (int read = 0; read < 500 && lib().av_read_frame(c.fc, packet) >= 0; ++read) {
                const bool key = packet->stream_index == video && (packet->flags & AV_PKT_FLAG_KEY) &&
                                 packet->pts != AV_NOPTS_VALUE;
                if (key)
                    found = static_cast<double>(packet->pts - start) * base;
                lib().av_packet_unref(packet);
                if (key)
                    break;
            }
        }
        lib().av_packet_free(&packet);
    }
    ::close(fd);
    return found >= 0 && found <= seconds + 0.001 ? found : -1;
}

MediaFacts readMedia(const QString& path, MediaDepth depth, const std::atomic_bool* stop)
{
    // Non-blocking, so that a FIFO's open does not wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        MediaFacts facts;
        facts.error = QString::fromLocal8Bit(std::strerror(errno));
        return facts;
    }
    MediaFacts facts = readMedia(fd, path, depth, stop);
    ::close(fd);
    return facts;
}

} // namespace varnel
