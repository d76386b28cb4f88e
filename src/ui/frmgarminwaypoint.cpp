#include "ui/frmgarminwaypoint.h"

#include "gps_link/gpslink.h"
#include "gps_link/networkaddress.h"
#include "gps_link/portlife.h"
#include "platform/eightbit.h"
#include "platform/nativename.h"
#include "sentence/waypointsentence.h"
#include "ui/frmchooseport.h"
#include "ui/frmclosingport.h"
#include "ui/frmconnecting.h"
#include "ui/frmenterposition.h"
#include "ui/frmwaypointabout.h"
#include "ui/frmwaypointfile.h"
#include "ui/frmwaypointhelp.h"
#include "ui/layout.h"
#include "ui/pictures.h"
#include "ui/portadvice.h"
#include "ui/receiverreadingline.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include <limits>
#include <utility>

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text)
{
    auto label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit *addTextBox(QWidget *parent, const char *name)
{
    auto box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    // Qt would otherwise cut every text, pasted or set, at 32767 characters without a word.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

// The longest values the input boxes are meant to show whole: a six-character name, DDmm.sss
// and DDDmm.sss.
const QString longestName = QStringLiteral("WWWWWW");
const QString longestLatitude = QStringLiteral("0000.000");
const QString longestLongitude = QStringLiteral("00000.000");

// A choice of two hemisphere letters, picked by typing either. Screen readers on Linux take a
// combo box's current item for its name, so it is announced by its description as well.
QComboBox *addHemisphere(QWidget *parent, const char *name, const QString &announced, QChar first,
                         QChar second, QChar chosen)
{
    auto choice = new QComboBox(parent);
    choice->setObjectName(QLatin1String(name));
    choice->addItems({QString(first), QString(second)});
    choice->setCurrentIndex(chosen == second ? 1 : 0);
    choice->setAccessibleName(announced);
    choice->setAccessibleDescription(announced);
    choice->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return choice;
}

// The box with its hemisphere just right of it, in one cell of the row.
QHBoxLayout *boxWithHemisphere(QLineEdit *box, QComboBox *hemisphere)
{
    auto pair = new QHBoxLayout;
    pair->setSpacing(layout::px(60));
    pair->addWidget(box, 1);
    pair->addWidget(hemisphere);
    return pair;
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
    : QMainWindow(parent), m_services(std::move(services)), m_choices(m_services.settingsFile),
      m_port(
          new PortLife(m_services.portName.isEmpty() ? m_choices.portName() : m_services.portName,
                       this, m_services.drainStep, m_services.openWait)),
      m_closingPort(new frmClosingPort(m_port, this))
{
    setObjectName(QStringLiteral("frmGarminWaypoint"));
    setWindowTitle(tr("Garmin Pindrel V 1.0"));
    setWindowIcon(pictures::programIcon());
    m_port->setBaudRate(m_services.baudRate.value_or(m_choices.baudRate()));
    createControls();
    createMenus();
    connect(&m_choices, &RememberedChoices::problem, this,
            [this](const QString &text) { m_services.message(this, text); });
    connectPort();
    setAcceptDrops(true);
    // Opens at the drawn size, or as near as the font allows; the user may make it larger.
    resize(minimumSizeHint());
}

void frmGarminWaypoint::connectPort()
{
    // Queued: shown once the port has done what led to it (a failing port closed, its errors
    // stopped), from the event loop and never inside the call that asked, in the order told.
    connect(m_port, &PortLife::failed, this, &frmGarminWaypoint::portFailed, Qt::QueuedConnection);
    connect(
        m_port, &PortLife::speedRefused, this,
        [this](const QString &portName, qint32 refused, const QString &reason) {
            m_services.message(this, tr("The serial port %1 does not take the speed %2 baud, and "
                                        "goes on at %3 baud.\n\n%4")
                                         .arg(portName)
                                         .arg(refused)
                                         .arg(m_port->baudRate())
                                         .arg(reason));
        },
        Qt::QueuedConnection);
    connect(m_port, &PortLife::opening, this, [this] { new frmConnecting(m_port, this); });
    // Told at once: the port has done all it will by then, and the closed() of a move comes
    // first.
    connect(m_port, &PortLife::openFailed, this, &frmGarminWaypoint::portOpenFailed);
    connect(m_port, &PortLife::closed, this, &frmGarminWaypoint::portClosed, Qt::QueuedConnection);
    connect(m_port, &PortLife::ended, this, &frmGarminWaypoint::portEnded, Qt::QueuedConnection);
}

frmGarminWaypoint::~frmGarminWaypoint() = default;

void frmGarminWaypoint::createControls()
{
    using layout::px;
    auto client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client);

    Label1 = addLabel(client, "Label1", tr("Name:"));
    txtWaypointName = addTextBox(client, "txtWaypointName");
    Label2 = addLabel(client, "Label2", tr("Latitude:"));
    txtWaypointLat = addTextBox(client, "txtWaypointLat");
    Label3 = addLabel(client, "Label3", tr("Longitude:"));
    txtWaypointLon = addTextBox(client, "txtWaypointLon");
    cboLatHemisphere = addHemisphere(client, "cboLatHemisphere", tr("Latitude hemisphere"), u'N',
                                     u'S', m_choices.latitudeHemisphere());
    cboLonHemisphere = addHemisphere(client, "cboLonHemisphere", tr("Longitude hemisphere"), u'E',
                                     u'W', m_choices.longitudeHemisphere());
    Label4 = addLabel(client, "Label4", tr("Waypoint String:"));
    txtGeneratedString = addTextBox(client, "txtGeneratedString");
    lblReceiverReads =
        new ReceiverReadingLine({txtWaypointName, txtWaypointLat, cboLatHemisphere, txtWaypointLon,
                                 cboLonHemisphere, txtGeneratedString},
                                client);

    // The drawn margins, gaps and widths at 96 dpi are minimums: a larger font widens its column
    // or row, and the input boxes share whatever room the window gains.
    auto grid = new QGridLayout(client);
    grid->setContentsMargins(px(120), px(120), px(6450 - 6375), px(1200 - 1125));
    grid->setSpacing(0);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txtWaypointName, 0, 1);
    grid->addWidget(Label2, 0, 3);
    grid->addLayout(boxWithHemisphere(txtWaypointLat, cboLatHemisphere), 0, 4);
    grid->addWidget(Label3, 0, 6);
    grid->addLayout(boxWithHemisphere(txtWaypointLon, cboLonHemisphere), 0, 7);
    grid->addWidget(Label4, 2, 0, 1, 8);
    grid->addWidget(txtGeneratedString, 3, 0, 1, 8);
    grid->addWidget(lblReceiverReads, 5, 0, 1, 8);
    // A caption has its column, up to where its box begins, and is shown whole a space before
    // the box: "Name:" was drawn 615 twips wide, over the first pixel of its box.
    grid->setColumnMinimumWidth(0, px(720 - 120));
    grid->setColumnMinimumWidth(2, px(2040 - 1935));
    grid->setColumnMinimumWidth(3, px(2880 - 2040));
    grid->setColumnMinimumWidth(5, px(4200 - 4095));
    grid->setColumnMinimumWidth(6, px(5160 - 4200));
    for (const int column : {1, 4, 7})
        grid->setColumnStretch(column, 1);
    grid->setRowMinimumHeight(1, px(600 - 405));
    grid->setRowMinimumHeight(2, px(840 - 600));
    grid->setRowMinimumHeight(4, px(120));
    grid->setRowStretch(6, 1);

    // A hand-edited string would carry a stale checksum; it can still be selected and copied.
    txtGeneratedString->setReadOnly(true);

    // Screen readers announce each box by its label.
    Label1->setBuddy(txtWaypointName);
    Label2->setBuddy(txtWaypointLat);
    Label3->setBuddy(txtWaypointLon);
    Label4->setBuddy(txtGeneratedString);

    setTabOrder(txtWaypointName, txtWaypointLat);
    setTabOrder(txtWaypointLat, cboLatHemisphere);
    setTabOrder(cboLatHemisphere, txtWaypointLon);
    setTabOrder(txtWaypointLon, cboLonHemisphere);
    setTabOrder(cboLonHemisphere, txtGeneratedString);
    txtWaypointName->setFocus();

    connect(cboLatHemisphere, &QComboBox::currentTextChanged, this,
            [this](const QString &letter) { m_choices.setLatitudeHemisphere(letter.front()); });
    connect(cboLonHemisphere, &QComboBox::currentTextChanged, this,
            [this](const QString &letter) { m_choices.setLongitudeHemisphere(letter.front()); });

    fitToFont();
}

void frmGarminWaypoint::fitToFont()
{
    for (QLabel *label : {Label1, Label2, Label3, Label4}) {
        label->setFont(layout::captionFont());
        // A space between a caption and its box, whatever the caption's width.
        label->setContentsMargins(0, 0, label->fontMetrics().horizontalAdvance(u' '), 0);
    }
    const std::pair<QLineEdit *, QString> inputs[] = {{txtWaypointName, longestName},
                                                      {txtWaypointLat, longestLatitude},
                                                      {txtWaypointLon, longestLongitude}};
    for (const auto &[box, longest] : inputs)
        box->setMinimumWidth(qMax(layout::px(1215), layout::textBoxWidth(box, longest)));
    for (QLineEdit *box : {txtWaypointName, txtWaypointLat, txtWaypointLon, txtGeneratedString})
        box->setFixedHeight(qMax(layout::px(285), layout::textBoxHeight(box)));
    // Level with the boxes, so that the row keeps its drawn height.
    for (QComboBox *hemisphere : {cboLatHemisphere, cboLonHemisphere})
        hemisphere->setFixedHeight(txtWaypointLat->minimumHeight());
}

void frmGarminWaypoint::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        fitToFont();
    QMainWindow::changeEvent(event);
}

void frmGarminWaypoint::createMenus()
{
    mnuProgram = menuBar()->addMenu(tr("&Program"));
    mnuProgram->setObjectName(QStringLiteral("mnuProgram"));
    mnuChoosePort = addItem(mnuProgram, "mnuChoosePort", tr("&Choose Port..."));
    mnuOpenPort = addItem(mnuProgram, "mnuOpenPort", tr("&Open Port"));
    mnuHelp = addItem(mnuProgram, "mnuHelp", tr("&Help"));
    mnuAbout = addItem(mnuProgram, "mnuAbout", tr("&About"));
    mnuQuit = addItem(mnuProgram, "mnuQuit", tr("&Quit"));

    mnuWaypoint = menuBar()->addMenu(tr("&Waypoint"));
    mnuWaypoint->setObjectName(QStringLiteral("mnuWaypoint"));
    mnuEnterPosition = addItem(mnuWaypoint, "mnuEnterPosition", tr("Enter &Position..."));
    mnuMakeString = addItem(mnuWaypoint, "mnuMakeString", tr("&Make String"));
    mnuSendString = addItem(mnuWaypoint, "mnuSendString", tr("&Send String"));
    mnuSave = addItem(mnuWaypoint, "mnuSave", tr("&Save String"));
    mnuSendFile = addItem(mnuWaypoint, "mnuSendFile", tr("Send &File..."));

    connect(mnuChoosePort, &QAction::triggered, this, &frmGarminWaypoint::mnuChoosePort_Click);
    connect(mnuOpenPort, &QAction::triggered, this, &frmGarminWaypoint::mnuOpenPort_Click);
    connect(mnuHelp, &QAction::triggered, this, &frmGarminWaypoint::mnuHelp_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmGarminWaypoint::mnuAbout_Click);
    connect(mnuQuit, &QAction::triggered, this, &frmGarminWaypoint::mnuQuit_Click);
    connect(mnuEnterPosition, &QAction::triggered, this,
            &frmGarminWaypoint::mnuEnterPosition_Click);
    connect(mnuMakeString, &QAction::triggered, this, &frmGarminWaypoint::mnuMakeString_Click);
    connect(mnuSendString, &QAction::triggered, this, &frmGarminWaypoint::mnuSendString_Click);
    connect(mnuSave, &QAction::triggered, this, &frmGarminWaypoint::mnuSave_Click);
    connect(mnuSendFile, &QAction::triggered, this, &frmGarminWaypoint::mnuSendFile_Click);
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

void frmGarminWaypoint::mnuChoosePort_Click()
{
    // Window-modal, so there is only ever one, and the window waits for it without a loop of
    // its own.
    auto choose =
        new frmChoosePort(shownPortName(m_port->chosenPortName()), m_port->baudRate(), this);
    choose->setAttribute(Qt::WA_DeleteOnClose);
    // Queued: the port moves once the dialog has gone, not from inside its key press.
    connect(choose, &frmChoosePort::portChosen, this, &frmGarminWaypoint::usePort,
            Qt::QueuedConnection);
    choose->open();
}

void frmGarminWaypoint::usePort(const QString &portName, qint32 baudRate)
{
    // The port chosen last, taken again as shown, keeps the name the system gave it.
    const platform::NativeName chosen = m_port->chosenPortName();
    const platform::NativeName name =
        portName == shownPortName(chosen) ? chosen : platform::NativeName(portName);
    // Settings keep text: a name that no text stands for holds for this run only.
    if (const std::optional<QString> text = name.toText())
        m_choices.setPortName(*text);
    m_choices.setBaudRate(baudRate);
    // Chosen first: a port left for another closes at the speed it has.
    m_port->choose(name);
    m_port->setBaudRate(baudRate);
}

void frmGarminWaypoint::mnuOpenPort_Click()
{
    if (m_port->isOpen() || m_port->isOpening()) {
        m_services.message(this, tr("Port Already Open!"));
        return;
    }
    m_port->open();
}

void frmGarminWaypoint::portOpenFailed(const QString &portName, const QString &reason,
                                       PortProblem problem, const PortGroup &group)
{
    if (const QString host = shownHostAndPort(portName); !host.isEmpty()) {
        m_services.message(this, tr("Pindrel could not connect to %1.\n\n%2").arg(host, reason));
        return;
    }
    if (isNetworkName(portName)) {
        m_services.message(
            this, tr("%1 is not a network address Pindrel can use.\n\n%2").arg(portName, reason));
        return;
    }
    if (m_port->speedWasRefused()) {
        m_services.message(this, tr("The serial port %1 does not take the speed %2 baud, and "
                                    "has not been opened.\n\n%3\n\nChoose another speed with "
                                    "Program → Choose Port.")
                                     .arg(portName)
                                     .arg(m_port->baudRate())
                                     .arg(reason));
        return;
    }
    QString text = tr("The serial port %1 could not be opened.\n\n%2").arg(portName, reason);
    const QString advice = ui::portAdvice(portName, problem, group, presentSerialPorts());
    if (!advice.isEmpty())
        text += QLatin1String("\n\n") + advice;
    m_services.message(this, text);
}

void frmGarminWaypoint::mnuHelp_Click()
{
    showOnlyOne(m_help);
}

void frmGarminWaypoint::mnuAbout_Click()
{
    showOnlyOne(m_about);
}

void frmGarminWaypoint::mnuEnterPosition_Click()
{
    // Window-modal, as Choose Port is: one at a time, and no loop of its own.
    auto enter = new frmEnterPosition(this);
    enter->setAttribute(Qt::WA_DeleteOnClose);
    // The hemisphere choices are remembered as when the user picks them.
    connect(enter, &frmEnterPosition::positionChosen, this,
            [this](const position::ReceiverForm &form) {
                txtWaypointLat->setText(form.latitude);
                cboLatHemisphere->setCurrentText(form.latitudeHemisphere);
                txtWaypointLon->setText(form.longitude);
                cboLonHemisphere->setCurrentText(form.longitudeHemisphere);
            });
    enter->open();
}

void frmGarminWaypoint::mnuMakeString_Click()
{
    const auto waypointString = sentence::makeWaypointString(
        txtWaypointName->text(), txtWaypointLat->text(), txtWaypointLon->text(),
        cboLatHemisphere->currentText().front(), cboLonHemisphere->currentText().front());
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
    if (!m_port->send(platform::toEightBit(txtGeneratedString->text())))
        m_services.message(this, tr("Port Not Open!"));
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

void frmGarminWaypoint::mnuSendFile_Click()
{
    const QString filePath =
        m_services.chooseWaypointFile
            ? m_services.chooseWaypointFile(this)
            : QFileDialog::getOpenFileName(this, tr("Send File"), QString(),
                                           tr("Waypoint files (*.gpx *.csv *.txt *.nmea *.wpl);;"
                                              "All files (*)"));
    if (!filePath.isEmpty())
        openWaypointFile(filePath);
}

void frmGarminWaypoint::openWaypointFile(const QString &filePath)
{
    const QString absolute = QFileInfo(filePath).absoluteFilePath();
    std::erase_if(m_waypointFiles, [](const QPointer<frmWaypointFile> &window) { return !window; });
    for (const QPointer<frmWaypointFile> &window : m_waypointFiles) {
        if (window->filePath() == absolute) {
            window->show();
            window->raise();
            window->activateWindow();
            return;
        }
    }
    // A window of its own that goes with this one, as the port and the log it uses do.
    auto window = new frmWaypointFile(absolute, *m_port, m_log, m_choices, m_services, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_waypointFiles.emplace_back(window);
    window->show();
}

void frmGarminWaypoint::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void frmGarminWaypoint::dropEvent(QDropEvent *event)
{
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            openWaypointFile(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void frmGarminWaypoint::stopWaypointSends()
{
    QStringList told;
    for (const QPointer<frmWaypointFile> &window : m_waypointFiles) {
        if (!window)
            continue;
        if (const qsizetype unsent = window->stopSending(); unsent > 0) {
            told << tr("%n waypoint(s) from %1 were not sent.", nullptr, int(unsent))
                        .arg(QFileInfo(window->filePath()).fileName());
        }
    }
    if (!told.isEmpty())
        m_services.message(this, told.join(u'\n'));
}

void frmGarminWaypoint::mnuQuit_Click()
{
    end(Ending::WindowAndLog);
}

void frmGarminWaypoint::endProgram()
{
    end(Ending::Everything);
}

void frmGarminWaypoint::end(Ending ending)
{
    stopWaypointSends();
    m_ending = qMax(m_ending.value_or(ending), ending);
    m_port->quit();
}

void frmGarminWaypoint::closeEvent(QCloseEvent *event)
{
    // The window goes once the port has closed for good; the log stays open until the program
    // ends.
    if (m_port->isOpen() || m_port->isOpening()) {
        event->ignore();
        end(Ending::Window);
        return;
    }
    // The lists of files send through this window's port and save to its log: they go with it.
    for (const QPointer<frmWaypointFile> &window : m_waypointFiles) {
        if (window)
            window->close();
    }
    QMainWindow::closeEvent(event);
}

void frmGarminWaypoint::portEnded()
{
    const Ending ending = m_ending.value_or(Ending::Window);
    if (ending != Ending::Window)
        m_log.close();
    close();
    if (ending == Ending::Everything && m_help)
        m_help->close();
    if (ending == Ending::Everything && m_about)
        m_about->close();
}

void frmGarminWaypoint::portFailed(const QString &portName, const QString &reason, qint64 unsent)
{
    if (const QString host = shownHostAndPort(portName); !host.isEmpty()) {
        m_services.message(this, tr("The connection to %1 stopped working and has been closed: "
                                    "the last %n byte(s) did not go out.\n\n%2",
                                    nullptr, int(unsent))
                                     .arg(host, reason));
        return;
    }
    m_services.message(
        this,
        tr("The serial port %1 stopped working and has been closed.\n\n%2").arg(portName, reason));
}

void frmGarminWaypoint::portClosed(const QString &portName, qint64 unsent, const QString &failure)
{
    // An end asked from outside (a signal, the session's end) has no one left to dismiss a
    // message, which would keep the program from ending: it is only logged.
    const auto tell = [this](const QString &text) {
        if (m_ending == Ending::Everything)
            qWarning("%s", qUtf8Printable(text));
        else
            m_services.message(this, text);
    };
    // A network link's count is always known.
    const QString host = shownHostAndPort(portName);
    if (!host.isEmpty() && !failure.isEmpty()) {
        tell(tr("The connection to %1 stopped working while Pindrel was "
                "waiting for it to send, and has been closed: the last %n "
                "byte(s) did not go out.\n\n%2",
                nullptr, int(unsent))
                 .arg(host, failure));
        return;
    }
    if (!host.isEmpty() && unsent > 0) {
        tell(tr("The connection to %1 was closed before everything had been "
                "sent: the last %n byte(s) did not go out.",
                nullptr, int(unsent))
                 .arg(host));
        return;
    }
    if (!failure.isEmpty() && unsent == GpsLink::unknownCount) {
        tell(tr("The serial port %1 stopped working while Pindrel was "
                "waiting for it to send, and has been closed: the last "
                "bytes did not go out, and the system would not say how "
                "many.\n\n%2")
                 .arg(portName, failure));
    } else if (!failure.isEmpty()) {
        tell(tr("The serial port %1 stopped working while Pindrel was "
                "waiting for it to send, and has been closed: the last %n "
                "byte(s) did not go out.\n\n%2",
                nullptr, int(unsent))
                 .arg(portName, failure));
    } else if (unsent == GpsLink::unknownCount) {
        tell(tr("The serial port %1 was closed before everything had been "
                "sent: the last bytes did not go out, and the system would "
                "not say how many.")
                 .arg(portName));
    } else if (unsent > 0) {
        tell(tr("The serial port %1 was closed before everything had been "
                "sent: the last %n byte(s) did not go out.",
                nullptr, int(unsent))
                 .arg(portName));
    }
}
