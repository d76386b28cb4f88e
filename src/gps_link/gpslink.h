#pragma once

#include "gps_link/portadvice.h"

#include <QObject>
#include <QString>

class QSerialPort;

// The one serial link to the receiver: 4800 baud, 8 data bits, no parity, 1 stop bit, written
// to and never read. Whether it is open is the port's own state; nothing keeps a copy.
class GpsLink : public QObject
{
    Q_OBJECT

public:
    // Time allowed at close for the line to drain, beyond what the pending bytes need.
    static constexpr int drainMarginMs = 3000;

    explicit GpsLink(QString portName, QObject *parent = nullptr);
    ~GpsLink() override;

    // The first serial port of the machine: COM1 on Windows, /dev/ttyS0 elsewhere.
    static QString firstSerialPortName();

    QString portName() const { return m_portName; }
    bool isOpen() const;

    // Opens the port with the fixed settings. On failure the port stays closed and
    // errorString() says why.
    bool open();

    // Queues the bytes in one piece; they leave while the event loop runs. A failure, now or
    // later, closes the port and is told through failed().
    void send(const QByteArray &bytes);

    // Waits until the bytes already sent have left the line, but no longer than they need at
    // 4800 baud plus drainMarginMs, then closes the port. Does nothing when it is closed.
    void closeIfOpen();

    QString errorString() const { return m_errorString; }
    // After a failed open(): what the user can do about it.
    PortProblem openProblem() const { return m_openProblem; }

signals:
    // The port failed while open, for example because the receiver went away, and has been
    // closed. Connect with a queued connection before showing anything modal.
    void failed(const QString &reason);

private:
    void fail(const QString &reason);
    qint64 kernelQueuedBytes() const;
    void drainLine();

    QString m_portName;
    QSerialPort *m_port;
    QString m_errorString;
    PortProblem m_openProblem = PortProblem::WrongPort;
};
