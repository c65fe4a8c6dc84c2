#include "core/sources/MediaProbe.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/media/MediaReading.h"
#include "core/media/SourceKind.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QCoreApplication>
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
        } else if (key == QLatin1String("ID_VIDEO_FORMAT")) {
            r.format = value;
            r.hasFormat = true;
        }
    }
    return r;
}

void applyProbeResult(SourceList& list, int row, const ProbeResult& r)
{
    list.setLength(row, !r.length.isEmpty() && r.lengthSeconds > 0 ? r.lengthSeconds : -1);
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

MediaProbe::MediaProbe(SourceList& list, QString programFolder, ToolRegistry& tools, QObject* parent)
    : QObject(parent), m_list(list), m_programFolder(std::move(programFolder)), m_tools(tools),
      m_parallel(std::max(1, QThread::idealThreadCount()))
{
    connect(&m_list, &SourceList::rowRemoved, this, &MediaProbe::forgetRow);
    connect(&m_list, &SourceList::cleared, this, [this] {
        for (int row = m_list.count() - 1; row >= 0; --row)
            forgetRow(row);
    });
}

MediaProbe::~MediaProbe() = default;

void MediaProbe::addSource(const QString& path)
{
    // The row shows at once; its cells are filled when its probe has ended.
    // The player is queued only once the file is read: what it is is
    // decided here, before any tool sees it.
    const quint64 id = m_list.item(m_list.append(path)).id;
    m_pending[id].player = m_identify ? Pending::Player::AfterRead : Pending::Player::None;
    readMedia(id, MediaDepth::Streams);
    next();
}

void MediaProbe::readMedia(quint64 id, MediaDepth depth)
{
    const int row = m_list.rowOf(id);
    if (row < 0)
        return;
    Pending& p = m_pending[id];
    delete p.reading;
    p.reading = new MediaReading(this);
    connect(p.reading, &MediaReading::done, this, [this, id](const MediaFacts& facts) { onRead(id, facts); });
    p.reading->start(m_list.item(row).path(), depth);
    m_idleSaid = false;
}

void MediaProbe::setParallel(int probes)
{
    m_parallel = std::max(1, probes);
}

void MediaProbe::stop()
{
    m_queue.clear();
    for (const Running& r : std::exchange(m_running, {}))
        delete r.process; // ends its player
    for (auto& [id, p] : m_pending)
        delete p.reading;
    m_pending.clear();
    next(); // idle
}

void MediaProbe::forgetRow(int row)
{
    const quint64 id = m_list.item(row).id;
    const auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    delete it->second.reading;
    m_pending.erase(it);
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), id), m_queue.end());
    // A player under way ends on its own; what it says goes nowhere.
    QTimer::singleShot(0, this, &MediaProbe::next);
}

void MediaProbe::next()
{
    // Identified in the order the files came, several at once.
    while (static_cast<int>(m_running.size()) < m_parallel && !m_queue.empty()) {
        const quint64 id = m_queue.front();
        m_queue.pop_front();
        const int row = m_list.rowOf(id);
        if (row < 0)
            continue;
        ToolStart start;
        start.command = identifyCommand(m_programFolder, m_list.item(row).path());
        // The player reads the file as the container read here, and nothing else.
        start.environment << sourceFormatSetting(m_list.item(row).media.container);
        start.keptBytes = -1; // the whole report
        start.mostBytes = 1 << 20;
        start.timeoutMs = m_timeoutMs;
        Process* process = m_tools.run(start, this);
        m_running.push_back({process, id});
        connect(process, &Process::finished, this, [this, process] { onIdentified(process); });
    }
    if (m_pending.empty() && m_running.empty() && !m_idleSaid) {
        m_idleSaid = true;
        emit idle();
    } else if (!m_pending.empty()) {
        m_idleSaid = false;
    }
}

void MediaProbe::onIdentified(Process* done)
{
    const auto it = std::find_if(m_running.begin(), m_running.end(), [done](const Running& r) { return r.process == done; });
    if (it == m_running.end())
        return;
    const quint64 id = it->id;
    m_running.erase(it);
    if (done->failedToStart() || done->exitCode() == kPlayerNotStarted) {
        const QString said = done->output().trimmed();
        emit playerUnavailable(said.isEmpty() ? QCoreApplication::translate("varnel::MediaProbe", "cannot start %1").arg(done->commandText()) : said);
    }
    const int row = m_list.rowOf(id);
    const auto pending = m_pending.find(id);
    if (row >= 0 && pending != m_pending.end()) {
        applyProbeResult(m_list, row, parseIdentifyOutput(done->output()));
        pending->second.player = Pending::Player::None;
        settle(id);
    }
    done->deleteLater();
    // The next probe starts from the event loop, never inside this signal.
    QTimer::singleShot(0, this, &MediaProbe::next);
}

void MediaProbe::onRead(quint64 id, const MediaFacts& facts)
{
    const int row = m_list.rowOf(id);
    const auto pending = m_pending.find(id);
    if (row < 0 || pending == m_pending.end())
        return;
    m_list.setMedia(row, facts);
    // Unidentified, a row still starts at the start: its clip is the whole file.
    if (!m_identify && m_list.cell(row, SourceItem::Start).isEmpty())
        m_list.setCell(row, SourceItem::Start, QStringLiteral("0:00:00"));
    Pending& p = pending->second;
    p.reading->deleteLater();
    p.reading = nullptr;
    // Only a file read as one container of its own goes on to the player.
    if (p.player == Pending::Player::AfterRead) {
        const bool ownContainer = facts.readable && !facts.container.isEmpty();
        p.player = ownContainer ? Pending::Player::Asked : Pending::Player::None;
        if (ownContainer) {
            m_queue.push_back(id);
            next();
            return;
        }
    }
    settle(id);
}

// A row is probed once the player has answered and its file was read.
void MediaProbe::settle(quint64 id)
{
    const auto pending = m_pending.find(id);
    if (pending == m_pending.end() || pending->second.player != Pending::Player::None || pending->second.reading)
        return;
    m_pending.erase(pending);
    emit probed(id);
    QTimer::singleShot(0, this, &MediaProbe::next);
}

} // namespace varnel
