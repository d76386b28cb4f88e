#include "gps_link/portlife.h"
#include "offscreen.h"
#include "pseudoterminal.h"
#include "ui/frmgarminwaypoint.h"
#include "ui/frmwaypointfile.h"
#include "ui/waypointlistmodel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

class tst_WaypointWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sendFileListsEveryWaypointTicked();
    void sendWithoutAnOpenPortSaysSo();
    void sendGoesPacedInOrderWhileTheMainWindowWorks();
    void eachTwiceSendsEveryTickedSentenceTwice();
    void saveAppendsTheTickedRowsInOrder();
    void editedNamesStayReceiverSafe();
    void nameLengthAndPauseAreRemembered();
    void leftOutRowsAreTold();
    void anUnreadableFileIsToldInOneMessage_data();
    void anUnreadableFileIsToldInOneMessage();
    void readingCanBeCancelled();
    void aDroppedFileOpensItsList();
    void quitDuringASendTellsWhatWasNotSent();
    void aPortLostMidSendStopsWithTheCounts();

private:
    void recreateWindow();
    QString writeFile(const QString &name, const QByteArray &contents) const;
    // Through Waypoint -> Send File, as the user picks the file.
    frmWaypointFile *openThroughMenu(const QString &path);
    QByteArray logContents() const;
    QString settingsFile() const { return m_dir->filePath(QStringLiteral("settings.ini")); }

    template <typename T>
    static T *child(QWidget *window, const char *name)
    {
        auto found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    // Open Port is answered from the port's thread: the trigger waits for the answer.
    void trigger(const char *action) const
    {
        child<QAction>(m_window.get(), action)->trigger();
        if (qstrcmp(action, "mnuOpenPort") == 0)
            QTRY_VERIFY(!m_window->findChild<PortLife *>()->isOpening());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PseudoTerminal> m_pty;
    QString m_portPath;
    QString m_startDir;
    std::unique_ptr<frmGarminWaypoint> m_window;
    QStringList m_messages;
    QString m_chosenFile;
};

namespace {

const QByteArray trip =
    "<?xml version=\"1.0\"?>\n"
    "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
    "<wpt lat=\"47.5\" lon=\"-122.25\"><name>Trailhead</name></wpt>\n"
    "<wpt lat=\"47.6\" lon=\"-122.3\"><name>Trailhouse</name></wpt>\n"
    "<rte><rtept lat=\"-33.5\" lon=\"151.25\"><name>Opera</name></rtept></rte>\n"
    "</gpx>\n";

// The sentences of `trip`, as a receiver must get them: checksums worked out by hand.
QByteArray withChecksum(const QByteArray &body)
{
    unsigned char sum = 0;
    for (const char c : body.mid(1))
        sum ^= static_cast<unsigned char>(c);
    return body + '*' + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}
const QByteArray trailhead = withChecksum("$GPWPL,4730.0000,N,12215.0000,W,TRAILH");
const QByteArray trailhouse = withChecksum("$GPWPL,4736.0000,N,12218.0000,W,TRAIL2");
const QByteArray opera = withChecksum("$GPWPL,3330.0000,S,15115.0000,E,OPERA");

} // namespace

void tst_WaypointWindow::initTestCase()
{
    // As the program has it: counts in messages with their plural forms.
    auto plurals = new QTranslator(qApp);
    QVERIFY(plurals->load(QStringLiteral(":/translations/pindrel_en.qm")));
    QCoreApplication::installTranslator(plurals);
}

void tst_WaypointWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    m_portPath = PseudoTerminal::portNameIn(m_dir->path());
    QVERIFY(m_pty->linkAs(m_portPath));
    recreateWindow();
}

void tst_WaypointWindow::recreateWindow()
{
    m_window.reset();
    m_messages.clear();
    Services services;
    services.message = [this](QWidget *, const QString &text) { m_messages << text; };
    services.portName = platform::NativeName(m_portPath);
    services.settingsFile = settingsFile();
    services.clock.time = [] { return QTime(14, 5, 9); };
    services.clock.date = [] { return QDate(2004, 3, 9); };
    services.chooseWaypointFile = [this](QWidget *) { return m_chosenFile; };
    m_window = std::make_unique<frmGarminWaypoint>(services);
    QVERIFY(m_window->Form_Load());
    m_window->show();
}

void tst_WaypointWindow::cleanup()
{
    m_window.reset();
    m_pty.reset();
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

QString tst_WaypointWindow::writeFile(const QString &name, const QByteArray &contents) const
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

frmWaypointFile *tst_WaypointWindow::openThroughMenu(const QString &path)
{
    m_chosenFile = path;
    trigger("mnuSendFile");
    const auto windows = m_window->findChildren<frmWaypointFile *>();
    for (frmWaypointFile *window : windows) {
        if (window->filePath() == QFileInfo(path).absoluteFilePath()) {
            if (window->isReading()) {
                QSignalSpy loaded(window, &frmWaypointFile::loaded);
                if (!loaded.wait(20000))
                    return nullptr;
            }
            return window;
        }
    }
    return nullptr;
}

QByteArray tst_WaypointWindow::logContents() const
{
    QFile file(m_dir->filePath(QStringLiteral("waypoints.wpl")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
}

void tst_WaypointWindow::sendFileListsEveryWaypointTicked()
{
    QCOMPARE(child<QAction>(m_window.get(), "mnuSendFile")->text(),
             QStringLiteral("Send &File..."));
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Waypoints - trip.gpx"));
    const WaypointListModel *model = window->model();
    QCOMPARE(model->rowCount(), 3);
    const QStringList names{"TRAILH", "TRAIL2", "OPERA"};
    const QList<QByteArray> sentences{trailhead, trailhouse, opera};
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(model->index(row, WaypointListModel::NameColumn).data(Qt::CheckStateRole),
                 QVariant(Qt::Checked));
        QCOMPARE(model->index(row, WaypointListModel::NameColumn).data().toString(), names[row]);
        QCOMPARE(model->index(row, WaypointListModel::SentenceColumn).data().toString().toLatin1() +
                     "\r\n",
                 sentences[row]);
        QVERIFY(!model->index(row, WaypointListModel::PositionColumn).data().toString().isEmpty());
    }
    QVERIFY(m_messages.isEmpty());
    // The same file again raises its window rather than opening a second.
    QCOMPARE(openThroughMenu(m_dir->filePath(QStringLiteral("trip.gpx"))), window);
    QCOMPARE(m_window->findChildren<frmWaypointFile *>().size(), 1);
}

void tst_WaypointWindow::sendWithoutAnOpenPortSaysSo()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    child<QPushButton>(window, "cmdSend")->click();
    QCOMPARE(m_messages, QStringList{QStringLiteral("Port Not Open!")});
    QVERIFY(!window->isSending());
    QCOMPARE(m_pty->receiveFor(100), QByteArray());
}

void tst_WaypointWindow::sendGoesPacedInOrderWhileTheMainWindowWorks()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    trigger("mnuOpenPort");
    QVERIFY(m_messages.isEmpty());
    // The second row unticked: the first and the third go, in that order.
    QVERIFY(window->model()->setData(window->model()->index(1, WaypointListModel::NameColumn),
                                     Qt::Unchecked, Qt::CheckStateRole));
    child<QSpinBox>(window, "spnPause")->setValue(300);
    QSignalSpy finished(window, &frmWaypointFile::sendFinished);
    child<QPushButton>(window, "cmdSend")->click();
    QVERIFY(window->isSending());
    QVERIFY(child<QProgressBar>(window, "barProgress")->isVisible());
    QVERIFY(!child<QPushButton>(window, "cmdSend")->isEnabled());
    QCOMPARE(m_pty->receive(trailhead.size()), trailhead);
    // The main window takes commands during the pause.
    child<QLineEdit>(m_window.get(), "txtWaypointName")->setText(QStringLiteral("home"));
    trigger("mnuMakeString");
    QVERIFY(child<QLineEdit>(m_window.get(), "txtGeneratedString")->text().contains(u"HOME"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(m_pty->receive(opera.size()), opera);
    QCOMPARE(finished[0][0].value<waypointfile::PacedSender::Outcome>(),
             waypointfile::PacedSender::Outcome::Sent);
    QVERIFY(child<QLabel>(window, "lblStatus")->text().contains(u"All 2 waypoints sent"));
    QVERIFY(child<QPushButton>(window, "cmdSend")->isEnabled());
}

void tst_WaypointWindow::eachTwiceSendsEveryTickedSentenceTwice()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    trigger("mnuOpenPort");
    child<QSpinBox>(window, "spnPause")->setValue(0);
    child<QCheckBox>(window, "chkTwice")->setChecked(true);
    QSignalSpy finished(window, &frmWaypointFile::sendFinished);
    child<QPushButton>(window, "cmdSend")->click();
    QVERIFY(finished.wait(10000));
    const QByteArray all = trailhead + trailhead + trailhouse + trailhouse + opera + opera;
    QCOMPARE(m_pty->receive(all.size()), all);
}

void tst_WaypointWindow::saveAppendsTheTickedRowsInOrder()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    QVERIFY(window->model()->setData(window->model()->index(0, WaypointListModel::NameColumn),
                                     Qt::Unchecked, Qt::CheckStateRole));
    child<QPushButton>(window, "cmdSave")->click();
    const QByteArray stamp = "\",#14:05:09#,#2004-03-09#\r\n";
    QCOMPARE(logContents(), '"' + trailhouse + stamp + '"' + opera + stamp);
    QVERIFY(m_messages.isEmpty());
}

void tst_WaypointWindow::editedNamesStayReceiverSafe()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    WaypointListModel *model = window->model();
    const QModelIndex first = model->index(0, WaypointListModel::NameColumn);
    QVERIFY(model->flags(first) & Qt::ItemIsEditable);
    QVERIFY(model->setData(first, QStringLiteral("my,camp*site"), Qt::EditRole));
    QCOMPARE(first.data().toString(), QStringLiteral("MYCAMP"));
    QVERIFY(
        model->index(0, WaypointListModel::SentenceColumn)
            .data()
            .toString()
            .endsWith(u",MYCAMP*", Qt::CaseSensitive) ||
        model->index(0, WaypointListModel::SentenceColumn).data().toString().contains(u",MYCAMP*"));
    // The second no longer shares its cut name, and takes it back.
    QCOMPARE(model->index(1, WaypointListModel::NameColumn).data().toString(),
             QStringLiteral("TRAILH"));
    // Named like another, it is numbered.
    QVERIFY(model->setData(model->index(2, WaypointListModel::NameColumn), QStringLiteral("mycamp"),
                           Qt::EditRole));
    QCOMPARE(model->index(2, WaypointListModel::NameColumn).data().toString(),
             QStringLiteral("MYCAM2"));
}

void tst_WaypointWindow::nameLengthAndPauseAreRemembered()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    QCOMPARE(child<QSpinBox>(window, "spnNameLength")->value(), 6);
    QCOMPARE(child<QSpinBox>(window, "spnPause")->value(), 500);
    QVERIFY(!child<QCheckBox>(window, "chkTwice")->isChecked());
    child<QSpinBox>(window, "spnNameLength")->setValue(0);
    QCOMPARE(child<QSpinBox>(window, "spnNameLength")->text(), QStringLiteral("whole"));
    QCOMPARE(window->model()->index(1, WaypointListModel::NameColumn).data().toString(),
             QStringLiteral("TRAILHOUSE"));
    child<QSpinBox>(window, "spnNameLength")->setValue(9);
    child<QSpinBox>(window, "spnPause")->setValue(1200);

    recreateWindow();
    window = openThroughMenu(m_dir->filePath(QStringLiteral("trip.gpx")));
    QVERIFY(window);
    QCOMPARE(child<QSpinBox>(window, "spnNameLength")->value(), 9);
    QCOMPARE(child<QSpinBox>(window, "spnPause")->value(), 1200);
    QCOMPARE(window->model()->index(0, WaypointListModel::NameColumn).data().toString(),
             QStringLiteral("TRAILHEAD"));
}

void tst_WaypointWindow::leftOutRowsAreTold()
{
    QByteArray csv = "name,lat,lon\nGood,1,2\n";
    for (int i = 0; i < 5; ++i)
        csv += "Bad,north,2\n";
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("some.csv"), csv));
    QVERIFY(window);
    QCOMPARE(window->model()->rowCount(), 1);
    const QString told = child<QLabel>(window, "lblLeftOut")->text();
    QVERIFY2(told.contains(u"5 rows of the file were left out") && told.contains(u"Line 3:") &&
                 told.contains(u"Line 5:") && !told.contains(u"Line 6:") &&
                 told.contains(u"2 more"),
             qPrintable(told));
}

void tst_WaypointWindow::anUnreadableFileIsToldInOneMessage_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("told");
    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("binary") << QByteArray("\0\1\2\3", 4) << "not text";
    QTest::newRow("csv without a header") << QByteArray("a,b,c\n1,2,3\n") << "name the columns";
    QTest::newRow("gpx without waypoints") << QByteArray("<gpx></gpx>") << "no waypoints";
}

void tst_WaypointWindow::anUnreadableFileIsToldInOneMessage()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, told);
    const QString path = writeFile(QStringLiteral("bad.gpx"), contents);
    QPointer<frmWaypointFile> window = openThroughMenu(path);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages[0].contains(told) && m_messages[0].contains(u"bad.gpx"),
             qPrintable(m_messages[0]));
    QTRY_VERIFY(!window || !window->isVisible());
    // A folder dropped or named is no file; a pipe would keep the reader waiting.
    m_chosenFile = m_dir->path();
    trigger("mnuSendFile");
    QTRY_COMPARE(m_messages.size(), 2);
    QVERIFY2(m_messages[1].contains(u"folder or a device"), qPrintable(m_messages[1]));
    m_messages.removeLast();
    m_chosenFile = m_dir->filePath(QStringLiteral("missing.gpx"));
    trigger("mnuSendFile");
    QTRY_COMPARE(m_messages.size(), 2);
    QVERIFY2(m_messages[1].contains(u"could not be opened"), qPrintable(m_messages[1]));
}

void tst_WaypointWindow::readingCanBeCancelled()
{
    QByteArray many = "<gpx>\n";
    for (int i = 0; i < 200000; ++i)
        many += "<wpt lat=\"1.5\" lon=\"2.5\"><name>P</name></wpt>\n";
    many += "</gpx>\n";
    m_chosenFile = writeFile(QStringLiteral("many.gpx"), many);
    trigger("mnuSendFile");
    auto window = m_window->findChild<frmWaypointFile *>();
    QVERIFY(window);
    QSignalSpy loaded(window, &frmWaypointFile::loaded);
    QVERIFY(child<QPushButton>(window, "cmdCancel")->isVisible());
    child<QPushButton>(window, "cmdCancel")->click();
    QVERIFY(loaded.wait(20000));
    QCOMPARE(loaded[0][0].toBool(), false);
    QCOMPARE(window->model()->rowCount(), 0);
    QVERIFY(!child<QPushButton>(window, "cmdSend")->isEnabled());
    QVERIFY(m_messages.isEmpty());
}

void tst_WaypointWindow::aDroppedFileOpensItsList()
{
    const QString path = writeFile(QStringLiteral("dropped.gpx"), trip);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window.get(), &drop);
    auto window = m_window->findChild<frmWaypointFile *>();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Waypoints - dropped.gpx"));
    QTRY_COMPARE(window->model()->rowCount(), 3);
}

void tst_WaypointWindow::quitDuringASendTellsWhatWasNotSent()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    trigger("mnuOpenPort");
    child<QSpinBox>(window, "spnPause")->setValue(5000);
    child<QPushButton>(window, "cmdSend")->click();
    QCOMPARE(m_pty->receive(trailhead.size()), trailhead);
    trigger("mnuQuit");
    QCOMPARE(m_messages, QStringList{QStringLiteral("2 waypoints from trip.gpx were not sent.")});
    QTRY_VERIFY(!m_window->isVisible());
    // The list goes with the window whose port and log it used.
    QVERIFY(m_window->findChildren<frmWaypointFile *>().isEmpty() ||
            !m_window->findChild<frmWaypointFile *>()->isVisible());
    // What was handed over went; nothing after it.
    QCOMPARE(m_pty->receiveFor(300), QByteArray());
}

void tst_WaypointWindow::aPortLostMidSendStopsWithTheCounts()
{
    frmWaypointFile *window = openThroughMenu(writeFile(QStringLiteral("trip.gpx"), trip));
    QVERIFY(window);
    trigger("mnuOpenPort");
    child<QSpinBox>(window, "spnPause")->setValue(1000);
    QSignalSpy finished(window, &frmWaypointFile::sendFinished);
    child<QPushButton>(window, "cmdSend")->click();
    QCOMPARE(m_pty->receive(trailhead.size()), trailhead);
    // The receiver goes away during the pause.
    m_pty->hangUp();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished[0][0].value<waypointfile::PacedSender::Outcome>(),
             waypointfile::PacedSender::Outcome::PortLost);
    const QString status = child<QLabel>(window, "lblStatus")->text();
    QVERIFY2(status.contains(u"1 of 3 sent; 2 not sent"), qPrintable(status));
    QVERIFY(child<QPushButton>(window, "cmdSend")->isEnabled());
}

QTEST_MAIN(tst_WaypointWindow)
#include "tst_waypointwindow.moc"
