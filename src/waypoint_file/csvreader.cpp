#include "waypoint_file/csvreader.h"

#include <QCoreApplication>
#include <QStringList>

namespace waypointfile {

namespace {

// The context of the words below, for translators.
class WaypointFile
{
    Q_DECLARE_TR_FUNCTIONS(WaypointFile)
};

constexpr qsizetype rowsBetweenChecks = 1024;
constexpr qsizetype longestNameKept = 1000;

// Reads one record from `at`, which it moves past the record's line end. Quotes follow
// RFC 4180: a quoted field may hold separators, line ends and doubled quotes. `lines` counts
// the line ends passed, so that a record is told by the line it starts on.
QStringList nextRecord(QStringView text, qsizetype &at, QChar separator, qint64 &lines)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    while (at < text.size()) {
        const QChar c = text[at++];
        if (quoted) {
            if (c == u'"') {
                if (at < text.size() && text[at] == u'"') {
                    field.append(u'"');
                    ++at;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++lines;
                field.append(c);
            }
        } else if (c == u'"' && !wasQuoted && field.trimmed().isEmpty()) {
            quoted = true;
            wasQuoted = true;
            field.clear();
        } else if (c == separator) {
            fields.append(wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && at < text.size() && text[at] == u'\n')
                ++at;
            ++lines;
            break;
        } else {
            field.append(c);
        }
    }
    fields.append(wasQuoted ? field : field.trimmed());
    return fields;
}

struct Columns
{
    qsizetype name = -1;
    qsizetype latitude = -1;
    qsizetype longitude = -1;
    qsizetype position = -1;

    bool usable() const { return position >= 0 || (latitude >= 0 && longitude >= 0); }
};

Columns columnsOf(const QStringList &header)
{
    Columns columns;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString word = header[i].trimmed().toLower();
        qsizetype *column = nullptr;
        if (word == u"name")
            column = &columns.name;
        else if (word == u"lat" || word == u"latitude")
            column = &columns.latitude;
        else if (word == u"lon" || word == u"lng" || word == u"long" || word == u"longitude")
            column = &columns.longitude;
        else if (word == u"position")
            column = &columns.position;
        // The first column of a name counts, should a table name one twice.
        if (column != nullptr && *column < 0)
            *column = i;
    }
    return columns;
}

} // namespace

FileWaypoints readCsv(QStringView text, ReadingControl &control)
{
    FileWaypoints file;
    // The separator is the one that makes the first line a usable header.
    qsizetype at = 0;
    qint64 lines = 0;
    QChar separator;
    Columns columns;
    for (const QChar candidate : {u',', u';', u'\t'}) {
        qsizetype headerEnd = 0;
        qint64 headerLines = 0;
        const Columns found = columnsOf(nextRecord(text, headerEnd, candidate, headerLines));
        if (found.usable()) {
            separator = candidate;
            columns = found;
            at = headerEnd;
            lines = headerLines;
            break;
        }
    }
    if (separator.isNull()) {
        file.error = WaypointFile::tr(
            "The file is not a table of waypoints that can be read: its first line "
            "must name the columns, such as name,lat,lon or name;position.");
        return file;
    }

    qsizetype rows = 0;
    while (at < text.size()) {
        if (++rows % rowsBetweenChecks == 0) {
            control.bytesRead = at * qint64(sizeof(QChar));
            if (control.cancel) {
                file.cancelled = true;
                return file;
            }
        }
        const qint64 line = lines + 1;
        const QStringList fields = nextRecord(text, at, separator, lines);
        if (fields.size() == 1 && fields.front().isEmpty())
            continue;
        const auto field = [&fields](qsizetype column) {
            return column >= 0 && column < fields.size() ? fields[column] : QString();
        };
        const QString positionText =
            columns.position >= 0
                ? field(columns.position)
                : field(columns.latitude) + QLatin1String(", ") + field(columns.longitude);
        const position::Reading reading = position::read(positionText);
        if (!reading.position) {
            file.leaveOut(line, reading.reason);
            continue;
        }
        if (!onTheEarth(*reading.position)) {
            file.leaveOut(line, offTheEarth(*reading.position));
            continue;
        }
        file.waypoints.append({field(columns.name).left(longestNameKept), *reading.position, line});
    }
    if (file.waypoints.isEmpty() && file.leftOutCount == 0)
        file.error = WaypointFile::tr("The table names its columns but holds no waypoints.");
    return file;
}

} // namespace waypointfile
