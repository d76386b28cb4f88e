#include "gps_link/gpslink.h"
#include "pseudoterminal.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <grp.h>
#include <unistd.h>
#endif

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
    void closingIsSafeTwice();
    void openFailureLeavesThePortClosed_data();
    void openFailureLeavesThePortClosed();
    void hangUpClosesOnceAndReopenWorks();
    void refusedPortNamesItsGroup_data();
    void refusedPortNamesItsGroup();

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
    link.closeWhenSent();
    QTRY_VERIFY(!link.isOpen());
    QCOMPARE(m_pty->receive(longest.size()), longest);
}

void tst_GpsLink::closingIsSafeTwice()
{
    GpsLink link(m_portPath);
    link.closeWhenSent();
    QVERIFY(link.open());
    link.closeWhenSent();
    link.closeWhenSent();
    QTRY_VERIFY(!link.isOpen());
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
    QCOMPARE(link.openProblem(), PortProblem::WrongPort);
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

void tst_GpsLink::refusedPortNamesItsGroup_data()
{
    QTest::addColumn<bool>("groupMayWrite");
    QTest::newRow("group may write") << true;
    QTest::newRow("only its owner") << false;
}

void tst_GpsLink::refusedPortNamesItsGroup()
{
#ifdef Q_OS_WIN
    QSKIP("Windows gives serial ports no group to join");
#else
    QFETCH(bool, groupMayWrite);
    // A file with a device's owner, group and mode: the refusal itself is given rather than
    // provoked, which root could not do.
    QFile device(m_dir->filePath(QStringLiteral("ttyDevice")));
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    if (::geteuid() == 0) {
        const group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout);
        QCOMPARE(::chown(QFile::encodeName(device.fileName()).constData(), 0, dialout->gr_gid), 0);
    }
    QVERIFY(device.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  (groupMayWrite ? QFile::WriteGroup : QFile::Permissions())));
    const PortGroup found = portGroup(device.fileName());
    QCOMPARE(found.name, groupMayWrite ? QFileInfo(device).group() : QString());
    // The file's group is this login's own unless root gave it to dialout.
    if (groupMayWrite && ::geteuid() != 0)
        QVERIFY(found.accountIsMember && found.loginHasIt);
#endif
}

QTEST_GUILESS_MAIN(tst_GpsLink)
#include "tst_gpslink.moc"
