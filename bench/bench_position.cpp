#include "position/positionreader.h"
#include "sentence/receiverreading.h"

#include <QTest>

// Reading a position, over a mix of the forms people paste, and the status line's reading back
// of the boxes on each key. Run by hand: ./bench_position (add -callgrind for instruction
// counts). The mix is read 10,000 times per iteration: its figure in milliseconds, divided by
// ten, is microseconds per read.
class bench_Position : public QObject
{
    Q_OBJECT

private slots:
    void readMixedForms();
    void readLongPaste_data();
    void readLongPaste();
    void readBackTheBoxes_data();
    void readBackTheBoxes();
};

namespace {

const QStringList forms = {
    QStringLiteral("47.6062, -122.3321"),
    QStringLiteral("-33.8688 151.2093"),
    QStringLiteral("47.6062° N, 122.3321° W"),
    QStringLiteral("N 47.6062 W 122.3321"),
    QStringLiteral("47.6062N 122.3321W"),
    QStringLiteral("N 47° 36.372' W 122° 19.922'"),
    QStringLiteral("47 36.372N 122 19.922W"),
    QStringLiteral("N47 36.372 W122 19.922"),
    QStringLiteral("47°36'22.3\"N 122°19'55.3\"W"),
    QStringLiteral("47°36′22.3″N 122°19′55.3″W"),
    QStringLiteral("47d 36.372m N 122deg 19.922min W"),
    QStringLiteral("47,6062 -122,3321"),
    QStringLiteral("4736.372,N,12219.922,W"),
    QStringLiteral("4736.372N 12219.922W"),
    QStringLiteral("geo:47.6062,-122.3321;u=35"),
    QStringLiteral("https://www.google.com/maps/@47.6062,-122.3321,15z"),
    QStringLiteral("https://maps.google.com/?q=47.6062,-122.3321"),
    QStringLiteral("https://www.openstreetmap.org/#map=15/47.6062/-122.3321"),
    QStringLiteral("https://www.openstreetmap.org/?mlat=47.6062&mlon=-122.3321"),
    QStringLiteral("47.6062, -122.33x1"),
};

} // namespace

void bench_Position::readMixedForms()
{
    constexpr int reads = 10000;
    int read = 0;
    QBENCHMARK
    {
        for (int i = 0; i < reads; ++i)
            read += position::read(forms[i % forms.size()]).position.has_value();
    }
    QVERIFY(read > 0);
}

void bench_Position::readLongPaste_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("100,000 digits") << QString(100000, u'7');
    QTest::newRow("100,000 spaces, then a letter") << QString(100000, u' ') + u'x';
    QTest::newRow("50,000 numbers") << QStringLiteral("1 ").repeated(50000);
    QTest::newRow("web address of 100,000 characters")
        << QStringLiteral("https://example.org/?a=") + QString(100000, u'b');
}

void bench_Position::readLongPaste()
{
    QFETCH(QString, text);
    position::Reading reading;
    QBENCHMARK
    {
        reading = position::read(text);
    }
    QVERIFY(!reading.position);
}

void bench_Position::readBackTheBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::newRow("example") << "home"
                             << "3351.123"
                             << "08412.345";
    QTest::newRow("warnings") << "a,b€"
                              << "-47.6062"
                              << "122.3321";
    QTest::newRow("longest name") << QString(32751, u'w') << "1"
                                  << "2";
}

void bench_Position::readBackTheBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    sentence::ReceiverReading reading;
    QBENCHMARK
    {
        reading = sentence::readBack({name, latitude, longitude, u'N', u'W', {}});
    }
    QVERIFY(!reading.stored.isEmpty());
}

QTEST_GUILESS_MAIN(bench_Position)
#include "bench_position.moc"
