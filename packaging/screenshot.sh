#!/usr/bin/env bash
# Makes the README's pictures from the program itself, on a private X server: docs/screenshot.png,
# the main window with an example waypoint made into its string; or, with --waypoints,
# docs/waypoints.png, the list of a small GPX file's waypoints. Run it again whenever the window
# changes.
#   usage: packaging/screenshot.sh [--waypoints] [path/to/pindrel]    (default: build/src/pindrel)
set -euo pipefail
cd "$(dirname "$0")/.."

scene=main
if [ "${1:-}" = --waypoints ]; then
    scene=waypoints
    shift
fi
program=$(realpath -m "${1:-build/src/pindrel}")
if [ "$scene" = waypoints ]; then
    output=$PWD/docs/waypoints.png
    arguments=(lake-loop.gpx)
    title='Waypoints - lake-loop.gpx'
else
    output=$PWD/docs/screenshot.png
    arguments=()
    title=Pindrel
fi
# Only this script needs these; the build and the tests do not.
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
# Runs on every exit, failed or not; a killed process's status must not stop it half-way.
cleanup() {
    set +e
    [ -n "$pindrel_pid" ] && kill "$pindrel_pid" 2>/dev/null && wait "$pindrel_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$workdir"
}
trap cleanup EXIT

start_private_xvfb "$workdir"

# Pindrel keeps its log in the folder it starts in; keep that out of the work tree. The
# environment is pinned so that the picture does not depend on who runs the script, nor on the
# port and hemispheres that its user chose last.
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
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 XDG_CONFIG_HOME="$workdir/config" "$program" \
    "${arguments[@]}") &
pindrel_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -n 1)
if [ -z "$window" ]; then
    echo "The window \"$title\" did not appear" >&2
    exit 1
fi
# There is no window manager to hand out the focus, so give it to the window directly.
xdotool windowfocus --sync "$window"
if [ "$scene" = main ]; then
    xdotool type --delay 20 'home'
    xdotool key Tab
    xdotool type --delay 20 '3351.123'
    # Past the latitude's hemisphere, which stays N.
    xdotool key Tab Tab
    xdotool type --delay 20 '08412.345'
    xdotool key alt+w
    sleep 0.5
    xdotool key m
fi
sleep 1

mkdir -p "$(dirname "$output")"
# -strip leaves out the time stamps, so an unchanged window gives an unchanged file.
import -window "$window" -strip "$output"
echo "Wrote $output"
