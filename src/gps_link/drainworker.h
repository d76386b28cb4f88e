#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Waits, on a thread of its own, until the system has put every byte it holds for a line on the
// wire: the wait blocks for as long as the hardware takes, and the GUI must not.
class DrainWorker : public QObject
{
    Q_OBJECT

public:
    // The system's handle of the line, duplicated for the wait: HANDLE on Windows, a descriptor
    // elsewhere.
    using Line = quintptr;
    // Blocks until the line has drained; returns why it could not, or nothing. Replaceable, so
    // that a test can hold the line as a slow receiver would.
    using Step = std::function<QString(Line line)>;

    explicit DrainWorker(Step step = {});

    // The system's own drain: tcdrain() on POSIX, FlushFileBuffers() on Windows.
    static QString drainLine(Line line);
    // Gives the duplicated handle back.
    static void closeLine(Line line);

public slots:
    // Drains, gives the handle back and tells which drain ended.
    void drain(DrainWorker::Line line, quint64 id);

signals:
    void drained(quint64 id, const QString &failure);

private:
    Step m_step;
};
