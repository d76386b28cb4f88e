#include "pseudoterminal.h"
#include "ui/frmgarminwaypoint.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSerialPort>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void caption();
    void controlsStandWhereDrawn_data();
    void controlsStandWhereDrawn();
    void labelsAreBoldAndWhole();
    void textBoxesShowTheirTextWhole();
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
    void longestBodyIsBuilt();
    void overLongStringIsRefusedWithAMessage();
    void pasteOfAnyLengthIsKeptWhole();
    void quitEndsTheEventLoop();

    void sendBeforeOpenSaysSoAndSendsNothing();
    void openThenSendDeliversTheExactSentence();
    void secondOpenSaysSoAndLeavesTheLineAlone();
    void sendWithEmptyStringSendsNothing();
    void sendTwiceSendsTwice();
    void nonAsciiNameSendsTheBytesItsChecksumCovers_data();
    void nonAsciiNameSendsTheBytesItsChecksumCovers();
    void openFailureIsToldAndTheProgramGoesOn_data();
    void openFailureIsToldAndTheProgramGoesOn();
    void hangUpIsToldOnceAndOpenWorksAgain();
    void quitAndCloseBoxDeliverEveryAcceptedByte_data();
    void quitAndCloseBoxDeliverEveryAcceptedByte();
    void quitClosesThePortFirst();

private:
    template <typename T> T *child(const char *name) const
    {
        auto found = m_window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
    QLineEdit *box(const char *name) const { return child<QLineEdit>(name); }
    void trigger(const char *action) const { child<QAction>(action)->trigger(); }
    void recreateWindow(const QString &portName);
    void type(const QString &name, const QString &lat, const QString &lon) const
    {
        box("txtWaypointName")->setText(name);
        box("txtWaypointLat")->setText(lat);
        box("txtWaypointLon")->setText(lon);
    }
    QString generated() const { return box("txtGeneratedString")->text(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PseudoTerminal> m_pty;
    QString m_portPath;
    std::unique_ptr<frmGarminWaypoint> m_window;
    QStringList m_messages;
};

namespace {

const QByteArray example = "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n";

} // namespace

void tst_MainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    // A name of our own for the port, so that a test can point it at a fresh pseudo-terminal.
    m_portPath = m_dir->filePath(QStringLiteral("ttyTest"));
    QVERIFY(QFile::link(m_pty->slavePath(), m_portPath));
    recreateWindow(m_portPath);
}

void tst_MainWindow::recreateWindow(const QString &portName)
{
    m_window.reset();
    m_messages.clear();
    Services services;
    services.message = [this](QWidget *, const QString &text) { m_messages << text; };
    services.portName = portName;
    m_window = std::make_unique<frmGarminWaypoint>(services);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_MainWindow::cleanup()
{
    m_window.reset();
    m_pty.reset();
    m_dir.reset();
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
    // Twips divided by 15: the pixels at 96 dots per inch.
    QTest::newRow("Label1") << "Label1" << QRect(8, 8, 41, 17) << "Name:";
    QTest::newRow("txtWaypointName") << "txtWaypointName" << QRect(48, 8, 81, 19) << "";
    QTest::newRow("Label2") << "Label2" << QRect(136, 8, 49, 17) << "Latitude:";
    QTest::newRow("txtWaypointLat") << "txtWaypointLat" << QRect(192, 8, 81, 19) << "";
    QTest::newRow("Label3") << "Label3" << QRect(280, 8, 65, 17) << "Longitude:";
    QTest::newRow("txtWaypointLon") << "txtWaypointLon" << QRect(344, 8, 81, 19) << "";
    QTest::newRow("Label4") << "Label4" << QRect(8, 40, 97, 17) << "Waypoint String:";
    QTest::newRow("txtGeneratedString") << "txtGeneratedString" << QRect(8, 56, 417, 19) << "";
}

void tst_MainWindow::controlsStandWhereDrawn()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    auto widget = m_window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->property("text").toString(), text);
}

void tst_MainWindow::labelsAreBoldAndWhole()
{
    for (const char *name : {"Label1", "Label2", "Label3", "Label4"}) {
        auto label = child<QLabel>(name);
        QVERIFY2(label->font().bold(), name);
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), name);
        QVERIFY2(metrics.height() <= label->height(), name);
    }
}

void tst_MainWindow::textBoxesShowTheirTextWhole()
{
    for (const char *name :
         {"txtWaypointName", "txtWaypointLat", "txtWaypointLon", "txtGeneratedString"}) {
        auto edit = box(name);
        edit->setText(QStringLiteral("Égypt 3351.123"));
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->hasFrame() ? 1 : 0;
        const QRect inside =
            edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        QVERIFY2(edit->fontMetrics().height() <= inside.height(), name);
    }
}

void tst_MainWindow::clientAreaBelowTheMenuBar()
{
    auto client = m_window->centralWidget();
    QCOMPARE(client->size(), QSize(430, 80));
    QCOMPARE(client->geometry().top(), m_window->menuBar()->geometry().bottom() + 1);
    QCOMPARE(m_window->size(), QSize(430, 80 + m_window->menuBar()->height()));
}

void tst_MainWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("program") << "mnuProgram"
                             << "&Program"
                             << QStringList{"mnuOpenPort", "mnuHelp", "mnuAbout", "mnuQuit"}
                             << QStringList{"&Open Port", "&Help", "&About", "&Quit"};
    QTest::newRow("waypoint") << "mnuWaypoint"
                              << "&Waypoint"
                              << QStringList{"mnuMakeString", "mnuSendString", "mnuSave"}
                              << QStringList{"&Make String", "&Send String", "&Save String"};
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
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{"txtWaypointLat", "txtWaypointLon", "txtGeneratedString",
                                 "txtWaypointName"}));
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
}

void tst_MainWindow::boxesAnnouncedByTheirLabels()
{
    QFETCH(QString, box);
    QFETCH(QString, announced);
    auto iface = QAccessible::queryAccessibleInterface(m_window->findChild<QLineEdit *>(box));
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), announced);
}

void tst_MainWindow::makeString_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::addColumn<QString>("expected");
    QTest::newRow("home") << "home"
                          << "3351.123"
                          << "08412.345"
                          << "$GPWPL,3351.123,N,08412.345,W,HOME*5F\r\n";
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << "$GPWPL,,N,,W,*69\r\n";
    QTest::newRow("non-ascii name") << "café"
                                    << "1"
                                    << "2"
                                    << "$GPWPL,1,N,2,W,CAFÉ*E7\r\n";
}

void tst_MainWindow::makeString()
{
    QFETCH(QString, name);
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(QString, expected);
    type(name, lat, lon);
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

void tst_MainWindow::quitEndsTheEventLoop()
{
    QTimer::singleShot(0, m_window.get(), [this] { trigger("mnuQuit"); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!m_window->isVisible());
}

void tst_MainWindow::sendBeforeOpenSaysSoAndSendsNothing()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuSendString");
    QCOMPARE(m_messages, QStringList{"Port Not Open!"});
    QCOMPARE(m_pty->receiveFor(100), QByteArray());
}

void tst_MainWindow::openThenSendDeliversTheExactSentence()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    QVERIFY(is4800Baud8N1(m_pty->settings()));
    trigger("mnuSendString");
    QCOMPARE(m_pty->receive(example.size()), example);
    QVERIFY(m_messages.isEmpty());
}

void tst_MainWindow::secondOpenSaysSoAndLeavesTheLineAlone()
{
    trigger("mnuOpenPort");
    m_pty->setSpeed(B9600);
    trigger("mnuOpenPort");
    QCOMPARE(m_messages, QStringList{"Port Already Open!"});
    const termios settings = m_pty->settings();
    QCOMPARE(::cfgetospeed(&settings), speed_t(B9600));
    QVERIFY(child<QSerialPort>("MSComm1")->isOpen());
}

void tst_MainWindow::sendWithEmptyStringSendsNothing()
{
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    QCOMPARE(m_pty->receiveFor(100), QByteArray());
    QVERIFY(m_messages.isEmpty());
}

void tst_MainWindow::sendTwiceSendsTwice()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    trigger("mnuSendString");
    QCOMPARE(m_pty->receive(2 * example.size()), example + example);
}

void tst_MainWindow::nonAsciiNameSendsTheBytesItsChecksumCovers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("latin-1") << "café" << QByteArray("$GPWPL,1,N,2,W,CAF\xc9*E7\r\n");
    QTest::newRow("beyond latin-1") << "北" << QByteArray("$GPWPL,1,N,2,W,?*55\r\n");
}

void tst_MainWindow::nonAsciiNameSendsTheBytesItsChecksumCovers()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    type(name, "1", "2");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
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
    trigger("mnuOpenPort");
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(port), qPrintable(m_messages.first()));
    QVERIFY(!child<QSerialPort>("MSComm1")->isOpen());
    trigger("mnuSendString");
    QCOMPARE(m_messages.last(), QStringLiteral("Port Not Open!"));
    QVERIFY(m_window->isVisible());
}

void tst_MainWindow::hangUpIsToldOnceAndOpenWorksAgain()
{
    type("home", "3351.123", "08412.345");
    trigger("mnuMakeString");
    trigger("mnuOpenPort");
    m_pty->hangUp();
    trigger("mnuSendString");
    QTRY_COMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(m_portPath), qPrintable(m_messages.first()));
    QVERIFY(!child<QSerialPort>("MSComm1")->isOpen());
    QTest::qWait(200);
    QCOMPARE(m_messages.size(), 1);

    // Plugged in again.
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(QFile::remove(m_portPath));
    QVERIFY(QFile::link(m_pty->slavePath(), m_portPath));
    trigger("mnuOpenPort");
    trigger("mnuSendString");
    QCOMPARE(m_pty->receive(example.size()), example);
    QCOMPARE(m_messages.size(), 1);
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
    QVERIFY(!child<QSerialPort>("MSComm1")->isOpen());
    const QByteArray received = m_pty->receive(32767 + 4);
    QCOMPARE(received.size(), 32767 + 4);
    QCOMPARE(QString::fromLatin1(received), generated());
}

void tst_MainWindow::quitClosesThePortFirst()
{
    trigger("mnuOpenPort");
    bool windowStillShown = false;
    connect(child<QSerialPort>("MSComm1"), &QIODevice::aboutToClose, this,
            [&] { windowStillShown = m_window->isVisible(); });
    trigger("mnuQuit");
    QVERIFY(windowStillShown);
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
