#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program's tests, under Wine (scripts/windows.sh runs them):
#   tests/windows/wine-tests.sh BUILD QT_PREFIX INSTALLER LINUX_PROGRAM
# 1. the QtTest programs, built for Windows, under Qt's offscreen platform (ctest in BUILD);
# 2. the installer, silently, into a fresh Wine prefix: its files, the start menu's entry, the
#    entry in the list of installed apps;
# 3. the installed program from the command line: --version and --help, a PNG equal to the
#    Linux program's pixel for pixel and an SVG equal to it byte for byte (under a name that is
#    not ASCII), and a refusal with its message and status;
# 4. the installed program in a real X server with a window manager (Wine's X11 driver): the
#    walk to two plots (walk.sh), whose dots equal the Linux program's, colour by colour;
# 5. the uninstaller, silently: nothing left of the program.
# The logs, the Wine prefixes and the pictures stay in BUILD/wine.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:?usage: wine-tests.sh BUILD QT_PREFIX INSTALLER LINUX_PROGRAM}"
qt="${2:?}"
installer="${3:?}"
linux="${4:?}"
logs="$build/wine"
rm -rf "$logs"
mkdir -p "$logs"
# Names that are not ASCII reach the Windows program whole only from a UTF-8 locale.
export LC_ALL=C.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The tests and the command line need no display.
unset DISPLAY WAYLAND_DISPLAY

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# new_prefix NAME: a fresh Wine prefix in the logs' folder, made the current one.
new_prefix() {
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
    export WINEPREFIX="$logs/$1"
    local started=$SECONDS
    wineboot --init >"$logs/$1-wineboot.log" 2>&1 ||
        { tail -n 20 "$logs/$1-wineboot.log" >&2; fail "no Wine prefix could be made"; }
    wineserver -w
    echo "wine: prefix $1 made in $((SECONDS - started)) s"
}

stop_wine() {
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
}
trap stop_wine EXIT

# The Windows form of a path of this machine (Wine's drive Z: is its root).
windows_path() {
    local path="${1//\//\\}"
    echo "Z:$path"
}

# ---- 1. The test programs ----------------------------------------------------------------
new_prefix tests
started=$SECONDS
# The libraries of the test programs: Qt's and the MinGW runtime's (the installed program has
# them beside it).
compiler=x86_64-w64-mingw32-g++-posix
export WINEPATH
WINEPATH="$(windows_path "$qt/bin");$(windows_path "$(dirname "$($compiler \
    -print-file-name=libstdc++-6.dll)")");$(windows_path "$(dirname "$($compiler \
    -print-file-name=libwinpthread-1.dll)")")"
# The offscreen platform's fonts (Qt reads the folder itself: the metric twins of the windows'
# fonts); the results on standard output, where Qt would send them to the debugger.
# The random walks a quarter as long as on Linux (1000 actions each): the same rules, in a
# quarter of the time that Wine makes them take.
export QT_QPA_FONTDIR QT_FORCE_STDERR_LOGGING=1 BORVANE_MONKEY_ACTIONS=1000
QT_QPA_FONTDIR=$(windows_path /usr/share/fonts/truetype/liberation)
# One server for all the programs, with Wine's own services started now: started by the first
# test program, they would keep its output open, and ctest would wait for its end until the
# time limit.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
status=0
ctest --test-dir "$build" -V --timeout 600 >"$logs/ctest.log" 2>&1 || status=$?
unset WINEPATH QT_QPA_FONTDIR QT_FORCE_STDERR_LOGGING BORVANE_MONKEY_ACTIONS
grep -E '^ *[0-9]+/[0-9]+ Test' "$logs/ctest.log" | sed 's/^ */  /'
cases=$(grep -cE '^[0-9]+: (PASS|FAIL!|SKIP) +:' "$logs/ctest.log" || true)
skipped=$(grep -cE '^[0-9]+: SKIP +:' "$logs/ctest.log" || true)
echo "wine: test programs in $((SECONDS - started)) s: $cases cases, $skipped skipped:"
sed -nE 's/^[0-9]+: SKIP +: ([A-Za-z]+::[A-Za-z]+)(\(.*\))? (.*)/\1: \3/p' "$logs/ctest.log" |
    sort | uniq -c | sed 's/^ */  /'
if [ "$status" -ne 0 ]; then
    grep -E -B 2 -A 6 '^[0-9]+: (FAIL!|QFATAL)' "$logs/ctest.log" | head -n 80 >&2 || true
    fail "test programs under Wine (the whole output: $logs/ctest.log)"
fi

# ---- 2. The installer --------------------------------------------------------------------
new_prefix install
"$here/../../scripts/windows/wine.sh" "$installer" /S >"$logs/install.log" 2>&1 ||
    fail "the installer ended with status $? (log: $logs/install.log)"
wineserver -w
folder="$WINEPREFIX/drive_c/Program Files/Borvane"
for file in borvane.exe qt.conf LICENSE.txt Uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    Qt6PrintSupport.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
    platforms/qwindows.dll platforms/qminimal.dll styles/qwindowsvistastyle.dll \
    translations/qtbase_it.qm; do
    [ -f "$folder/$file" ] || fail "installed, but $file is not in Program Files\\Borvane"
done
# Nothing the program does not load: the test library stays out.
[ ! -e "$folder/Qt6Test.dll" ] || fail "Qt6Test.dll was installed"
shortcut=$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -name 'Borvane.lnk' | head -n 1)
[ -n "$shortcut" ] || fail "no start menu entry Borvane.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Borvane'
wine reg query "$key" >"$logs/uninstall-key.txt" 2>&1 || fail "no entry in the installed apps"
for value in "DisplayName.*Borvane" "DisplayVersion.*[0-9]+\.[0-9]+\.[0-9]+" \
    "Publisher.*Borvane" "DisplayIcon.*borvane\.exe" "UninstallString.*Uninstall\.exe"; do
    tr -d '\r' <"$logs/uninstall-key.txt" | grep -qE "$value" ||
        fail "the installed apps' entry has no $value: $(tr -d '\r' <"$logs/uninstall-key.txt")"
done
echo "wine: installed silently: $(du -sh "$folder" | cut -f1) in Program Files\\Borvane," \
    "$(find "$folder" -type f | wc -l) files; start menu entry ${shortcut#"$WINEPREFIX"/};" \
    "installed apps: $(tr -d '\r' <"$logs/uninstall-key.txt" | awk '$1 == "DisplayName" ||
        $1 == "DisplayVersion" { $1 = $2 = ""; printf "%s", $0 }' | tr -s ' ')"

# ---- 3. The command line -----------------------------------------------------------------
program='C:\Program Files\Borvane\borvane.exe'
pictures="$logs/pictures"
mkdir -p "$pictures"
# run_windows ARGS...: the installed program, its output in $output, its status in $status.
# The output goes through a file: Wine's services, started with a program, keep what it was
# given open, and a pipe would not end.
run_windows() {
    status=0
    (cd "$pictures" && "$here/../../scripts/windows/wine.sh" "$program" "$@") \
        >"$logs/output.txt" 2>&1 || status=$?
    output=$(cat "$logs/output.txt")
}
run_windows --version
[ "$status" -eq 0 ] && [ "$output" = "Borvane $(cd "$pictures" && "$linux" --version |
    awk '{ print $2 }')" ] || fail "--version: status $status, \"$output\""
run_windows --help
[ "$status" -eq 0 ] && [[ $output == *--esporta* ]] || fail "--help: status $status, \"$output\""
figure=(--figura ellisse --a 20 --b 15 --c "0,5" --base --dimensione 1280x720)
run_windows --esporta "piano è.png" "${figure[@]}"
[ "$status" -eq 0 ] && [ -z "$output" ] || fail "--esporta PNG: status $status, \"$output\""
run_windows --esporta "piano è.svg" "${figure[@]}"
[ "$status" -eq 0 ] || fail "--esporta SVG: status $status, \"$output\""
(cd "$pictures" && "$linux" --esporta "linux è.png" "${figure[@]}" &&
    "$linux" --esporta "linux è.svg" "${figure[@]}") 2>/dev/null
differing=$(compare -metric AE "$pictures/piano è.png" "$pictures/linux è.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "the Windows PNG differs from the Linux one in $differing pixels"
cmp -s "$pictures/piano è.svg" "$pictures/linux è.svg" ||
    fail "the Windows SVG differs from the Linux one ($pictures)"
run_windows --esporta "piano è.png" --figura ellisse --a 20 --b 15 --c 3
[ "$status" -eq 2 ] && [ "$output" = "Valore (c) Max 2" ] ||
    fail "c above 2: status $status, \"$output\""
echo "wine: command line: --version, --help; \"piano è.png\" equal to Linux's pixel for pixel" \
    "($(identify -format '%wx%h' "$pictures/piano è.png"), 0 differ), \"piano è.svg\" byte for" \
    "byte ($(stat -c %s "$pictures/piano è.svg") bytes); c = 3 refused with status 2"

# ---- 4. The windows, in a real X server ----------------------------------------------------
# The prefix's desktop process is started again, on the X server.
wineserver -k 2>/dev/null || true
wineserver -w
"$here/walk.sh" "$logs/plot-windows.png" env -u QT_QPA_PLATFORM \
    "$here/../../scripts/windows/wine.sh" "$program" >"$logs/walk-windows.log" 2>&1 ||
    { cat "$logs/walk-windows.log" >&2; fail "the walk through the Windows program's windows"; }
wineserver -k 2>/dev/null || true
"$here/walk.sh" "$logs/plot-linux.png" "$linux" >"$logs/walk-linux.log" 2>&1 ||
    { cat "$logs/walk-linux.log" >&2; fail "the walk through the Linux program's windows"; }
size_windows=$(identify -format '%wx%h' "$logs/plot-windows.png")
size_linux=$(identify -format '%wx%h' "$logs/plot-linux.png")
[ "$size_windows" = "$size_linux" ] ||
    fail "the plot window's client area is $size_windows under Wine, $size_linux on Linux"
# The two plots' colours: QBColor(1) and QBColor(2).
compared=""
for colour in '#000080' '#008000'; do
    for side in windows linux; do
        convert "$logs/plot-$side.png" -fill black +opaque "$colour" -fill white \
            -opaque "$colour" "$logs/dots-$side-${colour#\#}.png"
    done
    dots=$(convert "$logs/dots-linux-${colour#\#}.png" -format '%[fx:int(mean*w*h+0.5)]' info:)
    [ "$dots" -gt 1000 ] || fail "the Linux plot has only $dots pixels of $colour"
    differing=$(compare -metric AE "$logs/dots-windows-${colour#\#}.png" \
        "$logs/dots-linux-${colour#\#}.png" null: 2>&1) || true
    [ "$differing" = 0 ] ||
        fail "the plot in $colour differs in $differing of $dots pixels (see $logs/plot-*.png)"
    compared+="$colour $dots pixels, "
done
echo "wine: windows walked to two plots, client area $size_windows; dots equal to Linux's:" \
    "${compared%, }"

# The texts read back: drawn whole, with the glyphs of Linux (the same faces, both drawn by
# FreeType; their edges are smoothed and their advances rounded a little differently). In the
# introduction's document (OLE1, at 1410, 330 twips, 9135 x 6015) its glyphs are as many as on
# Linux (a letter drawn as two, an "m" as "rr", adds one); in each command of the two windows,
# the caption's ink is as wide as on Linux, within two pixels, and in no fewer pieces and no
# fewer runs of columns than on Linux: a letter left out from the middle (its advance kept, so
# the width holds) takes away a piece or a run, and often both. Wine's FreeType may split a
# letter's thin joint that Linux's keeps, so a caption may have one piece or one run more (it
# has, in "Cancella e riprendi" and "Traccia la figura base"); a letter drawn as two is then not
# told from that, but no caption has an "m". (Qt's other engine left the capital I out of
# AVANTI, RIPRENDI and ESCI, and drew MS Sans Serif's "m" as "rr".)
column_runs() { # IMAGE: the runs of columns with ink
    convert "$1" -scale "$(identify -format %w "$1")x1!" -threshold 0 txt:- |
        awk -F'[ :,]+' 'NR > 1 { ink = $0 ~ /gray\(255\)|#FFFFFF/; if (ink && !last) n++; last = ink }
                        END { print n + 0 }'
}
ink() { # IMAGE CROP: the crop's dark pixels, white on black
    convert "$1" -crop "$2" +repage -colorspace gray -threshold 50% -negate "$3"
}
glyphs() { # IMAGE: its pieces of ink
    convert "$1" -define connected-components:verbose=true -connected-components 8 null: |
        awk 'NR > 1 && $NF == "gray(255)" { n++ } END { print n + 0 }'
}
for side in windows linux; do
    ink "$logs/plot-$side.form1.png" 601x393+98+26 "$logs/document-$side.png"
done
document_windows=$(glyphs "$logs/document-windows.png")
document_linux=$(glyphs "$logs/document-linux.png")
[ "$document_windows" -eq "$document_linux" ] && [ "$document_linux" -gt 300 ] ||
    fail "the introduction's text: $document_windows pieces of ink under Wine, $document_linux on Linux"
captions=""
# Each command: window, caption, left, top, width, height (twips).
while read -r form caption left top width height; do
    image=$([ "$form" = Form1 ] && echo plot-SIDE.form1.png || echo plot-SIDE.png)
    inner="$((width / 15 - 10))x$((height / 15 - 10))+$((left / 15 + 5))+$((top / 15 + 5))"
    # The caption's extent on Linux, a pixel around it (clear of a focus frame).
    ink "$logs/${image/SIDE/linux}" "$inner" "$logs/caption.png"
    read -r w h x y < <(convert "$logs/caption.png" -trim -format '%w %h %X %Y\n' info: | tr -d '+')
    crop="$((w + 2))x$((h + 2))+$((left / 15 + 5 + x - 1))+$((top / 15 + 5 + y - 1))"
    for side in windows linux; do
        ink "$logs/${image/SIDE/$side}" "$crop" "$logs/caption-$side.png"
        read -r width_ink < <(convert "$logs/caption-$side.png" -trim -format '%w\n' info:)
        declare "width_$side=$width_ink" "pieces_$side=$(glyphs "$logs/caption-$side.png")" \
            "runs_$side=$(column_runs "$logs/caption-$side.png")"
    done
    # shellcheck disable=SC2154 # set by declare above
    if [ $((width_windows - width_linux)) -gt 2 ] || [ $((width_linux - width_windows)) -gt 2 ] ||
        [ "$pieces_windows" -lt "$pieces_linux" ] || [ "$runs_windows" -lt "$runs_linux" ] ||
        [ $((pieces_windows - pieces_linux)) -gt 1 ] || [ $((runs_windows - runs_linux)) -gt 1 ]; then
        fail "\"$caption\" on $form: $width_windows pixels wide, $pieces_windows pieces in" \
            "$runs_windows runs under Wine; $width_linux, $pieces_linux in $runs_linux on Linux"
    fi
    captions+="\"$caption\" $pieces_linux in $runs_linux, "
done <<'COMMANDS'
Form1 AVANTI 4320 6120 2895 855
Form4 RIPRENDI 960 720 1695 615
Form4 Cancella_e_riprendi 3000 720 1695 615
Form4 ESCI 960 1800 1695 615
Form4 Traccia_la_figura_base 3000 1800 1695 615
COMMANDS
echo "wine: texts read back: the introduction in $document_linux pieces of ink, as on Linux;" \
    "captions whole (their pieces of ink in runs of columns): ${captions%, }" | tr '_' ' '

# ---- 5. The uninstaller ------------------------------------------------------------------
unset DISPLAY
"$here/../../scripts/windows/wine.sh" 'C:\Program Files\Borvane\Uninstall.exe' /S \
    >"$logs/uninstall.log" 2>&1 || fail "the uninstaller ended with status $?"
# It runs on from a copy of itself: wait for every program of the prefix.
wineserver -w
if [ -e "$folder" ]; then
    fail "left after uninstalling: $(find "$folder" | head -n 20 | tr '\n' ' ')"
fi
[ -z "$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -iname '*borvane*')" ] ||
    fail "the start menu entry is left"
if wine reg query "$key" >/dev/null 2>&1; then fail "the installed apps' entry is left"; fi
echo "wine: uninstalled silently: nothing left in Program Files, the start menu or the list" \
    "of installed apps"
