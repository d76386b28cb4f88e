#pragma once

#include "gps_link/portadvice.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QSerialPort;
class QTimer;

// The one serial link to the receiver: 4800 baud, 8 data bits, no parity, 1 stop bit, written
// to and never read. Whether it is open is the port's own state; nothing keeps a copy.
class GpsLink : public QObject
{
    Q_OBJECT

public:
    // Time allowed at close for the line to drain, beyond what the pending bytes need.
    static constexpr int drainMarginMs = 3000;

    // How long the bytes take on the line at 4800 baud, 8N1.
    static qint64 transmitMs(qint64 bytes);

    explicit GpsLink(QString portName, QObject *parent = nullptr);
    ~GpsLink() override;

    // The first serial port of the machine: COM1 on Windows, /dev/ttyS0 elsewhere.
    static QString firstSerialPortName();

    QString portName() const { return m_portName; }
    // Takes effect at the next open(); the port must be closed.
    void setPortName(const QString &portName);
    bool isOpen() const;

    // Opens the port with the fixed settings. On failure the port stays closed and
    // errorString() says why.
    bool open();

    // Queues the bytes in one piece; they leave while the event loop runs. A failure, now or
    // later, closes the port and is told through failed().
    void send(const QByteArray &bytes);

    // What is still to go out: the bytes Qt holds and those in the system's output queue.
    qint64 bytesToSend() const;

    // Closes the port once everything sent has left the line, looking at what is left while the
    // event loop runs: it never blocks. Gives up by itself when those bytes' time on the line
    // plus drainMarginMs has passed. closed() follows, at once when the port is closed already.
    void closeWhenSent();
    bool isClosing() const;
    // Throws away what is still to go out and closes the port at once.
    void giveUp();

    QString errorString() const { return m_errorString; }
    // After a failed open(): what the user can do about it.
    PortProblem openProblem() const { return m_openProblem; }

signals:
    // The port failed while open, for example because the receiver went away, and has been
    // closed. Connect with a queued connection before showing anything modal.
    void failed(const QString &reason);
    // While closeWhenSent() waits: the bytes still to go out.
    void sending(qint64 bytesLeft);
    // The port has been closed; `unsent` bytes had not gone out and were thrown away.
    void closed(qint64 unsent);

private:
    void fail(const QString &reason);
    qint64 systemQueuedBytes() const;
    bool transmitterEmpty() const;
    void pollClosing();
    void finishClosing(qint64 unsent);

    QString m_portName;
    QSerialPort *m_port;
    QTimer *m_closing;
    QDeadlineTimer m_closeDeadline;
    QElapsedTimer m_queueEmptyFor;
    QString m_errorString;
    PortProblem m_openProblem = PortProblem::WrongPort;
};
