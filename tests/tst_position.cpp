#include "position/positionreader.h"

#include <QTest>

class tst_Position : public QObject
{
    Q_OBJECT

private slots:
    void forms_data();
    void forms();
    void shownInDegreesAndMinutes_data();
    void shownInDegreesAndMinutes();
};

namespace {

// Seattle, as the forms below write it in its many ways.
constexpr const char *seattleLat = "4736.3720";
constexpr const char *seattleLon = "12219.9260";

void form(const char *tag, const QString &text, const char *lat, char latHemisphere,
          const char *lon, char lonHemisphere)
{
    QTest::newRow(tag) << text << QString::fromLatin1(lat) << QChar::fromLatin1(latHemisphere)
                       << QString::fromLatin1(lon) << QChar::fromLatin1(lonHemisphere) << QString();
}

void fault(const char *tag, const QString &text, const char *reason)
{
    QTest::newRow(tag) << text << QString() << QChar() << QString() << QChar()
                       << QString::fromUtf8(reason);
}

} // namespace

void tst_Position::forms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QChar>("latitudeHemisphere");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QChar>("longitudeHemisphere");
    // Empty where the text reads; otherwise words that the reason holds.
    QTest::addColumn<QString>("reason");

    form("signed, comma", u"47.6062, -122.3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("signed, comma, no space", u"47.6062,-122.3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("signed, space", u"-33.8688 151.2093"_qs, "3352.1280", 'S', "15112.5580", 'E');
    form("spaces around", u"  47.6062, -122.3321\n"_qs, seattleLat, 'N', seattleLon, 'W');
    form("plus sign", u"+47.6062 +122.3321"_qs, seattleLat, 'N', "12219.9260", 'E');
    form("unicode minus", u"47.6062 \u2212122.3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("degrees sign and letters", u"47.6062° N, 122.3321° W"_qs, seattleLat, 'N', seattleLon,
         'W');
    form("letters first", u"N 47.6062 W 122.3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("letters after, joined", u"47.6062N 122.3321W"_qs, seattleLat, 'N', seattleLon, 'W');
    form("lower-case letters", u"47.6062n 122.3321w"_qs, seattleLat, 'N', seattleLon, 'W');
    form("words", u"47.6062 North 122.3321 West"_qs, seattleLat, 'N', seattleLon, 'W');
    form("longitude first by its letter", u"W 122.3321 N 47.6062"_qs, seattleLat, 'N', seattleLon,
         'W');
    form("longitude first, letters after", u"122.3321W 47.6062N"_qs, seattleLat, 'N', seattleLon,
         'W');
    form("one letter says which", u"122.3321 W, 47.6062"_qs, seattleLat, 'N', seattleLon, 'W');
    form("geocaching", u"N 47° 36.372' W 122° 19.922'"_qs, seattleLat, 'N', "12219.9220", 'W');
    form("minutes, letters after", u"47 36.372N 122 19.922W"_qs, seattleLat, 'N', "12219.9220",
         'W');
    form("minutes, letters joined first", u"N47 36.372 W122 19.922"_qs, seattleLat, 'N',
         "12219.9220", 'W');
    form("minutes, no letters", u"47 36.372 -122 19.922"_qs, seattleLat, 'N', "12219.9220", 'W');
    form("minutes, numbers alone", u"47 36.372 122 19.922"_qs, seattleLat, 'N', "12219.9220", 'E');
    form("seconds", u"47°36'22.3\"N 122°19'55.3\"W"_qs, "4736.3717", 'N', "12219.9217", 'W');
    form("seconds, primes", u"47°36′22.3″N 122°19′55.3″W"_qs, "4736.3717", 'N', "12219.9217", 'W');
    form("seconds, two apostrophes", u"47°36'22.3''N 122°19'55.3''W"_qs, "4736.3717", 'N',
         "12219.9217", 'W');
    form("seconds, spaced", u"47° 36' 22.3\" N, 122° 19' 55.3\" W"_qs, "4736.3717", 'N',
         "12219.9217", 'W');
    form("seconds, no marks", u"47 36 22.3 122 19 55.3"_qs, "4736.3717", 'N', "12219.9217", 'E');
    form("seconds, no letters", u"47°36'22.3\" -122°19'55.3\""_qs, "4736.3717", 'N', "12219.9217",
         'W');
    form("d and deg", u"47d 36.372m N 122deg 19.922min W"_qs, seattleLat, 'N', "12219.9220", 'W');
    form("decimal comma, space", u"47,6062 -122,3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("decimal comma, semicolon", u"47,6062;-122,3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("decimal comma and separating comma", u"47,6062, -122,3321"_qs, seattleLat, 'N',
         seattleLon, 'W');
    form("integers with a comma", u"47,122"_qs, "4700.0000", 'N', "12200.0000", 'E');
    form("NMEA fields", u"4736.372,N,12219.922,W"_qs, seattleLat, 'N', "12219.9220", 'W');
    form("NMEA, letters joined", u"4736.372N 12219.922W"_qs, seattleLat, 'N', "12219.9220", 'W');
    form("NMEA, padded longitude", u"3351.123,N,08412.345,W"_qs, "3351.1230", 'N', "08412.3450",
         'W');
    form("geo", u"geo:47.6062,-122.3321"_qs, seattleLat, 'N', seattleLon, 'W');
    form("geo with uncertainty", u"geo:47.6062,-122.3321;u=35"_qs, seattleLat, 'N', seattleLon,
         'W');
    form("geo with altitude and crs", u"GEO:47.6062,-122.3321,30;crs=wgs84;u=5"_qs, seattleLat, 'N',
         seattleLon, 'W');
    form("geo with a query", u"geo:47.6062,-122.3321?z=15"_qs, seattleLat, 'N', seattleLon, 'W');
    form("map view", u"https://www.google.com/maps/@47.6062,-122.3321,15z"_qs, seattleLat, 'N',
         seattleLon, 'W');
    form("map view with a place",
         u"https://www.google.com/maps/place/Seattle/@47.6062,-122.3321,12z/data=!3m1"_qs,
         seattleLat, 'N', seattleLon, 'W');
    form(
        "map place beside its view",
        u"https://www.google.com/maps/place/Space+Needle/@47.6,-122.3,17z/data=!3m1!4b1!4m5!3m4!1s0x0:0x0!8m2!3d47.6062!4d-122.3321"_qs,
        seattleLat, 'N', seattleLon, 'W');
    form("address without its scheme", u"maps.google.com/?q=47.6062,-122.3321"_qs, seattleLat, 'N',
         seattleLon, 'W');
    form("map centre with a tilde", u"https://www.bing.com/maps?cp=47.6062~-122.3321&lvl=11"_qs,
         seattleLat, 'N', seattleLon, 'W');
    form("map query", u"https://maps.google.com/?q=47.6062,-122.3321"_qs, seattleLat, 'N',
         seattleLon, 'W');
    form("map query, encoded", u"https://maps.example.com/?hl=en&q=47.6062%2C-122.3321&z=3"_qs,
         seattleLat, 'N', seattleLon, 'W');
    form("map fragment", u"https://www.openstreetmap.org/#map=15/47.6062/-122.3321"_qs, seattleLat,
         'N', seattleLon, 'W');
    form("map marker before the view",
         u"https://www.openstreetmap.org/?mlat=47.6062&mlon=-122.3321#map=9/47.6/-122.3"_qs,
         seattleLat, 'N', seattleLon, 'W');
    form("rounded to nearest", u"47 36.37204 N 122 19.92206 W"_qs, "4736.3720", 'N', "12219.9221",
         'W');
    form("minutes carry into degrees", u"47° 59.99999′ N, 122° 59.99996′ W"_qs, "4800.0000", 'N',
         "12300.0000", 'W');
    form("equator and meridian", u"0, 0"_qs, "0000.0000", 'N', "00000.0000", 'E');
    form("south of zero rounds to zero", u"-0.0000001, -0.0000001"_qs, "0000.0000", 'N',
         "00000.0000", 'E');
    form("pole and antimeridian", u"90 S 180 W"_qs, "9000.0000", 'S', "18000.0000", 'W');
    form("minus with its own letter", u"-33.8688 S, 151.2093 E"_qs, "3352.1280", 'S', "15112.5580",
         'E');

    fault("empty", u""_qs, "Type or paste a position");
    fault("spaces only", u"   "_qs, "Type or paste a position");
    fault("latitude beyond 90", u"95, 10"_qs, "latitude, 95°, is beyond 90°");
    fault("longitude first without letters", u"-122.3321, 47.6062"_qs,
          "latitude, 122.3321°, is beyond 90°");
    fault("longitude beyond 180", u"47, 190"_qs, "longitude, 190°, is beyond 180°");
    fault("latitude beyond 90 by its minutes", u"90 0.5 N 10 W"_qs, "beyond 90°");
    fault("minutes of 60", u"47 60 N 122 0 W"_qs, "minutes, 60, are 60 or more");
    fault("seconds of 60", u"47 30 60 N 122 0 0 W"_qs, "seconds, 60, are 60 or more");
    fault("packed minutes of 60", u"4760.000N 12200.000W"_qs, "(ddmm.mmmm) are 60 or more");
    fault("two latitude letters", u"47 N 122 S"_qs, "Both coordinates have a latitude letter");
    fault("two longitude letters", u"47 E 122 W"_qs, "Both coordinates have a longitude letter");
    fault("sign against letter", u"-47 N, 122 W"_qs, "minus sign stands against the letter N");
    fault("sign against east", u"47 N, -122 E"_qs, "minus sign stands against the letter E");
    fault("one coordinate", u"47.6062"_qs, "only one coordinate");
    fault("one coordinate with letter", u"47.6062 N"_qs, "only one coordinate");
    fault("no half-reading", u"47.6062, -122.33x1"_qs, "“x” is not part of a position");
    fault("a word", u"Seattle"_qs, "“Seattle” is not part of a position");
    fault("three coordinates", u"1, 2, 3"_qs, "more than two coordinates");
    fault("three lettered", u"N 1 E 2 N 3"_qs, "more than two coordinates");
    fault("odd count of numbers", u"47 36 122"_qs, "where the latitude ends");
    fault("two numbers and one letter", u"47.6062 122.3321 W"_qs, "where the latitude ends");
    fault("four numbers in one coordinate", u"47 36 22 1 N, 122 W"_qs, "more numbers than degrees");
    fault("decimal part before minutes", u"47.5 30 N 122 W"_qs, "Only the last number");
    fault("seconds before minutes", u"47° 22\" 36' N, 122 W"_qs, "out of order");
    fault("letter alone", u"47, N, W"_qs, "W stands without a number");
    fault("letters together", u"N S 47 122"_qs, "Two letters stand together");
    fault("mark alone", u"° 47 122"_qs, "stands without its number");
    fault("sign alone", u"47 - 122"_qs, "sign stands without its number");
    fault("two points", u"47.60.62 122"_qs, "is not a number");
    fault("too many digits", QString(100000, u'7'), "too many digits");
    fault("long paste", QString(u"1 "_qs).repeated(50000), "more here than a position");
    fault("long paste of spaces", u"47, "_qs + QString(100000, u' ') + u'x', "“x” is not part");
    fault("long word, quoted short", QString(100000, u'a'),
          "“aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa…” is not part of a position.");
    fault("emoji", u"47 😀 122"_qs, "“😀” is not part");
    fault("geo without longitude", u"geo:47.6062"_qs, "does not hold a latitude and a longitude");
    fault("geo not numbers", u"geo:47.6062,west"_qs, "does not hold a latitude and a longitude");
    fault("geo in another system", u"geo:47,-122;crs=epsg3857"_qs, "not in WGS 84");
    fault("geo beyond 180", u"geo:47,-190"_qs, "beyond 180°");
    fault("slash without a host", u"47/122"_qs, "“/” is not part of a position");
    fault("address without a position", u"https://example.org/maps?q=Seattle"_qs,
          "holds no position");
}

void tst_Position::forms()
{
    QFETCH(QString, text);
    QFETCH(QString, latitude);
    QFETCH(QChar, latitudeHemisphere);
    QFETCH(QString, longitude);
    QFETCH(QChar, longitudeHemisphere);
    QFETCH(QString, reason);
    const position::Reading reading = position::read(text);
    if (!reason.isEmpty()) {
        QVERIFY2(!reading.position, qPrintable(position::degreesAndMinutes(*reading.position)));
        QVERIFY2(reading.reason.contains(reason), qPrintable(reading.reason));
        return;
    }
    QVERIFY2(reading.position, qPrintable(reading.reason));
    QVERIFY(reading.reason.isEmpty());
    const position::ReceiverForm form = position::receiverForm(*reading.position);
    QCOMPARE(form.latitude, latitude);
    QCOMPARE(form.latitudeHemisphere, latitudeHemisphere);
    QCOMPARE(form.longitude, longitude);
    QCOMPARE(form.longitudeHemisphere, longitudeHemisphere);
}

void tst_Position::shownInDegreesAndMinutes_data()
{
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QString>("shown");
    QTest::newRow("seattle") << 47.6062 << -122.3321 << u"47° 36.3720′ N, 122° 19.9260′ W"_qs;
    QTest::newRow("sydney") << -33.8688 << 151.2093 << u"33° 52.1280′ S, 151° 12.5580′ E"_qs;
    QTest::newRow("carry") << 47.9999999 << -0.0000001 << u"48° 0.0000′ N, 0° 0.0000′ E"_qs;
}

void tst_Position::shownInDegreesAndMinutes()
{
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QString, shown);
    QCOMPARE(position::degreesAndMinutes({latitude, longitude}), shown);
}

QTEST_GUILESS_MAIN(tst_Position)
#include "tst_position.moc"
