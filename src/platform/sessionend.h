#pragma once

#include <QObject>

#include <chrono>

class QSessionManager;

namespace platform {

// Turns the end of the user's session (logoff, shutdown, restart) into `requested`, so that the
// program can end as its own Quit does. Windows tells a program with windows of a session's end
// by window messages only, which Qt hands on as QGuiApplication::commitDataRequest; once the
// answer is given Windows may end the process at any moment, so the answer waits, the event loop
// running, until the program's last window has closed or `allowed` has passed, whichever comes
// first. The end is never refused.
class SessionEnd : public QObject
{
    Q_OBJECT

public:
    // Windows counts a program that has not answered within five seconds as one that blocks the
    // shutdown, and offers the user to end it there and then.
    static constexpr std::chrono::milliseconds defaultAllowed{4000};

    explicit SessionEnd(QObject *parent = nullptr,
                        std::chrono::milliseconds allowed = defaultAllowed);

    // What commitDataRequest runs: emits `requested`, then returns once no window of the
    // program is left on screen or the time allowed has passed. True when the windows had gone.
    bool endSession();

signals:
    void requested();

private:
    void commitData(QSessionManager &manager);

    std::chrono::milliseconds m_allowed;
    bool m_ending = false;
};

} // namespace platform
