#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the smoke test and the screenshot walk: a real X server (Xvfb) with a window
# manager (openbox) on a free display, and the few things a user does there, through the X
# server itself (xdotool moves the server's pointer and clicks; import reads the screen).
# Source it; x_start starts the server and x_stop (run on exit) stops what was started.

X_SCREEN_WIDTH=${X_SCREEN_WIDTH:-1280}
X_SCREEN_HEIGHT=${X_SCREEN_HEIGHT:-1024}
x_pids=()

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

x_start() {
    x_start_server
    openbox --sm-disable >/dev/null 2>&1 &
    x_pids+=($!)
    # The window manager is up when it announces itself on the root window.
    local deadline=$(($(date +%s) + 30))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id"* ]] && return 0
        sleep 0.1
    done
    fail "the window manager did not start on $DISPLAY"
}

# x_start_server: the X server alone, without a window manager; sets DISPLAY.
x_start_server() {
    local numbers display="" _
    # The server picks a free display itself and writes its number once it takes clients
    # (-displayfd), so two runs started at the same moment never share a display. -noreset:
    # without it the server resets when its last client leaves, and for that moment refuses
    # the next one (openbox, about one start in ten).
    numbers=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${X_SCREEN_WIDTH}x${X_SCREEN_HEIGHT}x24" -nolisten tcp -noreset \
        3>"$numbers" >/dev/null 2>&1 &
    x_pids+=($!)
    for _ in $(seq 100); do
        display=$(head -n 1 "$numbers")
        [ -n "$display" ] && break
        kill -0 "${x_pids[0]}" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$numbers"
    [ -n "$display" ] || fail "no X server could be started"
    export DISPLAY=":$display"
}

x_stop() {
    local i
    for ((i = ${#x_pids[@]} - 1; i >= 0; i--)); do
        kill "${x_pids[i]}" 2>/dev/null || true
        wait "${x_pids[i]}" 2>/dev/null || true
    done
    x_pids=()
}

# x_run PROGRAM [ARGS...]: starts a program on the display; its process id is in x_program.
x_run() {
    QT_QPA_PLATFORM=xcb "$@" &
    x_program=$!
    x_pids+=("$x_program")
}

# x_wait_window TITLE [SECONDS]: prints the id of the visible window with exactly that title,
# waiting for it; fails at once when the program has ended.
x_wait_window() {
    local title="$1" seconds="${2:-30}" id deadline
    deadline=$(($(date +%s) + seconds))
    while [ "$(date +%s)" -lt "$deadline" ]; do
        id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$x_program" 2>/dev/null || fail "the program ended before showing \"$title\""
        sleep 0.1
    done
    fail "no window titled \"$title\" after ${seconds} s (windows: $(x_titles))"
}

# The titles of the visible top-level windows, for messages.
x_titles() {
    local id
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        printf '"%s" ' "$(xdotool getwindowname "$id" 2>/dev/null)"
    done
}

# x_geometry WINDOW: sets geometry to the window's client area (x y width height), in screen
# pixels. xwininfo rather than "xdotool getwindowgeometry", which counts the frame's offset
# twice for a window inside a window manager's frame.
x_geometry() {
    read -r -a geometry < <(xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }')
}

# x_click_twips WINDOW LEFT TOP WIDTH HEIGHT [BUTTON]: clicks with the X server's pointer at
# the centre of a control placed in twips (15 to a pixel) in the window's client area.
x_click_twips() {
    local x=$((($2 + $4 / 2) / 15)) y=$((($3 + $5 / 2) / 15))
    x_click "$1" "$x" "$y" "${6:-1}"
}

# x_click WINDOW X Y [BUTTON]: clicks at pixel X, Y of the window's client area.
x_click() {
    xdotool mousemove --window "$1" "$2" "$3" sleep 0.1 click "${4:-1}"
}

# x_maximized WINDOW: true when the window manager has maximized the window and its client
# area spans the whole screen's width and its height below the title bar.
x_maximized() {
    x_geometry "$1"
    local state
    state=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null) || return 1
    [[ $state == *_NET_WM_STATE_MAXIMIZED_VERT* && $state == *_NET_WM_STATE_MAXIMIZED_HORZ* ]] &&
        [ "${geometry[0]}" -eq 0 ] && [ "${geometry[2]}" -eq "$X_SCREEN_WIDTH" ] &&
        [ $((geometry[1] + geometry[3])) -eq "$X_SCREEN_HEIGHT" ] &&
        [ "${geometry[3]}" -ge $((X_SCREEN_HEIGHT * 9 / 10)) ]
}

# x_shot FILE: the whole screen as the X server shows it.
x_shot() {
    import -window root "$1"
}
