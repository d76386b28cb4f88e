#!/usr/bin/env bash
# Sets up a Debian 12 machine for Pindrel, builds it, then starts it, runs every test or makes the
# Debian package.
# Safe to run again: it installs only what is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")"

build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev fonts-dejavu-core)
# Only the tests need these: they validate the desktop entry and the AppStream metainfo.
test_packages=(desktop-file-utils appstream)
# cpack reads the package's dependencies from the binary with dpkg-shlibdeps, which calls `file`.
package_packages=(dpkg-dev file)
build_dir=build

usage() {
    echo "usage: $0 run|test|sanitize|package" >&2
    exit 2
}

# shellcheck source=tools/install-missing.sh
source "tools/install-missing.sh"

build() {
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build_dir"
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
sanitize)
    # The tests again, in a build of their own that stops at the first memory or undefined-
    # behaviour fault.
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build_dir=build-sanitize
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
