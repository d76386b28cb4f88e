#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sentence {

// The longest sentence body, "$" to "*", that a waypoint string may have.
inline constexpr qsizetype maxBodyLength = 32767;

// Builds the NMEA 0183 waypoint-location sentence for the texts as typed:
// "$GPWPL,<lat>,N,<lon>,W,<NAME>*hh" followed by carriage return and line feed. Nothing is
// trimmed or checked; the name is upper-cased. Returns nothing when the body would be longer
// than maxBodyLength.
std::optional<QString> makeWaypointString(QStringView name, QStringView latitude,
                                          QStringView longitude);

// Upper-cases character by character, so that the length never changes ("ß" stays "ß"). A letter
// whose capital the system's 8-bit character set lacks, though it holds the letter, stays as typed.
QString toUpperKeepingLength(QStringView text);

} // namespace sentence
