#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Borvane as a web page: installs what is missing, builds Qt for WebAssembly once
# (scripts/web/build-qt.sh, kept in a cache outside the checkout) and Borvane with it
# (build/wasm, warnings as errors), and writes build/web, a folder of static files that any web
# server can serve: the program's page (index.html), the program (borvane.js, borvane.wasm),
# Qt's loader, the icons, the licence, and gzip and brotli copies of the large files beside
# them. Prints that folder's path as its last line. Exits non-zero on any failure.
# On Debian 13 or later it works directly; elsewhere (Debian 12, whose emscripten is too old)
# through a scratch Debian 13 system (scripts/debian13.sh, root or sudo needed), whose build/web
# it copies out.
# Try it with: scripts/web/serve.py build/web 8080, then http://localhost:8080/ in a browser.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

out="$BORVANE_ROOT/build/web"
started=$SECONDS

if ! borvane_at_least_debian 13; then
    # shellcheck source-path=SCRIPTDIR source=debian13.sh
    source "$BORVANE_ROOT/scripts/debian13.sh"
    mkdir -p "$BORVANE_ROOT/build/web-debian13"
    root="$(cd "$BORVANE_ROOT/build/web-debian13" && pwd -P)/root"
    trap 'debian13_remove "$root"' EXIT
    echo "Building the web page in a scratch Debian 13 (emscripten 3.1.69, Qt 6.8)"
    debian13_make "$root" "$BORVANE_ROOT/build/web-debian13/bootstrap.log"
    debian13_run "$root" -- ./scripts/web.sh | sed '$d'
    rm -rf "$out"
    cp -r "$root$debian13_inside/checkout/build/web" "$out"
    echo "web: the page written in $((SECONDS - started)) s"
    echo "$out"
    exit 0
fi

borvane_install emscripten nodejs qt6-base-dev qt6-base-dev-tools cmake ninja-build \
    fonts-liberation gzip brotli
qt=$("$BORVANE_ROOT/scripts/web/build-qt.sh" | tail -n 1)
export EMSDK="$qt/emsdk"
build="$BORVANE_ROOT/build/wasm"
echo "Configuring: build/wasm (WebAssembly, with Qt from $qt)"
# Debian's Qt CMake files leave the platform plugin out of a static program unless told.
borvane_quietly "$qt/bin/qt-cmake" -S "$BORVANE_ROOT" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DBORVANE_WERROR=ON -DBUILD_TESTING=OFF \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF
echo "Building: build/wasm"
borvane_quietly cmake --build "$build" --parallel "$(nproc)"
rm -rf "$out"
borvane_quietly cmake --install "$build" --prefix "$out"
# Servers that send files as they find them compressed beside (nginx's gzip_static,
# brotli_static; scripts/web/serve.py) send these instead.
for file in "$out"/*.wasm "$out"/*.js "$out"/*.html; do
    gzip -9 -n -k "$file"
    brotli -q 11 -k "$file"
done
total() { du -cb "$@" | tail -n 1 | cut -f1; }
echo "web: the page written in $((SECONDS - started)) s; the program $(total "$out"/borvane.wasm \
"$out"/borvane.js) bytes, $(total "$out"/borvane.wasm.gz "$out"/borvane.js.gz) with gzip," \
    "$(total "$out"/borvane.wasm.br "$out"/borvane.js.br) with brotli"
echo "$out"
