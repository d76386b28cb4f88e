#!/usr/bin/env bash
# Startup benchmark: time from launch to the main window mapped on an X server, and resident
# memory at that moment, for Pindrel and for the same window in bare Qt with no logic
# (bench/bare_window.cpp). Runs alternate between the two on one private Xvfb, each in a fresh
# empty folder; prints the medians and Pindrel's ratio to bare Qt.
#   usage: bench/startup.sh [runs] [build directory]    (default: 15 runs each, build)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-15}
build_dir=$(realpath -m "${2:-build}")
pindrel=$build_dir/src/pindrel
bare=$build_dir/bench/bare_window
probe=$build_dir/bench/startup_probe
# Only this script needs a virtual X server; the build and the tests do not.
packages=(xvfb)

# shellcheck source=tools/install-missing.sh
source "tools/install-missing.sh"
# shellcheck source=tools/private-xvfb.sh
source "tools/private-xvfb.sh"

for program in "$pindrel" "$bare" "$probe"; do
    if [ ! -x "$program" ]; then
        echo "$program is missing: build with the benchmarks on (./dev.sh run or ./dev.sh test)" >&2
        exit 1
    fi
done
install_missing "${packages[@]}"

workdir=$(mktemp -d)
xvfb_pid=
# Runs on every exit, failed or not; a killed process's status must not stop it half-way.
cleanup() {
    set +e
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$workdir"
}
trap cleanup EXIT

start_private_xvfb "$workdir"
export QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR
# Pindrel reads the choices its user made last; each run starts from none, like a first start.
export XDG_CONFIG_HOME=$workdir/config

# One run: a fresh empty folder as the working directory (Pindrel makes its log there), then the
# probe's "milliseconds KiB" line appended to the named results file.
measure() {
    local name=$1 program=$2 folder
    folder=$(mktemp -d "$workdir/run.XXXXXX")
    (cd "$folder" && "$probe" "$program") >>"$workdir/$name"
    rm -rf "$folder"
}

# A first, unrecorded run of each brings the libraries and fonts into the page cache, so that
# neither program pays for the disk on behalf of the other.
measure warmup "$pindrel"
measure warmup "$bare"
: >"$workdir/pindrel"
: >"$workdir/bare"
for ((i = 1; i <= runs; i++)); do
    # Alternate which goes first too, so a drift in the machine's load falls on both alike.
    if ((i % 2)); then
        measure pindrel "$pindrel"
        measure bare "$bare"
    else
        measure bare "$bare"
        measure pindrel "$pindrel"
    fi
done

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

pindrel_ms=$(cut -d' ' -f1 "$workdir/pindrel" | median)
bare_ms=$(cut -d' ' -f1 "$workdir/bare" | median)
pindrel_kib=$(cut -d' ' -f2 "$workdir/pindrel" | median)
bare_kib=$(cut -d' ' -f2 "$workdir/bare" | median)

echo "Runs: $runs of each, alternating, on Xvfb $DISPLAY"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
    "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)," \
    "$(. /etc/os-release && echo "$PRETTY_NAME"), Qt $(qtpaths6 --qt-version 2>/dev/null || echo '?')"
awk -v pm="$pindrel_ms" -v bm="$bare_ms" -v pk="$pindrel_kib" -v bk="$bare_kib" 'BEGIN {
    printf "%-26s %10s %10s %8s\n", "median", "Pindrel", "bare Qt", "ratio"
    printf "%-26s %10.1f %10.1f %8.2f\n", "launch to window mapped, ms", pm, bm, pm / bm
    printf "%-26s %10.0f %10.0f %8.2f\n", "resident memory then, KiB", pk, bk, pk / bk
}'
echo "Every run (ms KiB):"
paste -d' ' <(sed 's/^/Pindrel /' "$workdir/pindrel") <(sed 's/^/| bare /' "$workdir/bare")
