#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Turns a request from outside to end the program (SIGTERM, SIGHUP, SIGINT; on Windows a
// console's Ctrl+C, Ctrl+Break, close, logoff or shutdown) into a signal on the GUI thread, so
// that the program can end as its own Quit does. One at a time; the earlier handling comes
// back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received();

private:
#ifndef Q_OS_WIN
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
#endif
};

#ifndef Q_OS_WIN
// Holds SIGTERM, SIGHUP and SIGINT back, for this thread and every thread it starts, until a
// TerminationSignals is ready for them: the first thing main() does, so that a signal during
// start-up ends the program as Quit does rather than killing it.
void holdTerminationSignals();
#endif

} // namespace platform
