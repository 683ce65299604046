// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Numbers read from and written to text as the program's users expect under Italian settings.
// The reading is the program's own rule, the same on every Qt whatever its locale data says;
// QLocale converts the number once the rule has read it, and writes numbers.
//
// How a text reads as a number:
//
//   Blanks around the text are ignored. What is left must be, with nothing else:
//       [sign] mantissa [exponent]
//   sign       "+", "-" or the minus sign "−" (U+2212)
//   digits     "0" to "9"; no other script's digits
//   exponent   "e" or "E", an optional sign, one or more digits: "1e3", "2,5E-1"
//   mantissa   the Italian way first:
//                  whole [ "," [digits] ]   or   "," digits
//              where whole is plain digits ("1000", "007"), or groups of thousands: a first
//              group of one to three digits that does not begin with 0, then one or more
//              groups of a point and exactly three digits ("1.000", "12.345,67", "1.000.000");
//              when the text is no Italian number, with a point as the decimal separator and
//              no groups:
//                  digits [ "." [digits] ]   or   "." digits
//
// So "0,5" and "0.5" are one half, "1.000" is one thousand and "1.000,5" one thousand and a
// half, while "0.500" and "00.500" are one half (a 0 never begins a group of thousands),
// "1.2345" and "1234.567" are read with a decimal point, and "1.000.5", "1,000.5" and "1 000"
// are not numbers. A text whose value lies beyond the range of a Double, too large or
// too small but not zero ("1e400", "1e-400"), is not a number; neither are "inf", "nan" and the
// empty text. The C library's conversions follow the process locale and are not used.

#include <QString>
#include <optional>

// The number a text reads as by the rule above, or nothing.
std::optional<double> readNumber(const QString &text);

// The runtime's numeric test: true when the text reads as a number. The empty text does not.
inline bool IsNumeric(const QString &text)
{
    return readNumber(text).has_value();
}

// The runtime's text-to-Double conversion. A text that is not a number is a Type mismatch.
double textToDouble(const QString &text);

// A number in the runtime's text form: at most `digits` significant digits, decimal comma,
// no trailing zeros, no grouping ("0,51", "1234,5", "1E+20").
QString numberToText(double value, int digits);
