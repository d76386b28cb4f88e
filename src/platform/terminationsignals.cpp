#include "platform/terminationsignals.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <mutex>
#else
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

#ifdef Q_OS_WIN
// The handler runs on a thread of the system's: the receiver must not go while it is told.
std::mutex currentMutex;
TerminationSignals *current = nullptr;
// Set when the program has ended its own way: a console that is closing, or a logoff, ends
// the process as soon as the handler returns.
HANDLE ended = nullptr;

BOOL WINAPI consoleControl(DWORD event)
{
    {
        const std::lock_guard lock(currentMutex);
        if (!current)
            return FALSE;
        QMetaObject::invokeMethod(current, &TerminationSignals::received, Qt::QueuedConnection);
    }
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::WaitForSingleObject(ended, INFINITE);
    return TRUE;
}
#else
constexpr int handled[] = {SIGTERM, SIGHUP, SIGINT};
// The self-pipe: a handler may only write(), so it tells the event loop through a socket.
int pipeEnds[2] = {-1, -1};
struct sigaction earlier[std::size(handled)];

void onSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}
#endif

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_WIN
    // A program with windows has a console only when one was given to it (started from a
    // console program that shares its own); without one no control event ever comes, and the
    // session's end arrives as window messages instead (SessionEnd).
    if (!::GetConsoleWindow())
        return;
    ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        const std::lock_guard lock(currentMutex);
        current = this;
    }
    ::SetConsoleCtrlHandler(consoleControl, TRUE);
#else
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0)
        return;
    m_notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(handled); ++i)
        ::sigaction(handled[i], &action, &earlier[i]);
#endif
}

TerminationSignals::~TerminationSignals()
{
#ifdef Q_OS_WIN
    if (!ended)
        return;
    ::SetConsoleCtrlHandler(consoleControl, FALSE);
    {
        const std::lock_guard lock(currentMutex);
        current = nullptr;
    }
    ::SetEvent(ended);
#else
    if (!m_notifier)
        return;
    for (size_t i = 0; i < std::size(handled); ++i)
        ::sigaction(handled[i], &earlier[i], nullptr);
    delete m_notifier;
    for (int &end : pipeEnds) {
        ::close(end);
        end = -1;
    }
#endif
}

#ifndef Q_OS_WIN
void TerminationSignals::readSignal()
{
    char byte = 0;
    while (::read(pipeEnds[1], &byte, 1) == 1)
        emit received();
}
#endif

} // namespace platform
