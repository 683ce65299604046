# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: the sources as they are to be kept. The C++ sources (src, tests,
# bench, fuzz) must be as clang-format writes them with the project's .clang-format, and every
# shell script (each *.sh, the stages' early parts *.early, and .ci/run) must pass shellcheck's
# checks down to warnings (-S warning), following the files it sources (-x). Both checks run,
# and each fault is shown.
# The sources are formatted as clang-format 14 (Debian 12's) writes them, and only that version
# checks them: others write some code otherwise (19, Debian 13's, breaks a lambda argument
# list differently), so where clang-format 14 is not to be had the stage says that formatting
# was not checked, names it among the parts left out (the test command's tally counts it as
# skipped), and checks the shell scripts alone.
cd "$BORVANE_ROOT" || return 1
borvane_install shellcheck
status=0

# The project's clang-format, installed where the system has it as a package of its own.
formatter=""
if command -v clang-format-14 >/dev/null ||
    { apt-cache show clang-format-14 >/dev/null 2>&1 && borvane_install clang-format-14; }; then
    formatter=clang-format-14
fi
# (Not the web test's npm packages, which tests/web/node_modules holds once it has run.)
mapfile -t sources < <(find src tests bench fuzz -path tests/web/node_modules -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' \) -print | sort)
if [ -z "$formatter" ]; then
    formatting="formatting not checked (no clang-format 14 here)"
    [ -z "${BORVANE_LEFT_OUT:-}" ] || echo "05-lint.sh (formatting)" >>"$BORVANE_LEFT_OUT"
elif "$formatter" --dry-run -Werror "${sources[@]}"; then
    formatting="${#sources[@]} C++ files as $formatter writes them"
else
    echo "FAIL: formatting: the places above are not as $formatter writes them" \
        "($formatter -i FILE rewrites a file so)"
    formatting="C++ files not as $formatter writes them"
    status=1
fi

# Every shell script of the checkout, build folders left out.
mapfile -t scripts < <({ find . \( -path ./build -o -path ./.git -o -path ./tests/web/node_modules \) \
    -prune -o -type f \
    \( -name '*.sh' -o -name '*.early' \) -print; echo ./.ci/run; } | sort)
if shellcheck -x -S warning "${scripts[@]}"; then
    checked="${#scripts[@]} shell scripts without warnings"
else
    echo "FAIL: shellcheck: the warnings above"
    checked="shell scripts with warnings"
    status=1
fi
echo "lint: $formatting; shellcheck $(shellcheck --version | sed -n 's/^version: //p'): $checked"
return "$status"
