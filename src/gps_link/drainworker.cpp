#include "gps_link/drainworker.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
// Wine's FlushFileBuffers() on a COM port throws the output queue away (tcflush) rather than
// waiting for it; there the queue is watched until it is empty instead.
bool flushDiscards()
{
    static const bool wine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

bool waitForEmptyQueue(HANDLE line)
{
    constexpr DWORD lookEveryMs = 20;
    for (;;) {
        COMSTAT status = {};
        DWORD errors = 0;
        if (!::ClearCommError(line, &errors, &status))
            return false;
        if (status.cbOutQue == 0)
            return true;
        ::Sleep(lookEveryMs);
    }
}
#endif

} // namespace

DrainWorker::DrainWorker(Step step) : m_step(step ? std::move(step) : Step(&DrainWorker::drainLine))
{}

QString DrainWorker::drainLine(Line line)
{
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(line);
    const bool drained = flushDiscards() ? waitForEmptyQueue(handle) : ::FlushFileBuffers(handle);
    return drained ? QString() : qt_error_string(int(::GetLastError()));
#else
    int result = 0;
    do
        result = ::tcdrain(int(line));
    while (result != 0 && errno == EINTR);
    return result == 0 ? QString() : qt_error_string(errno);
#endif
}

void DrainWorker::closeLine(Line line)
{
#ifdef Q_OS_WIN
    ::CloseHandle(reinterpret_cast<HANDLE>(line));
#else
    ::close(int(line));
#endif
}

void DrainWorker::drain(Line line, quint64 id)
{
    const QString failure = m_step(line);
    closeLine(line);
    emit drained(id, failure);
}
