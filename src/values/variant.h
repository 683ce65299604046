// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The values of the program: a 16-bit Integer, and the Variant that holds Empty, an Integer,
// a Single, a Double or a text, with the arithmetic and comparisons of the old forms runtime.
// Numbers never touch the heap, so the plots can use Variants point by point.

#include "values/runtime_error.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <compare>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

// A 16-bit signed integer whose arithmetic raises Overflow (error 6) outside -32768 to 32767.
class Integer
{
public:
    constexpr Integer() noexcept = default;
    // A whole number out of the 16-bit range is an Overflow.
    constexpr Integer(int value) : m_value(checked(value)) {}

    constexpr std::int16_t value() const noexcept { return m_value; }

    friend constexpr Integer operator+(Integer a, Integer b)
    {
        return Integer(a.m_value + b.m_value);
    }
    friend constexpr Integer operator-(Integer a, Integer b)
    {
        return Integer(a.m_value - b.m_value);
    }
    friend constexpr bool operator==(Integer a, Integer b) noexcept = default;
    friend constexpr auto operator<=>(Integer a, Integer b) noexcept = default;

private:
    static constexpr std::int16_t checked(int value)
    {
        if (value < std::numeric_limits<std::int16_t>::min() ||
            value > std::numeric_limits<std::int16_t>::max())
            throw RuntimeError(RuntimeError::Overflow);
        return static_cast<std::int16_t>(value);
    }

    std::int16_t m_value = 0;
};

class Variant
{
public:
    // Ordered by precision: arithmetic on two numbers gives the larger of their kinds.
    enum class Kind : std::uint8_t { Empty, Integer, Single, Double, Text };

    Variant() noexcept : m_number(0.0) {}
    Variant(int value) : m_kind(Kind::Integer), m_number(Integer(value).value()) {}
    Variant(Integer value) noexcept : m_kind(Kind::Integer), m_number(value.value()) {}
    Variant(float value) noexcept : m_kind(Kind::Single), m_number(value) {}
    Variant(double value) noexcept : m_kind(Kind::Double), m_number(value) {}
    Variant(QString text) noexcept : m_kind(Kind::Text) { new (&m_text) QString(std::move(text)); }
    Variant(const char *) = delete; // texts are QStrings: say which encoding you mean

    // A number copies as a number: only a text touches its QString.
    Variant(const Variant &other) : m_kind(other.m_kind)
    {
        if (m_kind == Kind::Text)
            new (&m_text) QString(other.m_text);
        else
            m_number = other.m_number;
    }
    Variant(Variant &&other) noexcept : m_kind(other.m_kind)
    {
        if (m_kind == Kind::Text)
            new (&m_text) QString(std::move(other.m_text));
        else
            m_number = other.m_number;
    }
    Variant &operator=(const Variant &other)
    {
        if (m_kind != Kind::Text && other.m_kind != Kind::Text) {
            m_kind = other.m_kind;
            m_number = other.m_number;
        } else if (this != &other) {
            Variant copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    Variant &operator=(Variant &&other) noexcept
    {
        if (this == &other) return *this;
        if (m_kind == Kind::Text) m_text.~QString();
        m_kind = other.m_kind;
        if (m_kind == Kind::Text)
            new (&m_text) QString(std::move(other.m_text));
        else
            m_number = other.m_number;
        return *this;
    }
    ~Variant()
    {
        if (m_kind == Kind::Text) m_text.~QString();
    }

    Kind kind() const noexcept { return m_kind; }
    bool isEmpty() const noexcept { return m_kind == Kind::Empty; }
    bool isText() const noexcept { return m_kind == Kind::Text; }

    // The number held, exactly (Empty is 0). A text raises Type mismatch.
    double number() const
    {
        if (m_kind == Kind::Text) throw RuntimeError(RuntimeError::TypeMismatch);
        return m_number;
    }
    // The text held; the empty text for a number.
    const QString &text() const noexcept { return m_kind == Kind::Text ? m_text : noText(); }

    friend Variant operator+(const Variant &a, const Variant &b)
    {
        return arithmetic(a, b, a.number() + b.number());
    }
    friend Variant operator-(const Variant &a, const Variant &b)
    {
        return arithmetic(a, b, a.number() - b.number());
    }
    friend Variant operator*(const Variant &a, const Variant &b)
    {
        return arithmetic(a, b, a.number() * b.number());
    }
    // The quotient is always a Double. x / 0 is Division by zero, 0 / 0 an Overflow.
    friend Variant operator/(const Variant &a, const Variant &b)
    {
        const double divisor = b.number();
        const double dividend = a.number();
        if (divisor == 0.0)
            throw RuntimeError(dividend == 0.0 ? RuntimeError::Overflow
                                               : RuntimeError::DivisionByZero);
        return Variant(finite(dividend / divisor));
    }

    // Comparison: numbers numerically (Empty as 0), a number is smaller than any text, texts
    // by their characters, Empty against a text as the empty text. Never an error.
    friend std::weak_ordering operator<=>(const Variant &a, const Variant &b) noexcept
    {
        if (a.m_kind != Kind::Text && b.m_kind != Kind::Text) {
            if (a.m_number < b.m_number) return std::weak_ordering::less;
            return a.m_number > b.m_number ? std::weak_ordering::greater
                                           : std::weak_ordering::equivalent;
        }
        if (a.m_kind == Kind::Text && b.m_kind == Kind::Text)
            return QString::compare(a.m_text, b.m_text) <=> 0;
        if (a.m_kind == Kind::Empty)
            return b.m_text.isEmpty() ? std::weak_ordering::equivalent : std::weak_ordering::less;
        if (b.m_kind == Kind::Empty)
            return a.m_text.isEmpty() ? std::weak_ordering::equivalent
                                      : std::weak_ordering::greater;
        return a.m_kind == Kind::Text ? std::weak_ordering::greater : std::weak_ordering::less;
    }
    friend bool operator==(const Variant &a, const Variant &b) noexcept
    {
        return (a <=> b) == std::weak_ordering::equivalent;
    }

private:
    // The result of + - * on two numbers: the more precise kind of the two, checked.
    static Variant arithmetic(const Variant &a, const Variant &b, double exact)
    {
        const Kind kind = std::max({a.m_kind, b.m_kind, Kind::Integer});
        switch (kind) {
        case Kind::Integer:
            return Variant(Integer(static_cast<int>(exact)));
        case Kind::Single:
            return Variant(toSingle(exact));
        default:
            return Variant(finite(exact));
        }
    }

public:
    // A floating-point result that is not finite is an Overflow (overflow or invalid operation).
    static double finite(double value)
    {
        if (!std::isfinite(value)) throw RuntimeError(RuntimeError::Overflow);
        return value;
    }
    // The nearest Single; a value beyond the Single range is an Overflow.
    static float toSingle(double value)
    {
        const auto single = static_cast<float>(finite(value));
        if (std::isinf(single)) throw RuntimeError(RuntimeError::Overflow);
        return single;
    }

private:
    static const QString &noText() noexcept;

    Kind m_kind = Kind::Empty;
    union {
        double m_number; // Integer and Single values are held exactly; Empty holds 0
        QString m_text;
    };
};

// A power is always a Double. A negative base with a fractional exponent, or 0 to a negative
// power, is an invalid argument; a result beyond the Double range an Overflow.
Variant PowGeneral(const Variant &base, const Variant &exponent);
inline Variant Pow(const Variant &base, const Variant &exponent)
{
    // The plots square every cosine: x * x is the correctly rounded square.
    if (exponent.kind() == Variant::Kind::Integer && exponent.number() == 2.0) {
        const double x = base.number();
        return Variant(Variant::finite(x * x));
    }
    return PowGeneral(base, exponent);
}
// The absolute value, of the same kind. Abs(-32768) as an Integer is an Overflow.
Variant Abs(const Variant &value);
// The cosine and sine of an angle in radians, taken in double precision: a Double.
inline Variant Cos(const Variant &radians)
{
    return Variant(std::cos(radians.number()));
}
inline Variant Sin(const Variant &radians)
{
    return Variant(std::sin(radians.number()));
}
// The quotient of two Singles, rounded to a Single: x / 0 is Division by zero, 0 / 0 and a
// result beyond the Single range an Overflow.
inline float SingleQuotient(float dividend, float divisor)
{
    return Variant::toSingle((Variant(dividend) / Variant(divisor)).number());
}
// Conversions to a Single and to a Double: a text raises Type mismatch, a Single out of range
// Overflow.
inline float CSng(const Variant &value)
{
    return Variant::toSingle(value.number());
}
inline double CDbl(const Variant &value)
{
    return value.number();
}
// The runtime's number-to-text conversion: decimal comma, no trailing zeros, 15 significant
// digits for a Double, 7 for a Single. Empty gives the empty text; a text is itself.
QString CStr(const Variant &value);

// The counted loop: counter = start; the body runs while counter <= end (>= end for a negative
// step); after each pass the step is added by Variant addition. End and step are read once.
template <class Body>
void ForNext(Variant &counter, const Variant &start, const Variant &end, const Variant &step,
             Body &&body)
{
    const bool upwards = step >= Variant(0);
    for (counter = start; upwards ? counter <= end : counter >= end; counter = counter + step)
        body();
}
