#include "offscreen.h"
#include "ui/frmgarminwaypoint.h"
#include "ui/frmwaypointabout.h"
#include "ui/frmwaypointhelp.h"
#include "ui/program.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_HelpAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void helpLines_data();
    void helpLines();
    void aboutLines_data();
    void aboutLines();
    void everyLineShowsWhole_data();
    void everyLineShowsWhole();
    void onlyOneOfEachAndAFreshOneAfterClosing_data();
    void onlyOneOfEachAndAFreshOneAfterClosing();
    void mainWindowWorksBesideThem();
    void everyWindowCarriesTheIcon();
    void windowsForScreenReadersClosedByKeys_data();
    void windowsForScreenReadersClosedByKeys();
    void programRunsUntilTheLastWindowCloses_data();
    void programRunsUntilTheLastWindowCloses();

private:
    template <typename Window>
    QList<Window *> shown() const
    {
        QList<Window *> windows;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto window = qobject_cast<Window *>(widget); window && window->isVisible())
                windows << window;
        }
        return windows;
    }
    void trigger(const char *action) const
    {
        m_window->findChild<QAction *>(QLatin1String(action))->trigger();
    }
    void closeAllTopLevels() const;
    // The Help or About window that the command shows, if one is on screen.
    QWidget *shownFor(const QString &command) const
    {
        if (command == u"mnuHelp")
            return shown<frmWaypointHelp>().value(0);
        return shown<frmWaypointAbout>().value(0);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    std::unique_ptr<frmGarminWaypoint> m_window;
};

void tst_HelpAbout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_startDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    Services services;
    services.message = [](QWidget *, const QString &text) { QFAIL(qPrintable(text)); };
    services.portName = m_dir->filePath(QStringLiteral("no-port"));
    services.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    m_window = std::make_unique<frmGarminWaypoint>(services);
    QVERIFY(m_window->Form_Load());
    m_window->show();
}

void tst_HelpAbout::closeAllTopLevels() const
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->testAttribute(Qt::WA_DeleteOnClose))
            widget->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_HelpAbout::cleanup()
{
    closeAllTopLevels();
    m_window.reset();
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void tst_HelpAbout::helpLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("writtenWidth");
    QTest::addColumn<QString>("text");
    // The line above, and how far below its top this one was written.
    QTest::addColumn<QString>("above");
    QTest::addColumn<int>("step");
    QString above;
    int aboveTop = 0;
    const auto row = [&](const char *name, int top, int width, const char *text) {
        QTest::newRow(name) << name << top / 15 << width / 15 << QString::fromUtf8(text) << above
                            << (top - aboveTop) / 15;
        above = QLatin1String(name);
        aboveTop = top;
    };
    row("Label10", 120, 4935, "The GPS must be connected to Com 1, set for NMEA 4800");
    row("Label12", 360, 495, "Baud.");
    row("Label1", 720, 4455, "The name of the waypoint can up to 6 characters or numbers");
    row("Label2", 960, 495, "Long.  ");
    row("Label3", 1320, 4575, "Latitude and Longitude must be entered in the following format.");
    row("Label4", 1560, 2535, "DDmm.sss N / DDDmm.sss W");
    row("Label5", 1920, 4575, "The decimal point MUST be included, but the N and W must");
    row("Label6", 2160, 4575, "not be included.  Seconds must also have 3 digits.  If only 2 is");
    row("Label11", 2400, 4455, "provided, then a trailing 0 can be added.");
    row("Label7", 2760, 4335, "Once the information has been entered, select Make String");
    row("Label8", 3000, 4335, "from the Waypoint menu to create the string.  It will be shown");
    row("Label9", 3240, 1695, "in the bottom text field.");
}

void tst_HelpAbout::helpLines()
{
    QFETCH(QString, name);
    QFETCH(int, top);
    QFETCH(int, writtenWidth);
    QFETCH(QString, text);
    QFETCH(QString, above);
    QFETCH(int, step);
    trigger("mnuHelp");
    auto help = shown<frmWaypointHelp>().value(0);
    QVERIFY(help);
    QCOMPARE(help->windowTitle(), QStringLiteral("Waypoint Help"));
    auto label = help->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QVERIFY(label->x() == 8 && label->y() >= top);
    // One line every 16 pixels, where the drawn labels overlapped by one, and paragraphs 8 more;
    // further apart where the font is taller, never closer. A margin at the foot.
    QVERIFY(label->height() >= qMax(16, label->fontMetrics().height()));
    const QLabel *line = above.isEmpty() ? nullptr : help->findChild<QLabel *>(above);
    QVERIFY(label->y() - (line ? line->y() : 0) >= step);
    QVERIFY(!line || label->y() > line->geometry().bottom());
    QVERIFY(label->width() >= writtenWidth);
    QCOMPARE(label->font().bold(), name == u"Label4");
    QVERIFY(help->height() >= 232 + 8 && help->height() >= label->geometry().bottom() + 1 + 8);
    QVERIFY(help->width() >= 308);
}

void tst_HelpAbout::aboutLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("written");
    QTest::addColumn<QString>("text");
    // What stands above, and how far below its top this was written.
    QTest::addColumn<QString>("above");
    QTest::addColumn<int>("step");
    QTest::newRow("Image1") << "Image1" << QRect(8, 8, 30, 30) << ""
                            << "" << 0;
    QTest::newRow("Label1") << "Label1" << QRect(48, 16, 121, 17) << "Pindrel V1.0"
                            << "" << 0;
    QTest::newRow("Label2") << "Label2" << QRect(8, 48, 161, 17)
                            << "Written by the Pindrel developers"
                            << "Image1" << 40;
    QTest::newRow("Label4") << "Label4" << QRect(8, 64, 121, 17) << "https://example.org/pindrel"
                            << "Label2" << 16;
    QTest::newRow("Label3") << "Label3" << QRect(8, 80, 145, 17)
                            << "Copyright © 2026 the Pindrel developers"
                            << "Label4" << 16;
}

void tst_HelpAbout::aboutLines()
{
    QFETCH(QString, name);
    QFETCH(QRect, written);
    QFETCH(QString, text);
    QFETCH(QString, above);
    QFETCH(int, step);
    trigger("mnuAbout");
    auto about = shown<frmWaypointAbout>().value(0);
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("About Waypoint"));
    auto label = about->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    // The name is centred beside the picture; the credits come below it, one every 16 pixels or
    // further apart where the font is taller.
    QCOMPARE(label->x(), written.x());
    const QLabel *picture = about->findChild<QLabel *>(QStringLiteral("Image1"));
    if (name == u"Label1")
        QVERIFY(qAbs(label->geometry().center().y() - picture->geometry().center().y()) <= 1);
    else
        QVERIFY(label->y() >= written.y());
    if (const QLabel *line = above.isEmpty() ? nullptr : about->findChild<QLabel *>(above))
        QVERIFY(label->y() - line->y() >= step && label->y() > line->geometry().bottom());
    QVERIFY(label->width() >= written.width());
    if (name == u"Image1")
        QCOMPARE(label->pixmap().size(), QSize(30, 30));
    else
        QVERIFY(label->height() >= qMax(16, label->fontMetrics().height()));
    QVERIFY(about->height() >= 96 + 8 && about->height() >= label->geometry().bottom() + 1 + 8);
}

void tst_HelpAbout::everyLineShowsWhole_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<qreal>("points");
    QTest::newRow("help") << "mnuHelp" << 0.0;
    QTest::newRow("about") << "mnuAbout" << 0.0;
    QTest::newRow("help at 14 points") << "mnuHelp" << 14.0;
    QTest::newRow("about at 14 points") << "mnuAbout" << 14.0;
}

void tst_HelpAbout::everyLineShowsWhole()
{
    QFETCH(QString, command);
    QFETCH(qreal, points);
    const QFont desktopFont = QApplication::font();
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(desktopFont); });
    if (points > 0)
        QApplication::setFont(QFont(desktopFont.family(), points));
    trigger(qPrintable(command));
    QWidget *window = shownFor(command);
    QVERIFY(window);
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        // No line overlaps another or touches an edge of the window.
        for (QLabel *other : labels)
            QVERIFY(other == label || !other->geometry().intersects(label->geometry()));
        QVERIFY(window->rect().marginsRemoved(QMargins(8, 8, 8, 8)).contains(label->geometry()));
        if (label->text().isEmpty())
            continue;
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                 qPrintable(label->objectName()));
        QVERIFY2(label->geometry().right() < window->width(), qPrintable(label->objectName()));
        QVERIFY2(label->fontMetrics().height() <= label->height(), qPrintable(label->objectName()));
    }
}

void tst_HelpAbout::onlyOneOfEachAndAFreshOneAfterClosing_data()
{
    windowsForScreenReadersClosedByKeys_data();
}

void tst_HelpAbout::onlyOneOfEachAndAFreshOneAfterClosing()
{
    QFETCH(QString, command);
    const auto count = [&] {
        return command == u"mnuHelp" ? shown<frmWaypointHelp>().size()
                                     : shown<frmWaypointAbout>().size();
    };
    trigger(qPrintable(command));
    trigger(qPrintable(command));
    QCOMPARE(count(), 1);
    QPointer<QWidget> first = shownFor(command);
    QVERIFY(first->parentWidget() == nullptr);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QCOMPARE(count(), 0);
    trigger(qPrintable(command));
    QCOMPARE(count(), 1);
}

void tst_HelpAbout::mainWindowWorksBesideThem()
{
    trigger("mnuHelp");
    trigger("mnuAbout");
    m_window->findChild<QLineEdit *>(QStringLiteral("txtWaypointName"))->setText("a");
    m_window->findChild<QLineEdit *>(QStringLiteral("txtWaypointLat"))->setText("1");
    m_window->findChild<QLineEdit *>(QStringLiteral("txtWaypointLon"))->setText("2");
    trigger("mnuMakeString");
    QCOMPARE(m_window->findChild<QLineEdit *>(QStringLiteral("txtGeneratedString"))->text(),
             QStringLiteral("$GPWPL,1,N,2,W,A*2B\r\n"));
    trigger("mnuSave");
    QFile log(QStringLiteral("waypoints.wpl"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().startsWith("\"$GPWPL,1,N,2,W,A*2B\r\n\","));
    QCOMPARE(shown<frmWaypointHelp>().size(), 1);
    QCOMPARE(shown<frmWaypointAbout>().size(), 1);
}

void tst_HelpAbout::everyWindowCarriesTheIcon()
{
    trigger("mnuHelp");
    trigger("mnuAbout");
    const QList<QWidget *> windows = {m_window.get(), shown<frmWaypointHelp>().value(0),
                                      shown<frmWaypointAbout>().value(0)};
    for (QWidget *window : windows) {
        QVERIFY(window);
        const QList<QSize> sizes = window->windowIcon().availableSizes();
        for (const QSize size : {QSize(16, 16), QSize(32, 32)}) {
            QVERIFY2(sizes.contains(size), qPrintable(window->objectName()));
            const QImage image = window->windowIcon().pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            // Transparent corners around the globe, colour in the middle.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255);
        }
    }
}

void tst_HelpAbout::windowsForScreenReadersClosedByKeys_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("help") << "mnuHelp";
    QTest::newRow("about") << "mnuAbout";
}

void tst_HelpAbout::windowsForScreenReadersClosedByKeys()
{
    QFETCH(QString, command);
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Escape), Qt::CTRL | Qt::Key_W}) {
        trigger(qPrintable(command));
        QPointer<QWidget> window = shownFor(command);
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(window);
        QCOMPARE(reader->role(), QAccessible::Dialog);
        QCOMPARE(reader->text(QAccessible::Name), window->windowTitle());
        QCOMPARE(reader->child(1)->text(QAccessible::Name),
                 window->findChildren<QLabel *>()[1]->text());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, key.key(), key.keyboardModifiers());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
    }
}

void tst_HelpAbout::programRunsUntilTheLastWindowCloses_data()
{
    QTest::addColumn<bool>("byQuit");
    QTest::newRow("quit") << true;
    QTest::newRow("close box") << false;
}

void tst_HelpAbout::programRunsUntilTheLastWindowCloses()
{
    QFETCH(bool, byQuit);
    m_window.reset();
    Services services;
    services.portName = m_dir->filePath(QStringLiteral("no-port"));
    services.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    bool helpOutlivedTheMainWindow = false;
    QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, this, [&] {
        frmGarminWaypoint *window = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto found = qobject_cast<frmGarminWaypoint *>(widget))
                window = found;
        }
        QVERIFY(window);
        window->findChild<QAction *>(QStringLiteral("mnuHelp"))->trigger();
        if (byQuit)
            window->findChild<QAction *>(QStringLiteral("mnuQuit"))->trigger();
        else
            window->close();
        QTimer::singleShot(50, this, [&, window] {
            helpOutlivedTheMainWindow = !window->isVisible() &&
                                        shown<frmWaypointHelp>().size() == 1 &&
                                        lastWindowClosed.isEmpty();
            if (auto help = shown<frmWaypointHelp>().value(0))
                help->close();
        });
    });
    QCOMPARE(ui::runProgram(services), 0);
    QVERIFY(helpOutlivedTheMainWindow);
    QCOMPARE(lastWindowClosed.size(), 1);
}

QTEST_MAIN(tst_HelpAbout)
#include "tst_helpabout.moc"
