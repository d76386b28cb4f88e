#include "platform/terminationsignals.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <mutex>
#else
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
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
// The self-pipe: a handler may only write(), so it tells the event loop through a socket. The
// end it writes to is read by the handler on whatever thread the signal arrives.
std::atomic<int> signalEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
int readEnd = -1;
struct sigaction earlier[std::size(handled)];

void onSignal(int number)
{
    // The code the handler interrupted may be about to read errno.
    const int savedErrno = errno;
    const char byte = char(number);
    const int end = signalEnd.load();
    if (end >= 0) [[maybe_unused]]
        const ssize_t written = ::write(end, &byte, 1);
    errno = savedErrno;
}

sigset_t handledSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : handled)
        sigaddset(&set, number);
    return set;
}
#endif

} // namespace

#ifndef Q_OS_WIN
void holdTerminationSignals()
{
    const sigset_t set = handledSet();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}
#endif

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
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return;
    readEnd = ends[1];
    signalEnd.store(ends[0]);
    m_notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(handled); ++i)
        ::sigaction(handled[i], &action, &earlier[i]);
    // Signals held since the program began arrive now, each as if it came this moment.
    const sigset_t set = handledSet();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
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
    ::close(signalEnd.exchange(-1));
    ::close(std::exchange(readEnd, -1));
#endif
}

#ifndef Q_OS_WIN
void TerminationSignals::readSignal()
{
    char byte = 0;
    while (::read(readEnd, &byte, 1) == 1)
        emit received();
}
#endif

} // namespace platform
