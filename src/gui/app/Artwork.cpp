#include "gui/app/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace varnel::artwork {

namespace {

constexpr int kImages = 48;

QColor hueColor(int i, int sat = 170, int val = 225)
{
    return QColor::fromHsv((i * 47) % 360, sat, val);
}

QPixmap canvas(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void roundedBackground(QPainter& p, const QRectF& r, const QColor& c)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.lighter(130));
    g.setColorAt(1, c.darker(115));
    p.setPen(QPen(c.darker(140), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), r.width() * 0.22, r.width() * 0.22);
}

// One of several device outlines, so the chooser's headers are told apart by
// shape as well as colour.
void device(QPainter& p, int kind, const QRectF& r)
{
    p.setPen(QPen(Qt::white, r.width() * 0.07, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal w = r.width(), h = r.height();
    const QPointF c = r.center();
    switch (kind % 6) {
    case 0: // tablet
        p.drawRoundedRect(QRectF(c.x() - w * 0.28, c.y() - h * 0.34, w * 0.56, h * 0.68), 3, 3);
        p.drawPoint(QPointF(c.x(), c.y() + h * 0.26));
        break;
    case 1: // phone
        p.drawRoundedRect(QRectF(c.x() - w * 0.18, c.y() - h * 0.36, w * 0.36, h * 0.72), 3, 3);
        p.drawLine(QPointF(c.x() - w * 0.06, c.y() - h * 0.27), QPointF(c.x() + w * 0.06, c.y() - h * 0.27));
        break;
    case 2: { // game pad
        QPainterPath pad;
        pad.addRoundedRect(QRectF(c.x() - w * 0.34, c.y() - h * 0.16, w * 0.68, h * 0.34), h * 0.16, h * 0.16);
        p.drawPath(pad);
        p.drawLine(QPointF(c.x() - w * 0.2, c.y()), QPointF(c.x() - w * 0.08, c.y()));
        p.drawLine(QPointF(c.x() - w * 0.14, c.y() - h * 0.06), QPointF(c.x() - w * 0.14, c.y() + h * 0.06));
        p.drawPoint(QPointF(c.x() + w * 0.16, c.y()));
        break;
    }
    case 3: // screen
        p.drawRoundedRect(QRectF(c.x() - w * 0.34, c.y() - h * 0.26, w * 0.68, h * 0.42), 2, 2);
        p.drawLine(QPointF(c.x() - w * 0.14, c.y() + h * 0.3), QPointF(c.x() + w * 0.14, c.y() + h * 0.3));
        break;
    case 4: { // music note
        p.drawLine(QPointF(c.x() + w * 0.08, c.y() + h * 0.2), QPointF(c.x() + w * 0.08, c.y() - h * 0.3));
        p.drawLine(QPointF(c.x() + w * 0.08, c.y() - h * 0.3), QPointF(c.x() + w * 0.26, c.y() - h * 0.2));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c.x() - w * 0.02, c.y() + h * 0.2), w * 0.1, h * 0.08);
        break;
    }
    default: { // film
        p.drawRect(QRectF(c.x() - w * 0.3, c.y() - h * 0.3, w * 0.6, h * 0.6));
        for (int i = 0; i < 3; ++i) {
            const qreal y = c.y() - h * 0.2 + i * h * 0.2;
            p.drawPoint(QPointF(c.x() - w * 0.2, y));
            p.drawPoint(QPointF(c.x() + w * 0.2, y));
        }
    }
    }
}

} // namespace

QList<QPixmap> imageList()
{
    QList<QPixmap> list;
    for (int i = 0; i < kImages; ++i) {
        QPixmap pm = canvas(32);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        roundedBackground(p, QRectF(1, 1, 30, 30), hueColor(i));
        device(p, i, QRectF(4, 4, 24, 24));
        list << pm;
    }
    return list;
}

QPixmap toolbarImage(ToolbarImage which, int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(2, 2, size - 4, size - 4);
    const QPointF c = r.center();
    const qreal s = r.width();
    QColor base;
    switch (which) {
    case ToolbarImage::AddFiles: base = QColor(0x2e, 0x9b, 0x5f); break;
    case ToolbarImage::RemoveFile: base = QColor(0xd9, 0x7b, 0x29); break;
    case ToolbarImage::ClearAll: base = QColor(0xc0, 0x45, 0x45); break;
    case ToolbarImage::Settings: base = QColor(0x5b, 0x6b, 0x86); break;
    case ToolbarImage::Help: base = QColor(0x3a, 0x7b, 0xd5); break;
    case ToolbarImage::Exit: base = QColor(0x6d, 0x6d, 0x75); break;
    case ToolbarImage::Convert: base = QColor(0x1f, 0x8f, 0xe5); break;
    }
    QRadialGradient g(c, s * 0.6);
    g.setColorAt(0, base.lighter(135));
    g.setColorAt(1, base.darker(110));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(r);
    p.setPen(QPen(Qt::white, s * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal a = s * 0.22;
    switch (which) {
    case ToolbarImage::AddFiles:
        p.drawLine(QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - a), QPointF(c.x(), c.y() + a));
        break;
    case ToolbarImage::RemoveFile:
        p.drawLine(QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()));
        break;
    case ToolbarImage::ClearAll:
        p.drawLine(QPointF(c.x() - a, c.y() - a), QPointF(c.x() + a, c.y() + a));
        p.drawLine(QPointF(c.x() + a, c.y() - a), QPointF(c.x() - a, c.y() + a));
        break;
    case ToolbarImage::Settings:
        p.drawEllipse(c, a * 0.55, a * 0.55);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(c);
            p.rotate(i * 45);
            p.drawLine(QPointF(0, -a * 0.8), QPointF(0, -a * 1.1));
            p.restore();
        }
        break;
    case ToolbarImage::Help: {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(static_cast<int>(s * 0.6));
        p.setFont(f);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case ToolbarImage::Exit:
        p.drawArc(QRectF(c.x() - a, c.y() - a, 2 * a, 2 * a), 120 * 16, 300 * 16);
        p.drawLine(QPointF(c.x(), c.y() - a * 1.1), QPointF(c.x(), c.y()));
        break;
    case ToolbarImage::Convert: {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        QPolygonF tri;
        tri << QPointF(c.x() - a * 0.7, c.y() - a) << QPointF(c.x() + a, c.y()) << QPointF(c.x() - a * 0.7, c.y() + a);
        p.drawPolygon(tri);
        break;
    }
    }
    return pm;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pm = canvas(size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        roundedBackground(p, QRectF(0, 0, size, size), QColor(0x1f, 0x6f, 0xd0));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const qreal u = size / 8.0;
        QPolygonF tri;
        tri << QPointF(3 * u, 2.2 * u) << QPointF(6 * u, 4 * u) << QPointF(3 * u, 5.8 * u);
        p.drawPolygon(tri);
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace varnel::artwork
