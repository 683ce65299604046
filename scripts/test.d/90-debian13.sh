# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: the whole test command again on a fresh Debian 13 ("trixie",
# Qt 6.8), every stage but this one included. A scratch system is made with
# `debootstrap --variant=minbase trixie` from the Debian mirror apt is configured with (its
# archive entry, not -updates or -security); the checkout (tracked files with their uncommitted
# changes, and new files not ignored; no build folders) and ../shared beside it are copied in,
# and ./scripts/test.sh runs there as root. /proc, /sys, /dev and /dev/pts are bound into it;
# on every way out, processes left in it are ended, everything is unmounted, and the scratch
# system is removed only once nothing is mounted in it.
# Needs root, or sudo. The logs stay in build/debian13: bootstrap.log, run.log (every line
# with the seconds since the run started) and wayland/ (the Wayland stage's own, weston's
# included); a failure names the step that failed and its log.
# BORVANE_DEBIAN13_MIRROR names the mirror instead (needed where apt's sources name no Debian
# archive, e.g. on Ubuntu). BORVANE_SKIP_STAGES and BORVANE_FUZZ_SECONDS are passed on.

: "${BORVANE_ROOT:?run this stage through scripts/test.sh}"
mkdir -p "$BORVANE_ROOT/build/debian13"
work=$(cd "$BORVANE_ROOT/build/debian13" && pwd -P) # as the kernel names it, for the checks below
root="$work/root"
inside=/srv/borvane # the checkout goes to $inside/checkout, ../shared to $inside/shared
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
started=$SECONDS
step="preparing"
log=""

debian_mirror() {
    if [ -n "${BORVANE_DEBIAN13_MIRROR:-}" ]; then
        echo "$BORVANE_DEBIAN13_MIRROR"
        return
    fi
    borvane_debian_mirror
}

# Ends what is left running in the scratch system (the test command's X servers, should a
# failure leave one), by the ids of the processes whose root is the scratch system.
processes_in_root() {
    local process target
    for process in /proc/[0-9]*; do
        target=$($sudo readlink "$process/root" 2>/dev/null) || continue
        [ "$target" != "$root" ] || echo "${process#/proc/}"
    done
}

end_processes() {
    local left _
    for _ in $(seq 50); do
        left=$(processes_in_root)
        [ -n "$left" ] || return 0
        # shellcheck disable=SC2086 # one id a word
        $sudo kill -KILL $left 2>/dev/null || true
        sleep 0.2
    done
    echo "still running in the scratch system: $left" >&2
}

mounted_under_root() {
    findmnt -rn -o TARGET |
        awk -v root="$root" 'index($0, root) == 1 && substr($0, length(root) + 1, 1) ~ /^\/?$/'
}

unmount_all() {
    local target
    # Deepest first; a mount still busy is detached (lazily) so that it can be removed safely.
    for target in $(mounted_under_root | sort -r); do
        $sudo umount "$target" 2>/dev/null || $sudo umount -l "$target" || true
    done
}

remove_root() {
    [ -e "$root" ] || return 0
    end_processes
    unmount_all
    if [ -n "$(mounted_under_root)" ]; then
        echo "FAIL: still mounted in the scratch system, not removed: $(mounted_under_root)" >&2
        return 1
    fi
    $sudo rm -rf --one-file-system "$root"
}

# The parts of the run so far, from the marks in its log, as "name N s, " each: the first package
# installation (install), the build, the test suite (suite, ctest), then each further stage.
run_parts() {
    awk '
        function part(name, until) {
            if (name != "") printf "%s %d s, ", name, until - from
            from = until
        }
        { t = $1; sub(/^ *[0-9]+ /, "") }
        NR == 1 { from = t; name = "install" }
        name == "install" && (/^-- The CXX compiler identification/ || /^Configuring: /) {
            part(name, t)
            name = "build"
        }
        name == "build" && /^Test project / { part(name, t); name = "suite" }
        /^== .* skipped/ { part(name, t); name = ""; next }
        /^== / { part(name, t); name = $2 }
        END { part(name, t) }' "$log"
}

# The Wayland stage's output in the scratch system (each test program's, and weston's log and
# core dump), kept in build/debian13/wayland before the scratch system goes.
keep_wayland_logs() {
    local logs="$root$inside/checkout/build/test/wayland"
    $sudo rm -rf "$work/wayland"
    [ -d "$logs" ] || return 0
    $sudo cp -r "$logs" "$work/wayland" || echo "the Wayland stage's logs could not be kept" >&2
}

finish() {
    local status=$?
    trap - EXIT INT TERM
    keep_wayland_logs
    remove_root || status=1
    if [ "$status" -ne 0 ]; then
        echo "FAIL: Debian 13 stage: $step failed (exit status $status)" >&2
        if [ "$log" = "$work/run.log" ] && [ -s "$log" ]; then
            local parts last tally
            parts=$(run_parts)
            parts=${parts%, }
            # A run that got to its end names what failed in its tally; one cut short, the part
            # it was in.
            tally=$(sed -n 's/^ *[0-9]* tests: //p' "$log" | tail -n 1)
            if [ -n "$tally" ]; then
                echo "Its tally: $tally (times: $parts)." >&2
            else
                last=${parts##*, }
                echo "It failed in: ${last% * s} (times so far: $parts)." >&2
            fi
        fi
        if [ -n "$log" ] && [ -f "$log" ]; then
            echo "The log: $log; its end:" >&2
            tail -n 40 "$log" >&2
        fi
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mirror=$(debian_mirror)
if [ -z "$mirror" ]; then
    step="finding a Debian mirror"
    echo "apt's sources name no Debian archive: set BORVANE_DEBIAN13_MIRROR to a Debian" \
        "mirror's URL, or skip this stage with BORVANE_SKIP_STAGES=90-debian13.sh" >&2
    exit 1
fi
borvane_install debootstrap debian-archive-keyring

step="removing the scratch system left by an earlier run"
remove_root

step="debootstrap of Debian 13 from $mirror"
log="$work/bootstrap.log"
echo "debootstrap --variant=minbase trixie from $mirror"
$sudo debootstrap --variant=minbase trixie "$root" "$mirror" >"$log" 2>&1
bootstrapped=$SECONDS

step="copying the checkout into the scratch system"
log=""
# Packages are installed without starting services in the scratch system.
printf '#!/bin/sh\nexit 101\n' | $sudo tee "$root/usr/sbin/policy-rc.d" >/dev/null
$sudo chmod 755 "$root/usr/sbin/policy-rc.d"
$sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
[ -s "$root/etc/hosts" ] || $sudo cp /etc/hosts "$root/etc/hosts"
$sudo mkdir -p "$root$inside/checkout" "$root$inside/shared"
if git -C "$BORVANE_ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # Tracked files as they are in the worktree, and new files that are not ignored.
    git -C "$BORVANE_ROOT" ls-files -z --cached --others --exclude-standard |
        (cd "$BORVANE_ROOT" && while IFS= read -r -d '' file; do
            if [ -e "$file" ]; then printf '%s\0' "$file"; fi
        done) |
        tar -C "$BORVANE_ROOT" --null -T - -cf - | $sudo tar -C "$root$inside/checkout" -xf -
else
    tar -C "$BORVANE_ROOT" --exclude='./build*' --exclude=./.git -cf - . |
        $sudo tar -C "$root$inside/checkout" -xf -
fi
if [ -d "$BORVANE_ROOT/../shared" ]; then
    tar -C "$BORVANE_ROOT/../shared" -cf - . | $sudo tar -C "$root$inside/shared" -xf -
fi

step="mounting /proc, /sys, /dev and /dev/pts in the scratch system"
# Each bound as a slave, so that nothing mounted or unmounted in the scratch system reaches
# the host's own mounts (a bind of a shared mount would otherwise pass it on).
for fs in proc sys dev dev/pts; do
    $sudo mount --bind "/$fs" "$root/$fs"
    $sudo mount --make-rslave "$root/$fs"
done
$sudo mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
copied=$SECONDS

# The run, each line with the seconds since it started; the stages' names and the closing
# lines are shown here as they come.
step="the test command in Debian 13"
log="$work/run.log"
# Not this stage again, nor the Windows build, which is made on Debian 12 only.
skip="${BORVANE_SKIP_STAGES:+$BORVANE_SKIP_STAGES }$(basename "${BASH_SOURCE[0]}") 50-windows.sh"
# CI stops a run at 90 minutes. With Qt for Windows cached, a run gets here after about 25 and
# this stage takes 18; a machine that has just built that Qt (half an hour) gets here after
# about 55, and then the sanitizers and the fuzzing, which the run has already done on
# Debian 12's Qt, are left out here (7 of the stage's 18 minutes).
elapsed=$(($(date +%s) - ${BORVANE_RUN_STARTED:-$(date +%s)}))
if [ "$elapsed" -gt $((40 * 60)) ]; then
    echo "Debian 13: the run has taken $((elapsed / 60)) minutes so far; the sanitizers and" \
        "the fuzzing, done on Debian 12, are left out here"
    skip+=" 10-sanitizers.sh 20-fuzz.sh"
fi
environment=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
             LANG=C.UTF-8 TERM=dumb "BORVANE_SKIP_STAGES=$skip")
if [ -n "${BORVANE_FUZZ_SECONDS:-}" ]; then
    environment+=("BORVANE_FUZZ_SECONDS=$BORVANE_FUZZ_SECONDS")
fi
: >"$log"
echo "./scripts/test.sh in Debian 13 (log: $log)"
run_start=$SECONDS
# In the background, so that an interruption is handled at once (the handler ends what runs in
# the scratch system).
(
    $sudo chroot "$root" /usr/bin/env -i "${environment[@]}" \
        bash -c "cd $inside/checkout && ./scripts/test.sh" </dev/null 2>&1 |
        while IFS= read -r line; do
            printf '%5d %s\n' $((SECONDS - run_start)) "$line" >>"$log"
            case "$line" in
            "== "* | "tests: "* | "lint: "* | "sanitizers: "* | "fuzzing: "* | "wayland: "* | \
                "FAIL"*)
                echo "  $line"
                ;;
            esac
        done
) &
wait $!
ran=$SECONDS

parts=$(run_parts)
echo "debian13: bootstrap $((bootstrapped - started)) s, copy and mounts $((copied - bootstrapped)) s," \
    "run $((ran - run_start)) s (${parts%, }); whole stage $((SECONDS - started)) s"
step="cleaning up"
