#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the system packages Borvane needs (Debian or Ubuntu) when they are missing, then
# configures and builds it. Sourced by run.sh and test.sh:
#   borvane_setup BUILD_DIR [extra packages...] -- [extra CMake options...]
set -euo pipefail

BORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BORVANE_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-svg-dev
                  qt6-translations-l10n fonts-liberation)

borvane_install() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

borvane_setup() {
    local build_dir="$1"
    shift
    local packages=("${BORVANE_PACKAGES[@]}") options=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do packages+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    options=("$@")
    borvane_install "${packages[@]}"
    cmake -S "$BORVANE_ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        ${options[@]+"${options[@]}"}
    cmake --build "$build_dir" --parallel "$(nproc)"
}
