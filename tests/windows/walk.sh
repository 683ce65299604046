#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Walks from the introduction to two plots, as a user does with the mouse and a key, in a real X
# server with a window manager (Xvfb and openbox), and keeps the plot window's client area:
#   tests/windows/walk.sh OUT.png COMMAND [ARGS...]
# COMMAND starts the program (Linux's, or Windows' under Wine). The walk is tests/walk/plots.walk
# (the same as in a web browser): "AVANTI"; in the calibration window End (the scroll bar to its
# end) and "OK - continua"; "ELLISSE" and "AVANTI" with the initial values; the plot;
# "RIPRENDI", "IPERBOLE", "AVANTI": the second plot, in the next colour. OUT.png is then the
# plot window's client area, OUT.form1.png the introduction's, and OUT.screen.png the whole
# screen. X_SCREEN_WIDTH and X_SCREEN_HEIGHT set the screen's size (1280 x 1024).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=../smoke/x-session.sh
source "$here/../smoke/x-session.sh"

out="${1:?usage: walk.sh OUT.png COMMAND [ARGS...]}"
shift
trap x_stop EXIT

maximized() {
    for _ in $(seq 100); do x_maximized "$1" && return 0; sleep 0.1; done
    fail "window $1 not maximized (client area ${geometry[*]})"
}

# Waits until the window's picture holds still, as a user waits for it to be drawn: two
# captures a moment apart are the same (within 30 s).
held_still() {
    local last="" now
    for _ in $(seq 150); do
        now=$(import -window "$1" rgb:- 2>/dev/null | md5sum)
        [ "$now" = "$last" ] && return 0
        last=$now
        sleep 0.2
    done
    fail "window $1 did not hold still"
}

# Waits until the window shows every colour given (#RRGGBB), then holds still (within 30 s).
showing() {
    local id=$1 colour
    shift
    for _ in $(seq 150); do
        for colour in "$@"; do
            if [ "$(import -window "$id" png:- 2>/dev/null |
                convert png:- -fill white +opaque "$colour" -format '%[fx:minima.r]' info:)" != 0 ]
            then
                sleep 0.2
                continue 2
            fi
        done
        held_still "$id"
        return 0
    done
    fail "window $id does not show $*"
}

x_start
x_run "$@"

shown="" # the window the last step acted in
while read -r window action arguments; do
    [ -n "$window" ] || continue
    read -r -a argument <<<"$arguments"
    if [ "$window" != "$shown" ]; then
        # A window the walk comes to: on screen, placed, and drawn.
        id=$(x_wait_window "$window" 60)
        [ "$window" = Form1 ] || maximized "$id"
        held_still "$id"
        [ "$window" != Form1 ] || import -window "$id" "${out%.png}.form1.png"
        shown="$window"
    fi
    case "$action" in
    click | tap) x_click_twips "$id" "${argument[@]}" ;;
    point) x_click "$id" "${argument[@]}" ;;
    key)
        xdotool key "${argument[0]}"
        held_still "$id"
        ;;
    *) fail "unknown step in the walk: $window $action" ;;
    esac
done < <(sed 's/#.*//' "$here/../walk/plots.walk")

# The two plots drawn: QBColor(1) and QBColor(2).
form4=$(x_wait_window Form4)
showing "$form4" '#000080' '#008000'
import -window "$form4" "$out"
x_shot "${out%.png}.screen.png"
kill -0 "$x_program" 2>/dev/null || fail "the program ended during the walk"
echo "walk: $(identify -format '%wx%h' "$out") plot window client area kept in $out"
