#include "platform/runningmarker.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

RunningMarker::RunningMarker()
{
    // The name is shared with the installer's scripts, which open it to see whether it exists.
    const wchar_t *const names[] = {L"Global\\" PINDREL_RUNNING_MUTEX,
                                    L"Local\\" PINDREL_RUNNING_MUTEX};
    for (int i = 0; i < 2; ++i)
        m_handles[i] = ::CreateMutexW(nullptr, FALSE, names[i]);
}

RunningMarker::~RunningMarker()
{
    for (void *handle : m_handles) {
        if (handle)
            ::CloseHandle(handle);
    }
}

#else

RunningMarker::RunningMarker() = default;
RunningMarker::~RunningMarker() = default;

#endif

} // namespace platform
