#!/usr/bin/env bash
# Makes docs/waypoints.png, the picture of a file's waypoint list in the README, from the program
# itself: starts it on a private X server with a small GPX file and grabs the list's window. Run
# it again whenever that window changes.
#   usage: packaging/screenshot-waypoints.sh [path/to/pindrel]    (default: build/src/pindrel)
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath -m "${1:-build/src/pindrel}")
output=$PWD/docs/waypoints.png
packages=(xvfb xdotool imagemagick fonts-dejavu-core)

# shellcheck source=tools/install-missing.sh
source "tools/install-missing.sh"
# shellcheck source=tools/private-xvfb.sh
source "tools/private-xvfb.sh"

if [ ! -x "$program" ]; then
    echo "$program is missing: build Pindrel first (./dev.sh run builds and starts it)" >&2
    exit 1
fi
install_missing "${packages[@]}"

workdir=$(mktemp -d)
xvfb_pid=
pindrel_pid=
cleanup() {
    set +e
    [ -n "$pindrel_pid" ] && kill "$pindrel_pid" 2>/dev/null && wait "$pindrel_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$workdir"
}
trap cleanup EXIT

start_private_xvfb "$workdir"

mkdir "$workdir/run"
cat >"$workdir/run/lake-loop.gpx" <<'GPX'
<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="example" xmlns="http://www.topografix.com/GPX/1/1">
  <wpt lat="47.61715" lon="-122.33122"><name>Trailhead</name></wpt>
  <wpt lat="47.62120" lon="-122.32705"><name>Trailhouse café</name></wpt>
  <wpt lat="47.62643" lon="-122.31680"><name>Lake view, north side</name></wpt>
  <rte><name>Loop</name>
    <rtept lat="47.63011" lon="-122.30977"><name>Bridge</name></rtept>
    <rtept lat="47.62789" lon="-122.30210"><name>Bridge</name></rtept>
    <rtept lat="47.62177" lon="-122.29834"/>
  </rte>
</gpx>
GPX
(cd "$workdir/run" && exec env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR \
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 XDG_CONFIG_HOME="$workdir/config" "$program" lake-loop.gpx) &
pindrel_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Waypoints - lake-loop.gpx' | head -n 1)
if [ -z "$window" ]; then
    echo "The list's window did not appear" >&2
    exit 1
fi
xdotool windowfocus --sync "$window"
sleep 1

mkdir -p "$(dirname "$output")"
import -window "$window" -strip "$output"
echo "Wrote $output"
