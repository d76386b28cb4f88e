#!/usr/bin/env bash
# The Windows installer and uninstaller, run silently under Wine in a prefix of their own: each
# case reads back the exit status, the folders and the registry. Makes its own installer from the
# build's CPack configuration first.
# Usage: installer.sh CPACK CPACK_CONFIG HOLDFILE_EXE WORK_DIR
set -uo pipefail
cpack=$1
config=$2
holdfile=$3
work=$4

# Wine's menu builder would copy each shortcut to this machine's own menus, and keeps the
# install folder as its working folder for a while after the installer has ended.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
drive_c=$WINEPREFIX/drive_c
program_files="$drive_c/Program Files"
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pindrel"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pindrel'
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# check DESCRIPTION COMMAND...: the command must succeed.
check() {
    local description=$1
    shift
    if "$@"; then echo "ok: $description"; else fail "$description"; fi
}

run() {
    wine "$@" >/dev/null 2>&1
}

installer_exe=
install() {
    run "$installer_exe" /S "$@"
}

# Runs a command line as written in a batch file, as a user would type it: Wine would quote an
# argument that holds a space, and neither /D= nor _?= may be quoted.
run_as_typed() {
    printf '@echo off\r\n%s\r\nexit /b %%ERRORLEVEL%%\r\n' "${1//$'\n'/$'\r\n'}" >"$drive_c/pindrel-test.bat"
    wine cmd /c 'C:\pindrel-test.bat' >/dev/null 2>&1
}

# The README's silent uninstall of the Pindrel in FOLDER: a copy of the uninstaller runs, so
# that it can remove the folder with itself, and its status is that of the uninstall.
readme_uninstall() {
    printf '%s\n' "copy \"$1\\Uninstall.exe\" \"%TEMP%\\Uninstall-Pindrel.exe\"" \
        "\"%TEMP%\\Uninstall-Pindrel.exe\" /S _?=$1" \
        'set status=%ERRORLEVEL%' \
        'del "%TEMP%\Uninstall-Pindrel.exe"' \
        'exit /b %status%'
}

registered() {
    wine reg query "$key" /v UninstallString 2>/dev/null | tr -d '\r' |
        sed -n 's/.*REG_SZ *"\(.*\)\\Uninstall.exe"$/\1/p'
}

is_registered_to() {
    [ "$(registered)" = "$1" ]
}

nothing_registered() {
    ! wine reg query "$key" >/dev/null 2>&1
}

shortcuts_present() {
    [ -f "$start_menu/Pindrel.lnk" ] && [ -f "$start_menu/Uninstall.lnk" ]
}

no_shortcuts() {
    [ ! -e "$start_menu" ]
}

# The package's own list of files, taken from the installed tree of the first install.
installed_files=()
complete_in() {
    local file
    for file in "${installed_files[@]}" Uninstall.exe; do
        [ -f "$1/$file" ] || { echo "missing: $1/$file"; return 1; }
    done
}

# Nothing but what the test put there itself.
holds_only() {
    local folder=$1
    shift
    local found
    found=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
    [ "${found% }" = "$*" ] || { echo "found in $folder: $found"; return 1; }
}

absent() {
    [ ! -e "$1" ] || { echo "there: $(find "$1" | tr '\n' ' ')"; return 1; }
}

same_text() {
    [ "$(cat "$1")" = "$2" ]
}

uninstall_all() {
    local folder
    folder=$(registered)
    [ -z "$folder" ] || run_as_typed "$(readme_uninstall "$folder")"
}

# Each case starts from a prefix with no Pindrel, whatever the case before left.
reset() {
    wine reg delete "$key" /f >/dev/null 2>&1
    wine reg delete 'HKLM\Software\The Pindrel developers' /f >/dev/null 2>&1
    rm -rf "$program_files/Pindrel" "$start_menu"
}

# Holds a file as another program would, until release_file.
holder_pid=
hold_file() {
    local fifo=$work/holder.fifo
    rm -f "$fifo"
    mkfifo "$fifo"
    wine "$holdfile" "$1" "$2" <"$fifo" >"$work/holder.out" 2>&1 &
    holder_pid=$!
    exec 9>"$fifo"
    for _ in $(seq 100); do
        grep -q held "$work/holder.out" 2>/dev/null && return 0
        sleep 0.2
    done
    cat "$work/holder.out"
    return 1
}

release_file() {
    exec 9>&-
    wait "$holder_pid"
}

rm -rf "$work"
mkdir -p "$work"
echo "Making the installer"
"$cpack" --config "$config" -G NSIS -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    exit 1
}
installer_exe=$(find "$work/package" -maxdepth 1 -name 'pindrel-*-win64.exe')
wineboot --init >/dev/null 2>&1
# A drive letter that this prefix does not have.
missing_drive=
for letter in q r s t u v w x y; do
    [ -e "$WINEPREFIX/dosdevices/$letter:" ] || { missing_drive=${letter^^}; break; }
done

echo "A plain install"
install
check "status 0" test $? -eq 0
(cd "$program_files/Pindrel" && find . -type f ! -name Uninstall.exe | sed 's|^\./||') >"$work/files"
mapfile -t installed_files <"$work/files"
check "pindrel.exe is among the files" grep -qx pindrel.exe "$work/files"
check "registered" is_registered_to 'C:\Program Files\Pindrel'
check "shortcuts" shortcuts_present

echo "Again, over itself"
install
check "status 0" test $? -eq 0
check "complete" complete_in "$program_files/Pindrel"
check "registered" is_registered_to 'C:\Program Files\Pindrel'

reset
echo "1. A file that cannot be written: nothing is left written, registered or linked"
mkdir -p "$drive_c/Partial"
# A file where a folder of the package must go: the files before it are written, then one fails.
echo mine >"$drive_c/Partial/platforms"
install '/D=C:\Partial'
check "status not 0" test $? -ne 0
check "what was written is gone" holds_only "$drive_c/Partial" ./platforms
check "the user's file stays" same_text "$drive_c/Partial/platforms" mine
check "nothing registered" nothing_registered
check "no shortcuts" no_shortcuts
if [ "$(id -u)" -ne 0 ]; then
    mkdir -p "$drive_c/ReadOnly"
    chmod a-w "$drive_c/ReadOnly"
    install '/D=C:\ReadOnly'
    check "read-only folder: status not 0" test $? -ne 0
    check "read-only folder: empty" holds_only "$drive_c/ReadOnly"
    check "read-only folder: nothing registered" nothing_registered
    check "read-only folder: no shortcuts" no_shortcuts
    chmod u+w "$drive_c/ReadOnly"
fi

reset
echo "2. The registered folder is gone"
install
rm -rf "$program_files/Pindrel"
install
check "status 0" test $? -eq 0
check "complete" complete_in "$program_files/Pindrel"
check "registered" is_registered_to 'C:\Program Files\Pindrel'
check "shortcuts" shortcuts_present
echo "   and only its uninstaller is gone"
rm -f "$program_files/Pindrel/Uninstall.exe"
install
check "status 0" test $? -eq 0
check "complete" complete_in "$program_files/Pindrel"

echo "   An upgrade into another folder takes the earlier one away whole"
install '/D=C:\Moved'
check "status 0" test $? -eq 0
check "complete" complete_in "$drive_c/Moved"
check "registered" is_registered_to 'C:\Moved'
check "the earlier folder is gone" absent "$program_files/Pindrel"
install
check "and back: status 0" test $? -eq 0
check "and back: the folder it moved from is gone" absent "$drive_c/Moved"

reset
echo "3. The README's silent uninstall leaves nothing"
install
run_as_typed "$(readme_uninstall 'C:\Program Files\Pindrel')"
check "status 0" test $? -eq 0
check "the folder is gone" absent "$program_files/Pindrel"
check "nothing registered" nothing_registered
check "no shortcuts" no_shortcuts
check "no copy left" test -z "$(find "$drive_c/users" -name Uninstall-Pindrel.exe)"
echo "   An uninstaller run in place, and run again after another install"
install
run_as_typed '"C:\Program Files\Pindrel\Uninstall.exe" /S _?=C:\Program Files\Pindrel'
check "status 0" test $? -eq 0
check "only the uninstaller is left" holds_only "$program_files/Pindrel" ./Uninstall.exe
check "nothing registered" nothing_registered
check "no shortcuts" no_shortcuts
install '/D=C:\Other'
check "installed elsewhere" is_registered_to 'C:\Other'
run_as_typed '"C:\Program Files\Pindrel\Uninstall.exe" /S _?=C:\Program Files\Pindrel'
check "the stale uninstaller: status 0" test $? -eq 0
check "the other install stays registered" is_registered_to 'C:\Other'
check "its shortcuts stay" shortcuts_present
check "its files stay" complete_in "$drive_c/Other"
rm -rf "$program_files/Pindrel"
run_as_typed "$(readme_uninstall 'C:\Other')"
check "the other's own uninstaller: status 0" test $? -eq 0
check "then nothing registered" nothing_registered
check "no shortcuts" no_shortcuts
check "its folder is gone" absent "$drive_c/Other"

reset
echo "4. Folders given with /D="
mkdir -p "$drive_c/Mine"
echo mine >"$drive_c/Mine/README.txt"
install '/D=C:\Mine'
check "a folder with the user's README.txt: status not 0" test $? -ne 0
check "the user's file stays as it was" same_text "$drive_c/Mine/README.txt" mine
check "nothing added" holds_only "$drive_c/Mine" ./README.txt
check "nothing registered" nothing_registered
echo mine >"$drive_c/Mine/Uninstall.exe"
rm "$drive_c/Mine/README.txt"
install '/D=C:\Mine'
check "a folder with an Uninstall.exe of the user's: status not 0" test $? -ne 0
check "it stays" same_text "$drive_c/Mine/Uninstall.exe" mine
for folder in Pindrel "${missing_drive}:\\Pindrel" 'C:Pindrel' 'C:\Blocked\Pindrel'; do
    echo mine >"$drive_c/Blocked"
    install "/D=$folder"
    check "/D=$folder: status not 0" test $? -ne 0
    check "/D=$folder: nothing in Program Files" absent "$program_files/Pindrel"
    check "/D=$folder: nothing registered" nothing_registered
    check "/D=$folder: no shortcuts" no_shortcuts
done
echo "   and one with a space in it, given as typed"
cp "$installer_exe" "$drive_c/pindrel-installer.exe"
run_as_typed '"C:\pindrel-installer.exe" /S /D=C:\My Programs\Pindrel'
check "status 0" test $? -eq 0
check "complete" complete_in "$drive_c/My Programs/Pindrel"
check "registered" is_registered_to 'C:\My Programs\Pindrel'
uninstall_all
check "uninstalled: the folders it made are gone" absent "$drive_c/My Programs"

reset
echo "5. An upgrade that meets files in use"
install
for how in open:README.txt load:Qt6Core.dll; do
    hold_file "${how%%:*}" "C:\\Program Files\\Pindrel\\${how#*:}" || fail "could not hold ${how#*:}"
    install
    check "${how#*:} held: status not 0" test $? -ne 0
    check "${how#*:} held: the old install is complete" complete_in "$program_files/Pindrel"
    check "${how#*:} held: still registered" is_registered_to 'C:\Program Files\Pindrel'
    check "${how#*:} held: its shortcuts stay" shortcuts_present
    install '/D=C:\Elsewhere'
    check "${how#*:} held, another folder: status not 0" test $? -ne 0
    check "${how#*:} held, another folder: nothing there" absent "$drive_c/Elsewhere"
    check "${how#*:} held, another folder: the old one stays registered" \
        is_registered_to 'C:\Program Files\Pindrel'
    release_file
done
install
check "freed: status 0" test $? -eq 0
check "freed: complete" complete_in "$program_files/Pindrel"
uninstall_all
check "uninstalled: Program Files\\Pindrel gone" absent "$program_files/Pindrel"
check "uninstalled: nothing registered" nothing_registered
check "uninstalled: no shortcuts" no_shortcuts

wineserver -k 2>/dev/null
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "Every check passed"
