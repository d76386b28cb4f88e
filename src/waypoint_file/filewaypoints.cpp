#include "waypoint_file/filewaypoints.h"

#include <QCoreApplication>

#include <cmath>

namespace waypointfile {

void FileWaypoints::leaveOut(qint64 line, const QString &reason)
{
    if (leftOut.size() < keptLeftOut)
        leftOut.append({line, reason});
    ++leftOutCount;
}

bool onTheEarth(const position::Position &p)
{
    return std::isfinite(p.latitude) && std::isfinite(p.longitude) && std::abs(p.latitude) <= 90 &&
           std::abs(p.longitude) <= 180;
}

QString offTheEarth(const position::Position &p)
{
    if (!std::isfinite(p.latitude) || std::abs(p.latitude) > 90)
        return QCoreApplication::translate("WaypointFile",
                                           "the latitude %1 is not between -90 and 90")
            .arg(p.latitude);
    return QCoreApplication::translate("WaypointFile",
                                       "the longitude %1 is not between -180 and 180")
        .arg(p.longitude);
}

} // namespace waypointfile
