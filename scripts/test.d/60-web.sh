# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: Borvane as a web page, built by scripts/web.sh (Qt for WebAssembly
# comes from its cache outside the checkout, or is built once, from the start of the test
# command, by 60-web.early) and tested in headless Chromium against the Linux program
# (tests/web/web-tests.sh). It needs Debian 13's emscripten, so it runs where Debian 13 is: in
# the Debian 13 stage's scratch system, with the cache bound in. Elsewhere it is skipped, and
# says so.
if ! borvane_at_least_debian 13; then
    echo "web: skipped here: built and tested by the Debian 13 stage (90-debian13.sh), with" \
        "Debian 13's emscripten"
    exit 77
fi
borvane_install chromium nodejs npm ca-certificates python3 imagemagick xvfb openbox x11-utils \
    xdotool fonts-liberation

started=$SECONDS
web=$("$BORVANE_ROOT/scripts/web.sh" | tee /dev/stderr | tail -n 1)
# The Linux program of the same sources: the test command's, or one built for the purpose.
linux="$BORVANE_ROOT/build/test/borvane"
if [ ! -x "$linux" ]; then
    borvane_setup "$BORVANE_ROOT/build/release" -- -DBUILD_TESTING=OFF
    linux="$BORVANE_ROOT/build/release/borvane"
fi
"$BORVANE_ROOT/tests/web/web-tests.sh" "$web" "$linux" "$BORVANE_ROOT/build/test/web"
echo "web: built and tested in $((SECONDS - started)) s"
