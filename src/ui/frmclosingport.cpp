#include "ui/frmclosingport.h"

#include "gps_link/gpslink.h"
#include "platform/messagebox.h"

#include <QEventLoop>
#include <QTimer>

#include <limits>

namespace {

// Waits shorter than this close without a window.
constexpr int quietMs = 1000;

QString duration(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    if (seconds < 60)
        return frmClosingPort::tr("%1 s").arg(seconds);
    return frmClosingPort::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

} // namespace

QString frmClosingPort::byteCount(qint64 bytes)
{
    return bytes == 1 ? tr("1 byte") : tr("%1 bytes").arg(bytes);
}

qint64 frmClosingPort::closeWhenSent(GpsLink *link, QWidget *parent)
{
    const qint64 pending = link->bytesToSend();
    frmClosingPort progress(link, pending, parent);
    QEventLoop loop;
    bool closed = false;
    qint64 unsent = 0;
    connect(link, &GpsLink::closed, &loop, [&](qint64 bytes) {
        closed = true;
        unsent = bytes;
        loop.quit();
    });
    // At once when the bytes will take a while; otherwise only if the wait overstays.
    QTimer::singleShot(GpsLink::transmitMs(pending) > quietMs ? 0 : quietMs, &progress,
                       [&progress] { progress.show(); });
    link->closeWhenSent();
    if (!closed)
        loop.exec();
    return unsent;
}

frmClosingPort::frmClosingPort(GpsLink *link, qint64 pending, QWidget *parent)
    : QProgressDialog(parent), m_link(link), m_pending(qMax<qint64>(pending, 1))
{
    setObjectName(QStringLiteral("frmClosingPort"));
    setWindowTitle(QString::fromLatin1(platform::applicationTitle));
    setWindowModality(Qt::WindowModal);
    // Shown when closeWhenSent() says, never by the dialog's own guess.
    setMinimumDuration(std::numeric_limits<int>::max());
    setAutoClose(false);
    setAutoReset(false);
    setCancelButtonText(tr("Cancel"));
    setRange(0, 1000);
    showLeft(pending);
    connect(link, &GpsLink::sending, this, &frmClosingPort::showLeft);
    connect(this, &QProgressDialog::canceled, link, &GpsLink::giveUp);
}

void frmClosingPort::showLeft(qint64 bytesLeft)
{
    setLabelText(tr("Sending to the receiver on %1 before closing.\n%2 left, about %3.")
                     .arg(m_link->portName(), byteCount(bytesLeft),
                          duration(GpsLink::transmitMs(bytesLeft))));
    setValue(int(1000 - qMin(bytesLeft, m_pending) * 1000 / m_pending));
}
