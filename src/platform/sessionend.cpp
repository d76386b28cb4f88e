#include "platform/sessionend.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace platform {

namespace {

bool anyWindowShown()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [](const QWindow *window) { return window->isVisible(); });
}

} // namespace

SessionEnd::SessionEnd(QObject *parent, std::chrono::milliseconds allowed)
    : QObject(parent), m_allowed(allowed)
{
    if (auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this, &SessionEnd::commitData,
                Qt::DirectConnection);
    }
}

void SessionEnd::commitData(QSessionManager &manager)
{
    // Nobody is there to answer a question while the session ends; a Pindrel started again
    // with the next session would open a log that this one has just closed.
    manager.setRestartHint(QSessionManager::RestartNever);
    endSession();
}

bool SessionEnd::endSession()
{
    // Windows asks each of the program's windows in turn; the first question ends the program.
    if (m_ending)
        return !anyWindowShown();
    m_ending = true;
    emit requested();
    if (!anyWindowShown())
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Checked after each pass, since a window may go without the last-window signal (when
    // quitting on the last window's close is off).
    QTimer check;
    check.setInterval(std::chrono::milliseconds(20));
    connect(&check, &QTimer::timeout, &loop, [&loop] {
        if (!anyWindowShown())
            loop.quit();
    });
    deadline.start(m_allowed);
    check.start();
    loop.exec();
    return !anyWindowShown();
}

} // namespace platform
