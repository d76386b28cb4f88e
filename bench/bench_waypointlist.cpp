#include "ui/waypointlistmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

// Scrolling the list of a large file: a page down, painted, at the top, in the middle and at
// the end of 100,000 rows. Run by hand: QT_QPA_PLATFORM=offscreen ./bench_waypointlist
class bench_WaypointList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageDown_data();
    void pageDown();
    void newNameLength();

private:
    WaypointListModel m_model;
    QTableView m_view;
};

void bench_WaypointList::initTestCase()
{
    QList<waypointfile::FileWaypoint> waypoints;
    for (int i = 0; i < 100000; ++i) {
        waypoints.append({QStringLiteral("Waypoint %1").arg(i),
                          {-60 + (i % 12000) / 100.0, -170 + (i % 34000) / 100.0},
                          i + 1});
    }
    QElapsedTimer timer;
    timer.start();
    m_model.setWaypoints(waypoints, waypointfile::defaultNameLength);
    qInfo("names and sentences for 100,000 rows: %lld ms", timer.elapsed());
    m_view.setModel(&m_model);
    m_view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view.resize(900, 600);
    timer.restart();
    m_view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_view));
    qInfo("first shown: %lld ms", timer.elapsed());
}

void bench_WaypointList::pageDown_data()
{
    QTest::addColumn<double>("where");
    QTest::newRow("top") << 0.0;
    QTest::newRow("middle") << 0.5;
    QTest::newRow("end") << 0.99;
}

void bench_WaypointList::pageDown()
{
    QFETCH(double, where);
    QScrollBar *bar = m_view.verticalScrollBar();
    const int start = int(bar->maximum() * where);
    int step = 0;
    QBENCHMARK
    {
        bar->setValue(start + (step++ % 20) * bar->pageStep());
        m_view.viewport()->repaint();
    }
}

// What a change of Name length costs the window: every row renamed and its sentence rebuilt.
void bench_WaypointList::newNameLength()
{
    int length = 6;
    QBENCHMARK
    {
        length = length == 6 ? 8 : 6;
        m_model.setNameLength(length);
    }
}

QTEST_MAIN(bench_WaypointList)
#include "bench_waypointlist.moc"
