#!/usr/bin/env bash
# Builds the Qt 6.4.2 kit for 64-bit Windows that `dev.sh windows` compiles against: Core, Gui,
# Widgets, Network, Concurrent, Test and SerialPort as DLLs, the Windows platform plugin and the
# styles, cross-built with MinGW-w64. moc, uic and rcc are Debian's, of the same version.
#
# What it builds: qtbase is the upstream source as Debian 12 ships it, the `.orig` tarball of the
# source package qt6-base (repacked by Debian: "+dfsg", some files taken out, wintab.h among
# them), WITHOUT Debian's own patches, which are for Linux; one change of its own is made (see
# below). qtserialport is the upstream release kept beside this script, since the archive lists
# Debian's source for it but not its files.
#
# Each step leaves a stamp in WORK_DIR/stamps once its checks have passed, and a run after an
# interruption or a failure starts again at the first step without one. A failure prints the
# end of the step's log.
# Took about 25 minutes on 2 cores. Usage: build-qt-kit.sh [--source-only] PREFIX [WORK_DIR]
# (--source-only stops once the source is fetched, unpacked and checked.)
set -eEuo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_only=false
if [ "${1:-}" = --source-only ]; then
    source_only=true
    shift
fi
[ $# -ge 1 ] || { echo "usage: $0 [--source-only] PREFIX [WORK_DIR]" >&2; exit 2; }
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

# The log of the step that runs, shown in part when it fails.
log=
on_failure() {
    local status=$? line=$1
    echo "build-qt-kit.sh failed (status $status, line $line)." >&2
    if [ -n "$log" ] && [ -s "$log" ]; then
        echo "The last 40 lines of $log:" >&2
        tail -n 40 "$log" >&2
    fi
    echo "Run the same command again to carry on from the step that failed." >&2
}
trap 'on_failure $LINENO' ERR

# The prefix may need root (/opt); everything else is built as the caller.
install_as() {
    if mkdir -p "$prefix" 2>/dev/null && [ -w "$prefix" ]; then "$@"; else as_root "$@"; fi
}

# A step is done when its stamp holds what it was done for: the source's version, or the prefix
# that the kit's paths are built for.
stamps=$work/stamps
done_step() {
    [ -f "$stamps/$1" ] && [ "$(cat "$stamps/$1")" = "${2:-$prefix}" ]
}
stamp() {
    mkdir -p "$stamps"
    echo "${2:-$prefix}" >"$stamps/$1"
}

# The apt entry that add_source_entry made, taken away again once the source is here, so that
# the machine's apt is left as it was found.
added_list=
remove_source_entry() {
    [ -n "$added_list" ] || return 0
    echo "Removing $added_list again"
    as_root rm -f "$added_list"
    as_root apt-get update >/dev/null || true
    added_list=
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
    added_list=$list
    # An entry apt cannot use would stop every later apt command on this machine.
    if ! as_root apt-get update; then
        remove_source_entry
        return 1
    fi
}

mkdir -p "$work"
cd "$work"
src=qtbase-everywhere-src-$qt_version
# The source package's version, which the binary packages' own may differ from (binNMUs).
source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
upstream_version=${source_version#*:}
upstream_version=${upstream_version%-*}
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)

if ! done_step source "$source_version"; then
    log=$work/source.log
    : >"$log"
    echo "Fetching and unpacking qt6-base $source_version (log: $log)"
    rm -rf "$src" "$src.partial"
    add_source_entry >>"$log" 2>&1
    trap 'remove_source_entry' EXIT
    apt-get source --download-only qt6-base="$source_version" >>"$log" 2>&1
    remove_source_entry >>"$log" 2>&1
    # apt has checked each file against the archive's signed index.
    mkdir "$src.partial"
    tar -C "$src.partial" --strip-components=1 -xf "qt6-base_${upstream_version}.orig.tar.xz" \
        >>"$log" 2>&1
    # Qt 6.4.2's Windows platform plugin takes the dynamic-OpenGL path even when OpenGL is off,
    # and then fails to build: that path needs OpenGL as well.
    sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
        "$src.partial/src/plugins/platforms/windows/qwindowswindow.cpp"
    grep -q '^#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)$' \
        "$src.partial/src/plugins/platforms/windows/qwindowswindow.cpp"
    grep -q "^set(QT_REPO_MODULE_VERSION \"$qt_version\")" "$src.partial/.cmake.conf"
    mv "$src.partial" "$src"
    stamp source "$source_version"
fi
if $source_only; then
    echo "The source is in $work/$src"
    exit 0
fi

install_as install -D -m 644 "$here/toolchain-mingw64.cmake" "$prefix/toolchain-mingw64.cmake"

# Only what Pindrel uses, with Network and Concurrent; the rest would double the build time.
# Debian's source leaves out the pen-tablet header (wintab.h), so tablet events go too, and the
# third-party libraries are Qt's own copies, as MinGW has none of its own.
# A new source means a new kit.
[ "$(cat "$stamps/qtbase-source" 2>/dev/null)" = "$source_version" ] || rm -f "$stamps/qtbase"
if ! done_step qtbase; then
    log=$work/qtbase.log
    : >"$log"
    echo "Configuring qtbase (log: $log)"
    rm -rf build-qtbase
    cmake -S "$src" -B build-qtbase -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain-mingw64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$multiarch/cmake" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_network=ON -DFEATURE_concurrent=ON \
        -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF -DFEATURE_freetype=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF >>"$log" 2>&1
    echo "Building qtbase with $jobs jobs"
    cmake --build build-qtbase -j "$jobs" >>"$log" 2>&1
    install_as cmake --install build-qtbase --strip >>"$log" 2>&1
    for file in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll \
        bin/Qt6Concurrent.dll bin/Qt6Test.dll plugins/platforms/qwindows.dll bin/qt-cmake; do
        [ -e "$prefix/$file" ] || { echo "$prefix/$file is missing after the install" >>"$log"; false; }
    done
    stamp qtbase
    stamp qtbase-source "$source_version"
fi

if ! done_step serialport; then
    log=$work/qtserialport.log
    : >"$log"
    echo "Building qtserialport (log: $log)"
    rm -rf "qtserialport-everywhere-src-$qt_version" build-serialport
    {
        echo "$serialport_sha256  $here/$serialport_tarball" | sha256sum --check --quiet
        tar -xf "$here/$serialport_tarball"
    } >>"$log" 2>&1
    "$prefix/bin/qt-cmake" -S "qtserialport-everywhere-src-$qt_version" -B build-serialport \
        -G Ninja -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        >>"$log" 2>&1
    cmake --build build-serialport -j "$jobs" >>"$log" 2>&1
    install_as cmake --install build-serialport --strip >>"$log" 2>&1
    [ -e "$prefix/bin/Qt6SerialPort.dll" ] ||
        { echo "$prefix/bin/Qt6SerialPort.dll is missing after the install" >>"$log"; false; }
    stamp serialport
fi

# Every MinGW program needs its compiler's run-time DLLs beside it; they ship with the kit's.
if ! done_step runtime; then
    log=$work/runtime.log
    : >"$log"
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
        install_as install -m 644 "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" \
            "$prefix/bin/" >>"$log" 2>&1
    done
    install_as install -m 644 /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$prefix/bin/" \
        >>"$log" 2>&1
    install_as find "$prefix" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} + \
        >>"$log" 2>&1
    stamp runtime
fi
echo "The Windows Qt kit is in $prefix"
