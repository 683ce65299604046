# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: about a minute of libFuzzer on the text-to-number path and the
# Variant rules (fuzz/fuzz_values.cpp), built with clang in a folder of its own and started
# from the seed corpus in fuzz/corpus. A broken rule, an exception other than the program's
# runtime errors, or a sanitizer report fails the run; the input that did it is kept in
# <build>/artifacts and can be replayed with: <build>/fuzz/fuzz_values <that file>
# BORVANE_FUZZ_SECONDS sets the run's length, BORVANE_FUZZ_BUILD the build folder.
build="${BORVANE_FUZZ_BUILD:-$BORVANE_ROOT/build/fuzz}"
seconds="${BORVANE_FUZZ_SECONDS:-60}"
started=$SECONDS

# Configured with the tests, as the fuzz target is one of them.
borvane_install clang "${BORVANE_PACKAGES[@]}" "${BORVANE_TEST_PACKAGES[@]}"
# libFuzzer ships with clang on some releases and in libclang-rt-<version>-dev on others.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
    borvane_install "libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
fi

cmake -S "$BORVANE_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=ON -DBORVANE_FUZZ=ON -DBORVANE_WERROR=ON \
    >/dev/null
cmake --build "$build" --target fuzz_values --parallel "$(nproc)"
built=$SECONDS

# New inputs go to a scratch folder; the corpus in the repository is only read. A small
# quarantine keeps AddressSanitizer's memory near 200 MB instead of growing past 600 MB.
export ASAN_OPTIONS="quarantine_size_mb=32:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/artifacts" "$probe/corpus"
"$build/fuzz/fuzz_values" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/" \
    "$probe/corpus" "$BORVANE_ROOT/fuzz/corpus" 2>&1 | { grep -v '^#[0-9]' || true; }
echo "fuzzing: build $((built - started)) s, run $((SECONDS - built)) s"
