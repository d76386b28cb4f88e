#include "waypoint_file/gpxreader.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QLocale>
#include <QXmlStreamReader>

namespace waypointfile {

namespace {

// The context of the words below, for translators.
class WaypointFile
{
    Q_DECLARE_TR_FUNCTIONS(WaypointFile)
};

// How often, in tokens, the reader looks whether it should stop and says how far it is.
constexpr int tokensBetweenChecks = 4096;

// A name longer than any receiver keeps is cut here already, so that a huge one costs nothing
// further on.
constexpr qsizetype longestNameKept = 1000;

struct Point
{
    bool inPoint = false;
    QString name;
    std::optional<position::Position> position;
    QString problem;
    qint64 line = 0;
};

std::optional<double> coordinate(const QXmlStreamAttributes &attributes, QLatin1String name)
{
    if (!attributes.hasAttribute(name))
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(attributes.value(name).trimmed(), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

void startPoint(Point &point, const QXmlStreamReader &xml)
{
    point = Point{};
    point.inPoint = true;
    point.line = xml.lineNumber();
    const auto latitude = coordinate(xml.attributes(), QLatin1String("lat"));
    const auto longitude = coordinate(xml.attributes(), QLatin1String("lon"));
    if (!latitude || !longitude) {
        point.problem = WaypointFile::tr("the point has no readable lat and lon");
        return;
    }
    const position::Position p{*latitude, *longitude};
    if (!onTheEarth(p))
        point.problem = offTheEarth(p);
    else
        point.position = p;
}

} // namespace

FileWaypoints readGpx(QIODevice &device, ReadingControl &control)
{
    FileWaypoints file;
    QXmlStreamReader xml(&device);
    Point point;
    qint64 trackPoints = 0;
    bool rootSeen = false;
    int tokens = 0;

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (xml.hasError())
            break;
        if (++tokens % tokensBetweenChecks == 0) {
            control.bytesRead = device.pos();
            if (control.cancel) {
                file.cancelled = true;
                return file;
            }
        }
        if (token == QXmlStreamReader::DTD && !xml.entityDeclarations().isEmpty()) {
            // GPX never needs entities of its own, and a few nested ones can grow to any size.
            file.error = WaypointFile::tr(
                "The file declares XML entities of its own, which a GPX file never "
                "needs. It is not read, so that it cannot take all the memory.");
            return file;
        }
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (!rootSeen) {
                rootSeen = true;
                if (name != u"gpx") {
                    file.error =
                        WaypointFile::tr("The file is XML, but not GPX: it begins with <%1>.")
                            .arg(name.left(40));
                    return file;
                }
            } else if (name == u"wpt" || name == u"rtept") {
                startPoint(point, xml);
            } else if (name == u"trkpt") {
                ++trackPoints;
            } else if (point.inPoint && name == u"name" && point.name.isEmpty()) {
                point.name = xml.readElementText(QXmlStreamReader::IncludeChildElements)
                                 .left(longestNameKept);
                if (xml.hasError())
                    break;
            }
        } else if (token == QXmlStreamReader::EndElement && point.inPoint &&
                   (xml.name() == u"wpt" || xml.name() == u"rtept")) {
            if (point.position)
                file.waypoints.append({point.name.trimmed(), *point.position, point.line});
            else
                file.leaveOut(point.line, point.problem);
            point = Point{};
        }
    }
    control.bytesRead = device.pos();

    if (xml.hasError()) {
        if (!rootSeen) {
            file.error =
                WaypointFile::tr("The file is not a GPX file that can be read: %1 (line %2).")
                    .arg(xml.errorString(), QString::number(xml.lineNumber()));
            return file;
        }
        // What was read before the fault is kept: a truncated download still offers its points.
        file.leaveOut(
            xml.lineNumber(),
            xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                ? WaypointFile::tr(
                      "the file ends here, in the middle of the GPX; the rest is missing")
                : WaypointFile::tr("the GPX is broken here (%1); the rest of the file is not read")
                      .arg(xml.errorString()));
    }
    if (file.waypoints.isEmpty() && file.leftOutCount == 0) {
        file.error =
            trackPoints > 0
                ? WaypointFile::tr("The file holds only tracks (%1 track points): a track is not a "
                                   "list of waypoints. Only waypoints and routes are sent.")
                      .arg(trackPoints)
                : WaypointFile::tr("The file holds no waypoints and no routes.");
    }
    return file;
}

} // namespace waypointfile
