#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# A Wayland compositor (weston) for the program to run in as a native client, with Qt's wayland
# platform. Weston runs on its X11 backend inside a private X server (Xvfb, no window manager):
# that gives it a seat, a keyboard and a pointer. Its headless backend has none, and without a
# seat a compositor activates no window at all, so the focus and activation the program relies
# on could not be seen. Through the X server, xdotool types into weston as a user does.
# Source it; weston_start [FOLDER] starts both and exports WAYLAND_DISPLAY, XDG_RUNTIME_DIR (a
# private folder), QT_QPA_PLATFORM=wayland, BORVANE_WESTON_X_DISPLAY (the X server under
# weston) and BORVANE_WESTON_PID; weston_stop (run it on exit) stops them. FOLDER keeps weston's
# log, and its core dump should it crash; without it the log goes with the runtime folder.
# weston_run runs a test program under weston and restarts a compositor that died meanwhile.

source "$(dirname "${BASH_SOURCE[0]}")/../smoke/x-session.sh"

weston_runtime=""
weston_folder=""
weston_pid=""
weston_how=""

weston_start() {
    local socket
    x_start_server
    weston_runtime=$(mktemp -d) # private: a compositor refuses a runtime folder others can read
    chmod 700 "$weston_runtime"
    weston_folder="${1:-$weston_runtime}"
    mkdir -p "$weston_folder"
    weston_folder=$(cd "$weston_folder" && pwd)
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
    # In its folder, with core dumps allowed as far as the hard limit lets: where the system
    # writes a core to the crashing process's folder ("core" in core_pattern), it stays there.
    (
        cd "$weston_folder" || exit 1
        ulimit -c "$(ulimit -H -c)" 2>/dev/null || true
        XDG_RUNTIME_DIR="$weston_runtime" exec weston --backend=x11-backend.so --use-pixman \
            --width="$X_SCREEN_WIDTH" --height="$X_SCREEN_HEIGHT" --socket="$socket" \
            --config="$weston_runtime/weston.ini" --log="$weston_folder/weston.log"
    ) &
    weston_pid=$!
    x_pids+=("$weston_pid")
    # Up when its socket is there: weston opens it once its backend and shell are loaded.
    local deadline=$(($(date +%s) + 30))
    until [ -S "$weston_runtime/$socket" ]; do
        if ! kill -0 "$weston_pid" 2>/dev/null || [ "$(date +%s)" -ge "$deadline" ]; then
            tail -n 20 "$weston_folder/weston.log" >&2 || true
            fail "weston did not start on $DISPLAY"
        fi
        sleep 0.1
    done
    export XDG_RUNTIME_DIR="$weston_runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland
    export BORVANE_WESTON_X_DISPLAY="$DISPLAY" BORVANE_WESTON_PID="$weston_pid"
}

weston_stop() {
    x_stop
    [ -n "$weston_runtime" ] && rm -rf "$weston_runtime"
    weston_runtime=""
    weston_pid=""
}

# weston_alive: true while the compositor started last is running (bash collects each child's
# end as it comes, keeping its status for weston_end, so an ended one is no longer there).
weston_alive() {
    [ -n "$weston_pid" ] && kill -0 "$weston_pid" 2>/dev/null
}

# weston_end: sets weston_how to how the compositor that is no longer running ended ("signal 11,
# SIGSEGV", "exit status 1"), from its parent's wait (so not in a subshell).
weston_end() {
    local status=0
    wait "$weston_pid" 2>/dev/null || status=$?
    if [ "$status" -gt 128 ]; then
        weston_how="signal $((status - 128)), SIG$(kill -l "$status" 2>/dev/null || echo '?')"
    else
        weston_how="exit status $status"
    fi
}

# weston_evidence: what is known of the compositor that died: the end of its log, and where
# it left a core dump, the stack it died on (with gdb; in a test stage, where borvane_install
# is at hand, gdb is installed for that).
weston_evidence() {
    local core=""
    echo "-- the end of weston's log ($weston_folder/weston.log):"
    tail -n 15 "$weston_folder/weston.log" 2>/dev/null || echo "(no log)"
    for core in "$weston_folder"/core*; do
        [ -f "$core" ] && break
        core=""
    done
    if [ -z "$core" ]; then
        echo "-- no core dump in $weston_folder (the system's core_pattern:" \
            "$(cat /proc/sys/kernel/core_pattern 2>/dev/null))"
    elif command -v gdb >/dev/null ||
        { declare -F borvane_install >/dev/null && borvane_install gdb >&2 &&
            command -v gdb >/dev/null; }; then
        echo "-- where it stopped (gdb, $core):"
        gdb -q -batch -ex 'bt 25' "$(command -v weston)" "$core" 2>/dev/null | grep '^#' | uniq || true
    else
        echo "-- its core dump: $core (gdb is not installed to read it)"
    fi
}

# weston_wait_end SECONDS: waits that long at most for the compositor to end, while it is
# still there. A crashed weston writes its core dump and only then lets its clients go; the
# client cut off may well end before weston itself is gone.
weston_wait_end() {
    local deadline=$((SECONDS + $1))
    while weston_alive && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 0.1
    done
}

# Each death of a compositor, as "during NAME (how)" or "before NAME (how)", in order; weston-N
# in the run's folder keeps the log (and core) of the Nth compositor.
weston_deaths=()

# weston_revive WHEN FOLDER: when the compositor has died, says so ("weston died WHEN (how)")
# with what is known of it, and starts a fresh one, its log in FOLDER/weston-N; true if it did.
weston_revive() {
    local when="$1" folder="$2"
    weston_alive && return 1
    weston_end
    weston_deaths+=("$when ($weston_how)")
    echo "wayland: weston died $when ($weston_how); a fresh weston started"
    weston_evidence
    weston_stop
    weston_start "$folder/weston-$((${#weston_deaths[@]} + 1))"
}

# weston_run NAME FOLDER COMMAND...: runs a test program (COMMAND, its output in FOLDER/NAME.log)
# under the compositor, and prints "NAME: passed" or "NAME: FAILED" with the program's totals
# (and a failing program's exit status: 124 when timeout stopped it, 137 when it then had to kill
# it); returns that status. A compositor found dead before the program starts is replaced first.
# One that dies while the program runs is replaced too, and when the program failed, it runs once
# more on the fresh compositor (its first output kept as FOLDER/NAME.first.log), and its result is
# that second run's: said as "NAME: passed, run again" or "NAME: FAILED, run again". A program
# that fails with its compositor alive is not run again.
weston_run() {
    local name="$1" folder="$2" status=0 again="" totals
    shift 2
    weston_revive "before $name" "$folder" || true
    "$@" >"$folder/$name.log" 2>&1 || status=$?
    # A program that failed may have failed as its compositor went: give that a moment to show.
    [ "$status" -eq 0 ] || weston_wait_end 10
    if weston_revive "during $name" "$folder" && [ "$status" -ne 0 ]; then
        mv "$folder/$name.log" "$folder/$name.first.log"
        echo "wayland: $name failed as its compositor died (status $status), run again" \
            "(its first output: $folder/$name.first.log)"
        again=", run again"
        status=0
        "$@" >"$folder/$name.log" 2>&1 || status=$?
        [ "$status" -eq 0 ] || weston_wait_end 10
        weston_revive "during $name, run again" "$folder" || true
    fi
    totals=$(grep '^Totals:' "$folder/$name.log" | tail -n 1 || true)
    echo "$name: $([ "$status" -eq 0 ] && echo passed || echo FAILED)$again," \
        "${totals:-no totals (ended early)}$([ "$status" -eq 0 ] || echo ", status $status")"
    return "$status"
}
