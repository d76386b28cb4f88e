#pragma once

#include "waypoint_file/filewaypoints.h"

class QIODevice;

namespace waypointfile {

// Reads a file of waypoints, whichever of GPX, CSV or NMEA it is: the contents decide, not the
// name. May run on a thread of its own; `control` stops it and says how far it has come.
FileWaypoints read(QIODevice &device, ReadingControl &control);

} // namespace waypointfile
