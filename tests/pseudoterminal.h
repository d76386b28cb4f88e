#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <termios.h>
#include <thread>

// A pseudo-terminal pair standing in for a serial port: the program opens the slave side by
// its path, and the test reads from the master side what a receiver would get.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // Points a name of the test's own at the slave, replacing what it pointed at before: after a
    // hang-up the same name can lead to a fresh pair, as a replugged adapter would.
    bool linkAs(const QString &path) const;

    // The line settings that the program set on the port; valid only while it is open.
    termios settings() const;
    // Stands for someone else changing the line while the program has it open.
    void setSpeed(speed_t speed);

    // Waits, running the event loop, until `count` bytes have arrived or `timeoutMs` passed;
    // returns all that arrived so far.
    QByteArray receive(qsizetype count, int timeoutMs = 10000);
    // Runs the event loop for a while and returns whatever arrived meanwhile.
    QByteArray receiveFor(int ms);

    // A receiver that stops reading: unread bytes fill the line's buffers, and the writer stalls.
    void setReading(bool reading) { m_reading = reading; }

    // The far side goes away, as when a receiver is unplugged.
    void hangUp();

private:
    void readLoop();
    QByteArray takeReceived();

    int m_master = -1;
    QString m_slavePath;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_reading{true};
    mutable std::mutex m_mutex;
    QByteArray m_received;
};

// True when the settings are 4800 baud, 8 data bits, no parity, one stop bit.
bool is4800Baud8N1(const termios &settings);
