#pragma once

#include <QProgressDialog>

class GpsLink;

// "Connecting to HOST:PORT...", shown over the main window while a network link is being made,
// once that has taken a moment, with Cancel (or Escape) to stop. It goes when the link has
// been made or has failed.
class frmConnecting : public QProgressDialog
{
    Q_OBJECT

public:
    frmConnecting(GpsLink *link, QWidget *parent);
};
