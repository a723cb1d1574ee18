#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <compare>
#include <limits>

// A currency amount: a signed count of ten-thousandths, so sums and differences are exact.
// Converting from floating point rounds half to even at the fourth decimal.
//
// Nothing wraps around: a result beyond the 64-bit range saturates at maximum() or minimum()
// (about $922 trillion either way), keeping its sign. No real price comes near these bounds, so
// an amount equal to one of them means that a computation overflowed.
class Money {
public:
    static constexpr qint64 kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) {
        Money m;
        m.m_units = units;
        return m;
    }
    static constexpr Money fromCents(qint64 cents) {
        if (cents > kMaxUnits / 100)
            return maximum();
        if (cents < kMinUnits / 100)
            return minimum();
        return fromUnits(cents * 100);
    }
    // A value that is not finite gives zero.
    static Money fromDouble(double value);
    static constexpr Money maximum() { return fromUnits(kMaxUnits); }
    static constexpr Money minimum() { return fromUnits(kMinUnits); }

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / kScale; }
    bool isZero() const { return m_units == 0; }

    // The amount times a factor (a quantity or a rate): the exact product rounded once, half to
    // even, at the fourth decimal. The factor is taken as the decimal it was typed as: it is
    // first rounded to 12 significant digits, so 0.0825 counts as exactly 0.0825 and not as the
    // binary fraction nearest to it. A factor that is not a number gives zero; an infinite factor
    // saturates (unless the amount is zero).
    Money times(double factor) const;
    // The amount rounded half to even to whole cents, as a display shows it.
    Money roundedToCents() const;

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
    static constexpr qint64 kMaxUnits = std::numeric_limits<qint64>::max();
    static constexpr qint64 kMinUnits = std::numeric_limits<qint64>::min();

    static constexpr qint64 add(qint64 a, qint64 b) {
        if (b > 0 && a > kMaxUnits - b)
            return kMaxUnits;
        if (b < 0 && a < kMinUnits - b)
            return kMinUnits;
        return a + b;
    }
    static constexpr qint64 subtract(qint64 a, qint64 b) {
        if (b < 0 && a > kMaxUnits + b)
            return kMaxUnits;
        if (b > 0 && a < kMinUnits + b)
            return kMinUnits;
        return a - b;
    }

    qint64 m_units = 0;
};

Q_DECLARE_METATYPE(Money)

// Registers the conversions that let a QVariant holding Money answer toDouble() and toString().
void registerMoneyMetaType();
