#include "ui/frmwaypointabout.h"

#include "ui/layout.h"
#include "ui/pictures.h"

#include <QLabel>

frmWaypointAbout::frmWaypointAbout()
{
    setObjectName(QStringLiteral("frmWaypointAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About Waypoint"));
    setWindowIcon(pictures::programIcon());

    auto image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(layout::twipsRect(120, 120, 450, 450));
    image->setPixmap(pictures::satellite());
    image->setAccessibleName(tr("A satellite over the Earth"));

    struct Line
    {
        QRect geometry;
        const char *name;
        QString text;
    };
    const Line lines[] = {
        {layout::twipsRect(720, 240, 1815, 255), "Label1", tr("Pindrel V1.0")},
        {layout::twipsRect(120, 720, 2415, 255), "Label2", tr("Written by the Pindrel developers")},
        {layout::twipsRect(120, 960, 1815, 255), "Label4", tr("https://example.org/pindrel")},
        {layout::twipsRect(120, 1200, 2175, 255), "Label3",
         tr("Copyright © 2026 the Pindrel developers")},
    };
    QList<QLabel *> labels;
    for (const Line &line : lines) {
        auto label = new QLabel(line.text, this);
        label->setObjectName(QLatin1String(line.name));
        label->setGeometry(line.geometry);
        labels << label;
    }

    layout::showWhole(this, labels, QSize(layout::px(2460), layout::px(1485)));
}
