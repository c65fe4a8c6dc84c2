#include "gui/app/ToolbarImage.h"

#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace varnel {

ToolbarImage::ToolbarImage(const QString& name, const QPixmap& picture, const QString& caption, QWidget* parent)
    : QFrame(parent)
{
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    auto* image = new QLabel(this);
    image->setPixmap(picture);
    image->setAlignment(Qt::AlignCenter);
    auto* label = new QLabel(caption, this);
    label->setObjectName(name + QStringLiteral("Caption"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(image);
    layout->addWidget(label);
    setBorder(false);
}

void ToolbarImage::setBorder(bool on)
{
    setFrameShape(on ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
    setProperty("hovered", on);
    style()->unpolish(this);
    style()->polish(this);
}

void ToolbarImage::enterEvent(QEnterEvent*)
{
    emit hovered();
}

void ToolbarImage::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

} // namespace varnel
