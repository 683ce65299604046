#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts and ends the program many times under weston (weston-session.sh, Qt's wayland platform)
# on a busy machine, and counts the runs whose process did not end once the program had ended.
# Qt's Wayland client can hang as the process ends (src/runtime/window_system.h); this shows
# whether it still does. Not a stage of the test command: a few hundred runs take a while.
#
#   tests/wayland/exit-runs.sh [-b BUILD] [-n RUNS] [-w WAYS] [-g GRACE] [-i] [-p] [-d MS]
#                              [-t TEST...]
#
#   -b BUILD  the build folder with borvane and the test programs (default build/exit)
#   -n RUNS   runs of each way (default 50)
#   -w WAYS   the ways the program ends, comma-separated (default esci,close,test):
#             esci   AVANTI on Form1 (the keyboard: Tab, space), then ESCI on the maximized
#                    Form2 (the pointer): two windows;
#             close  AVANTI on Form1, Form2's close button in its title bar, then Form1
#                    maximized (weston's Super+Shift+M) and its close button: the last window
#                    closed;
#             test   a test program run to its end (-t; tst_runtime by default), which ends
#                    when it has printed its totals
#   -g GRACE  seconds a process may take to end once its program has ended (default 10); a
#             process still there then is a hang: its threads' stacks are kept (gdb) and it is
#             killed
#   -t TEST   the test program and its arguments for the way "test", relative to BUILD
#             (default: tests/tst_runtime); the rest of the command line
#   -i        an idle machine: no load (by default both cores, or all, are kept busy by
#             "nice -n 19 stress-ng --cpu N" while the runs go)
#   -p        each program pinned to one processor (taskset), the one stress-ng shares with it
#   -d MS     a machine busier still: Qt's Wayland event thread, woken, runs MS milliseconds
#             late (late-wakeup.c, loaded into each program; needs cc), so that an end that
#             depends on when the threads run shows it in most runs
#
# The program has ended when the screen shows weston's empty desktop again (its windows are
# gone), or for a test program when it has printed "Totals:". A run the script could not drive
# to that end (a key that came before its window did) is a miss: counted, killed, not an end.
# Every run's output, weston's log and the stacks of each hang go to BUILD/exit-runs/. Prints a
# line per run and the counts per way; exits non-zero when a process hung or ended with a
# status other than 0.
# Needs xvfb, weston, qt6-wayland, xdotool, x11-apps (xwd), stress-ng, and gdb for the stacks.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

build="$root/build/exit"
runs=50
ways="esci,close,test"
grace=10
load=yes
pin=no
test_command=(tests/tst_runtime)
late=0
while getopts "b:n:w:g:ipd:t" option; do
    case "$option" in
    b) build=$(cd "$OPTARG" && pwd) ;;
    n) runs="$OPTARG" ;;
    w) ways="$OPTARG" ;;
    g) grace="$OPTARG" ;;
    i) load=no ;;
    p) pin=yes ;;
    d) late="$OPTARG" ;;
    t) break ;;
    *) sed -n '9,32p' "$0" >&2 && exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] && test_command=("$@")
for tool in xwd xdotool weston Xvfb; do
    command -v "$tool" >/dev/null || { echo "exit-runs: $tool is not installed" >&2; exit 2; }
done
[ "$load" = no ] || command -v stress-ng >/dev/null ||
    { echo "exit-runs: stress-ng is not installed (-i runs without load)" >&2; exit 2; }

logs="$build/exit-runs"
rm -rf "$logs"
mkdir -p "$logs"

# shellcheck source-path=SCRIPTDIR source=weston-session.sh
source "$here/weston-session.sh"
load_pid=""
program_pid=""
finish() {
    [ -n "$program_pid" ] && kill -9 "$program_pid" 2>/dev/null
    [ -n "$load_pid" ] && kill "$load_pid" 2>/dev/null && wait "$load_pid" 2>/dev/null
    weston_stop
}
trap finish EXIT
weston_start "$logs/weston"
width=$X_SCREEN_WIDTH
height=$X_SCREEN_HEIGHT
# xdotool speaks to the X server weston draws into; weston passes what it gets to its clients.
export DISPLAY="$BORVANE_WESTON_X_DISPLAY"

if [ "$load" = yes ]; then
    nice -n 19 stress-ng --cpu "$(nproc)" --quiet &
    load_pid=$!
fi
pinned=()
[ "$pin" = yes ] && pinned=(taskset -c 0)
lateness=()
if [ "$late" -gt 0 ]; then
    cc -shared -fPIC -O2 -o "$logs/late-wakeup.so" "$here/late-wakeup.c" -ldl
    lateness=(LD_PRELOAD="$logs/late-wakeup.so" BORVANE_LATE_WAKEUP_MS="$late")
fi

# Weston's X11 backend moves its pointer by the X pointer's motions, not to where the X pointer
# is, and the two part (motions lost, or its pointer stopped at an edge): both meet again in the
# near corner, after a motion across the whole screen. The pointer is weston's own drawing on
# the screen, so between clicks it is kept in the far corner, where it covers nothing compared.
point() {
    xdotool mousemove "$((width - 1))" "$((height - 1))" sleep 0.3 mousemove 0 0 sleep 0.3 \
        mousemove "$1" "$2" sleep 0.3
}
park() { point "$((width - 1))" "$((height - 1))"; }
click() {
    point "$1" "$2"
    xdotool click 1 sleep 0.3
    park
}

# The screen as an image (xwd: a header, a colour map, then rows of 4-byte pixels, blue first).
park
sleep 1
xwd -root -silent >"$logs/desktop.xwd"
header_field() { od -An -tu4 --endian=big -j "$1" -N 4 "$logs/desktop.xwd" | tr -d ' '; }
header=$(header_field 0)
colours=$(header_field 76)
row=$(header_field 48)
pixels=$((header + colours * 12))
compared=$((row * (height - 64))) # the screen above the pointer

# desktop_shown: true when the screen is weston's empty desktop (no window of the program).
desktop_shown() {
    xwd -root -silent >"$logs/now.xwd" && cmp -s -i "$pixels" -n "$compared" "$logs/now.xwd" "$logs/desktop.xwd"
}

# maximized_shown: true when a window covers the screen near each of its four corners.
maximized_shown() {
    local x y at
    xwd -root -silent >"$logs/now.xwd" || return 1
    for x in 8 $((width - 8)); do
        for y in 40 $((height - 80)); do
            at=$((pixels + y * row + x * 4))
            [ "$(od -An -tx4 -j "$at" -N 4 "$logs/now.xwd")" != \
                "$(od -An -tx4 -j "$at" -N 4 "$logs/desktop.xwd")" ] || return 1
        done
    done
}

# wait_for CONDITION SECONDS: true once the condition holds, false after that long or when the
# program has ended.
wait_for() {
    local deadline=$((SECONDS + $2))
    step="$1"
    until "$1"; do
        [ "$SECONDS" -lt "$deadline" ] && kill -0 "$program_pid" 2>/dev/null || return 1
        sleep 0.2
    done
}

# The close button of a maximized window's title bar (Qt's own decoration, at the window's
# top right), and ESCI on Form2 (360, 4080, 1695 x 615 twips, below the 30 pixels of title bar).
close_x=$((width - 17))
close_y=15
esci_x=$((3 + (360 + 1695 / 2) / 15))
esci_y=$((30 + (4080 + 615 / 2) / 15))

# Form1 is on screen (somewhere: weston places it) when the screen is no longer the desktop;
# AVANTI comes after the document in the tab order. Then Form2, maximized.
to_form2() {
    wait_for form1_shown 60 || return 1
    sleep 1
    xdotool key Tab sleep 0.3 key space
    wait_for maximized_shown 60
}
form1_shown() { ! desktop_shown; }

drive_esci() {
    to_form2 || return 1
    sleep 1
    click "$esci_x" "$esci_y"
    wait_for desktop_shown 30
}

drive_close() {
    to_form2 || return 1
    sleep 1
    click "$close_x" "$close_y"
    # Form1 alone again, active: weston maximizes it, and its close button ends the program.
    wait_for form2_gone 30 || return 1
    sleep 1
    xdotool key super+shift+m
    wait_for maximized_shown 30 || return 1
    sleep 1
    click "$close_x" "$close_y"
    wait_for desktop_shown 30
}
form2_gone() { ! maximized_shown && ! desktop_shown; }

drive_test() {
    wait_for totals_printed 1200
}
totals_printed() { grep -qs '^Totals:' "$log"; }

# The threads' stacks of a hung process, then its end.
keep_stacks() {
    if command -v gdb >/dev/null; then
        timeout 60 gdb -q -batch -p "$program_pid" -ex 'thread apply all bt 30' >"$1" 2>&1 || true
    else
        echo "gdb is not installed" >"$1"
    fi
}

declare -A ends hangs misses bad slowest
summary=()
status=0
IFS=, read -r -a way_list <<<"$ways"
echo "exit-runs: $runs runs of each of ${ways}; load: $([ "$load" = yes ] &&
    echo "nice -n 19 stress-ng --cpu $(nproc)" || echo none)$([ "$pin" = yes ] &&
    echo ", each program on processor 0")$([ "$late" -gt 0 ] &&
    echo ", Qt's Wayland event thread $late ms late at each wakeup"); Qt $(dpkg-query -W -f='${Version}' libqt6core6 \
    libqt6core6t64 2>/dev/null | head -n 1); $(weston --version); output in $logs"
for way in "${way_list[@]}"; do
    case "$way" in
    esci | close) command=("$build/borvane") ;;
    test) command=("$build/${test_command[0]}" "${test_command[@]:1}") ;;
    *) echo "exit-runs: no way \"$way\"" >&2 && exit 2 ;;
    esac
    [ -x "${command[0]}" ] || { echo "exit-runs: ${command[0]} is not built" >&2; exit 2; }
    ends[$way]=0 hangs[$way]=0 misses[$way]=0 bad[$way]=0 slowest[$way]=0
    for ((run = 1; run <= runs; run++)); do
        log="$logs/$way-$run.log"
        weston_revive "before $way $run" "$logs" >>"$logs/weston-deaths.log" || true
        desktop_shown || { park; sleep 1; }
        env LC_ALL=C.UTF-8 ${lateness[@]+"${lateness[@]}"} ${pinned[@]+"${pinned[@]}"} \
            "${command[@]}" >"$log" 2>&1 &
        program_pid=$!
        if ! "drive_$way"; then
            if kill -0 "$program_pid" 2>/dev/null; then
                kill -9 "$program_pid" 2>/dev/null || true
                wait "$program_pid" 2>/dev/null || true
                misses[$way]=$((misses[$way] + 1))
                cp "$logs/now.xwd" "$logs/$way-$run.xwd" 2>/dev/null || true
                echo "$way $run: missed, killed (it did not come to $step; the screen then:" \
                    "$logs/$way-$run.xwd)"
                program_pid=""
                continue
            fi
            # Ended before it was seen to: an end all the same.
        fi
        ended=$(date +%s%N)
        ends[$way]=$((ends[$way] + 1))
        deadline=$((SECONDS + grace))
        while kill -0 "$program_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
            sleep 0.05
        done
        if kill -0 "$program_pid" 2>/dev/null; then
            keep_stacks "$logs/$way-$run.stacks"
            kill -9 "$program_pid" 2>/dev/null || true
            wait "$program_pid" 2>/dev/null || true
            hangs[$way]=$((hangs[$way] + 1))
            status=1
            echo "$way $run: HUNG (not ended ${grace} s after the program ended; stacks in" \
                "$logs/$way-$run.stacks)"
        else
            code=0
            wait "$program_pid" || code=$?
            took=$((($(date +%s%N) - ended) / 1000000))
            [ "$took" -gt "${slowest[$way]}" ] && slowest[$way]=$took
            if [ "$code" -ne 0 ]; then
                bad[$way]=$((bad[$way] + 1))
                status=1
                echo "$way $run: ended with status $code (output: $log)"
            else
                echo "$way $run: ended, ${took} ms after its program's end was seen"
            fi
        fi
        program_pid=""
    done
    summary+=("$way: ${hangs[$way]} hangs in ${ends[$way]} ends, ${bad[$way]} with another status, ${misses[$way]} missed; the slowest ended ${slowest[$way]} ms after its program's end was seen")
done
echo "exit-runs: counts"
printf '  %s\n' "${summary[@]}"
[ ! -s "$logs/weston-deaths.log" ] || echo "  weston died: see $logs/weston-deaths.log"
exit "$status"
