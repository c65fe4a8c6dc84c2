#include "core/sources/MediaProbe.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/sources/SourceList.h"
#include "core/tools/Process.h"

#include <QTimer>
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
            const double seconds = std::floor(leadingNumber(value) + 0.5);
            if (const auto whole = toInt32(seconds))
                r.length = secondsToTimeText(*whole);
        } else if (key == QLatin1String("ID_VIDEO_FORMAT")) {
            r.format = value;
            r.hasFormat = true;
        }
    }
    return r;
}

void applyProbeResult(SourceList& list, int row, const ProbeResult& r)
{
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
    : QObject(parent), m_list(list), m_programFolder(std::move(programFolder))
{
    connect(&m_list, &SourceList::rowRemoved, this, &MediaProbe::forgetRow);
    connect(&m_list, &SourceList::cleared, this, [this] { m_currentRow = -1; });
}

MediaProbe::~MediaProbe() = default;

void MediaProbe::addSource(const QString& path)
{
    m_queue.push_back(path);
    if (!m_current)
        next();
}

void MediaProbe::forgetRow(int row)
{
    if (m_currentRow == row)
        m_currentRow = -1;
    else if (m_currentRow > row)
        --m_currentRow;
}

void MediaProbe::next()
{
    if (m_current)
        return;
    if (m_queue.empty()) {
        emit idle();
        return;
    }
    const QString path = m_queue.front();
    m_queue.pop_front();
    m_currentRow = m_list.append(path);
    m_current = new Process(this);
    m_current->CmdLine = identifyCommand(m_programFolder, path);
    m_current->Async = true;
    m_current->timeoutMs = m_timeoutMs;
    connect(m_current, &Process::Finished, this, &MediaProbe::onFinished);
    m_current->Launch();
}

void MediaProbe::onFinished()
{
    Process* done = m_current;
    if (!done)
        return;
    m_current = nullptr;
    if (done->failedToStart() || done->RC() == kPlayerNotStarted) {
        const QString said = done->StdOut().trimmed();
        emit playerUnavailable(said.isEmpty() ? QStringLiteral("cannot start %1").arg(done->CmdLine.argv().value(0))
                                              : said);
    }
    if (m_currentRow >= 0) {
        applyProbeResult(m_list, m_currentRow, parseIdentifyOutput(done->StdOut()));
        emit probed(m_currentRow);
    }
    done->deleteLater();
    // The next probe starts from the event loop, never inside this signal.
    QTimer::singleShot(0, this, &MediaProbe::next);
}

} // namespace varnel
