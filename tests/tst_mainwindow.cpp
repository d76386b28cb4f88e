#include "ui/frmgarminwaypoint.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionFrame>
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
    void type(const QString &name, const QString &lat, const QString &lon) const
    {
        box("txtWaypointName")->setText(name);
        box("txtWaypointLat")->setText(lat);
        box("txtWaypointLon")->setText(lon);
    }
    QString generated() const { return box("txtGeneratedString")->text(); }

    std::unique_ptr<frmGarminWaypoint> m_window;
    QStringList m_messages;
};

void tst_MainWindow::init()
{
    m_messages.clear();
    Services services;
    services.message = [this](QWidget *, const QString &text) { m_messages << text; };
    m_window = std::make_unique<frmGarminWaypoint>(services);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_MainWindow::cleanup()
{
    m_window.reset();
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

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
