# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: the test suite once more with Borvane as a native Wayland client, under
# weston with Qt's wayland platform (tests/wayland/weston-session.sh), then the tests of what only a
# compositor does (tests/wayland/), and on Qt 6.4.2 the export test with Qt's Wayland thread made
# late (below). The same test programs as under offscreen; the few cases that need the platform to
# switch windows when a test asks skip themselves, with their reason. The tests in a real X server
# (tests/x11/) do not run here. Each program's output is kept in build/test/wayland/, with weston's
# log. Weston 14.0.2 (Debian 13) itself crashes now and then: its idle callback that sends a
# window's pending configure sends it to the window's xdg_toplevel when the client has already
# destroyed that (as a window is hidden, before its xdg_surface), and segfaults in
# wl_resource_post_event. A compositor that dies is said so, with its log's end and stack, and
# replaced, and the program it took down runs once more.
borvane_install "${BORVANE_PACKAGES[@]}" "${BORVANE_TEST_PACKAGES[@]}" xdotool weston qt6-wayland jq

build="$BORVANE_ROOT/build/test" # the test command's own build
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$BORVANE_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBORVANE_WERROR=ON \
        -DBUILD_TESTING=ON
cmake --build "$build" --parallel "$(nproc)"

started=$(date +%s)
logs="$build/wayland"
rm -rf "$logs"
mkdir -p "$logs"
source "$BORVANE_ROOT/tests/wayland/weston-session.sh"
trap weston_stop EXIT
# weston's own log (and a core dump, should it crash) in weston-1, then weston-2 for the one
# started when that one died, and so on.
weston_start "$logs/weston-1"

# The programs are the tests labelled wayland (tests/CMakeLists.txt), as ctest lists them: a
# line each with the name, the time limit (TIMEOUT, or ctest's default where a test has none)
# and the command, quoted for the shell. Each runs under weston within its limit; one that fails
# because weston died under it runs once more on a fresh weston, and both are said (weston_run).
listing=$(ctest --test-dir "$build" -N -L '^wayland$' --show-only=json-v1 |
    jq -r '.tests[] | "\(.name) \([.properties[] | select(.name == "TIMEOUT") | .value][0]
                                   // 1500 | floor) \(.command | @sh)"')
[ -n "$listing" ] || { echo "FAIL: ctest lists no test labelled wayland in $build"; exit 1; }
mapfile -t programs <<<"$listing"
count=${#programs[@]}
failed=()
program=()
declare -A limits # each program's time limit, by name
for line in "${programs[@]}"; do
    read -r name limit quoted <<<"$line"
    limits[$name]=$limit
    eval "program=($quoted)"
    # A program stopped at its limit gets a minute to end; QtTest's crash handler can hang on
    # the stop signal after a crash (its stack trace), and is then killed.
    weston_run "$name" "$logs" env LC_ALL=C.UTF-8 timeout --kill-after=60 "$limit" \
        "${program[@]}" ||
        failed+=("$name")
done

# The export test once more with Qt's Wayland thread late as it hands a window the answer to its
# last frame (tests/wayland/late-wakeup.c), as on a busy machine: its menus, dialogs and message
# boxes come and go, and none may take the program down. Only on the Qts with that fault
# (src/runtime/window_system.h), where without the program's waits it aborts nearly every time.
qt_version=$(/usr/lib/qt6/bin/qtpaths6 --qt-query QT_VERSION)
if dpkg --compare-versions "$qt_version" lt 6.4.3; then
    cc -shared -fPIC -O2 -o "$logs/late-wakeup.so" "$BORVANE_ROOT/tests/wayland/late-wakeup.c" -ldl
    count=$((count + 1))
    weston_run tst_export-late-answers "$logs" env LC_ALL=C.UTF-8 \
        LD_PRELOAD="$logs/late-wakeup.so" BORVANE_LATE_ANSWER_MS=50 \
        timeout --kill-after=60 "${limits[tst_export]}" "$build/tests/tst_export" ||
        failed+=(tst_export-late-answers)
fi

for name in ${failed[@]+"${failed[@]}"}; do
    echo "---- $name under Wayland (the whole output: $logs/$name.log)"
    grep -E -A 4 '^(FAIL!|QFATAL)|Received signal' "$logs/$name.log" || tail -n 40 "$logs/$name.log"
done
deaths=""
if [ ${#weston_deaths[@]} -gt 0 ]; then
    deaths=$(printf ', %s' "${weston_deaths[@]}")
    deaths="; weston died ${#weston_deaths[@]} time(s): ${deaths#, } (logs: $logs/weston-*)"
fi
echo "wayland: $((count - ${#failed[@]})) of $count test programs passed under weston" \
    "($(weston --version)), in $(($(date +%s) - started)) s$deaths"
[ ${#failed[@]} -eq 0 ]
