#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# A scratch Debian 13 ("trixie") system for commands that need Debian 13 on another system (the
# Debian 13 stage of the test command, the web build on Debian 12). Source it, with setup.sh's
# functions, then:
#   debian13_make ROOT LOG      debootstrap --variant=minbase trixie into ROOT, from the Debian
#                               mirror apt is configured with (its archive entry, not -updates or
#                               -security; BORVANE_DEBIAN13_MIRROR names another), its output in
#                               LOG; the checkout (tracked files with their uncommitted changes,
#                               and new files not ignored; no build folders) goes to
#                               $debian13_inside/checkout and ../shared beside it to
#                               $debian13_inside/shared; /proc, /sys, /dev and /dev/pts are bound
#                               in, and the cache of built Qts (BORVANE_CACHE, see
#                               scripts/windows/build-qt.sh) is bound to $debian13_inside/cache
#   debian13_run ROOT ENV... -- COMMAND
#                               runs a bash command in its checkout as root, with only the given
#                               environment (and PATH, HOME, LANG, TERM, BORVANE_CACHE)
#   debian13_remove ROOT        ends the processes left in it, unmounts everything, and removes
#                               it once nothing is mounted in it (the cache stays)
# Needs root, or sudo.

debian13_inside=/srv/borvane
debian13_sudo=""
[ "$(id -u)" -ne 0 ] && debian13_sudo="sudo"

debian13_mirror() {
    if [ -n "${BORVANE_DEBIAN13_MIRROR:-}" ]; then
        echo "$BORVANE_DEBIAN13_MIRROR"
        return
    fi
    borvane_debian_mirror
}

# The ids of the processes whose root is the scratch system.
debian13_processes() {
    local process target
    for process in /proc/[0-9]*; do
        target=$($debian13_sudo readlink "$process/root" 2>/dev/null) || continue
        [ "$target" != "$1" ] || echo "${process#/proc/}"
    done
}

debian13_end_processes() {
    local left _
    for _ in $(seq 50); do
        left=$(debian13_processes "$1")
        [ -n "$left" ] || return 0
        # shellcheck disable=SC2086 # one id a word
        $debian13_sudo kill -KILL $left 2>/dev/null || true
        sleep 0.2
    done
    echo "still running in the scratch system: $left" >&2
}

debian13_mounts() {
    findmnt -rn -o TARGET |
        awk -v root="$1" 'index($0, root) == 1 && substr($0, length(root) + 1, 1) ~ /^\/?$/'
}

debian13_remove() {
    local root="$1" target
    [ -e "$root" ] || return 0
    debian13_end_processes "$root"
    # Deepest first; a mount still busy is detached (lazily) so that it can be removed safely.
    for target in $(debian13_mounts "$root" | sort -r); do
        $debian13_sudo umount "$target" 2>/dev/null || $debian13_sudo umount -l "$target" || true
    done
    if [ -n "$(debian13_mounts "$root")" ]; then
        echo "FAIL: still mounted in the scratch system, not removed: $(debian13_mounts "$root")" >&2
        return 1
    fi
    $debian13_sudo rm -rf --one-file-system "$root"
}

debian13_make() {
    local root="$1" log="$2" mirror cache fs
    mirror=$(debian13_mirror)
    if [ -z "$mirror" ]; then
        echo "apt's sources name no Debian archive: set BORVANE_DEBIAN13_MIRROR to a Debian" \
            "mirror's URL" >&2
        return 1
    fi
    borvane_install debootstrap debian-archive-keyring
    debian13_remove "$root"
    echo "debootstrap --variant=minbase trixie from $mirror"
    $debian13_sudo debootstrap --variant=minbase trixie "$root" "$mirror" >"$log" 2>&1 ||
        { tail -n 20 "$log" >&2; return 1; }

    # Packages are installed without starting services in the scratch system.
    printf '#!/bin/sh\nexit 101\n' | $debian13_sudo tee "$root/usr/sbin/policy-rc.d" >/dev/null
    $debian13_sudo chmod 755 "$root/usr/sbin/policy-rc.d"
    $debian13_sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
    # The certificate authorities this machine adds to Debian's (a network's own, for https):
    # the scratch system's ca-certificates takes them in as it is installed there.
    if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
        $debian13_sudo mkdir -p "$root/usr/local/share/ca-certificates"
        $debian13_sudo cp /usr/local/share/ca-certificates/*.crt \
            "$root/usr/local/share/ca-certificates/"
    fi
    [ -s "$root/etc/hosts" ] || $debian13_sudo cp /etc/hosts "$root/etc/hosts"
    $debian13_sudo mkdir -p "$root$debian13_inside/checkout" "$root$debian13_inside/shared" \
        "$root$debian13_inside/cache"
    # A checkout of its own: a copy that merely lies inside another worktree (build/mutants's
    # does) is copied whole.
    if [ "$(git -C "$BORVANE_ROOT" rev-parse --show-toplevel 2>/dev/null)" = \
        "$(cd "$BORVANE_ROOT" && pwd -P)" ]; then
        # Tracked files as they are in the worktree, and new files that are not ignored.
        git -C "$BORVANE_ROOT" ls-files -z --cached --others --exclude-standard |
            (cd "$BORVANE_ROOT" && while IFS= read -r -d '' file; do
                if [ -e "$file" ]; then printf '%s\0' "$file"; fi
            done) |
            tar -C "$BORVANE_ROOT" --null -T - -cf - |
            $debian13_sudo tar -C "$root$debian13_inside/checkout" -xf -
    else
        tar -C "$BORVANE_ROOT" --exclude='./build*' --exclude=./.git -cf - . |
            $debian13_sudo tar -C "$root$debian13_inside/checkout" -xf -
    fi
    if [ -d "$BORVANE_ROOT/../shared" ]; then
        tar -C "$BORVANE_ROOT/../shared" -cf - . |
            $debian13_sudo tar -C "$root$debian13_inside/shared" -xf -
    fi

    # Each bound as a slave, so that nothing mounted or unmounted in the scratch system reaches
    # the host's own mounts (a bind of a shared mount would otherwise pass it on).
    for fs in proc sys dev dev/pts; do
        $debian13_sudo mount --bind "/$fs" "$root/$fs"
        $debian13_sudo mount --make-rslave "$root/$fs"
    done
    $debian13_sudo mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
    # The Qts built once (for Windows, for WebAssembly) outlive the scratch system.
    cache=${BORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/borvane}
    mkdir -p "$cache"
    $debian13_sudo mount --bind "$cache" "$root$debian13_inside/cache"
}

debian13_run() {
    local root="$1" environment=()
    shift
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do environment+=("$1"); shift; done
    shift
    $debian13_sudo chroot "$root" /usr/bin/env -i HOME=/root \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 TERM=dumb \
        "BORVANE_CACHE=$debian13_inside/cache" ${environment[@]+"${environment[@]}"} \
        bash -c "cd $debian13_inside/checkout && $1" </dev/null
}
