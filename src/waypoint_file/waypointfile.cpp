#include "waypoint_file/waypointfile.h"

#include "waypoint_file/csvreader.h"
#include "waypoint_file/gpxreader.h"
#include "waypoint_file/nmeareader.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QStringDecoder>

namespace waypointfile {

namespace {

// The context of the words below, for translators.
class WaypointFile
{
    Q_DECLARE_TR_FUNCTIONS(WaypointFile)
};

// Enough of the start to tell the form, and a binary file by its zero bytes.
constexpr qint64 peekSize = 4096;

QString decode(const QByteArray &bytes)
{
    // UTF-8 when it is; otherwise the file was written in an 8-bit set, of which Latin-1 reads
    // every byte.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

} // namespace

FileWaypoints read(QIODevice &device, ReadingControl &control)
{
    FileWaypoints file;
    QByteArray start = device.peek(peekSize);
    if (start.isEmpty()) {
        if (device.atEnd())
            file.error = WaypointFile::tr("The file is empty.");
        else
            file.error =
                WaypointFile::tr("The file could not be read: %1").arg(device.errorString());
        return file;
    }
    if (start.contains('\0')) {
        file.error = WaypointFile::tr(
            "The file is not text: it is not a GPX, CSV or NMEA file of waypoints.");
        return file;
    }
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    if (start.trimmed().startsWith('<'))
        return readGpx(device, control);

    const QString text = decode(device.readAll());
    control.bytesRead = device.pos();
    if (text.trimmed().isEmpty()) {
        file.error =
            WaypointFile::tr("The file holds no waypoints: it is empty but for blank space.");
        return file;
    }
    for (const QStringView line : QStringView(text).tokenize(u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (looksLikeNmea(line))
            return readNmea(text, control);
        break;
    }
    file = readCsv(text.startsWith(QChar(0xFEFF)) ? QStringView(text).sliced(1) : text, control);
    if (!file.error.isEmpty() && file.waypoints.isEmpty() && file.leftOutCount == 0 &&
        !text.contains(u',') && !text.contains(u';') && !text.contains(u'\t'))
        file.error = WaypointFile::tr("The file is not a GPX, CSV or NMEA file of waypoints.");
    return file;
}

} // namespace waypointfile
