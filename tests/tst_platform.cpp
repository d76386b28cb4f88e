#include "codepage.h"
#include "offscreen.h"
#include "platform/application.h"
#include "platform/eightbit.h"
#include "platform/messagebox.h"
#include "platform/sessionend.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace {

QStringList reported;

class Thrower : public QObject
{
protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("the disk caught fire");
        return QObject::event(event);
    }
};

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void eightBit_data();
    void eightBit();
    void countsTakeTheirEnglishPlural_data();
    void countsTakeTheirEnglishPlural();
    void messageBoxLooksAsItShould();
    void messageBoxTakesAnySizeOnceShown();
    void sessionEndWaitsForTheWindowsToGo_data();
    void sessionEndWaitsForTheWindowsToGo();
    void failureEscapingACommandIsReportedOnceAndEndsTheLoop();
};

void tst_Platform::eightBit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << QStringLiteral("$GPWPL,1\r\n") << QByteArray("$GPWPL,1\r\n");
    if (eightBitCodePage() == 932) {
        QTest::newRow("japanese in 932")
            << QStringLiteral("北表ｱ") << QByteArray("\x96\x6b\x95\x5c\xb1");
        QTest::newRow("accent outside 932") << QStringLiteral("é") << QByteArray("?");
        QTest::newRow("combining accent outside 932, one ?")
            << QStringLiteral("e\u0301") << QByteArray("?");
    } else {
        QTest::newRow("top of latin-1") << QStringLiteral("é\u00ff") << QByteArray("\xe9\xff");
        QTest::newRow("combining accent composed")
            << QStringLiteral("cafe\u0301 y\u0308") << QByteArray("caf\xe9 \xff");
    }
    if (eightBitCodePage() == 1252)
        QTest::newRow("euro sign in 1252") << QStringLiteral("€") << QByteArray("\x80");
    QTest::newRow("combining mark without a composed form")
        << QStringLiteral("q\u0301") << QByteArray("q?");
    QTest::newRow("just past latin-1") << QStringLiteral("a\u0100b") << QByteArray("a?b");
    QTest::newRow("surrogate pair is one character") << QStringLiteral("a😀b") << QByteArray("a?b");
    QTest::newRow("lone high surrogate") << QString(QChar(0xd83d)) + u'x' << QByteArray("?x");
    QTest::newRow("lone low surrogate") << QString(QChar(0xde00)) << QByteArray("?");
    QTest::newRow("nul stays") << QString(QChar(0)) << QByteArray(1, '\0');
}

void tst_Platform::eightBit()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(platform::toEightBit(text), bytes);
}

void tst_Platform::messageBoxLooksAsItShould()
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    int buttons = -1;
    QTimer::singleShot(0, this, [&] {
        auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    platform::showMessageBox(nullptr, QStringLiteral("Port Not Open!"));
    QCOMPARE(title, QStringLiteral("Pindrel"));
    QCOMPARE(text, QStringLiteral("Port Not Open!"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, 1);
}

void tst_Platform::messageBoxTakesAnySizeOnceShown()
{
    QSize shown, enlarged;
    QTimer::singleShot(0, this, [&] {
        auto box = QApplication::activeModalWidget();
        shown = box->size();
        // A window maximised on Wayland must take the size the compositor gives it.
        box->resize(shown * 2);
        enlarged = box->size();
        box->close();
    });
    platform::showMessageBox(nullptr, QStringLiteral("Port Not Open!"));
    QCOMPARE(enlarged, shown * 2);
    // Room for the title "Pindrel" between the title bar's buttons, on both sides of it.
    QVERIFY(shown.width() >=
            QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("Pindrel")) + 150);
}

void tst_Platform::sessionEndWaitsForTheWindowsToGo_data()
{
    // How long after the request the window closes; negative: it never does.
    QTest::addColumn<int>("closeAfterMs");
    QTest::addColumn<bool>("gone");
    QTest::newRow("closed at once") << 0 << true;
    // Closed from the event loop, as the program's Quit closes once the port has drained.
    QTest::newRow("closed from the event loop") << 1 << true;
    QTest::newRow("closed after a while") << 300 << true;
    QTest::newRow("never closed") << -1 << false;
}

void tst_Platform::sessionEndWaitsForTheWindowsToGo()
{
    QFETCH(int, closeAfterMs);
    QFETCH(bool, gone);
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    platform::SessionEnd sessionEnd(nullptr, std::chrono::milliseconds(gone ? 30000 : 500));
    int requests = 0;
    connect(&sessionEnd, &platform::SessionEnd::requested, &window, [&] {
        ++requests;
        if (closeAfterMs == 0)
            window.close();
        else if (closeAfterMs > 0)
            QTimer::singleShot(closeAfterMs, &window, &QWidget::close);
    });
    QCOMPARE(sessionEnd.endSession(), gone);
    QCOMPARE(window.isVisible(), !gone);
    // Windows asks once for each of the program's windows: the program is told only once.
    QCOMPARE(sessionEnd.endSession(), gone);
    QCOMPARE(requests, 1);
}

void tst_Platform::failureEscapingACommandIsReportedOnceAndEndsTheLoop()
{
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCOMPARE(QCoreApplication::exec(), EXIT_FAILURE);
    QCOMPARE(reported.size(), 1);
    QVERIFY2(reported.first().contains(u"the disk caught fire"), qPrintable(reported.first()));
}

void tst_Platform::countsTakeTheirEnglishPlural_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    const QString notSent = QStringLiteral("The serial port %1 was closed before everything had "
                                           "been sent: the last %n byte(s) did not go out.");
    const QString left = QStringLiteral("Sending to the receiver on %1 before closing.\n"
                                        "%n byte(s) left, about %2 s.");
    QTest::newRow("one") << "frmGarminWaypoint" << notSent << 1 << "the last 1 byte did";
    QTest::newRow("two") << "frmGarminWaypoint" << notSent << 2 << "the last 2 bytes did";
    QTest::newRow("none") << "frmClosingPort" << left << 0 << "0 bytes left";
    QTest::newRow("one left") << "frmClosingPort" << left << 1 << "1 byte left";
    const QString leftOut = QStringLiteral("%n row(s) of the file were left out.");
    QTest::newRow("one row left out")
        << "frmWaypointFile" << leftOut << 1 << "1 row of the file was";
    QTest::newRow("rows left out")
        << "frmWaypointFile" << leftOut << 3 << "3 rows of the file were";
    const QString notSentAtQuit = QStringLiteral("%n waypoint(s) from %1 were not sent.");
    QTest::newRow("one waypoint not sent")
        << "frmGarminWaypoint" << notSentAtQuit << 1 << "1 waypoint from %1 was not";
}

void tst_Platform::countsTakeTheirEnglishPlural()
{
    QFETCH(QString, context);
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QString, expected);
    const QString translated = QCoreApplication::translate(
        context.toUtf8().constData(), text.toUtf8().constData(), nullptr, count);
    QVERIFY2(translated.contains(expected) && !translated.contains(u"(s)"), qPrintable(translated));
}

int main(int argc, char *argv[])
{
    platform::Application app(argc, argv, [](QWidget *, const QString &text) { reported << text; });
    tst_Platform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
