#!/bin/sh
# Makes a fresh Wine prefix for one test run whose COM1 leads to LINK, a name that the pty peer
# points at each test's own pseudo-terminal, so no test can reach the machine's real serial port.
# Its Documents folder is DOCUMENTS, an empty folder away from the user's profile, as it is where
# OneDrive or an administrator has moved it; Wine's own would be the Unix user's home.
# With "--stop" instead, ends the prefix's wineserver once the run is over.
set -eu
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ "${2:-}" = --stop ]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi
link=$2
documents=$3
[ -d "$prefix" ] && { wineserver -k 2>/dev/null || true; rm -rf "$prefix"; }
mkdir -p "$prefix"
# Nothing may be reachable through COM1 until a test points it at its own pair.
rm -f "$link"
ln -s /nonexistent "$link"
wineboot --init
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$link" /f >/dev/null
rm -rf "$documents"
mkdir -p "$documents"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
    /v Personal /t REG_EXPAND_SZ /d "$(winepath -w "$documents")" /f >/dev/null
# The mount manager reads the ports key when the prefix's server starts again. The server stays
# up for the whole run; it holds the ports, so it gets their hang-ups, and dumps its state to its
# output on each, which belongs in no test's log.
wineserver -k
wineserver -w
wineserver --persistent >/dev/null 2>&1
# Start the prefix's services now, so that they hold no test's output open.
wineboot >/dev/null 2>&1
