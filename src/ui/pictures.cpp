#include "ui/pictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace pictures {

namespace {

// Pixel art: each of its pixels becomes a block of screen pixels, never a blur.
QImage enlarged(const QImage &drawn, qreal factor)
{
    return drawn.scaled(drawn.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

constexpr int satelliteSize = 30;

const QColor space(0x00, 0x00, 0x00);
const QColor gold(0xff, 0xd7, 0x00);
const QColor goldLight(0xff, 0xf3, 0xa0);
const QColor goldShade(0xc8, 0xa0, 0x00);
const QColor goldDark(0x6e, 0x5a, 0x00);
const QColor sea(0x2a, 0x6e, 0xd3);
const QColor air(0x8c, 0xc4, 0xff);
const QColor land(0x47, 0xaa, 0x3a);
const QColor landShade(0x2e, 0x7d, 0x2a);

// Fills a block of the 30-unit drawing with its edges on whole device pixels, so that at any
// scale the block is crisp rather than fringed by antialiasing.
void fillBlock(QPainter &painter, const QRectF &block, const QColor &colour)
{
    const QRectF device = painter.transform().mapRect(block);
    painter.save();
    painter.resetTransform();
    painter.fillRect(QRect(QPoint(qRound(device.left()), qRound(device.top())),
                           QPoint(qRound(device.right()) - 1, qRound(device.bottom()) - 1)),
                     colour);
    painter.restore();
}

void drawStars(QPainter &painter)
{
    const QPointF bright[] = {{3, 2}, {27, 5}, {2, 24}, {10, 26}};
    const QPointF faint[] = {{17, 1}, {22, 2}, {26, 14}, {6, 17}, {19, 20}, {8, 21}};
    for (const QPointF star : bright)
        fillBlock(painter, QRectF(star, QSizeF(1, 1)), Qt::white);
    for (const QPointF star : faint)
        fillBlock(painter, QRectF(star, QSizeF(1, 1)), QColor(0x7a, 0x7a, 0x9a));
}

void drawEarth(QPainter &painter)
{
    const QPointF centre(38, 38);
    const qreal radius = 21.5;
    QPainterPath globe;
    globe.addEllipse(centre, radius, radius);
    painter.fillPath(globe, sea);

    painter.save();
    painter.setClipPath(globe);
    QPainterPath north;
    north.moveTo(21, 23);
    north.cubicTo(23, 19, 28, 18, 31, 20);
    north.lineTo(29, 23);
    north.cubicTo(27, 24, 25, 23, 24, 25);
    north.closeSubpath();
    QPainterPath south;
    south.moveTo(25, 25);
    south.cubicTo(28, 24, 31, 26, 31, 28);
    south.lineTo(29, 31);
    south.cubicTo(27, 29, 26, 27, 25, 25);
    painter.setPen(QPen(landShade, 0.8));
    painter.setBrush(land);
    painter.drawPath(north);
    painter.drawPath(south);
    painter.restore();

    // The thin bright rim of the atmosphere.
    painter.setPen(QPen(air, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
}

void drawPanel(QPainter &painter, const QRectF &panel)
{
    fillBlock(painter, panel, goldShade);
    const qreal cell = (panel.width() - 3) / 2;
    for (int column = 0; column < 2; ++column) {
        const QRectF face(panel.left() + 1 + column * (cell + 1), panel.top() + 1, cell,
                          panel.height() - 2);
        fillBlock(painter, face, gold);
        fillBlock(painter, QRectF(face.topLeft(), QSizeF(face.width(), 1)), goldLight);
    }
}

void drawSatellite(QPainter &painter)
{
    // Mast and its tip.
    fillBlock(painter, QRectF(12, 3, 1, 4), gold);
    fillBlock(painter, QRectF(12, 3, 1, 1), goldLight);
    // Arms to the panels.
    fillBlock(painter, QRectF(8, 9, 2, 2), goldDark);
    fillBlock(painter, QRectF(16, 9, 2, 2), goldDark);
    drawPanel(painter, QRectF(1, 7, 7, 6));
    drawPanel(painter, QRectF(18, 7, 7, 6));
    // Body, lit from the upper left.
    fillBlock(painter, QRectF(10, 6, 6, 8), goldShade);
    fillBlock(painter, QRectF(10, 6, 5, 7), gold);
    fillBlock(painter, QRectF(10, 6, 6, 1), goldLight);
    fillBlock(painter, QRectF(10, 6, 1, 8), goldLight);
    fillBlock(painter, QRectF(12, 8, 2, 1), goldDark);
    // The dish under the body, turned towards the Earth.
    painter.setPen(QPen(goldDark, 0.8));
    painter.drawLine(QPointF(14.5, 14), QPointF(16.5, 16));
    painter.setPen(Qt::NoPen);
    QPainterPath dish;
    dish.moveTo(15, 19);
    dish.quadTo(15, 15, 19, 15);
    dish.quadTo(19.5, 18.5, 15, 19);
    painter.fillPath(dish, gold);
    painter.setPen(QPen(goldShade, 0.6));
    painter.drawLine(QPointF(15.5, 18.5), QPointF(18.5, 15.5));
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        const QImage drawn(QStringLiteral(":/pictures/pindrel-%1.xpm").arg(size));
        icon.addPixmap(QPixmap::fromImage(drawn));
        // Doubled for scaled screens; the 16 doubled would stand in for the drawn 32.
        if (size > 16)
            icon.addPixmap(QPixmap::fromImage(enlarged(drawn, 2)));
    }
    return icon;
}

QPixmap satellite(qreal devicePixelRatio)
{
    // Drawn as shapes rather than scaled from a bitmap, so that it is sharp at any scale.
    const int side = int(std::ceil(satelliteSize * devicePixelRatio));
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(space);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(devicePixelRatio, devicePixelRatio);
    drawStars(painter);
    drawEarth(painter);
    drawSatellite(painter);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(image);
}

} // namespace pictures
