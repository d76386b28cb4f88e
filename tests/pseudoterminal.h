#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QTest>

#include <atomic>
#include <mutex>
#include <thread>

// The line settings that the program set on the port, as the far side sees them.
struct LineSettings
{
    int speed = 0;
    int dataBits = 0;
    bool parity = false;
    bool twoStopBits = false;
};

// A pseudo-terminal pair standing in for a serial port: the program opens the slave side by
// its path, and the test reads from the master side what a receiver would get. On Windows the
// test runs under Wine and the master is held by a Linux peer (tests/windows/ptypeer.py), which
// this talks to; the port is COM1, which the test's Wine prefix leads to the peer's link.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // The name, in the given folder of the test's own, under which the program finds the port.
    static QString portNameIn(const QString &folder);

    bool isValid() const;
    // Points the port's name at this slave, replacing what it pointed at before: after a
    // hang-up the same name can lead to a fresh pair, as a replugged adapter would.
    bool linkAs(const QString &portName) const;

    // Valid only while the program has the port open.
    LineSettings settings() const;
    // Stands for someone else changing the line while the program has it open.
    void setSpeed(int speed);

    // Waits, running the event loop, until `count` bytes have arrived or `timeoutMs` passed;
    // returns all that arrived so far.
    QByteArray receive(qsizetype count, int timeoutMs = 10000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (receivedSize() < count && !deadline.hasExpired())
            QTest::qWait(5);
        return takeReceived();
    }
    // Runs the event loop for a while and returns whatever arrived meanwhile.
    QByteArray receiveFor(int ms)
    {
        QTest::qWait(ms);
        return takeReceived();
    }

    // A receiver that stops reading: unread bytes fill the line's buffers, and the writer stalls.
    void setReading(bool reading);

    // The far side goes away, as when a receiver is unplugged.
    void hangUp();

private:
    qsizetype receivedSize();
    QByteArray takeReceived();

#ifdef Q_OS_WIN
    QByteArray request(const QByteArray &command) const;

    quintptr m_socket;
    mutable QByteArray m_incoming;
    QByteArray m_received;
#else
    void readLoop();

    int m_master = -1;
    QString m_slavePath;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reading{true};
    mutable std::mutex m_mutex;
    QByteArray m_received;
#endif
};

// True when the settings are 4800 baud, 8 data bits, no parity, one stop bit.
inline bool is4800Baud8N1(const LineSettings &settings)
{
    return settings.speed == 4800 && settings.dataBits == 8 && !settings.parity &&
           !settings.twoStopBits;
}
