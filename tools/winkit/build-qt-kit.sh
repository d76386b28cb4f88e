#!/usr/bin/env bash
# Builds the Qt 6.4.2 kit for 64-bit Windows that `dev.sh windows` compiles against: Core, Gui,
# Widgets, Test and SerialPort as DLLs, the Windows platform plugin and the styles, cross-built
# with MinGW-w64. qtbase is Debian 12's own source package, qt6-base; qtserialport is the upstream
# release kept beside this script, since the archive lists Debian's source for it but not its
# files. moc, uic and rcc are Debian's, of the same version.
# Takes about 1.5 hours on 2 cores. Usage: build-qt-kit.sh PREFIX [WORK_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 PREFIX [WORK_DIR]" >&2; exit 2; }
prefix=$(realpath -m "$1")
work=$(realpath -m "${2:-$here/../../build-qt-kit}")
jobs=${JOBS:-$(nproc)}
qt_version=6.4.2
serialport_tarball=qtserialport-everywhere-src-$qt_version.tar.xz
serialport_sha256=682626d3ae07074df0f707dab880f1eab1c133a04d5bed688a3ec63af305ae89

# shellcheck source=../install-missing.sh
source "$here/../install-missing.sh"
install_missing cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools qt6-base-dev \
    qt6-base-dev-tools dpkg-dev xz-utils

# The prefix may need root (/opt); everything else is built as the caller.
install_as() {
    if mkdir -p "$prefix" 2>/dev/null && [ -w "$prefix" ]; then "$@"; else as_root "$@"; fi
}

# `apt-get source` needs a deb-src entry; one is added for the archive that qt6-base-dev came
# from, signed by the same key as the entry for its binaries (apt refuses two different ones).
add_source_entry() {
    apt-get source --print-uris qt6-base >/dev/null 2>&1 && return 0
    local origin uri suite component entry file index signed_by list
    origin=$(apt-cache policy qt6-base-dev | awk '/^ \*\*\* /{getline; print}')
    read -r _ uri suite _ <<<"$origin"
    component=${suite#*/}
    suite=${suite%%/*}
    # shellcheck disable=SC2016 # apt expands $(SOURCESENTRY) itself.
    entry=$(apt-get indextargets --format '$(SOURCESENTRY)' "Release: $suite" \
        "Component: $component" 'Identifier: Packages' | awk 'NR == 1')
    file=${entry%:*}
    index=${entry##*:}
    if [[ $file == *.sources ]]; then
        signed_by=$(awk -v RS= -v n="$index" 'NR == n' "$file" | sed -n 's/^Signed-By: *//p')
    else
        signed_by=$(sed -n "${index}p" "$file" | sed -n 's/.*signed-by=\([^] ]*\).*/\1/p')
    fi
    list=/etc/apt/sources.list.d/pindrel-qt6-base-source.sources
    echo "Adding a deb-src entry for $uri $suite $component to $list, for qt6-base's source"
    {
        printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n' "$uri" "$suite" "$component"
        [ -z "$signed_by" ] || printf 'Signed-By: %s\n' "$signed_by"
    } | as_root tee "$list" >/dev/null
    # An entry apt cannot use would stop every later apt command on this machine.
    if ! as_root apt-get update; then
        as_root rm -f "$list"
        return 1
    fi
}

mkdir -p "$work"
cd "$work"
src=qtbase-everywhere-src-$qt_version
if [ ! -d "$src" ]; then
    add_source_entry
    apt-get source --download-only qt6-base="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
    tar -xf qt6-base_"$qt_version"*.orig.tar.xz
    # Qt 6.4.2's Windows platform plugin takes the dynamic-OpenGL path even when OpenGL is off,
    # and then fails to build: that path needs OpenGL as well.
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$src/src/plugins/platforms/windows/qwindowswindow.cpp"
    grep -q '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' \
        "$src/src/plugins/platforms/windows/qwindowswindow.cpp"
fi

install_as install -D -m 644 "$here/toolchain-mingw64.cmake" "$prefix/toolchain-mingw64.cmake"
# Only what the program uses; the rest would double the build time. Debian's source leaves out
# the pen-tablet header (wintab.h), so tablet events go too, and the third-party libraries are
# Qt's own copies, as MinGW has none of its own.
if [ ! -f build-qtbase/installed ]; then
    echo "Configuring qtbase (log: $work/qtbase.log)"
    cmake -S "$src" -B build-qtbase -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain-mingw64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF -DFEATURE_freetype=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF >qtbase.log 2>&1
    echo "Building qtbase with $jobs jobs"
    cmake --build build-qtbase -j "$jobs" >>qtbase.log 2>&1
    install_as cmake --install build-qtbase --strip >>qtbase.log 2>&1
    touch build-qtbase/installed
fi

if [ ! -f build-serialport/installed ]; then
    echo "$serialport_sha256  $here/$serialport_tarball" | sha256sum --check --quiet
    rm -rf "qtserialport-everywhere-src-$qt_version"
    tar -xf "$here/$serialport_tarball"
    echo "Building qtserialport (log: $work/qtserialport.log)"
    "$prefix/bin/qt-cmake" -S "qtserialport-everywhere-src-$qt_version" -B build-serialport \
        -G Ninja -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        >qtserialport.log 2>&1
    cmake --build build-serialport -j "$jobs" >>qtserialport.log 2>&1
    install_as cmake --install build-serialport --strip >>qtserialport.log 2>&1
    touch build-serialport/installed
fi

# Every MinGW program needs its compiler's run-time DLLs beside it; they ship with the kit's.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
    install_as install -m 644 "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/"
done
install_as install -m 644 /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$prefix/bin/"
install_as find "$prefix" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
echo "The Windows Qt kit is in $prefix"
