#include "gps_link/gpslink.h"
#include "pseudoterminal.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_GpsLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensAt4800Baud8N1AndSendsTheExactBytes();
    void sendsNothingForAnEmptyString();
    void sendsTheSameBytesTwice();
    void closeWaitsForEveryAcceptedByte();
    void closeIfOpenIsSafeTwice();
    void openFailureLeavesThePortClosed_data();
    void openFailureLeavesThePortClosed();
    void hangUpClosesOnceAndReopenWorks();

private:
    std::unique_ptr<PseudoTerminal> m_pty;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_portPath;
};

namespace {

const QByteArray example = "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n";

} // namespace

void tst_GpsLink::init()
{
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    m_dir = std::make_unique<QTemporaryDir>();
    m_portPath = PseudoTerminal::portNameIn(m_dir->path());
    QVERIFY(m_pty->linkAs(m_portPath));
}

void tst_GpsLink::cleanup()
{
    m_pty.reset();
    m_dir.reset();
}

void tst_GpsLink::opensAt4800Baud8N1AndSendsTheExactBytes()
{
    GpsLink link(m_portPath);
    QVERIFY(!link.isOpen());
    QVERIFY2(link.open(), qPrintable(link.errorString()));
    QVERIFY(link.isOpen());
    QVERIFY(is4800Baud8N1(m_pty->settings()));
    link.send(example);
    const QByteArray received = m_pty->receive(example.size());
    QCOMPARE(received.size(), 39);
    QCOMPARE(received, example);
}

void tst_GpsLink::sendsNothingForAnEmptyString()
{
    GpsLink link(m_portPath);
    QVERIFY(link.open());
    link.send({});
    QCOMPARE(m_pty->receiveFor(100), QByteArray());
    QVERIFY(link.isOpen());
}

void tst_GpsLink::sendsTheSameBytesTwice()
{
    GpsLink link(m_portPath);
    QVERIFY(link.open());
    link.send(example);
    link.send(example);
    QCOMPARE(m_pty->receive(2 * example.size()), example + example);
}

void tst_GpsLink::closeWaitsForEveryAcceptedByte()
{
    const QByteArray longest = QByteArray("$GPWPL,1,N,2,W,") + QByteArray(32751, 'Q') + "*00\r\n";
    GpsLink link(m_portPath);
    QVERIFY(link.open());
    link.send(longest);
    link.closeIfOpen();
    QVERIFY(!link.isOpen());
    QCOMPARE(m_pty->receive(longest.size()), longest);
}

void tst_GpsLink::closeIfOpenIsSafeTwice()
{
    GpsLink link(m_portPath);
    link.closeIfOpen();
    QVERIFY(link.open());
    link.closeIfOpen();
    link.closeIfOpen();
    QVERIFY(!link.isOpen());
    QVERIFY2(link.open(), qPrintable(link.errorString()));
}

void tst_GpsLink::openFailureLeavesThePortClosed_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("no such port") << QStringLiteral("/nonexistent/ttyS0");
    QTest::newRow("not a port") << QStringLiteral("/dev/null");
}

void tst_GpsLink::openFailureLeavesThePortClosed()
{
    QFETCH(QString, path);
    GpsLink link(path);
    QSignalSpy failed(&link, &GpsLink::failed);
    QVERIFY(!link.open());
    QVERIFY(!link.isOpen());
    QVERIFY(!link.errorString().isEmpty());
    QCOMPARE(failed.size(), 0);
}

void tst_GpsLink::hangUpClosesOnceAndReopenWorks()
{
    GpsLink link(m_portPath);
    QSignalSpy failed(&link, &GpsLink::failed);
    QVERIFY(link.open());
    m_pty->hangUp();
    link.send(example);
    QVERIFY(failed.wait(5000));
    QVERIFY(!link.isOpen());
    QVERIFY(!failed.first().first().toString().isEmpty());
    // Idle afterwards: no further failures however long the event loop runs.
    QTest::qWait(200);
    QCOMPARE(failed.size(), 1);

    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->linkAs(m_portPath));
    QVERIFY2(link.open(), qPrintable(link.errorString()));
    link.send(example);
    QCOMPARE(m_pty->receive(example.size()), example);
}

QTEST_GUILESS_MAIN(tst_GpsLink)
#include "tst_gpslink.moc"
