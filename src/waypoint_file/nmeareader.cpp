#include "waypoint_file/nmeareader.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace waypointfile {

namespace {

// The context of the words below, for translators.
class WaypointFile
{
    Q_DECLARE_TR_FUNCTIONS(WaypointFile)
};

constexpr qsizetype linesBetweenChecks = 4096;
constexpr qsizetype longestNameKept = 1000;

// "ddmm.mmm" or "dddmm.mmm" with its hemisphere letter, to signed degrees.
std::optional<double> degrees(QStringView field, QStringView hemisphere, int degreeDigits,
                              QChar positive, QChar negative)
{
    if (field.size() < degreeDigits + 2 || hemisphere.size() != 1)
        return std::nullopt;
    for (qsizetype i = 0; i < degreeDigits + 2; ++i) {
        if (!field[i].isDigit() || field[i].unicode() > '9')
            return std::nullopt;
    }
    bool ok = false;
    const double wholeDegrees = field.first(degreeDigits).toInt(&ok);
    if (!ok)
        return std::nullopt;
    const double minutes = QLocale::c().toDouble(field.sliced(degreeDigits), &ok);
    if (!ok || minutes >= 60)
        return std::nullopt;
    const double value = wholeDegrees + minutes / 60;
    if (hemisphere.front() == positive)
        return value;
    if (hemisphere.front() == negative)
        return -value;
    return std::nullopt;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// The stamp line of a record in Pindrel's log: `",#hh:mm:ss#,#yyyy-mm-dd#`.
bool isLogStamp(QStringView line)
{
    static const QRegularExpression stamp(QStringLiteral("^\",#[0-9:]*#,#[0-9-]*#$"));
    return stamp.match(line).hasMatch();
}

} // namespace

bool looksLikeNmea(QStringView line)
{
    line = line.trimmed();
    if (line.startsWith(u'"'))
        line = line.sliced(1);
    return line.size() >= 6 && line.front() == u'$';
}

FileWaypoints readNmea(QStringView text, ReadingControl &control)
{
    FileWaypoints file;
    qint64 lineNumber = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf(u'\n', at);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(at, end - at).trimmed();
        at = end + 1;
        if (++lineNumber % linesBetweenChecks == 0) {
            control.bytesRead = at * qint64(sizeof(QChar));
            if (control.cancel) {
                file.cancelled = true;
                return file;
            }
        }
        if (line.isEmpty() || isLogStamp(line))
            continue;
        // A record of Pindrel's log opens with a double quote before its sentence.
        if (line.startsWith(u"\"$"))
            line = line.sliced(1);
        if (!line.startsWith(u'$')) {
            file.leaveOut(lineNumber, WaypointFile::tr("the line is not an NMEA sentence"));
            continue;
        }
        if (line.size() < 6 || QStringView(line).sliced(3, 3) != u"WPL")
            continue;
        const qsizetype star = line.lastIndexOf(u'*');
        if (star < 0 || star + 3 != line.size() || !isHexDigit(line[star + 1]) ||
            !isHexDigit(line[star + 2])) {
            file.leaveOut(lineNumber, WaypointFile::tr("the sentence has no checksum"));
            continue;
        }
        unsigned checksum = 0;
        for (const QChar c : line.sliced(1, star - 1))
            checksum ^= c.unicode() & 0xff;
        if (checksum != line.sliced(star + 1).toUInt(nullptr, 16)) {
            file.leaveOut(lineNumber,
                          WaypointFile::tr("the checksum is wrong: the sentence was changed or "
                                           "damaged"));
            continue;
        }
        const QList<QStringView> fields = line.sliced(0, star).split(u',');
        if (fields.size() < 6) {
            file.leaveOut(lineNumber, WaypointFile::tr("the waypoint sentence has too few fields"));
            continue;
        }
        const auto latitude = degrees(fields[1], fields[2], 2, u'N', u'S');
        const auto longitude = degrees(fields[3], fields[4], 3, u'E', u'W');
        if (!latitude || !longitude) {
            file.leaveOut(lineNumber,
                          WaypointFile::tr("the waypoint sentence has no readable position"));
            continue;
        }
        const position::Position p{*latitude, *longitude};
        if (!onTheEarth(p)) {
            file.leaveOut(lineNumber, offTheEarth(p));
            continue;
        }
        file.waypoints.append({fields[5].left(longestNameKept).toString(), p, lineNumber});
    }
    if (file.waypoints.isEmpty() && file.leftOutCount == 0)
        file.error = WaypointFile::tr("The file holds NMEA sentences, but no waypoint sentences.");
    return file;
}

} // namespace waypointfile
