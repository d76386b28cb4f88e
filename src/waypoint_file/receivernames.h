#pragma once

#include "position/positionreader.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace waypointfile {

// Names as GPS programs cut them for receivers, unless the user chooses otherwise.
inline constexpr int defaultNameLength = 6;
inline constexpr int longestNameLength = 20;
// Stands for names kept whole, as far as the sentence allows.
inline constexpr int wholeNames = 0;
// NMEA 0183's longest sentence, "$" and the line end included.
inline constexpr qsizetype longestSentence = 82;

// Upper-cased as a typed name is, without the characters NMEA reserves ($ * , ! \ ^ ~),
// control characters and characters that the system's 8-bit set cannot send, and without blank
// space at either end.
QString cleanName(QStringView name);

// A waypoint as it will be sent.
struct ReceiverWaypoint
{
    QString name;
    // The sentence, line end included.
    QString sentence;
    // The name was cut further than the name length so that the sentence keeps to
    // longestSentence.
    bool cutToFit = false;
};

// Names that a receiver keeps apart, and their sentences, for the waypoints in list order:
// cleaned, cut to `nameLength` characters (or wholeNames), never empty, and made unique by a
// number at the end (TRAILH, TRAIL2, TRAIL3, ...). The first waypoint of a name keeps it.
QList<ReceiverWaypoint> receiverWaypoints(const QList<QString> &names,
                                          const QList<position::ReceiverForm> &forms,
                                          int nameLength);

// The receiver's form of each position, worked out once for a list whose names may change.
QList<position::ReceiverForm> receiverForms(const QList<position::Position> &positions);

} // namespace waypointfile
