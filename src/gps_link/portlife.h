#pragma once

#include "gps_link/drainworker.h"
#include "gps_link/networkaddress.h"
#include "gps_link/portaccess.h"
#include "platform/nativename.h"

#include <QObject>
#include <QString>

#include <optional>

class GpsLink;

// The life of the one link to the receiver, from open to the program's end: it opens the port,
// moves the link to another port, closes it once everything sent has gone out, and ends it for
// good. Commands may come at any time, a signal's or a session's end included; what they lead
// to is told through signals, from which the window takes all it shows.
class PortLife : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        // Nothing open; Open Port opens the named port.
        Closed,
        // Open, taking bytes.
        Open,
        // Waiting for what was sent to leave, then closing: for a move to another port
        // (pendingPortName()) or for the end. Still takes bytes, which the close waits for.
        Closing,
        // Closed for good: nothing opens again.
        Ended,
    };
    Q_ENUM(State)

    // The port to use, in the system's own form: a serial port's name or path, or a network
    // address (tcp://HOST:PORT, udp://HOST:PORT). `drainStep`
    // stands in for the system's drain, in tests.
    explicit PortLife(platform::NativeName portName, QObject *parent = nullptr,
                      DrainWorker::Step drainStep = {});
    ~PortLife() override;

    State state() const { return m_state; }
    // Open or still closing: bytes sent now go out.
    bool isOpen() const;
    // The port open now, or closed and to be opened next.
    platform::NativeName portName() const;
    QString shownPortName() const { return ::shownPortName(portName()); }
    // The port the link will be on once a move has ended: the one chosen last.
    platform::NativeName chosenPortName() const;

    // The port is a network address; its HOST:PORT as messages show it.
    bool isNetwork() const;
    QString hostAndPort() const;
    // A network link is being made: not open yet, and Cancel may stop it.
    bool isConnecting() const;
    void cancelOpen();

    // The serial port's speed. On the open port it takes effect between sentences; on a port
    // still to open, when it opens.
    qint32 baudRate() const;
    void setBaudRate(qint32 baudRate);
    // After openFailed(): the port opened, but would not take the speed.
    bool speedWasRefused() const;

    // What is still to go out, and how long the line takes for that many bytes.
    qint64 bytesToSend() const;
    qint64 wireMs(qint64 bytes) const;

    // Opens the named port. False, once openFailed() has been emitted, when it could not;
    // false and nothing more when a port is open or closing already, or the life has ended.
    bool open();
    // Hands the bytes to the open port, in one piece. False when no port is open.
    bool send(const QByteArray &bytes);
    // The port to use from now on. A port that is open is closed as Quit closes it, and the new
    // one opened in its place; while it closes, the last choice wins. The open port chosen
    // again, by the same name, changes nothing.
    void choose(const platform::NativeName &portName);
    // Ends the link: cancels any move, closes an open port once all that was sent has gone out,
    // and then emits ended(). Safe to call at any time, any number of times.
    void quit();
    // While closing: throws away what is still to go out and closes at once.
    void giveUp();

signals:
    void stateChanged(PortLife::State state);
    // Each names the port it tells of as messages show it (shownPortName() at that moment).
    // Open Port could not open the port: the system's reason, and what the user can do. Emitted
    // from within open(), or from the event loop when the port opens at the end of a move or a
    // network link's connection fails (a connection cancelled is not told).
    void openFailed(const QString &portName, const QString &reason, PortProblem problem,
                    const PortGroup &group);
    // A network link has begun to connect, and then has connected.
    void connecting();
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
    void setState(State state);
    void linkClosed(qint64 unsent, const QString &failure);
    void connectionFailed(const QString &reason);
    void openNext();

    GpsLink *m_link;
    State m_state = State::Closed;
    // While closing for a move: the port to open next.
    std::optional<platform::NativeName> m_next;
    // The move's close has ended, and its port opens from the event loop.
    bool m_openPending = false;
    bool m_quitting = false;
};
