#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The cached builds begun in the background (scripts/setup.sh: borvane_cache_lock,
# borvane_in_background), with a build of a few seconds in place of Qt's: the early call returns
# at once and builds at the lowest priority; a call meanwhile waits and reuses that build, which
# is made once; a failed background build is made again by the next call; what the test command
# ends of it leaves nothing running.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/setup.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cat >"$work/build.sh" <<'SCRIPT'
set -euo pipefail
source "$BORVANE_ROOT/scripts/setup.sh"
prefix="$CACHE/thing"
borvane_cache_lock "$prefix" "thing" "$prefix.log"
[ -f "$prefix/.complete" ] && { echo reusing; exit 0; }
rm -rf "$prefix"; mkdir -p "$prefix"
build() {
    echo built >>"$CACHE/builds"; cut -d' ' -f19 "/proc/$BASHPID/stat" >"$CACHE/nice"
    sleep "$DELAY"; [ -z "${FAILS:-}" ] || return 1; touch "$prefix/.complete"
}
if [ "${1:-}" = --in-background ]; then borvane_in_background "$prefix.log" build; exit 0; fi
build
SCRIPT
export BORVANE_ROOT CACHE BORVANE_BACKGROUND

run_case() { # NAME: a fresh cache
    CACHE="$work/$1"; BORVANE_BACKGROUND="$work/$1.groups"; mkdir -p "$CACHE"; : >"$BORVANE_BACKGROUND"
}

run_case waits
started=$SECONDS
DELAY=3 bash "$work/build.sh" --in-background
[ $((SECONDS - started)) -lt 2 ] || fail "the early call did not return at once"
out=$(DELAY=0 bash "$work/build.sh" 2>&1)
[[ "$out" == *"waiting for its build"* && "$out" == *reusing* ]] || fail "no wait and reuse: $out"
[ "$(wc -l <"$CACHE/builds")" -eq 1 ] || fail "built $(wc -l <"$CACHE/builds") times, not once"
[ "$(cat "$CACHE/nice")" = 19 ] || fail "the background build ran at nice $(cat "$CACHE/nice")"

run_case failed
DELAY=1 FAILS=1 bash "$work/build.sh" --in-background
DELAY=0 bash "$work/build.sh" 2>/dev/null
[ "$(wc -l <"$CACHE/builds")" -eq 2 ] && [ -f "$CACHE/thing/.complete" ] ||
    fail "a failed background build was not made again"

run_case ended
DELAY=30 bash "$work/build.sh" --in-background
sleep 1
while read -r group; do kill -- "-$group"; done <"$BORVANE_BACKGROUND"
sleep 1
# (Its processes, by their group in /proc, ended ones awaiting their parent aside.)
group=$(cat "$BORVANE_BACKGROUND")
for stat in /proc/[0-9]*/stat; do
    read -r _ _ state _ pgrp _ <"$stat" 2>/dev/null || continue
    [ "$pgrp" != "$group" ] || [ "$state" = Z ] || fail "the build's group still runs"
done
out=$(DELAY=0 bash "$work/build.sh" 2>&1)
[[ "$out" != *waiting* ]] || fail "the lock outlived the ended build"
echo "PASS: background builds: waited for and reused, made again after a failure, ended whole"
