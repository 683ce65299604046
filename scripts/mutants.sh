#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The mutation run: shows whether the tests catch the faults that matter. It applies, one at a
# time, the deliberate faults of tests/mutants/faults.txt to a copy of the checkout's files
# (build/mutants/checkout, kept between runs so that each fault rebuilds only what it touches),
# builds the copy and runs the tests the fault names, and says of each fault whether a test
# failed (killed) or none did (survived). First it runs the named test programs once on the
# copy as it is: they must pass there, or a fault's kill would mean nothing. Not a stage of the
# test command: a whole run takes an hour or more (the Windows and the web faults run whole
# stages).
#   scripts/mutants.sh [-f FAULTS] [WORD...]
#   -f FAULTS  the file of faults (default tests/mutants/faults.txt)
#   WORD       only the faults whose names hold one of these words
# Each fault's output goes to build/mutants/N.log. The last line is the tally:
#   mutants: N killed, M survived[ (K of them explained)][, L not run here]
# and the exit status is 0, or 2 when a fault could not be applied or its copy not built (the
# fault file no longer fits the sources), or the tests failed on the copy without a fault.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

faults_file="$BORVANE_ROOT/tests/mutants/faults.txt"
if [ "${1:-}" = "-f" ]; then
    faults_file=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    shift 2
fi
words=("$@")
work="$BORVANE_ROOT/build/mutants"
copy="$work/checkout"
build="$copy/build/test"

# The faults, as parallel arrays: one paragraph of the file each.
names=() files=() froms=() tos=() tests=() envs=() whys=()
field=""
while IFS= read -r line || [ -n "$line" ]; do
    if [ -z "${line//[[:space:]]/}" ]; then
        field=""
        continue
    fi
    [[ "$line" == "#"* ]] && continue
    if [[ "$line" == [[:space:]]* ]]; then
        # An indented line goes on with the value before it, on a line of its own.
        [ -n "$field" ] || { echo "$faults_file: \"$line\" goes on with nothing" >&2; exit 2; }
        value="${line#"${line%%[![:space:]]*}"}"
        n=$((${#names[@]} - 1))
        case "$field" in
        to) tos[n]+=$'\n'"$value" ;;
        from) froms[n]+=$'\n'"$value" ;;
        why) whys[n]+=" $value" ;;
        *) echo "$faults_file: $field takes one line" >&2; exit 2 ;;
        esac
        continue
    fi
    field="${line%%:*}"
    value="${line#*:}"
    value="${value#"${value%%[![:space:]]*}"}"
    if [ "$field" = fault ]; then
        names+=("$value") files+=("") froms+=("") tos+=("") tests+=("") envs+=("") whys+=("")
        continue
    fi
    [ ${#names[@]} -gt 0 ] || { echo "$faults_file: $field before the first fault" >&2; exit 2; }
    n=$((${#names[@]} - 1))
    case "$field" in
    file) files[n]="$value" ;;
    from) froms[n]="$value" ;;
    to) tos[n]="$value" ;;
    tests) tests[n]="$value" ;;
    env) envs[n]+="${envs[n]:+$'\n'}$value" ;;
    why) whys[n]="$value" ;;
    *) echo "$faults_file: unknown field \"$field\"" >&2; exit 2 ;;
    esac
done <"$faults_file"

# The faults chosen: all, or those whose names hold one of the words.
chosen=()
for n in "${!names[@]}"; do
    take=$(( ${#words[@]} == 0 ))
    for word in ${words[@]+"${words[@]}"}; do
        [[ "${names[n]}" == *"$word"* ]] && take=1
    done
    [ "$take" -eq 1 ] && chosen+=("$n")
done
[ ${#chosen[@]} -gt 0 ] || { echo "No fault chosen" >&2; exit 2; }

# The copy: the checkout's files as they are now (their times kept, so that an unchanged file
# is not built again).
echo "Copying the checkout to ${copy#"$BORVANE_ROOT"/}"
mkdir -p "$copy"
git -C "$BORVANE_ROOT" ls-files -z | (cd "$BORVANE_ROOT" && tar --null -T - -cf -) |
    tar -xf - -C "$copy"
borvane_install "${BORVANE_PACKAGES[@]}" "${BORVANE_TEST_PACKAGES[@]}" perl
echo "Building the copy"
# Without warnings as errors: a fault is about what the program does (one may leave a variable
# unused).
borvane_quietly cmake -S "$copy" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBORVANE_WERROR=OFF -DBUILD_TESTING=ON
borvane_quietly cmake --build "$build" --parallel "$(nproc)"

# The test programs a fault names, as a ctest pattern; its stages, one a line.
programs_of() {
    local list=() test
    for test in $1; do [[ "$test" == stage:* ]] || list+=("$test"); done
    [ ${#list[@]} -eq 0 ] || (IFS='|'; echo "^(${list[*]})\$")
}
stages_of() {
    local test
    for test in $1; do [[ "$test" != stage:* ]] || echo "${test#stage:}"; done
}

# Every program the chosen faults name passes on the copy as it is.
all_programs=""
for n in "${chosen[@]}"; do all_programs+=" ${tests[n]}"; done
pattern=$(programs_of "$all_programs")
if [ -n "$pattern" ]; then
    echo "The tests on the copy without a fault: $pattern"
    if ! ctest --test-dir "$build" -R "$pattern" >"$work/without-faults.log" 2>&1; then
        echo "FAIL: the tests fail without a fault (${work#"$BORVANE_ROOT"/}/without-faults.log)"
        exit 2
    fi
fi

# Applies fault n to the copy's file: its text replaced, where the file holds it exactly once.
apply() {
    FROM="${froms[$1]}" TO="${tos[$1]}" perl -0777 -i -pe '
        BEGIN { $from = $ENV{FROM}; $to = $ENV{TO} }
        my $count = () = /\Q$from\E/g;
        die "holds the text $count times, not once\n" unless $count == 1;
        s/\Q$from\E/$to/;' "$copy/${files[$1]}"
}

killed=0 survived=0 explained=0 not_run=0 broken=0
for n in "${chosen[@]}"; do
    log="$work/$n.log"
    : >"$log"
    cp "$BORVANE_ROOT/${files[n]}" "$copy/${files[n]}"
    if ! apply "$n" 2>>"$log"; then
        echo "NOT APPLIED: ${names[n]}: ${files[n]} $(tail -n 1 "$log")"
        broken=$((broken + 1))
        continue
    fi
    environment=()
    [ -z "${envs[n]}" ] || mapfile -t environment <<<"${envs[n]}"
    caught=() skipped=""
    if ! cmake --build "$build" --parallel "$(nproc)" >>"$log" 2>&1; then
        echo "NOT BUILT: ${names[n]} (${log#"$BORVANE_ROOT"/})"
        broken=$((broken + 1))
        cp "$BORVANE_ROOT/${files[n]}" "$copy/${files[n]}"
        continue
    fi
    pattern=$(programs_of "${tests[n]}")
    if [ -n "$pattern" ] &&
        ! env ${environment[@]+"${environment[@]}"} ctest --test-dir "$build" -R "$pattern" \
            --output-on-failure >>"$log" 2>&1; then
        # ctest's list of the tests that failed: "  7 - tst_flow (Failed)", "(SEGFAULT)"...
        caught+=("$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$log" | paste -sd, -)")
    fi
    while IFS= read -r stage; do
        [ -n "$stage" ] || continue
        status=0
        (cd "$copy" && env ${environment[@]+"${environment[@]}"} bash -c \
            'set -euo pipefail; source scripts/setup.sh; source "scripts/test.d/$1"' _ "$stage") \
            >>"$log" 2>&1 || status=$?
        if [ "$status" -eq 77 ]; then
            skipped+="$stage "
        elif [ "$status" -ne 0 ]; then
            caught+=("$stage")
        fi
    done < <(stages_of "${tests[n]}")
    cp "$BORVANE_ROOT/${files[n]}" "$copy/${files[n]}"
    if [ ${#caught[@]} -gt 0 ]; then
        echo "killed:   ${names[n]} (by $(IFS=,; echo "${caught[*]}"))"
        killed=$((killed + 1))
    elif [ -n "$skipped" ]; then
        echo "not run:  ${names[n]} (${skipped% } cannot run here)"
        not_run=$((not_run + 1))
    elif [ -n "${whys[n]}" ]; then
        echo "survived: ${names[n]} (explained: ${whys[n]})"
        survived=$((survived + 1))
        explained=$((explained + 1))
    else
        echo "SURVIVED: ${names[n]} (${log#"$BORVANE_ROOT"/})"
        survived=$((survived + 1))
    fi
done
# The copy's sources as the checkout's again, for the next run.
cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1 || true

tally="mutants: $killed killed, $survived survived"
[ "$explained" -eq 0 ] || tally+=" ($explained of them explained)"
[ "$not_run" -eq 0 ] || tally+=", $not_run not run here"
[ "$broken" -eq 0 ] || tally+="; $broken could not be applied or built"
echo "$tally"
[ "$broken" -eq 0 ]
