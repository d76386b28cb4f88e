#include "codepage.h"
#include "platform/eightbit.h"
#include "sentence/receiverreading.h"
#include "sentence/waypointsentence.h"

#include <QTest>

using sentence::makeWaypointString;

class tst_Sentence : public QObject
{
    Q_OBJECT

private slots:
    void writtenExamples_data();
    void writtenExamples();
    void beyondAscii_data();
    void beyondAscii();
    void checksumCoversTheSentBytes_data();
    void checksumCoversTheSentBytes();
    void bodyLengthLimit_data();
    void bodyLengthLimit();
    void upperCaseKeepsLength_data();
    void upperCaseKeepsLength();
    void receiverReadsBack_data();
    void receiverReadsBack();
};

namespace {

void addRow(const char *tag, const QString &name, const QString &lat, const QString &lon,
            const QString &expected, QChar northSouth = u'N', QChar eastWest = u'W')
{
    QTest::newRow(tag) << name << lat << northSouth << lon << eastWest << expected;
}

void addColumns()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QChar>("northSouth");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QChar>("eastWest");
    QTest::addColumn<QString>("expected");
}

// A body of exactly `length` characters, with the name doing the padding.
QString nameForBodyLength(qsizetype length)
{
    const qsizetype fixed = QStringLiteral("$GPWPL,1,N,2,W,*").size();
    return QString(length - fixed, u'x');
}

} // namespace

void tst_Sentence::writtenExamples_data()
{
    addColumns();
    addRow("home", "home", "3351.123", "08412.345", "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n");
    addRow("all empty", "", "", "", "$GPWPL,,N,,W,*69\r\n");
    addRow("single characters", "a", "1", "2", "$GPWPL,1,N,2,W,A*2B\r\n");
    addRow("checksum zero", "CAR", "3351.123", "08412.345",
           "$GPWPL,3351.123,N,08412.345,W,CAR*00\r\n");
    addRow("checksum ten", "CAX", "3351.123", "08412.345",
           "$GPWPL,3351.123,N,08412.345,W,CAX*0A\r\n");
    addRow("inner space", "a b", "1", "2", "$GPWPL,1,N,2,W,A B*49\r\n");
    addRow("trailing space", "home ", "3351.123", "08412.345",
           "$GPWPL,3351.123,N,08412.345,W,HOME *7F\r\n");
    addRow("hemisphere letters typed", "home", "3351.123n", "08412.345w",
           "$GPWPL,3351.123n,N,08412.345w,W,HOME*46\r\n");
    addRow("star and comma typed", "a*b,c", "1,5", "2*", "$GPWPL,1,5,N,2*,W,A*B,C*1F\r\n");
    addRow("long name stays whole", "lighthouse", "4807.038", "01131.000",
           "$GPWPL,4807.038,N,01131.000,W,LIGHTHOUSE*41\r\n");
    addRow("south and east", "home", "3351.123", "08412.345",
           "$GPWPL,3351.123,S,08412.345,E,HOME*50\r\n", u'S', u'E');
    addRow("all empty, south and east", "", "", "", "$GPWPL,,S,,E,*66\r\n", u'S', u'E');
    addRow("typed letters stay beside the chosen ones", "home", "3351.123n", "08412.345w",
           "$GPWPL,3351.123n,S,08412.345w,E,HOME*49\r\n", u'S', u'E');
}

void tst_Sentence::writtenExamples()
{
    QFETCH(QString, name);
    QFETCH(QString, latitude);
    QFETCH(QChar, northSouth);
    QFETCH(QString, longitude);
    QFETCH(QChar, eastWest);
    QFETCH(QString, expected);
    QCOMPARE(makeWaypointString(name, latitude, longitude, northSouth, eastWest), expected);
    if (northSouth == u'N' && eastWest == u'W')
        QCOMPARE(makeWaypointString(name, latitude, longitude), expected);
}

void tst_Sentence::beyondAscii_data()
{
    addColumns();
    if (eightBitCodePage() == 932) {
        addRow("japanese takes two bytes in 932", "北", "1", "2", "$GPWPL,1,N,2,W,北*97\r\n");
        addRow("second byte a backslash in 932", "表", "1", "2", "$GPWPL,1,N,2,W,表*A3\r\n");
        addRow("outside 932 counts as ?", "café", "1", "2", "$GPWPL,1,N,2,W,CAFÉ*11\r\n");
        addRow("combining accent outside 932 counts as one ?", "cafe\u0301", "1", "2",
               "$GPWPL,1,N,2,W,CAFE\u0301*11\r\n");
    } else {
        addRow("latin-1 upper-cased", "café", "1", "2", "$GPWPL,1,N,2,W,CAFÉ*E7\r\n");
        addRow("combining accent counts as the composed letter", "cafe\u0301", "1", "2",
               "$GPWPL,1,N,2,W,CAFE\u0301*E7\r\n");
        addRow("sharp s keeps its length", "ß", "1", "2", "$GPWPL,1,N,2,W,ß*B5\r\n");
        addRow("outside latin-1 counts as ?", "北", "1", "2", "$GPWPL,1,N,2,W,北*55\r\n");
    }
    if (eightBitCodePage() == 28591)
        addRow("letter kept where latin-1 lacks its capital", "ÿé", "1", "2",
               "$GPWPL,1,N,2,W,ÿÉ*5C\r\n");
    if (eightBitCodePage() == 1252) {
        addRow("euro sign in 1252", "€", "1", "2", "$GPWPL,1,N,2,W,€*EA\r\n");
        addRow("capital y diaeresis in 1252", "ÿ", "1", "2", "$GPWPL,1,N,2,W,Ÿ*F5\r\n");
        addRow("micro sign kept where 1252 lacks its capital", "µ", "1", "2",
               "$GPWPL,1,N,2,W,µ*DF\r\n");
    }
    if (eightBitCodePage() == 932)
        addRow("greek capital for micro sign in 932", "µ", "1", "2", "$GPWPL,1,N,2,W,Μ*43\r\n");
    addRow("beyond the BMP counts as one ?", "😀", "1", "2", "$GPWPL,1,N,2,W,😀*55\r\n");
}

void tst_Sentence::beyondAscii()
{
    writtenExamples();
}

void tst_Sentence::checksumCoversTheSentBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("ascii") << QStringLiteral("home");
    QTest::newRow("latin-1") << QStringLiteral("ÿþ é");
    QTest::newRow("greek") << QStringLiteral("αβγ");
    QTest::newRow("japanese") << QStringLiteral("北表ｱ");
    QTest::newRow("lone surrogate") << QString(QChar(0xd800));
    QTest::newRow("emoji pair") << QStringLiteral("a😀b");
    QTest::newRow("control characters") << QStringLiteral("\t\r\n");
}

// Whatever the name, the two digits must be the exclusive-or of the bytes that the receiver
// gets between "$" and "*".
void tst_Sentence::checksumCoversTheSentBytes()
{
    QFETCH(QString, name);
    const QString result = makeWaypointString(name, u"4807.038", u"01131.000").value();
    QVERIFY(result.endsWith(u"\r\n"));
    const QByteArray sent = platform::toEightBit(result);
    const qsizetype star = sent.lastIndexOf('*');
    QCOMPARE(star, sent.size() - 5);
    unsigned char expected = 0;
    for (const char byte : sent.mid(1, star - 1))
        expected ^= static_cast<unsigned char>(byte);
    QCOMPARE(sent.mid(star + 1, 2),
             QByteArray::number(expected, 16).toUpper().rightJustified(2, '0'));
}

void tst_Sentence::bodyLengthLimit_data()
{
    QTest::addColumn<qsizetype>("bodyLength");
    QTest::addColumn<bool>("built");
    QTest::newRow("one under") << qsizetype(32766) << true;
    QTest::newRow("at the limit") << qsizetype(32767) << true;
    QTest::newRow("one over") << qsizetype(32768) << false;
    QTest::newRow("far over") << qsizetype(100000) << false;
}

void tst_Sentence::bodyLengthLimit()
{
    QFETCH(qsizetype, bodyLength);
    QFETCH(bool, built);
    const auto result = makeWaypointString(nameForBodyLength(bodyLength), u"1", u"2");
    QCOMPARE(result.has_value(), built);
    if (built)
        QCOMPARE(result->size(), bodyLength + 4);
}

void tst_Sentence::upperCaseKeepsLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QStringLiteral("abc xyz 09") << QStringLiteral("ABC XYZ 09");
    QTest::newRow("sharp s") << QStringLiteral("straße") << QStringLiteral("STRAßE");
    QTest::newRow("ligature") << QStringLiteral("ﬁ") << QStringLiteral("ﬁ");
    QTest::newRow("deseret pair") << QStringLiteral("\U00010428") << QStringLiteral("\U00010400");
    QTest::newRow("lone surrogate") << QString(QChar(0xdc00)) << QString(QChar(0xdc00));
}

void tst_Sentence::upperCaseKeepsLength()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(sentence::toUpperKeepingLength(text), expected);
}

void tst_Sentence::receiverReadsBack_data()
{
    addColumns();
    // The Waypoint String as it stands: "=" for the one these boxes make.
    QTest::addColumn<QString>("string");
    QTest::addColumn<QString>("stored");
    // Words that each warning holds, one for each, in order.
    QTest::addColumn<QStringList>("warnings");
    const auto row = [](const char *tag, const char *name, const char *lat, QChar northSouth,
                        const char *lon, QChar eastWest, const char *string, const char *stored,
                        const QStringList &warnings = {}) {
        QTest::newRow(tag) << QString::fromUtf8(name) << QString::fromUtf8(lat) << northSouth
                           << QString::fromUtf8(lon) << eastWest << QString()
                           << QString::fromUtf8(string) << QString::fromUtf8(stored) << warnings;
    };
    row("as written", "home", "3351.123", u'N', "08412.345", u'W', "=",
        "A receiver will store “HOME” at 33° 51.1230′ N, 84° 12.3450′ W.");
    row("south and east", "home", "3351.123", u'S', "08412.345", u'E', "",
        "A receiver will store “HOME” at 33° 51.1230′ S, 84° 12.3450′ E.");
    row("all empty", "", "", u'N', "", u'W', "", "A receiver will store no position.",
        {"The Latitude and Longitude boxes are empty: type ddmm.mmmm and dddmm.mmmm"});
    row("one box empty", "a", "", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “A”.",
        {"The Latitude box is empty: type ddmm.mmmm, or use Waypoint → Enter Position."});
    row("no name", "", "3351.123", u'N', "08412.345", u'W', "",
        "A receiver will store a waypoint without a name at 33° 51.1230′ N, 84° 12.3450′ W.");
    row("decimal degrees", "sea", "47.6062", u'N', "-122.3321", u'W', "",
        "A receiver will store “SEA” at 0° 47.6062′ N, 1° 22.3321′ E.",
        {"Latitude box reads as 0° 47.6062′, near the equator",
         "Longitude box has a minus sign against W: a receiver takes it as east."});
    row("decimal degrees point to Enter Position", "", "-0.5", u'N', "5", u'E', "",
        "A receiver will store a waypoint without a name at 0° 0.5000′ S, 0° 5.0000′ E.",
        {"For -0.5 degrees, use Waypoint → Enter Position", "near the prime meridian",
         "minus sign against N: a receiver takes it as south"});
    row("sign against north", "a", "-4807.038", u'N', "01131.000", u'E', "",
        "A receiver will store “A” at 48° 7.0380′ S, 11° 31.0000′ E.",
        {"Latitude box has a minus sign against N: a receiver takes it as south."});
    row("sign with south", "a", "-4807.038", u'S', "01131.000", u'E', "",
        "A receiver will store “A” at 48° 7.0380′ N, 11° 31.0000′ E.",
        {"minus sign against S: a receiver takes it as north."});
    row("comma in the name", "a,b", "1", u'N', "2", u'W', "",
        "A receiver will store “A” at 0° 1.0000′ N, 0° 2.0000′ W.",
        {"name holds “,”: a receiver keeps only “A”", "near the equator",
         "near the prime meridian"});
    row("long name shown short", "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", "1", u'N',
        "2", u'W', "",
        "A receiver will store “ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMN…” at 0° 1.0000′ N, 0° "
        "2.0000′ W.",
        {"near the equator", "near the prime meridian"});
    row("star in the name", "a*b", "4807.038", u'N', "01131.000", u'E', "",
        "A receiver will drop this sentence.", {"name holds “*”"});
    row("dollar in the name", "a$b", "4807.038", u'N', "01131.000", u'E', "",
        "A receiver will drop this sentence.", {"name holds “$”, which starts another sentence"});
    row("line end in the name", "a\nb", "4807.038", u'N', "01131.000", u'E', "",
        "A receiver will drop this sentence.", {"name holds a line end"});
    row("star in a box", "a", "4807.038*", u'N', "01131.000", u'E', "",
        "A receiver will drop this sentence.",
        {"Latitude box holds “*”", "Latitude box holds “*”, which a receiver cannot read"});
    row("letter typed in a box", "a", "4807.038n", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “A”.",
        {"Latitude box holds “n”, which a receiver cannot read: it takes ddmm.mmmm"});
    row("space typed in a box", "a", " 4807.038", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “A”.",
        {"Latitude box holds a space, which a receiver cannot read"});
    row("minus zero", "a", "-0000.000", u'N', "01131.000", u'E', "",
        "A receiver will store “A” at 0° 0.0000′ N, 11° 31.0000′ E.");
    row("comma typed in a box", "a", "1,5", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “E”.", {"Latitude box holds “,”"});
    row("minutes of 60", "a", "4860.000", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “A”.",
        {"Latitude box reads as 48° 60.000′, which a receiver cannot take"});
    row("latitude beyond 90", "a", "9100.000", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “A”.", {"reads as 91° 0.000′, beyond 90°"});
    row("longitude beyond 180", "a", "4807.038", u'N', "18000.001", u'E', "",
        "A receiver will store no position for “A”.", {"reads as 180° 0.001′, beyond 180°"});
    row("no digits", "a", "-.", u'N', "01131.000", u'E', "",
        "A receiver will store no position for “A”.", {"Latitude box holds no digits"});
    row("made from other boxes", "home", "3351.123", u'N', "08412.345", u'W',
        "$GPWPL,1,N,2,W,A*2B\r\n",
        "A receiver will store “HOME” at 33° 51.1230′ N, 84° 12.3450′ W.",
        {"Make String brings it up to date"});
    row("hemisphere changed since", "home", "3351.123", u'S', "08412.345", u'W',
        "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n",
        "A receiver will store “HOME” at 33° 51.1230′ S, 84° 12.3450′ W.",
        {"Make String brings it up to date"});
    row("beyond the character set", "a😀", "4807.038", u'N', "01131.000", u'E', "",
        "A receiver will store “A?” at 48° 7.0380′ N, 11° 31.0000′ E.",
        {"“😀” is not in this system's character set: it goes out as “?”."});
    if (eightBitCodePage() == 28591) {
        row("two beyond latin-1", "北€北", "4807.038", u'N', "01131.000", u'E', "",
            "A receiver will store “???” at 48° 7.0380′ N, 11° 31.0000′ E.",
            {"“北” and “€” are not in this system's character set"});
        row("combining accent composed", "cafe\u0301", "4807.038", u'N', "01131.000", u'E', "",
            "A receiver will store “CAFÉ” at 48° 7.0380′ N, 11° 31.0000′ E.");
    }
}

void tst_Sentence::receiverReadsBack()
{
    QFETCH(QString, name);
    QFETCH(QString, latitude);
    QFETCH(QChar, northSouth);
    QFETCH(QString, longitude);
    QFETCH(QChar, eastWest);
    QFETCH(QString, string);
    QFETCH(QString, stored);
    QFETCH(QStringList, warnings);
    const QString made =
        makeWaypointString(name, latitude, longitude, northSouth, eastWest).value();
    const sentence::ReceiverReading reading = sentence::readBack(
        {name, latitude, longitude, northSouth, eastWest, string == u"=" ? made : string});
    QCOMPARE(reading.stored, stored);
    QCOMPARE(reading.warnings.size(), warnings.size());
    for (qsizetype i = 0; i < warnings.size(); ++i)
        QVERIFY2(reading.warnings[i].contains(warnings[i]), qPrintable(reading.warnings[i]));
}

QTEST_GUILESS_MAIN(tst_Sentence)
#include "tst_sentence.moc"
