#include "gps_link/gpslink.h"
#include "gps_link/portlife.h"
#include "pseudoterminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

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
    void closeWaitsForTheDrain_data();
    void closeWaitsForTheDrain();
    void lifeTakesCommandsWhileDraining_data();
    void lifeTakesCommandsWhileDraining();
    void openFailureLeavesThePortClosed_data();
    void openFailureLeavesThePortClosed();
    void hangUpClosesOnceAndReopenWorks();
    void portNameIsResolvedOnceForOpenAndAdvice_data();
    void portNameIsResolvedOnceForOpenAndAdvice();
    void refusedPortNamesItsGroup_data();
    void refusedPortNamesItsGroup();

private:
    // Stands for a line that holds its bytes until released, as a slow receiver's would.
    DrainWorker::Step heldDrain()
    {
        return [this](DrainWorker::Line line) {
            ++m_drains;
            while (!m_drainReleased)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return DrainWorker::drainLine(line);
        };
    }

    std::atomic<bool> m_drainReleased{true};
    std::atomic<int> m_drains{0};
    std::unique_ptr<PseudoTerminal> m_pty;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_portPath;
};

namespace {

const QByteArray example = "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n";

} // namespace

void tst_GpsLink::init()
{
    m_drainReleased = false;
    m_drains = 0;
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    m_dir = std::make_unique<QTemporaryDir>();
    m_portPath = PseudoTerminal::portNameIn(m_dir->path());
    QVERIFY(m_pty->linkAs(m_portPath));
}

void tst_GpsLink::cleanup()
{
    m_drainReleased = true;
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

void tst_GpsLink::closeWaitsForTheDrain_data()
{
    // What happens while the line holds its bytes.
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("nothing") << "";
    // Sent in the close's first half second: ten seconds on the line, past the three the close
    // first allowed.
    QTest::newRow("bytes sent while closing") << "send";
    QTest::newRow("given up") << "give up";
}

void tst_GpsLink::closeWaitsForTheDrain()
{
    QFETCH(QString, meanwhile);
    const QByteArray tenSeconds(4800, 'x');
    GpsLink link(m_portPath, nullptr, heldDrain());
    QSignalSpy closed(&link, &GpsLink::closed);
    QVERIFY(link.open());
    link.send(example);
    link.closeWhenSent();
    QTRY_COMPARE(m_drains.load(), 1);
    QTest::qWait(meanwhile == u"send" ? 500 : 100);
    QVERIFY(link.isOpen() && closed.isEmpty());
    if (meanwhile == u"send") {
        link.send(tenSeconds);
        QCOMPARE(m_pty->receive(example.size() + tenSeconds.size()).size(),
                 example.size() + tenSeconds.size());
        QTest::qWait(GpsLink::drainMarginMs);
        QVERIFY(link.isOpen() && closed.isEmpty());
    } else if (meanwhile == u"give up") {
        link.giveUp();
        // At once, whatever the line does.
        QVERIFY(!link.isOpen());
        QCOMPARE(closed.size(), 1);
        m_drainReleased = true;
        QTest::qWait(100);
        QCOMPARE(closed.size(), 1);
        return;
    }
    m_drainReleased = true;
    QTRY_VERIFY(!link.isOpen());
    QCOMPARE(closed.size(), 1);
    QCOMPARE(closed.first().at(0).toLongLong(), 0);
    QVERIFY(closed.first().at(1).toString().isEmpty());
    // The bytes sent while draining were drained once more.
    QCOMPARE(m_drains.load(), meanwhile == u"send" ? 2 : 1);
}

void tst_GpsLink::lifeTakesCommandsWhileDraining_data()
{
    // Commands given while the open port's line holds its bytes: "choose NAME" (one of "same",
    // "other", "third", "gone"), "open", "quit".
    QTest::addColumn<QStringList>("commands");
    // The port open at the end, or empty; and whether the life has ended.
    QTest::addColumn<QString>("opened");
    QTest::addColumn<bool>("ended");
    QTest::newRow("two choices: the last wins")
        << QStringList{"choose other", "choose third"} << "third" << false;
    QTest::newRow("a gone port, then a present one")
        << QStringList{"choose gone", "choose other"} << "other" << false;
    QTest::newRow("back to the open port")
        << QStringList{"choose other", "choose same"} << "same" << false;
    QTest::newRow("the open port again: no close") << QStringList{"choose same"} << "same" << false;
    QTest::newRow("open while moving changes nothing")
        << QStringList{"choose other", "open"} << "other" << false;
    QTest::newRow("quit cancels the move") << QStringList{"choose gone", "quit"} << "" << true;
    QTest::newRow("a choice after quit opens nothing")
        << QStringList{"quit", "choose other", "open"} << "" << true;
}

void tst_GpsLink::lifeTakesCommandsWhileDraining()
{
    QFETCH(QStringList, commands);
    QFETCH(QString, opened);
    QFETCH(bool, ended);
#ifdef Q_OS_WIN
    if (commands.join(u' ').contains(u"other") || commands.join(u' ').contains(u"third"))
        QSKIP("Under Wine only COM1 leads to a pseudo-terminal");
#endif
    std::map<QString, std::unique_ptr<PseudoTerminal>> ports;
    const auto path = [this](const QString &name) {
        return name == u"same" ? m_portPath : m_dir->filePath(name);
    };
#ifndef Q_OS_WIN
    for (const char *name : {"other", "third"}) {
        auto &port = ports[QLatin1String(name)] = std::make_unique<PseudoTerminal>();
        QVERIFY(port->linkAs(path(QLatin1String(name))));
    }
#endif
    PortLife life(m_portPath, nullptr, heldDrain());
    QSignalSpy failures(&life, &PortLife::openFailed);
    QSignalSpy endings(&life, &PortLife::ended);
    QVERIFY(life.open());
    QVERIFY(life.send(example));
    for (const QString &command : commands) {
        if (command == u"open")
            QVERIFY(!life.open());
        else if (command == u"quit")
            life.quit();
        else
            life.choose(path(command.sliced(QStringLiteral("choose ").size())));
    }
    const bool moves = commands != QStringList{"choose same"};
    QCOMPARE(life.state(), moves ? PortLife::State::Closing : PortLife::State::Open);
    QTest::qWait(100);
    QCOMPARE(m_drains.load(), moves ? 1 : 0);
    m_drainReleased = true;
    QCOMPARE(m_pty->receive(example.size()), example);
    QTRY_VERIFY(life.state() != PortLife::State::Closing);
    QTest::qWait(50);
    QCOMPARE(life.isOpen(), !opened.isEmpty());
    QCOMPARE(endings.size(), ended ? 1 : 0);
    QCOMPARE(life.state(), ended              ? PortLife::State::Ended
                           : opened.isEmpty() ? PortLife::State::Closed
                                              : PortLife::State::Open);
    // A port chosen on the way is never opened, and never told of.
    QCOMPARE(failures.size(), 0);
    if (opened.isEmpty())
        return;
    QCOMPARE(life.portName(), platform::NativeName(path(opened)));
    QVERIFY(life.send(example));
    for (const auto &[name, port] : ports) {
        QCOMPARE(name == opened ? port->receive(example.size()) : port->receiveFor(50),
                 name == opened ? example : QByteArray());
    }
    if (opened == u"same")
        QCOMPARE(m_pty->receive(example.size()), example);
}

void tst_GpsLink::openFailureLeavesThePortClosed_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("no such port") << QStringLiteral("/nonexistent/ttyS0");
    QTest::newRow("not a port") << QStringLiteral("/dev/null");
#ifndef Q_OS_WIN
    // Too long for Qt's lock file: told as missing, never as held or forbidden.
    QTest::newRow("long path, missing")
        << QStringLiteral("/nonexistent/") + QString(250, u'p') + QStringLiteral("/ttyS0");
#endif
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

void tst_GpsLink::portNameIsResolvedOnceForOpenAndAdvice_data()
{
    // As given; where it is opened (empty: the pseudo-terminal's device); where the system's
    // checks look for it.
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("location");
#ifdef Q_OS_WIN
    QTest::newRow("device name") << "COM3"
                                 << "COM3"
                                 << "COM3";
#else
    QTest::newRow("short name") << "ttyS0"
                                << "ttyS0"
                                << "/dev/ttyS0";
    QTest::newRow("relative path") << "./gps"
                                   << "./gps"
                                   << "./gps";
    QTest::newRow("parent path") << "../gps"
                                 << "../gps"
                                 << "../gps";
    QTest::newRow("long link to a port") << "long"
                                         << ""
                                         << "";
#endif
}

void tst_GpsLink::portNameIsResolvedOnceForOpenAndAdvice()
{
    QFETCH(QString, given);
    QFETCH(QString, opened);
    QFETCH(QString, location);
    if (given == u"long") {
        QDir folder(m_dir->path());
        // Each folder's name fits, the whole path does not fit a lock file's name.
        for (int i = 0; i < 3; ++i) {
            QVERIFY(folder.mkdir(QString(100, u'd')));
            QVERIFY(folder.cd(QString(100, u'd')));
        }
        given = folder.filePath(QStringLiteral("gps"));
        QVERIFY(m_pty->linkAs(given));
        opened = location = QFileInfo(m_portPath).canonicalFilePath();
    }
    const ResolvedPort port = resolvePort(given);
    QCOMPARE(port.openName, opened);
    QCOMPARE(port.location, location);
    if (opened.startsWith(u"/dev/pts")) {
        GpsLink link(given);
        QVERIFY2(link.open(), qPrintable(link.errorString()));
        link.send(example);
        QCOMPARE(m_pty->receive(example.size()), example);
    }
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
