#pragma once
// An embedded player's view: the native surface the player draws into, the
// picture buttons, the seek bar and the two time labels. Every command goes
// to the core PreviewPlayer; only Play is left to the owner, which knows
// what file to play.
#include "gui/preview/PlayerArtwork.h"

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace varnel {

class PreviewPlayer;

// A plain native child window, black, that the player draws into; Qt does
// not paint over it while a player is drawing.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    explicit VideoSurface(QWidget* parent);
};

class PlayerControls : public QWidget {
    Q_OBJECT
public:
    // surfaceName and sliderName: the controls' names in their window
    // ("Text2" and "Slider1" in the main window, "Text4" and "Slider3" in the
    // clip editor).
    PlayerControls(PreviewPlayer& player, const QString& surfaceName, const QString& sliderName, QWidget* parent);

    VideoSurface* surface() const { return m_surface; }
    QSlider* seekBar() const { return m_slider; }

signals:
    void playRequested();

private:
    QToolButton* button(const char* name, artwork::PlayerButton image, const QString& toolTip);

    PreviewPlayer& m_player;
    VideoSurface* m_surface;
    QSlider* m_slider;
    QLabel* m_current;
    QLabel* m_total;
};

} // namespace varnel
