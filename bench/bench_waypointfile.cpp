#include "platform/eightbit.h"
#include "waypoint_file/receivernames.h"
#include "waypoint_file/waypointfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

// Reads a file of waypoints and writes their sentences, as Send File would send them, to an
// output file, several times; prints the median. Run by bench/waypointfile.sh beside GPSBabel.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: bench_waypointfile FILE OUT [RUNS]\n", stderr);
        return 2;
    }
    const int runs = arguments.size() > 3 ? arguments[3].toInt() : 5;
    std::vector<double> times;
    std::vector<double> reading;
    qsizetype count = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QFile in(arguments[1]);
        if (!in.open(QIODevice::ReadOnly))
            return 1;
        waypointfile::ReadingControl control;
        const waypointfile::FileWaypoints file = waypointfile::read(in, control);
        const double readMs = timer.nsecsElapsed() / 1e6;
        QList<QString> names;
        QList<position::Position> positions;
        names.reserve(file.waypoints.size());
        positions.reserve(file.waypoints.size());
        for (const auto &waypoint : file.waypoints) {
            names.append(waypoint.name);
            positions.append(waypoint.position);
        }
        const auto sent = waypointfile::receiverWaypoints(
            names, waypointfile::receiverForms(positions), waypointfile::defaultNameLength);
        QFile out(arguments[2]);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        for (const auto &waypoint : sent)
            out.write(platform::toEightBit(waypoint.sentence));
        out.close();
        times.push_back(timer.nsecsElapsed() / 1e6);
        reading.push_back(readMs);
        count = sent.size();
    }
    std::sort(times.begin(), times.end());
    std::sort(reading.begin(), reading.end());
    std::printf("%lld waypoints, median %.1f ms over %d runs (reading alone %.1f ms)\n",
                static_cast<long long>(count), times[times.size() / 2], runs,
                reading[reading.size() / 2]);
    return 0;
}
