#include "ui/frmgarminwaypoint.h"

#include "gps_link/gpslink.h"
#include "platform/eightbit.h"
#include "sentence/waypointsentence.h"
#include "ui/frmclosingport.h"
#include "ui/frmwaypointabout.h"
#include "ui/frmwaypointhelp.h"
#include "ui/layout.h"
#include "ui/pictures.h"

#include <QAction>
#include <QCloseEvent>
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

// Shows the window, or raises the one already open.
template <typename Window>
void showOnlyOne(QPointer<Window> &window)
{
    if (!window)
        window = new Window;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

frmGarminWaypoint::frmGarminWaypoint(Services services, QWidget *parent)
    : QMainWindow(parent), m_services(std::move(services)),
      m_link(new GpsLink(m_services.portName, this))
{
    setObjectName(QStringLiteral("frmGarminWaypoint"));
    setWindowTitle(tr("Garmin Pindrel V 1.0"));
    setWindowIcon(pictures::programIcon());
    createControls();
    createMenus();
    // Queued: the box is shown only after the failing port has been closed and its error has
    // stopped, never while it is still raising errors underneath.
    connect(
        m_link, &GpsLink::failed, this,
        [this](const QString &reason) {
            m_services.message(this, tr("The serial port %1 stopped working and has been "
                                        "closed.\n\n%2")
                                         .arg(m_link->portName(), reason));
        },
        Qt::QueuedConnection);
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

    connect(mnuOpenPort, &QAction::triggered, this, &frmGarminWaypoint::mnuOpenPort_Click);
    connect(mnuHelp, &QAction::triggered, this, &frmGarminWaypoint::mnuHelp_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmGarminWaypoint::mnuAbout_Click);
    connect(mnuQuit, &QAction::triggered, this, &frmGarminWaypoint::mnuQuit_Click);
    connect(mnuMakeString, &QAction::triggered, this, &frmGarminWaypoint::mnuMakeString_Click);
    connect(mnuSendString, &QAction::triggered, this, &frmGarminWaypoint::mnuSendString_Click);
    connect(mnuSave, &QAction::triggered, this, &frmGarminWaypoint::mnuSave_Click);
}

bool frmGarminWaypoint::Form_Load()
{
    if (m_log.open())
        return true;
    m_services.message(nullptr, tr("Pindrel cannot start: the log file %1 could not be created "
                                   "or emptied.\n\n%2")
                                    .arg(m_log.filePath(), m_log.errorString()));
    return false;
}

void frmGarminWaypoint::mnuOpenPort_Click()
{
    if (m_link->isOpen()) {
        m_services.message(this, tr("Port Already Open!"));
        return;
    }
    if (!m_link->open()) {
        m_services.message(this, tr("The serial port %1 could not be opened.\n\n%2")
                                     .arg(m_link->portName(), m_link->errorString()));
    }
}

void frmGarminWaypoint::mnuHelp_Click()
{
    showOnlyOne(m_help);
}

void frmGarminWaypoint::mnuAbout_Click()
{
    showOnlyOne(m_about);
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

void frmGarminWaypoint::mnuSendString_Click()
{
    if (!m_link->isOpen()) {
        m_services.message(this, tr("Port Not Open!"));
        return;
    }
    m_link->send(platform::toEightBit(txtGeneratedString->text()));
}

void frmGarminWaypoint::mnuSave_Click()
{
    const QByteArray text = platform::toEightBit(txtGeneratedString->text());
    // Two readings of the clock, time first.
    const QTime time = m_services.clock.time();
    const QDate date = m_services.clock.date();
    const bool saved = m_log.append(text, time, date);
    QStringList told;
    if (m_log.found() == WaypointLog::Found::Nothing) {
        told << tr("The log file %1 had gone: it was deleted or moved while Pindrel was running. "
                   "A new one was started there.")
                    .arg(m_log.filePath());
    } else if (m_log.found() == WaypointLog::Found::OtherFile) {
        told << tr("The log file %1 had gone: another file was put in its place while Pindrel "
                   "was running. A new log was started at the end of that file, whose contents "
                   "were kept.")
                    .arg(m_log.filePath());
    }
    if (!saved) {
        told << tr("The waypoint string could not be saved to %1.\n\n%2")
                    .arg(m_log.filePath(), m_log.errorString());
    }
    if (!told.isEmpty())
        m_services.message(this, told.join(u"\n\n"));
}

void frmGarminWaypoint::mnuQuit_Click()
{
    closePort();
    m_log.close();
    close();
}

void frmGarminWaypoint::closeEvent(QCloseEvent *event)
{
    // A close that is already waiting for the port closes the window when it is done.
    if (m_closingPort) {
        event->ignore();
        return;
    }
    closePort();
    QMainWindow::closeEvent(event);
}

void frmGarminWaypoint::closePort()
{
    if (!m_link->isOpen() || m_closingPort)
        return;
    // Bytes already sent may take minutes to leave at 4800 baud; the window goes on painting
    // meanwhile, but takes no more commands.
    m_closingPort = true;
    menuBar()->setEnabled(false);
    const qint64 unsent = frmClosingPort::closeWhenSent(m_link, this);
    menuBar()->setEnabled(true);
    m_closingPort = false;
    if (unsent > 0) {
        m_services.message(this, tr("The serial port %1 was closed before everything had gone "
                                    "out: %2 were not sent.")
                                     .arg(m_link->portName(), frmClosingPort::byteCount(unsent)));
    }
}
