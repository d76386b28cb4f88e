#include "gps_link/gpslink.h"
#include "pseudoterminal.h"
#include "waypoint_file/pacedsender.h"
#include "waypoint_file/receivernames.h"
#include "waypoint_file/waypointfile.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(waypointfile::PacedSender::Outcome)

class tst_WaypointFile : public QObject
{
    Q_OBJECT

private slots:
    void filesGiveRowsAndReasons_data();
    void filesGiveRowsAndReasons();
    void positionsAreReadExactly_data();
    void positionsAreReadExactly();
    void cancelStopsTheReading();

    void namesReceiversKeep_data();
    void namesReceiversKeep();
    void everySentenceKeepsTo82Characters();

    void pauseBeginsWhenTheWireIsFree();
    void eachTwiceInOrder();
    void stopsBeforeTheNextSentence_data();
    void stopsBeforeTheNextSentence();
    void aSentenceOnItsWayWhenTheLinkFailsIsNotCounted();
    void sendThroughThePortHoldsBackUntilThePause();
};

namespace {

waypointfile::FileWaypoints readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    waypointfile::ReadingControl control;
    return waypointfile::read(buffer, control);
}

QByteArray gpx(const QByteArray &body, const QByteArray &version = "1.1")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"" + version +
           "\" xmlns=\"http://www.topografix.com/GPX/" + QByteArray(version).replace('.', '/') +
           "\">\n" + body + "</gpx>\n";
}

// The sentence of a waypoint with its checksum worked out by hand, as a receiver would check it.
QByteArray withChecksum(const QByteArray &body)
{
    unsigned char sum = 0;
    for (const char c : body.mid(1))
        sum ^= static_cast<unsigned char>(c);
    return body + '*' + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0');
}

class FakeLink : public waypointfile::PacedLink
{
public:
    bool isOpen() const override { return open; }
    void send(const QByteArray &bytes) override { sent << bytes; }
    qint64 bytesToSend() const override { return backlog; }
    qint64 transmitMs(qint64 bytes) const override { return GpsLink::transmitMs(bytes); }

    bool open = true;
    qint64 backlog = 0;
    QList<QByteArray> sent;
};

} // namespace

void tst_WaypointFile::filesGiveRowsAndReasons_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<qint64>>("lines");
    // Each as "line: words of the reason".
    QTest::addColumn<QStringList>("leftOut");
    QTest::addColumn<QString>("error");

    const QByteArray trip = gpx("<wpt lat=\"47.5\" lon=\"-122.25\"><name>Trailhead</name></wpt>\n"
                                "<wpt lat=\"47.6\" lon=\"-122.3\"><ele>12</ele><name>Lake</name>"
                                "</wpt>\n"
                                "<rte><name>Loop</name>\n"
                                "<rtept lat=\"47.7\" lon=\"-122.1\"><name>Bridge</name></rtept>\n"
                                "<rtept lat=\"47.8\" lon=\"-122.0\"/>\n"
                                "</rte>\n"
                                "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk>\n");
    QTest::newRow("gpx 1.1: waypoints, then route points in order, no track points")
        << trip << QStringList{"Trailhead", "Lake", "Bridge", ""} << QList<qint64>{3, 4, 6, 7}
        << QStringList{} << "";
    QTest::newRow("gpx 1.0") << gpx("<wpt lat=\"1.5\" lon=\"2.5\"><name>Old</name></wpt>\n", "1.0")
                             << QStringList{"Old"} << QList<qint64>{3} << QStringList{} << "";
    QTest::newRow("gpx: a latitude off the earth is left out, the rest kept")
        << gpx("<wpt lat=\"95\" lon=\"10\"><name>Far</name></wpt>\n"
               "<wpt lat=\"45\" lon=\"10\"><name>Near</name></wpt>\n"
               "<wpt lat=\"north\" lon=\"10\"/>\n")
        << QStringList{"Near"} << QList<qint64>{4}
        << QStringList{"3: latitude 95", "5: no readable lat and lon"} << "";
    QTest::newRow("gpx cut short keeps what came before")
        << gpx("<wpt lat=\"45\" lon=\"10\"><name>Kept</name></wpt>\n<wpt lat=\"46\" lon=\"11\">"
               "<na")
               .chopped(8)
        << QStringList{"Kept"} << QList<qint64>{3} << QStringList{"4: ends here"} << "";
    QTest::newRow("gpx with no waypoints")
        << gpx("<metadata><name>x</name></metadata>\n") << QStringList{} << QList<qint64>{}
        << QStringList{} << "no waypoints";
    QTest::newRow("gpx with tracks only")
        << gpx("<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"1\" lon=\"3\"/></trkseg>"
               "</trk>\n")
        << QStringList{} << QList<qint64>{} << QStringList{} << "only tracks (2 track points)";
    QTest::newRow("xml that is not gpx")
        << QByteArray("<?xml version=\"1.0\"?><kml><Placemark/></kml>") << QStringList{}
        << QList<qint64>{} << QStringList{} << "not GPX";
    // The reader's own words quote the file: a "%2" there must come through as it stands.
    QTest::newRow("xml fault quoting the file")
        << QByteArray("<?xml version=\"1.0\" encoding=\"x%2\"?>\n<gpx/>\n") << QStringList{}
        << QList<qint64>{} << QStringList{} << "x%2";
    QTest::newRow("entity bomb")
        << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
                      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n"
                      "<gpx><wpt lat=\"1\" lon=\"2\"><name>&c;</name></wpt></gpx>")
        << QStringList{} << QList<qint64>{} << QStringList{} << "entities of its own";
    QTest::newRow("a name of a megabyte is cut as it is read")
        << gpx("<wpt lat=\"1\" lon=\"2\"><name>" + QByteArray(1 << 20, 'n') + "</name></wpt>\n")
        << QStringList{QString(1000, u'n')} << QList<qint64>{3} << QStringList{} << "";
    QTest::newRow("empty") << QByteArray() << QStringList{} << QList<qint64>{} << QStringList{}
                           << "empty";
    QTest::newRow("blank") << QByteArray(" \r\n\n") << QStringList{} << QList<qint64>{}
                           << QStringList{} << "blank";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << QStringList{}
                            << QList<qint64>{} << QStringList{} << "not text";
    QTest::newRow("prose") << QByteArray("Dear diary\nToday we walked.\n") << QStringList{}
                           << QList<qint64>{} << QStringList{} << "not a GPX, CSV or NMEA";

    QTest::newRow("nmea: any talker; wrong or missing checksums and other lines told")
        << withChecksum("$GPWPL,4730.000,N,12215.000,W,HOME") + "\r\n" +
               withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
               "\r\n" + withChecksum("$GNWPL,0100.500,S,00200.250,E,CAMP") + "\n" +
               "$GPWPL,4730.000,N,12215.000,W,HOME*00\n" + "$GPWPL,4730.000,N,12215.000,W,HOME\n" +
               "hello\n" + withChecksum("$GPWPL,4775.000,N,12215.000,W,BAD") + "\n"
        << QStringList{"HOME", "CAMP"} << QList<qint64>{1, 3}
        << QStringList{"4: checksum is wrong", "5: no checksum", "6: not an NMEA sentence",
                       "7: no readable position"}
        << "";
    QTest::newRow("pindrel's own log")
        << "\"" + withChecksum("$GPWPL,3351.123,N,08412.345,W,HOME") +
               "\r\n\",#14:05:09#,#2004-03-09#\r\n\"" +
               withChecksum("$GPWPL,3351.123,S,08412.345,E,AWAY") +
               "\r\n\",#14:05:10#,#2004-03-09#\r\n"
        << QStringList{"HOME", "AWAY"} << QList<qint64>{1, 3} << QStringList{} << "";
    QTest::newRow("nmea without waypoints")
        << withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") + "\n"
        << QStringList{} << QList<qint64>{} << QStringList{} << "no waypoint sentences";

    QTest::newRow("csv with commas")
        << QByteArray("name,lat,lon\r\nHome,47.5,-122.25\r\nCamp,-1.25,2.5\r\n")
        << QStringList{"Home", "Camp"} << QList<qint64>{2, 3} << QStringList{} << "";
    QTest::newRow("csv with semicolons, columns in another order, a header in capitals")
        << QByteArray("Longitude;Notes;NAME;Latitude\n-122.25;x;Home;47.5\n") << QStringList{"Home"}
        << QList<qint64>{2} << QStringList{} << "";
    QTest::newRow("csv with tabs and one position column")
        << QByteArray("position\tname\n47.5, -122.25\tHome\n") << QStringList{"Home"}
        << QList<qint64>{2} << QStringList{} << "";
    QTest::newRow("csv quoting as RFC 4180 does")
        << QByteArray("name,lat,lon\n\"Bob's \"\"big\"\", camp\nsite\",1,2\n\"x\",3,4\n")
        << QStringList{"Bob's \"big\", camp\nsite", "x"} << QList<qint64>{2, 4} << QStringList{}
        << "";
    QTest::newRow("csv rows without a position left out with their line")
        << QByteArray("name,lng,lat\nA,10,20\nB,,\nC,10,95\n\nD,11,21\n") << QStringList{"A", "D"}
        << QList<qint64>{2, 6} << QStringList{"3: ", "4: "} << "";
    QTest::newRow("csv without a usable header")
        << QByteArray("Home,47.5,-122.25\nCamp,1,2\n") << QStringList{} << QList<qint64>{}
        << QStringList{} << "must name the columns";
}

void tst_WaypointFile::filesGiveRowsAndReasons()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, names);
    QFETCH(QList<qint64>, lines);
    QFETCH(QStringList, leftOut);
    QFETCH(QString, error);

    const waypointfile::FileWaypoints file = readBytes(contents);
    QVERIFY2(error.isEmpty() ? file.error.isEmpty() : file.error.contains(error),
             qPrintable(file.error));
    QStringList readNames;
    QList<qint64> readLines;
    for (const waypointfile::FileWaypoint &waypoint : file.waypoints) {
        readNames << waypoint.name;
        readLines << waypoint.line;
    }
    QCOMPARE(readNames, names);
    QCOMPARE(readLines, lines);
    QCOMPARE(file.leftOutCount, leftOut.size());
    for (qsizetype i = 0; i < leftOut.size(); ++i) {
        const QString told =
            QString::number(file.leftOut[i].line) + QLatin1String(": ") + file.leftOut[i].reason;
        QVERIFY2(told.startsWith(leftOut[i].section(u' ', 0, 0)) &&
                     told.contains(leftOut[i].section(u' ', 1)) &&
                     !file.leftOut[i].reason.isEmpty(),
                 qPrintable(told));
    }
}

void tst_WaypointFile::positionsAreReadExactly_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::newRow("gpx") << gpx("<wpt lat=\" -33.8568 \" lon=\"151.2153\"/>\n") << -33.8568
                         << 151.2153;
    QTest::newRow("nmea south and east")
        << withChecksum("$GPWPL,3351.408,S,15112.918,E,OPERA") + "\r\n"
        << -(33 + 51.408 / 60) << (151 + 12.918 / 60);
    QTest::newRow("nmea north and west")
        << withChecksum("$IIWPL,0000.600,N,00001.200,W,ZERO") + "\r\n"
        << 0.01 << -0.02;
    QTest::newRow("csv") << QByteArray("lat,lon\n-33.8568,151.2153\n") << -33.8568 << 151.2153;
}

void tst_WaypointFile::positionsAreReadExactly()
{
    QFETCH(QByteArray, contents);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const waypointfile::FileWaypoints file = readBytes(contents);
    QCOMPARE(file.waypoints.size(), 1);
    QCOMPARE(file.waypoints[0].position.latitude, latitude);
    QCOMPARE(file.waypoints[0].position.longitude, longitude);
}

void tst_WaypointFile::cancelStopsTheReading()
{
    QByteArray many;
    for (int i = 0; i < 20000; ++i)
        many += "<wpt lat=\"1\" lon=\"2\"><name>P</name></wpt>\n";
    QBuffer buffer;
    buffer.setData(gpx(many));
    buffer.open(QIODevice::ReadOnly);
    waypointfile::ReadingControl control;
    control.cancel = true;
    const waypointfile::FileWaypoints file = waypointfile::read(buffer, control);
    QVERIFY(file.cancelled);
    QVERIFY(file.waypoints.size() < 20000);
}

void tst_WaypointFile::namesReceiversKeep_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("cut to six and upper-cased")
        << QStringList{"Trailhead"} << 6 << QStringList{"TRAILH"};
    QTest::newRow("names cut alike are numbered")
        << QStringList{"Trailhead", "Trailhouse", "trail hut", "Trailhead"} << 6
        << QStringList{"TRAILH", "TRAIL2", "TRAIL", "TRAIL3"};
    QTest::newRow("a number never takes a name that comes later")
        << QStringList{"CAMP", "CAMP", "CAMP2"} << 6 << QStringList{"CAMP", "CAMP2", "CAMP3"};
    QTest::newRow("characters NMEA reserves are dropped")
        << QStringList{"a,b*c$d!e\\f^g~h"} << waypointfile::wholeNames << QStringList{"ABCDEFGH"};
    QTest::newRow("control characters and line ends are dropped")
        << QStringList{"x\ty\r\nz\x7f"} << 6 << QStringList{"XYZ"};
    QTest::newRow("never empty") << QStringList{"", "  ", "$*,"} << 6
                                 << QStringList{"WPT", "WPT2", "WPT3"};
    QTest::newRow("whole names") << QStringList{"Trailhead", "Trailhead"}
                                 << waypointfile::wholeNames
                                 << QStringList{"TRAILHEAD", "TRAILHEAD2"};
    QTest::newRow("one letter") << QStringList{"alpha", "apple", "avocado"} << 1
                                << QStringList{"A", "2", "3"};
    QTest::newRow("twenty") << QStringList{"The long way round the lake"} << 20
                            << QStringList{"THE LONG WAY ROUND T"};
    QTest::newRow("upper-cased keeping the length")
        << QStringList{"straße"} << 6 << QStringList{"STRAßE"};
    // Both would go out as "??": one name to the receiver.
    QTest::newRow("characters the port cannot send are dropped")
        << QStringList{"北京", "上海", "Café"} << 6 << QStringList{"WPT", "WPT2", "CAFÉ"};
    QTest::newRow("spaces at the ends of a cut name go")
        << QStringList{" Big rock "} << 4 << QStringList{"BIG"};
}

void tst_WaypointFile::namesReceiversKeep()
{
    QFETCH(QStringList, names);
    QFETCH(int, length);
    QFETCH(QStringList, expected);
    const QList<position::Position> positions(names.size(), position::Position{47.5, -122.25});
    const auto waypoints =
        waypointfile::receiverWaypoints(names, waypointfile::receiverForms(positions), length);
    QStringList got;
    for (const auto &waypoint : waypoints) {
        got << waypoint.name;
        // The name in the sentence is the one shown.
        QVERIFY2(waypoint.sentence.contains(QLatin1String(",W,") + waypoint.name + u'*'),
                 qPrintable(waypoint.sentence));
        QVERIFY(!waypoint.cutToFit);
    }
    QCOMPARE(got, expected);
}

void tst_WaypointFile::everySentenceKeepsTo82Characters()
{
    const QString huge(1 << 20, u'q');
    const QList<position::Position> positions{{-89.99999, -179.99999}, {1, 1}, {1, 1}};
    const auto forms = waypointfile::receiverForms(positions);
    const auto waypoints = waypointfile::receiverWaypoints({huge, huge, QStringLiteral("short")},
                                                           forms, waypointfile::wholeNames);
    QCOMPARE(waypoints.size(), 3);
    QCOMPARE(waypoints[0].sentence.size(), waypointfile::longestSentence);
    QVERIFY(waypoints[0].cutToFit);
    QVERIFY(waypoints[0].sentence.endsWith(u"\r\n"));
    // Cut to fit and still unique.
    QCOMPARE(waypoints[1].sentence.size(), waypointfile::longestSentence);
    QVERIFY(waypoints[1].name != waypoints[0].name && waypoints[1].name.endsWith(u'2'));
    QVERIFY(!waypoints[2].cutToFit);
    // A length of twenty always fits: nothing is cut further.
    const auto twenty = waypointfile::receiverWaypoints({huge}, {forms[0]}, 20);
    QCOMPARE(twenty[0].name.size(), 20);
    QVERIFY(!twenty[0].cutToFit);
}

void tst_WaypointFile::pauseBeginsWhenTheWireIsFree()
{
    FakeLink link;
    waypointfile::PacedSender sender(link);
    QList<qint64> waits;
    sender.setWaitForTests([&waits](qint64 ms) { waits << ms; });
    const QList<QByteArray> sentences{QByteArray(40, 'a'), QByteArray(80, 'b')};
    // 480 bytes of an earlier Send String still on their way: a second at 4800 baud.
    link.backlog = 480 + 40;
    sender.start(sentences, 500);
    QCOMPARE(link.sent, QList<QByteArray>{sentences[0]});
    QCOMPARE(waits.size(), 1);
    QVERIFY2(waits[0] >= 1000 + GpsLink::transmitMs(40) + 500,
             qPrintable(QString::number(waits[0])));
    // Nothing more goes until the wait is over.
    QTest::qWait(50);
    QCOMPARE(link.sent.size(), 1);
    link.backlog = 80;
    sender.sendNext();
    QCOMPARE(link.sent, sentences);
    QVERIFY(waits[1] >= GpsLink::transmitMs(80) + 500);

    QSignalSpy finished(&sender, &waypointfile::PacedSender::finished);
    sender.sendNext();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].value<waypointfile::PacedSender::Outcome>(),
             waypointfile::PacedSender::Outcome::Sent);
    QCOMPARE(finished[0][1].value<qsizetype>(), 2);
}

void tst_WaypointFile::eachTwiceInOrder()
{
    FakeLink link;
    waypointfile::PacedSender sender(link);
    int waits = 0;
    sender.setWaitForTests([&waits](qint64) { ++waits; });
    QSignalSpy progressed(&sender, &waypointfile::PacedSender::progressed);
    sender.start({"A", "B"}, 0, 2);
    while (sender.isSending())
        sender.sendNext();
    QCOMPARE(link.sent, (QList<QByteArray>{"A", "A", "B", "B"}));
    QCOMPARE(waits, 4);
    // Counted by waypoints, once both copies are handed over.
    QCOMPARE(progressed.size(), 2);
    QCOMPARE(progressed[1][0].value<qsizetype>(), 2);
}

void tst_WaypointFile::stopsBeforeTheNextSentence_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<waypointfile::PacedSender::Outcome>("outcome");
    QTest::newRow("cancelled") << true << waypointfile::PacedSender::Outcome::Cancelled;
    QTest::newRow("port lost") << false << waypointfile::PacedSender::Outcome::PortLost;
}

void tst_WaypointFile::stopsBeforeTheNextSentence()
{
    QFETCH(bool, cancel);
    QFETCH(waypointfile::PacedSender::Outcome, outcome);
    FakeLink link;
    waypointfile::PacedSender sender(link);
    sender.setWaitForTests([](qint64) {});
    QSignalSpy finished(&sender, &waypointfile::PacedSender::finished);
    sender.start({"A", "B", "C"}, 500);
    if (cancel)
        sender.cancel();
    else
        link.open = false;
    sender.sendNext();
    QCOMPARE(link.sent, QList<QByteArray>{"A"});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].value<waypointfile::PacedSender::Outcome>(), outcome);
    QCOMPARE(finished[0][1].value<qsizetype>(), 1);
    QCOMPARE(finished[0][2].value<qsizetype>(), 3);
}

void tst_WaypointFile::aSentenceOnItsWayWhenTheLinkFailsIsNotCounted()
{
    FakeLink link;
    waypointfile::PacedSender sender(link);
    sender.setWaitForTests([](qint64) {});
    QSignalSpy finished(&sender, &waypointfile::PacedSender::finished);
    sender.start({"A", "B", "C"}, 0);
    // Ten seconds of bytes to go behind B when the port fails: B may never have left.
    link.backlog = 4800;
    sender.sendNext();
    QCOMPARE(sender.sent(), 2);
    sender.linkLost(link.backlog);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][1].value<qsizetype>(), 1);
}

void tst_WaypointFile::sendThroughThePortHoldsBackUntilThePause()
{
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    QTemporaryDir dir;
    const QString portPath = PseudoTerminal::portNameIn(dir.path());
    QVERIFY(pty.linkAs(portPath));
    GpsLink link{platform::NativeName(portPath)};
    QVERIFY2(link.open(), qPrintable(link.errorString()));

    struct Through : waypointfile::PacedLink
    {
        GpsLink &link;
        explicit Through(GpsLink &l) : link(l) {}
        bool isOpen() const override { return link.isOpen(); }
        void send(const QByteArray &bytes) override { link.send(bytes); }
        qint64 bytesToSend() const override { return link.bytesToSend(); }
        qint64 transmitMs(qint64 bytes) const override { return GpsLink::transmitMs(bytes); }
    } through(link);
    waypointfile::PacedSender sender(through);
    QList<qint64> waits;
    sender.setWaitForTests([&waits](qint64 ms) { waits << ms; });

    const QList<QByteArray> sentences{withChecksum("$GPWPL,4730.0000,N,12215.0000,W,ONE") + "\r\n",
                                      withChecksum("$GPWPL,4731.0000,N,12215.0000,W,TWO") + "\r\n"};
    sender.start(sentences, 250);
    QCOMPARE(pty.receive(sentences[0].size()), sentences[0]);
    QVERIFY(is4800Baud8N1(pty.settings()));
    // The second waits for the pause, however long the line is idle.
    QCOMPARE(pty.receiveFor(300), QByteArray());
    QCOMPARE(waits.size(), 1);
    QVERIFY(waits[0] >= 250);
    sender.sendNext();
    QCOMPARE(pty.receive(sentences[1].size()), sentences[1]);

    // With the real timer, everything arrives, in order.
    waypointfile::PacedSender timed(through);
    QSignalSpy finished(&timed, &waypointfile::PacedSender::finished);
    timed.start({sentences[1], sentences[0], sentences[1]}, 10);
    QVERIFY(finished.wait(10000));
    QCOMPARE(pty.receive(3 * sentences[0].size()), sentences[1] + sentences[0] + sentences[1]);
}

QTEST_GUILESS_MAIN(tst_WaypointFile)
#include "tst_waypointfile.moc"
