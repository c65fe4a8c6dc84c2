#include "gui/app/ToolbarImage.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace varnel {

namespace {

// A screen reader meets a toolbar image as the button it is: its caption
// for a name, and a press.
class AccessibleToolbarImage : public QAccessibleWidget {
public:
    explicit AccessibleToolbarImage(ToolbarImage* image) : QAccessibleWidget(image, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<ToolbarImage*>(widget())->caption();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            emit static_cast<ToolbarImage*>(widget())->clicked();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* accessibleToolbarImage(const QString& className, QObject* object)
{
    if (className == QLatin1String(ToolbarImage::staticMetaObject.className()))
        if (auto* image = qobject_cast<ToolbarImage*>(object))
            return new AccessibleToolbarImage(image);
    return nullptr;
}

} // namespace

ToolbarImage::ToolbarImage(const QString& name, const QPixmap& picture, const QString& caption, QWidget* parent)
    : QFrame(parent), m_caption(caption)
{
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleToolbarImage), true);
    Q_UNUSED(factoryInstalled);
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
    // One Tab stop for the whole toolbar: the image last focused holds it,
    // and the arrow keys move between images.
    const bool first = !parent || parent->findChildren<ToolbarImage*>(Qt::FindDirectChildrenOnly).size() == 1;
    setFocusPolicy(first ? Qt::StrongFocus : Qt::ClickFocus);
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

void ToolbarImage::keyPressEvent(QKeyEvent* e)
{
    const QList<ToolbarImage*> images = window()->findChildren<ToolbarImage*>();
    const qsizetype at = images.indexOf(this);
    switch (e->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit clicked();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End: {
        const qsizetype n = images.size();
        const qsizetype next = e->key() == Qt::Key_Home ? 0
                               : e->key() == Qt::Key_End ? n - 1
                                                         : (at + (e->key() == Qt::Key_Right ? 1 : n - 1)) % n;
        images[next]->setFocus(Qt::OtherFocusReason);
        return;
    }
    default:
        QFrame::keyPressEvent(e);
    }
}

void ToolbarImage::focusInEvent(QFocusEvent* e)
{
    for (ToolbarImage* other : window()->findChildren<ToolbarImage*>())
        other->setFocusPolicy(other == this ? Qt::StrongFocus : Qt::ClickFocus);
    setProperty("focused", true);
    style()->unpolish(this);
    style()->polish(this);
    QFrame::focusInEvent(e);
}

void ToolbarImage::focusOutEvent(QFocusEvent* e)
{
    setProperty("focused", false);
    style()->unpolish(this);
    style()->polish(this);
    QFrame::focusOutEvent(e);
}

} // namespace varnel
