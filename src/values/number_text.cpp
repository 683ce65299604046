// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "values/number_text.h"

#include "values/runtime_error.h"

#include <QLocale>
#include <cmath>

namespace {

// Italian number text without groups: how numbers are written, and how a text the rule has
// read is converted.
const QLocale &italianWithoutGroups()
{
    static const QLocale locale = [] {
        QLocale l(QLocale::Italian, QLocale::Italy);
        l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return l;
    }();
    return locale;
}

// One of the two ways a mantissa may be written: its decimal separator, and whether groups of
// thousands may come before it.
struct Notation
{
    char16_t decimal;
    bool groups;
};
constexpr Notation Italian{u',', true};
constexpr Notation Point{u'.', false};

// Reads a text written in one notation, with no blanks around it, into the plainest form the
// converter takes: [-] digits [, digits] [e [-] digits]. Nothing when the text is not written
// that way.
std::optional<QString> plainForm(QStringView text, Notation notation)
{
    QString plain;
    qsizetype at = 0;
    const auto here = [&](auto... characters) {
        return at < text.size() && ((text[at] == characters) || ...);
    };
    const auto sign = [&] {
        if (here(u'+'))
            ++at;
        else if (here(u'-', u'\u2212')) {
            plain += u'-';
            ++at;
        }
    };
    const auto digits = [&] {
        const qsizetype from = at;
        while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
            ++at;
        plain += text.sliced(from, at - from);
        return at - from;
    };

    sign();
    const qsizetype wholeStart = at;
    qsizetype mantissaDigits = digits();
    if (notation.groups && here(u'.') && mantissaDigits >= 1 && mantissaDigits <= 3 &&
        text[wholeStart] != u'0') {
        while (here(u'.')) {
            ++at;
            if (digits() != 3) return std::nullopt;
            mantissaDigits += 3;
        }
    }
    if (here(notation.decimal)) {
        ++at;
        if (mantissaDigits == 0) plain += u'0';
        plain += u',';
        const qsizetype fraction = digits();
        if (fraction == 0) plain.chop(1);
        mantissaDigits += fraction;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (here(u'e', u'E')) {
        ++at;
        plain += u'e';
        sign();
        if (digits() == 0) return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;
    return plain;
}

} // namespace

std::optional<double> readNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    std::optional<QString> plain = plainForm(trimmed, Italian);
    if (!plain) plain = plainForm(trimmed, Point);
    if (!plain) return std::nullopt;
    bool ok = false;
    const double value = italianWithoutGroups().toDouble(*plain, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

double textToDouble(const QString &text)
{
    if (const auto value = readNumber(text)) return *value;
    throw RuntimeError(RuntimeError::TypeMismatch);
}

QString numberToText(double value, int digits)
{
    return italianWithoutGroups().toString(value, 'G', digits);
}
