#pragma once

#include <QProgressDialog>

class GpsLink;

// Shown while the main window waits at its close for bytes still going out to the receiver,
// when that takes longer than about a second: how much is left, and Cancel (or Escape) to give
// up.
class frmClosingPort : public QProgressDialog
{
    Q_OBJECT

public:
    // Closes the link once what was sent has gone, keeping the event loop running meanwhile,
    // and returns how many bytes were not sent.
    static qint64 closeWhenSent(GpsLink *link, QWidget *parent);
    // "1 byte", "12 bytes".
    static QString byteCount(qint64 bytes);

private:
    frmClosingPort(GpsLink *link, qint64 pending, QWidget *parent);
    void showLeft(qint64 bytesLeft);

    GpsLink *m_link;
    qint64 m_pending;
};
