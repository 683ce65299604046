// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Numbers read from and written to text as the program's users expect under Italian settings:
// a decimal comma ("0,5"), a point between groups of thousands ("1.000"). A point typed as the
// decimal mark, or from the numeric keypad, is read as one too ("0.5" is one half).
// QLocale does the work; the C library's conversions follow the process locale and are not used.

#include <QString>
#include <optional>

// The number a text reads as, or nothing: blanks around it are allowed; texts that read as an
// infinite, undefined or out-of-range value ("1e400", "inf", "nan") are not numbers.
std::optional<double> ReadNumber(const QString &text);

// The runtime's numeric test: true when the text reads as a number. The empty text does not.
inline bool IsNumeric(const QString &text)
{
    return ReadNumber(text).has_value();
}

// The runtime's text-to-Double conversion. A text that is not a number is a Type mismatch.
double TextToDouble(const QString &text);

// A number in the runtime's text form: at most `digits` significant digits, decimal comma,
// no trailing zeros, no grouping.
QString NumberToText(double value, int digits);
