#pragma once

#include "gps_link/drainworker.h"
#include "gps_link/networkaddress.h"
#include "gps_link/portaccess.h"
#include "platform/nativename.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QObject>
#include <QString>

class QAbstractSocket;
class QSerialPort;
class QThread;
class QTimer;

// Why an open failed, and what the user can do about it.
struct OpenFailure
{
    // The system's reason; empty when the open was called off.
    QString reason;
    PortProblem problem = PortProblem::WrongPort;
    // For a refused serial port: the group that may open it, and the account's standing.
    PortGroup group;
    // The serial port opened, but would not take the speed.
    bool speedRefused = false;
};

// The one link to the receiver: a serial port at 4800 baud (or the speed chosen), 8 data bits,
// no parity, 1 stop bit; or a TCP or UDP address (tcp://HOST:PORT, udp://HOST:PORT) that takes
// the same bytes. Written to and never read. Whether it is open is the port's or the socket's
// own state; nothing keeps a copy.
class GpsLink : public QObject
{
    Q_OBJECT

public:
    // Time allowed at close for the line to drain, beyond what the pending bytes need.
    static constexpr int drainMarginMs = 3000;
    static constexpr qint32 defaultBaudRate = 4800;
    // A count of bytes that cannot be known.
    static constexpr qint64 unknownCount = -1;
    // How long a TCP connection may take to be made before Open gives up.
    static constexpr int connectTimeoutMs = 10000;

    // How long the bytes take on the line at the speed, 8N1.
    static qint64 transmitMs(qint64 bytes, qint32 baudRate = defaultBaudRate);

    // What another thread may know of the link while it works on its own, read together: how
    // many bytes send() has been given so far, how many of those are still to go out, and the
    // speed they go at.
    struct Backlog
    {
        qint64 given = 0;
        qint64 toSend = 0;
        qint32 wireBaudRate = defaultBaudRate;
    };

    // The port's name as the user gave it, in the system's own form. `drainStep` stands in for
    // the system's drain, in tests.
    explicit GpsLink(platform::NativeName portName, QObject *parent = nullptr,
                     DrainWorker::Step drainStep = {});
    ~GpsLink() override;

    // The first serial port of the machine: COM1 on Windows, /dev/ttyS0 elsewhere.
    static QString firstSerialPortName();

    platform::NativeName portName() const { return m_portName; }
    // The port's name as messages show it: readable, in the system's separators.
    QString shownPortName() const { return ::shownPortName(m_portName); }
    // Takes effect at the next open(); the port must be closed. A connection being made is
    // given up.
    void setPortName(const platform::NativeName &portName);
    bool isOpen() const;
    // How long the bytes take on this link's line; while a new speed waits, at the slower.
    qint64 wireMs(qint64 bytes) const;

    // A network address rather than a serial port: the name begins with tcp:// or udp://.
    bool isNetwork() const;
    // The address of a network link; empty for a serial port or a malformed address.
    QString hostAndPort() const;

    qint32 baudRate() const { return m_baudRate; }
    // Closed, it takes effect at the next open(). On an open serial port it takes effect
    // between sentences: what was sent before goes out at the old speed, what is sent after
    // waits until then. A speed the port refuses there is told by speedRefused(), and the port
    // stays at its old speed.
    void setBaudRate(qint32 baudRate);

    // Opens the port at the speed set, 8N1. On failure the port stays closed and errorString()
    // says why; after a refused speed speedWasRefused() is true. A network address is opened
    // without waiting: isConnecting() then says so, and opened() or openFailed() follows.
    bool open();
    bool isConnecting() const;
    // Stops a connection being made; openFailed() follows, with no reason.
    void cancelOpen();
    // For a link that lives on a thread of its own: opens, and tells how it went through
    // opened() or openFailed(), once.
    void openAndTell();
    // An open that is no longer wanted: a connection being made stops (openFailed() follows,
    // with no reason) and a port that has opened closes again at once, untold.
    void abandonOpen();
    bool speedWasRefused() const { return m_speedRefused; }

    // Queues the bytes in one piece; they leave while the event loop runs. A failure, now or
    // later, closes the port and is told through failed(). Bytes sent while the link is
    // closing go out before it closes, and the close waits for them.
    void send(const QByteArray &bytes);

    // What is still to go out: the bytes waiting in the port's own buffer, those handed to the
    // system in a write not yet complete, and those in the system's output queue.
    qint64 bytesToSend() const;
    // Safe from any thread; kept current from the link's own thread.
    Backlog backlog() const;

    // Closes the port once the system has drained everything sent to the wire; it never
    // blocks. Gives up by itself when the time on the line of what is still to go out plus
    // drainMarginMs has passed, counted again whenever bytes are sent. closed() follows, at
    // once when the port is closed already.
    void closeWhenSent();
    bool isClosing() const { return m_closing; }
    // While closing: throws away what is still to go out and closes the port at once.
    void giveUp();

    QString errorString() const { return m_errorString; }
    // After a failed open(): why, and what the user can do about it.
    OpenFailure openFailure() const;

signals:
    // A network link has been opened, or could not be: an empty reason when it was cancelled.
    // After openAndTell(), a serial port's open is told too.
    void opened();
    void openFailed(const OpenFailure &failure);
    // The open serial port would not take the speed; it goes on at its old one, `kept`.
    void speedRefused(qint32 baudRate, qint32 kept, const QString &reason);
    // The port failed while open, for example because the receiver went away, and has been
    // closed; `unsent` bytes had not gone out (unknownCount: some, but how many the system
    // would not say). Connect with a queued connection before showing anything modal. A
    // failure while closing is told through closed() instead.
    void failed(const QString &reason, qint64 unsent);
    // The port has been closed; `unsent` bytes (unknownCount: some, but how many the system
    // would not say) had not gone out and were thrown away. A `failure` that is not empty is
    // why the port stopped working while it was closing.
    void closed(qint64 unsent, const QString &failure);

    // To the drain's thread.
    void drainRequested(DrainWorker::Line line, quint64 id);

private:
    bool openSocket();
    void sendGiven(const QByteArray &bytes);
    void socketFailed();
    void applyBaudRate();
    void fail(const QString &reason);
    qint64 systemQueuedBytes() const;
    // Bytes the port has taken that the system does not have yet.
    qint64 notHandedOver() const;
    void drainWhenHandedOver();
    void startDrain();
    void drained(quint64 drainId, const QString &failure);
    void pollClosing();
    void finishClosing(qint64 unsent, const QString &failure);
    void publish();

    platform::NativeName m_portName;
    qint32 m_baudRate = defaultBaudRate;
    QSerialPort *m_port;
    // The network link, while one is open or being opened.
    QAbstractSocket *m_socket = nullptr;
    QTimer *m_connectTimeout;
    bool m_speedRefused = false;
    // Inside open(), where a failure to connect is its result rather than a signal.
    bool m_inOpen = false;
    // A new speed waits for what was sent before it to drain; what is sent meanwhile waits too.
    bool m_speedChangePending = false;
    bool m_applyingSpeed = false;
    QByteArray m_heldBack;
    QTimer *m_deadlineCheck;
    QThread *m_drainThread;
    bool m_closing = false;
    QDeadlineTimer m_closeDeadline;
    // The drain the link waits for (0: none), and whether more bytes reached the system after
    // it began.
    quint64 m_drainWaited = 0;
    quint64 m_drainsStarted = 0;
    bool m_handedOverWhileDraining = false;
    // Bytes queued since the port opened that the port has not yet reported written: its own
    // buffer and, on Windows, the chunk on its way to the system.
    qint64 m_unconfirmed = 0;
    // Every byte send() was given, and the backlog as other threads last saw it.
    qint64 m_given = 0;
    mutable QMutex m_backlogLock;
    Backlog m_backlog;
    // Keeps the backlog current while the system's queue empties, which tells no one.
    QTimer *m_publishTimer;
    QString m_errorString;
    PortProblem m_openProblem = PortProblem::WrongPort;
    PortGroup m_openGroup;
};
