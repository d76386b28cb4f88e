#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sentence {

// The longest sentence body, "$" to "*", that a waypoint string may have.
inline constexpr qsizetype maxBodyLength = 32767;

// Builds the NMEA 0183 waypoint-location sentence for the texts as typed:
// "$GPWPL,<lat>,<N|S>,<lon>,<E|W>,<NAME>*hh" followed by carriage return and line feed, with
// the hemisphere letters as given (north and west unless told otherwise). Nothing is trimmed or
// checked; the name is upper-cased. Returns nothing when the body would be longer than
// maxBodyLength.
std::optional<QString> makeWaypointString(QStringView name, QStringView latitude,
                                          QStringView longitude, QChar latitudeHemisphere = u'N',
                                          QChar longitudeHemisphere = u'W');

// Upper-cases character by character, so that the length never changes ("ß" stays "ß"). A letter
// whose capital the system's 8-bit character set lacks, though it holds the letter, stays as typed.
QString toUpperKeepingLength(QStringView text);

} // namespace sentence
