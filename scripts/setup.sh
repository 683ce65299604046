#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the system packages Borvane needs (Debian or Ubuntu) when they are missing, then
# configures and builds it, saying in a line what each step does; the tools' own output shows
# only when a step fails. Sourced by run.sh and test.sh:
#   borvane_setup BUILD_DIR [extra packages...] -- [extra CMake options...]
set -euo pipefail

BORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BORVANE_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
                  fonts-liberation)

# Runs a command with its output kept aside, and shows that output only when the command fails.
borvane_quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || cat "$log" >&2
    rm -f "$log"
    return "$status"
}

borvane_install() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    # A fresh machine's own updates may hold apt's lock for a while: wait for it.
    borvane_quietly ${sudo[@]+"${sudo[@]}"} apt-get update -o DPkg::Lock::Timeout=600
    borvane_quietly ${sudo[@]+"${sudo[@]}"} env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
}

borvane_setup() {
    local build_dir="$1"
    shift
    local packages=("${BORVANE_PACKAGES[@]}") options=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do packages+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    options=("$@")
    borvane_install "${packages[@]}"
    echo "Configuring: ${build_dir#"$BORVANE_ROOT"/}"
    borvane_quietly cmake -S "$BORVANE_ROOT" -B "$build_dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release ${options[@]+"${options[@]}"}
    echo "Building: ${build_dir#"$BORVANE_ROOT"/} (the first build takes a minute or more)"
    borvane_quietly cmake --build "$build_dir" --parallel "$(nproc)"
}

# The archive entries of apt's sources, one URI a line, the release's own first: one-line
# entries ("deb [options] URI suite components") and deb822 stanzas (Types, URIs, Suites).
borvane_apt_archives() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        awk '$1 == "deb" {
                 i = 2
                 if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
                 if ($(i + 1) !~ /-/) print $i
             }' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
             {
                 types = uris = suites = ""; enabled = "yes"
                 for (n = 1; n <= NF; n++) {
                     if ($n ~ /^#/ || index($n, ":") == 0) continue
                     key = tolower(substr($n, 1, index($n, ":") - 1))
                     value = substr($n, index($n, ":") + 1)
                     if (key == "types") types = value
                     else if (key == "uris") uris = value
                     else if (key == "suites") suites = value
                     else if (key == "enabled") enabled = tolower(value)
                 }
                 if (enabled ~ /no/ || (" " types " ") !~ /[ \t]deb[ \t]/) next
                 split(suites, suite, /[ \t]+/)
                 for (s in suite)
                     if (suite[s] != "" && suite[s] !~ /-/) { split(uris, uri, /[ \t]+/)
                         for (u in uri) if (uri[u] != "") print uri[u]
                         break }
             }' "$file"
    done
}

# The first Debian archive that apt's sources name (nothing on a system that is not Debian).
borvane_debian_mirror() {
    (. /etc/os-release && [ "${ID:-}" = debian ]) || return 0
    borvane_apt_archives | grep -E '^(https?|ftp)://' | head -n 1 || true
}
