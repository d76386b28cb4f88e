#include "ui/frmgarminwaypoint.h"

#include "sentence/waypointsentence.h"
#include "ui/layout.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include <limits>

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(layout::captionFont());
    return label;
}

QLineEdit *addTextBox(QWidget *parent, const char *name, QRect geometry)
{
    auto box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    // Qt would otherwise cut every text, pasted or set, at 32767 characters without a word.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QAction *addItem(QMenu *menu, const char *name, const QString &caption)
{
    auto action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

frmGarminWaypoint::frmGarminWaypoint(Services services, QWidget *parent)
    : QMainWindow(parent), m_services(std::move(services))
{
    setObjectName(QStringLiteral("frmGarminWaypoint"));
    setWindowTitle(tr("Garmin Pindrel V 1.0"));
    createControls();
    createMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmGarminWaypoint::~frmGarminWaypoint() = default;

void frmGarminWaypoint::createControls()
{
    using layout::twipsRect;
    auto client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(layout::px(6450), layout::px(1200));
    setCentralWidget(client);

    Label1 = addLabel(client, "Label1", tr("Name:"), twipsRect(120, 120, 615, 255));
    txtWaypointName = addTextBox(client, "txtWaypointName", twipsRect(720, 120, 1215, 285));
    Label2 = addLabel(client, "Label2", tr("Latitude:"), twipsRect(2040, 120, 735, 255));
    txtWaypointLat = addTextBox(client, "txtWaypointLat", twipsRect(2880, 120, 1215, 285));
    Label3 = addLabel(client, "Label3", tr("Longitude:"), twipsRect(4200, 120, 975, 255));
    txtWaypointLon = addTextBox(client, "txtWaypointLon", twipsRect(5160, 120, 1215, 285));
    Label4 = addLabel(client, "Label4", tr("Waypoint String:"), twipsRect(120, 600, 1455, 255));
    txtGeneratedString = addTextBox(client, "txtGeneratedString", twipsRect(120, 840, 6255, 285));

    layout::fitTextToWidth({Label1, Label2, Label3, Label4});

    // A hand-edited string would carry a stale checksum; it can still be selected and copied.
    txtGeneratedString->setReadOnly(true);

    // Screen readers announce each box by its label.
    Label1->setBuddy(txtWaypointName);
    Label2->setBuddy(txtWaypointLat);
    Label3->setBuddy(txtWaypointLon);
    Label4->setBuddy(txtGeneratedString);

    setTabOrder(txtWaypointName, txtWaypointLat);
    setTabOrder(txtWaypointLat, txtWaypointLon);
    setTabOrder(txtWaypointLon, txtGeneratedString);
    txtWaypointName->setFocus();
}

void frmGarminWaypoint::createMenus()
{
    mnuProgram = menuBar()->addMenu(tr("&Program"));
    mnuProgram->setObjectName(QStringLiteral("mnuProgram"));
    mnuOpenPort = addItem(mnuProgram, "mnuOpenPort", tr("&Open Port"));
    mnuHelp = addItem(mnuProgram, "mnuHelp", tr("&Help"));
    mnuAbout = addItem(mnuProgram, "mnuAbout", tr("&About"));
    mnuQuit = addItem(mnuProgram, "mnuQuit", tr("&Quit"));

    mnuWaypoint = menuBar()->addMenu(tr("&Waypoint"));
    mnuWaypoint->setObjectName(QStringLiteral("mnuWaypoint"));
    mnuMakeString = addItem(mnuWaypoint, "mnuMakeString", tr("&Make String"));
    mnuSendString = addItem(mnuWaypoint, "mnuSendString", tr("&Send String"));
    mnuSave = addItem(mnuWaypoint, "mnuSave", tr("&Save String"));

    connect(mnuQuit, &QAction::triggered, this, &frmGarminWaypoint::mnuQuit_Click);
    connect(mnuMakeString, &QAction::triggered, this, &frmGarminWaypoint::mnuMakeString_Click);
}

void frmGarminWaypoint::mnuMakeString_Click()
{
    const auto waypointString = sentence::makeWaypointString(
        txtWaypointName->text(), txtWaypointLat->text(), txtWaypointLon->text());
    if (!waypointString) {
        m_services.message(this, tr("The waypoint string would be too long. A waypoint sentence "
                                    "holds at most %1 characters: shorten the name, the "
                                    "latitude or the longitude.")
                                     .arg(sentence::maxBodyLength));
        return;
    }
    txtGeneratedString->setText(*waypointString);
}

void frmGarminWaypoint::mnuQuit_Click()
{
    close();
}
