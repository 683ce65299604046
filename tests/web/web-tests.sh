#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Borvane's web page tested as a user uses it, in headless Chromium, against the Linux program:
#   tests/web/web-tests.sh WEB_FOLDER LINUX_PROGRAM LOGS
# WEB_FOLDER is scripts/web.sh's build/web, LINUX_PROGRAM the desktop program of the same
# sources. The folder is served on 127.0.0.1 (scripts/web/serve.py) and walked in Chromium
# (walk.mjs: the walk of tests/walk/plots.walk, the PNG saved through a download, the screen
# reader's names of the buttons, c = 3 refused, "ESCI" and the page's ending, a console with no
# error or warning); the Linux program takes the same walk in a real X server whose screen gives
# its plot window the client area the page gave (tests/windows/walk.sh). The two plot windows
# must then be the same drawing, pixel for pixel and colour by colour, but for their buttons, and
# the saved PNG the same drawing too. Pictures and logs stay in LOGS. Needs Debian's chromium,
# node with npm, ImageMagick, Xvfb, openbox and xdotool; the client of the DevTools protocol
# (puppeteer-core) comes from the npm registry, pinned by package-lock.json.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
web="${1:?usage: web-tests.sh WEB_FOLDER LINUX_PROGRAM LOGS}"
linux="${2:?usage: web-tests.sh WEB_FOLDER LINUX_PROGRAM LOGS}"
logs="${3:?usage: web-tests.sh WEB_FOLDER LINUX_PROGRAM LOGS}"
mkdir -p "$logs"
server=""
trap '[ -z "$server" ] || kill "$server" 2>/dev/null || true' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "Installing the DevTools protocol's client (npm ci, tests/web/package-lock.json)"
# Node trusts the system's certificate authorities too (those a network adds for https).
[ ! -f /etc/ssl/certs/ca-certificates.crt ] ||
    export NODE_EXTRA_CA_CERTS="${NODE_EXTRA_CA_CERTS:-/etc/ssl/certs/ca-certificates.crt}"
(cd "$here" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error) >"$logs/npm.log" 2>&1 ||
    { cat "$logs/npm.log" >&2; fail "npm ci in tests/web"; }

# The page on a free port of this machine only.
address_file="$logs/address"
: >"$address_file"
python3 "$here/../../scripts/web/serve.py" "$web" 0 >"$address_file" 2>"$logs/serve.log" &
server=$!
for _ in $(seq 100); do
    [ -s "$address_file" ] && break
    kill -0 "$server" 2>/dev/null || { cat "$logs/serve.log" >&2; fail "the page's server ended"; }
    sleep 0.1
done
address=$(head -n 1 "$address_file")
address=${address/localhost/127.0.0.1}
[ -n "$address" ] || fail "the page's server gave no address"

echo "Walking the page in $(chromium --version 2>/dev/null || echo chromium), at $address"
node "$here/walk.mjs" "$address" "$logs" | tee "$logs/walk.log" || fail "the walk through the page"
summary=$(tail -n 1 "$logs/walk.log")
read -r width height download < <(node -e '
    const s = JSON.parse(process.argv[1]);
    console.log(s.plot.width, s.plot.height, s.download)' "$summary")

# The Linux program's walk, on a screen whose maximized window has that client area: the screen
# is taller than the client area by openbox's title bar, which is as tall as the fonts installed
# make it (19 pixels on most systems here, 17 in a bare Debian 13); where the first walk shows
# another client area, the walk is taken again on a screen made to fit.
linux_walk() {
    X_SCREEN_WIDTH=$width X_SCREEN_HEIGHT=$((height + $1)) \
        "$here/../windows/walk.sh" "$logs/plot-linux.png" "$linux" >"$logs/walk-linux.log" 2>&1 ||
        { cat "$logs/walk-linux.log" >&2; fail "the walk through the Linux program's windows"; }
}
title_bar=19
linux_walk "$title_bar"
linux_height=$(identify -format '%h' "$logs/plot-linux.png")
if [ "$linux_height" != "$height" ]; then
    title_bar=$((title_bar - (linux_height - height)))
    echo "openbox's title bar here: $title_bar pixels; the Linux walk again"
    linux_walk "$title_bar"
fi
size_web=$(identify -format '%wx%h' "$logs/plot-web.png")
size_linux=$(identify -format '%wx%h' "$logs/plot-linux.png")
[ "$size_web" = "$size_linux" ] ||
    fail "the plot window's client area is $size_web in the page, $size_linux on Linux"

# The buttons are covered in each picture (their captions are drawn by each system's text
# rasterizer); the rest is the drawing.
cover=()
for button in "3000 1800 1695 615" "960 720 1695 615" "3000 720 1695 615" "960 1800 1695 615"; do
    read -r left top w h <<<"$button"
    cover+=(-draw "rectangle $((left / 15 - 3)),$((top / 15 - 3)) $(((left + w) / 15 + 3)),$(((top + h) / 15 + 3))")
done
drawing() { convert "$1" -alpha off -fill '#ff00ff' "${cover[@]}" "PNG24:$2"; }
drawing "$logs/plot-web.png" "$logs/drawing-web.png"
drawing "$logs/plot-linux.png" "$logs/drawing-linux.png"
differing=$(compare -metric AE "$logs/drawing-web.png" "$logs/drawing-linux.png" \
    "$logs/drawing-difference.png" 2>&1) || true
[ "$differing" = 0 ] ||
    fail "the page's plot window differs from Linux's in $differing pixels (see $logs/drawing-*.png)"
# Colour by colour: the two plots' (QBColor(1) and QBColor(2)) and the axes'.
# The pixels of a colour in a picture, from its histogram.
count() {
    convert "$1" -format %c histogram:info:- |
        awk -v colour="$2" 'toupper($3) == colour { sub(/:$/, "", $1); n = $1 } END { print n + 0 }'
}
compared=""
for colour in '#000080' '#008000' '#000000'; do
    web_count=$(count "$logs/drawing-web.png" "$colour")
    linux_count=$(count "$logs/drawing-linux.png" "$colour")
    [ "$web_count" = "$linux_count" ] && [ "$linux_count" -gt 500 ] ||
        fail "pixels of $colour: $web_count in the page, $linux_count on Linux"
    compared+="$colour $linux_count, "
done

# The PNG saved through the browser: the same drawing (it has no buttons).
[ "$download" = borvane-iperbole.png ] || fail "the saved picture is named $download"
[ -f "$logs/download.png" ] || fail "no saved picture in $logs/downloads"
[ "$(identify -format '%wx%h' "$logs/download.png")" = "$size_web" ] ||
    fail "the saved picture is $(identify -format '%wx%h' "$logs/download.png"), the window $size_web"
drawing "$logs/download.png" "$logs/drawing-download.png"
differing=$(compare -metric AE "$logs/drawing-download.png" "$logs/drawing-web.png" null: 2>&1) ||
    true
[ "$differing" = 0 ] || fail "the saved PNG differs from the window in $differing pixels"

echo "web: the page walked in Chromium, plot window $size_web equal to Linux's pixel for pixel" \
    "(${compared%, } pixels) but for its buttons; $download saved, equal to it; $(node -e '
        const s = JSON.parse(process.argv[1]);
        console.log(`${s.buttons.length} buttons read by the screen reader, c = 3 refused, ` +
                    `ended ("${s.ended}")`)' "$summary")"
