#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up: milliseconds from the start of the process to the first paint of Form1 under a
# real X server with a window manager (Xvfb and openbox), against a bare Qt program that shows
# a window of the same size with one button where "AVANTI" lies. The two are started
# alternately in one X session; the medians and their ratio are printed (target: 1.15 or less).
#   bench/startup_bench.sh [PROGRAM] [RUNS]     (defaults: build/release/borvane, 21)
# The measuring tools, startwait.c and the bare program, are the team's shared ones, in
# ../shared/tools beside the checkout (BORVANE_TOOLS names another folder); they are built
# into build/bench-startup. Needs libx11-dev, xvfb, openbox and x11-utils.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="${1:-$root/build/release/borvane}"
runs="${2:-21}"
tools="${BORVANE_TOOLS:-$root/../shared/tools}"
work="$root/build/bench-startup"
[ -x "$program" ] || { echo "no program at $program (./scripts/run.sh builds it)"; exit 2; }
[ -f "$tools/startwait.c" ] || { echo "the measuring tools are not in $tools"; exit 2; }
mkdir -p "$work"
cc -O2 -o "$work/startwait" "$tools/startwait.c" -lX11
cmake -S "$tools/bare" -B "$work/bare" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/bare" >/dev/null

source "$root/tests/smoke/x-session.sh"
trap x_stop EXIT
x_start
export QT_QPA_PLATFORM=xcb

# Milliseconds until the first paint inside the button's rectangle.
first_paint() { "$work/startwait" Form1 288 408 193 57 10000 "$@" 2>/dev/null; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

first_paint "$work/bare/bare" >/dev/null # the first start of all fills the caches
bare=() borvane=()
for _ in $(seq "$runs"); do
    bare+=("$(first_paint "$work/bare/bare")")
    borvane+=("$(first_paint "$program")")
done
b=$(median "${bare[@]}")
p=$(median "${borvane[@]}")
echo "bare Qt window: ${bare[*]}"
echo "Borvane Form1:  ${borvane[*]}"
awk -v b="$b" -v p="$p" -v n="$runs" 'BEGIN {
    printf "first paint, median of %d: bare %.1f ms, Borvane %.1f ms, ratio %.3f (target 1.15)\n", n, b, p, p / b }'
