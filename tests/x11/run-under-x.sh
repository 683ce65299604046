#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one test program in a real X server with a window manager (Xvfb and openbox), where
# windows are placed, maximized and activated by the window manager, as on a desktop.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../smoke/x-session.sh"
trap x_stop EXIT
x_start
QT_QPA_PLATFORM=xcb "$@"
