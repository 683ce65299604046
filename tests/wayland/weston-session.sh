#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# A Wayland compositor (weston) for the program to run in as a native client, with Qt's wayland
# platform. Weston runs on its X11 backend inside a private X server (Xvfb, no window manager):
# that gives it a seat, a keyboard and a pointer. Its headless backend has none, and without a
# seat a compositor activates no window at all, so the focus and activation the program relies
# on could not be seen. Through the X server, xdotool types into weston as a user does.
# Source it; weston_start starts both and exports WAYLAND_DISPLAY, XDG_RUNTIME_DIR (a private
# folder), QT_QPA_PLATFORM=wayland and BORVANE_WESTON_X_DISPLAY (the X server under weston);
# weston_stop (run it on exit) stops them.

source "$(dirname "${BASH_SOURCE[0]}")/../smoke/x-session.sh"

weston_runtime=""

weston_start() {
    local socket weston
    x_start_server
    weston_runtime=$(mktemp -d) # private: a compositor refuses a runtime folder others can read
    chmod 700 "$weston_runtime"
    # No panel: a maximized window fills the screen as soon as weston is up. No animations:
    # weston keeps a closed window's last picture for its fade-out, and the program's window,
    # mapped anew meanwhile, would wait for those buffers (most of a second when busy).
    cat >"$weston_runtime/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
panel-position=none
animation=none
close-animation=none
startup-animation=none
INI
    socket="borvane-$$"
    XDG_RUNTIME_DIR="$weston_runtime" weston --backend=x11-backend.so --use-pixman \
        --width="$X_SCREEN_WIDTH" --height="$X_SCREEN_HEIGHT" --socket="$socket" \
        --config="$weston_runtime/weston.ini" --log="$weston_runtime/weston.log" &
    weston=$!
    x_pids+=("$weston")
    # Up when its socket is there: weston opens it once its backend and shell are loaded.
    local deadline=$(($(date +%s) + 30))
    until [ -S "$weston_runtime/$socket" ]; do
        if ! kill -0 "$weston" 2>/dev/null || [ "$(date +%s)" -ge "$deadline" ]; then
            tail -n 20 "$weston_runtime/weston.log" >&2 || true
            fail "weston did not start on $DISPLAY"
        fi
        sleep 0.1
    done
    export XDG_RUNTIME_DIR="$weston_runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland
    export BORVANE_WESTON_X_DISPLAY="$DISPLAY"
}

weston_stop() {
    x_stop
    [ -n "$weston_runtime" ] && rm -rf "$weston_runtime"
    weston_runtime=""
}
