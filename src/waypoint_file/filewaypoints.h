#pragma once

#include "position/positionreader.h"

#include <QList>
#include <QString>

#include <atomic>

namespace waypointfile {

// A waypoint as a file holds it, before its name is made one that receivers keep.
struct FileWaypoint
{
    QString name;
    position::Position position;
    // Where it stands in the file, counted from 1, for telling the user.
    qint64 line = 0;
};

// A part of the file that gave no waypoint, and why, in words the user acts on.
struct LeftOut
{
    qint64 line = 0;
    QString reason;
};

// What a file of waypoints holds. When `error` is not empty the file could not be read as a
// whole and nothing is offered; otherwise the waypoints, in file order, and what was left out.
struct FileWaypoints
{
    QList<FileWaypoint> waypoints;
    // The first few left out, for telling; leftOutCount counts them all.
    QList<LeftOut> leftOut;
    qint64 leftOutCount = 0;
    QString error;
    bool cancelled = false;

    void leaveOut(qint64 line, const QString &reason);
};

// How many left-out lines are kept for telling; the rest are only counted.
inline constexpr qsizetype keptLeftOut = 100;

// Shared between a reader on its own thread and the window that waits for it.
struct ReadingControl
{
    std::atomic<bool> cancel{false};
    std::atomic<qint64> bytesRead{0};
};

// Whether the degrees lie on the earth.
bool onTheEarth(const position::Position &p);

// The reason given for a position off the earth.
QString offTheEarth(const position::Position &p);

} // namespace waypointfile
