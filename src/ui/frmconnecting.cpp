#include "ui/frmconnecting.h"

#include "gps_link/portlife.h"
#include "platform/messagebox.h"

namespace {

// A connection made sooner than this, as on a local network, shows no window; nor does a
// serial port that opens within a second, as every working one does.
constexpr int quietNetworkMs = 500;
constexpr int quietSerialMs = 1000;

} // namespace

frmConnecting::frmConnecting(PortLife *port, QWidget *parent) : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("frmConnecting"));
    setWindowTitle(QString::fromLatin1(platform::applicationTitle));
    setWindowModality(Qt::WindowModal);
    if (port->isNetwork())
        setLabelText(tr("Connecting to %1...").arg(port->hostAndPort()));
    else
        setLabelText(tr("Opening %1...").arg(port->shownPortName()));
    setCancelButtonText(tr("Cancel"));
    setAutoClose(false);
    setAutoReset(false);
    // No steps to count: the bar only shows that Pindrel is waiting.
    setRange(0, 0);
    setMinimumDuration(port->isNetwork() ? quietNetworkMs : quietSerialMs);
    setValue(0);
    connect(this, &QProgressDialog::canceled, port, &PortLife::cancelOpen);
    // The timer that would show it later stops with it.
    const auto done = [this] {
        hide();
        deleteLater();
    };
    connect(port, &PortLife::opened, this, done);
    connect(port, &PortLife::stateChanged, this, done);
}
