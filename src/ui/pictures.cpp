#include "ui/pictures.h"

namespace pictures {

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/pictures/pindrel-%1.xpm").arg(size), QSize(size, size));
    return icon;
}

QPixmap satellite()
{
    return QPixmap(QStringLiteral(":/pictures/satellite-30.xpm"));
}

} // namespace pictures
