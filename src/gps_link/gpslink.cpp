#include "gps_link/gpslink.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

// Start bit, eight data bits and one stop bit.
constexpr qint64 bitsPerByte = 10;
// How often a closing link looks at its deadline.
constexpr int deadlineCheckMs = 20;
// How long the link's end waits for its drain's thread, which a purged line lets go at once.
constexpr unsigned long drainJoinMs = 2000;
// How often the backlog is read again while the system's queue empties.
constexpr int publishMs = 50;

// Whatever the receiver sends is never wanted, and on POSIX a port opened for reading spins on
// read errors after a hang-up. A Windows COM port opened for writing only cannot be configured
// (Wine refuses it), so there it is opened for both, and still never read.
#ifdef Q_OS_WIN
constexpr QIODevice::OpenMode openMode = QIODevice::ReadWrite;
// What the receiver says is never read; Qt stops taking it in once this much is buffered.
constexpr qint64 unreadInputBytes = 4096;
using LineHandle = HANDLE;
const LineHandle noLine = INVALID_HANDLE_VALUE;
#else
constexpr QIODevice::OpenMode openMode = QIODevice::WriteOnly;
using LineHandle = int;
constexpr LineHandle noLine = -1;
#endif

// A handle of the drain's own: the port may be closed, and its handle reused, while the drain
// still waits on the line.
LineHandle duplicate(LineHandle handle)
{
#ifdef Q_OS_WIN
    HANDLE copy = INVALID_HANDLE_VALUE;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, handle, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return noLine;
    return copy;
#else
    return ::fcntl(handle, F_DUPFD_CLOEXEC, 0);
#endif
}

// A pseudo-terminal has no wire: what its far side has not read yet is in that side's hands,
// as bytes in a receiver's own buffer are, yet a purge would throw it away, and no count of it
// can be had from this side.
bool isPseudoTerminal([[maybe_unused]] LineHandle line)
{
#ifdef Q_OS_LINUX
    // Linux numbers its pseudo-terminals' far sides from 136, over eight majors.
    constexpr unsigned int firstMajor = 136;
    constexpr unsigned int majors = 8;
    struct stat status = {};
    return ::fstat(line, &status) == 0 && S_ISCHR(status.st_mode) &&
           major(status.st_rdev) - firstMajor < majors;
#else
    return false;
#endif
}

} // namespace

qint64 GpsLink::transmitMs(qint64 bytes, qint32 baudRate)
{
    return bytes * bitsPerByte * 1000 / qMax(baudRate, 1);
}

qint64 GpsLink::wireMs(qint64 bytes) const
{
    const qint32 onLine = m_port->isOpen() ? qMin(m_port->baudRate(), m_baudRate) : m_baudRate;
    return transmitMs(bytes, onLine);
}

GpsLink::GpsLink(platform::NativeName portName, QObject *parent, DrainWorker::Step drainStep)
    : QObject(parent), m_portName(std::move(portName)), m_port(new QSerialPort(this)),
      m_connectTimeout(new QTimer(this)), m_deadlineCheck(new QTimer(this)),
      m_drainThread(new QThread(this)), m_publishTimer(new QTimer(this))
{
    m_backlog.wireBaudRate = m_baudRate;
    m_publishTimer->setInterval(publishMs);
    connect(m_publishTimer, &QTimer::timeout, this, &GpsLink::publish);
    m_deadlineCheck->setInterval(deadlineCheckMs);
    connect(m_deadlineCheck, &QTimer::timeout, this, &GpsLink::pollClosing);
    m_connectTimeout->setSingleShot(true);
    m_connectTimeout->setInterval(connectTimeoutMs);
    connect(m_connectTimeout, &QTimer::timeout, this, [this] {
        delete std::exchange(m_socket, nullptr);
        m_errorString =
            tr("No connection was made within %1 seconds.").arg(connectTimeoutMs / 1000);
        emit openFailed(openFailure());
    });
    m_port->setObjectName(QStringLiteral("MSComm1"));
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // Timeouts come from our own bounded waits and are not failures of the port; a speed
        // refused on the open port leaves it working.
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError && !m_applyingSpeed)
            fail(m_port->errorString());
    });
    connect(m_port, &QSerialPort::bytesWritten, this, [this](qint64 bytes) {
        m_unconfirmed -= bytes;
        if (m_drainWaited != 0)
            m_handedOverWhileDraining = true;
        drainWhenHandedOver();
        publish();
    });

    m_drainThread->setObjectName(QStringLiteral("drain"));
    auto worker = new DrainWorker(std::move(drainStep));
    worker->moveToThread(m_drainThread);
    connect(m_drainThread, &QThread::finished, worker, &QObject::deleteLater);
    connect(this, &GpsLink::drainRequested, worker, &DrainWorker::drain);
    connect(worker, &DrainWorker::drained, this, &GpsLink::drained);
    m_drainThread->start();
}

GpsLink::~GpsLink()
{
    // The window closes the link before it goes; only a program that is failing gets here.
    // Purged, the line lets a drain in progress go.
    if (m_port->isOpen()) {
        m_port->clear(QSerialPort::Output);
        m_port->close();
    }
    m_drainThread->quit();
    // A driver that holds its drain even so must not hold the program: the thread is left to
    // the system, which ends it with the process.
    if (!m_drainThread->wait(QDeadlineTimer(drainJoinMs)))
        m_drainThread->setParent(nullptr);
}

QString GpsLink::firstSerialPortName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM1");
#else
    return QStringLiteral("/dev/ttyS0");
#endif
}

void GpsLink::setPortName(const platform::NativeName &portName)
{
    Q_ASSERT(!isOpen());
    if (isConnecting())
        cancelOpen();
    m_portName = portName;
}

bool GpsLink::isOpen() const
{
    if (m_socket)
        return m_socket->state() == QAbstractSocket::ConnectedState;
    return m_port->isOpen();
}

bool GpsLink::isNetwork() const
{
    return isNetworkName(m_portName);
}

QString GpsLink::hostAndPort() const
{
    return shownHostAndPort(shownPortName());
}

bool GpsLink::isConnecting() const
{
    return m_socket && m_socket->state() != QAbstractSocket::ConnectedState;
}

void GpsLink::setBaudRate(qint32 baudRate)
{
    m_baudRate = baudRate;
    publish();
    // A closing port closes at the speed it had; a network link has no speed.
    if (!m_port->isOpen() || m_closing)
        return;
    if (baudRate == m_port->baudRate() && !m_speedChangePending)
        return;
    m_speedChangePending = true;
    drainWhenHandedOver();
}

bool GpsLink::open()
{
    m_speedRefused = false;
    if (isNetwork())
        return openSocket();
    const ResolvedPort port = resolvePort(m_portName);
    if (port.openName.isEmpty()) {
        m_errorString = port.error;
        m_openProblem = PortProblem::WrongPort;
        return false;
    }
    m_port->setPortName(port.openName);
    // Opened at the usual speed, then set to the one chosen, so that a speed the system
    // refuses is told as such, not as a port that would not open.
    m_port->setBaudRate(defaultBaudRate);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
#ifdef Q_OS_WIN
    m_port->setReadBufferSize(unreadInputBytes);
#endif
    m_unconfirmed = 0;
    m_speedChangePending = false;
    m_heldBack.clear();
    if (!m_port->open(openMode)) {
        m_errorString = m_port->errorString();
        const bool refused = m_port->error() == QSerialPort::PermissionError;
        m_openProblem = refused ? refusalProblem(port.location) : PortProblem::WrongPort;
        m_openGroup = refused ? portGroup(port.location) : PortGroup();
        return false;
    }
    if (m_baudRate == defaultBaudRate)
        return true;
    m_applyingSpeed = true;
    const bool taken = m_port->setBaudRate(m_baudRate);
    m_applyingSpeed = false;
    if (taken)
        return true;
    m_errorString = m_port->errorString();
    m_speedRefused = true;
    m_openProblem = PortProblem::WrongPort;
    m_openGroup = PortGroup();
    m_port->close();
    return false;
}

bool GpsLink::openSocket()
{
    const std::optional<NetworkAddress> address =
        parseNetworkAddress(*m_portName.toText(), &m_errorString);
    m_openProblem = PortProblem::WrongPort;
    m_openGroup = PortGroup();
    if (!address)
        return false;
    // A UDP socket connected to its address sends each write as one datagram there; its
    // connection is the host name's lookup, so a name that does not resolve is told at Open.
    if (address->protocol == NetworkAddress::Protocol::Tcp)
        m_socket = new QTcpSocket(this);
    else
        m_socket = new QUdpSocket(this);
    connect(m_socket, &QAbstractSocket::connected, this, [this] {
        m_connectTimeout->stop();
        emit opened();
    });
    connect(m_socket, &QAbstractSocket::errorOccurred, this, &GpsLink::socketFailed);
    // A multiplexer may send its own sentences back: taken in and thrown away, never left to
    // fill the memory.
    connect(m_socket, &QIODevice::readyRead, this, [this] { m_socket->readAll(); });
    m_connectTimeout->start();
    // A connection may be refused before connectToHost() returns, as on Windows: that is a
    // failed open like any other.
    m_inOpen = true;
    m_socket->connectToHost(address->host, address->port);
    m_inOpen = false;
    return m_socket != nullptr;
}

void GpsLink::cancelOpen()
{
    if (!isConnecting())
        return;
    m_connectTimeout->stop();
    delete std::exchange(m_socket, nullptr);
    emit openFailed({});
}

void GpsLink::openAndTell()
{
    if (!open())
        emit openFailed(openFailure());
    else if (!isNetwork())
        emit opened();
    // A network link tells through its socket, at once or once it has connected.
    publish();
}

void GpsLink::abandonOpen()
{
    if (isConnecting())
        cancelOpen();
    else if (m_socket)
        delete std::exchange(m_socket, nullptr);
    else if (m_port->isOpen())
        m_port->close();
    publish();
}

OpenFailure GpsLink::openFailure() const
{
    return {.reason = m_errorString,
            .problem = m_openProblem,
            .group = m_openGroup,
            .speedRefused = m_speedRefused};
}

void GpsLink::socketFailed()
{
    const QString reason = m_socket->errorString();
    if (isConnecting()) {
        m_connectTimeout->stop();
        // Deleted later: this runs inside the socket's own signal.
        std::exchange(m_socket, nullptr)->deleteLater();
        m_errorString = reason;
        if (!m_inOpen)
            emit openFailed(openFailure());
        return;
    }
    fail(reason);
}

void GpsLink::send(const QByteArray &bytes)
{
    m_given += bytes.size();
    sendGiven(bytes);
    publish();
}

void GpsLink::sendGiven(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !isOpen())
        return;
    if (m_socket) {
        if (m_socket->write(bytes) != bytes.size())
            socketFailed();
        else if (m_closing)
            m_closeDeadline =
                qMax(m_closeDeadline, QDeadlineTimer(wireMs(bytesToSend()) + drainMarginMs));
        return;
    }
    if (m_speedChangePending) {
        m_heldBack += bytes;
        return;
    }
    m_unconfirmed += bytes.size();
    if (m_port->write(bytes) != bytes.size()) {
        fail(m_port->errorString());
        return;
    }
    // The close waits for what it was given after it began, as long as that takes to send.
    if (m_closing) {
        const QDeadlineTimer needed(wireMs(bytesToSend()) + drainMarginMs);
        m_closeDeadline = qMax(m_closeDeadline, needed);
    }
}

qint64 GpsLink::bytesToSend() const
{
    if (m_socket)
        return m_socket->bytesToWrite();
    if (!m_port->isOpen())
        return 0;
    return notHandedOver() + qMax<qint64>(systemQueuedBytes(), 0) + m_heldBack.size();
}

qint64 GpsLink::notHandedOver() const
{
#ifdef Q_OS_WIN
    // Not QSerialPort::bytesToWrite(): it adds the chunk it last handed to the system, which
    // after a failure and a reopen is long gone.
    return m_unconfirmed;
#else
    // Qt tells of a chunk written only at the next chance to write, which a full line may
    // never give: by then the chunk is in the system's queue, and counted there.
    return m_port->bytesToWrite();
#endif
}

void GpsLink::closeWhenSent()
{
    if (m_closing)
        return;
    cancelOpen();
    if (!isOpen()) {
        emit closed(0, {});
        return;
    }
    m_closing = true;
    m_closeDeadline.setRemainingTime(wireMs(bytesToSend()) + drainMarginMs);
    m_deadlineCheck->start();
    if (m_socket)
        pollClosing();
    else
        drainWhenHandedOver();
}

void GpsLink::drainWhenHandedOver()
{
    // The system drains only what it holds: every write must have reached it first.
    if ((m_closing || m_speedChangePending) && m_drainWaited == 0 && m_unconfirmed == 0)
        startDrain();
}

void GpsLink::applyBaudRate()
{
    m_speedChangePending = false;
    m_applyingSpeed = true;
    const bool taken = m_port->setBaudRate(m_baudRate);
    m_applyingSpeed = false;
    if (!taken) {
        const qint32 refused = std::exchange(m_baudRate, m_port->baudRate());
        emit speedRefused(refused, m_baudRate, m_port->errorString());
    }
    const QByteArray held = std::exchange(m_heldBack, {});
    sendGiven(held);
}

void GpsLink::startDrain()
{
    const LineHandle line = duplicate(m_port->handle());
    if (line == noLine) {
        fail(qt_error_string());
        return;
    }
    m_drainWaited = ++m_drainsStarted;
    m_handedOverWhileDraining = false;
#ifdef Q_OS_WIN
    emit drainRequested(reinterpret_cast<DrainWorker::Line>(line), m_drainWaited);
#else
    emit drainRequested(DrainWorker::Line(line), m_drainWaited);
#endif
}

void GpsLink::drained(quint64 drainId, const QString &failure)
{
    if (drainId != m_drainWaited)
        return;
    m_drainWaited = 0;
    if (!failure.isEmpty()) {
        fail(failure);
    } else if (m_handedOverWhileDraining) {
        // Sent while the drain ran: those bytes may have reached the system after it ended.
        drainWhenHandedOver();
    } else if (m_speedChangePending && m_unconfirmed == 0) {
        // Between sentences: a closing link drains again what was held back for the new speed.
        applyBaudRate();
        drainWhenHandedOver();
    } else if (m_closing && m_unconfirmed == 0) {
        // close() puts back the port's old settings at once: only now has the last byte gone.
        m_port->close();
        finishClosing(0, {});
    }
}

void GpsLink::giveUp()
{
    if (!m_closing)
        return;
    if (m_socket) {
        const qint64 unsent = m_socket->bytesToWrite();
        m_socket->abort();
        delete std::exchange(m_socket, nullptr);
        finishClosing(unsent, {});
        return;
    }
    const bool purges = !isPseudoTerminal(m_port->handle());
    // Read before the purge, which empties the system's queue.
    const qint64 queued = purges ? systemQueuedBytes() : 0;
    const qint64 unsent =
        queued < 0 ? unknownCount : notHandedOver() + queued + std::exchange(m_heldBack, {}).size();
    m_speedChangePending = false;
    // clear() is tcflush(TCOFLUSH) here and PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR) on
    // Windows, and empties Qt's own buffer: the drain returns, and close(), which puts back
    // the old settings at once, garbles nothing that the line still held. close() alone throws
    // Qt's buffer away too.
    if (purges)
        m_port->clear(QSerialPort::Output);
    // A port that failed under clear() has been closed and told already.
    if (!m_closing)
        return;
    m_port->close();
    finishClosing(unsent, {});
}

void GpsLink::pollClosing()
{
    if (m_socket && m_socket->bytesToWrite() == 0) {
        // Every byte is the system's now, which sends it after the close as before it.
        m_socket->disconnectFromHost();
        delete std::exchange(m_socket, nullptr);
        finishClosing(0, {});
    } else if (m_closeDeadline.hasExpired()) {
        giveUp();
    }
}

void GpsLink::finishClosing(qint64 unsent, const QString &failure)
{
    m_drainWaited = 0;
    m_deadlineCheck->stop();
    m_closing = false;
    publish();
    emit closed(unsent, failure);
}

GpsLink::Backlog GpsLink::backlog() const
{
    const QMutexLocker locker(&m_backlogLock);
    return m_backlog;
}

void GpsLink::publish()
{
    const qint64 toSend = qMax<qint64>(bytesToSend(), 0);
    const qint32 wireBaudRate =
        m_port->isOpen() ? qMin(m_port->baudRate(), m_baudRate) : m_baudRate;
    {
        const QMutexLocker locker(&m_backlogLock);
        m_backlog = {.given = m_given, .toSend = toSend, .wireBaudRate = wireBaudRate};
    }
    if (toSend == 0)
        m_publishTimer->stop();
    else if (!m_publishTimer->isActive())
        m_publishTimer->start();
}

void GpsLink::fail(const QString &reason)
{
    // Closing at once stops the storm of errors that a dead port raises on every pass of the
    // event loop; a port that is already closed has been reported.
    if (!m_socket && !m_port->isOpen())
        return;
    m_errorString = reason;
    qint64 unsent = 0;
    if (m_socket) {
        unsent = m_socket->bytesToWrite();
        m_socket->abort();
        std::exchange(m_socket, nullptr)->deleteLater();
    } else {
        const qint64 queued = systemQueuedBytes();
        unsent = queued < 0 ? unknownCount : notHandedOver() + queued + m_heldBack.size();
        m_port->close();
    }
    m_speedChangePending = false;
    m_heldBack.clear();
    if (m_closing) {
        finishClosing(unsent, reason);
    } else {
        publish();
        emit failed(reason, unsent);
    }
}

qint64 GpsLink::systemQueuedBytes() const
{
#ifdef Q_OS_WIN
    COMSTAT status = {};
    DWORD errors = 0;
    if (!::ClearCommError(m_port->handle(), &errors, &status))
        return unknownCount;
    return status.cbOutQue;
#else
    int queued = 0;
    if (::ioctl(int(m_port->handle()), TIOCOUTQ, &queued) != 0)
        return unknownCount;
    return queued;
#endif
}
