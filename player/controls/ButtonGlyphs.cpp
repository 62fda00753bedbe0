#include "controls/ButtonGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qlnx {

namespace {

QPainterPath Triangle(qreal left, qreal right, qreal top, qreal bottom, bool pointsRight)
{
    QPainterPath path;
    const qreal middle = (top + bottom) / 2;
    if (pointsRight) {
        path.moveTo(left, top);
        path.lineTo(right, middle);
        path.lineTo(left, bottom);
    } else {
        path.moveTo(right, top);
        path.lineTo(left, middle);
        path.lineTo(right, bottom);
    }
    path.closeSubpath();
    return path;
}

} // namespace

QIcon MakeGlyph(TGlyph glyph, const QColor& color)
{
    constexpr int Size = 12;
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    switch (glyph) {
    case TGlyph::Play:
        painter.drawPath(Triangle(3, 10, 1, 11, true));
        break;
    case TGlyph::Pause:
        painter.drawRect(QRectF(2.5, 1.5, 2.5, 9));
        painter.drawRect(QRectF(7, 1.5, 2.5, 9));
        break;
    case TGlyph::Stop:
        painter.drawRect(QRectF(2, 2, 8, 8));
        break;
    case TGlyph::Prev:
        painter.drawRect(QRectF(1.5, 2, 1.5, 8));
        painter.drawPath(Triangle(3, 10.5, 2, 10, false));
        break;
    case TGlyph::Back:
        painter.drawPath(Triangle(0.5, 6, 2, 10, false));
        painter.drawPath(Triangle(6, 11.5, 2, 10, false));
        break;
    case TGlyph::Forward:
        painter.drawPath(Triangle(0.5, 6, 2, 10, true));
        painter.drawPath(Triangle(6, 11.5, 2, 10, true));
        break;
    case TGlyph::Next:
        painter.drawPath(Triangle(1.5, 9, 2, 10, true));
        painter.drawRect(QRectF(9, 2, 1.5, 8));
        break;
    case TGlyph::Eject:
        painter.drawPath([] {
            QPainterPath path;
            path.moveTo(6, 1.5);
            path.lineTo(11, 7);
            path.lineTo(1, 7);
            path.closeSubpath();
            return path;
        }());
        painter.drawRect(QRectF(1, 8.5, 10, 2));
        break;
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace qlnx
