# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: the whole test suite again (the random walk and the memory test
# included), built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its
# own. Any report fails the run: the build stops at the first error (-fno-sanitize-recover),
# and LeakSanitizer checks every test program at its exit.
# BORVANE_SANITIZE_BUILD names another build folder.
build="${BORVANE_SANITIZE_BUILD:-$BORVANE_ROOT/build/sanitize}"
started=$SECONDS

# GCC's sanitizer instrumentation makes -Wmaybe-uninitialized misfire (on Variant's text, which
# is only read when it holds one); the main build keeps that warning as an error.
borvane_setup "$build" "${BORVANE_TEST_PACKAGES[@]}" -- -DBORVANE_WERROR=ON -DBUILD_TESTING=ON \
    -DBORVANE_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-Wno-maybe-uninitialized

# Leaks of libraries outside the program, made once and kept until the process exits. Never
# the program's own code.
suppressions=$(mktemp)
trap 'rm -f "$suppressions"' EXIT
cat >"$suppressions" <<'EOF'
# D-Bus keeps its connection data until exit (the X11 tests' session bus).
leak:libdbus-1.so
# Qt's platform services (6.8) ask the desktop portal on the session bus for its version at
# start-up, through a watcher that only the answer frees; the X11 tests' session has no portal,
# so the watcher and what it holds (344 bytes) are still there at exit.
leak:QGenericUnixServices::QGenericUnixServices
EOF

export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0"

built=$SECONDS
# The tests in a real X server (label x11) run with whole allocation stacks (the slow unwinder):
# Qt's libraries have no frame pointers, and only a whole stack names the Qt function a leak
# inside Qt comes from. The other tests keep the fast unwinder, three times as fast. Both runs
# go ahead whatever the other found; each test's time limit is its TIMEOUT property.
status=0
ctest --test-dir "$build" --output-on-failure -LE x11 || status=1
ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=0" \
    ctest --test-dir "$build" --output-on-failure -L x11 || status=1
echo "sanitizers: build $((built - started)) s, tests $((SECONDS - built)) s"
return "$status"
