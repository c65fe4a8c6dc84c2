#include "gui/preview/PlayerControls.h"

#include "core/preview/PreviewPlayer.h"
#include "gui/preview/PlayerArtwork.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
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

PlayerControls::PlayerControls(PreviewPlayer& player, const QString& surfaceName, const QString& sliderName,
                               QWidget* parent)
    : QWidget(parent), m_player(player)
{
    setObjectName(QStringLiteral("playerControls"));
    m_surface = new VideoSurface(this);
    m_surface->setObjectName(surfaceName);
    m_player.setSurface([surface = m_surface] { return static_cast<quintptr>(surface->winId()); });

    using artwork::PlayerButton;
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    QToolButton* play = button("cmdPlay", PlayerButton::Play, tr("Play"));
    buttons->addWidget(play);
    buttons->addWidget(button("cmdPause", PlayerButton::Pause, tr("Pause")));
    buttons->addWidget(button("cmdStop", PlayerButton::Stop, tr("Stop")));
    buttons->addWidget(button("cmdBack", PlayerButton::Back, tr("Back")));
    buttons->addWidget(button("cmdForward", PlayerButton::Forward, QStringLiteral("Forward")));
    buttons->addWidget(button("Command4", PlayerButton::FirstFrame, QStringLiteral("First Frame")));
    buttons->addWidget(button("Command5", PlayerButton::LastFrames, QStringLiteral("Last Frames")));
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(sliderName);
    m_slider->setRange(0, 100);
    buttons->addWidget(m_slider, 1);

    auto* times = new QHBoxLayout;
    times->addWidget(new QLabel(QStringLiteral("Current Time:"), this));
    m_current = new QLabel(QStringLiteral("0:00:00"), this);
    m_current->setObjectName(QStringLiteral("LblCurTime"));
    times->addWidget(m_current);
    times->addStretch(1);
    m_total = new QLabel(QStringLiteral("Total time: 0:00:00"), this);
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
    connect(m_slider, &QSlider::sliderReleased, this, [this] { m_player.seek(m_slider->value()); });
    connect(&m_player, &PreviewPlayer::sliderPosition, this, [this](int position) {
        if (!m_slider->isSliderDown())
            m_slider->setValue(position);
    });
    connect(&m_player, &PreviewPlayer::currentTimeText, m_current, &QLabel::setText);
    connect(&m_player, &PreviewPlayer::totalTimeText, m_total, &QLabel::setText);
    // While a player draws into the surface, Qt leaves it alone.
    connect(&m_player, &PreviewPlayer::playing, m_surface, [this](bool on) { m_surface->setUpdatesEnabled(!on); });
}

QToolButton* PlayerControls::button(const char* name, artwork::PlayerButton image, const QString& toolTip)
{
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setIcon(artwork::playerIcon(image));
    b->setIconSize(QSize(22, 22));
    b->setToolTip(toolTip);
    b->setAutoRaise(true);
    return b;
}

} // namespace varnel
