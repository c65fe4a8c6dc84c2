#pragma once
// An embedded player's view: the native surface the player draws into, the
// picture buttons, the seek bar and the two time labels. Every command goes
// to the core PreviewPlayer; only Play is left to the owner, which knows
// what file to play.
#include "gui/preview/PlayerArtwork.h"

#include <QSlider>
#include <QWidget>

class QLabel;
class QTimer;
class QToolButton;

namespace varnel {

class PreviewPlayer;
class UserMessages;

// A plain native child window, black, that the player draws into; Qt does
// not paint over it while a player is drawing.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    explicit VideoSurface(QWidget* parent);
    // A player draws into the surface (true); false: it is painted at once
    // and again whenever it needs to be.
    void setPlaying(bool on);
};

// A slider that says when the user has finished a change: a drag or a click
// on the track when the mouse is let go, a key when it is let go, the wheel
// when it rests. Values set by the program are not the user's.
class UserSlider : public QSlider {
    Q_OBJECT
public:
    explicit UserSlider(QWidget* parent);
    // The user holds it (a handle, the track, a key) or turns the wheel.
    bool userChanging() const { return m_changing || isSliderDown(); }

signals:
    void changedByUser(int value);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void finish();

    bool m_changing = false; // the user moved it since the last finish
    QTimer* m_wheelRest;
};

class PlayerControls : public QWidget {
    Q_OBJECT
public:
    // surfaceName and sliderName: the controls' names in their window
    // ("Text2" and "Slider1" in the main window, "Text4" and "Slider3" in the
    // clip editor). messages: the window's; left out, the main window's.
    PlayerControls(PreviewPlayer& player, const QString& surfaceName, const QString& sliderName, QWidget* parent,
                   UserMessages* messages = nullptr);
    // The player may outlive its window (the workspace does): it no longer
    // draws into a surface that is gone.
    ~PlayerControls() override;

    VideoSurface* surface() const { return m_surface; }
    QSlider* seekBar() const { return m_slider; }

signals:
    void playRequested();

private:
    QToolButton* button(const char* name, artwork::PlayerButton image, const QString& toolTip);

    PreviewPlayer& m_player;
    UserMessages* m_messages;
    VideoSurface* m_surface;
    UserSlider* m_slider;
    QLabel* m_current;
    QLabel* m_total;
};

} // namespace varnel
