#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace sentence {

// What the window holds: the three boxes as typed, the hemisphere choices and the waypoint
// string as it stands.
struct WaypointBoxes
{
    QStringView name;
    QStringView latitude;
    QStringView longitude;
    QChar latitudeHemisphere = u'N';
    QChar longitudeHemisphere = u'W';
    QStringView waypointString;
};

// What a receiver will make of the sentence that the boxes give, read back the way an NMEA
// reader reads a waypoint sentence, and each way in which that differs from what the window
// shows, in words a user acts on.
struct ReceiverReading
{
    // The waypoint a receiver will store: its name and position, or why it stores none.
    QString stored;
    // Most telling first.
    QStringList warnings;

    QString text() const;
};

ReceiverReading readBack(const WaypointBoxes &boxes);

} // namespace sentence
