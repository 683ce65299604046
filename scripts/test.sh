#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up on a fresh Debian or Ubuntu machine, builds Borvane with warnings as
# errors and runs the whole test suite, then the further stages in scripts/test.d.
# Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# Qt Svg: the tests draw the program's SVG files again to compare them with its windows.
borvane_setup "$BORVANE_ROOT/build/test" qt6-svg-dev xvfb openbox x11-utils -- \
    -DBORVANE_WERROR=ON -DBUILD_TESTING=ON
ctest --test-dir "$BORVANE_ROOT/build/test" --output-on-failure --timeout 900
passed=$(ctest --test-dir "$BORVANE_ROOT/build/test" -N | sed -n 's/^Total Tests: //p')

# BORVANE_SKIP_STAGES: names of stages not to run, blank-separated (the Debian 13 stage runs the
# test command in its scratch system with itself named here).
for stage in "$BORVANE_ROOT"/scripts/test.d/*.sh; do
    [ -e "$stage" ] || continue
    if [[ " ${BORVANE_SKIP_STAGES:-} " == *" $(basename "$stage") "* ]]; then
        echo "== $(basename "$stage") skipped (BORVANE_SKIP_STAGES)"
        continue
    fi
    echo "== $(basename "$stage")"
    bash -c 'set -euo pipefail; source "$1/scripts/setup.sh"; source "$2"' _ "$BORVANE_ROOT" "$stage"
    passed=$((passed + 1))
done
# The test suite and each further stage; any failure has already ended the run.
echo "tests: $passed passed, 0 failed"
