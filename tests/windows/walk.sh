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

x_start
x_run "$@"

shown="" # the window the last step acted in
while read -r window action arguments; do
    [ -n "$window" ] || continue
    read -r -a argument <<<"$arguments"
    if [ "$window" != "$shown" ]; then
        # A window the walk comes to: on screen, placed, and given a moment to draw.
        id=$(x_wait_window "$window" 60)
        [ "$window" = Form1 ] || maximized "$id"
        sleep 1
        [ "$window" != Form1 ] || import -window "$id" "${out%.png}.form1.png"
        shown="$window"
    fi
    case "$action" in
    click | tap) x_click_twips "$id" "${argument[@]}" ;;
    point) x_click "$id" "${argument[@]}" ;;
    key)
        xdotool key "${argument[0]}"
        sleep 0.5
        ;;
    *) fail "unknown step in the walk: $window $action" ;;
    esac
done < <(sed 's/#.*//' "$here/../walk/plots.walk")

form4=$(x_wait_window Form4)
sleep 1.5
import -window "$form4" "$out"
x_shot "${out%.png}.screen.png"
kill -0 "$x_program" 2>/dev/null || fail "the program ended during the walk"
echo "walk: $(identify -format '%wx%h' "$out") plot window client area kept in $out"
