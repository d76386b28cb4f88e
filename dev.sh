#!/usr/bin/env bash
# Sets up a Debian 12 machine for Pindrel, builds it, then starts it, runs every test or makes the
# Debian package; or cross-builds it for Windows, runs every test under Wine and makes the
# Windows installer and zip.
# Safe to run again: it installs only what is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")"

build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev fonts-dejavu-core)
# Only the tests need these: they validate the desktop entry and the AppStream metainfo.
test_packages=(desktop-file-utils appstream)
# cpack reads the package's dependencies from the binary with dpkg-shlibdeps, which calls `file`.
package_packages=(dpkg-dev file)
build_dir=build
# The Windows build: MinGW-w64 and the Qt kit made from the same Qt, Wine to run the tests, NSIS
# for the installer; the icon is made with rsvg-convert and icotool; python3 runs the tests'
# pseudo-terminal peer; a Japanese locale gives Wine code page 932 for the tests that need it.
windows_packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix
    mingw-w64-tools wine wine64 nsis librsvg2-bin icoutils python3 locales xz-utils)
windows_build_dir=build-windows
qt_kit=/opt/qt6-mingw
qt_kit_archive=../shared/winkit/qt6-mingw-6.4.2.tar.xz
qt_kit_sha256=953f14befb69bd7f89edace3079ea135849cb76a5488017d4429241112ede76c

usage() {
    echo "usage: $0 run|test|package|windows" >&2
    exit 2
}

# shellcheck source=tools/install-missing.sh
source "tools/install-missing.sh"

build() {
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build_dir"
}

# The kit takes 1.5 hours to build, so it is made once (../shared/winkit/build-kit.sh) and unpacked.
install_qt_kit() {
    [ -x "$qt_kit/bin/qt-cmake" ] && return 0
    echo "Unpacking the Windows Qt kit into $qt_kit"
    echo "$qt_kit_sha256  $qt_kit_archive" | sha256sum --check --quiet
    as_root tar -C "$(dirname "$qt_kit")" -xJf "$qt_kit_archive"
}

install_locale() {
    [ "$(LC_ALL=$1 locale charmap 2>/dev/null)" = UTF-8 ] && return 0
    echo "Generating the $1 locale"
    as_root localedef -i "${1%%.*}" -f UTF-8 "$1"
}

build_windows() {
    "$qt_kit/bin/qt-cmake" -S . -B "$windows_build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPINDREL_BUILD_BENCHMARKS=OFF
    cmake --build "$windows_build_dir"
}

[ $# -eq 1 ] || usage
case "$1" in
run)
    install_missing "${build_packages[@]}"
    build
    exec "$build_dir/src/pindrel"
    ;;
test)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" --output-on-failure
    ;;
package)
    install_missing "${build_packages[@]}" "${package_packages[@]}"
    build
    (cd "$build_dir" && cpack -G DEB)
    ;;
windows)
    install_missing "${windows_packages[@]}"
    install_qt_kit
    install_locale ja_JP.UTF-8
    build_windows
    ctest --test-dir "$windows_build_dir" --output-on-failure
    (cd "$windows_build_dir" && cpack)
    ;;
*)
    usage
    ;;
esac
