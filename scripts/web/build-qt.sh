#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the part of Qt that Borvane needs, for WebAssembly, with Debian's emscripten, from
# Debian's own source of qtbase (Debian's patches applied), once: the result goes to a cache
# folder outside the checkout, named by Qt's version, emscripten's and the hash of the options
# below, and is reused while these stay the same. Prints the folder (Qt's prefix) as its last
# line; the emscripten set-up that Qt's CMake files look for (EMSDK) is its emsdk/. Logs stay
# in the cache folder's logs/.
#   scripts/web/build-qt.sh [--in-background]
#                                     BORVANE_CACHE: where the cache lives
#                                     (default ${XDG_CACHE_HOME:-~/.cache}/borvane)
# With --in-background it installs what it needs and fetches Qt's source now, then builds in
# the background at the lowest priority and returns; a call meanwhile waits for that build.
# Debian 13 or later: Debian 12's emscripten is too old for any Qt 6. Qt for WebAssembly must be
# the version of the host's Qt tools (moc, rcc, uic run on the host): Debian 13's 6.8.2. It is
# static, single-threaded and reduced to Core, Gui and Widgets with the wasm platform plugin;
# Qt's bundled copies of zlib, libpng, FreeType, HarfBuzz and PCRE2 go in.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../setup.sh"

if ! borvane_at_least_debian 13; then
    echo "Qt for WebAssembly is built on Debian 13 or later (emscripten 3.1.69);" \
        "this is $(. /etc/os-release && echo "${PRETTY_NAME:-an unknown system}")" >&2
    exit 1
fi
borvane_install emscripten nodejs qt6-base-dev qt6-base-dev-tools cmake ninja-build dpkg-dev \
    python3 perl
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
upstream=${qt_version%%+*}
upstream=${upstream%%-*}
emscripten=$(cat /usr/share/emscripten/emscripten-version.txt)
emscripten=${emscripten//\"/}

# Not used by Borvane in the browser, and not built: modules, plugins and the image formats it
# never reads. (OpenGL stays: the platform plugin includes its headers; XPM too, which drag and
# drop needs.)
features=(sql network concurrent dbus xml testlib printsupport sqlmodel gif ico jpeg
          imageformat_jpeg imageformat_bmp imageformat_ppm imageformat_xbm
          movie textodfwriter textmarkdownreader textmarkdownwriter vulkan)
# A unity build: Qt's sources compiled in batches, each batch one compiler run, which builds
# it about a quarter quicker.
options=(-qt-host-path /usr -platform wasm-emscripten -release -static -nomake examples
         -nomake tests -nomake benchmarks -unity-build
         -device-option QT_EMSCRIPTEN_ASYNCIFY=1)
for feature in "${features[@]}"; do options+=("-no-feature-$feature"); done
key=$(printf '%s\n' "$upstream" "$emscripten" "${options[@]}" | sha256sum | cut -c1-12)
cache_root=${BORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/borvane}
prefix="$cache_root/qt-$upstream-wasm-$key"
logs="$prefix/logs"
borvane_cache_lock "$prefix" "Qt $upstream for WebAssembly" "$logs/background.log"

if [ -f "$prefix/.complete" ]; then
    echo "Qt $upstream for WebAssembly: reusing $prefix" >&2
    echo "$prefix"
    exit 0
fi

work="$cache_root/work-qt-$upstream-wasm-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$logs"
started=$SECONDS

# Qt's CMake files find emscripten through EMSDK alone: a folder laid out as the emscripten SDK,
# whose .emscripten names its root, here Debian's emscripten (with its own configuration and
# its prebuilt system libraries).
mkdir -p "$prefix/emsdk/upstream"
ln -s /usr/share/emscripten "$prefix/emsdk/upstream/emscripten"
echo "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'" >"$prefix/emsdk/.emscripten"
export EMSDK="$prefix/emsdk"

# Debian's source package of the very version of the host's Qt, from apt's own Debian mirror.
source_dir="$work/source"
mkdir -p "$source_dir"
borvane_apt_source "qt6-base=$qt_version" "$source_dir" "$logs/source.log"
echo "Unpacking it, with Debian's patches" >&2
(cd "$source_dir" && dpkg-source --no-check -x ./*.dsc qtbase) >>"$logs/source.log" 2>&1 ||
    { cat "$logs/source.log" >&2; exit 1; }

build_qt() {
    echo "Configuring qtbase $upstream for WebAssembly (static, reduced, emscripten $emscripten)" >&2
    mkdir -p "$work/build"
    if ! (cd "$work/build" && "$source_dir/qtbase/configure" -prefix "$prefix" "${options[@]}" -- \
        -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake") \
        >"$logs/configure.log" 2>&1; then
        tail -n 40 "$logs/configure.log" >&2
        echo "FAIL: configuring Qt for WebAssembly (the whole log: $logs/configure.log)" >&2
        return 1
    fi

    echo "Building Qt for WebAssembly (about ten minutes on two cores; the log: $logs/build.log)" >&2
    build_started=$SECONDS
    if ! borvane_build_with_progress "$work/build" "$logs/build.log"; then
        echo "FAIL: building Qt for WebAssembly (the whole log: $logs/build.log)" >&2
        return 1
    fi
    built=$SECONDS
    borvane_quietly cmake --install "$work/build"
    rm -rf "$work"
    echo "Qt $upstream for WebAssembly: built in $((built - build_started)) s" \
        "($((SECONDS - started)) s in all), in $prefix" >&2
    touch "$prefix/.complete"
}

if [ "${1:-}" = --in-background ]; then
    borvane_in_background "$logs/background.log" build_qt
    echo "Qt $upstream for WebAssembly: being built in the background, at the lowest priority" \
        "(log: $logs/background.log)" >&2
    exit 0
fi
build_qt
echo "$prefix"
