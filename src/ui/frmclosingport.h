#pragma once

#include <QProgressDialog>

class GpsLink;

// Shown over the main window while it waits at its close for bytes still going out to the
// receiver, once that has taken a second: how much is left, and Cancel (or Escape) to give
// up. It goes when the link has closed.
class frmClosingPort : public QProgressDialog
{
    Q_OBJECT

public:
    frmClosingPort(GpsLink *link, QWidget *parent);

private:
    void showLeft(qint64 bytesLeft);

    GpsLink *m_link;
    qint64 m_pending;
};
