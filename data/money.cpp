#include "data/money.h"

#include <QString>
#include <charconv>
#include <cmath>

namespace {
// Rounds x to the nearest whole number, halves to even. The value is first brought to 9
// significant decimals of its fraction so that 2.675 (held as 2.67499999...) counts as a half.
// x must lie within the 64-bit range.
qint64 roundHalfEven(double x) {
    const double floorX = std::floor(x);
    double frac = x - floorX;
    frac = std::round(frac * 1e9) / 1e9;
    qint64 whole = static_cast<qint64>(floorX);
    if (frac > 0.5)
        return whole + 1;
    if (frac < 0.5)
        return whole;
    return (whole % 2 == 0) ? whole : whole + 1;
}

Money saturated(bool negative) {
    return negative ? Money::minimum() : Money::maximum();
}

// A magnitude with its sign as an amount, saturating beyond the range.
Money fromMagnitude(quint64 magnitude, bool negative) {
    if (magnitude > quint64(Money::kLargestUnits))
        return saturated(negative);
    return Money::fromUnits(negative ? -qint64(magnitude) : qint64(magnitude));
}

// The significant digits a factor keeps: enough for any quantity or rate a user types, few
// enough to drop the binary noise of a double (0.1 + 0.2 counts as 0.3).
constexpr int kFactorDigits = 12;

// A non-negative decimal: mantissa x 10^exponent, with a mantissa below 10^kFactorDigits.
struct Decimal {
    quint64 mantissa = 0;
    int exponent = 0;
};

// The decimal of kFactorDigits significant digits nearest to a finite, non-negative value.
Decimal toDecimal(double value) {
    // The scientific form "d.ddddddddddde-XX" is correctly rounded and ignores the locale.
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, value,
                                       std::chars_format::scientific, kFactorDigits - 1);
    Decimal d;
    const char* p = text;
    for (; p != written.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            d.mantissa = d.mantissa * 10 + quint64(*p - '0');
    }
    int exponent = 0;
    if (p != written.ptr) {
        ++p;
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        std::from_chars(p, written.ptr, exponent);
        if (negative)
            exponent = -exponent;
    }
    d.exponent = exponent - (kFactorDigits - 1);
    while (d.mantissa != 0 && d.mantissa % 10 == 0) {
        d.mantissa /= 10;
        ++d.exponent;
    }
    return d;
}

// An unsigned 128-bit number, enough for a 64-bit amount times a factor's mantissa. Written
// out in 32-bit pieces so that it does not depend on a compiler's 128-bit type.
struct Wide {
    quint64 high = 0;
    quint64 low = 0;

    bool isZero() const { return high == 0 && low == 0; }
};

constexpr quint64 kLow32 = 0xffffffffu;

Wide multiply(quint64 a, quint64 b) {
    const quint64 aLow = a & kLow32, aHigh = a >> 32;
    const quint64 bLow = b & kLow32, bHigh = b >> 32;
    const quint64 lowLow = aLow * bLow;
    const quint64 lowHigh = aLow * bHigh;
    const quint64 highLow = aHigh * bLow;
    const quint64 middle = (lowLow >> 32) + (lowHigh & kLow32) + (highLow & kLow32);
    Wide w;
    w.low = (middle << 32) | (lowLow & kLow32);
    w.high = aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32);
    return w;
}

// Divides w by ten and returns the remainder.
unsigned divideByTen(Wide& w) {
    quint64 pieces[4] = {w.high >> 32, w.high & kLow32, w.low >> 32, w.low & kLow32};
    quint64 rest = 0;
    for (quint64& piece : pieces) {
        const quint64 current = (rest << 32) | piece;
        piece = current / 10;
        rest = current % 10;
    }
    w.high = (pieces[0] << 32) | pieces[1];
    w.low = (pieces[2] << 32) | pieces[3];
    return unsigned(rest);
}
} // namespace

Money Money::fromDouble(double value) {
    if (std::isnan(value))
        return Money();
    if (const auto m = fromDoubleChecked(value))
        return *m;
    return saturated(value < 0);
}

std::optional<Money> Money::fromDoubleChecked(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    const double scaled = value * kScale;
    // Checked before converting to an integer, where a value beyond 64 bits is undefined; the
    // margin leaves the rounding to decide amounts at the very edge.
    constexpr double kBeyond = double(kLargestUnits) + 2.0;
    if (scaled >= kBeyond || scaled <= -kBeyond)
        return std::nullopt;
    const qint64 units = roundHalfEven(scaled);
    if (!inRange(units))
        return std::nullopt;
    return fromUnits(units);
}

Money Money::times(double factor) const {
    return product(factor, 0, HalfEven);
}

Money Money::timesToCents(double factor) const {
    return product(factor, 2, HalfAwayFromZero);
}

Money Money::product(double factor, int coarser, Halves halves) const {
    if (std::isnan(factor) || m_units == 0)
        return Money();
    const bool negative = (m_units < 0) != std::signbit(factor);
    if (std::isinf(factor))
        return saturated(negative);
    const Decimal d = toDecimal(std::fabs(factor));
    if (d.mantissa == 0)
        return Money();

    const quint64 magnitude = m_units < 0 ? 0 - quint64(m_units) : quint64(m_units);
    // The result is counted in steps of 10^coarser units (1 for ten-thousandths, 2 for cents).
    quint64 step = 1;
    for (int i = 0; i < coarser; ++i)
        step *= 10;
    const quint64 limit = quint64(kLargestUnits) / step;
    Wide product = multiply(magnitude, d.mantissa);
    const int exponent = d.exponent - coarser;

    if (exponent >= 0) {
        // Nothing to round, only the range to watch.
        if (product.high != 0 || product.low > limit)
            return saturated(negative);
        quint64 result = product.low;
        for (int i = 0; i < exponent; ++i) {
            if (result > limit / 10)
                return saturated(negative);
            result *= 10;
        }
        return fromMagnitude(result * step, negative);
    }

    // Drop the digits below the step one at a time, remembering the last one dropped and
    // whether any before it was not zero, then round once.
    unsigned lastDropped = 0;
    bool restNonZero = false;
    for (int i = 0; i < -exponent; ++i) {
        if (product.isZero())
            return Money();
        restNonZero = restNonZero || lastDropped != 0;
        lastDropped = divideByTen(product);
    }
    const bool odd = (product.low & 1) != 0;
    const bool up = halves == HalfAwayFromZero
                        ? lastDropped >= 5
                        : lastDropped > 5 || (lastDropped == 5 && (restNonZero || odd));
    if (up) {
        if (++product.low == 0)
            ++product.high;
    }
    if (product.high != 0 || product.low > limit)
        return saturated(negative);
    return fromMagnitude(product.low * step, negative);
}

Money Money::roundedToCents() const {
    const qint64 units = clamp(m_units);
    qint64 cents = units / 100;
    const qint64 rest = units % 100;
    if (2 * (rest < 0 ? -rest : rest) >= 100)
        cents += units < 0 ? -1 : 1;
    return fromUnits(cents * 100);
}

void registerMoneyMetaType() {
    static bool done = false;
    if (done)
        return;
    done = true;
    QMetaType::registerConverter<Money, double>([](const Money& m) { return m.toDouble(); });
    QMetaType::registerConverter<Money, QString>(
        [](const Money& m) { return QString::number(m.toDouble(), 'f', 4); });
    QMetaType::registerConverter<double, Money>([](double d) { return Money::fromDouble(d); });
}
