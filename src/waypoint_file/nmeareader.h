#pragma once

#include "waypoint_file/filewaypoints.h"

#include <QStringView>

namespace waypointfile {

// Whether the line is, or opens a record of Pindrel's log with, an NMEA sentence.
bool looksLikeNmea(QStringView line);

// Reads the lines that hold waypoint sentences (`$--WPL`, any talker), as receivers and other
// programs write them, and Pindrel's own log. A sentence whose checksum is wrong or missing is
// left out; other sentences, and the stamps of the log's records, are passed over.
FileWaypoints readNmea(QStringView text, ReadingControl &control);

} // namespace waypointfile
