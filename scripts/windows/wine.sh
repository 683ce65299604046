#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine, as the Windows build's tests need it (it is the build's
# CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs the test programs through it):
#   scripts/windows/wine.sh PROGRAM.exe [ARGS...]
# in the Wine prefix WINEPREFIX, which the caller has made; without Wine's debug output, and
# without its offers to install .NET and a browser engine, which would wait for an answer.
set -euo pipefail
: "${WINEPREFIX:?the Wine prefix to run in}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine keeps the QT_ variables of Linux from Windows programs, and hands on WINEQT_ ones as QT_:
# the Qt settings given here (the platform, its fonts, ...) are for the Windows program.
while IFS='=' read -r -d '' name value; do
    case "$name" in
    QT_*) export "WINE$name=$value" ;;
    esac
done < <(env -0)
exec wine "$@"
