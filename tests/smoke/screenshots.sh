#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Walks through the four windows of Borvane in a real X server with a window manager, as a
# user would, and keeps a small picture of each, title bar included:
#   tests/smoke/screenshots.sh PROGRAM OUT_DIR
# writes OUT_DIR/form1.png (introduction), form2.png (calibration, scroll bar moved until the
# figure is a circle), form3.png (parameters: the ellipse with c = 1) and form4.png (the
# ellipse's plot, then the hyperbola's in the next colour, each with its base figure).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=x-session.sh
source "$here/x-session.sh"

program="${1:?usage: screenshots.sh PROGRAM OUT_DIR}"
out="${2:?usage: screenshots.sh PROGRAM OUT_DIR}"
mkdir -p "$out"
trap x_stop EXIT

# The outermost window the window manager put around a client window: its frame.
frame_of() {
    local window="$1" tree root parent
    while :; do
        tree=$(xwininfo -tree -id "$window")
        root=$(awk '/Root window id:/ { print $4 }' <<<"$tree")
        parent=$(awk '/Parent window id:/ { print $4 }' <<<"$tree")
        if [ -z "$parent" ] || [ "$parent" = "$root" ]; then break; fi
        window="$parent"
    done
    echo "$window"
}

# keep WINDOW NAME SCALE: the window with its frame, scaled, in few colours.
keep() {
    sleep "${settle:-1}"
    import -window "$(frame_of "$1")" "$out/$2.full.png"
    convert "$out/$2.full.png" -resize "$3" -colors 96 -strip "PNG8:$out/$2.png"
    rm -f "$out/$2.full.png"
    echo "$out/$2.png: $(identify -format '%wx%h' "$out/$2.png"), $(stat -c %s "$out/$2.png") bytes"
}

wait_maximized() {
    for _ in $(seq 50); do x_maximized "$1" && return 0; sleep 0.1; done
    fail "window $1 not maximized"
}

x_start
x_run "$program"

form1=$(x_wait_window Form1)
keep "$form1" form1 80%
x_click_twips "$form1" 4320 6120 2895 855 # AVANTI

form2=$(x_wait_window Form2)
wait_maximized "$form2"
sleep 0.5
# The scroll bar (480, 1080, 5895 x 255 twips) has the focus: End takes it to 30, and 16
# presses of its left arrow bring it back to 14, Incr 0.79, close to the height-to-width ratio
# of this screen's client area. Each step down clears the window, so one circle is left.
xdotool key End
sleep 0.5
for _ in $(seq 16); do x_click "$form2" $((480 / 15 + 8)) $(((1080 + 127) / 15)); done
keep "$form2" form2 50%
x_click_twips "$form2" 3120 2880 1575 615 # OK - continua

form3=$(x_wait_window Form3)
wait_maximized "$form3"
sleep 0.5
# ELLISSE: Option1, at 240, 240 in Frame1 (360, 1200); its round indicator at the left.
x_click "$form3" $(((360 + 240) / 15 + 5)) $(((1200 + 240 + 187) / 15))
x_click_twips "$form3" 9240 1800 735 495 # c
xdotool key ctrl+a type 1
keep "$form3" form3 50%
x_click_twips "$form3" 3840 4200 1935 735 # AVANTI

form4=$(x_wait_window Form4)
wait_maximized "$form4"
sleep 1
x_click_twips "$form4" 3000 1800 1695 615 # Traccia la figura base
sleep 0.5
x_click_twips "$form4" 960 720 1695 615 # RIPRENDI
sleep 0.5
# IPERBOLE: Option2, at 240, 840 in Frame1.
x_click "$form3" $(((360 + 240) / 15 + 5)) $(((1200 + 840 + 187) / 15))
x_click_twips "$form3" 3840 4200 1935 735 # AVANTI
sleep 1
x_click_twips "$form4" 3000 1800 1695 615 # Traccia la figura base
keep "$form4" form4 50%
