#include "pseudoterminal.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        hangUp();
        return;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    // Read all the time, as a receiver would, so that the writer never stalls on a full buffer.
    m_reader = std::thread([this] { readLoop(); });
}

PseudoTerminal::~PseudoTerminal()
{
    hangUp();
}

bool PseudoTerminal::linkAs(const QString &path) const
{
    QFile::remove(path);
    return QFile::link(m_slavePath, path);
}

termios PseudoTerminal::settings() const
{
    termios settings{};
    // On the master side these calls reach the slave's settings, which the program set.
    ::tcgetattr(m_master, &settings);
    return settings;
}

void PseudoTerminal::setSpeed(speed_t speed)
{
    termios changed = settings();
    ::cfsetispeed(&changed, speed);
    ::cfsetospeed(&changed, speed);
    ::tcsetattr(m_master, TCSANOW, &changed);
}

QByteArray PseudoTerminal::receive(qsizetype count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        {
            std::lock_guard lock(m_mutex);
            if (m_received.size() >= count)
                break;
        }
        QTest::qWait(5);
    }
    return takeReceived();
}

QByteArray PseudoTerminal::receiveFor(int ms)
{
    QTest::qWait(ms);
    return takeReceived();
}

void PseudoTerminal::hangUp()
{
    m_stop = true;
    if (m_reader.joinable())
        m_reader.join();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PseudoTerminal::readLoop()
{
    char buffer[4096];
    while (!m_stop) {
        if (!m_reading) {
            ::usleep(10000);
            continue;
        }
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0)
            continue;
        if (!(pfd.revents & POLLIN)) {
            // With no slave open the master reports a hang-up at once, every time.
            ::usleep(10000);
            continue;
        }
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            std::lock_guard lock(m_mutex);
            m_received.append(buffer, n);
        }
    }
}

QByteArray PseudoTerminal::takeReceived()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_received, {});
}

bool is4800Baud8N1(const termios &settings)
{
    return ::cfgetospeed(&settings) == B4800 && (settings.c_cflag & CSIZE) == CS8 &&
           !(settings.c_cflag & PARENB) && !(settings.c_cflag & CSTOPB);
}
