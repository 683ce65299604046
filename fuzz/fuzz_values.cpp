// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fuzzes what a student's typing goes through and what the plots compute with: text to number
// and back (readNumber, IsNumeric, textToDouble, numberToText and CStr), and the Variant
// operations (arithmetic, comparison, Pow, Abs, CSng). Only the program's RuntimeError may
// leave an operation; anything else, a sanitizer report, or a broken rule below is a crash.
// Every text is also read by a reference reading written apart from the program's, from the
// rule for numbers in runtime/number_text.h, and the two must agree.
//
// The first byte of an input chooses what the rest is:
//   't' text in UTF-8        'u' text in UTF-16 (any code units, lone surrogates too)
//   'n' a decimal number built from the bytes, written in the ways a student may write it
//   'v' three Variants and an operation on them
// Other first bytes read the whole input as UTF-8 text.

#include "values/number_text.h"
#include "values/runtime_error.h"
#include "values/variant.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace {

// A broken rule: say which, and stop as a crash, so that libFuzzer keeps the input.
[[noreturn]] void broken(const char *rule, const QString &detail = QString())
{
    std::fprintf(stderr, "broken rule: %s\n  %s\n", rule, detail.toUtf8().constData());
    std::abort();
}

void require(bool holds, const char *rule, const QString &detail = QString())
{
    if (!holds) broken(rule, detail);
}

QString show(double value)
{
    return QString::number(value, 'g', 17);
}

// The bytes of an input, read from the front.
class Bytes
{
public:
    Bytes(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_at >= m_size; }
    std::size_t left() const { return m_size - m_at; }
    std::uint8_t byte() { return empty() ? 0 : m_data[m_at++]; }
    template <class T> T value()
    {
        T result{};
        std::uint8_t raw[sizeof(T)] = {};
        for (auto &b : raw)
            b = byte();
        std::memcpy(&result, raw, sizeof(T));
        return result;
    }
    QByteArray take(std::size_t count)
    {
        count = std::min(count, left());
        QByteArray bytes(reinterpret_cast<const char *>(m_data + m_at), qsizetype(count));
        m_at += count;
        return bytes;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// ---- Text to number and back --------------------------------------------------------------

// What the runtime writes: a decimal comma, no point, no grouping, no trailing zeros after the
// comma, and reading it back gives the number again within the digits written.
void checkWritten(double value, int digits)
{
    const QString written = numberToText(value, digits);
    require(!written.isEmpty(), "a number is written as some text", show(value));
    require(!written.contains(QLatin1Char('.')), "no point in a written number", written);
    require(!written.contains(QLatin1Char(' ')), "no blank in a written number", written);
    const QString mantissa =
        written.section(QLatin1Char('e'), 0, 0, QString::SectionCaseInsensitiveSeps);
    if (mantissa.contains(QLatin1Char(',')))
        require(!mantissa.endsWith(QLatin1Char('0')) && !mantissa.endsWith(QLatin1Char(',')),
                "no trailing zeros after the comma", written);
    const std::optional<double> read = readNumber(written);
    // The very largest Doubles round up, at 15 digits, past the largest Double
    // (1,79769313486232E+308): that text is beyond the range, as it was for the old runtime.
    if (!read && digits == 15 && std::fabs(value) >= 1.797693134862315e308) return;
    require(read.has_value(), "what the runtime writes reads as a number", written);
    const double tolerance =
        std::fabs(value) * 6 * std::pow(10.0, -digits) + std::numeric_limits<double>::denorm_min();
    require(std::fabs(*read - value) <= tolerance, "a written number reads back within its digits",
            written + QLatin1String(" from ") + show(value) + QLatin1String(" gives ") +
                show(*read));
    // Written once, the text is settled: writing what was read gives the same text (where the
    // Double has all its digits: not below the smallest normal Double).
    if (*read == 0 || std::fabs(*read) >= std::numeric_limits<double>::min())
        require(numberToText(*read, digits) == written,
                "writing what was read back changes nothing",
                written + QLatin1String(" then ") + numberToText(*read, digits));
}

// The rule for numbers, written again apart from the program's reading: one regular expression
// for the Italian way and one for the point, tried in that order, and the standard library's
// correctly rounded conversion of what they matched. Capture 1 is the sign, 2 the whole part,
// 3 the fraction, 4 the exponent.
std::optional<double> referenceReading(const QString &text)
{
    static const QRegularExpression italian(QRegularExpression::anchoredPattern(
        QStringLiteral("([-+\u2212]?)([1-9][0-9]{0,2}(?:\\.[0-9]{3})+|[0-9]*)(?:,([0-9]*))?"
                       "(?:[eE]([-+\u2212]?[0-9]+))?")));
    static const QRegularExpression point(QRegularExpression::anchoredPattern(
        QStringLiteral("([-+\u2212]?)([0-9]*)(?:\\.([0-9]*))?(?:[eE]([-+\u2212]?[0-9]+))?")));
    const QString trimmed = text.trimmed();
    QRegularExpressionMatch match = italian.match(trimmed);
    if (!match.hasMatch()) match = point.match(trimmed);
    if (!match.hasMatch()) return std::nullopt;
    const QString whole = match.captured(2).remove(QLatin1Char('.'));
    const QString fraction = match.captured(3);
    if (whole.isEmpty() && fraction.isEmpty()) return std::nullopt;
    QString plain =
        (match.captured(1) == QStringLiteral("\u2212") ? QStringLiteral("-") : match.captured(1)) +
        (whole.isEmpty() ? QStringLiteral("0") : whole) + QLatin1Char('.') +
        (fraction.isEmpty() ? QStringLiteral("0") : fraction);
    if (match.hasCaptured(4))
        plain += QLatin1Char('e') + match.captured(4).replace(QChar(0x2212), QLatin1Char('-'));
    if (plain.startsWith(QLatin1Char('+'))) plain.remove(0, 1); // from_chars takes no plus
    const std::string ascii = plain.toStdString();
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    // Beyond the range of a Double, too large or too small but not zero: not a number.
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void checkText(const QString &text)
{
    const std::optional<double> number = readNumber(text);
    const std::optional<double> reference = referenceReading(text);
    require(number.has_value() == reference.has_value() && (!number || *number == *reference),
            "a text reads by the rule for numbers",
            text + QLatin1String(" gives ") + (number ? show(*number) : QStringLiteral("nothing")) +
                QLatin1String(", the rule ") +
                (reference ? show(*reference) : QStringLiteral("nothing")));
    require(IsNumeric(text) == number.has_value(), "IsNumeric agrees with readNumber", text);
    if (text.trimmed().isEmpty()) require(!number, "empty and blank texts are not numbers", text);
    try {
        const double converted = textToDouble(text);
        require(number.has_value(), "only a numeric text converts", text);
        require(converted == *number, "textToDouble gives what readNumber reads", text);
    } catch (const RuntimeError &error) {
        require(!number, "a numeric text converts without error", text);
        require(error.number() == RuntimeError::TypeMismatch,
                "a text that is no number is a "
                "Type mismatch",
                text);
    }
    if (!number) return;
    require(std::isfinite(*number), "a number read is finite", text);
    // Blanks around the text change nothing.
    const std::optional<double> padded = readNumber(QLatin1String("  ") + text + QLatin1Char(' '));
    require(padded && *padded == *number, "blanks around a number change nothing", text);

    // As VALa holds it and CStr writes it: a Double, 15 digits.
    const Variant held(*number);
    const QString written = CStr(held);
    require(written == numberToText(*number, 15), "CStr of a Double is its 15-digit text", written);
    checkWritten(*number, 15);
    // As a Single, when it is one: 7 digits.
    if (std::fabs(*number) <= std::numeric_limits<float>::max())
        checkWritten(static_cast<float>(*number), 7);
}

// A decimal with at most 15 significant digits, written as a student may: decimal comma or
// point, groups of thousands, an exponent, a sign (the minus sign too), blanks around. It must
// read as the correctly rounded Double, and CStr must write it back to the same Double.
void checkDecimal(Bytes &bytes)
{
    const int digitCount = 1 + bytes.byte() % 15;
    std::string digits;
    for (int i = 0; i < digitCount; ++i)
        digits += char('0' + bytes.byte() % 10);
    const int pointAt = bytes.byte() % (digitCount + 1); // digits before the decimal mark
    const int exponent = int(bytes.value<std::int16_t>() % 300);
    const std::uint8_t style = bytes.byte();
    const bool negative = style & 1;
    const bool point = style & 2;
    const bool withExponent = style & 4;
    const bool grouped = style & 8;
    const bool blanks = style & 16;
    const bool plus = style & 32;
    const bool minusSign = style & 128;

    std::string whole = digits.substr(0, std::size_t(pointAt));
    const std::string fraction = digits.substr(std::size_t(pointAt));
    if (whole.empty()) whole = "0";
    // A point after one to three digits that do not begin with 0 and before exactly three is a
    // group of thousands ("1.250" is 1250): written with a point, such a number is another
    // number. After a 0 ("0.250", "012.345") or four digits ("1234.567") it is the decimal point.
    if (point && fraction.size() == 3 && whole.size() <= 3 && whole[0] != '0') return;

    std::string canonical = whole + "." + (fraction.empty() ? "0" : fraction);
    if (withExponent) canonical += "e" + std::to_string(exponent);
    double expected = 0;
    const auto parsed =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), expected);
    if (parsed.ec != std::errc() || !std::isfinite(expected)) return; // beyond the Double range
    if (expected != 0 && std::fabs(expected) < std::numeric_limits<double>::min())
        return; // a subnormal has fewer digits than 15
    if (negative) expected = -expected;

    std::string typedWhole = whole;
    if (grouped && !point) {
        // Groups of thousands are written without leading zeros.
        whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
        typedWhole.clear();
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0) typedWhole += '.';
            typedWhole += whole[i];
        }
    }
    std::string typed = (negative ? (minusSign ? "\u2212" : "-") : plus ? "+" : "") + typedWhole;
    if (!fraction.empty()) typed += (point ? "." : ",") + fraction;
    if (withExponent) typed += (style & 64 ? "E" : "e") + std::to_string(exponent);
    if (blanks) typed = " " + typed + "  ";
    const QString text = QString::fromStdString(typed);

    const std::optional<double> read = readNumber(text);
    require(read.has_value(), "a decimal as a student writes it is a number", text);
    require(*read == expected, "a decimal reads as the nearest Double",
            text + QLatin1String(" gives ") + show(*read) + QLatin1String(", not ") +
                show(expected));
    const QString written = CStr(Variant(*read));
    const std::optional<double> back = readNumber(written);
    require(back && *back == *read,
            "CStr of a number read with up to 15 digits reads back the "
            "same Double",
            text + QLatin1String(" -> ") + written);
    checkText(text);
}

// ---- Variants ---------------------------------------------------------------------------------

// A Variant as the program can hold one: Empty, an Integer, a finite Single or Double, a text.
std::optional<Variant> readVariant(Bytes &bytes)
{
    switch (bytes.byte() % 6) {
    case 0:
        return Variant();
    case 1:
        return Variant(Integer(bytes.value<std::int16_t>()));
    case 2: {
        const float value = bytes.value<float>();
        if (!std::isfinite(value)) return std::nullopt;
        return Variant(value);
    }
    case 3: {
        const double value = bytes.value<double>();
        if (!std::isfinite(value)) return std::nullopt;
        return Variant(value);
    }
    case 4: { // a small whole number as a Double, so that equal values come up
        return Variant(double(std::int8_t(bytes.byte())));
    }
    default:
        return Variant(QString::fromUtf8(bytes.take(bytes.byte() % 12)));
    }
}

int sign(std::weak_ordering order)
{
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int sign(double value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The documented order: numbers by value (Empty as 0), a number below any text, texts by their
// characters, Empty against a text as the empty text.
int expectedOrder(const Variant &a, const Variant &b)
{
    if (!a.isText() && !b.isText()) return sign(a.number() - b.number());
    if (a.isText() && b.isText()) return sign(double(QString::compare(a.text(), b.text())));
    if (a.isEmpty()) return b.text().isEmpty() ? 0 : -1;
    if (b.isEmpty()) return a.text().isEmpty() ? 0 : 1;
    return a.isText() ? 1 : -1;
}

void checkOrder(const Variant &a, const Variant &b, const Variant &c)
{
    for (const auto &[x, y] : {std::pair{&a, &b}, std::pair{&b, &c}, std::pair{&a, &c}}) {
        const int xy = sign(*x <=> *y);
        require(xy == -sign(*y <=> *x), "comparison is antisymmetric");
        require((*x == *y) == (xy == 0), "== agrees with <=>");
        require(xy == expectedOrder(*x, *y), "comparison follows the rules",
                CStr(x->isText() ? Variant() : *x) + QLatin1String(" vs ") +
                    CStr(y->isText() ? Variant() : *y));
    }
    require(sign(a <=> a) == 0, "a value equals itself");
    // Transitive, except where Empty joins a number and a text: Empty equals both 0 and "",
    // which differ (the old runtime's rules, kept).
    const bool bridged = (a.isEmpty() || b.isEmpty() || c.isEmpty()) &&
                         (a.isText() || b.isText() || c.isText()) &&
                         ((!a.isEmpty() && !a.isText()) || (!b.isEmpty() && !b.isText()) ||
                          (!c.isEmpty() && !c.isText()));
    if (!bridged && sign(a <=> b) <= 0 && sign(b <=> c) <= 0)
        require(sign(a <=> c) <= 0, "comparison is transitive");
    if (!bridged && sign(a <=> b) >= 0 && sign(b <=> c) >= 0)
        require(sign(a <=> c) >= 0, "comparison is transitive");
}

Variant::Kind widest(const Variant &a, const Variant &b)
{
    return std::max({a.kind(), b.kind(), Variant::Kind::Integer});
}

bool nonNumericText(const Variant &v)
{
    return v.isText() && !IsNumeric(v.text());
}

// Runs an operation; only RuntimeError may leave it. Returns the error number, or 0.
template <class Operation> int attempt(Operation &&operation)
{
    try {
        operation();
        return 0;
    } catch (const RuntimeError &error) {
        const int n = error.number();
        require(n == RuntimeError::InvalidCall || n == RuntimeError::Overflow ||
                    n == RuntimeError::DivisionByZero || n == RuntimeError::TypeMismatch,
                "a runtime error of the program's", QString::number(n));
        return n;
    }
}

// + - * on two numbers: the wider kind, at least Integer; Integer results outside 16 bits and
// Single or Double results beyond their range are an Overflow.
void checkArithmetic(const Variant &a, const Variant &b, int which)
{
    Variant result;
    const int error = attempt([&] { result = which == 0 ? a + b : which == 1 ? a - b : a * b; });
    if (a.isText() || b.isText()) {
        // Two texts joined by + are the old runtime's concatenation, which the program never
        // uses: only a text that is no number, in any other arithmetic, is checked.
        const bool joined = which == 0 && a.isText() && b.isText();
        if (!joined && (nonNumericText(a) || nonNumericText(b)))
            require(error == RuntimeError::TypeMismatch, "arithmetic on a text that is no "
                                                         "number is a Type mismatch");
        return;
    }
    const long double x = a.number();
    const long double y = b.number();
    const long double exact = which == 0 ? x + y : which == 1 ? x - y : x * y;
    const Variant::Kind kind = widest(a, b);
    if (error) {
        require(error == RuntimeError::Overflow, "arithmetic fails only by Overflow");
        switch (kind) {
        case Variant::Kind::Integer:
            require(exact < -32768 || exact > 32767, "an Integer Overflow is out of 16 bits");
            break;
        case Variant::Kind::Single:
            require(std::fabs(exact) > std::numeric_limits<float>::max() * (1 - 0x1p-25L),
                    "a Single Overflow is beyond the Single range");
            break;
        default:
            require(std::fabs(exact) > std::numeric_limits<double>::max() * (1 - 0x1p-54L),
                    "a Double Overflow is beyond the Double range");
        }
        return;
    }
    require(result.kind() == kind, "arithmetic gives the wider kind");
    const long double got = result.number();
    switch (kind) {
    case Variant::Kind::Integer:
        require(got == exact, "Integer arithmetic is exact");
        break;
    case Variant::Kind::Single:
        require(got == static_cast<float>(got), "a Single holds a Single");
        require(std::fabs(got - exact) <= std::fabs(exact) * 0x1p-23L + 0x1p-149L,
                "Single arithmetic is within one Single step");
        break;
    default:
        require(std::fabs(got - exact) <= std::fabs(exact) * 0x1p-52L + 0x1p-1074L,
                "Double arithmetic is within one Double step");
    }
}

void checkDivision(const Variant &a, const Variant &b)
{
    Variant result;
    const int error = attempt([&] { result = a / b; });
    if (a.isText() || b.isText()) {
        if (nonNumericText(a) || nonNumericText(b))
            require(error == RuntimeError::TypeMismatch, "division of a text that is no "
                                                         "number is a Type mismatch");
        return;
    }
    const double x = a.number();
    const double y = b.number();
    if (y == 0) {
        require(error == (x == 0 ? RuntimeError::Overflow : RuntimeError::DivisionByZero),
                "x / 0 is Division by zero, 0 / 0 an Overflow");
        return;
    }
    if (error) {
        require(error == RuntimeError::Overflow && !std::isfinite(x / y),
                "a quotient fails only beyond the Double range");
        return;
    }
    require(result.kind() == Variant::Kind::Double, "a quotient is a Double");
    require(result.number() == x / y, "a quotient is the Double quotient");
}

void checkPow(const Variant &a, const Variant &b)
{
    Variant result;
    const int error = attempt([&] { result = Pow(a, b); });
    if (a.isText() || b.isText()) {
        if (nonNumericText(a) || nonNumericText(b))
            require(error == RuntimeError::TypeMismatch, "a power of a text that is no number "
                                                         "is a Type mismatch");
        return;
    }
    const double x = a.number();
    const double n = b.number();
    const bool invalid = (x < 0 && n != std::floor(n)) || (x == 0 && n < 0);
    if (invalid) {
        require(error == RuntimeError::InvalidCall, "a negative base with a fractional exponent, "
                                                    "or 0 to a negative power, is invalid");
        return;
    }
    const long double exact = std::pow(static_cast<long double>(x), static_cast<long double>(n));
    if (error) {
        require(error == RuntimeError::Overflow &&
                    std::fabs(exact) > std::numeric_limits<double>::max() * (1 - 0x1p-50L),
                "a power fails only beyond the Double range",
                show(x) + QLatin1String(" ^ ") + show(n));
        return;
    }
    require(result.kind() == Variant::Kind::Double, "a power is a Double");
    const long double got = result.number();
    require(std::fabs(got - exact) <= std::fabs(exact) * 0x1p-50L + 0x1p-1070L,
            "a power is the Double power", show(x) + QLatin1String(" ^ ") + show(n));
}

void checkAbs(const Variant &a)
{
    Variant result;
    const int error = attempt([&] { result = Abs(a); });
    if (a.isText()) {
        if (nonNumericText(a))
            require(error == RuntimeError::TypeMismatch, "Abs of a text that is no number is a "
                                                         "Type mismatch");
        return;
    }
    if (a.kind() == Variant::Kind::Integer && a.number() == -32768) {
        require(error == RuntimeError::Overflow, "Abs(-32768) as an Integer is an Overflow");
        return;
    }
    require(error == 0, "Abs of a number succeeds");
    require(result.kind() == (a.isEmpty() ? Variant::Kind::Integer : a.kind()),
            "Abs keeps the kind");
    require(result.number() == std::fabs(a.number()), "Abs is the absolute value");
}

void checkCSng(const Variant &a)
{
    float result = 0;
    const int error = attempt([&] { result = CSng(a); });
    if (a.isText()) {
        if (nonNumericText(a))
            require(error == RuntimeError::TypeMismatch, "CSng of a text that is no number is a "
                                                         "Type mismatch");
        return;
    }
    const float nearest = static_cast<float>(a.number());
    if (std::isinf(nearest)) {
        require(error == RuntimeError::Overflow, "CSng beyond the Single range is an Overflow",
                show(a.number()));
        return;
    }
    require(error == 0, "CSng within the Single range succeeds", show(a.number()));
    require(result == nearest, "CSng is the nearest Single");
}

void checkCStr(const Variant &a)
{
    const QString text = CStr(a);
    switch (a.kind()) {
    case Variant::Kind::Empty:
        require(text.isEmpty(), "CStr of Empty is the empty text");
        break;
    case Variant::Kind::Text:
        require(text == a.text(), "CStr of a text is the text");
        break;
    case Variant::Kind::Integer:
        require(readNumber(text) == a.number(), "CStr of an Integer reads back exactly", text);
        break;
    case Variant::Kind::Single:
        checkWritten(a.number(), 7);
        break;
    case Variant::Kind::Double:
        checkWritten(a.number(), 15);
        break;
    }
}

void checkVariants(Bytes &bytes)
{
    const std::optional<Variant> a = readVariant(bytes);
    const std::optional<Variant> b = readVariant(bytes);
    const std::optional<Variant> c = readVariant(bytes);
    if (!a || !b || !c) return;
    checkOrder(*a, *b, *c);
    checkArithmetic(*a, *b, bytes.byte() % 3);
    checkDivision(*a, *b);
    checkPow(*a, *b);
    checkAbs(*a);
    checkCSng(*a);
    checkCStr(*a);
    // Integer arithmetic of its own: 16 bits or an Overflow.
    if (a->kind() == Variant::Kind::Integer && b->kind() == Variant::Kind::Integer) {
        const Integer x(int(a->number()));
        const Integer y(int(b->number()));
        const int sum = x.value() + y.value();
        Integer result;
        const int error = attempt([&] { result = x + y; });
        require((error == RuntimeError::Overflow) == (sum < -32768 || sum > 32767),
                "Integer addition overflows exactly outside 16 bits");
        if (!error) require(result.value() == sum, "Integer addition is exact");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size > 4096) return 0;
    Bytes bytes(data + 1, size - 1);
    switch (data[0]) {
    case 't':
        checkText(QString::fromUtf8(bytes.take(size)));
        break;
    case 'u': {
        const QByteArray raw = bytes.take(size);
        checkText(QString(reinterpret_cast<const QChar *>(raw.constData()), raw.size() / 2));
        break;
    }
    case 'n':
        checkDecimal(bytes);
        break;
    case 'v':
        checkVariants(bytes);
        break;
    default:
        checkText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    }
    return 0;
}
