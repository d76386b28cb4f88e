#include "gps_link/gpslink.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QThread>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace {

// Start bit, eight data bits and one stop bit.
constexpr qint64 bitsPerByte = 10;
constexpr qint64 baudRate = 4800;

// Whatever the receiver sends is never wanted, and on POSIX a port opened for reading spins on
// read errors after a hang-up. A Windows COM port opened for writing only cannot be configured
// (Wine refuses it), so there it is opened for both, and still never read.
#ifdef Q_OS_WIN
constexpr QIODevice::OpenMode openMode = QIODevice::ReadWrite;
#else
constexpr QIODevice::OpenMode openMode = QIODevice::WriteOnly;
#endif

qint64 transmitMs(qint64 bytes)
{
    return bytes * bitsPerByte * 1000 / baudRate;
}

} // namespace

GpsLink::GpsLink(QString portName, QObject *parent)
    : QObject(parent), m_portName(std::move(portName)), m_port(new QSerialPort(this))
{
    m_port->setObjectName(QStringLiteral("MSComm1"));
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // Timeouts come from our own bounded waits and are not failures of the port.
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            fail(m_port->errorString());
    });
}

GpsLink::~GpsLink()
{
    closeIfOpen();
}

QString GpsLink::firstSerialPortName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM1");
#else
    return QStringLiteral("/dev/ttyS0");
#endif
}

bool GpsLink::isOpen() const
{
    return m_port->isOpen();
}

bool GpsLink::open()
{
    m_port->setPortName(m_portName);
    m_port->setBaudRate(QSerialPort::Baud4800);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
    if (m_port->open(openMode))
        return true;
    m_errorString = m_port->errorString();
    return false;
}

void GpsLink::send(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !m_port->isOpen())
        return;
    if (m_port->write(bytes) != bytes.size())
        fail(m_port->errorString());
}

void GpsLink::closeIfOpen()
{
    if (!m_port->isOpen())
        return;
    // close() throws away whatever is still queued, so let it go out first.
    const qint64 pending = m_port->bytesToWrite() + kernelQueuedBytes();
    const QDeadlineTimer deadline(transmitMs(pending) + drainMarginMs);
    while (m_port->isOpen() && m_port->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_port->waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    if (!m_port->isOpen())
        return;
    // close() puts back the settings the port had before, at once: the tail of a sentence
    // still in the UART would go out at the old speed.
    while (kernelQueuedBytes() > 0 && !deadline.hasExpired())
        QThread::msleep(10);
    if (!deadline.hasExpired())
        drainLine();
    m_port->close();
}

void GpsLink::fail(const QString &reason)
{
    // Closing at once stops the storm of errors that a dead port raises on every pass of the
    // event loop; a port that is already closed has been reported.
    if (!m_port->isOpen())
        return;
    m_errorString = reason;
    m_port->close();
    emit failed(reason);
}

qint64 GpsLink::kernelQueuedBytes() const
{
#ifdef Q_OS_WIN
    return 0;
#else
    int queued = 0;
    if (::ioctl(int(m_port->handle()), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
#endif
}

void GpsLink::drainLine()
{
#ifdef Q_OS_WIN
    ::FlushFileBuffers(m_port->handle());
#else
    ::tcdrain(int(m_port->handle()));
#endif
}
