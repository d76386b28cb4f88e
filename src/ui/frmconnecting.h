#pragma once

#include <QProgressDialog>

class PortLife;

// "Connecting to HOST:PORT..." or "Opening PORT...", shown over the main window while a network
// link is being made or a serial port's driver takes its time to open it, once that has taken
// a moment, with Cancel (or Escape) to stop. It goes when the link has been made, has failed or
// was cancelled.
class frmConnecting : public QProgressDialog
{
    Q_OBJECT

public:
    frmConnecting(PortLife *port, QWidget *parent);
};
