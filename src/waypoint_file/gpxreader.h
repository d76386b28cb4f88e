#pragma once

#include "waypoint_file/filewaypoints.h"

class QIODevice;

namespace waypointfile {

// Reads GPX 1.0 and 1.1: each `wpt`, and each `rtept` of each route, in file order. Track
// points are not waypoints and are only counted, so that a file of tracks alone can be told
// apart from an empty one. Nothing is ever fetched, and a file that declares entities of its
// own is refused before any of them can grow.
FileWaypoints readGpx(QIODevice &device, ReadingControl &control);

} // namespace waypointfile
