#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Walks from the introduction to two plots, as a user does with the mouse and a key, in a real X
# server with a window manager (Xvfb and openbox), and keeps the plot window's client area:
#   tests/windows/walk.sh OUT.png COMMAND [ARGS...]
# COMMAND starts the program (Linux's, or Windows' under Wine). The walk: "AVANTI"; in the
# calibration window End (the scroll bar to its end) and "OK - continua"; "ELLISSE" and
# "AVANTI" with the initial values; the plot; "RIPRENDI", "IPERBOLE", "AVANTI": the second plot,
# in the next colour. OUT.png is then the plot window's client area, OUT.form1.png the
# introduction's, and OUT.screen.png the whole screen.
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

form1=$(x_wait_window Form1 60)
sleep 1
import -window "$form1" "${out%.png}.form1.png"
x_click_twips "$form1" 4320 6120 2895 855 # AVANTI

form2=$(x_wait_window Form2)
maximized "$form2"
sleep 1
# The scroll bar has the focus: End takes it to its end, Incr 1.11, which calibration lets through.
xdotool key End
sleep 0.5
x_click_twips "$form2" 3120 2880 1575 615 # OK - continua

form3=$(x_wait_window Form3)
maximized "$form3"
sleep 1
# ELLISSE: Option1, at 240, 240 in Frame1 (360, 1200); its round indicator at the left.
x_click "$form3" $(((360 + 240) / 15 + 5)) $(((1200 + 240 + 187) / 15))
x_click_twips "$form3" 3840 4200 1935 735 # AVANTI

form4=$(x_wait_window Form4)
maximized "$form4"
sleep 1.5
x_click_twips "$form4" 960 720 1695 615 # RIPRENDI
sleep 1
# IPERBOLE: Option2, at 240, 840 in Frame1.
x_click "$form3" $(((360 + 240) / 15 + 5)) $(((1200 + 840 + 187) / 15))
x_click_twips "$form3" 3840 4200 1935 735 # AVANTI
sleep 1.5
import -window "$form4" "$out"
x_shot "${out%.png}.screen.png"
kill -0 "$x_program" 2>/dev/null || fail "the program ended during the walk"
echo "walk: $(identify -format '%wx%h' "$out") plot window client area kept in $out"
