#pragma once
// A toolbar image with its caption below; hovering gives it a border, and a
// click, Space or Enter runs its command. To keyboards and screen readers it
// is a button named by its caption.
#include <QFrame>

namespace varnel {

class ToolbarImage : public QFrame {
    Q_OBJECT
public:
    ToolbarImage(const QString& name, const QPixmap& picture, const QString& caption, QWidget* parent);

    QString caption() const { return m_caption; }
    bool hasBorder() const { return frameShape() != QFrame::NoFrame; }
    void setBorder(bool on);

signals:
    void clicked();
    void hovered();

protected:
    void enterEvent(QEnterEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    QString m_caption;
};

} // namespace varnel
