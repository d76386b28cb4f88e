#!/usr/bin/env bash
# Sets up a Debian 12 machine for Pindrel, builds it, then starts it, runs every test or makes the
# Debian package; or cross-builds it for Windows, runs every test under Wine and makes the
# Windows installer and zip.
# Safe to run again: it installs only what is missing and rebuilds only what changed.
set -euo pipefail
# The program starts where the command was given, so that its log lands where the user expects.
start_dir=$PWD
cd "$(dirname "$0")"

# Qt's CMake package looks for libxkbcommon's headers at every configure and reports
# "Could NOT find XKB" when they are missing; with them the lookup simply succeeds.
# lrelease (qt6-l10n-tools) makes the English plural forms.
build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev qt6-l10n-tools libxkbcommon-dev
    fonts-dejavu-core)
# Only the tests need these: they validate the desktop entry and the AppStream metainfo.
test_packages=(desktop-file-utils appstream)
# cpack reads the package's dependencies from the binary with dpkg-shlibdeps, which calls `file`.
package_packages=(dpkg-dev file)
build_dir=build
# The Windows build: MinGW-w64 and the Qt kit made from the same Qt, Wine to run the tests, NSIS
# for the installer; the icon is made with rsvg-convert and icotool; python3 runs the tests'
# pseudo-terminal peer; a Japanese locale gives Wine code page 932 for the tests that need it.
windows_packages=("${build_packages[@]}" qt6-base-dev-tools g++-mingw-w64-x86-64-posix
    mingw-w64-tools wine wine64 nsis librsvg2-bin icoutils python3 locales xz-utils)
windows_build_dir=build-windows
# The Windows Qt kit: where it is installed, and the prebuilt archive of it that may be unpacked
# there instead of building it (that of ../shared/winkit/, where there is one). The sha256 is of
# the archive this project was tested with: the kit with QtNetwork (and QtConcurrent).
qt_kit=${PINDREL_QT_KIT:-/opt/qt6-mingw}
qt_kit_archive=${PINDREL_QT_KIT_ARCHIVE:-../shared/winkit/qt6-mingw-6.4.2-network.tar.xz}
qt_kit_sha256=98f0f63d3e0bd51ca63fce33a1b3464a25d8dba70dbdfdb436b8cd2b3ea8a364
# The font sets the suite can be run under, each alone (tests/fonts/), and their packages.
declare -A font_set_packages=(
    [dejavu]=fonts-dejavu-core
    [liberation]=fonts-liberation2
    [urw]=fonts-urw-base35
    [all]="fonts-dejavu-core fonts-liberation2 fonts-urw-base35 fonts-droid-fallback"
)

usage() {
    echo "usage: $0 run [pindrel's options]|test [FONT_SET...]|sanitize|package|windows [FONT_SET...]" >&2
    echo "FONT_SET: ${!font_set_packages[*]}" >&2
    exit 2
}

# shellcheck source=tools/install-missing.sh
source "tools/install-missing.sh"

# A build folder left behind by `sudo ./dev.sh ...` holds files this user may not replace.
check_build_dir_owner() {
    local foreign build_dir=${1:-$build_dir}
    [ "$(id -u)" -eq 0 ] && return 0
    [ -e "$build_dir" ] || return 0
    foreign=$(find "$build_dir" ! -user "$(id -u)" -print -quit)
    [ -z "$foreign" ] && return 0
    echo "$PWD/$build_dir belongs in part to $(stat -c %U "$foreign") (after \`sudo $0 ...\`, say)," >&2
    echo "so $(id -un) cannot build there. Give it back as root (or with sudo), then run this again:" >&2
    echo "    sudo chown -R $(id -un): '$PWD/$build_dir'" >&2
    exit 1
}

# Builds the named targets, or everything.
build() {
    check_build_dir_owner
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    if [ $# -gt 0 ]; then
        cmake --build "$build_dir" --target "$@"
    else
        cmake --build "$build_dir"
    fi
}

# The kit takes about 25 minutes to build, so a prebuilt one is unpacked where there is one. A
# kit installed before Pindrel needed QtNetwork (from the first archive) is replaced, once the one
# to take its place has been checked.
install_qt_kit() {
    if [ -x "$qt_kit/bin/qt-cmake" ] && [ -d "$qt_kit/lib/cmake/Qt6Network" ]; then
        return 0
    fi
    local stale=
    [ -x "$qt_kit/bin/qt-cmake" ] && stale=yes
    if [ -n "${PINDREL_QT_KIT_ARCHIVE:-}" ] || [ -e "$qt_kit_archive" ]; then
        echo "Unpacking the Windows Qt kit $qt_kit_archive into $qt_kit"
        if ! echo "$qt_kit_sha256  $qt_kit_archive" | sha256sum --check --quiet; then
            echo "$qt_kit_archive is not the kit this project was tested with (sha256" >&2
            echo "$qt_kit_sha256). Name another with PINDREL_QT_KIT_ARCHIVE, or unset it to build" >&2
            echo "the kit from source." >&2
            exit 1
        fi
        remove_stale_kit "$stale"
        as_root mkdir -p "$qt_kit"
        as_root tar -C "$qt_kit" --strip-components=1 -xJf "$qt_kit_archive"
        return 0
    fi
    remove_stale_kit "$stale"
    echo "There is no Windows Qt kit in $qt_kit, and no prebuilt one to unpack (PINDREL_QT_KIT_ARCHIVE"
    echo "names one), so it is built from source now: this is done once, and takes about 25 minutes"
    echo "on 2 cores."
    tools/winkit/build-qt-kit.sh "$qt_kit"
}

remove_stale_kit() {
    [ -n "$1" ] || return 0
    echo "The Windows Qt kit in $qt_kit has no QtNetwork, which Pindrel needs: it is replaced."
    as_root rm -rf "$qt_kit"
}

# Checks the font sets named, and installs their fonts.
install_font_sets() {
    local set packages=() set_packages
    for set in "$@"; do
        [ -n "${font_set_packages[$set]:-}" ] || usage
        read -ra set_packages <<<"${font_set_packages[$set]}"
        packages+=("${set_packages[@]}")
    done
    install_missing "${packages[@]}"
}

# Runs the suite in the build folder, with the machine's fonts or once under each font set named.
run_suite() {
    local dir=$1 set
    shift
    [ $# -gt 0 ] || { ctest --test-dir "$dir" --output-on-failure; return; }
    for set in "$@"; do
        echo "The suite with the $set fonts only"
        FONTCONFIG_FILE="$PWD/$dir/fonts/$set.conf" ctest --test-dir "$dir" --output-on-failure
    done
}

install_locale() {
    [ "$(LC_ALL=$1 locale charmap 2>/dev/null)" = UTF-8 ] && return 0
    echo "Generating the $1 locale"
    as_root localedef -i "${1%%.*}" -f UTF-8 "$1"
}

build_windows() {
    check_build_dir_owner "$windows_build_dir"
    # The kit's qt-cmake names the compilers' toolchain file by where the kit was made.
    "$qt_kit/bin/qt-cmake" -S . -B "$windows_build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$qt_kit/toolchain-mingw64.cmake" -DPINDREL_BUILD_BENCHMARKS=OFF
    cmake --build "$windows_build_dir"
}

[ $# -ge 1 ] || usage
case "$1" in run | test | windows) ;; *) [ $# -eq 1 ] || usage ;; esac
case "$1" in
run)
    # Without a desktop Qt would abort only after the whole set-up and build: say so at once.
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "$0 run: Pindrel needs a desktop session, and there is none here (neither DISPLAY" >&2
        echo "nor WAYLAND_DISPLAY is set). Run it from a terminal on your desktop." >&2
        echo "Nothing was installed or built; '$0 test' needs no desktop." >&2
        exit 1
    fi
    install_missing "${build_packages[@]}"
    build pindrel
    program="$PWD/$build_dir/src/pindrel"
    cd "$start_dir"
    exec "$program" "${@:2}"
    ;;
test)
    install_font_sets "${@:2}"
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build
    QT_QPA_PLATFORM=offscreen run_suite "$build_dir" "${@:2}"
    ;;
sanitize)
    # The tests again, in a build of their own that stops at the first memory or undefined-
    # behaviour fault.
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build_dir=build-sanitize
    check_build_dir_owner
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPINDREL_BUILD_BENCHMARKS=OFF \
        -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake --build "$build_dir"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" --output-on-failure
    ;;
package)
    install_missing "${build_packages[@]}" "${package_packages[@]}"
    build
    (cd "$build_dir" && cpack -G DEB)
    ;;
windows)
    install_font_sets "${@:2}"
    install_missing "${windows_packages[@]}"
    install_qt_kit
    install_locale ja_JP.UTF-8
    build_windows
    run_suite "$windows_build_dir" "${@:2}"
    (cd "$windows_build_dir" && cpack)
    ;;
*)
    usage
    ;;
esac
