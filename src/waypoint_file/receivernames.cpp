#include "waypoint_file/receivernames.h"

#include "platform/eightbit.h"
#include "sentence/waypointsentence.h"

#include <QHash>
#include <QSet>

namespace waypointfile {

namespace {

// What an unnamed waypoint is called, numbered like any other name that repeats.
const QString unnamed = QStringLiteral("WPT");

bool reserved(QChar c)
{
    constexpr char16_t nmeaReserved[] = u"$*,!\\^~";
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator ||
           std::u16string_view(nmeaReserved).find(c.unicode()) != std::u16string_view::npos;
}

QString sentenceFor(const QString &name, const position::ReceiverForm &form)
{
    return *sentence::makeWaypointString(name, form.latitude, form.longitude,
                                         form.latitudeHemisphere, form.longitudeHemisphere);
}

// The length of the sentence with an empty name, worked out without building it.
qsizetype unnamedLength(const position::ReceiverForm &form)
{
    return QStringView(u"$GPWPL,,N,,W,*hh\r\n").size() + form.latitude.size() +
           form.longitude.size();
}

// Cuts without splitting a surrogate pair.
QString cut(const QString &name, qsizetype length)
{
    if (name.size() <= length)
        return name;
    if (length > 0 && name[length - 1].isHighSurrogate())
        --length;
    return name.first(length);
}

} // namespace

QString cleanName(QStringView name)
{
    QString kept;
    kept.reserve(name.size());
    for (const QChar c : name) {
        // A character the port's 8-bit set lacks would go out as "?", and two names of such
        // characters would be one name to the receiver.
        if (!reserved(c) && platform::holdsInEightBit(QStringView(&c, 1)))
            kept.append(c);
    }
    return sentence::toUpperKeepingLength(kept.trimmed());
}

QList<position::ReceiverForm> receiverForms(const QList<position::Position> &positions)
{
    QList<position::ReceiverForm> forms;
    forms.reserve(positions.size());
    for (const position::Position &p : positions)
        forms.append(position::receiverForm(p));
    return forms;
}

QList<ReceiverWaypoint> receiverWaypoints(const QList<QString> &names,
                                          const QList<position::ReceiverForm> &forms,
                                          int nameLength)
{
    QList<ReceiverWaypoint> waypoints;
    waypoints.reserve(forms.size());
    QSet<QString> taken;
    // The next number to try for each name that repeats, so that a thousand unnamed waypoints
    // are numbered without trying each number again.
    QHash<QString, int> nextNumber;
    for (qsizetype i = 0; i < forms.size(); ++i) {
        const position::ReceiverForm &form = forms[i];
        const qsizetype room = longestSentence - unnamedLength(form);
        const qsizetype limit =
            nameLength == wholeNames ? room : std::min<qsizetype>(nameLength, room);
        QString clean = cleanName(i < names.size() ? names[i] : QString());
        if (clean.isEmpty())
            clean = unnamed;
        ReceiverWaypoint waypoint;
        waypoint.cutToFit = clean.size() > room && (nameLength == wholeNames || nameLength > room);
        const QString base = cut(clean, limit).trimmed();
        QString name = base;
        if (taken.contains(name)) {
            // A name that ends in a number goes on with that series: CAMP2 taken gives CAMP3.
            QString stem = base;
            while (!stem.isEmpty() && stem.back().isDigit() && stem.back().unicode() <= '9')
                stem.chop(1);
            if (stem.isEmpty())
                stem = base;
            int &n = nextNumber[stem];
            n = std::max(n, 2);
            for (;; ++n) {
                const QString number = QString::number(n);
                // A name too short for any number stays as it is: the user can rename it.
                if (number.size() > limit)
                    break;
                const QString numbered = cut(stem, limit - number.size()).trimmed() + number;
                if (!taken.contains(numbered)) {
                    name = numbered;
                    break;
                }
            }
        }
        taken.insert(name);
        waypoint.name = name;
        waypoint.sentence = sentenceFor(name, form);
        waypoints.append(std::move(waypoint));
    }
    return waypoints;
}

} // namespace waypointfile
