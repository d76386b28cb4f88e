#include "gps_link/gpslink.h"

#include <QSerialPort>
#include <QTimer>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <sys/ioctl.h>
#endif

namespace {

// Start bit, eight data bits and one stop bit.
constexpr qint64 bitsPerByte = 10;
constexpr qint64 baudRate = 4800;
// How often a closing link looks at what is left to send.
constexpr int pollMs = 20;
// Once the queues are empty the UART may still hold a FIFO's worth (64 bytes in a 16750). Where
// the driver cannot tell when it has gone, it is given this many bytes' time.
constexpr qint64 fifoBytes = 64;

// Whatever the receiver sends is never wanted, and on POSIX a port opened for reading spins on
// read errors after a hang-up. A Windows COM port opened for writing only cannot be configured
// (Wine refuses it), so there it is opened for both, and still never read.
#ifdef Q_OS_WIN
constexpr QIODevice::OpenMode openMode = QIODevice::ReadWrite;
// What the receiver says is never read; Qt stops taking it in once this much is buffered.
constexpr qint64 unreadInputBytes = 4096;
#else
constexpr QIODevice::OpenMode openMode = QIODevice::WriteOnly;
#endif

} // namespace

qint64 GpsLink::transmitMs(qint64 bytes)
{
    return bytes * bitsPerByte * 1000 / baudRate;
}

GpsLink::GpsLink(QString portName, QObject *parent)
    : QObject(parent), m_portName(std::move(portName)), m_port(new QSerialPort(this)),
      m_closing(new QTimer(this))
{
    m_closing->setInterval(pollMs);
    connect(m_closing, &QTimer::timeout, this, &GpsLink::pollClosing);
    m_port->setObjectName(QStringLiteral("MSComm1"));
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // Timeouts come from our own bounded waits and are not failures of the port.
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            fail(m_port->errorString());
    });
}

GpsLink::~GpsLink()
{
    // The window closes the link before it goes; only a program that is failing gets here.
    if (m_port->isOpen()) {
        m_port->clear(QSerialPort::Output);
        m_port->close();
    }
}

QString GpsLink::firstSerialPortName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM1");
#else
    return QStringLiteral("/dev/ttyS0");
#endif
}

void GpsLink::setPortName(const QString &portName)
{
    Q_ASSERT(!isOpen());
    m_portName = portName;
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
#ifdef Q_OS_WIN
    m_port->setReadBufferSize(unreadInputBytes);
#endif
    if (m_port->open(openMode))
        return true;
    m_errorString = m_port->errorString();
    m_openProblem = m_port->error() == QSerialPort::PermissionError ? refusalProblem(m_portName)
                                                                    : PortProblem::WrongPort;
    return false;
}

void GpsLink::send(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !m_port->isOpen())
        return;
    if (m_port->write(bytes) != bytes.size())
        fail(m_port->errorString());
}

qint64 GpsLink::bytesToSend() const
{
    if (!m_port->isOpen())
        return 0;
#ifdef Q_OS_WIN
    // Qt counts the chunk it is writing until the write completes; the driver's queue holds it
    // too.
    return qMax(m_port->bytesToWrite(), systemQueuedBytes());
#else
    return m_port->bytesToWrite() + systemQueuedBytes();
#endif
}

void GpsLink::closeWhenSent()
{
    if (isClosing())
        return;
    if (!m_port->isOpen()) {
        emit closed(0);
        return;
    }
    m_closeDeadline.setRemainingTime(transmitMs(bytesToSend() + fifoBytes) + drainMarginMs);
    m_queueEmptyFor.invalidate();
    m_closing->start();
    pollClosing();
}

bool GpsLink::isClosing() const
{
    return m_closing->isActive();
}

void GpsLink::giveUp()
{
    const qint64 unsent = bytesToSend();
    if (m_port->isOpen()) {
        // clear() is tcflush(TCOFLUSH) here and PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR) on
        // Windows, and empties Qt's own buffer: close() puts back the port's old settings at
        // once, and would garble what the UART still held.
        m_port->clear(QSerialPort::Output);
        m_port->close();
    }
    finishClosing(unsent);
}

void GpsLink::pollClosing()
{
    // A port that failed meanwhile has been closed and told through failed().
    if (!m_port->isOpen()) {
        finishClosing(0);
        return;
    }
    const qint64 left = bytesToSend();
    if (left > 0)
        m_queueEmptyFor.invalidate();
    else if (!m_queueEmptyFor.isValid())
        m_queueEmptyFor.start();
    // close() puts back the old settings at once, so the UART must have sent its last byte.
    if (left == 0 && transmitterEmpty()) {
        m_port->close();
        finishClosing(0);
    } else if (m_closeDeadline.hasExpired()) {
        giveUp();
    } else {
        emit sending(left);
    }
}

void GpsLink::finishClosing(qint64 unsent)
{
    m_closing->stop();
    emit closed(unsent);
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

qint64 GpsLink::systemQueuedBytes() const
{
#ifdef Q_OS_WIN
    COMSTAT status = {};
    DWORD errors = 0;
    if (!::ClearCommError(m_port->handle(), &errors, &status))
        return 0;
    return status.cbOutQue;
#else
    int queued = 0;
    if (::ioctl(int(m_port->handle()), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
#endif
}

bool GpsLink::transmitterEmpty() const
{
    // Asked, not waited for: tcdrain() and FlushFileBuffers() can block for ever on some
    // USB adapters.
#ifdef TIOCSERGETLSR
    unsigned int lineStatus = 0;
    if (::ioctl(int(m_port->handle()), TIOCSERGETLSR, &lineStatus) == 0)
        return lineStatus & TIOCSER_TEMT;
#endif
    return m_queueEmptyFor.isValid() && m_queueEmptyFor.elapsed() >= transmitMs(fifoBytes);
}
