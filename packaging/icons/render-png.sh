#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Borvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the launcher sizes of the icon from its SVG (needs rsvg-convert, Debian librsvg2-bin).
# The PNGs are kept in the repository, so building and packaging need no SVG renderer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert -w "$size" -h "$size" org.borvane.Borvane.svg -o "${size}x${size}/org.borvane.Borvane.png"
done
