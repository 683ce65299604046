// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "runtime/number_text.h"

#include "runtime/runtime_error.h"

#include <QLocale>
#include <cmath>

namespace {

const QLocale &italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

const QLocale &italianWithoutGroups()
{
    static const QLocale locale = [] {
        QLocale l(QLocale::Italian, QLocale::Italy);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    return locale;
}

// The fallback for a point used as the decimal mark: the C locale, without thousands groups.
const QLocale &pointDecimal()
{
    static const QLocale locale = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::RejectGroupSeparator);
        return l;
    }();
    return locale;
}

} // namespace

std::optional<double> ReadNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = italian().toDouble(trimmed, &ok);
    if (!ok) value = pointDecimal().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

double TextToDouble(const QString &text)
{
    if (const auto value = ReadNumber(text)) return *value;
    throw RuntimeError(RuntimeError::TypeMismatch);
}

QString NumberToText(double value, int digits)
{
    return italianWithoutGroups().toString(value, 'G', digits);
}
