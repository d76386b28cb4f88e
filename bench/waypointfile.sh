#!/bin/sh
# Reading a GPX of 10,000 waypoints and building their sentences, beside GPSBabel doing the same
# (`gpsbabel -i gpx -f F -o nmea -F out`, from the Debian package gpsbabel), and the reading of
# a 50 MB GPX. Usage: bench/waypointfile.sh [BUILD_DIR]
set -eu
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_gpx() { # COUNT FILE
    awk -v n="$1" 'BEGIN {
        print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        print "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
        for (i = 0; i < n; i++)
            printf "<wpt lat=\"%.6f\" lon=\"%.6f\"><ele>%d</ele><name>Waypoint %d</name><desc>Generated for the benchmark</desc></wpt>\n", -60 + (i % 12000) / 100, -170 + (i % 34000) / 100, i % 3000, i
        print "</gpx>"
    }' > "$2"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

make_gpx 10000 "$work/10k.gpx"
echo "Pindrel, 10,000 waypoints: $("$build/bench/bench_waypointfile" "$work/10k.gpx" "$work/pindrel.nmea" 5)"
if command -v gpsbabel >/dev/null; then
    for run in 1 2 3 4 5; do
        start=$(date +%s%N)
        gpsbabel -i gpx -f "$work/10k.gpx" -o nmea -F "$work/gpsbabel.nmea"
        echo $(( ($(date +%s%N) - start) / 1000000 ))
    done | median | sed 's/^/GPSBabel, 10,000 waypoints: median /; s/$/ ms over 5 runs/'
else
    echo "GPSBabel is not installed (apt-get install gpsbabel)"
fi

make_gpx 400000 "$work/50mb.gpx"
echo "A GPX of $(( $(stat -c %s "$work/50mb.gpx") / 1000000 )) MB: $("$build/bench/bench_waypointfile" "$work/50mb.gpx" "$work/pindrel.nmea" 3)"
