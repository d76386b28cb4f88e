#!/usr/bin/env bash
# Sets up a Debian 12 machine for Pindrel, builds it, then starts it, runs every test or makes the
# Debian package.
# Safe to run again: it installs only what is missing and rebuilds only what changed.
set -euo pipefail
# The program starts where the command was given, so that its log lands where the user expects.
start_dir=$PWD
cd "$(dirname "$0")"

# Qt's CMake package looks for libxkbcommon's headers at every configure and reports
# "Could NOT find XKB" when they are missing; with them the lookup simply succeeds.
build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libxkbcommon-dev fonts-dejavu-core)
# Only the tests need these: they validate the desktop entry and the AppStream metainfo.
test_packages=(desktop-file-utils appstream)
# cpack reads the package's dependencies from the binary with dpkg-shlibdeps, which calls `file`.
package_packages=(dpkg-dev file)
build_dir=build

usage() {
    echo "usage: $0 run [pindrel's options]|test|sanitize|package" >&2
    exit 2
}

# shellcheck source=tools/install-missing.sh
source "tools/install-missing.sh"

# A build folder left behind by `sudo ./dev.sh ...` holds files this user may not replace.
check_build_dir_owner() {
    local foreign
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

[ $# -ge 1 ] || usage
[ "$1" = run ] || [ $# -eq 1 ] || usage
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
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build_dir" --output-on-failure
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
*)
    usage
    ;;
esac
