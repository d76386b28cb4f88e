#include "gps_link/gpslink.h"

#include <QSerialPort>
#include <QTimer>

#include <mutex>
#include <thread>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

#include <optional>

namespace {

// Start bit, eight data bits and one stop bit.
constexpr qint64 bitsPerByte = 10;
constexpr qint64 baudRate = 4800;
// How often a closing link tells how much is left to send.
constexpr int progressMs = 20;

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

// QSerialPort takes the name as text. A name that no text stands for, such as a link named in
// Latin-1, is opened by the device it leads to, whose name the system made.
std::optional<QString> deviceName(const platform::NativeName &portName, QString *error)
{
    if (std::optional<QString> text = portName.toText())
        return text;
#ifndef Q_OS_WIN
    QByteArray path = portName.native();
    // Where Qt looks for a short name such as ttyS0.
    if (!path.startsWith('/') && !path.startsWith("./") && !path.startsWith("../"))
        path.prepend("/dev/");
    char *resolved = ::realpath(path.constData(), nullptr);
    if (resolved == nullptr) {
        *error = qt_error_string(errno);
        return std::nullopt;
    }
    const auto device = platform::NativeName::fromNative(QByteArray(resolved));
    std::free(resolved);
    if (std::optional<QString> text = device.toText())
        return text;
#endif
    *error = GpsLink::tr("Its device's name is not text, and Qt can only open a port by text.");
    return std::nullopt;
}

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

#ifdef Q_OS_WIN
// Wine's FlushFileBuffers() on a COM port throws the output queue away (tcflush) rather than
// waiting for it; there the queue is watched until it is empty instead.
bool flushDiscards()
{
    static const bool wine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

bool waitForEmptyQueue(LineHandle line)
{
    constexpr DWORD lookEveryMs = 20;
    for (;;) {
        COMSTAT status = {};
        DWORD errors = 0;
        if (!::ClearCommError(line, &errors, &status))
            return false;
        if (status.cbOutQue == 0)
            return true;
        ::Sleep(lookEveryMs);
    }
}
#endif

// Blocks until the system has put every queued byte on the wire, the adapter's own buffer
// included. Discarding the output queue from another thread (giveUp()) ends it early.
QString drainLine(LineHandle line)
{
#ifdef Q_OS_WIN
    const bool drained = flushDiscards() ? waitForEmptyQueue(line) : ::FlushFileBuffers(line);
    const QString failure = drained ? QString() : qt_error_string(int(::GetLastError()));
    ::CloseHandle(line);
#else
    int result = 0;
    do
        result = ::tcdrain(line);
    while (result != 0 && errno == EINTR);
    const QString failure = result == 0 ? QString() : qt_error_string(errno);
    ::close(line);
#endif
    return failure;
}

} // namespace

// Shared by the link and its drain thread, which may outlive the link: a thread held up by a
// driver must never keep the link, or the program, from closing.
struct GpsLink::Drain
{
    std::mutex mutex;
    // Cleared once the link no longer waits for this drain.
    GpsLink *link = nullptr;
    quint64 id = 0;
};

qint64 GpsLink::transmitMs(qint64 bytes)
{
    return bytes * bitsPerByte * 1000 / baudRate;
}

GpsLink::GpsLink(platform::NativeName portName, QObject *parent)
    : QObject(parent), m_portName(std::move(portName)), m_port(new QSerialPort(this)),
      m_progress(new QTimer(this))
{
    m_progress->setInterval(progressMs);
    connect(m_progress, &QTimer::timeout, this, &GpsLink::pollClosing);
    m_port->setObjectName(QStringLiteral("MSComm1"));
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // Timeouts come from our own bounded waits and are not failures of the port.
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            fail(m_port->errorString());
    });
    connect(m_port, &QSerialPort::bytesWritten, this, [this](qint64 bytes) {
        m_unconfirmed -= bytes;
        if (m_drain)
            m_handedOverWhileDraining = true;
        drainWhenHandedOver();
    });
}

GpsLink::~GpsLink()
{
    stopDraining();
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

void GpsLink::setPortName(const platform::NativeName &portName)
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
    const std::optional<QString> device = deviceName(m_portName, &m_errorString);
    if (!device) {
        m_openProblem = PortProblem::WrongPort;
        return false;
    }
    m_port->setPortName(*device);
    m_port->setBaudRate(QSerialPort::Baud4800);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setStopBits(QSerialPort::OneStop);
#ifdef Q_OS_WIN
    m_port->setReadBufferSize(unreadInputBytes);
#endif
    m_unconfirmed = 0;
    if (m_port->open(openMode))
        return true;
    m_errorString = m_port->errorString();
    const bool refused = m_port->error() == QSerialPort::PermissionError;
    m_openProblem = refused ? refusalProblem(*device) : PortProblem::WrongPort;
    m_openGroup = refused ? portGroup(*device) : PortGroup();
    return false;
}

void GpsLink::send(const QByteArray &bytes)
{
    if (bytes.isEmpty() || !m_port->isOpen())
        return;
    m_unconfirmed += bytes.size();
    if (m_port->write(bytes) != bytes.size())
        fail(m_port->errorString());
}

qint64 GpsLink::bytesToSend() const
{
    if (!m_port->isOpen())
        return 0;
    // Only the port's own buffer: on Windows QSerialPort::bytesToWrite() adds the chunk it
    // last handed to the system, which after a failure and a reopen is long gone. A chunk
    // still on its way is in the system's queue, and counted there.
    return m_port->QIODevice::bytesToWrite() + systemQueuedBytes();
}

void GpsLink::closeWhenSent()
{
    if (m_closing)
        return;
    if (!m_port->isOpen()) {
        emit closed(0, {});
        return;
    }
    m_closing = true;
    m_closeDeadline.setRemainingTime(transmitMs(bytesToSend()) + drainMarginMs);
    m_progress->start();
    drainWhenHandedOver();
}

void GpsLink::drainWhenHandedOver()
{
    // The system drains only what it holds: every write must have reached it first.
    if (m_closing && !m_drain && m_unconfirmed == 0)
        startDrain();
}

void GpsLink::startDrain()
{
    const LineHandle line = duplicate(m_port->handle());
    if (line == noLine) {
        fail(qt_error_string());
        return;
    }
    auto drain = std::make_shared<Drain>();
    drain->link = this;
    drain->id = ++m_drainsStarted;
    m_drain = drain;
    m_handedOverWhileDraining = false;
    std::thread([drain, line] {
        const QString failure = drainLine(line);
        const std::lock_guard lock(drain->mutex);
        if (drain->link) {
            QMetaObject::invokeMethod(
                drain->link,
                [link = drain->link, id = drain->id, failure] { link->drained(id, failure); },
                Qt::QueuedConnection);
        }
    }).detach();
}

void GpsLink::drained(quint64 drainId, const QString &failure)
{
    if (!m_drain || m_drain->id != drainId)
        return;
    m_drain.reset();
    if (!failure.isEmpty()) {
        fail(failure);
    } else if (m_handedOverWhileDraining) {
        // Sent while the drain ran: those bytes may have reached the system after it ended.
        drainWhenHandedOver();
    } else if (m_unconfirmed == 0) {
        // close() puts back the port's old settings at once: only now has the last byte gone.
        m_port->close();
        finishClosing(0, {});
    }
}

void GpsLink::stopDraining()
{
    if (!m_drain)
        return;
    {
        const std::lock_guard lock(m_drain->mutex);
        m_drain->link = nullptr;
    }
    m_drain.reset();
}

void GpsLink::giveUp()
{
    if (!m_closing)
        return;
    const qint64 unsent = bytesToSend();
    // clear() is tcflush(TCOFLUSH) here and PurgeComm(PURGE_TXABORT | PURGE_TXCLEAR) on
    // Windows, and empties Qt's own buffer: the drain returns, and close(), which puts back
    // the old settings at once, garbles nothing that the line still held.
    m_port->clear(QSerialPort::Output);
    // A port that failed under clear() has been closed and told already.
    if (!m_closing)
        return;
    m_port->close();
    finishClosing(unsent, {});
}

void GpsLink::pollClosing()
{
    if (m_closeDeadline.hasExpired())
        giveUp();
    else
        emit sending(bytesToSend());
}

void GpsLink::finishClosing(qint64 unsent, const QString &failure)
{
    stopDraining();
    m_progress->stop();
    m_closing = false;
    emit closed(unsent, failure);
}

void GpsLink::fail(const QString &reason)
{
    // Closing at once stops the storm of errors that a dead port raises on every pass of the
    // event loop; a port that is already closed has been reported.
    if (!m_port->isOpen())
        return;
    m_errorString = reason;
    const qint64 unsent = bytesToSend();
    m_port->close();
    if (m_closing)
        finishClosing(unsent, reason);
    else
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
