#include "sentence/receiverreading.h"

#include "platform/eightbit.h"
#include "position/positionreader.h"
#include "sentence/waypointsentence.h"

#include <QCoreApplication>

#include <cmath>
#include <optional>

namespace sentence {

namespace {

// The context of the words below, for translators.
class ReadBack
{
    Q_DECLARE_TR_FUNCTIONS(sentence)
};

// One of the two boxes, as the warnings name it.
struct CoordinateBox
{
    QString box;
    QString form;
    int limit;
    QChar positive;
    QChar negative;
    QString zeroLine;
};

CoordinateBox latitudeBox()
{
    return {ReadBack::tr("Latitude box"), QStringLiteral("ddmm.mmmm"), 90, u'N', u'S',
            ReadBack::tr("the equator")};
}

CoordinateBox longitudeBox()
{
    return {ReadBack::tr("Longitude box"),     QStringLiteral("dddmm.mmmm"), 180, u'E', u'W',
            ReadBack::tr("the prime meridian")};
}

// A field as an NMEA reader takes it: a number whose hundreds are degrees and whose rest is
// minutes. Degrees, signed as typed; or nothing, with why, in `problem`.
std::optional<double> nmeaDegrees(QStringView field, const CoordinateBox &box, QString &problem)
{
    if (field.isEmpty()) {
        problem = ReadBack::tr("The %1 is empty: type %2, or use Waypoint \u2192 Enter Position.")
                      .arg(box.box, box.form);
        return std::nullopt;
    }
    bool point = false;
    bool digit = false;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        const bool sign = i == 0 && (c == u'-' || c == u'+');
        const bool mark = c == u'.' && !point;
        if (!(c >= u'0' && c <= u'9') && !sign && !mark) {
            const qsizetype length = c.isHighSurrogate() && i + 1 < field.size() ? 2 : 1;
            const QString what = c.isSpace() ? ReadBack::tr("a space")
                                             : position::quotedForMessage(field.sliced(i, length));
            problem =
                ReadBack::tr("The %1 holds %2, which a receiver cannot read: it takes %3, digits "
                             "with a decimal point.")
                    .arg(box.box, what, box.form);
            return std::nullopt;
        }
        point |= mark;
        digit |= !sign && !mark;
    }
    if (!digit) {
        problem =
            ReadBack::tr("The %1 holds no digits: a receiver stores no position.").arg(box.box);
        return std::nullopt;
    }
    const double value = std::abs(field.toDouble());
    const double degrees = std::floor(value / 100);
    const double minutes = value - degrees * 100;
    const double result = degrees + minutes / 60;
    if (minutes >= 60 || result > box.limit) {
        // Shown as typed, not as the nearest double.
        const QStringView digits =
            field.front() == u'-' || field.front() == u'+' ? field.sliced(1) : field;
        const qsizetype whole = point ? digits.indexOf(u'.') : digits.size();
        QString shownMinutes = digits.sliced(qMax(0, whole - 2)).toString();
        if (shownMinutes.size() > 1 && shownMinutes[0] == u'0' && shownMinutes[1].isDigit())
            shownMinutes.remove(0, 1);
        const QString shown =
            ReadBack::tr("%1\u00b0 %2\u2032").arg(position::shortestNumber(degrees), shownMinutes);
        problem = minutes >= 60
                      ? ReadBack::tr("The %1 reads as %2, which a receiver cannot take: minutes "
                                     "are below 60.")
                            .arg(box.box, shown)
                      : ReadBack::tr("The %1 reads as %2, beyond %3\u00b0.")
                            .arg(box.box, shown, QString::number(box.limit));
        return std::nullopt;
    }
    return field.front() == u'-' ? -result : result;
}

// Where the text of a box meant degrees, but the reader takes its whole number for minutes.
QString decimalDegreesWarning(QStringView text, const CoordinateBox &box)
{
    QStringView digits = text;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+'))
        digits = digits.sliced(1);
    const qsizetype point = digits.indexOf(u'.');
    const qsizetype whole = point < 0 ? digits.size() : point;
    if (whole > 2 || std::abs(text.toDouble()) == 0)
        return {};
    return ReadBack::tr(
               "The %1 reads as 0\u00b0 %2\u2032, near %3. For %4 degrees, use Waypoint \u2192 "
               "Enter Position.")
        .arg(box.box, digits.toString(), box.zeroLine, text.toString());
}

// The text as the receiver gets it: composed, with "?" for each character that the 8-bit set
// lacks; those are added to `lost`, each once, in the order typed.
QString asSent(QStringView text, QStringList &lost)
{
    const QString composed = text.toString().normalized(QString::NormalizationForm_C);
    QString sent;
    sent.reserve(composed.size());
    for (qsizetype i = 0; i < composed.size(); ++i) {
        const qsizetype length = composed[i].isHighSurrogate() && i + 1 < composed.size() ? 2 : 1;
        const QStringView c = QStringView(composed).sliced(i, length);
        i += length - 1;
        if (platform::holdsInEightBit(c)) {
            sent += c;
            continue;
        }
        sent += u'?';
        const QString shown = position::quotedForMessage(c);
        if (!lost.contains(shown))
            lost << shown;
    }
    return sent;
}

QString direction(QChar letter)
{
    return letter == u'N'   ? ReadBack::tr("north")
           : letter == u'S' ? ReadBack::tr("south")
           : letter == u'E' ? ReadBack::tr("east")
                            : ReadBack::tr("west");
}

} // namespace

QString ReceiverReading::text() const
{
    return warnings.isEmpty() ? stored : stored + u' ' + warnings.join(u' ');
}

ReceiverReading readBack(const WaypointBoxes &boxes)
{
    ReceiverReading reading;
    const CoordinateBox latBox = latitudeBox();
    const CoordinateBox lonBox = longitudeBox();
    const std::optional<QString> made =
        makeWaypointString(boxes.name, boxes.latitude, boxes.longitude, boxes.latitudeHemisphere,
                           boxes.longitudeHemisphere);
    if (!made) {
        reading.stored =
            ReadBack::tr("These boxes make no sentence: it would be longer than %1 characters.")
                .arg(maxBodyLength);
        return reading;
    }

    // What ends, restarts or breaks the sentence for a reader, box by box.
    bool dropped = false;
    const std::pair<QStringView, QString> texts[] = {{boxes.name, ReadBack::tr("name")},
                                                     {boxes.latitude, latBox.box},
                                                     {boxes.longitude, lonBox.box}};
    for (const auto &[text, box] : texts) {
        if (text.contains(u'\r') || text.contains(u'\n')) {
            reading.warnings << ReadBack::tr(
                                    "The %1 holds a line end: the sentence is cut there, and a "
                                    "receiver drops it.")
                                    .arg(box);
            dropped = true;
        }
        if (text.contains(u'$')) {
            reading.warnings << ReadBack::tr(
                                    "The %1 holds \u201c$\u201d, which starts another sentence: "
                                    "a receiver drops this one.")
                                    .arg(box);
            dropped = true;
        }
        if (text.contains(u'*')) {
            reading.warnings << ReadBack::tr(
                                    "The %1 holds \u201c*\u201d, where a receiver looks for the "
                                    "checksum: it drops the sentence.")
                                    .arg(box);
            dropped = true;
        }
    }

    // The fields as a reader splits them, between "$GPWPL," and "*".
    const QStringView sentence(*made);
    const QStringView body = sentence.sliced(1, sentence.lastIndexOf(u'*') - 1);
    const QList<QStringView> fields = body.split(u',');
    const QString name = toUpperKeepingLength(boxes.name);
    const qsizetype comma = name.indexOf(u',');
    if (comma >= 0) {
        reading.warnings << ReadBack::tr(
                                "The name holds \u201c,\u201d: a receiver keeps only %1, the part "
                                "before it.")
                                .arg(position::quotedForMessage(QStringView(name).first(comma)));
    }

    QString latProblem;
    QString lonProblem;
    std::optional<double> lat = nmeaDegrees(boxes.latitude, latBox, latProblem);
    std::optional<double> lon = nmeaDegrees(boxes.longitude, lonBox, lonProblem);
    if (boxes.latitude.isEmpty() && boxes.longitude.isEmpty()) {
        reading.warnings << ReadBack::tr(
                                "The Latitude and Longitude boxes are empty: type %1 and %2, or "
                                "use Waypoint \u2192 Enter Position.")
                                .arg(latBox.form, lonBox.form);
    } else {
        for (const QString &problem : {latProblem, lonProblem}) {
            if (!problem.isEmpty())
                reading.warnings << problem;
        }
    }
    const std::pair<QStringView, const CoordinateBox *> coordinates[] = {
        {boxes.latitude, &latBox}, {boxes.longitude, &lonBox}};
    for (const auto &[text, box] : coordinates) {
        const QString warning = decimalDegreesWarning(text, *box);
        if (!warning.isEmpty() && (box == &latBox ? lat : lon))
            reading.warnings << warning;
    }
    const std::pair<std::optional<double> *, const CoordinateBox *> signs[] = {{&lat, &latBox},
                                                                               {&lon, &lonBox}};
    for (const auto &[value, box] : signs) {
        const QChar shown = box == &latBox ? boxes.latitudeHemisphere : boxes.longitudeHemisphere;
        // Minus zero is still zero, whichever way it is taken.
        if (!*value || !std::signbit(**value) || **value == 0)
            continue;
        const QChar taken = shown == box->negative ? box->positive : box->negative;
        reading.warnings << ReadBack::tr(
                                "The %1 has a minus sign against %2: a receiver takes it as %3.")
                                .arg(box->box, shown, direction(taken));
    }
    if (lat && boxes.latitudeHemisphere == latBox.negative)
        *lat = -*lat;
    if (lon && boxes.longitudeHemisphere == lonBox.negative)
        *lon = -*lon;

    QStringList lost;
    for (const auto &[text, box] : texts)
        asSent(text, lost);
    if (lost.size() == 1) {
        reading.warnings << ReadBack::tr("%1 is not in this system's character set: it goes out as "
                                         "\u201c?\u201d.")
                                .arg(lost.front());
    } else if (!lost.isEmpty()) {
        const QString last = lost.takeLast();
        reading.warnings << ReadBack::tr(
                                "%1 and %2 are not in this system's character set: they go out "
                                "as \u201c?\u201d.")
                                .arg(lost.join(QLatin1String(", ")), last);
    }

    if (!boxes.waypointString.isEmpty() && boxes.waypointString != sentence) {
        reading.warnings << ReadBack::tr(
            "The Waypoint String was made from other values, and goes out "
            "as it stands: Make String brings it up to date.");
    }

    // The name field ends at the first comma after the hemisphere fields; "?" stands where the
    // character set has nothing.
    QStringList ignored;
    const QString storedName = asSent(fields.value(5), ignored);
    if (dropped) {
        reading.stored = ReadBack::tr("A receiver will drop this sentence.");
    } else if (!lat || !lon) {
        reading.stored = storedName.isEmpty()
                             ? ReadBack::tr("A receiver will store no position.")
                             : ReadBack::tr("A receiver will store no position for %1.")
                                   .arg(position::quotedForMessage(storedName));
    } else {
        const QString where = position::degreesAndMinutes({*lat, *lon});
        reading.stored =
            storedName.isEmpty()
                ? ReadBack::tr("A receiver will store a waypoint without a name at %1.").arg(where)
                : ReadBack::tr("A receiver will store %1 at %2.")
                      .arg(position::quotedForMessage(storedName), where);
    }
    return reading;
}

} // namespace sentence
