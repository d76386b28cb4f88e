#!/usr/bin/env bash
# Makes docs/screenshot.png, the picture of the main window in the README, from the program
# itself: starts it on a private X server, types an example waypoint, makes its string and grabs
# the window. Run it again whenever the window changes.
#   usage: packaging/screenshot.sh [path/to/pindrel]    (default: build/src/pindrel)
set -euo pipefail
cd "$(dirname "$0")/.."

program=$(realpath -m "${1:-build/src/pindrel}")
output=$PWD/docs/screenshot.png
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
(cd "$workdir/run" && exec env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR \
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 XDG_CONFIG_HOME="$workdir/config" "$program") &
pindrel_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Pindrel' | head -n 1)
if [ -z "$window" ]; then
    echo "Pindrel's window did not appear" >&2
    exit 1
fi
# There is no window manager to hand out the focus, so give it to the window directly.
xdotool windowfocus --sync "$window"
xdotool type --delay 20 'home'
xdotool key Tab
xdotool type --delay 20 '3351.123'
# Past the latitude's hemisphere, which stays N.
xdotool key Tab Tab
xdotool type --delay 20 '08412.345'
xdotool key alt+w
sleep 0.5
xdotool key m
sleep 1

mkdir -p "$(dirname "$output")"
# -strip leaves out the time stamps, so an unchanged window gives an unchanged file.
import -window "$window" -strip "$output"
echo "Wrote $output"
