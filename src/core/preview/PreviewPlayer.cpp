#include "core/preview/PreviewPlayer.h"
#include "core/media/MediaFacts.h"
#include "core/media/PooledWork.h"
#include "core/media/SourceKind.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/tools/ToolRegistry.h"

#include <QTimer>

namespace varnel {

PreviewPlayer::PreviewPlayer(ToolRegistry& tools, QString programFolder, PlayerVariants variants, QObject* parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_variants(variants), m_job(tools),
      m_clock(new QTimer(this)), m_keyframeLookup(new PooledWork(this))
{
    m_clock->setObjectName(QStringLiteral("Timer1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &PreviewPlayer::tick);
    // A player that ended (Stop, end of file, a failure) leaves its last
    // picture behind: the surface is painted again.
    connect(&m_job, &PlayerJob::ended, this, [this] { emit playing(false); });
}

void PreviewPlayer::setTimes(int elapsed, int total)
{
    m_elapsed = elapsed;
    m_total = total;
}

bool PreviewPlayer::clockRunning() const
{
    return m_clock->isActive();
}

void PreviewPlayer::stopClock()
{
    m_clock->stop();
}

void PreviewPlayer::quitPlayer()
{
    m_keyframeLookup->cancel(); // a seek still looking for its keyframe starts nothing
    m_job.quit();
    emit playing(false);
}

bool PreviewPlayer::canStart()
{
    if (m_unavailable.isEmpty())
        return true;
    emit cannotStart(m_unavailable);
    return false;
}

void PreviewPlayer::start(PlayerOptions variant, int offsetSeconds)
{
    const quintptr surface = m_surface ? m_surface() : 0;
    emit playing(true);
    const QStringList environment = m_container.isEmpty() ? QStringList() : QStringList{sourceFormatSetting(m_container)};
    if (!m_job.start(m_programFolder, playerCommand(m_programFolder, surface, variant, m_file, offsetSeconds), environment))
        emit playing(false);
}

void PreviewPlayer::play(const QString& file, const QString& videoTimeText, const QString& container)
{
    if (!canStart())
        return;
    quitPlayer();
    if (!file.isEmpty())
        setFile(file, container);
    start(m_variants.play, -1);
    if (!videoTimeText.isNull()) // no row: the label keeps what it shows
        emit totalTimeText(kTotalTimeCaption() + videoTimeText);
    m_elapsed = 0;
    if (const auto total = timeTextToSeconds(videoTimeText))
        m_total = *total;
    m_clock->start();
}

void PreviewPlayer::pause()
{
    m_job.postKey(Key::Space);
    if (m_clock->isActive())
        m_clock->stop();
    else
        m_clock->start();
}

void PreviewPlayer::stop()
{
    m_keyframeLookup->cancel();
    m_job.postKey(Key::Quit);
    m_elapsed = 0;
    m_clock->stop();
    emit currentTimeText(QString());
    emit playing(false);
}

void PreviewPlayer::back()
{
    m_job.postKey(Key::Left);
}

void PreviewPlayer::forward()
{
    m_job.postKey(Key::Right);
}

void PreviewPlayer::firstFrame()
{
    if (!canStart())
        return;
    quitPlayer();
    start(m_variants.firstFrame, -1);
    m_elapsed = 0;
    m_clock->start();
}

void PreviewPlayer::lastFrames()
{
    if (!canStart())
        return;
    quitPlayer();
    start(m_variants.lastFrames, m_total);
    m_elapsed = m_total;
    m_clock->start();
}

void PreviewPlayer::seek(int position)
{
    if (!canStart())
        return;
    // The product as a 32-bit integer, the quotient as a real number.
    const auto product = static_cast<std::int32_t>(static_cast<std::int64_t>(position) * m_total);
    m_elapsed = static_cast<std::int32_t>(roundHalfEven(product / 100.0));
    if (const auto text = clockText(m_elapsed))
        emit currentTimeText(*text);
    if (m_elapsed >= m_total) {
        m_keyframeLookup->cancel();
        m_clock->stop();
        return;
    }
    quitPlayer();
    // The player starts at a keyframe: the one at or before the place, so
    // that the clock shows the time of the picture, never one behind it.
    // Finding it reads the file, which is not for the window's thread.
    const QString file = m_file;
    const std::int32_t wanted = m_elapsed;
    m_keyframeLookup->start([this, file, wanted](const std::atomic_bool*) -> PooledWork::Continuation {
        const double key = wanted > 0 ? keyframeAtOrBefore(file, wanted) : -1;
        return [this, key, wanted] { startSeek(key >= 0 && key < wanted ? static_cast<std::int32_t>(key) : wanted); };
    });
}

void PreviewPlayer::startSeek(std::int32_t seconds)
{
    if (seconds != m_elapsed) { // the bar moves back to the keyframe too
        m_elapsed = seconds;
        showPosition();
        if (const auto text = clockText(m_elapsed))
            emit currentTimeText(*text);
    }
    start(m_variants.seek, m_elapsed);
}

void PreviewPlayer::showPosition()
{
    if (m_total == 0)
        return;
    const double position = roundHalfEven(static_cast<double>(m_elapsed) / m_total * 100.0);
    if (position >= 0 && position <= 100)
        emit sliderPosition(static_cast<int>(position));
}

void PreviewPlayer::tick()
{
    ++m_elapsed;
    showPosition();
    if (const auto text = clockText(m_elapsed))
        emit currentTimeText(*text);
    if (m_elapsed >= m_total)
        m_clock->stop();
}

} // namespace varnel
