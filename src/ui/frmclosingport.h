#pragma once

#include <QDialog>

class PortLife;
class QLabel;
class QProgressBar;
class QTimer;

// Shown over the main window while the port waits at its close for bytes still going out to
// the receiver, once that has taken a second: how much is left, and Cancel (or Escape) to give
// up. Never shown once the port has closed. A plain dialog rather than a QProgressDialog,
// whose setValue() runs the event loop and whose timer shows it again after hide().
class frmClosingPort : public QDialog
{
    Q_OBJECT

public:
    frmClosingPort(PortLife *port, QWidget *parent);

    void reject() override;

private:
    void begin();
    void finish();
    void refresh();

    PortLife *m_port;
    QLabel *m_text;
    QProgressBar *m_bar;
    QTimer *m_showLater;
    QTimer *m_refresh;
    // What there was to send when the close began, or more if more came since.
    qint64 m_pending = 1;
};
