#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Borvane for Windows (10 or later, 64-bit), made on Debian 12: installs what is missing,
# builds Qt for Windows once (scripts/windows/build-qt.sh, kept in a cache outside the
# checkout) and Borvane with it (build/windows, warnings as errors), makes the installer, and
# tests the program under Wine (tests/windows/wine-tests.sh). Prints the installer's path as
# its last line. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

borvane_install mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 \
    nsis imagemagick xvfb openbox x11-utils xdotool fonts-liberation qt6-translations-l10n \
    "${BORVANE_PACKAGES[@]}"
started=$SECONDS
qt=$("$BORVANE_ROOT/scripts/windows/build-qt.sh" | tail -n 1)

build="$BORVANE_ROOT/build/windows"
echo "Configuring: build/windows (Windows, 64-bit, with Qt from $qt)"
borvane_quietly cmake -S "$BORVANE_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" -DBORVANE_WERROR=ON \
    -DBUILD_TESTING=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$BORVANE_ROOT/scripts/windows/wine.sh"
echo "Building: build/windows"
borvane_quietly cmake --build "$build" --parallel "$(nproc)"
echo "Making the installer"
rm -f "$build"/borvane-*-win64.exe
(cd "$build" && borvane_quietly cpack)
installer=$(ls "$build"/borvane-*-win64.exe)
echo "The installer: $(du -h "$installer" | cut -f1), $(basename "$installer")"

# The Linux program, whose pictures the Windows program's must equal, built from these sources:
# the test command's, brought up to date, or one built for the purpose.
linux="$BORVANE_ROOT/build/test/borvane"
if [ -f "$BORVANE_ROOT/build/test/CMakeCache.txt" ]; then
    borvane_quietly cmake --build "$BORVANE_ROOT/build/test" --target borvane
else
    borvane_setup "$BORVANE_ROOT/build/release" -- -DBUILD_TESTING=OFF
    linux="$BORVANE_ROOT/build/release/borvane"
fi
echo "Testing under Wine ($(WINEDEBUG=-all wine --version))"
"$BORVANE_ROOT/tests/windows/wine-tests.sh" "$build" "$qt" "$installer" "$linux"
echo "windows: built, tested under Wine and packaged in $((SECONDS - started)) s"
echo "$installer"
