#include "gui/preview/PlayerControls.h"

#include "core/common/UserMessages.h"
#include "core/preview/PreviewPlayer.h"
#include "gui/app/PlatformChoice.h"
#include "gui/preview/PlayerArtwork.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace varnel {

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setMinimumSize(160, 120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void VideoSurface::setPlaying(bool on)
{
    // While a player draws, Qt leaves the surface alone; afterwards the
    // player's last picture and anything drawn over it are painted over.
    setUpdatesEnabled(!on);
    if (!on)
        repaint();
}

UserSlider::UserSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent), m_wheelRest(new QTimer(this))
{
    m_wheelRest->setSingleShot(true);
    m_wheelRest->setInterval(300); // a wheel turned on is one change, not many
    connect(m_wheelRest, &QTimer::timeout, this, &UserSlider::finish);
    // Drags, clicks on the track, keys and the wheel all arrive as actions;
    // setValue() from the program does not.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action != SliderNoAction)
            m_changing = true;
    });
}

void UserSlider::mouseReleaseEvent(QMouseEvent* e)
{
    const bool dragged = isSliderDown(); // a handle let go counts even unmoved
    QSlider::mouseReleaseEvent(e);
    if (dragged || m_changing)
        finish();
}

void UserSlider::keyReleaseEvent(QKeyEvent* e)
{
    QSlider::keyReleaseEvent(e);
    if (m_changing && !e->isAutoRepeat())
        finish();
}

void UserSlider::wheelEvent(QWheelEvent* e)
{
    QSlider::wheelEvent(e);
    if (m_changing)
        m_wheelRest->start();
}

void UserSlider::finish()
{
    m_wheelRest->stop();
    m_changing = false;
    emit changedByUser(value());
}

PlayerControls::PlayerControls(PreviewPlayer& player, const QString& surfaceName, const QString& sliderName,
                               QWidget* parent, UserMessages* messages)
    : QWidget(parent), m_player(player), m_messages(messages)
{
    setObjectName(QStringLiteral("playerControls"));
    m_surface = new VideoSurface(this);
    m_surface->setObjectName(surfaceName);
    m_player.setSurface([surface = m_surface] { return static_cast<quintptr>(surface->winId()); });
    m_player.setSurfaceUnavailable(playerSurfaceUnavailable(QGuiApplication::platformName()));

    using artwork::PlayerButton;
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    QToolButton* play = button("cmdPlay", PlayerButton::Play, tr("Play"));
    buttons->addWidget(play);
    buttons->addWidget(button("cmdPause", PlayerButton::Pause, tr("Pause")));
    buttons->addWidget(button("cmdStop", PlayerButton::Stop, tr("Stop")));
    buttons->addWidget(button("cmdBack", PlayerButton::Back, tr("Back")));
    buttons->addWidget(button("cmdForward", PlayerButton::Forward, tr("Forward")));
    buttons->addWidget(button("Command4", PlayerButton::FirstFrame, tr("First Frame")));
    buttons->addWidget(button("Command5", PlayerButton::LastFrames, tr("Last Frames")));
    m_slider = new UserSlider(this);
    m_slider->setObjectName(sliderName);
    m_slider->setRange(0, 100);
    m_slider->setMinimumWidth(80);
    m_slider->setAccessibleName(tr("Position"));
    buttons->addWidget(m_slider, 1);

    auto* times = new QHBoxLayout;
    times->addWidget(new QLabel(tr("Current Time:"), this));
    m_current = new QLabel(QStringLiteral("0:00:00"), this);
    m_current->setObjectName(QStringLiteral("LblCurTime"));
    times->addWidget(m_current);
    times->addStretch(1);
    m_total = new QLabel(tr("Total time: 0:00:00"), this);
    m_total->setObjectName(QStringLiteral("SkinLabel10"));
    times->addWidget(m_total);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_surface, 1);
    layout->addLayout(buttons);
    layout->addLayout(times);

    connect(play, &QToolButton::clicked, this, &PlayerControls::playRequested);
    const std::pair<const char*, void (PreviewPlayer::*)()> commands[] = {
        {"cmdPause", &PreviewPlayer::pause}, {"cmdStop", &PreviewPlayer::stop},
        {"cmdBack", &PreviewPlayer::back},   {"cmdForward", &PreviewPlayer::forward},
        {"Command4", &PreviewPlayer::firstFrame}, {"Command5", &PreviewPlayer::lastFrames},
    };
    for (const auto& [name, command] : commands)
        connect(findChild<QToolButton*>(QLatin1String(name)), &QToolButton::clicked, &m_player, command);
    connect(m_slider, &UserSlider::changedByUser, &m_player, &PreviewPlayer::seek);
    // The clock moves the bar, but never under the user's hand.
    connect(&m_player, &PreviewPlayer::sliderPosition, this, [this](int position) {
        if (!m_slider->userChanging())
            m_slider->setValue(position);
    });
    connect(&m_player, &PreviewPlayer::currentTimeText, m_current, &QLabel::setText);
    connect(&m_player, &PreviewPlayer::totalTimeText, m_total, &QLabel::setText);
    connect(&m_player, &PreviewPlayer::playing, m_surface, &VideoSurface::setPlaying);
    connect(&m_player, &PreviewPlayer::cannotStart, this, [this](const QString& reason) {
        if (m_messages)
            m_messages->error(reason);
    });
}

PlayerControls::~PlayerControls()
{
    m_player.setSurface(nullptr);
}


QToolButton* PlayerControls::button(const char* name, artwork::PlayerButton image, const QString& toolTip)
{
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setIcon(artwork::playerIcon(image));
    b->setIconSize(QSize(22, 22));
    b->setToolTip(toolTip);
    b->setAccessibleName(toolTip);
    b->setAutoRaise(true);
    return b;
}

} // namespace varnel
