// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "values/variant.h"

#include <QRgb>

// The classic 16-colour palette of QBColor: 0 black, 1 blue, 2 green, 3 cyan, 4 red,
// 5 magenta, 6 yellow, 7 white (light grey), 8 grey, 9 to 15 their bright forms.
// An index outside 0 to 15 is an invalid argument (error 5).
QRgb QBColor(Integer index);

// A colour written the old way, &H00BBGGRR& (red in the low byte), as a Qt colour.
constexpr QRgb fromBgr(std::uint32_t bgr)
{
    return qRgb(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
