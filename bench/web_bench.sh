#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The web page's figures, on this machine, in headless Chromium on localhost:
#   bench/web_bench.sh [RUNS] [DESKTOP_PROGRAM]    (defaults: 21, build/test/borvane or
#                                                  build/release/borvane)
# - the size of the page's files, as they are and with the gzip and brotli copies beside them
#   (goal: the program 6 MB or less compressed);
# - navigation to the first paint of the introduction window, against a bare Qt window of the
#   same size built with the same Qt for WebAssembly and loaded by Qt's own page (goal: 2 s or
#   less);
# - the click on "AVANTI" to the plot on screen, against the desktop program in a real X server
#   (Xvfb and openbox) doing the same (goal: twice the desktop's or less).
# Medians of RUNS, the page and its baseline taken alternately. Runs where Debian 13 is (in the
# scratch system of scripts/debian13.sh on Debian 12), after scripts/web.sh, with the desktop
# program in build/test or build/release. Needs chromium, node with npm, libx11-dev,
# libxtst-dev, xvfb, openbox, xdotool and x11-utils.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/setup.sh"
source "$root/tests/smoke/x-session.sh"
runs="${1:-21}"
web="$root/build/web"
work="$root/build/bench-web"
desktop="${2:-$root/build/test/borvane}"
[ -x "$desktop" ] || desktop="$root/build/release/borvane"
[ -f "$web/index.html" ] || { echo "no page in $web (scripts/web.sh makes it)"; exit 2; }
[ -x "$desktop" ] || { echo "no desktop program in build/test or build/release"; exit 2; }
borvane_install chromium nodejs npm libx11-dev libxtst-dev xvfb openbox xdotool x11-utils gcc
mkdir -p "$work"
(cd "$root/tests/web" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error >/dev/null)

# ---- Sizes ---------------------------------------------------------------------------------
total() { du -cb "$@" | tail -n 1 | cut -f1; }
mb() { awk -v b="$1" 'BEGIN { printf "%.2f MB", b / 1e6 }'; }
program=("$web/borvane.wasm" "$web/borvane.js" "$web/qtloader.js" "$web/index.html")
raw=$(total "${program[@]}")
gz=$(total "${program[@]/%/.gz}")
br=$(total "${program[@]/%/.br}")
echo "sizes: the page's program (index.html, qtloader.js, borvane.js, borvane.wasm) $(mb "$raw")," \
    "$(mb "$gz") with gzip -9, $(mb "$br") with brotli -q 11 (goal: 6 MB compressed);" \
    "the whole folder $(mb "$(total "$web"/*)") with both copies"
for file in "${program[@]}"; do
    echo "  $(basename "$file"): $(stat -c %s "$file") bytes, gzip $(stat -c %s "$file.gz")," \
        "brotli $(stat -c %s "$file.br")"
done

# ---- The baseline page, built with the same Qt ------------------------------------------------
qt=$("$root/scripts/web/build-qt.sh" 2>/dev/null | tail -n 1)
EMSDK="$qt/emsdk" borvane_quietly "$qt/bin/qt-cmake" -S "$root/bench/web-bare" -B "$work/bare" \
    -G Ninja -DCMAKE_BUILD_TYPE=Release -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF
EMSDK="$qt/emsdk" borvane_quietly cmake --build "$work/bare"
cp "$work/bare/bare.html" "$work/bare/index.html"

servers=()
trap 'kill "${servers[@]}" 2>/dev/null || true; x_stop' EXIT
# serve FOLDER FILE: serves the folder on a free port; its address goes to the file.
serve() {
    : >"$2"
    python3 "$root/scripts/web/serve.py" "$1" 0 >"$2" 2>/dev/null &
    servers+=($!)
    for _ in $(seq 100); do [ -s "$2" ] && break; sleep 0.1; done
}
serve "$web" "$work/page.address"
serve "$work/bare" "$work/bare.address"
page=$(sed 's/localhost/127.0.0.1/' "$work/page.address")
bare=$(sed 's/localhost/127.0.0.1/' "$work/bare.address")
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
measure() { node "$root/bench/web_bench.mjs" "$@" 1 | tail -n 1; }

# alternate WHAT GOAL BASELINE_NAME BASELINE_COMMAND NAME COMMAND: RUNS times each command (a
# function that prints milliseconds last) in turn, then both lists, their medians and the ratio.
alternate() {
    local what="$1" goal="$2" baseline_name="$3" baseline="$4" name="$5" command="$6"
    local baseline_times=() times=()
    for _ in $(seq "$runs"); do
        baseline_times+=("$("$baseline" | tail -n 1)")
        times+=("$("$command" | tail -n 1)")
    done
    echo "$baseline_name: ${baseline_times[*]}"
    echo "$name: ${times[*]}"
    awk -v b="$(median "${baseline_times[@]}")" -v p="$(median "${times[@]}")" -v n="$runs" \
        -v what="$what" -v goal="$goal" -v bn="$baseline_name" -v pn="$name" 'BEGIN {
        printf "%s, median of %d: %s %.0f ms, %s %.0f ms, ratio %.2f (goal: %s)\n", what, n, bn, b, pn, p, p / b, goal }'
}

bare_first_paint() { measure first-paint "$bare"; }
page_first_paint() { measure first-paint "$page"; }
alternate "first paint of Form1 from navigation" "2000 ms" "bare Qt page" bare_first_paint \
    "Borvane page" page_first_paint

# ---- AVANTI to the plot, in the page and on the desktop -------------------------------------------
cc -O2 -o "$work/plotwait" "$root/bench/plotwait.c" -lX11 -lXtst
x_start
# One plot in a fresh desktop program: to the parameter window as a user goes, then AVANTI timed
# until the ellipse's points show around the plot's origin.
desktop_plot() {
    x_run "$desktop"
    local id
    id=$(x_wait_window Form1)
    sleep 0.5
    x_click_twips "$id" 4320 6120 2895 855
    id=$(x_wait_window Form2)
    until x_maximized "$id"; do sleep 0.05; done
    sleep 0.5
    xdotool key End
    sleep 0.3
    x_click_twips "$id" 3120 2880 1575 615
    id=$(x_wait_window Form3)
    until x_maximized "$id"; do sleep 0.05; done
    sleep 0.5
    x_click "$id" 45 108
    sleep 0.3
    "$work/plotwait" Form3 $(((3840 + 1935 / 2) / 15)) $(((4200 + 735 / 2) / 15)) Form4 \
        $((X_SCREEN_WIDTH * 55 / 100 + 4)) $(((X_SCREEN_HEIGHT - 19) / 2 + 4)) 40 40 10000
    kill "$x_program" 2>/dev/null || true
    wait "$x_program" 2>/dev/null || true
}
page_plot() { measure plot "$page"; }
alternate "AVANTI to the plot on screen" "twice the desktop's" desktop desktop_plot page page_plot
