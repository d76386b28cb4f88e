#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace position {

// A point on the earth in degrees; north and east are positive.
struct Position
{
    double latitude = 0;
    double longitude = 0;
};

// What a text reads as: a position, or why it does not read, in words a user acts on.
struct Reading
{
    std::optional<Position> position;
    QString reason;
};

// Reads a position in any of the forms people hold them in: signed decimal degrees, degrees with
// hemisphere letters, degrees and decimal minutes, degrees, minutes and seconds, NMEA's own
// fields, a geo: address and a web map's address. Nothing is half-read: either the whole text is
// a position, or there is a reason.
Reading read(QStringView text);

// A piece of what the user typed or pasted, quoted for a message: “text”, cut short with an
// ellipsis where it is long.
QString quotedForMessage(QStringView text);

// A number in the fewest digits that read back as it, with a decimal point whatever the locale.
QString shortestNumber(double value);

// A position as a receiver takes it in a waypoint sentence.
struct ReceiverForm
{
    QString latitude;          // "ddmm.mmmm"
    QChar latitudeHemisphere;  // 'N' or 'S'
    QString longitude;         // "dddmm.mmmm"
    QChar longitudeHemisphere; // 'E' or 'W'
};

// Rounded to the nearest ten-thousandth of a minute; minutes that round to 60 carry into the
// degrees.
ReceiverForm receiverForm(const Position &p);

// "47° 36.3720′ N, 122° 19.9260′ W": as the receiver's form is shown to people.
QString degreesAndMinutes(const Position &p);

} // namespace position
