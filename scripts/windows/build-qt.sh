#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the part of Qt that Borvane needs, for 64-bit Windows, with Debian's MinGW-w64 cross
# compilers, from Debian's own source of qtbase (Debian's patches applied), once: the result
# goes to a cache folder outside the checkout, named by Qt's version and the hash of this
# script, and is reused while both stay the same. Prints the folder (Qt's prefix) as its last
# line. Logs stay in the cache folder's logs/.
#   scripts/windows/build-qt.sh [--in-background]
#                                         BORVANE_CACHE: where the cache lives
#                                         (default ${XDG_CACHE_HOME:-~/.cache}/borvane)
# With --in-background it installs what it needs and fetches Qt's source now, then builds in
# the background at the lowest priority and returns; a call meanwhile waits for that build.
# Qt for Windows must be the version of the host's Qt tools (moc, rcc, uic run on the host):
# Debian 12's 6.4.2. It is shared and reduced to Core, Gui, Widgets, Print Support and Test,
# with the windows platform plugin and the Windows and Fusion styles; Qt's bundled copies of
# zlib, libpng, FreeType, HarfBuzz and PCRE2 are used, so that nothing of the host leaks in.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../setup.sh"

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$qt_version" ]; then
    borvane_install qt6-base-dev qt6-base-dev-tools
    qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
fi
upstream=${qt_version%%+*}
upstream=${upstream%%-*}
script_hash=$(sha256sum "${BASH_SOURCE[0]}" | cut -c1-12)
cache_root=${BORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/borvane}
prefix="$cache_root/qt-$upstream-mingw64-$script_hash"
logs="$prefix/logs"
borvane_cache_lock "$prefix" "Qt $upstream for Windows" "$logs/background.log"

if [ -f "$prefix/.complete" ]; then
    echo "Qt $upstream for Windows: reusing $prefix" >&2
    echo "$prefix"
    exit 0
fi

borvane_install mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix dpkg-dev \
    perl python3 qt6-base-dev qt6-base-dev-tools cmake ninja-build
# The host tools' own CMake files (Qt6HostInfo): a cross build of Qt takes its tools from there.
# (Asked of dpkg-dev, just installed: on a fresh machine this runs before any compiler is.)
host_cmake_dir="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake"

work="$cache_root/work-qt-$upstream-$script_hash"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$logs"
started=$SECONDS

# Debian's source package of the very version of the host's Qt, from apt's own Debian mirror.
source_dir="$work/source"
mkdir -p "$source_dir"
borvane_apt_source "qt6-base=$qt_version" "$source_dir" "$logs/source.log"
echo "Unpacking it, with Debian's patches" >&2
(cd "$source_dir" && dpkg-source --no-check -x ./*.dsc qtbase) >>"$logs/source.log" 2>&1 ||
    { cat "$logs/source.log" >&2; exit 1; }

# The cross compilers; Qt chains this file from its own toolchain file, so it stays with Qt.
cat >"$prefix/mingw-w64.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# The posix thread model: the win32 one has no std::thread or std::mutex.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

features=(
    # Not used by Borvane, nor by the program as installed: the modules, the image formats
    # (plugins the installer leaves out), the text formats, and the Direct2D platform plugin.
    sql network dbus vulkan concurrent xml zstd icu pkg_config gif ico jpeg movie
    textodfwriter textmarkdownreader textmarkdownwriter direct2d1_1
    # Debian's tarball has no src/3rdparty/wintab, which tablet events need.
    tabletevent
    # Qt's own copies, never the host's.
    system_zlib system_png system_jpeg system_freetype system_harfbuzz system_pcre2
    system_doubleconversion system_textmarkdownreader
)
options=()
for feature in "${features[@]}"; do options+=("-DFEATURE_$feature=OFF"); done
build_qt() {
    echo "Configuring qtbase $upstream for Windows (64-bit, shared, reduced)" >&2
    # Direct2D stays on, its platform plugin only left out: without it, Qt 6.4.2's Print
    # Support does not link (QWindowsFontEngineDirectWrite::createHFONT is missing).
    if ! cmake -S "$source_dir/qtbase" -B "$work/build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir" \
        -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DQT_BUILD_BENCHMARKS=OFF -DINPUT_opengl=no "${options[@]}" \
        >"$logs/configure.log" 2>&1; then
        tail -n 40 "$logs/configure.log" >&2
        echo "FAIL: configuring Qt for Windows (the whole log: $logs/configure.log)" >&2
        return 1
    fi

    echo "Building Qt for Windows (about half an hour on two cores; the log: $logs/build.log)" >&2
    build_started=$SECONDS
    if ! borvane_build_with_progress "$work/build" "$logs/build.log"; then
        echo "FAIL: building Qt for Windows (the whole log: $logs/build.log)" >&2
        return 1
    fi
    built=$SECONDS
    borvane_quietly cmake --install "$work/build"
    rm -rf "$work"
    echo "Qt $upstream for Windows: built in $((built - build_started)) s" \
        "($((SECONDS - started)) s in all), in $prefix" >&2
    touch "$prefix/.complete"
}

if [ "${1:-}" = --in-background ]; then
    borvane_in_background "$logs/background.log" build_qt
    echo "Qt $upstream for Windows: being built in the background, at the lowest priority" \
        "(log: $logs/background.log)" >&2
    exit 0
fi
build_qt
echo "$prefix"
