#include "core/preview/PreviewPlayer.h"
#include "core/media/MediaFacts.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/preview/PreviewState.h"
#include "core/tools/ToolRegistry.h"

#include <QTimer>

namespace varnel {

PreviewPlayer::PreviewPlayer(ToolRegistry& tools, PreviewState& state, QString PreviewState::*file,
                             QString programFolder, PlayerVariants variants, QObject* parent)
    : QObject(parent), m_tools(tools), m_state(state), m_file(file), m_programFolder(std::move(programFolder)),
      m_variants(variants), m_clock(new QTimer(this))
{
    m_clock->setObjectName(QStringLiteral("Timer1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &PreviewPlayer::tick);
    // A player that ended (Stop, end of file, a failure) leaves its last
    // picture behind: the surface is painted again.
    connect(&m_tools, &ToolRegistry::toolFinished, this, [this](qint64 pid) {
        if (pid != 0 && pid == m_started) {
            m_started = 0;
            emit playing(false);
        }
    });
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
    varnel::quitPlayer(m_tools, m_state);
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
    m_started = startPlayer(m_tools, m_state, m_programFolder,
                            playerCommand(m_programFolder, surface, variant, m_state.*m_file, offsetSeconds));
    if (m_started == 0)
        emit playing(false);
}

void PreviewPlayer::play(const QString& file, const QString& videoTimeText)
{
    if (!canStart())
        return;
    quitPlayer();
    if (!file.isEmpty())
        m_state.*m_file = file;
    start(m_variants.play, -1);
    if (!videoTimeText.isNull()) // no row: the label keeps what it shows
        emit totalTimeText(kTotalTimeCaption + videoTimeText);
    m_state.elapsedSeconds = 0;
    if (const auto total = timeTextToSeconds(videoTimeText))
        m_state.totalSeconds = *total;
    m_clock->start();
}

void PreviewPlayer::pause()
{
    postKeyToPlayer(m_tools, m_state.playerProcessId, Key::Space);
    if (m_clock->isActive())
        m_clock->stop();
    else
        m_clock->start();
}

void PreviewPlayer::stop()
{
    postKeyToPlayer(m_tools, m_state.playerProcessId, Key::Quit);
    m_state.elapsedSeconds = 0;
    m_clock->stop();
    emit currentTimeText(QString());
    emit playing(false);
}

void PreviewPlayer::back()
{
    postKeyToPlayer(m_tools, m_state.playerProcessId, Key::Left);
}

void PreviewPlayer::forward()
{
    postKeyToPlayer(m_tools, m_state.playerProcessId, Key::Right);
}

void PreviewPlayer::firstFrame()
{
    if (!canStart())
        return;
    quitPlayer();
    start(m_variants.firstFrame, -1);
    m_state.elapsedSeconds = 0;
    m_clock->start();
}

void PreviewPlayer::lastFrames()
{
    if (!canStart())
        return;
    quitPlayer();
    start(m_variants.lastFrames, m_state.totalSeconds);
    m_state.elapsedSeconds = m_state.totalSeconds;
    m_clock->start();
}

void PreviewPlayer::seek(int position)
{
    if (!canStart())
        return;
    // The product as a 32-bit integer, the quotient as a real number.
    const auto product = static_cast<std::int32_t>(static_cast<std::int64_t>(position) * m_state.totalSeconds);
    m_state.elapsedSeconds = static_cast<std::int32_t>(roundHalfEven(product / 100.0));
    // The player starts at a keyframe: the one at or before the place, so
    // that the clock shows the time of the picture, never one behind it.
    if (m_state.elapsedSeconds > 0 && m_state.elapsedSeconds < m_state.totalSeconds)
        if (const double key = keyframeAtOrBefore(m_state.*m_file, m_state.elapsedSeconds); key >= 0)
            m_state.elapsedSeconds = static_cast<std::int32_t>(key);
    if (const auto text = clockText(m_state.elapsedSeconds))
        emit currentTimeText(*text);
    if (m_state.elapsedSeconds < m_state.totalSeconds) {
        quitPlayer();
        start(m_variants.seek, m_state.elapsedSeconds);
    } else {
        m_clock->stop();
    }
}

void PreviewPlayer::tick()
{
    ++m_state.elapsedSeconds;
    if (m_state.totalSeconds != 0) {
        const double position =
            roundHalfEven(static_cast<double>(m_state.elapsedSeconds) / m_state.totalSeconds * 100.0);
        if (position >= 0 && position <= 100)
            emit sliderPosition(static_cast<int>(position));
    }
    if (const auto text = clockText(m_state.elapsedSeconds))
        emit currentTimeText(*text);
    if (m_state.elapsedSeconds >= m_state.totalSeconds)
        m_clock->stop();
}

} // namespace varnel
