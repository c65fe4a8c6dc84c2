#include "core/sources/MediaProbe.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/sources/SourceList.h"
#include "core/tools/Process.h"

#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>
#include <cmath>

namespace varnel {

Command identifyCommand(const QString& programFolder, const QString& path)
{
    QString folder = programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    Command c;
    c.value(folder)
        .literal("/mp.dll -identify ")
        .literal("-benchmark ")
        .literal("-nosound ")
        .literal("-vo null ")
        .literal("-vf cropdetect ")
        .literal("-endpos 1 ")
        .path(path);
    return c;
}

ProbeResult parseIdentifyOutput(const QString& output)
{
    ProbeResult r;
    for (QString line : output.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringList parts = line.split(u'=');
        if (parts.size() < 2)
            continue;
        const QString& key = parts[0];
        const QString& value = parts[1];
        if (key == QLatin1String("ID_VIDEO_WIDTH") || key == QLatin1String("ID_VIDEO_HEIGHT")) {
            const auto n = strictNumber(value);
            const auto size = n ? toInt32(*n) : std::nullopt;
            if (!size) {
                r.complete = false;
                return r;
            }
            (key.endsWith(QLatin1String("WIDTH")) ? r.width : r.height) = *size;
        } else if (key == QLatin1String("ID_LENGTH")) {
            // Halves up, like a time of day; a length out of range is unknown.
            const double exact = leadingNumber(value);
            const double seconds = std::floor(exact + 0.5);
            const auto whole = exact >= 0 ? toInt32(seconds) : std::nullopt; // a negative length is none
            if (whole) {
                r.length = secondsToTimeText(*whole);
                r.lengthSeconds = exact;
            }
        } else if (key == QLatin1String("ID_VIDEO_ID")) {
            r.hasVideo = true;
        } else if (key == QLatin1String("ID_AUDIO_ID")) {
            r.hasAudio = true;
        } else if (key == QLatin1String("ID_PROBE_ERROR")) {
            r.error = line.mid(key.size() + 1).trimmed();
        } else if (key == QLatin1String("ID_VIDEO_FORMAT")) {
            r.format = value;
            r.hasFormat = true;
        }
    }
    return r;
}

void applyProbeResult(SourceList& list, int row, const ProbeResult& r)
{
    const bool known = !r.length.isEmpty() && r.lengthSeconds > 0;
    list.setMedia(row, r.hasVideo, r.hasAudio, known ? r.lengthSeconds : -1,
                  known ? QString() : (r.error.isEmpty() ? kNoLengthFound : r.error));
    if (!r.length.isEmpty()) {
        list.setCell(row, SourceItem::End, r.length);
        list.setCell(row, SourceItem::VideoTime, r.length);
    }
    if (r.hasFormat)
        list.setCell(row, SourceItem::Format, r.format);
    if (!r.complete)
        return;
    list.setCell(row, SourceItem::Start, QStringLiteral("0:00:00"));
    list.setCell(row, SourceItem::Size, QStringLiteral("%1x%2").arg(r.width).arg(r.height));
}

MediaProbe::MediaProbe(SourceList& list, QString programFolder, QObject* parent)
    : QObject(parent), m_list(list), m_programFolder(std::move(programFolder)),
      m_parallel(std::max(1, QThread::idealThreadCount()))
{
    connect(&m_list, &SourceList::rowRemoved, this, &MediaProbe::forgetRow);
    connect(&m_list, &SourceList::cleared, this, [this] {
        m_queue.clear();
        for (Running& r : m_running)
            r.row = -1;
    });
}

MediaProbe::~MediaProbe() = default;

void MediaProbe::addSource(const QString& path)
{
    // The row shows at once; its cells are filled when its probe has ended.
    m_queue.push_back(m_list.append(path));
    next();
}

void MediaProbe::setParallel(int probes)
{
    m_parallel = std::max(1, probes);
}

bool MediaProbe::isProbing(int row) const
{
    return std::find(m_queue.begin(), m_queue.end(), row) != m_queue.end() ||
           std::any_of(m_running.begin(), m_running.end(), [row](const Running& r) { return r.row == row; });
}

int MediaProbe::pendingBefore(int limit) const
{
    const auto before = [limit](int row) { return row >= 0 && row < limit; };
    return static_cast<int>(std::count_if(m_queue.begin(), m_queue.end(), before) +
                            std::count_if(m_running.begin(), m_running.end(),
                                          [&](const Running& r) { return before(r.row); }));
}

void MediaProbe::stop()
{
    m_queue.clear();
    for (const Running& r : std::exchange(m_running, {}))
        delete r.process; // ends its player
    next(); // idle
}

void MediaProbe::forgetRow(int row)
{
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), row), m_queue.end());
    for (int& queued : m_queue)
        if (queued > row)
            --queued;
    for (Running& r : m_running) {
        if (r.row == row)
            r.row = -1;
        else if (r.row > row)
            --r.row;
    }
}

void MediaProbe::next()
{
    // Probed in the order the files came, several at once.
    while (static_cast<int>(m_running.size()) < m_parallel && !m_queue.empty()) {
        const int row = m_queue.front();
        m_queue.pop_front();
        const QString path = m_list.item(row).path();
        auto* process = new Process(this);
        m_running.push_back({process, row});
        process->CmdLine = identifyCommand(m_programFolder, path);
        process->Async = true;
        process->timeoutMs = m_timeoutMs;
        connect(process, &Process::Finished, this, [this, process] { onFinished(process); });
        process->Launch();
    }
    if (m_running.empty() && m_queue.empty() && !m_idleSaid) {
        m_idleSaid = true;
        emit idle();
    } else if (!m_running.empty() || !m_queue.empty()) {
        m_idleSaid = false;
    }
}

void MediaProbe::onFinished(Process* done)
{
    const auto it = std::find_if(m_running.begin(), m_running.end(), [done](const Running& r) { return r.process == done; });
    if (it == m_running.end())
        return;
    const int row = it->row;
    m_running.erase(it);
    if (done->failedToStart() || done->RC() == kPlayerNotStarted) {
        const QString said = done->StdOut().trimmed();
        emit playerUnavailable(said.isEmpty() ? QStringLiteral("cannot start %1").arg(done->CmdLine.argv().value(0))
                                              : said);
    }
    if (row >= 0) {
        applyProbeResult(m_list, row, parseIdentifyOutput(done->StdOut()));
        emit probed(row);
    }
    done->deleteLater();
    // The next probe starts from the event loop, never inside this signal.
    QTimer::singleShot(0, this, &MediaProbe::next);
}

} // namespace varnel
