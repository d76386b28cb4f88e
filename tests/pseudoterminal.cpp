#include "pseudoterminal.h"

#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr struct
{
    int speed;
    speed_t code;
} speedCodes[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                  {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}};

#ifdef Q_OS_LINUX
// The kernel's termios2, which holds a speed that has no B constant; <asm/termbits.h> cannot be
// included beside <termios.h>.
struct Termios2
{
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
constexpr unsigned long getTermios2 = _IOR('T', 0x2A, Termios2);
#endif

} // namespace

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

QString PseudoTerminal::portNameIn(const QString &folder)
{
    return folder + QStringLiteral("/ttyTest");
}

bool PseudoTerminal::isValid() const
{
    return m_master >= 0;
}

bool PseudoTerminal::linkAs(const QString &portName) const
{
    QFile::remove(portName);
    return QFile::link(m_slavePath, portName);
}

LineSettings PseudoTerminal::settings() const
{
    termios settings{};
    // On the master side these calls reach the slave's settings, which the program set.
    ::tcgetattr(m_master, &settings);
    LineSettings line;
    for (const auto &known : speedCodes) {
        if (::cfgetospeed(&settings) == known.code)
            line.speed = known.speed;
    }
#ifdef Q_OS_LINUX
    // Any other speed is set as a number of its own.
    Termios2 exact{};
    if (line.speed == 0 && ::ioctl(m_master, getTermios2, &exact) == 0)
        line.speed = int(exact.c_ospeed);
#endif
    const tcflag_t size = settings.c_cflag & CSIZE;
    line.dataBits = size == CS8 ? 8 : size == CS7 ? 7 : size == CS6 ? 6 : 5;
    line.parity = settings.c_cflag & PARENB;
    line.twoStopBits = settings.c_cflag & CSTOPB;
    return line;
}

void PseudoTerminal::setSpeed(int speed)
{
    termios changed{};
    ::tcgetattr(m_master, &changed);
    for (const auto &known : speedCodes) {
        if (known.speed == speed) {
            ::cfsetispeed(&changed, known.code);
            ::cfsetospeed(&changed, known.code);
        }
    }
    ::tcsetattr(m_master, TCSANOW, &changed);
}

qsizetype PseudoTerminal::receivedSize()
{
    std::lock_guard lock(m_mutex);
    return m_received.size();
}

void PseudoTerminal::setReading(bool reading)
{
    m_reading = reading;
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
