#include "sentence/waypointsentence.h"

#include <QTest>

// Make String's cost: the written example, and bodies up to the longest allowed, which should
// grow linearly. Run by hand: ./bench_sentence (add -callgrind for instruction counts).
class bench_Sentence : public QObject
{
    Q_OBJECT

private slots:
    void makeWaypointString_data();
    void makeWaypointString();
};

void bench_Sentence::makeWaypointString_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    const qsizetype fixed = QStringLiteral("$GPWPL,3351.123,N,08412.345,W,*").size();
    QTest::newRow("example") << "home"
                             << "3351.123"
                             << "08412.345";
    for (const qsizetype body : {1024, 8192, 32767}) {
        QTest::newRow(qPrintable(QStringLiteral("body %1").arg(body)))
            << QString(body - fixed, u'w') << "3351.123"
            << "08412.345";
    }
}

void bench_Sentence::makeWaypointString()
{
    QFETCH(QString, name);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    std::optional<QString> result;
    QBENCHMARK
    {
        result = sentence::makeWaypointString(name, latitude, longitude);
    }
    QVERIFY(result.has_value());
}

QTEST_GUILESS_MAIN(bench_Sentence)
#include "bench_sentence.moc"
