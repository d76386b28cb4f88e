#pragma once

#include "gps_link/portaccess.h"
#include "ui/rememberedchoices.h"
#include "ui/services.h"
#include "waypoint_log/waypointlog.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

class PortLife;
class frmClosingPort;
class QAction;
class QComboBox;
class frmWaypointAbout;
class frmWaypointFile;
class frmWaypointHelp;
class QLabel;
class QLineEdit;
class QMenu;
class ReceiverReadingLine;

// The main window. Each command reads its boxes, hands them to one library call and shows what
// comes back; the window works out nothing itself.
class frmGarminWaypoint : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmGarminWaypoint(Services services = {}, QWidget *parent = nullptr);
    ~frmGarminWaypoint() override;

    // Runs before the window is first shown: opens the log. False, once the user has been told,
    // when the program cannot go on.
    bool Form_Load();

    // Shows the waypoints of a GPX, CSV or NMEA file in a window of their own, ready to send;
    // raises that window when the file is open already.
    void openWaypointFile(const QString &filePath);

public slots:
    void mnuChoosePort_Click();
    void mnuOpenPort_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void mnuEnterPosition_Click();
    void mnuMakeString_Click();
    void mnuSendString_Click();
    void mnuSave_Click();
    void mnuSendFile_Click();
    void mnuQuit_Click();
    // As Quit, and the Help and About windows close too: the program ends.
    void endProgram();

protected:
    // The port goes before the window, by Quit or by the close box alike.
    void closeEvent(QCloseEvent *event) override;
    // Sizes follow the font, so a desktop font changed at run time is followed too.
    void changeEvent(QEvent *event) override;
    // A file of waypoints dropped on the window opens as Send File opens it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createControls();
    void createMenus();
    void fitToFont();

    // Stops the sends of waypoint files before their next waypoint, and tells what was not sent.
    void stopWaypointSends();
    void connectPort();
    void portClosed(const QString &portName, qint64 unsent, const QString &failure);
    void portOpenFailed(const QString &portName, const QString &reason, PortProblem problem,
                        const PortGroup &group);
    void portEnded();
    void portFailed(const QString &portName, const QString &reason, qint64 unsent);
    // How far the window goes once the port has closed for good: itself (the close box), the log
    // too (Quit), or every window of the program.
    enum class Ending
    {
        Window,
        WindowAndLog,
        Everything,
    };
    void end(Ending ending);
    // Moves the link to the port at the speed: an open port is closed as Quit closes it, and
    // the new one opened in its place; the same port open takes the new speed between
    // sentences.
    void usePort(const QString &portName, qint32 baudRate);

    Services m_services;
    RememberedChoices m_choices;
    PortLife *m_port;
    frmClosingPort *m_closingPort;
    std::optional<Ending> m_ending;
    WaypointLog m_log;
    // At most one of each; they outlive this window, so it only watches them.
    QPointer<frmWaypointHelp> m_help;
    QPointer<frmWaypointAbout> m_about;
    std::vector<QPointer<frmWaypointFile>> m_waypointFiles;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *txtWaypointName = nullptr;
    QLineEdit *txtWaypointLat = nullptr;
    QLineEdit *txtWaypointLon = nullptr;
    QComboBox *cboLatHemisphere = nullptr;
    QComboBox *cboLonHemisphere = nullptr;
    QLineEdit *txtGeneratedString = nullptr;
    ReceiverReadingLine *lblReceiverReads = nullptr;

    QMenu *mnuProgram = nullptr;
    QAction *mnuChoosePort = nullptr;
    QAction *mnuOpenPort = nullptr;
    QAction *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuQuit = nullptr;
    QMenu *mnuWaypoint = nullptr;
    QAction *mnuEnterPosition = nullptr;
    QAction *mnuMakeString = nullptr;
    QAction *mnuSendString = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuSendFile = nullptr;
};
