# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Stage of the test command: Borvane as a user gets it. Installs the build into a scratch
# prefix (cmake --install) and checks the desktop files there, builds the Debian package
# and checks what it declares and holds and that lintian finds no error and no warning in
# it, then runs the smoke test (tests/smoke/smoke.sh) on the installed program in Xvfb with
# openbox.
# With BORVANE_SMOKE_DPKG=1 (as root or with sudo) the package is installed with dpkg -i
# instead and the smoke test starts "borvane" from the PATH. BORVANE_SMOKE_BUILD names another
# build folder to use.
borvane_install "${BORVANE_PACKAGES[@]}" "${BORVANE_TEST_PACKAGES[@]}" xdotool imagemagick dpkg-dev \
    appstream lintian

build="${BORVANE_SMOKE_BUILD:-$BORVANE_ROOT/build/test}" # the test command's own build
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$BORVANE_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBORVANE_WERROR=ON
cmake --build "$build" --target borvane --parallel "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.borvane.Borvane
expected=(bin/borvane "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
          "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/borvane.1.gz
          share/doc/borvane/copyright share/doc/borvane/changelog.gz)
for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -s "$prefix/$file" ] || { echo "FAIL: cmake --install did not install $file"; exit 1; }
done
grep -qx 'Exec=borvane' "$prefix/share/applications/$id.desktop"
grep -qx 'Categories=Education;Math;Science;' "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
echo "cmake --install: ${#expected[@]} files in place, metainfo valid"

(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null)
deb=$(ls "$scratch"/deb/borvane_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): Depends: $depends"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 fonts-liberation; do
    [[ $depends == *"$needed"* ]] || { echo "FAIL: the package does not depend on $needed"; exit 1; }
done
listing=$(dpkg-deb -c "$deb")
for file in "${expected[@]}"; do
    [[ $listing == *"./usr/$file"* ]] || { echo "FAIL: the package lacks /usr/$file"; exit 1; }
done
# The program finds its libraries where the system keeps them, not in folders of its own.
if readelf -d "$prefix/bin/borvane" | grep -E 'R(UN)?PATH'; then
    echo "FAIL: the installed program has a library search path of its own (above)"
    exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    { echo "FAIL: the AppStream file has no release $version, the package's version"; exit 1; }
# Debian's own checks of the package (its files, copyright, changelog, manual page, desktop
# and AppStream files): any error or warning fails the stage, and overrides are ignored.
if ! lintian --fail-on error,warning --no-override --display-info "$deb"; then
    echo "FAIL: lintian finds errors or warnings in $(basename "$deb") (listed above)"
    exit 1
fi
echo "lintian $(lintian --print-version): no errors, no warnings"

if [ "${BORVANE_SMOKE_DPKG:-0}" = 1 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo dpkg -i "$deb"
    program=$(command -v borvane)
else
    program="$prefix/bin/borvane"
fi
# The screenshots stay in the build folder, to look at when the test fails.
timeout 90 bash "$BORVANE_ROOT/tests/smoke/smoke.sh" "$program" "$build/smoke"
