#pragma once

#include "waypoint_file/filewaypoints.h"

#include <QStringView>

namespace waypointfile {

// Reads a table of waypoints: a header row naming the columns in any order (`name`; `lat` or
// `latitude`; `lon`, `lng`, `long` or `longitude`; or one `position`), fields between commas,
// semicolons or tabs, quoted as RFC 4180 does. Positions may be in any form that a position is
// typed in. A text without a usable header gives an error.
FileWaypoints readCsv(QStringView text, ReadingControl &control);

} // namespace waypointfile
