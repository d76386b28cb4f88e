#include "codepage.h"
#include "gps_link/gpslink.h"
#include "gps_link/portlife.h"
#include "hangguard.h"
#include "offscreen.h"
#include "platform/settingsstore.h"
#include "pseudoterminal.h"
#include "sentence/waypointsentence.h"
#include "ui/commandline.h"
#include "ui/frmchooseport.h"
#include "ui/frmgarminwaypoint.h"
#include "ui/portadvice.h"
#include "ui/portname.h"
#include "ui/program.h"
#include "ui/rememberedchoices.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QNetworkDatagram>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QUdpSocket>

#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(PortProblem)
Q_DECLARE_METATYPE(PortGroup)

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void caption();
    void controlsStandWhereDrawn_data();
    void controlsStandWhereDrawn();
    void labelsAreBoldAndWhole();
    void textBoxesShowTheirTextWhole_data();
    void textBoxesShowTheirTextWhole();
    void controlsKeepTheirOrderAtAnySize();
    void clientAreaBelowTheMenuBar();
    void menus_data();
    void menus();
    void tabOrderFromTheNameBox();
    void boxesAnnouncedByTheirLabels_data();
    void boxesAnnouncedByTheirLabels();

    void makeString_data();
    void makeString();
    void makeStringReplacesAndNeverAppends();
    void editingInputsLeavesTheStringAlone();
    void generatedStringIsReadOnlyButCopyable();
    void enterPositionFillsTheBoxes_data();
    void enterPositionFillsTheBoxes();
    void receiverReadingFollowsTheBoxes_data();
    void receiverReadingFollowsTheBoxes();
    void longestBodyIsBuilt();
    void overLongStringIsRefusedWithAMessage();
    void pasteOfAnyLengthIsKeptWhole();
    void quitEndsTheEventLoop_data();
    void quitEndsTheEventLoop();

    void sendBeforeOpenSaysSoAndSendsNothing();
    void secondOpenSaysSoAndLeavesTheLineAlone();
    void sendDeliversTheBytesItsChecksumCovers_data();
    void sendDeliversTheBytesItsChecksumCovers();
    void openFailureIsToldAndTheProgramGoesOn_data();
    void openFailureIsToldAndTheProgramGoesOn();
    void hangUpIsToldOnceAndThePortClosed();
    void adviceShowsTheWayForward_data();
    void adviceShowsTheWayForward();
    void choosePortTakesOpenAndSendThere_data();
    void choosePortTakesOpenAndSendThere();
    void choosingWhileOpenMovesTheLink_data();
    void choosingWhileOpenMovesTheLink();
    void choicesSurviveARestart();
    void speedIsChosenRememberedOrRefused_data();
    void speedIsChosenRememberedOrRefused();
    void newSpeedOnTheOpenPortWaitsForWhatWasSent();
    void networkAddressTakesTheSameBytes_data();
    void networkAddressTakesTheSameBytes();
    void choosePortRefusesWhatTheSystemCannotTake_data();
    void choosePortRefusesWhatTheSystemCannotTake();
    void settingsFaultsAreToldOnceAndNeverHang_data();
    void settingsFaultsAreToldOnceAndNeverHang();
    void settingsThatNeverAnswerAreToldAndLeftBehind_data();
    void settingsThatNeverAnswerAreToldAndLeftBehind();
    void quitAndCloseBoxDeliverEveryAcceptedByte_data();
    void quitAndCloseBoxDeliverEveryAcceptedByte();
    void quitClosesThePortThenTheLogThenTheWindow();
    void quitWithABacklogShowsProgressAndCanBeGivenUp_data();
    void quitWithABacklogShowsProgressAndCanBeGivenUp();
    void anOpenThatHangsShowsOpeningAndCanBeCancelled();

    void saveWritesTheExactRecord_data();
    void saveWritesTheExactRecord();
    void saveReadsTheTimeBeforeTheDate();
    void fullDiskIsToldAndTheNextSaveTriesAgain();
    void logGoneIsToldOnce_data();
    void logGoneIsToldOnce();
    void startFailsWithAMessageAndAFailureStatus_data();
    void startFailsWithAMessageAndAFailureStatus();
    void documentsOptionWorksInTheMovedDocumentsFolder_data();
    void documentsOptionWorksInTheMovedDocumentsFolder();

    void commandLineChoosesThePort();
    void commandLineAnswersWithoutWindowOrLog_data();
    void commandLineAnswersWithoutWindowOrLog();
    void signalAtStartEndsAsQuit_data();
    void signalAtStartEndsAsQuit();

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        m_paints += event->type() == QEvent::Paint;
        return false;
    }

private:
    template <typename T>
    T *child(const char *name) const
    {
        auto found = m_window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QLineEdit *box(const char *name) const { return child<QLineEdit>(name); }
    // Open Port is answered from the port's thread: the trigger waits for the answer.
    void trigger(const char *action) const
    {
        child<QAction>(action)->trigger();
        if (qstrcmp(action, "mnuOpenPort") == 0)
            QTRY_VERIFY(!portLife()->isOpening());
    }
    PortLife *portLife() const { return m_window->findChild<PortLife *>(); }
    // Asks the port, on its own thread, how many bytes Qt still holds for it.
    qint64 bytesInQtsBuffer() const;
    void recreateWindow(const platform::NativeName &portName,
                        std::optional<qint32> baudRate = std::nullopt);
    QByteArray logContents() const;
    // Through Program -> Choose Port: types the speed, if any, then into the list, and presses
    // the key.
    void choosePort(const QString &typed, Qt::Key key = Qt::Key_Return, const QString &speed = {});
    bool logIsOpen() const;
    void type(const QString &name, const QString &lat, const QString &lon) const
    {
        box("txtWaypointName")->setText(name);
        box("txtWaypointLat")->setText(lat);
        box("txtWaypointLon")->setText(lon);
    }
    QString generated() const { return box("txtGeneratedString")->text(); }
    QString arrangementFault() const;
    // The test's own, never the user's.
    QString settingsFile() const { return m_settingsFile; }
    // A file system of the test's own at the path, or false when the test may not mount one.
    bool mountScratch(const QString &path, const char *options, unsigned long flags = 0);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsFile;
    QStringList m_mounts;
    std::unique_ptr<PseudoTerminal> m_pty;
    QString m_portPath;
    std::unique_ptr<frmGarminWaypoint> m_window;
    QStringList m_messages;
    QStringList m_clockReadings;
    QTime m_time{14, 5, 9};
    QDate m_date{2004, 3, 9};
    QString m_startDir;
    int m_paints = 0;
    // A line that holds its bytes until released, as a slow receiver's would.
    DrainWorker::Step m_drainStep;
    std::function<void()> m_openWait;
    std::atomic<bool> m_openReleased{true};
    std::atomic<bool> m_drainReleased{true};
    std::atomic<int> m_drains{0};
    // Each message waits this long, as a modal box would, watching what else shows meanwhile.
    int m_messageWaitMs = 0;
    bool m_waitShownWithMessage = false;
};

namespace {

const QByteArray example = "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n";

// Row by row, left to right: twips divided by 15, the pixels at 96 dots per inch. A caption is
// promised its column, which ends where its box begins: "Name:" was drawn a pixel wider, over
// its box, and "Longitude:" too.
struct Drawn
{
    const char *name;
    QRect written;
    const char *text;
};
const Drawn drawn[] = {
    {"Label1", QRect(8, 8, 40, 17), "Name:"},
    {"txtWaypointName", QRect(48, 8, 81, 19), ""},
    {"Label2", QRect(136, 8, 49, 17), "Latitude:"},
    {"txtWaypointLat", QRect(192, 8, 81, 19), ""},
    {"cboLatHemisphere", QRect(273, 8, 0, 0), ""},
    {"Label3", QRect(280, 8, 64, 17), "Longitude:"},
    {"txtWaypointLon", QRect(344, 8, 81, 19), ""},
    // The hemisphere choices are not in the drawing: each is only promised a place right of its
    // box, and the row grows to the right for them.
    {"cboLonHemisphere", QRect(425, 8, 0, 0), ""},
    {"Label4", QRect(8, 40, 97, 17), "Waypoint String:"},
    {"txtGeneratedString", QRect(8, 56, 417, 19), ""},
    // Not in the drawing: what a receiver will read, under the boxes at full width.
    {"lblReceiverReads", QRect(8, 83, 417, 0),
     "A receiver will store no position. The Latitude and Longitude boxes are empty: type "
     "ddmm.mmmm and dddmm.mmmm, or use Waypoint → Enter Position."},
};
const QMargins clientMargins(8, 8, 5, 5);

} // namespace

void tst_MainWindow::initTestCase()
{
    // As the program has it: counts in messages with their plural forms.
    auto plurals = new QTranslator(qApp);
    QVERIFY(plurals->load(QStringLiteral(":/translations/pindrel_en.qm")));
    QCoreApplication::installTranslator(plurals);
}

void tst_MainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    // The log lies in the working directory, as it does for a user.
    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_drains = 0;
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    // A name of our own for the port, so that a test can point it at a fresh pseudo-terminal.
    m_portPath = PseudoTerminal::portNameIn(m_dir->path());
    QVERIFY(m_pty->linkAs(m_portPath));
    recreateWindow(m_portPath);
}

void tst_MainWindow::recreateWindow(const platform::NativeName &portName,
                                    std::optional<qint32> baudRate)
{
    m_window.reset();
    m_messages.clear();
    Services services;
    services.message = [this](QWidget *, const QString &text) {
        m_messages << text;
        if (m_messageWaitMs == 0)
            return;
        // As a modal box's own loop: no deferred deletion from outside it runs meanwhile.
        QEventLoop box;
        QTimer::singleShot(m_messageWaitMs, &box, &QEventLoop::quit);
        box.exec();
        auto closing = m_window->findChild<QDialog *>(QStringLiteral("frmClosingPort"));
        auto opening = m_window->findChild<QDialog *>(QStringLiteral("frmConnecting"));
        m_waitShownWithMessage = m_waitShownWithMessage || (closing && closing->isVisible()) ||
                                 (opening && opening->isVisible());
    };
    services.portName = portName;
    services.baudRate = baudRate;
    services.settingsFile = settingsFile();
    services.drainStep = m_drainStep;
    services.openWait = m_openWait;
    services.clock.time = [this] {
        m_clockReadings << QStringLiteral("time");
        return m_time;
    };
    services.clock.date = [this] {
        m_clockReadings << QStringLiteral("date");
        return m_date;
    };
    m_window = std::make_unique<frmGarminWaypoint>(services);
    QVERIFY(m_window->Form_Load());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

qint64 tst_MainWindow::bytesInQtsBuffer() const
{
    GpsLink *link = portLife()->link();
    qint64 bytes = -1;
    QMetaObject::invokeMethod(
        link,
        [link, &bytes] { bytes = link->findChild<QSerialPort *>(u"MSComm1"_qs)->bytesToWrite(); },
        Qt::BlockingQueuedConnection);
    return bytes;
}

void tst_MainWindow::cleanup()
{
    m_drainReleased = true;
    m_openReleased = true;
    m_window.reset();
    m_drainStep = {};
    m_openWait = {};
    m_messageWaitMs = 0;
    m_waitShownWithMessage = false;
    m_pty.reset();
    QDir::setCurrent(m_startDir);
#ifndef Q_OS_WIN
    for (const QString &mounted : std::as_const(m_mounts))
        ::umount2(QFile::encodeName(mounted).constData(), MNT_DETACH);
#endif
    m_mounts.clear();
    m_dir.reset();
}

bool tst_MainWindow::mountScratch(const QString &path, const char *options, unsigned long flags)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    Q_UNUSED(options);
    Q_UNUSED(flags);
    return false;
#else
    if (!QDir().mkpath(path) ||
        ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", flags, options) != 0)
        return false;
    m_mounts << path;
    return true;
#endif
}

QByteArray tst_MainWindow::logContents() const
{
    QFile file(m_dir->filePath(QStringLiteral("waypoints.wpl")));
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

bool tst_MainWindow::logIsOpen() const
{
#ifdef Q_OS_WIN
    // Only a handle held elsewhere keeps us from opening the file without sharing it.
    const std::wstring log =
        QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("waypoints.wpl"))).toStdWString();
    const HANDLE handle =
        ::CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(handle);
    return false;
#else
    const QString log =
        QFileInfo(m_dir->filePath(QStringLiteral("waypoints.wpl"))).canonicalFilePath();
    QDirIterator descriptors(QStringLiteral("/proc/self/fd"), QDir::AllEntries | QDir::System);
    while (descriptors.hasNext()) {
        if (QFileInfo(descriptors.next()).symLinkTarget() == log)
            return true;
    }
    return false;
#endif
}

void tst_MainWindow::caption()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Garmin Pindrel V 1.0"));
    QCOMPARE(m_window->objectName(), QStringLiteral("frmGarminWaypoint"));
}

void tst_MainWindow::controlsStandWhereDrawn_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    for (const Drawn &control : drawn)
        QTest::newRow(control.name) << control.name << control.written << control.text;
}

void tst_MainWindow::controlsStandWhereDrawn()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    auto widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    // A wider or taller font may push controls right or down; nothing moves up or left, or
    // shrinks. A box keeps its drawn height; a caption takes its line's.
    QVERIFY(widget->x() >= geometry.x() && widget->y() >= geometry.y());
    QVERIFY(widget->width() >= geometry.width());
    QVERIFY(!qobject_cast<QLineEdit *>(widget) || widget->height() >= geometry.height());
    // The reading under the boxes shows what its room holds, and tells a screen reader all.
    QCOMPARE(name == u"lblReceiverReads" ? widget->accessibleName()
                                         : widget->property("text").toString(),
             text);
}

void tst_MainWindow::labelsAreBoldAndWhole()
{
    for (const char *name : {"Label1", "Label2", "Label3", "Label4"}) {
        auto label = child<QLabel>(name);
        QVERIFY2(label->font().bold(), name);
        QCOMPARE(label->font().pointSizeF(), QApplication::font().pointSizeF() * 8.25 / 8);
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(), name);
        QVERIFY2(metrics.height() <= label->height(), name);
    }
}

void tst_MainWindow::textBoxesShowTheirTextWhole_data()
{
    QTest::addColumn<qreal>("points");
    QTest::newRow("desktop font") << 0.0;
    QTest::newRow("14 points") << 14.0;
}

void tst_MainWindow::textBoxesShowTheirTextWhole()
{
    QFETCH(qreal, points);
    const QFont desktopFont = QApplication::font();
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(desktopFont); });
    if (points > 0) {
        QFont large = desktopFont;
        large.setPointSizeF(points);
        QApplication::setFont(large);
        recreateWindow(m_portPath);
    }
    // The longest typical values: a six-character name, DDmm.sss and DDDmm.sss.
    for (const auto &[name, text] : {std::pair{"txtWaypointName", "WWWWWW"},
                                     {"txtWaypointLat", "3351.123"},
                                     {"txtWaypointLon", "08412.345"},
                                     {"txtGeneratedString", "Égypt 3351.123"}}) {
        auto edit = box(name);
        edit->setText(QString::fromUtf8(text));
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? 1 : 0;
        const QRect inside =
            edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        QVERIFY2(edit->fontMetrics().height() <= inside.height(), name);
        // QLineEdit keeps two pixels either side of the text and one for the cursor.
        QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->text()) + 5 <= inside.width(), name);
    }
    const QString fault = arrangementFault();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QString tst_MainWindow::arrangementFault() const
{
    const QRect inside = m_window->centralWidget()->rect().marginsRemoved(clientMargins);
    QRect before;
    int rowBottom = 0;
    for (const Drawn &control : drawn) {
        const QRect r = child<QWidget>(control.name)->geometry();
        const QString name = QLatin1String(control.name);
        if (!inside.contains(r))
            return name + QStringLiteral(" is not inside the margins");
        const bool sameRow =
            &control != drawn && control.written.y() == (&control - 1)->written.y();
        if (sameRow && (r.top() != before.top() || r.left() <= before.right()))
            return name + QStringLiteral(" does not follow the control before it on its row");
        if (!sameRow && r.top() <= rowBottom)
            return name + QStringLiteral(" is not below the row above it");
        rowBottom = sameRow ? qMax(rowBottom, r.bottom()) : r.bottom();
        before = r;
    }
    return {};
}

void tst_MainWindow::controlsKeepTheirOrderAtAnySize()
{
    const auto arrangement = [this] {
        QList<QRect> rects;
        for (const Drawn &control : drawn)
            rects << child<QWidget>(control.name)->geometry();
        return rects;
    };
    const QList<QRect> opened = arrangement();
    QString fault = arrangementFault();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    const QSize size = m_window->size();
    m_window->resize(size * 2);
    fault = arrangementFault();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    const QList<QRect> r = arrangement();
    const auto topRow = std::count_if(std::begin(drawn), std::end(drawn), [](const Drawn &c) {
        return c.written.y() == drawn[0].written.y();
    });
    QVERIFY(r[1].width() > opened[1].width() && r.last().width() > opened.last().width());
    QCOMPARE(r.last().right(), r[topRow - 1].right());
    m_window->resize(size);
    QCOMPARE(arrangement(), opened);
}

void tst_MainWindow::clientAreaBelowTheMenuBar()
{
    auto client = m_window->centralWidget();
    // At the drawn size, or as near as the font allows.
    QVERIFY(client->width() >= 430 && client->height() >= 80);
    QCOMPARE(client->height(), client->minimumSizeHint().height());
    QCOMPARE(client->geometry().top(), m_window->menuBar()->geometry().bottom() + 1);
    QCOMPARE(m_window->size(),
             QSize(client->width(), client->height() + m_window->menuBar()->height()));
}

void tst_MainWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("program") << "mnuProgram"
                             << "&Program"
                             << QStringList{"mnuChoosePort", "mnuOpenPort", "mnuHelp", "mnuAbout",
                                            "mnuQuit"}
                             << QStringList{"&Choose Port...", "&Open Port", "&Help", "&About",
                                            "&Quit"};
    QTest::newRow("waypoint") << "mnuWaypoint"
                              << "&Waypoint"
                              << QStringList{"mnuEnterPosition", "mnuMakeString", "mnuSendString",
                                             "mnuSave", "mnuSendFile"}
                              << QStringList{"Enter &Position...", "&Make String", "&Send String",
                                             "&Save String", "Send &File..."};
}

void tst_MainWindow::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    auto found = m_window->findChild<QMenu *>(menu);
    QVERIFY(found);
    QCOMPARE(found->title(), caption);
    const auto bar = m_window->menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar.indexOf(found->menuAction()), menu == u"mnuProgram" ? 0 : 1);
    QStringList names, texts;
    for (QAction *action : found->actions()) {
        names << action->objectName();
        texts << action->text();
        QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(names, items);
    QCOMPARE(texts, captions);
}

void tst_MainWindow::tabOrderFromTheNameBox()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(QApplication::focusWidget(), box("txtWaypointName"));
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"txtWaypointLat", "cboLatHemisphere", "txtWaypointLon",
                                 "cboLonHemisphere", "txtGeneratedString", "txtWaypointName"}));
}

void tst_MainWindow::boxesAnnouncedByTheirLabels_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("announced");
    QTest::newRow("name") << "txtWaypointName"
                          << "Name:";
    QTest::newRow("latitude") << "txtWaypointLat"
                              << "Latitude:";
    QTest::newRow("longitude") << "txtWaypointLon"
                               << "Longitude:";
    QTest::newRow("string") << "txtGeneratedString"
                            << "Waypoint String:";
    QTest::newRow("latitude hemisphere") << "cboLatHemisphere"
                                         << "Latitude hemisphere";
    QTest::newRow("longitude hemisphere") << "cboLonHemisphere"
                                          << "Longitude hemisphere";
}

void tst_MainWindow::boxesAnnouncedByTheirLabels()
{
    QFETCH(QString, box);
    QFETCH(QString, announced);
    auto widget = m_window->findChild<QWidget *>(box);
    auto iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    // On Linux a combo box's name is its current item: it is announced by its description.
    const bool combo = qobject_cast<QComboBox *>(widget);
    QCOMPARE(iface->text(combo ? QAccessible::Description : QAccessible::Name), announced);
}

void tst_MainWindow::makeString_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    // Typed into the hemisphere choices.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *tag, const char *name, const char *lat, const char *lon,
                        const char *keys, const char *expected) {
        QTest::newRow(tag) << name << lat << lon << keys << expected;
    };
    row("home", "home", "3351.123", "08412.345", "", "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n");
    row("all empty", "", "", "", "", "$GPWPL,,N,,W,*69\r\n");
    row("south and east typed", "home", "3351.123", "08412.345", "se",
        "$GPWPL,3351.123,S,08412.345,E,HOME*50\r\n");
}

void tst_MainWindow::makeString()
{
    QFETCH(QString, name);
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    type(name, lat, lon);
    // The first half of the keys goes to the latitude's choice, the rest to the longitude's.
    QTest::keyClicks(child<QComboBox>("cboLatHemisphere"), keys.first(keys.size() / 2));
    QTest::keyClicks(child<QComboBox>("cboLonHemisphere"), keys.sliced(keys.size() / 2));
    trigger("mnuMakeString");
    QCOMPARE(generated(), expected);
    QVERIFY(m_messages.isEmpty());
}

void tst_MainWindow::makeStringReplacesAndNeverAppends()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuMakeString");
    QCOMPARE(generated(), QStringLiteral("$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n"));
    type("a", "1", "2");
    trigger("mnuMakeString");
    QCOMPARE(generated(), QStringLiteral("$GPWPL,1,N,2,W,A*2B\r\n"));
}

void tst_MainWindow::editingInputsLeavesTheStringAlone()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    const QString made = generated();
    QTest::keyClicks(box("txtWaypointName"), "x");
    box("txtWaypointLat")->clear();
    QCOMPARE(generated(), made);
}

void tst_MainWindow::generatedStringIsReadOnlyButCopyable()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    auto string = box("txtGeneratedString");
    QVERIFY(string->isReadOnly());
    string->setFocus();
    QTest::keyClicks(string, "zz");
    QCOMPARE(generated(), QStringLiteral("$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n"));
    string->selectAll();
    string->copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), generated());
}

void tst_MainWindow::enterPositionFillsTheBoxes_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("typed");
    // What the window's line shows just before the key.
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("key");
    // "4736.3720 N 12219.9260 W": the boxes and choices after; empty where nothing changes.
    QTest::addColumn<QString>("filled");
    QTest::newRow("typed, Enter") << ""
                                  << "-33.8688 151.2093"
                                  << "33° 52.1280′ S, 151° 12.5580′ E" << int(Qt::Key_Return)
                                  << "3352.1280 S 15112.5580 E";
    QTest::newRow("from the clipboard")
        << "geo:47.6062,-122.3321"
        << ""
        << "47° 36.3720′ N, 122° 19.9260′ W" << int(Qt::Key_Enter) << "4736.3720 N 12219.9260 W";
    QTest::newRow("typing replaces the clipboard's")
        << "47.6062, -122.3321"
        << "N 33° 52.128' E 151° 12.558'"
        << "33° 52.1280′ N, 151° 12.5580′ E" << int(Qt::Key_Return) << "3352.1280 N 15112.5580 E";
    QTest::newRow("escape changes nothing")
        << ""
        << "-33.8688 151.2093"
        << "33° 52.1280′ S, 151° 12.5580′ E" << int(Qt::Key_Escape) << "";
    QTest::newRow("not read, Enter does nothing")
        << "Seattle"
        << "47.6062, -122.33x1"
        << "“x” is not part of a position." << int(Qt::Key_Return) << "";
    QTest::newRow("one coordinate")
        << ""
        << "47.6062"
        << "There is only one coordinate here: a position needs a latitude and a longitude."
        << int(Qt::Key_Return) << "";
}

void tst_MainWindow::enterPositionFillsTheBoxes()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, key);
    QFETCH(QString, filled);
    type("home", "1", "2");
    QGuiApplication::clipboard()->setText(clipboard);
    trigger("mnuEnterPosition");
    auto dialog = m_window->findChild<QDialog *>(QStringLiteral("frmEnterPosition"));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Position"));
    auto line = dialog->findChild<QLineEdit *>(QStringLiteral("txtPosition"));
    // The clipboard's text is taken only when it reads, and stands selected.
    const bool reads = clipboard.startsWith(u"geo") || clipboard.startsWith(u"47");
    QCOMPARE(line->text(), reads ? clipboard : QString());
    QCOMPARE(line->selectedText(), line->text());
    QTest::keyClicks(line, typed);
    QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("lblReading"))->text(), shown);
    auto ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    QCOMPARE(ok->isEnabled(), !shown.endsWith(u'.'));
    QTest::keyClick(line, Qt::Key(key));
    QCOMPARE(dialog->isVisible(), key != Qt::Key_Escape && filled.isEmpty());
    QCOMPARE(box("txtWaypointName")->text(), QStringLiteral("home"));
    const QStringList boxes{
        box("txtWaypointLat")->text(), child<QComboBox>("cboLatHemisphere")->currentText(),
        box("txtWaypointLon")->text(), child<QComboBox>("cboLonHemisphere")->currentText()};
    QCOMPARE(boxes.join(u' '), filled.isEmpty() ? u"1 N 2 W"_qs : filled);
    // The hemispheres are remembered as when chosen by hand.
    recreateWindow(m_portPath);
    QCOMPARE(child<QComboBox>("cboLatHemisphere")->currentText() + u' ' +
                 child<QComboBox>("cboLonHemisphere")->currentText(),
             filled.isEmpty() ? u"N W"_qs : boxes[1] + u' ' + boxes[3]);
}

void tst_MainWindow::receiverReadingFollowsTheBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    // Typed into the hemisphere choices after Make String, when there is one.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("makeString");
    QTest::addColumn<QString>("reads");
    // The line's room holds the stored waypoint and at least one warning whole.
    QTest::addColumn<bool>("shownWhole");
    QTest::newRow("as written") << "home"
                                << "3351.123"
                                << "08412.345"
                                << "" << true
                                << "A receiver will store “HOME” at 33° 51.1230′ N, 84° 12.3450′ W."
                                << true;
    QTest::newRow("decimal degrees")
        << "sea"
        << "47.6062"
        << "12219.926"
        << "" << false
        << "A receiver will store “SEA” at 0° 47.6062′ N, 122° 19.9260′ W. The Latitude box reads "
           "as 0° 47.6062′, near the equator. For 47.6062 degrees, use Waypoint → Enter Position."
        << true;
    QTest::newRow("hemisphere chosen after Make String")
        << "home"
        << "3351.123"
        << "08412.345"
        << "se" << true
        << "A receiver will store “HOME” at 33° 51.1230′ S, 84° 12.3450′ E. The Waypoint String "
           "was made from other values, and goes out as it stands: Make String brings it up to "
           "date."
        << true;
    QTest::newRow("comma in the name")
        << "a,b"
        << "3351.123"
        << "08412.345"
        << "" << true
        << "A receiver will store “A” at 33° 51.1230′ N, 84° 12.3450′ W. The name holds “,”: a "
           "receiver keeps only “A”, the part before it."
        << true;
    QTest::newRow("more than the line holds")
        << "a,b😀"
        << "-47.6062"
        << "122.3321"
        << "ss" << true
        << "A receiver will store “A” at 0° 47.6062′ N, 1° 22.3321′ W. The name holds “,”: a "
           "receiver keeps only “A”, the part before it. The Latitude box reads as 0° 47.6062′, "
           "near the equator. For -47.6062 degrees, use Waypoint → Enter Position. The Latitude "
           "box has a minus sign against S: a receiver takes it as north. “😀” is not in this "
           "system's character set: it goes out as “?”. The Waypoint String was made from other "
           "values, and goes out as it stands: Make String brings it up to date."
        << false;
}

void tst_MainWindow::receiverReadingFollowsTheBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(QString, keys);
    QFETCH(bool, makeString);
    QFETCH(QString, reads);
    QFETCH(bool, shownWhole);
    auto line = child<QLabel>("lblReceiverReads");
    type(name, lat, lon);
    if (makeString)
        trigger("mnuMakeString");
    QTest::keyClicks(child<QComboBox>("cboLatHemisphere"), keys.first(keys.size() / 2));
    QTest::keyClicks(child<QComboBox>("cboLonHemisphere"), keys.sliced(keys.size() / 2));
    // A wider font may leave too little room for the whole of a short reading too; then it is
    // counted as a long one is.
    if (shownWhole && line->text() == reads) {
        QVERIFY(line->toolTip().isEmpty());
    } else {
        // What is left out is counted, and all of it is in the tip.
        QVERIFY2(line->text().endsWith(u" more.") &&
                     reads.startsWith(line->text().section(u'.', 0, 1)),
                 qPrintable(line->text()));
        QCOMPARE(line->toolTip(), reads);
    }
    // Told to a screen reader too, never in the way of the keyboard.
    auto iface = QAccessible::queryAccessibleInterface(line);
    QVERIFY(iface && iface->text(QAccessible::Name) == reads);
    QVERIFY(!(line->focusPolicy() & Qt::TabFocus));
    // Nothing of the sentence changes for it.
    if (makeString && keys.isEmpty())
        QCOMPARE(generated(), sentence::makeWaypointString(name, lat, lon).value());
}

void tst_MainWindow::longestBodyIsBuilt()
{
    const QString name(32767 - QStringLiteral("$GPWPL,1,N,2,W,*").size(), u'q');
    type(name, "1", "2");
    trigger("mnuMakeString");
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(generated().size(), 32767 + 4);
    QVERIFY(generated().endsWith(u"\r\n"));
}

void tst_MainWindow::overLongStringIsRefusedWithAMessage()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    const QString before = generated();
    type(QString(40000, u'n'), "1", "2");
    trigger("mnuMakeString");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(u"too long"), qPrintable(m_messages.first()));
    QVERIFY2(m_messages.first().contains(u"32767"), qPrintable(m_messages.first()));
    QCOMPARE(generated(), before);
    QVERIFY(m_window->isVisible());
}

void tst_MainWindow::pasteOfAnyLengthIsKeptWhole()
{
    const QString text(40000, u'7');
    QGuiApplication::clipboard()->setText(text);
    auto name = box("txtWaypointName");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text().size(), text.size());
}

void tst_MainWindow::quitEndsTheEventLoop_data()
{
    QTest::addColumn<bool>("bySignal");
    QTest::newRow("quit") << false;
    // Ends as Quit does, its Help window too, once every byte has gone out.
    QTest::newRow("SIGTERM with bytes queued") << true;
}

void tst_MainWindow::quitEndsTheEventLoop()
{
    QFETCH(bool, bySignal);
#ifdef Q_OS_WIN
    if (bySignal)
        QSKIP("Windows has no SIGTERM; a console's Ctrl+C is tried by hand");
#endif
    m_window.reset();
    Services services;
    services.portName = m_portPath;
    services.settingsFile = settingsFile();
    QTimer::singleShot(0, this, [bySignal] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto window = qobject_cast<frmGarminWaypoint *>(widget);
            if (!window)
                continue;
            const auto trigger = [window](const char *name) {
                window->findChild<QAction *>(QLatin1String(name))->trigger();
            };
            const auto type = [window](const char *box, const QString &text) {
                window->findChild<QLineEdit *>(QLatin1String(box))->setText(text);
            };
            type("txtWaypointName", QString(32767 - 16, u'z'));
            type("txtWaypointLat", QStringLiteral("1"));
            type("txtWaypointLon", QStringLiteral("2"));
            trigger("mnuMakeString");
            trigger("mnuOpenPort");
            QTRY_VERIFY(window->findChild<PortLife *>()->isOpen());
            trigger("mnuSendString");
            if (!bySignal)
                return trigger("mnuQuit");
            trigger("mnuHelp");
            std::raise(SIGTERM);
        }
    });
    QCOMPARE(ui::runProgram(services), 0);
    QVERIFY(QFile::exists(QStringLiteral("waypoints.wpl")));
    QCOMPARE(m_pty->receive(32767 + 4).size(), 32767 + 4);
}

void tst_MainWindow::sendBeforeOpenSaysSoAndSendsNothing()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuSendString");
    QCOMPARE(m_messages, QStringList{"Port Not Open!"});
    QCOMPARE(m_pty->receiveFor(100), QByteArray());
}

void tst_MainWindow::secondOpenSaysSoAndLeavesTheLineAlone()
{
    trigger("mnuOpenPort");
    m_pty->setSpeed(9600);
    trigger("mnuOpenPort");
    QCOMPARE(m_messages, QStringList{"Port Already Open!"});
    QCOMPARE(m_pty->settings().speed, 9600);
    QCOMPARE(portLife()->state(), PortLife::State::Open);
}

void tst_MainWindow::sendDeliversTheBytesItsChecksumCovers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");
    // Where the program starts, and the port's link in it: names that are not UTF-8.
    QTest::addColumn<QByteArray>("latin1Folder");
    QTest::newRow("example") << "home" << example << QByteArray();
#ifndef Q_OS_WIN
    QTest::newRow("latin-1 folder and port, y diaeresis kept")
        << "ÿé" << QByteArray("$GPWPL,1,N,2,W,\xff\xc9*5C\r\n") << QByteArray("caf\xe9");
#endif
    if (eightBitCodePage() == 932) {
        QTest::newRow("japanese in 932")
            << "北" << QByteArray("$GPWPL,1,N,2,W,\x96\x6b*97\r\n") << QByteArray();
        QTest::newRow("outside 932")
            << "café" << QByteArray("$GPWPL,1,N,2,W,CAF?*11\r\n") << QByteArray();
    } else {
        QTest::newRow("latin-1") << "café" << QByteArray("$GPWPL,1,N,2,W,CAF\xc9*E7\r\n")
                                 << QByteArray();
        QTest::newRow("combining accent sent composed")
            << "cafe\u0301" << QByteArray("$GPWPL,1,N,2,W,CAF\xc9*E7\r\n") << QByteArray();
        QTest::newRow("beyond latin-1")
            << "北" << QByteArray("$GPWPL,1,N,2,W,?*55\r\n") << QByteArray();
    }
}

void tst_MainWindow::sendDeliversTheBytesItsChecksumCovers()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, latin1Folder);
#ifndef Q_OS_WIN
    const QByteArray port = QFile::encodeName(m_dir->path()) + '/' + latin1Folder + "/gps\xe9";
    if (!latin1Folder.isEmpty()) {
        if (::mkdir(latin1Folder.constData(), 0700) != 0)
            QSKIP("The file system here takes no such name");
        QVERIFY(::symlink(QFile::encodeName(m_portPath).constData(), port.constData()) == 0);
        QVERIFY(::chdir(latin1Folder.constData()) == 0);
        recreateWindow(platform::NativeName::fromNative(port));
    }
#endif
    type(name, name == u"home" ? "3351.123" : "1", name == u"home" ? "08412.345" : "2");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    trigger("mnuSave");
    QFile log(QStringLiteral("waypoints.wpl"));
    QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll().startsWith('"' + expected));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
    if (!latin1Folder.isEmpty()) {
        // Told by a readable name, the byte that is not UTF-8 escaped.
        QVERIFY(QFile::remove(QStringLiteral("waypoints.wpl")));
        trigger("mnuSave");
        QVERIFY2(m_messages.value(0).contains(u"/caf\\xe9/waypoints.wpl"),
                 qPrintable(m_messages.value(0)));
    }
    QVERIFY(is4800Baud8N1(m_pty->settings()));
    trigger("mnuSendString");
    const QByteArray received = m_pty->receive(expected.size());
    QCOMPARE(received, expected);
    unsigned char checksum = 0;
    for (const char byte : received.mid(1, received.indexOf('*') - 1))
        checksum ^= static_cast<unsigned char>(byte);
    QCOMPARE(received.mid(received.indexOf('*') + 1, 2).toInt(nullptr, 16), int(checksum));
}

void tst_MainWindow::openFailureIsToldAndTheProgramGoesOn_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("no such port") << "/nonexistent/ttyS0";
    QTest::newRow("not a port") << "/dev/null";
}

void tst_MainWindow::openFailureIsToldAndTheProgramGoesOn()
{
    QFETCH(QString, port);
    recreateWindow(port);
    // The message is read for longer than the Opening window waits before it shows.
    m_messageWaitMs = 1200;
    trigger("mnuOpenPort");
    QVERIFY(!m_waitShownWithMessage);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(platform::displayName(port)),
             qPrintable(m_messages.first()));
    // The way forward: the ports there are, and how to choose one.
    const qsizetype choose = m_messages.first().indexOf(u"Program → Choose Port");
    QVERIFY2(choose >= 0 && choose < m_messages.first().indexOf(u"--port"),
             qPrintable(m_messages.first()));
    for (const QString &present : presentSerialPorts())
        QVERIFY2(m_messages.first().contains(present), qPrintable(m_messages.first()));
    QVERIFY(!portLife()->isOpen());
    trigger("mnuSendString");
    QCOMPARE(m_messages.last(), QStringLiteral("Port Not Open!"));
    QVERIFY(m_window->isVisible());
}

void tst_MainWindow::hangUpIsToldOnceAndThePortClosed()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    m_pty->hangUp();
    trigger("mnuSendString");
    QTRY_COMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(m_portPath), qPrintable(m_messages.first()));
    QVERIFY(!portLife()->isOpen());
    QTest::qWait(200);
    QCOMPARE(m_messages.size(), 1);
}

void tst_MainWindow::adviceShowsTheWayForward_data()
{
    QTest::addColumn<PortProblem>("problem");
    QTest::addColumn<PortGroup>("group");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("wrongHere");
    const QStringList ports{"/dev/ttyACM0", "/dev/ttyUSB0"};
    QTest::newRow("other ports present")
        << PortProblem::WrongPort << PortGroup() << ports
        << QStringList{"/dev/ttyACM0, /dev/ttyUSB0", "pindrel --port /dev/ttyACM0"} << "";
    QTest::newRow("no port present") << PortProblem::WrongPort << PortGroup() << QStringList{}
                                     << QStringList{"no serial port", "pindrel --port "} << "";
    QTest::newRow("only this port present")
        << PortProblem::WrongPort << PortGroup() << QStringList{"/dev/ttyS0"}
        << QStringList{"no other serial port", "pindrel --port "} << "/dev/ttyS0,";
#ifndef Q_OS_WIN
    QTest::newRow("not in the group")
        << PortProblem::NoAccess << PortGroup{"dialout", false, false} << ports
        << QStringList{"sudo adduser $USER dialout", "log out and in"} << "";
    // Joined already: only a new login takes the group, and there is nothing to join.
    QTest::newRow("in the group since this login")
        << PortProblem::NoAccess << PortGroup{"dialout", true, false} << ports
        << QStringList{"dialout", "log out and in"} << "adduser";
#endif
    QTest::newRow("ports in natural order")
        << PortProblem::WrongPort << PortGroup() << QStringList{"COM10", "COM2", "COM1"}
        << QStringList{"COM1, COM2, COM10", "pindrel --port COM1"} << "";
}

void tst_MainWindow::adviceShowsTheWayForward()
{
    QFETCH(PortProblem, problem);
    QFETCH(PortGroup, group);
    QFETCH(QStringList, present);
    QFETCH(QStringList, expected);
    QFETCH(QString, wrongHere);
    const QString advice = ui::portAdvice(QStringLiteral("/dev/ttyS0"), problem, group, present);
    for (const QString &text : expected)
        QVERIFY2(advice.contains(text), qPrintable(advice));
    QVERIFY2(wrongHere.isEmpty() || !advice.contains(wrongHere), qPrintable(advice));
}

void tst_MainWindow::choosePort(const QString &typed, Qt::Key key, const QString &speed)
{
    trigger("mnuChoosePort");
    auto dialog = m_window->findChild<QDialog *>(QStringLiteral("frmChoosePort"));
    QVERIFY(dialog && dialog->isVisible() && dialog->windowTitle() == u"Serial Port");
    auto list = dialog->findChild<QComboBox *>(QStringLiteral("cboPort"));
    QStringList listed;
    for (int i = 0; i < list->count(); ++i)
        listed << list->itemData(i).toString();
    // The ports there are, then an example of each network form.
    const QStringList examples{"tcp://192.168.4.1:10110", "udp://192.168.4.1:10110"};
    QCOMPARE(listed, presentSerialPorts() + examples);
    auto speeds = dialog->findChild<QComboBox *>(QStringLiteral("cboSpeed"));
    QCOMPARE(speeds->itemText(0), u"4800"_qs);
    QCOMPARE(speeds->count(), 6);
    if (!speed.isEmpty()) {
        speeds->lineEdit()->selectAll();
        QTest::keyClicks(speeds, speed);
    }
    // The current port stands selected, so that what is typed replaces it.
    QCOMPARE(list->lineEdit()->selectedText(), list->currentText());
    QTest::keyClicks(list, typed);
    QTest::keyClick(list, key);
    // An empty name leaves the window waiting for another.
    QCOMPARE(dialog->isVisible(), key == Qt::Key_Return && typed.trimmed().isEmpty());
    dialog->close();
    QCoreApplication::processEvents();
}

void tst_MainWindow::choosePortTakesOpenAndSendThere_data()
{
    QTest::addColumn<bool>("typePort");
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("typed, Enter") << true << Qt::Key_Return;
    QTest::newRow("typed, Escape") << true << Qt::Key_Escape;
    QTest::newRow("empty, Enter") << false << Qt::Key_Return;
}

void tst_MainWindow::choosePortTakesOpenAndSendThere()
{
    QFETCH(bool, typePort);
    QFETCH(Qt::Key, key);
    recreateWindow(m_dir->filePath(QStringLiteral("gone")));
    trigger("mnuMakeString");
    choosePort(typePort ? m_portPath : QStringLiteral(" "), key);
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    const bool taken = typePort && key == Qt::Key_Return;
    QCOMPARE(m_messages.size(), taken ? 0 : 2);
    QVERIFY(taken || m_messages.first().contains(
                         QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("gone")))));
    QCOMPARE(taken ? m_pty->receive(18) : m_pty->receiveFor(100),
             taken ? "$GPWPL,,N,,W,*69\r\n"_qba : QByteArray());
}

void tst_MainWindow::choosingWhileOpenMovesTheLink_data()
{
    // Ports chosen one after the other while the first still drains: "same" is the open port,
    // the others are names in the test's folder, where only ttyOther leads to a port.
    QTest::addColumn<QStringList>("choices");
    // What comes next: nothing, Quit, or an end asked from outside (a signal, a session's end).
    QTest::addColumn<QString>("then");
    // The port open at the end, or empty.
    QTest::addColumn<QString>("opened");
    QTest::addColumn<int>("messages");
    QTest::newRow("to another port") << QStringList{"ttyOther"} << ""
                                     << "ttyOther" << 0;
    QTest::newRow("to a port that is gone") << QStringList{"gone"} << ""
                                            << "" << 1;
    QTest::newRow("twice while draining: the last wins") << QStringList{"gone", "ttyOther"} << ""
                                                         << "ttyOther" << 0;
    QTest::newRow("and back again while draining") << QStringList{"ttyOther", "same"} << ""
                                                   << "same" << 0;
    QTest::newRow("the open port again: nothing happens") << QStringList{"same"} << ""
                                                          << "same" << 0;
    QTest::newRow("quit while draining opens nothing") << QStringList{"gone"} << "quit"
                                                       << "" << 0;
    QTest::newRow("ended from outside while draining opens nothing")
        << QStringList{"gone", "ttyOther"} << "end"
        << "" << 0;
}

void tst_MainWindow::choosingWhileOpenMovesTheLink()
{
    QFETCH(QStringList, choices);
    QFETCH(QString, then);
    QFETCH(QString, opened);
    QFETCH(int, messages);
#ifdef Q_OS_WIN
    if (choices.contains(QStringLiteral("ttyOther")))
        QSKIP("Under Wine only COM1 leads to a pseudo-terminal");
#endif
    const auto path = [this](const QString &name) {
        return name == u"same" ? m_portPath : m_dir->filePath(name);
    };
    std::unique_ptr<PseudoTerminal> otherPort;
#ifndef Q_OS_WIN
    otherPort = std::make_unique<PseudoTerminal>();
    QVERIFY(otherPort->linkAs(m_dir->filePath(QStringLiteral("ttyOther"))));
#endif
    // The first port's line holds its bytes until every choice has been made.
    m_drainReleased = false;
    m_drainStep = [this](DrainWorker::Line line) {
        ++m_drains;
        while (!m_drainReleased)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return DrainWorker::drainLine(line);
    };
    recreateWindow(m_portPath);
    m_messageWaitMs = 1200;
    type(QString(1000, u'z'), "1", "2");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    m_pty->setSpeed(9600);
    const bool moves = choices != QStringList{"same"};
    for (const QString &choice : choices) {
        choosePort(path(choice));
        QTRY_VERIFY(!moves || m_drains == 1);
    }
    if (then == u"quit")
        trigger("mnuQuit");
    else if (then == u"end")
        m_window->endProgram();
    QTest::qWait(100);
    QCOMPARE(m_drains.load(), moves ? 1 : 0);
    // The open port chosen again is left as it is, its line's settings too.
    QVERIFY(moves || m_pty->settings().speed == 9600);
    m_drainReleased = true;

    // What was sent went out whole on the first port before it closed.
    QCOMPARE(m_pty->receive(generated().size()), generated().toLatin1());
    PortLife *port = portLife();
    if (!then.isEmpty())
        QTRY_VERIFY(!m_window->isVisible());
    else if (opened.isEmpty())
        QTRY_VERIFY(!m_messages.isEmpty());
    else
        QTRY_VERIFY(port->state() == PortLife::State::Open &&
                    port->portName() == platform::NativeName(path(opened)));
    QTest::qWait(100);
    QCOMPARE(port->isOpen(), !opened.isEmpty());
    QCOMPARE(m_messages.size(), messages);
    QVERIFY(messages == 0 ||
            m_messages.first().contains(QDir::toNativeSeparators(m_dir->filePath(choices.last()))));
    // Never over a message, nor after the close.
    QVERIFY(!m_waitShownWithMessage);
    QVERIFY(!m_window->findChild<QDialog *>(QStringLiteral("frmClosingPort"))->isVisible());
    if (then.isEmpty())
        QCOMPARE(RememberedChoices(settingsFile()).portName(), path(choices.last()));
    if (opened.isEmpty())
        return;
    // The next bytes go to the port that is named, and nowhere else.
    trigger("mnuSendString");
    PseudoTerminal *there = opened == u"same" ? m_pty.get() : otherPort.get();
    PseudoTerminal *notThere = opened == u"same" ? otherPort.get() : m_pty.get();
    QCOMPARE(there->receive(generated().size()), generated().toLatin1());
    if (notThere)
        QCOMPARE(notThere->receiveFor(100), QByteArray());
}

void tst_MainWindow::choicesSurviveARestart()
{
    // Nothing chosen: nothing is written, and the next start is as the first.
    recreateWindow({});
    QVERIFY(!QFile::exists(settingsFile()));
    QTest::keyClick(child<QComboBox>("cboLatHemisphere"), Qt::Key_S);
    QTest::keyClick(child<QComboBox>("cboLonHemisphere"), Qt::Key_E);
    choosePort(m_portPath);
    // --port holds for its own run and leaves the chosen port as it was.
    recreateWindow(m_dir->filePath(QStringLiteral("given")));
    trigger("mnuOpenPort");
    QVERIFY(m_messages.value(0).contains(
        QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("given")))));
    recreateWindow({});
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    QCOMPARE(m_messages, QStringList());
    const QByteArray southEast = "$GPWPL,3351.123,S,08412.345,E,HOME*50\r\n";
    QCOMPARE(m_pty->receive(southEast.size()), southEast);
}

void tst_MainWindow::speedIsChosenRememberedOrRefused_data()
{
    // Typed in Choose Port; given with --baud (0 for none); the speed of the line after Open
    // Port (0: refused, and told); after a restart without --baud.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("opened");
    QTest::addColumn<int>("afterRestart");
    QTest::newRow("4800 unless chosen") << "" << 0 << 4800 << 4800;
    QTest::newRow("listed speed, remembered") << "9600" << 0 << 9600 << 9600;
    QTest::newRow("--baud for one run") << "" << 19200 << 19200 << 4800;
    QTest::newRow("--baud wins over the remembered") << "38400" << 57600 << 57600 << 38400;
#ifdef Q_OS_LINUX
    QTest::newRow("typed speed of its own") << "31250" << 0 << 31250 << 31250;
#endif
#ifndef Q_OS_WIN
    // The port opens; Qt's serial layer refuses the speed itself (Wine takes 0 as it is).
    QTest::newRow("refused") << "" << -1 << 0 << 4800;
#endif
}

void tst_MainWindow::speedIsChosenRememberedOrRefused()
{
    QFETCH(QString, typed);
    QFETCH(int, given);
    QFETCH(int, opened);
    QFETCH(int, afterRestart);
    if (!typed.isEmpty())
        choosePort(m_portPath, Qt::Key_Return, typed);
    if (given != 0)
        recreateWindow(m_portPath, qMax(given, 0));
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    PortLife *port = portLife();
    if (opened == 0) {
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(m_portPath) &&
                     m_messages.first().contains(u"the speed 0 baud"),
                 qPrintable(m_messages.first()));
        QVERIFY(!port->isOpen());
    } else {
        QCOMPARE(m_messages, QStringList());
        const LineSettings line = m_pty->settings();
        QCOMPARE(line.speed, opened);
        QVERIFY(line.dataBits == 8 && !line.parity && !line.twoStopBits);
        trigger("mnuSendString");
        QCOMPARE(m_pty->receive(example.size()), example);
    }
    recreateWindow(m_portPath);
    trigger("mnuOpenPort");
    QCOMPARE(m_pty->settings().speed, afterRestart);
}

void tst_MainWindow::newSpeedOnTheOpenPortWaitsForWhatWasSent()
{
    type(QString(2000, u'z'), "1", "2");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    choosePort(m_portPath, Qt::Key_Return, "115200");
    // The same port stays open; its new speed comes once the sentence has gone at the old.
    PortLife *port = portLife();
    QVERIFY(port->isOpen());
    trigger("mnuSendString");
    const QByteArray sentence = generated().toLatin1();
    QCOMPARE(m_pty->receive(2 * sentence.size()), sentence + sentence);
    QTRY_COMPARE(m_pty->settings().speed, 115200);
    QVERIFY(port->isOpen());
    QCOMPARE(m_messages, QStringList());
}

void tst_MainWindow::networkAddressTakesTheSameBytes_data()
{
    QTest::addColumn<bool>("udp");
    QTest::addColumn<bool>("chosenInTheWindow");
    // What the far end does: 0 takes every byte, 1 is not there, 2 stops reading, 3 never
    // answers.
    QTest::addColumn<int>("server");
    QTest::newRow("tcp, --port") << false << false << 0;
    QTest::newRow("tcp, chosen") << false << true << 0;
    QTest::newRow("udp, --port") << true << false << 0;
    QTest::newRow("udp, chosen") << true << true << 0;
    QTest::newRow("tcp, refused") << false << false << 1;
    QTest::newRow("tcp, stops reading, quit given up") << false << false << 2;
    QTest::newRow("tcp, no answer, connecting cancelled") << false << false << 3;
}

void tst_MainWindow::networkAddressTakesTheSameBytes()
{
    QFETCH(bool, udp);
    QFETCH(bool, chosenInTheWindow);
    QFETCH(int, server);
    QTcpServer tcp;
    QUdpSocket datagrams;
    // A server that takes one connection and has room for one more waiting: the system drops
    // a third one's requests, so that connection is never made.
    tcp.setListenBacklogSize(0);
    tcp.setMaxPendingConnections(1);
    QVERIFY(udp ? datagrams.bind(QHostAddress::LocalHost, 0)
                : tcp.listen(QHostAddress::LocalHost, 0));
    QTcpSocket taken;
    QTcpSocket waiting;
    if (server == 3) {
        taken.connectToHost(QHostAddress::LocalHost, tcp.serverPort());
        QVERIFY(taken.waitForConnected(5000));
        QTRY_VERIFY(tcp.hasPendingConnections());
        waiting.connectToHost(QHostAddress::LocalHost, tcp.serverPort());
        QVERIFY(waiting.waitForConnected(5000));
    }
    const quint16 port = udp ? datagrams.localPort() : tcp.serverPort();
    if (server == 1)
        tcp.close();
    const QString hostAndPort = QStringLiteral("127.0.0.1:%1").arg(port);
    const QString address = (udp ? u"udp://"_qs : u"tcp://"_qs) + hostAndPort;
    if (chosenInTheWindow)
        choosePort(address);
    else
        recreateWindow(address);
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    // Not waited for: the connection may never be made.
    child<QAction>("mnuOpenPort")->trigger();
    PortLife *link = portLife();
    if (server == 3) {
        QProgressDialog *connecting = nullptr;
        QTRY_VERIFY((connecting = m_window->findChild<QProgressDialog *>(u"frmConnecting"_qs)) &&
                    connecting->isVisible());
        QCOMPARE(connecting->labelText(), u"Connecting to %1..."_qs.arg(hostAndPort));
        QVERIFY(link->isOpening() && !link->isOpen());
        QTest::keyClick(connecting, Qt::Key_Escape);
        QTRY_VERIFY(!m_window->findChild<QProgressDialog *>(u"frmConnecting"_qs));
        QVERIFY(!link->isOpening() && !link->isOpen());
        // Cancelled: nothing to tell, and Open Port may try again.
        QCOMPARE(m_messages, QStringList());
        trigger("mnuSendString");
        QCOMPARE(m_messages, QStringList{u"Port Not Open!"_qs});
        return;
    }
    if (server == 1) {
        QTRY_COMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(hostAndPort), qPrintable(m_messages.first()));
        trigger("mnuSendString");
        QCOMPARE(m_messages.last(), u"Port Not Open!"_qs);
        return;
    }
    QTRY_VERIFY(link->isOpen());
    trigger("mnuOpenPort");
    QCOMPARE(m_messages, QStringList{u"Port Already Open!"_qs});
    m_messages.clear();
    trigger("mnuSendString");
    trigger("mnuSendString");
    if (udp) {
        QList<QByteArray> received;
        const QDeadlineTimer deadline(5000);
        while (received.size() < 2 && !deadline.hasExpired()) {
            if (datagrams.hasPendingDatagrams())
                received << datagrams.receiveDatagram().data();
            else
                QTest::qWait(10);
        }
        QCOMPARE(received, (QList<QByteArray>{example, example}));
        trigger("mnuQuit");
        QVERIFY(!m_window->isVisible() || QTest::qWaitFor([&] { return !m_window->isVisible(); }));
        QCOMPARE(m_messages, QStringList());
        return;
    }
    QTRY_VERIFY(tcp.hasPendingConnections());
    QTcpSocket *peer = tcp.nextPendingConnection();
    if (server == 0) {
        QByteArray received;
        QTRY_VERIFY((received += peer->readAll(), received.size() >= 2 * example.size()));
        QCOMPARE(received, example + example);
        trigger("mnuQuit");
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(m_messages, QStringList());
        return;
    }
    // The far end takes a little, then reads no more: Quit waits, shows what is left, and is
    // given up.
#ifdef Q_OS_WIN
    QSKIP("Under Wine the stalled connection does not stay stalled for the second before the "
          "closing window shows");
#endif
    peer->setReadBufferSize(4096);
    type(QString(32767 - QStringLiteral("$GPWPL,1,N,2,W,*").size(), u'z'), "1", "2");
    trigger("mnuMakeString");
    // Until the system takes no more, and the rest waits in the program. A busy machine can
    // hold a write back for a moment, so the stall must last before it counts; and the system
    // may still take some hundred kilobytes once the close begins, so a backlog well beyond that
    // keeps the close waiting past the second before its window shows.
    const auto stalled = [&] {
        const qint64 left = link->bytesToSend();
        if (left == 0)
            return false;
        for (int check = 0; check < 3; ++check) {
            QTest::qWait(300);
            if (link->bytesToSend() != left)
                return false;
        }
        return true;
    };
    for (int i = 0; i < 1024; ++i) {
        trigger("mnuSendString");
        QTest::qWait(5);
        if (stalled())
            break;
    }
    for (int i = 0; i < 64; ++i)
        trigger("mnuSendString");
    QVERIFY(link->bytesToSend() > 0);
    trigger("mnuQuit");
    auto progress = m_window->findChild<QDialog *>(u"frmClosingPort"_qs);
    QTRY_VERIFY(progress->isVisible());
    const QString shown = progress->findChild<QLabel *>()->text();
    QVERIFY2(shown.contains(hostAndPort), qPrintable(shown));
    const qint64 left = link->bytesToSend();
    QVERIFY(left > 0);
    QTest::keyClick(progress, Qt::Key_Escape);
    QTRY_VERIFY(!m_window->isVisible());
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(hostAndPort) &&
                 m_messages.first().contains(QString::number(left)),
             qPrintable(m_messages.first()));
}

void tst_MainWindow::choosePortRefusesWhatTheSystemCannotTake_data()
{
    QTest::addColumn<QString>("typed");
    // What is said under the line; empty when the name is taken.
    QTest::addColumn<QString>("told");
    const QString control = QStringLiteral("control characters");
    QTest::newRow("line feed") << QStringLiteral("/dev/tty\nUSB0") << control;
    QTest::newRow("tab") << QStringLiteral("tty\tS0") << control;
    QTest::newRow("escape") << QString::fromLatin1("tty\x1bS0") << control;
    QTest::newRow("line separator") << QStringView(u"tty\u2028S0").toString() << control;
    QTest::newRow("100 KB") << QString(100 * 1024, u'x') << "the system takes at most";
    QTest::newRow("one past the longest")
        << QString(ui::longestPortName() + 1, u'x') << "the system takes at most";
    QTest::newRow("the longest") << QString(ui::longestPortName(), u'x') << "";
}

void tst_MainWindow::choosePortRefusesWhatTheSystemCannotTake()
{
    QFETCH(QString, typed);
    QFETCH(QString, told);
    trigger("mnuChoosePort");
    auto dialog = m_window->findChild<frmChoosePort *>(QStringLiteral("frmChoosePort"));
    QVERIFY(dialog);
    QSignalSpy chosen(dialog, &frmChoosePort::portChosen);
    auto list = dialog->findChild<QComboBox *>();
    auto problem = dialog->findChild<QLabel *>(QStringLiteral("lblPortProblem"));
    QPushButton *ok = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    // As a paste would put it.
    list->lineEdit()->selectAll();
    list->lineEdit()->insert(typed);
    QCOMPARE(list->currentText().size(), typed.size());
    QCOMPARE(ok->isEnabled(), told.isEmpty());
    QCOMPARE(problem->isVisibleTo(dialog), !told.isEmpty());
    QVERIFY2(problem->text().contains(told), qPrintable(problem->text()));
    QCOMPARE(list->accessibleDescription(), problem->text());
    // Whole, under the line, once the dialog has taken its new size.
    QCoreApplication::processEvents();
    QVERIFY(told.isEmpty() || (problem->width() >= problem->sizeHint().width() &&
                               problem->height() >= problem->sizeHint().height() &&
                               problem->y() >= list->geometry().bottom()));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(dialog->isVisible(), !told.isEmpty());
    QCOMPARE(chosen.count(), told.isEmpty() ? 1 : 0);
}

void tst_MainWindow::settingsFaultsAreToldOnceAndNeverHang_data()
{
    QTest::addColumn<QString>("fault");
    // A part of what the start says, and of what the first choice says; empty for nothing
    // said. The system's own reason, where it gives one, is named by its error number.
    QTest::addColumn<QString>("toldAtStart");
    QTest::addColumn<QString>("toldOnChoice");
    QTest::addColumn<int>("systemError");
    // Whether the next start, the fault still there, finds the choice.
    QTest::addColumn<bool>("remembered");
    QTest::newRow("none") << "none"
                          << ""
                          << "" << 0 << true;
    QTest::newRow("junk") << "junk"
                          << "not settings that can be read"
                          << "" << 0 << true;
    QTest::newRow("a folder in the file's place") << "folder"
                                                  << "is a folder"
                                                  << "is a folder" << 0 << false;
    QTest::newRow("lock file a folder") << "lock folder"
                                        << ""
                                        << "is a folder" << 0 << false;
    QTest::newRow("lock held in this process") << "lock held here"
                                               << ""
                                               << "is held by" << 0 << false;
#ifndef Q_OS_WIN
    QTest::newRow("lock held by a stuck process") << "lock held by another"
                                                  << ""
                                                  << "is held by sleep (process" << 0 << false;
    QTest::newRow("FIFO") << "fifo"
                          << "a pipe"
                          << "a pipe" << 0 << false;
    QTest::newRow("dangling link") << "dangling link"
                                   << "does not exist"
                                   << "does not exist" << 0 << false;
    QTest::newRow("settings folder a file")
        << "folder a file" << qt_error_string(ENOTDIR) << "" << ENOTDIR << false;
    QTest::newRow("read-only folder") << "read-only"
                                      << ""
                                      << "" << EROFS << false;
    QTest::newRow("full file system") << "full"
                                      << ""
                                      << "" << ENOSPC << false;
#endif
}

void tst_MainWindow::settingsFaultsAreToldOnceAndNeverHang()
{
    QFETCH(QString, fault);
    QFETCH(QString, toldAtStart);
    QFETCH(QString, toldOnChoice);
    QFETCH(int, systemError);
    QFETCH(bool, remembered);
    using namespace std::chrono_literals;
    m_window.reset();
    const QString folder = m_dir->filePath(QStringLiteral("settings"));
    QVERIFY(QDir().mkpath(folder));
    m_settingsFile = folder + QStringLiteral("/Pindrel.conf");
    const QString lockPath = m_settingsFile + QStringLiteral(".lock");
    QLockFile heldHere(lockPath);
    QProcess holder;
    const auto stopHolder = qScopeGuard([&] {
        holder.kill();
        holder.waitForFinished();
    });
    const auto writeFile = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    if (fault == u"junk")
        QVERIFY(writeFile(m_settingsFile, QByteArray("\xff\xfe\0junk\n[General\n", 15)));
    if (fault == u"folder")
        QVERIFY(QDir().mkdir(m_settingsFile));
    if (fault == u"lock folder")
        QVERIFY(QDir().mkdir(lockPath));
    if (fault == u"lock held here")
        QVERIFY(heldHere.lock());
#ifndef Q_OS_WIN
    if (fault == u"lock held by another") {
        // As QLockFile writes it: the holder is alive, and is the program the lock names.
        holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(holder.waitForStarted());
        QVERIFY(writeFile(lockPath, QByteArray::number(holder.processId()) + "\nsleep\n" +
                                        QSysInfo::machineHostName().toLocal8Bit() + '\n'));
    }
    if (fault == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(m_settingsFile).constData(), 0600), 0);
    if (fault == u"dangling link")
        QVERIFY(QFile::link(folder + QStringLiteral("/nowhere"), m_settingsFile));
    if (fault == u"folder a file") {
        m_settingsFile = m_dir->filePath(QStringLiteral("a file/Pindrel.conf"));
        QVERIFY(writeFile(m_dir->filePath(QStringLiteral("a file")), "kept"));
    }
    if (fault == u"read-only" && !mountScratch(folder, "size=64k", MS_RDONLY)) {
        if (::geteuid() == 0)
            QSKIP("Needs a read-only file system: root may write to any folder, and may not "
                  "mount");
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        systemError = EACCES;
    }
    if (fault == u"full") {
        if (!mountScratch(folder, "size=64k"))
            QSKIP("Needs a small file system of its own, and may not mount one");
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) {
        }
    }
#endif
    const QString expected = systemError != 0 ? qt_error_string(systemError) : toldOnChoice;
    const QString shownFile = QDir::toNativeSeparators(m_settingsFile);
    QElapsedTimer clock;
    {
        const HangGuard guard("start", 20s);
        clock.start();
        recreateWindow(m_portPath);
        QVERIFY(clock.elapsed() < (RememberedChoices::readWait + 1s).count());
    }
    // Said from the event loop, once the window is up: some platforms expose it at once.
    QCoreApplication::processEvents();
    QCOMPARE(m_messages.size(), toldAtStart.isEmpty() ? 0 : 1);
    QVERIFY2(toldAtStart.isEmpty() || (m_messages.first().contains(toldAtStart) &&
                                       m_messages.first().contains(shownFile)),
             qPrintable(m_messages.join(u'\n')));
    m_messages.clear();
    {
        const HangGuard guard("choosing and quitting", 20s);
        clock.restart();
        QTest::keyClick(child<QComboBox>("cboLatHemisphere"), Qt::Key_S);
        // The window answers at once, whatever the file does.
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(expected.isEmpty() || !m_messages.isEmpty(),
                                 int(RememberedChoices::writeWait.count()));
        QVERIFY2(expected.isEmpty() || (m_messages.first().contains(expected) &&
                                        m_messages.first().contains(shownFile)),
                 qPrintable(m_messages.join(u'\n')));
        // Told once a run: a second choice that is not kept either says nothing more.
        QTest::keyClick(child<QComboBox>("cboLonHemisphere"), Qt::Key_E);
        QTest::qWait(int(platform::SettingsStore::lockWait.count()) + 500);
        QCOMPARE(m_messages.size(), expected.isEmpty() ? 0 : 1);
        // The choices hold for this run.
        type("home", "3351.123", "08412.345");
        trigger("mnuMakeString");
        QCOMPARE(generated(), QStringLiteral("$GPWPL,3351.123,S,08412.345,E,HOME*50\r\n"));
        trigger("mnuQuit");
        clock.restart();
        m_window.reset();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }
    const HangGuard guard("the next start", 20s);
    recreateWindow(m_portPath);
    QCOMPARE(child<QComboBox>("cboLatHemisphere")->currentText(),
             remembered ? QStringLiteral("S") : QStringLiteral("N"));
}

namespace {

// A file system that does not answer (a lost network share) until the test lets it.
class StuckStore : public platform::SettingsStore
{
public:
    StuckStore(bool readingSticks, std::shared_future<void> answer)
        : SettingsStore(QStringLiteral("stuck.conf")), m_readingSticks(readingSticks),
          m_answer(std::move(answer))
    {}
    Contents read() const override
    {
        if (m_readingSticks)
            m_answer.wait();
        return {};
    }
    QString write(const QString &, const QVariant &) const override
    {
        m_answer.wait();
        return {};
    }

private:
    bool m_readingSticks;
    std::shared_future<void> m_answer;
};

} // namespace

void tst_MainWindow::settingsThatNeverAnswerAreToldAndLeftBehind_data()
{
    QTest::addColumn<bool>("readingSticks");
    // The start waits for the reading, and the choice queues behind it.
    QTest::newRow("reading") << true;
    QTest::newRow("writing") << false;
}

void tst_MainWindow::settingsThatNeverAnswerAreToldAndLeftBehind()
{
    QFETCH(bool, readingSticks);
    using namespace std::chrono_literals;
    const HangGuard guard("settings that never answer", 30s);
    std::promise<void> answer;
    const auto answerAtLast = qScopeGuard([&] { answer.set_value(); });
    QElapsedTimer clock;
    clock.start();
    auto choices = std::make_unique<RememberedChoices>(
        std::make_shared<StuckStore>(readingSticks, answer.get_future().share()));
    QVERIFY(clock.elapsed() < (RememberedChoices::readWait + 500ms).count());
    QStringList told;
    connect(choices.get(), &RememberedChoices::problem, this,
            [&](const QString &text) { told << text; });
    choices->setLatitudeHemisphere(u'S');
    QCOMPARE(choices->latitudeHemisphere(), u'S');
    QTRY_COMPARE_WITH_TIMEOUT(told.size(), readingSticks ? 2 : 1,
                              int((RememberedChoices::writeWait + 1s).count()));
    for (const QString &text : std::as_const(told))
        QVERIFY2(text.contains(u"did not answer within") && !text.contains(u"(s)") &&
                     text.contains(u"stuck.conf"),
                 qPrintable(text));
    QVERIFY(!readingSticks || told.first().contains(u"could not read"));
    QVERIFY(told.last().contains(u"could not remember"));
    // The end of the program leaves the thread behind rather than wait for it.
    clock.restart();
    choices.reset();
    QVERIFY(clock.elapsed() < (RememberedChoices::endWait + 500ms).count());
}

void tst_MainWindow::quitAndCloseBoxDeliverEveryAcceptedByte_data()
{
    QTest::addColumn<bool>("byQuit");
    QTest::newRow("quit") << true;
    QTest::newRow("close box") << false;
}

void tst_MainWindow::quitAndCloseBoxDeliverEveryAcceptedByte()
{
    QFETCH(bool, byQuit);
    const QString name(32767 - QStringLiteral("$GPWPL,1,N,2,W,*").size(), u'z');
    type(name, "1", "2");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    if (byQuit)
        trigger("mnuQuit");
    else
        m_window->close();
    QTRY_VERIFY(!m_window->isVisible());
    QVERIFY(!portLife()->isOpen());
    QVERIFY(m_messages.isEmpty());
    const QByteArray received = m_pty->receive(32767 + 4);
    QCOMPARE(received.size(), 32767 + 4);
    QCOMPARE(QString::fromLatin1(received), generated());
}

void tst_MainWindow::quitClosesThePortThenTheLogThenTheWindow()
{
    trigger("mnuOpenPort");
    bool windowShown = false;
    bool logOpen = false;
    QObject watcher; // Disconnects, whatever way this test ends.
    connect(portLife(), &PortLife::closed, &watcher, [&] {
        windowShown = m_window->isVisible();
        logOpen = logIsOpen();
    });
    QVERIFY(logIsOpen());
    trigger("mnuQuit");
    QTRY_VERIFY(!m_window->isVisible());
    QVERIFY(windowShown);
    QVERIFY(logOpen);
    QVERIFY(!logIsOpen());
    QVERIFY(!m_window->isVisible());
}

void tst_MainWindow::quitWithABacklogShowsProgressAndCanBeGivenUp_data()
{
    QTest::addColumn<bool>("receiverLost");
    QTest::newRow("given up") << false;
    QTest::newRow("receiver lost meanwhile") << true;
}

void tst_MainWindow::quitWithABacklogShowsProgressAndCanBeGivenUp()
{
#ifdef Q_OS_WIN
    QSKIP("Wine neither counts what a COM port still holds nor aborts a write in progress, so "
          "the wait and the giving up cannot be watched under it");
#endif
    QFETCH(bool, receiverLost);
    type(QString(32767 - QStringLiteral("$GPWPL,1,N,2,W,*").size(), u'z'), "1", "2");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    m_pty->setReading(false); // Minutes at 4800 baud, for a receiver that reads nothing.
    for (int i = 0; i < 4; ++i)
        trigger("mnuSendString");
    const auto bytesLeft = [](const QString &text) {
        return QRegularExpression(QStringLiteral("(\\d+) byte")).match(text).captured(1);
    };
    QString left;
    qint64 buffered = -1;
    int paintsBefore = -1;
    QString shown;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &poll, [&] {
        auto progress = m_window->findChild<QDialog *>(QStringLiteral("frmClosingPort"));
        if (!shown.isEmpty() || !progress || !progress->isVisible())
            return;
        m_window->update();
        // End the wait once the line has taken all it will, the window has told it and has
        // painted meanwhile.
        const QString told = bytesLeft(progress->findChild<QLabel *>()->text());
        if (paintsBefore >= 0 && m_paints > paintsBefore && bytesInQtsBuffer() == buffered &&
            told == left) {
            shown = told;
            if (receiverLost)
                return m_pty->hangUp();
            return QTest::keyClick(progress, Qt::Key_Escape);
        }
        paintsBefore = paintsBefore < 0 ? m_paints : paintsBefore;
        buffered = bytesInQtsBuffer();
        left = told;
    });
    m_window->installEventFilter(this);
    poll.start(300);
    trigger("mnuQuit");
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 20000);
    m_window->removeEventFilter(this);

    QCOMPARE(m_messages.size(), 1);
    QVERIFY(!logIsOpen());
    // A line that has gone can no longer say what it held.
    const QString told = receiverLost ? QStringLiteral("would not say how many") : shown;
    QVERIFY2(m_messages.first().contains(m_portPath) && m_messages.first().contains(told),
             qPrintable(m_messages.first() + u'\n' + shown));
    if (receiverLost)
        return;
    // Every byte either went out or was told as not sent. A pseudo-terminal has no wire: what
    // its far side holds reaches the receiver, as bytes on a wire would.
    m_pty->setReading(true);
    QCOMPARE(m_pty->receiveFor(300).size() + shown.toLongLong(), 4 * (32767 + 4));
}

void tst_MainWindow::anOpenThatHangsShowsOpeningAndCanBeCancelled()
{
    // A driver that does not answer the open, as some do under Wine on a console port.
    m_openReleased = false;
    m_openWait = [this] {
        while (!m_openReleased)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    recreateWindow(m_portPath);
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    m_window->installEventFilter(this);
    child<QAction>("mnuOpenPort")->trigger();
    const auto opening = [this] {
        return m_window->findChild<QProgressDialog *>(u"frmConnecting"_qs);
    };
    // Quiet for a moment, as a working port's open always is; the window goes on painting.
    QTest::qWait(300);
    QVERIFY(opening() && !opening()->isVisible());
    const int paints = m_paints;
    m_window->update();
    QTRY_VERIFY(m_paints > paints);
    QTRY_VERIFY(opening()->isVisible());
    QCOMPARE(opening()->labelText(), u"Opening %1..."_qs.arg(QDir::toNativeSeparators(m_portPath)));
    m_window->removeEventFilter(this);
    QTest::keyClick(opening(), Qt::Key_Escape);
    QTRY_VERIFY(!opening());
    // Cancelled: nothing to tell, and nothing open.
    QCOMPARE(m_messages, QStringList());
    trigger("mnuSendString");
    QCOMPARE(m_messages, QStringList{u"Port Not Open!"_qs});
    // The port the driver opens late is let go, and opens anew when asked.
    m_openReleased = true;
    m_messages.clear();
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    QCOMPARE(m_pty->receive(example.size()), example);
    QCOMPARE(m_messages, QStringList());
}

void tst_MainWindow::saveWritesTheExactRecord_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("make");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("example") << "home" << true
                             << QByteArray("\"$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n"
                                           "\",#14:05:09#,#2004-03-09#\r\n");
    QTest::newRow("before any make string")
        << "home" << false << QByteArray("\"\",#14:05:09#,#2004-03-09#\r\n");
    if (eightBitCodePage() == 932) {
        QTest::newRow("japanese name in 932")
            << "é北" << true
            << QByteArray("\"$GPWPL,3351.123,N,08412.345,W,?\x96\x6b*92\r\n\",#14:05:09#,"
                          "#2004-03-09#\r\n");
    } else {
        QTest::newRow("non-ascii name") << "é北" << true
                                        << QByteArray("\"$GPWPL,3351.123,N,08412.345,W,\xc9?*A6\r\n"
                                                      "\",#14:05:09#,#2004-03-09#\r\n");
    }
}

void tst_MainWindow::saveWritesTheExactRecord()
{
    QFETCH(QString, name);
    QFETCH(bool, make);
    QFETCH(QByteArray, expected);
    type(name, "3351.123", "08412.345");
    if (make)
        trigger("mnuMakeString");
    trigger("mnuSave");
    QCOMPARE(logContents(), expected);
    QVERIFY(m_messages.isEmpty());
}

void tst_MainWindow::saveReadsTheTimeBeforeTheDate()
{
    // Midnight passes between the two readings: each is written as it was read.
    m_time = QTime(23, 59, 59);
    m_date = QDate(2026, 12, 8);
    m_clockReadings.clear();
    trigger("mnuSave");
    QCOMPARE(m_clockReadings, (QStringList{"time", "date"}));
    QCOMPARE(logContents(), QByteArray("\"\",#23:59:59#,#2026-12-08#\r\n"));
}

void tst_MainWindow::fullDiskIsToldAndTheNextSaveTriesAgain()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no file-size limit to stand for a full disk");
#else
    // A limit of this process's own, with SIGXFSZ as it comes: the log must not be ended by it.
    rlimit saved = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &none) == 0);
    trigger("mnuSave");
    trigger("mnuSave");
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &saved) == 0);
    QCOMPARE(m_messages.size(), 2);
    QVERIFY2(m_messages.first().contains(u"waypoints.wpl"), qPrintable(m_messages.first()));
    QVERIFY2(m_messages.first().contains(qt_error_string(EFBIG)), qPrintable(m_messages.first()));
    QVERIFY(m_window->isVisible());
    trigger("mnuSave");
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(logContents(), WaypointLog::record({}, m_time, m_date));
#endif
}

void tst_MainWindow::logGoneIsToldOnce_data()
{
    QTest::addColumn<bool>("folderGone");
    QTest::addColumn<QString>("told");
    QTest::newRow("log deleted") << false << "had gone";
    QTest::newRow("folder gone") << true << "could not be saved";
}

void tst_MainWindow::logGoneIsToldOnce()
{
#ifdef Q_OS_WIN
    QSKIP("Windows keeps an open log, and its folder, from being deleted");
#endif
    QFETCH(bool, folderGone);
    QFETCH(QString, told);
    const QString path = m_dir->filePath(QStringLiteral("waypoints.wpl"));
    QVERIFY(folderGone ? m_dir->remove() : QFile::remove(path));
    trigger("mnuSave");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(told) && m_messages.first().contains(path),
             qPrintable(m_messages.first()));
    trigger("mnuSave");
    QCOMPARE(m_messages.size(), folderGone ? 2 : 1);
}

void tst_MainWindow::startFailsWithAMessageAndAFailureStatus_data()
{
    QTest::addColumn<QString>("inItsPlace");
    QTest::newRow("folder") << "folder";
#ifndef Q_OS_WIN
    // Opened as a file, a device would be written to.
    QTest::newRow("device") << "device";
#endif
}

void tst_MainWindow::startFailsWithAMessageAndAFailureStatus()
{
    QFETCH(QString, inItsPlace);
    m_window.reset();
    const QString log = QStringLiteral("waypoints.wpl");
    QVERIFY(QFile::remove(log));
#ifndef Q_OS_WIN
    if (inItsPlace == u"device")
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), log));
#endif
    if (inItsPlace == u"folder")
        QVERIFY(QDir().mkdir(log));
    QStringList messages;
    bool windowShown = false;
    Services services;
    services.portName = m_portPath;
    services.settingsFile = settingsFile();
    services.message = [&](QWidget *, const QString &text) {
        messages << text;
        for (QWidget *widget : QApplication::topLevelWidgets())
            windowShown = windowShown || widget->isVisible();
    };
    QCOMPARE(ui::runProgram(services), EXIT_FAILURE);
    QCOMPARE(messages.size(), 1);
    // Named whole, in the platform's own form: C:\Users\... on Windows.
    const QString path = QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("waypoints.wpl")));
    QVERIFY2(messages.first().contains(path) && messages.first().contains(inItsPlace),
             qPrintable(messages.first()));
    QVERIFY(!windowShown);
}

void tst_MainWindow::documentsOptionWorksInTheMovedDocumentsFolder_data()
{
    // The Documents folder's name in the test's folder, what is there, and the system's reason
    // for not going in; 0 where it works.
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("made");
    QTest::addColumn<int>("systemError");
    QTest::newRow("moved") << "moved documents"_qba
                           << "folder" << 0;
#ifndef Q_OS_WIN
    QTest::newRow("name not UTF-8") << "caf\xe9 documents"_qba
                                    << "folder" << 0;
    QTest::newRow("no such folder") << "gone"_qba
                                    << "nothing" << ENOENT;
    QTest::newRow("a file") << "a file"_qba
                            << "file" << ENOTDIR;
    QTest::newRow("link loop") << "loop"_qba
                               << "loop" << ELOOP;
    QTest::newRow("no access") << "locked"_qba
                               << "locked" << EACCES;
#endif
}

void tst_MainWindow::documentsOptionWorksInTheMovedDocumentsFolder()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, made);
    QFETCH(int, systemError);
#ifdef Q_OS_WIN
    Q_UNUSED(name);
    Q_UNUSED(made);
    // Moved by the suite's Wine prefix; moving a user's own would touch their settings.
    const QString moved = qEnvironmentVariable("PINDREL_MOVED_DOCUMENTS");
    if (moved.isEmpty())
        QSKIP("Needs the suite's Wine prefix, whose Documents folder has been moved");
    const auto logThere = [&] {
        return QFileInfo::exists(moved + QStringLiteral("/waypoints.wpl"));
    };
    QFile::remove(moved + QStringLiteral("/waypoints.wpl"));
    const QString shown = QDir::toNativeSeparators(moved);
#else
    const QByteArray moved = QFile::encodeName(m_dir->path()) + '/' + name;
    if (made == u"folder" || made == u"locked")
        QCOMPARE(::mkdir(moved.constData(), made == u"locked" ? 0 : 0700), 0);
    if (made == u"file")
        QVERIFY(QFile(QFile::decodeName(moved)).open(QIODevice::WriteOnly));
    if (made == u"loop")
        QCOMPARE(::symlink(moved.constData(), moved.constData()), 0);
    if (made == u"locked" && ::geteuid() == 0)
        QSKIP("Root enters any folder");
    QFile userDirs(m_dir->filePath(QStringLiteral("user-dirs.dirs")));
    QVERIFY(userDirs.open(QIODevice::WriteOnly));
    userDirs.write("XDG_DOCUMENTS_DIR=\"" + moved + "\"\n");
    userDirs.close();
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
    });
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    const auto logThere = [&] {
        return ::access((moved + "/waypoints.wpl").constData(), F_OK) == 0;
    };
    const QString shown = platform::displayName(platform::NativeName::fromNative(moved));
#endif
    m_window.reset();
    QVERIFY(QFile::remove(QStringLiteral("waypoints.wpl")));
    Services services;
    services.portName = m_portPath;
    services.settingsFile = settingsFile();
    services.message = [this](QWidget *, const QString &text) { m_messages << text; };
    QTimer closer;
    closer.setSingleShot(true);
    connect(&closer, &QTimer::timeout, qApp, &QApplication::closeAllWindows);
    closer.start(0);
    QCOMPARE(ui::runProgram(services, ui::WorkFolder::Documents),
             systemError == 0 ? EXIT_SUCCESS : EXIT_FAILURE);
    if (systemError == 0) {
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(u'\n')));
    } else {
        // The folder, and the system's reason for not going in.
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(shown) &&
                     m_messages.first().contains(qt_error_string(systemError)),
                 qPrintable(m_messages.first()));
    }
    QCOMPARE(logThere(), systemError == 0);
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("waypoints.wpl"))));
}

void tst_MainWindow::commandLineChoosesThePort()
{
    const auto parseCommandLine = [](const QStringList &arguments) {
        return ui::parseCommandLine({arguments.begin(), arguments.end()});
    };
    QVERIFY(parseCommandLine({"pindrel"}).portName.isEmpty());
    QVERIFY(parseCommandLine({"pindrel", "--port", "/dev/ttyUSB0"}).portName ==
            QStringLiteral("/dev/ttyUSB0"));
    QVERIFY(parseCommandLine({"pindrel", "--port=COM3"}).portName == QStringLiteral("COM3"));
    // Taken as the Serial Port window takes a typed name.
    QVERIFY(parseCommandLine({"pindrel", "--port", " COM3 "}).portName == QStringLiteral("COM3"));
    QVERIFY(parseCommandLine({"pindrel", "--port", "\tgps\u00e0"}).portName ==
            QStringLiteral("gps\u00e0"));
#ifndef Q_OS_WIN
    // A link named in Latin-1 is kept byte for byte.
    const auto latin1 = platform::NativeName::fromNative("gps\xe9");
    QCOMPARE(ui::parseCommandLine({QStringLiteral("pindrel"), QStringLiteral("--port"), latin1})
                 .portName.native(),
             latin1.native());
#endif
    QVERIFY(parseCommandLine({"pindrel", "--port", "tcp://[fd00::1]:10110"}).portName ==
            QStringLiteral("tcp://[fd00::1]:10110"));
    QCOMPARE(parseCommandLine({"pindrel", "--baud", "9600"}).baudRate, 9600);
    QCOMPARE(parseCommandLine({"pindrel", "--baud=31250"}).baudRate, 31250);
    QVERIFY(!parseCommandLine({"pindrel"}).baudRate);
    QVERIFY(parseCommandLine({"pindrel", "--documents"}).inDocuments);
    QVERIFY(!parseCommandLine({"pindrel"}).inDocuments);
    QCOMPARE(parseCommandLine({"pindrel", "--port", "COM3", "trip.gpx"}).waypointFile,
             QStringLiteral("trip.gpx"));
    QVERIFY(parseCommandLine({"pindrel", "--port", "COM3"}).waypointFile.isEmpty());
#ifndef Q_OS_WIN
    // A file is named as the system spells it, UTF-8 here.
    QCOMPARE(ui::parseCommandLine(
                 {QStringLiteral("pindrel"), platform::NativeName::fromNative("caf\xc3\xa9.gpx")})
                 .waypointFile,
             QFile::decodeName("caf\xc3\xa9.gpx"));
#endif
}

void tst_MainWindow::commandLineAnswersWithoutWindowOrLog_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    // On standard output for status 0, else on standard error, followed by the usage.
    QTest::addColumn<QString>("text");
    // Whether the answer waits for the application object to take Qt's own options, which
    // needs a platform; the others are told before it exists.
    QTest::addColumn<bool>("afterQt");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--baud N" << false;
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Pindrel 1." << false;
    QTest::newRow("unknown option")
        << QStringList{"--bogus"} << ui::usageErrorStatus << "Unknown option 'bogus'." << true;
    // One file of waypoints is taken; a second argument is not.
    QTest::newRow("stray argument") << QStringList{"route.gpx", "ttyUSB0"} << ui::usageErrorStatus
                                    << "Unexpected argument 'ttyUSB0'." << false;
    QTest::newRow("qt option in a form qt would not read")
        << QStringList{"-qwindowtitle=Foo"} << ui::usageErrorStatus
        << "Unknown option 'qwindowtitle'." << true;
    // Qt takes its options, each with its value: none is taken for a port.
    QTest::newRow("qt options with their values")
        << QStringList{"-qwindowgeometry", "600x200+30+40", "-qwindowtitle", "--port",
                       "-qwindowicon",     "gps",           "--platform",    "offscreen",
                       "-style=fusion",    "-reverse",      "--baud",        "fast"}
        << ui::usageErrorStatus << "'fast' is not one" << true;
    QTest::newRow("help after qt options")
        << QStringList{"-style", "fusion", "-reverse", "--help"} << 0 << "--baud N" << true;
    // Qt takes its option wherever it stands, even where a value of Pindrel's was meant.
    QTest::newRow("qt option for a value")
        << QStringList{"--baud", "-reverse", "--version"} << ui::usageErrorStatus
        << "'--version' is not one" << true;
    // One wording, however the name is missing.
    QTest::newRow("port without name")
        << QStringList{"--port"} << ui::usageErrorStatus << "--port needs a port's name" << false;
    QTest::newRow("port with an empty name")
        << QStringList{"--port="} << ui::usageErrorStatus << "--port needs a port's name" << false;
    QTest::newRow("port named by spaces") << QStringList{"--port", "  "} << ui::usageErrorStatus
                                          << "--port needs a port's name" << false;
    QTest::newRow("baud not a number")
        << QStringList{"--baud", "fast"} << ui::usageErrorStatus << "'fast' is not one" << false;
    QTest::newRow("baud of 0") << QStringList{"--baud=0"} << ui::usageErrorStatus
                               << "'0' is not one" << false;
    QTest::newRow("baud with a sign")
        << QStringList{"--baud", "+9600"} << ui::usageErrorStatus << "'+9600' is not one" << false;
}

void tst_MainWindow::commandLineAnswersWithoutWindowOrLog()
{
#ifdef Q_OS_WIN
    QSKIP("On Windows the answer is a message box.");
#endif
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(bool, afterQt);
    m_window.reset();
    const QByteArray earlierLog = "14:05:09 09/03/2004 kept\r\n";
    QFile log(QStringLiteral("waypoints.wpl"));
    QVERIFY(log.open(QIODevice::WriteOnly) && log.write(earlierLog) == earlierLog.size());
    log.close();

    QProcess program;
    // Before Qt's options are taken, a platform that does not exist: creating the application,
    // let alone a window, would fail.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       afterQt ? QStringLiteral("offscreen") : QStringLiteral("none-at-all"));
    // Where the application object finds its run-time folder and settings, never the user's.
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->path());
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("PINDREL_PROGRAM", QStringLiteral(PINDREL_PROGRAM_PATH)),
                  arguments);
    QVERIFY2(program.waitForFinished(), qPrintable(program.errorString()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    const QString told = status == 0 ? out : err;
    QVERIFY2(told.contains(text) && (out + err).size() == told.size(), qPrintable(out + err));
    QVERIFY2(status == 0 || err.contains(u"Usage: pindrel"), qPrintable(err));
    QCOMPARE(logContents(), earlierLog);
}

void tst_MainWindow::signalAtStartEndsAsQuit_data()
{
    QTest::addColumn<int>("number");
#ifndef Q_OS_WIN
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
#endif
}

void tst_MainWindow::signalAtStartEndsAsQuit()
{
#ifdef Q_OS_WIN
    QSKIP("Windows has no such signals; a console's Ctrl+C is tried by hand");
#else
    QFETCH(int, number);
    m_window.reset();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Its settings in the test's folder, never the user's.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->path());
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(m_dir->path());
    // Whether the program holds the signal back, or has a handler for it, as the system sees.
    const auto signalIs = [&](const char *field) {
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(field))
                return ((line.sliced(qstrlen(field)).trimmed().toULongLong(nullptr, 16) >>
                         (number - 1)) &
                        1) != 0;
        }
        return false;
    };
    // The signal comes the moment the program's own code has begun, long before its window
    // is up: from then on it is held back until it can be handled. A busy machine may let the
    // program past that moment unseen; it is then started again.
    bool held = false;
    for (int attempt = 0; attempt < 10 && !held; ++attempt) {
        program.start(qEnvironmentVariable("PINDREL_PROGRAM", QStringLiteral(PINDREL_PROGRAM_PATH)),
                      {QStringLiteral("--port"), m_portPath});
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        const QDeadlineTimer deadline(10000);
        while (!held && !signalIs("SigCgt:") && !deadline.hasExpired()) {
            held = signalIs("SigBlk:");
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (!held) {
            program.kill();
            program.waitForFinished();
        }
    }
    QVERIFY(held);
    QCOMPARE(::kill(pid_t(program.processId()), number), 0);
    QVERIFY2(program.waitForFinished(), qPrintable(program.errorString()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
#endif
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
