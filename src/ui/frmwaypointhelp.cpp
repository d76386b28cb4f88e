#include "ui/frmwaypointhelp.h"

#include "ui/layout.h"
#include "ui/pictures.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

frmWaypointHelp::frmWaypointHelp()
{
    setObjectName(QStringLiteral("frmWaypointHelp"));
    layout::setUpReadingWindow(this);
    setWindowTitle(tr("Waypoint Help"));
    setWindowIcon(pictures::programIcon());

    struct Line
    {
        int top;
        const char *name;
        QString text;
    };
    const Line lines[] = {
        {120, "Label10", tr("The GPS must be connected to Com 1, set for NMEA 4800")},
        {360, "Label12", tr("Baud.")},
        {720, "Label1", tr("The name of the waypoint can up to 6 characters or numbers")},
        {960, "Label2", tr("Long.  ")},
        {1320, "Label3", tr("Latitude and Longitude must be entered in the following format.")},
        {1560, "Label4", tr("DDmm.sss N / DDDmm.sss W")},
        {1920, "Label5", tr("The decimal point MUST be included, but the N and W must")},
        {2160, "Label6", tr("not be included.  Seconds must also have 3 digits.  If only 2 is")},
        {2400, "Label11", tr("provided, then a trailing 0 can be added.")},
        {2760, "Label7", tr("Once the information has been entered, select Make String")},
        {3000, "Label8", tr("from the Waypoint menu to create the string.  It will be shown")},
        {3240, "Label9", tr("in the bottom text field.")},
    };
    // Lines follow one another every 240 twips, paragraphs every 360; a line grows with its
    // font, and every text keeps the left margin from each edge of the window.
    constexpr int lineStep = 240;
    auto column = new QVBoxLayout(this);
    const int margin = layout::px(120);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(0);
    QList<QLabel *> labels;
    int previousTop = lines[0].top - lineStep;
    for (const Line &line : lines) {
        if (line.top - previousTop > lineStep)
            column->addSpacing(layout::px(line.top - previousTop - lineStep));
        previousTop = line.top;
        auto label = new QLabel(line.text, this);
        label->setObjectName(QLatin1String(line.name));
        column->addWidget(label);
        labels << label;
    }
    column->addStretch();
    findChild<QLabel *>(QStringLiteral("Label4"))->setFont(layout::captionFont());
    layout::setLineHeight(labels, lineStep);

    resize(qMax(layout::px(4620), minimumSizeHint().width()), minimumSizeHint().height());
}

void frmWaypointHelp::changeEvent(QEvent *event)
{
    auto format = findChild<QLabel *>(QStringLiteral("Label4"));
    if (event->type() == QEvent::FontChange && format)
        format->setFont(layout::captionFont());
    QDialog::changeEvent(event);
}
