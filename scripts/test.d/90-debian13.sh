# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: the whole test command again on a fresh Debian 13 ("trixie",
# Qt 6.8), every stage but this one included, in a scratch system (scripts/debian13.sh: made
# with `debootstrap --variant=minbase trixie`, with the checkout and ../shared copied in and the
# cache of built Qts bound in), where ./scripts/test.sh runs as root. On every way out,
# processes left in it are ended, everything is unmounted, and the scratch system is removed
# only once nothing is mounted in it.
# Needs root, or sudo. The logs stay in build/debian13: bootstrap.log, run.log (every line
# with the seconds since the run started) and wayland/ (the Wayland stage's own, weston's
# included); a failure names the step that failed and its log.
# BORVANE_DEBIAN13_MIRROR names the mirror instead (needed where apt's sources name no Debian
# archive, e.g. on Ubuntu). BORVANE_SKIP_STAGES and BORVANE_FUZZ_SECONDS are passed on.

: "${BORVANE_ROOT:?run this stage through scripts/test.sh}"
# shellcheck source-path=SCRIPTDIR source=../debian13.sh
source "$BORVANE_ROOT/scripts/debian13.sh"
mkdir -p "$BORVANE_ROOT/build/debian13"
work=$(cd "$BORVANE_ROOT/build/debian13" && pwd -P) # as the kernel names it, for the checks
root="$work/root"
started=$SECONDS
step="preparing"
log=""

# The parts of the run so far, from the marks in its log, as "name N s, " each: the first package
# installation (install), the build, the test suite (suite, ctest), then each further stage.
run_parts() {
    awk '
        function part(name, until) {
            if (name != "") printf "%s %d s, ", name, until - from
            from = until
        }
        { t = $1; sub(/^ *[0-9]+ /, "") }
        NR == 1 { from = t; name = "install" }
        name == "install" && (/^-- The CXX compiler identification/ || /^Configuring: /) {
            part(name, t)
            name = "build"
        }
        name == "build" && /^Test project / { part(name, t); name = "suite" }
        /^== .* skipped/ { part(name, t); name = ""; next }
        /^== / { part(name, t); name = $2 }
        END { part(name, t) }' "$log"
}

# The Wayland stage's output in the scratch system (each test program's, and weston's log and
# core dump), kept in build/debian13/wayland before the scratch system goes.
keep_wayland_logs() {
    local logs="$root$debian13_inside/checkout/build/test/wayland"
    $debian13_sudo rm -rf "$work/wayland"
    [ -d "$logs" ] || return 0
    $debian13_sudo cp -r "$logs" "$work/wayland" ||
        echo "the Wayland stage's logs could not be kept" >&2
}

finish() {
    local status=$?
    trap - EXIT INT TERM
    keep_wayland_logs
    debian13_remove "$root" || status=1
    if [ "$status" -ne 0 ]; then
        echo "FAIL: Debian 13 stage: $step failed (exit status $status)" >&2
        if [ "$log" = "$work/run.log" ] && [ -s "$log" ]; then
            local parts last tally
            parts=$(run_parts)
            parts=${parts%, }
            # A run that got to its end names what failed in its tally; one cut short, the part
            # it was in.
            tally=$(sed -n 's/^ *[0-9]* tests: //p' "$log" | tail -n 1)
            if [ -n "$tally" ]; then
                echo "Its tally: $tally (times: $parts)." >&2
            else
                last=${parts##*, }
                echo "It failed in: ${last% * s} (times so far: $parts)." >&2
            fi
        fi
        if [ -n "$log" ] && [ -f "$log" ]; then
            echo "The log: $log; its end:" >&2
            tail -n 40 "$log" >&2
        fi
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

step="making the scratch Debian 13 system"
debian13_make "$root" "$work/bootstrap.log"
copied=$SECONDS

# The run, each line with the seconds since it started; the stages' names and the closing
# lines are shown here as they come.
step="the test command in Debian 13"
log="$work/run.log"
# Not this stage again, nor the Windows build, which is made on Debian 12 only.
skip="${BORVANE_SKIP_STAGES:+$BORVANE_SKIP_STAGES }$(basename "${BASH_SOURCE[0]}") 50-windows.sh"
meant="$skip" # the stages left out on purpose; any other the run there skips is said here
# CI stops a run at 90 minutes. With Qt for Windows cached, a run gets here after about 25 and
# this stage takes 18; a machine that has just built that Qt (beside the tests, from the run's
# start) gets here after about 40, and then the sanitizers and the fuzzing, which the run has
# already done on Debian 12's Qt, are left out here (7 of the stage's 18 minutes).
# (Run alone, outside the test command, the stage starts the run's time itself.)
BORVANE_RUN_STARTED="${BORVANE_RUN_STARTED:-$(date +%s)}"
elapsed=$(($(date +%s) - BORVANE_RUN_STARTED))
if [ "$elapsed" -gt $((40 * 60)) ]; then
    echo "Debian 13: the run has taken $((elapsed / 60)) minutes so far; the sanitizers and" \
        "the fuzzing, done on Debian 12, are left out here"
    skip+=" 10-sanitizers.sh 20-fuzz.sh"
fi
environment=("BORVANE_SKIP_STAGES=$skip" "BORVANE_RUN_STARTED=$BORVANE_RUN_STARTED")
if [ -n "${BORVANE_FUZZ_SECONDS:-}" ]; then
    environment+=("BORVANE_FUZZ_SECONDS=$BORVANE_FUZZ_SECONDS")
fi
: >"$log"
echo "./scripts/test.sh in Debian 13 (log: $log)"
run_start=$SECONDS
# In the background, so that an interruption is handled at once (the handler ends what runs in
# the scratch system).
(
    debian13_run "$root" "${environment[@]}" -- ./scripts/test.sh 2>&1 |
        while IFS= read -r line; do
            printf '%5d %s\n' $((SECONDS - run_start)) "$line" >>"$log"
            case "$line" in
            "== "* | "tests: "* | "lint: "* | "sanitizers: "* | "fuzzing: "* | "wayland: "* | \
                "web: "* | "FAIL"*)
                echo "  $line"
                ;;
            esac
        done
) &
wait $!
ran=$SECONDS

# What the run there left out, from its tally ("...; K skipped: A, B (formatting)"), other than
# the stages it was told to leave out, counts as left out of this stage.
if [ -n "${BORVANE_LEFT_OUT:-}" ]; then
    inner=$(sed -n 's/^ *[0-9]* tests: .*; [0-9]* skipped: //p' "$log" | tail -n 1)
    IFS=',' read -r -a inner_skipped <<<"$inner"
    for name in ${inner_skipped[@]+"${inner_skipped[@]}"}; do
        name="${name# }"
        [[ " $meant " == *" $name "* ]] || echo "$name in Debian 13" >>"$BORVANE_LEFT_OUT"
    done
fi
parts=$(run_parts)
echo "debian13: scratch system $((copied - started)) s, run $((ran - run_start)) s" \
    "(${parts%, }); whole stage $((SECONDS - started)) s"
step="cleaning up"
