#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the system packages Borvane needs (Debian or Ubuntu) when they are missing, then
# configures and builds it, saying in a line what each step does; the tools' own output shows
# only when a step fails. Sourced by run.sh and test.sh:
#   borvane_setup BUILD_DIR [extra packages...] -- [extra CMake options...]
set -euo pipefail

BORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BORVANE_PACKAGES=(g++ cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-base-private-dev
                  qt6-translations-l10n fonts-liberation)
# What a build with the tests needs besides, and its test programs: Qt Svg and librsvg's
# rsvg-convert (SVG files drawn again; only librsvg's draws clip paths), an X server with a
# window manager. (For the scripts that source this one.)
# shellcheck disable=SC2034
BORVANE_TEST_PACKAGES=(qt6-svg-dev librsvg2-bin xvfb openbox x11-utils)

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

# Whether this is Debian of the given major version or later.
borvane_at_least_debian() {
    local id version
    id=$(. /etc/os-release && echo "${ID:-}")
    version=$(. /etc/os-release && echo "${VERSION_ID:-0}")
    [ "$id" = debian ] && [ "${version%%.*}" -ge "$1" ] 2>/dev/null
}

# Downloads a Debian source package (NAME=VERSION) into a folder, adding the source packages of
# this release's archive to apt's sources first where apt has none; apt's output goes to a log.
#   borvane_apt_source NAME=VERSION FOLDER LOG
borvane_apt_source() {
    local package="$1" folder="$2" log="$3" mirror suite sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    (cd "$folder" && apt-get source --download-only "$package") >"$log" 2>&1 && return 0
    mirror=$(borvane_debian_mirror)
    suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    if [ -z "$mirror" ] || [ -z "$suite" ]; then
        echo "apt's sources name no Debian archive for the source of $package" >&2
        return 1
    fi
    echo "Adding the source packages of $suite from $mirror to apt's sources" >&2
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
        "$mirror" "$suite" /usr/share/keyrings/debian-archive-keyring.gpg |
        ${sudo[@]+"${sudo[@]}"} tee "/etc/apt/sources.list.d/borvane-$suite-source.sources" \
            >/dev/null
    borvane_quietly ${sudo[@]+"${sudo[@]}"} apt-get update -o DPkg::Lock::Timeout=600
    echo "Downloading Debian's source of $package" >&2
    (cd "$folder" && apt-get source --download-only "$package") >"$log" 2>&1 ||
        { cat "$log" >&2; return 1; }
}

# Builds a configured CMake folder on every core, its output in a log; shows a line of progress
# every tenth of the build or every two minutes, and on failure the failed steps.
#   borvane_build_with_progress BUILD_DIR LOG
borvane_build_with_progress() {
    local status started=$SECONDS shown=-1 last=$SECONDS line tenth
    set +e
    cmake --build "$1" --parallel "$(nproc)" 2>&1 | tee "$2" | {
        # Read here as the lines come (an awk may read a pipe in blocks, and time them late).
        while IFS= read -r line; do
            [[ "$line" =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
            tenth=$((10 * BASH_REMATCH[1] / BASH_REMATCH[2]))
            if [ "$tenth" -gt "$shown" ] || [ $((SECONDS - last)) -ge 120 ]; then
                echo "  ${BASH_REMATCH[1]} of ${BASH_REMATCH[2]} steps, $((SECONDS - started)) s" >&2
                shown=$tenth
                last=$SECONDS
            fi
        done
    }
    status=${PIPESTATUS[0]}
    set -e
    [ "$status" -eq 0 ] && return 0
    grep -E -B 2 -A 12 '^FAILED:' "$2" | head -n 60 >&2
    return "$status"
}

# The Qts built for other systems are kept in a cache folder outside the checkout, each made by
# one process at a time. borvane_cache_lock FOLDER WHAT LOG takes the lock of the cache folder
# FOLDER for the rest of the calling script. While another process holds it (a build begun in
# the background, whose output is LOG), it says so and waits, then shows that build's last line.
borvane_cache_lock() {
    local folder="$1" what="$2" log="$3" waited=$SECONDS
    mkdir -p "$(dirname "$folder")"
    exec {borvane_lock}>"$folder.lock"
    flock -n "$borvane_lock" && return 0
    echo "$what: waiting for its build, begun earlier in the background (log: $log)" >&2
    flock "$borvane_lock"
    echo "$what: waited $((SECONDS - waited)) s; that build's last line:" >&2
    tail -n 1 "$log" 2>/dev/null | sed 's/^/  /' >&2 || true
}

# Runs a command (a function too) in the background, at the lowest priority, in a process
# group of its own, with its output in LOG and nothing to read, and returns at once. The group
# is added to the file that BORVANE_BACKGROUND names, if any: the test command ends what is
# left of it when it ends.
#   borvane_in_background LOG COMMAND [ARGUMENTS...]
borvane_in_background() {
    local log="$1"
    shift
    set -m
    (
        renice -n 19 -p "$BASHPID" >/dev/null
        "$@"
    ) >"$log" 2>&1 </dev/null &
    set +m
    [ -z "${BORVANE_BACKGROUND:-}" ] || echo "$!" >>"$BORVANE_BACKGROUND"
}
