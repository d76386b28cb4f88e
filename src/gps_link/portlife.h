#pragma once

#include "gps_link/drainworker.h"
#include "gps_link/gpslink.h"
#include "gps_link/networkaddress.h"
#include "gps_link/portaccess.h"
#include "platform/nativename.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QThread;

// The life of the one link to the receiver, from open to the program's end: it opens the port,
// moves the link to another port, closes it once everything sent has gone out, and ends it for
// good. Commands may come at any time, a signal's or a session's end included; what they lead
// to is told through signals, from which the window takes all it shows. The port itself lives
// on a thread of its own, so that a driver that blocks in open, write or close holds that
// thread and never the window's.
class PortLife : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        // Nothing open; Open Port opens the named port.
        Closed,
        // Asked to open: a serial port's open, or a network link's connection, has not yet
        // answered. Cancel calls it off.
        Opening,
        // Open, taking bytes.
        Open,
        // Waiting for what was sent to leave, then closing: for a move to another port
        // (chosenPortName()) or for the end. Still takes bytes, which the close waits for.
        Closing,
        // Closed for good: nothing opens again.
        Ended,
    };
    Q_ENUM(State)

    // Runs on the port's thread before each open; a test holds it there as a driver that blocks
    // in open would.
    using OpenWait = std::function<void()>;

    // The port to use, in the system's own form: a serial port's name or path, or a network
    // address (tcp://HOST:PORT, udp://HOST:PORT). `drainStep` stands in for the system's
    // drain, and `openWait` runs before each open, in tests.
    explicit PortLife(platform::NativeName portName, QObject *parent = nullptr,
                      DrainWorker::Step drainStep = {}, OpenWait openWait = {});
    ~PortLife() override;

    State state() const { return m_state; }
    // Open or still closing: bytes sent now go out.
    bool isOpen() const;
    // The port open now, or closed and to be opened next.
    platform::NativeName portName() const { return m_portName; }
    QString shownPortName() const { return ::shownPortName(portName()); }
    // The port the link will be on once a move has ended: the one chosen last.
    platform::NativeName chosenPortName() const;

    // The port is a network address; its HOST:PORT as messages show it.
    bool isNetwork() const;
    QString hostAndPort() const;
    // Asked to open and not open yet; cancelOpen() calls it off, and the port, should it open
    // after all, is closed again untold.
    bool isOpening() const { return m_state == State::Opening; }
    void cancelOpen();

    // The serial port's speed. On the open port it takes effect between sentences; on a port
    // still to open, when it opens.
    qint32 baudRate() const { return m_baudRate; }
    void setBaudRate(qint32 baudRate);
    // After openFailed(): the port opened, but would not take the speed.
    bool speedWasRefused() const { return m_speedRefused; }

    // What is still to go out, bytes just sent included, and how long the line takes for that
    // many bytes.
    qint64 bytesToSend() const;
    qint64 wireMs(qint64 bytes) const;

    // Opens the named port: opened() or openFailed() follows, from the event loop. False when
    // a port is open, opening or closing already, or the life has ended.
    bool open();
    // Hands the bytes to the open port, in one piece. False when no port is open.
    bool send(const QByteArray &bytes);
    // The port to use from now on. A port that is open is closed as Quit closes it, and the new
    // one opened in its place; while it closes, the last choice wins; a port being opened is
    // called off for the new one. The open port chosen again, by the same name, changes
    // nothing.
    void choose(const platform::NativeName &portName);
    // Ends the link: cancels any open or move, closes an open port once all that was sent has
    // gone out, and then emits ended(). Safe to call at any time, any number of times.
    void quit();
    // While closing: throws away what is still to go out and closes at once.
    void giveUp();

    // The link itself, for tests that look at what only it knows. It lives on the port's
    // thread: anything it is asked runs there.
    GpsLink *link() const { return m_link; }

signals:
    void stateChanged(PortLife::State state);
    // Each names the port it tells of as messages show it (shownPortName() at that moment).
    // Open Port could not open the port: the system's reason, and what the user can do. An
    // open called off is not told.
    void openFailed(const QString &portName, const QString &reason, PortProblem problem,
                    const PortGroup &group);
    // An open has begun, and then has succeeded.
    void opening();
    void opened();
    // The open port would not take a new speed, and goes on at its old one.
    void speedRefused(const QString &portName, qint32 baudRate, const QString &reason);
    // The port stopped working while open and has been closed; `unsent` bytes had not gone out
    // (GpsLink::unknownCount: some, but how many the system would not say).
    void failed(const QString &portName, const QString &reason, qint64 unsent);
    // A close has begun that waits for bytes still going out.
    void closing();
    // The port has closed. `unsent` bytes did not go out (GpsLink::unknownCount: some did not,
    // and the system would not say how many); `failure`, when not empty, is why the port
    // stopped working meanwhile. Always emitted before whatever the close leads to.
    void closed(const QString &portName, qint64 unsent, const QString &failure);
    // quit() has finished: the port is closed for good.
    void ended();

private:
    // Runs `call` on the port's thread, after everything asked before it.
    template <typename Call>
    void onLink(Call call);
    void setState(State state);
    void linkOpened();
    void linkOpenFailed(const OpenFailure &failure);
    void linkFailed(const QString &reason, qint64 unsent);
    void linkClosed(qint64 unsent, const QString &failure);

    QThread *m_thread;
    // Lives on m_thread: touched only through onLink(), and read through its backlog.
    GpsLink *m_link;
    OpenWait m_openWait;
    State m_state = State::Closed;
    platform::NativeName m_portName;
    qint32 m_baudRate;
    bool m_speedRefused = false;
    // Bytes handed to the link so far; with its backlog, what is still to go out.
    qint64 m_given = 0;
    // Opens called off whose answer is still to come: each open is answered once, in order.
    int m_abandonedOpens = 0;
    // While closing for a move: the port to open next.
    std::optional<platform::NativeName> m_next;
    bool m_quitting = false;
    // The port failed just as a close began: the close tells it.
    std::optional<std::pair<QString, qint64>> m_failedWhileClosing;
};
