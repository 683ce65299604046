// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "values/variant.h"

#include "values/number_text.h"

const QString &Variant::noText() noexcept
{
    static const QString none;
    return none;
}

Variant PowGeneral(const Variant &base, const Variant &exponent)
{
    const double x = base.number();
    const double n = exponent.number();
    if ((x < 0.0 && n != std::floor(n)) || (x == 0.0 && n < 0.0))
        throw RuntimeError(RuntimeError::InvalidCall);
    return Variant(Variant::finite(std::pow(x, n)));
}

Variant Abs(const Variant &value)
{
    switch (value.kind()) {
    case Variant::Kind::Empty:
        return Variant(0);
    case Variant::Kind::Integer:
        return Variant(Integer(static_cast<int>(std::fabs(value.number()))));
    case Variant::Kind::Single:
        return Variant(std::fabs(static_cast<float>(value.number())));
    case Variant::Kind::Double:
        return Variant(std::fabs(value.number()));
    case Variant::Kind::Text:
        break;
    }
    throw RuntimeError(RuntimeError::TypeMismatch);
}

QString CStr(const Variant &value)
{
    switch (value.kind()) {
    case Variant::Kind::Empty:
        return QString();
    case Variant::Kind::Integer:
        return QString::number(static_cast<int>(value.number()));
    case Variant::Kind::Single:
        return numberToText(value.number(), 7);
    case Variant::Kind::Double:
        return numberToText(value.number(), 15);
    case Variant::Kind::Text:
        break;
    }
    return value.text();
}
