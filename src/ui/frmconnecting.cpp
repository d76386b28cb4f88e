#include "ui/frmconnecting.h"

#include "gps_link/portlife.h"
#include "platform/messagebox.h"

namespace {

// A connection made sooner than this, as on a local network, shows no window.
constexpr int quietMs = 500;

} // namespace

frmConnecting::frmConnecting(PortLife *port, QWidget *parent) : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("frmConnecting"));
    setWindowTitle(QString::fromLatin1(platform::applicationTitle));
    setWindowModality(Qt::WindowModal);
    setLabelText(tr("Connecting to %1...").arg(port->hostAndPort()));
    setCancelButtonText(tr("Cancel"));
    setAutoClose(false);
    setAutoReset(false);
    // No steps to count: the bar only shows that Pindrel is waiting.
    setRange(0, 0);
    setMinimumDuration(quietMs);
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
