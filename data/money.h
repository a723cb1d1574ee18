#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <compare>
#include <limits>
#include <optional>

// A currency amount: a signed count of ten-thousandths, so sums and differences are exact.
// Converting from floating point rounds half to even at the fourth decimal.
//
// Amounts lie within +/- $999,999,999.9999 (kLargestUnits): text, stored values and doubles beyond
// that are refused by the checked conversions. Nothing wraps around: a sum, difference or
// product beyond the range saturates at maximum() or minimum(), keeping its sign. No real price
// comes near these bounds, so an amount at one of them (isAtLimit()) means that a computation
// overflowed.
class Money {
public:
    static constexpr qint64 kScale = 10000;
    static constexpr qint64 kLargestUnits = 9'999'999'999'999;
    // The largest amount as a user reads it, for messages.
    static constexpr const char* kLargestText = "$999,999,999.9999";

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) {
        Money m;
        m.m_units = units;
        return m;
    }
    static constexpr Money fromCents(qint64 cents) {
        if (cents > kLargestUnits / 100)
            return maximum();
        if (cents < -kLargestUnits / 100)
            return minimum();
        return fromUnits(cents * 100);
    }
    // A value that is not a number gives zero; one beyond the range saturates.
    static Money fromDouble(double value);
    // The amount of a double, or nothing when it is not finite or lies beyond the range once
    // rounded: for values read from outside, where saturating would hide a bad value.
    static std::optional<Money> fromDoubleChecked(double value);
    // A whole number of dollars, or nothing beyond the range.
    static constexpr std::optional<Money> fromWholeChecked(qint64 dollars) {
        if (dollars > kLargestUnits / kScale || dollars < -kLargestUnits / kScale)
            return std::nullopt;
        return fromUnits(dollars * kScale);
    }
    static constexpr Money maximum() { return fromUnits(kLargestUnits); }
    static constexpr Money minimum() { return fromUnits(-kLargestUnits); }
    static constexpr bool inRange(qint64 units) {
        return units <= kLargestUnits && units >= -kLargestUnits;
    }

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / kScale; }
    bool isZero() const { return m_units == 0; }
    // At a bound of the range, where an overflowing computation saturates.
    constexpr bool isAtLimit() const {
        return m_units == kLargestUnits || m_units == -kLargestUnits;
    }

    // The amount times a factor (a quantity or a rate): the exact product rounded once, half to
    // even, at the fourth decimal. The factor is taken as the decimal it was typed as: it is
    // first rounded to 12 significant digits, so 0.0825 counts as exactly 0.0825 and not as the
    // binary fraction nearest to it. A factor that is not a number gives zero; an infinite factor
    // saturates (unless the amount is zero), as does any product beyond the range.
    Money times(double factor) const;
    // The same exact product rounded once to whole cents, halves away from zero (the rule of
    // sales-tax tables): what a line's extension or a tax is stored and printed as.
    Money timesToCents(double factor) const;
    // The amount rounded to whole cents, halves away from zero, as a display and a printed
    // quote show it (the largest amount shows as $1,000,000,000.00, the one result allowed a cent
    // beyond the range).
    Money roundedToCents() const;
    // Whether the amount is a whole number of cents.
    constexpr bool isWholeCents() const { return m_units % 100 == 0; }

    constexpr Money operator+(Money o) const { return fromUnits(add(m_units, o.m_units)); }
    constexpr Money operator-(Money o) const { return fromUnits(subtract(m_units, o.m_units)); }
    constexpr Money operator-() const { return fromUnits(subtract(0, m_units)); }
    Money& operator+=(Money o) {
        m_units = add(m_units, o.m_units);
        return *this;
    }
    Money& operator-=(Money o) {
        m_units = subtract(m_units, o.m_units);
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

private:
    enum Halves { HalfEven, HalfAwayFromZero };
    // The amount times factor, rounded once to a multiple of 10^coarser units.
    Money product(double factor, int coarser, Halves halves) const;

    static constexpr qint64 clamp(qint64 units) {
        return units > kLargestUnits    ? kLargestUnits
               : units < -kLargestUnits ? -kLargestUnits
                                        : units;
    }
    // Within the range neither can overflow 64 bits; an amount built from raw units beyond it
    // is brought into the range first.
    static constexpr qint64 add(qint64 a, qint64 b) { return clamp(clamp(a) + clamp(b)); }
    static constexpr qint64 subtract(qint64 a, qint64 b) { return clamp(clamp(a) - clamp(b)); }

    qint64 m_units = 0;
};

Q_DECLARE_METATYPE(Money)

// Registers the conversions that let a QVariant holding Money answer toDouble() and toString().
void registerMoneyMetaType();
