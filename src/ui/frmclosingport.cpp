#include "ui/frmclosingport.h"

#include "gps_link/gpslink.h"
#include "platform/messagebox.h"

namespace {

// Waits shorter than this close without a window.
constexpr int quietMs = 1000;

QString sendingText(const GpsLink *link, qint64 bytes)
{
    const QString portName = link->shownPortName();
    const int n = int(bytes);
    // The network takes bytes as fast as the far end reads them: there is no time to tell.
    if (link->isNetwork()) {
        return frmClosingPort::tr("Sending to %1 before closing.\n%n byte(s) left.", nullptr, n)
            .arg(link->hostAndPort());
    }
    const qint64 ms = link->lineMs(bytes);
    const int seconds = int((ms + 999) / 1000);
    if (seconds < 60) {
        return frmClosingPort::tr("Sending to the receiver on %1 before closing.\n"
                                  "%n byte(s) left, about %2 s.",
                                  nullptr, n)
            .arg(portName)
            .arg(seconds);
    }
    return frmClosingPort::tr("Sending to the receiver on %1 before closing.\n"
                              "%n byte(s) left, about %2 min %3 s.",
                              nullptr, n)
        .arg(portName)
        .arg(seconds / 60)
        .arg(seconds % 60);
}

} // namespace

frmClosingPort::frmClosingPort(GpsLink *link, QWidget *parent)
    : QProgressDialog(parent), m_link(link), m_pending(qMax<qint64>(link->bytesToSend(), 1))
{
    setObjectName(QStringLiteral("frmClosingPort"));
    setWindowTitle(QString::fromLatin1(platform::applicationTitle));
    setWindowModality(Qt::WindowModal);
    setMinimumDuration(quietMs);
    setAutoClose(false);
    setAutoReset(false);
    setCancelButtonText(tr("Cancel"));
    setRange(0, 1000);
    showLeft(link->bytesToSend());
    connect(link, &GpsLink::sending, this, &frmClosingPort::showLeft);
    connect(this, &QProgressDialog::canceled, link, &GpsLink::giveUp);
    // Gone before anything the close leads to is shown.
    connect(link, &GpsLink::closed, this, [this] {
        hide();
        deleteLater();
    });
}

void frmClosingPort::showLeft(qint64 bytesLeft)
{
    setLabelText(sendingText(m_link, bytesLeft));
    setValue(int(1000 - qMin(bytesLeft, m_pending) * 1000 / m_pending));
}
