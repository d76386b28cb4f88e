#include "ui/frmwaypointhelp.h"

#include "ui/layout.h"
#include "ui/pictures.h"

#include <QLabel>

frmWaypointHelp::frmWaypointHelp()
{
    setObjectName(QStringLiteral("frmWaypointHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Waypoint Help"));
    setWindowIcon(pictures::programIcon());

    struct Line
    {
        int top;
        int width;
        const char *name;
        QString text;
    };
    const Line lines[] = {
        {120, 4935, "Label10", tr("The GPS must be connected to Com 1, set for NMEA 4800")},
        {360, 495, "Label12", tr("Baud.")},
        {720, 4455, "Label1", tr("The name of the waypoint can up to 6 characters or numbers")},
        {960, 495, "Label2", tr("Long.  ")},
        {1320, 4575, "Label3",
         tr("Latitude and Longitude must be entered in the following format.")},
        {1560, 2535, "Label4", tr("DDmm.sss N / DDDmm.sss W")},
        {1920, 4575, "Label5", tr("The decimal point MUST be included, but the N and W must")},
        {2160, 4575, "Label6",
         tr("not be included.  Seconds must also have 3 digits.  If only 2 is")},
        {2400, 4455, "Label11", tr("provided, then a trailing 0 can be added.")},
        {2760, 4335, "Label7", tr("Once the information has been entered, select Make String")},
        {3000, 4335, "Label8",
         tr("from the Waypoint menu to create the string.  It will be shown")},
        {3240, 1695, "Label9", tr("in the bottom text field.")},
    };
    QList<QLabel *> labels;
    for (const Line &line : lines) {
        auto label = new QLabel(line.text, this);
        label->setObjectName(QLatin1String(line.name));
        label->setGeometry(layout::twipsRect(120, line.top, line.width, 255));
        labels << label;
    }
    findChild<QLabel *>(QStringLiteral("Label4"))->setFont(layout::captionFont());

    layout::showWhole(this, labels, QSize(layout::px(4620), layout::px(3495)));
}
