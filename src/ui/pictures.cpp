#include "ui/pictures.h"

#include <QImage>

namespace pictures {

namespace {

// Pixel art: each of its pixels becomes a block of screen pixels, never a blur.
QImage enlarged(const QImage &drawn, qreal factor)
{
    return drawn.scaled(drawn.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
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
    QPixmap pixmap = QPixmap::fromImage(
        enlarged(QImage(QStringLiteral(":/pictures/satellite-30.xpm")), devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

} // namespace pictures
