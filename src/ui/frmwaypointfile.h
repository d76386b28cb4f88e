#pragma once

#include "ui/services.h"
#include "waypoint_file/pacedsender.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QThread;
class QTimer;
class PortLife;
class RememberedChoices;
class WaypointListModel;
class WaypointLog;

// The waypoints of one file, "Waypoints - NAME": read on a thread of their own, shown one row
// each, sent paced through the program's link or saved to its log. The main window stays usable
// while it reads and sends.
class frmWaypointFile : public QWidget
{
    Q_OBJECT

public:
    // Starts reading the file at once; the window shows its progress and can cancel it.
    // The port, the log and the choices are the main window's, which outlives this one.
    frmWaypointFile(const QString &filePath, PortLife &port, WaypointLog &log,
                    RememberedChoices &choices, Services services, QWidget *parent = nullptr);
    ~frmWaypointFile() override;

    QString filePath() const { return m_filePath; }
    // From the start until what was read is shown, or told.
    bool isReading() const;
    bool isSending() const;
    // Stops a send before its next sentence; what has been handed over still goes out. Returns
    // how many waypoints were not sent.
    qsizetype stopSending();

    WaypointListModel *model() const { return m_model; }

public slots:
    void cmdSend_Click();
    void cmdSave_Click();
    void cmdCancel_Click();

signals:
    // The file has been read; `readable` is false when it has been told why not.
    void loaded(bool readable);
    void sendFinished(waypointfile::PacedSender::Outcome outcome);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Reading;
    class Link;

    void createControls();
    void readingDone();
    void showProgress();
    void sendDone(waypointfile::PacedSender::Outcome outcome, qsizetype sent, qsizetype total);
    void setBusy(bool busy);

    QString m_filePath;
    PortLife &m_port;
    WaypointLog &m_log;
    Services m_services;
    RememberedChoices &m_choices;
    std::unique_ptr<Link> m_pacedLink;
    waypointfile::PacedSender *m_sender;
    std::shared_ptr<Reading> m_reading;
    QThread *m_thread = nullptr;
    // Until the thread's result has been taken in.
    bool m_readingDone = false;
    QTimer *m_progressTimer;

    WaypointListModel *m_model;
    QTableView *m_table = nullptr;
    QSpinBox *m_nameLength = nullptr;
    QSpinBox *m_pause = nullptr;
    QCheckBox *m_twice = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_leftOut = nullptr;
};
