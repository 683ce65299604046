#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Smoke test of an installed Borvane in a real X server with a window manager:
#   tests/smoke/smoke.sh PROGRAM [WORK_DIR]
# starts PROGRAM, finds the introduction window "Form1", presses "AVANTI" with the X server's
# pointer, finds the calibration window "Form2" maximized, and checks in a screenshot that
# the red test circle is drawn where the window's scale puts it. Exits non-zero otherwise.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source-path=SCRIPTDIR source=x-session.sh
source "$here/x-session.sh"

program="${1:?usage: smoke.sh PROGRAM [WORK_DIR]}"
work="${2:-$(mktemp -d)}"
mkdir -p "$work"
trap x_stop EXIT

x_start
x_run "$program"
started=$(date +%s.%N)

form1=$(x_wait_window Form1)
echo "Form1 shown (window $form1)"
sleep 0.5
# "AVANTI": Command1 of Form1, at 4320, 6120, 2895 x 855 twips.
x_click_twips "$form1" 4320 6120 2895 855

form2=$(x_wait_window Form2 20)
echo "Form2 shown (window $form2)"
for _ in $(seq 50); do x_maximized "$form2" && break; sleep 0.1; done
x_maximized "$form2" ||
    fail "Form2 is not maximized: client area ${geometry[*]} on a ${X_SCREEN_WIDTH}x${X_SCREEN_HEIGHT} screen, $(xprop -id "$form2" _NET_WM_STATE)"
echo "Form2 maximized: client area ${geometry[2]}x${geometry[3]} at ${geometry[0]},${geometry[1]}"

# The test circle: centre at (ScaleWidth / 2 + 20000, ScaleHeight / 2) and radius 36367.36 in
# the window's scale, 146367.36 units across and 146367.36 x 0.51 down (Incr at first
# activation), drawn in QBColor(4), RGB 128, 0, 0. Eight points off the axes must be red,
# and a point halfway to the centre must not.
points=$(awk -v x="${geometry[0]}" -v y="${geometry[1]}" -v w="${geometry[2]}" -v h="${geometry[3]}" '
    BEGIN {
        sw = 146367.359375; sh = sw * 0.51; r = 36367.36328125; pi = atan2(0, -1)
        cx = x + (sw / 2 + 20000) * w / sw; cy = y + h / 2
        for (d = 30; d < 360; d += 60) for (k = 0; k <= 1; k++) {
            a = (d + k * 30 - 15) * pi / 180
            printf "%d %d on\n", cx + r * cos(a) * w / sw, cy + r * sin(a) * h / sh
        }
        printf "%d %d off\n", cx + r / 2 * w / sw, cy + r / 2 * h / sh
    }')
red_near() { # FILE X Y: how many RGB 128,0,0 pixels lie within 3 pixels of X, Y
    convert "$1" -crop "7x7+$(($2 - 3))+$(($3 - 3))" +repage txt:- | grep -ci '#800000' || true
}
shot="$work/form2.png"
for _ in $(seq 20); do
    x_shot "$shot"
    missing=0
    while read -r px py expect; do
        count=$(red_near "$shot" "$px" "$py")
        if [ "$expect" = on ] && [ "$count" -eq 0 ]; then missing=$((missing + 1)); fi
        if [ "$expect" = off ] && [ "$count" -ne 0 ]; then
            fail "red pixels at $px, $py inside the test circle (screenshot $shot)"
        fi
    done <<<"$points"
    [ "$missing" -eq 0 ] && break
    sleep 0.25
done
[ "$missing" -eq 0 ] ||
    fail "$missing of 12 points of the red test circle missing (screenshot $shot; points: ${points//$'\n'/; })"
awk -v a="$started" -v b="$(date +%s.%N)" \
    'BEGIN { printf "Red test circle found at 12 points, %.1f s after the start\n", b - a }'

# Qt's own Italian texts: when they are installed, the running program has them open.
translations=$(find /usr/share/qt6/translations -name qtbase_it.qm 2>/dev/null | head -n 1)
if [ -n "$translations" ]; then
    grep -q qtbase_it.qm "/proc/$x_program/maps" ||
        fail "Qt's Italian translations ($translations) are installed but not loaded"
    echo "Qt's Italian translations loaded"
fi

kill -0 "$x_program" 2>/dev/null || fail "the program ended on its own"
echo "PASS: smoke test of $program"
