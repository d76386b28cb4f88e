#pragma once

#include <QIcon>
#include <QPixmap>

namespace pictures {

// The globe that all three windows carry, at 16, 32 and 48 pixels and twice those.
QIcon programIcon();

// The About window's picture: a satellite over a corner of the Earth, 30 by 30 device-independent
// pixels, drawn for a screen of the given scale.
QPixmap satellite(qreal devicePixelRatio = 1.0);

} // namespace pictures
