#include "waypoint_log/waypointlog.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

class tst_WaypointLog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void record_data();
    void record();
    void openCreatesOrEmpties();
    void eachRecordIsInTheFileWhenAppendReturns();
    void openFailure_data();
    void openFailure();
    void failedWriteLeavesNoHalfRecordAndTheNextOneWorks_data();
    void failedWriteLeavesNoHalfRecordAndTheNextOneWorks();
    void twoProgramsInOneFolderAddWholeRecords();
    void logGoneBetweenSaves_data();
    void logGoneBetweenSaves();

private:
    QByteArray contents() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    platform::NativeName m_folder;
};

namespace {

const QTime saveTime(14, 5, 9);
const QDate saveDate(2004, 3, 9);
const QByteArray example = "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n";

} // namespace

void tst_WaypointLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QString::fromLatin1(WaypointLog::fileName));
    m_folder = m_dir->path();
}

void tst_WaypointLog::cleanup()
{
    m_dir.reset();
}

QByteArray tst_WaypointLog::contents() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void tst_WaypointLog::record_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("example") << example << saveTime << saveDate
                             << QByteArray("\"$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n"
                                           "\",#14:05:09#,#2004-03-09#\r\n");
    QTest::newRow("empty box") << QByteArray() << saveTime << saveDate
                               << QByteArray("\"\",#14:05:09#,#2004-03-09#\r\n");
    QTest::newRow("quote kept as typed") << QByteArray("A\"B") << saveTime << saveDate
                                         << QByteArray("\"A\"B\",#14:05:09#,#2004-03-09#\r\n");
    QTest::newRow("8-bit byte kept") << QByteArray("\xc9") << saveTime << saveDate
                                     << QByteArray("\"\xc9\",#14:05:09#,#2004-03-09#\r\n");
    QTest::newRow("midnight") << QByteArray("x") << QTime(0, 0, 0) << QDate(2026, 12, 31)
                              << QByteArray("\"x\",#00:00:00#,#2026-12-31#\r\n");
    QTest::newRow("last second, early year")
        << QByteArray("x") << QTime(23, 59, 59) << QDate(987, 1, 2)
        << QByteArray("\"x\",#23:59:59#,#0987-01-02#\r\n");
}

void tst_WaypointLog::record()
{
    QFETCH(QByteArray, text);
    QFETCH(QTime, time);
    QFETCH(QDate, date);
    QFETCH(QByteArray, expected);
    QCOMPARE(WaypointLog::record(text, time, date), expected);
}

void tst_WaypointLog::openCreatesOrEmpties()
{
    WaypointLog log;
    QVERIFY2(log.open(m_folder), qPrintable(log.errorString()));
    QVERIFY(QFile::exists(m_path));
    QVERIFY(log.append(example, saveTime, saveDate));
    log.close();

    WaypointLog nextRun;
    QVERIFY(nextRun.open(m_folder));
    QCOMPARE(contents(), QByteArray());
    QCOMPARE(nextRun.filePath(), QDir::toNativeSeparators(m_path));
}

void tst_WaypointLog::eachRecordIsInTheFileWhenAppendReturns()
{
    WaypointLog log;
    QVERIFY(log.open(m_folder));
    QVERIFY(log.append(example, saveTime, saveDate));
    const QByteArray first = WaypointLog::record(example, saveTime, saveDate);
    QCOMPARE(contents(), first);
    QVERIFY(log.append(example, saveTime, saveDate.addDays(1)));
    QCOMPARE(contents(), first + WaypointLog::record(example, saveTime, saveDate.addDays(1)));
}

void tst_WaypointLog::openFailure_data()
{
    QTest::addColumn<QString>("byThatName");
    QTest::addColumn<QString>("told");
    QTest::newRow("a directory by that name") << "folder"
                                              << "The name belongs to a folder";
    QTest::newRow("no such folder") << ""
                                    << "";
#ifndef Q_OS_WIN
    // Opened as a file, it would block until someone read it.
    QTest::newRow("a FIFO by that name") << "fifo"
                                         << "named pipe (FIFO)";
#endif
}

void tst_WaypointLog::openFailure()
{
    QFETCH(QString, byThatName);
    QFETCH(QString, told);
    platform::NativeName folder = m_folder;
    if (byThatName == u"folder")
        QVERIFY(QDir(m_dir->path()).mkdir(QString::fromLatin1(WaypointLog::fileName)));
#ifndef Q_OS_WIN
    else if (byThatName == u"fifo")
        QVERIFY(::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
#endif
    else
        folder = m_dir->filePath(QStringLiteral("missing"));
    WaypointLog log;
    QVERIFY(!log.open(folder));
    QVERIFY(!log.isOpen());
    QVERIFY2(!log.errorString().isEmpty() && log.errorString().contains(told),
             qPrintable(log.errorString()));
    QVERIFY(!log.append(example, saveTime, saveDate));
}

void tst_WaypointLog::failedWriteLeavesNoHalfRecordAndTheNextOneWorks_data()
{
    QTest::addColumn<bool>("otherAppends");
    QTest::newRow("alone") << false;
    QTest::newRow("another program appends after it") << true;
}

void tst_WaypointLog::failedWriteLeavesNoHalfRecordAndTheNextOneWorks()
{
#ifdef Q_OS_WIN
    QSKIP("Filling the disk part-way through a record needs RLIMIT_FSIZE, which Windows lacks");
#else
    QFETCH(bool, otherAppends);
    WaypointLog log;
    QVERIFY(log.open(m_folder));
    QVERIFY(log.append(example, saveTime, saveDate));
    const QByteArray before = contents();
    static QFile other;
    static rlimit saved = {};
    other.setFileName(m_path);
    // Inside the write that goes past the limit, another program adds a record after our part.
    if (otherAppends && other.open(QIODevice::Append | QIODevice::Unbuffered)) {
        std::signal(SIGXFSZ, [](int) {
            ::setrlimit(RLIMIT_FSIZE, &saved);
            [[maybe_unused]] const auto written = ::write(other.handle(), "other\r\n", 7);
        });
    }

    // Room for only part of the next record, as on a disk that fills up in the middle of it.
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(before.size() + 10);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &tight) == 0);
    const bool appended = log.append(example, saveTime, saveDate);
    const QString reason = log.errorString();
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);
    std::signal(SIGXFSZ, SIG_IGN);
    other.close();

    QVERIFY(!appended);
    QVERIFY(!reason.isEmpty());
    const QByteArray after =
        otherAppends
            ? before + WaypointLog::record(example, saveTime, saveDate).left(10) + "other\r\n"
            : before;
    QCOMPARE(contents(), after);
    QCOMPARE(reason.contains(u"partial record"), otherAppends);
    QVERIFY2(log.append("next", saveTime, saveDate), qPrintable(log.errorString()));
    QCOMPARE(contents(), after + WaypointLog::record("next", saveTime, saveDate));
#endif
}

void tst_WaypointLog::twoProgramsInOneFolderAddWholeRecords()
{
    WaypointLog first;
    QVERIFY(first.open(m_folder) && first.append("first", saveTime, saveDate));
    // A second program starts in the same folder and empties the log.
    WaypointLog second;
    QVERIFY(second.open(m_folder) && first.append("after", saveTime, saveDate));
    QVERIFY(second.append("second", saveTime, saveDate));
    QCOMPARE(contents(), WaypointLog::record("after", saveTime, saveDate) +
                             WaypointLog::record("second", saveTime, saveDate));
}

void tst_WaypointLog::logGoneBetweenSaves_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::addColumn<QByteArray>("theirs");
    QTest::newRow("deleted") << false << QByteArray();
    QTest::newRow("renamed") << true << QByteArray();
    QTest::newRow("replaced") << true << QByteArray("theirs\n");
    QTest::newRow("FIFO in its place") << false << QByteArray("fifo");
}

void tst_WaypointLog::logGoneBetweenSaves()
{
    QFETCH(bool, renamed);
    QFETCH(QByteArray, theirs);
    WaypointLog log;
    QVERIFY(log.open(m_folder) && log.append("first", saveTime, saveDate));
    const bool gone =
        renamed ? QFile::rename(m_path, m_path + QStringLiteral(".old")) : QFile::remove(m_path);
#ifdef Q_OS_WIN
    // Held open without delete sharing, the log cannot go while the program runs.
    QVERIFY(!gone);
    QVERIFY(log.append(example, saveTime, saveDate));
    QCOMPARE(log.found(), WaypointLog::Found::Log);
    QCOMPARE(contents(), WaypointLog::record("first", saveTime, saveDate) +
                             WaypointLog::record(example, saveTime, saveDate));
    return;
#endif
    QVERIFY(gone);
#ifndef Q_OS_WIN
    if (theirs == "fifo") {
        // Nothing is saved into it, and nothing blocks; once it is gone, saving works again.
        QVERIFY(::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
        QVERIFY(!log.append(example, saveTime, saveDate));
        QVERIFY2(log.errorString().contains(u"named pipe"), qPrintable(log.errorString()));
        QVERIFY(QFile::remove(m_path));
        theirs.clear();
    }
#endif
    QFile other(m_path);
    QVERIFY(theirs.isEmpty() ||
            (other.open(QIODevice::NewOnly | QIODevice::Unbuffered) && other.write(theirs) > 0));

    QVERIFY2(log.append(example, saveTime, saveDate), qPrintable(log.errorString()));
    QCOMPARE(log.found(),
             theirs.isEmpty() ? WaypointLog::Found::Nothing : WaypointLog::Found::OtherFile);
    QCOMPARE(contents(), theirs + WaypointLog::record(example, saveTime, saveDate));
}

QTEST_GUILESS_MAIN(tst_WaypointLog)
#include "tst_waypointlog.moc"
