#include "gui/preview/PlayerArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace varnel::artwork {

namespace {

QPainterPath triangle(qreal x, qreal top, qreal bottom, qreal tip, bool right)
{
    QPainterPath path;
    path.moveTo(x, top);
    path.lineTo(right ? x + tip : x - tip, (top + bottom) / 2);
    path.lineTo(x, bottom);
    path.closeSubpath();
    return path;
}

QPixmap draw(PlayerButton which, int size, const QColor& ink)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const qreal s = size, top = s * 0.22, bottom = s * 0.78, half = s * 0.25;
    switch (which) {
    case PlayerButton::Play:
        p.drawPath(triangle(s * 0.3, top, bottom, s * 0.48, true));
        break;
    case PlayerButton::Pause:
        p.drawRoundedRect(QRectF(s * 0.26, top, s * 0.17, bottom - top), 1.5, 1.5);
        p.drawRoundedRect(QRectF(s * 0.57, top, s * 0.17, bottom - top), 1.5, 1.5);
        break;
    case PlayerButton::Stop:
        p.drawRoundedRect(QRectF(s * 0.25, s * 0.25, s * 0.5, s * 0.5), 2, 2);
        break;
    case PlayerButton::Back:
        p.drawPath(triangle(s * 0.5, top, bottom, half, false));
        p.drawPath(triangle(s * 0.78, top, bottom, half, false));
        break;
    case PlayerButton::Forward:
        p.drawPath(triangle(s * 0.22, top, bottom, half, true));
        p.drawPath(triangle(s * 0.5, top, bottom, half, true));
        break;
    case PlayerButton::FirstFrame:
        p.drawRect(QRectF(s * 0.2, top, s * 0.1, bottom - top));
        p.drawPath(triangle(s * 0.74, top, bottom, s * 0.42, false));
        break;
    case PlayerButton::LastFrames:
        p.drawPath(triangle(s * 0.26, top, bottom, s * 0.42, true));
        p.drawRect(QRectF(s * 0.7, top, s * 0.1, bottom - top));
        break;
    }
    return pm;
}

} // namespace

QIcon playerIcon(PlayerButton which, int size)
{
    // A blue that reads on the dark preview frame and on a light dialog alike.
    QIcon icon(draw(which, size, QColor(0x3d, 0x9b, 0xe9)));
    icon.addPixmap(draw(which, size, QColor(0x7d, 0x88, 0x96)), QIcon::Disabled);
    return icon;
}

} // namespace varnel::artwork
