#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up on a fresh Debian or Ubuntu machine, builds Borvane and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
# Only the program: a user needs neither the tests nor the benchmarks.
borvane_setup "$BORVANE_ROOT/build/release" -- -DBUILD_TESTING=OFF
echo "Starting Borvane"
exec "$BORVANE_ROOT/build/release/borvane" "$@"
