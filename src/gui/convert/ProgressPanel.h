#pragma once
// The conversion progress panel: shown while a run is active, and draggable
// inside the main window by its background.
#include <QFrame>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

class ProgressPanel : public QFrame {
    Q_OBJECT
public:
    explicit ProgressPanel(QWidget* parent);

    QGroupBox* frame14() const { return m_frame14; }
    QProgressBar* trackBar() const { return m_track; }
    QProgressBar* totalBar() const { return m_total; }
    QLabel* elapsedLabel() const { return m_elapsed; }
    QLabel* timeLeftLabel() const { return m_timeLeft; }
    // Negative: not known yet.
    void setSecondsLeft(long long seconds);
    QPushButton* cancelButton() const { return m_cancel; }
    bool isDragging() const { return m_dragging; }

    // Frame14's caption: shown elided in the middle where it does not fit,
    // whole in the tool tip.
    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QGroupBox* m_frame14;
    QProgressBar* m_track;
    QProgressBar* m_total;
    QLabel* m_elapsed;
    QLabel* m_timeLeft;
    QPushButton* m_cancel;
    void showCaption();

    QString m_caption;
    bool m_dragging = false;
    float m_grabX = 0;
    float m_grabY = 0;
};

} // namespace varnel
