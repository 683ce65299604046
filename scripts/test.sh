#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up on a fresh Debian or Ubuntu machine, builds Borvane with warnings as
# errors and runs the whole test suite, then the further stages in scripts/test.d. Each part
# runs whether or not one before it failed; a stage that cannot run on this system exits with
# status 77 and is counted as skipped; a stage that ran but left a part of itself out names
# that part in the file BORVANE_LEFT_OUT (a line each), which is counted as skipped too. The last
# line is the tally:
#   tests: N passed, M failed[: what failed][; K skipped: the stages and parts left out]
# counting each test of the suite and each stage, and naming what failed (the suite's tests as
# "ctest (NAME, ...)"); the exit status is non-zero when anything failed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
# When the run started (seconds since the epoch), for stages that fit themselves into its time.
export BORVANE_RUN_STARTED="${BORVANE_RUN_STARTED:-$(date +%s)}"

# BORVANE_TEST_LOAD=N: the whole command runs on a busy machine, N processors kept busy
# (nice -n 19 stress-ng --cpu N) until it ends; 0 or unset, as the machine is.
load="${BORVANE_TEST_LOAD:-0}"
if ! [[ "$load" =~ ^[0-9]+$ ]]; then
    echo "BORVANE_TEST_LOAD=$load: give the number of processors to keep busy" >&2
    exit 2
fi
stress=""
results=$(mktemp)
BORVANE_LEFT_OUT=$(mktemp)
# The process groups of the builds begun in the background (scripts/setup.sh,
# borvane_in_background): what is left of them is ended with the command.
BORVANE_BACKGROUND=$(mktemp)
export BORVANE_LEFT_OUT BORVANE_BACKGROUND
finish() {
    [ -z "$stress" ] || kill "$stress" 2>/dev/null || true
    local group
    while read -r group; do
        kill -- "-$group" 2>/dev/null || true
    done <"$BORVANE_BACKGROUND"
    rm -f "$results" "$BORVANE_LEFT_OUT" "$BORVANE_BACKGROUND"
}
trap finish EXIT
if [ "$load" -gt 0 ]; then
    borvane_install stress-ng
    nice -n 19 stress-ng --cpu "$load" --quiet &
    stress=$!
    echo "== the machine kept busy: stress-ng --cpu $load, at the lowest priority"
fi

build="$BORVANE_ROOT/build/test"
passed=0
failures=0
failed=() # what failed, as the tally names it
skipped=()

# Runs bash code in a bash of its own, with setup.sh's functions and BORVANE_ROOT, which ends at
# its first failing command; its status is the code's. (In this shell, a function whose status
# is tested runs on past its failures: bash ignores errexit there.)
part() {
    local code="$1"
    shift
    bash -c "set -euo pipefail; source $(printf %q "$BORVANE_ROOT/scripts/setup.sh"); $code" _ "$@"
}

# Its arguments as one line, separated by commas.
listed() {
    local list
    list=$(printf '%s, ' "$@")
    echo "${list%, }"
}

# Whether a stage is to run (BORVANE_SKIP_STAGES: names of stages not to run, blank-separated;
# the Debian 13 stage runs the test command in its scratch system with itself named there).
wanted() {
    [[ " ${BORVANE_SKIP_STAGES:-} " != *" $1 "* ]]
}

# A stage's early part (NAME.early beside NAME.sh), first of all: it starts in the background,
# at the lowest priority, what its stage needs and takes long to make (a Qt for another
# system), so that the machine makes it while it would wait on the tests before that stage.
for early in "$BORVANE_ROOT"/scripts/test.d/*.early; do
    [ -e "$early" ] || continue
    name=$(basename "$early" .early).sh
    wanted "$name" || continue
    status=0
    part 'source "$1"' "$early" || status=$?
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
        echo "$name: its early part failed (exit status $status); the stage makes what it" \
            "needs itself"
    fi
done

# The tests' time limits are their TIMEOUT properties (tests/CMakeLists.txt).
if part 'borvane_setup "$1" "${BORVANE_TEST_PACKAGES[@]}" -- \
        -DBORVANE_WERROR=ON -DBUILD_TESTING=ON' "$build"; then
    # The failed tests' list is written only when some failed: an old one must not count.
    rm -f "$build/Testing/Temporary/LastTestsFailed.log"
    ctest --test-dir "$build" --output-on-failure | tee "$results" || true
    # ctest's own count, "100% tests passed, 0 tests failed out of 13", and the names of the
    # tests that failed, from its list of them.
    counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\1 \2/p' \
        "$results")
    if [ -z "$counts" ]; then
        failed+=("ctest (no count of its tests)")
        failures=$((failures + 1))
    else
        read -r ctest_failed ctest_total <<<"$counts"
        passed=$((ctest_total - ctest_failed))
        if [ "$ctest_failed" -gt 0 ]; then
            mapfile -t names < <(sed -n 's/^[0-9]*://p' \
                "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null)
            failed+=("ctest ($(listed "${names[@]}"))")
            failures=$((failures + ctest_failed))
        fi
    fi
else
    echo "FAIL: the build in ${build#"$BORVANE_ROOT"/} failed; its tests did not run"
    failed+=("build (${build#"$BORVANE_ROOT"/})")
    failures=$((failures + 1))
fi

for stage in "$BORVANE_ROOT"/scripts/test.d/*.sh; do
    [ -e "$stage" ] || continue
    name=$(basename "$stage")
    if ! wanted "$name"; then
        echo "== $name skipped (BORVANE_SKIP_STAGES)"
        skipped+=("$name")
        continue
    fi
    echo "== $name"
    status=0
    part 'source "$1"' "$stage" || status=$?
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
    elif [ "$status" -eq 77 ]; then
        # A stage that cannot run here, having said why: neither passed nor failed.
        skipped+=("$name")
    else
        echo "FAIL: $name failed (exit status $status)"
        failed+=("$name")
        failures=$((failures + 1))
    fi
done

mapfile -t left_out <"$BORVANE_LEFT_OUT"
skipped+=(${left_out[@]+"${left_out[@]}"})

tally="tests: $passed passed, $failures failed"
[ ${#failed[@]} -eq 0 ] || tally+=": $(listed "${failed[@]}")"
[ ${#skipped[@]} -eq 0 ] || tally+="; ${#skipped[@]} skipped: $(listed "${skipped[@]}")"
echo "$tally"
[ ${#failed[@]} -eq 0 ]
