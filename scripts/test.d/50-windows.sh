# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: Borvane for Windows, built, packaged and tested under Wine by
# scripts/windows.sh (Qt for Windows comes from its cache outside the checkout, or is built
# once, from the test command's start, by 50-windows.early). Qt for Windows is built from
# Debian 12's source of the host's own Qt tools, so the stage runs on Debian 12; elsewhere it is
# skipped, and says so.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ "$codename" != bookworm ]; then
    echo "windows: skipped here: the Windows build is made on Debian 12 (this is ${codename:-unknown})"
    exit 77
fi
"$BORVANE_ROOT/scripts/windows.sh" | sed '$ s/^/windows: the installer: /'
