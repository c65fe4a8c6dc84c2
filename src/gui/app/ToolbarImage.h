#pragma once
// A toolbar image with its caption below; hovering gives it a border, and a
// click runs its command.
#include <QFrame>

namespace varnel {

class ToolbarImage : public QFrame {
    Q_OBJECT
public:
    ToolbarImage(const QString& name, const QPixmap& picture, const QString& caption, QWidget* parent);

    bool hasBorder() const { return frameShape() != QFrame::NoFrame; }
    void setBorder(bool on);

signals:
    void clicked();
    void hovered();

protected:
    void enterEvent(QEnterEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

} // namespace varnel
