#include "ui/frmclosingport.h"

#include "gps_link/portlife.h"
#include "platform/messagebox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Waits shorter than this close without a window.
constexpr int quietMs = 1000;
// Often enough to see it move, seldom enough to read.
constexpr int refreshMs = 250;
constexpr int barSteps = 1000;

QString sendingText(const QString &portName, qint64 bytes, qint64 ms)
{
    const int seconds = int((ms + 999) / 1000);
    const int n = int(bytes);
    if (seconds < 60) {
        return frmClosingPort::tr("Sending to the receiver on %1 before closing.\n"
                                  "%n byte(s) left, about %2 s.",
                                  nullptr, n)
            .arg(portName, QString::number(seconds));
    }
    return frmClosingPort::tr("Sending to the receiver on %1 before closing.\n"
                              "%n byte(s) left, about %2 min %3 s.",
                              nullptr, n)
        .arg(portName, QString::number(seconds / 60), QString::number(seconds % 60));
}

} // namespace

frmClosingPort::frmClosingPort(PortLife *port, QWidget *parent)
    : QDialog(parent), m_port(port), m_text(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_showLater(new QTimer(this)), m_refresh(new QTimer(this))
{
    setObjectName(QStringLiteral("frmClosingPort"));
    setWindowTitle(QString::fromLatin1(platform::applicationTitle));
    setWindowModality(Qt::WindowModal);
    m_bar->setRange(0, barSteps);
    m_bar->setTextVisible(false);
    auto buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &frmClosingPort::reject);
    auto column = new QVBoxLayout(this);
    column->addWidget(m_text);
    column->addWidget(m_bar);
    column->addWidget(buttons);

    m_showLater->setSingleShot(true);
    m_showLater->setInterval(quietMs);
    connect(m_showLater, &QTimer::timeout, this, [this] {
        refresh();
        show();
    });
    m_refresh->setInterval(refreshMs);
    connect(m_refresh, &QTimer::timeout, this, &frmClosingPort::refresh);
    connect(port, &PortLife::closing, this, &frmClosingPort::begin);
    // Direct: gone before anything the close leads to is shown.
    connect(port, &PortLife::closed, this, &frmClosingPort::finish);
}

void frmClosingPort::reject()
{
    // Escape and the close box give up as Cancel does; the window goes with the close.
    m_port->giveUp();
}

void frmClosingPort::begin()
{
    m_pending = qMax<qint64>(m_port->bytesToSend(), 1);
    m_showLater->start();
    m_refresh->start();
}

void frmClosingPort::finish()
{
    m_showLater->stop();
    m_refresh->stop();
    hide();
}

void frmClosingPort::refresh()
{
    const qint64 left = m_port->bytesToSend();
    m_pending = qMax(m_pending, left);
    // The network takes bytes as fast as the far end reads them: there is no time to tell.
    if (m_port->isNetwork()) {
        m_text->setText(tr("Sending to %1 before closing.\n%n byte(s) left.", nullptr, int(left))
                            .arg(m_port->hostAndPort()));
    } else {
        m_text->setText(sendingText(m_port->shownPortName(), left, m_port->wireMs(left)));
    }
    m_bar->setValue(int(barSteps - left * barSteps / m_pending));
}
