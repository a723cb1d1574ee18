#pragma once

#include <QMetaType>
#include <QtGlobal>
#include <compare>

// A currency amount: a signed count of ten-thousandths, so sums and differences are exact.
// Converting from floating point rounds half to even at the fourth decimal.
class Money {
public:
    static constexpr qint64 kScale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) {
        Money m;
        m.m_units = units;
        return m;
    }
    static constexpr Money fromCents(qint64 cents) { return fromUnits(cents * 100); }
    static Money fromDouble(double value);

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / kScale; }
    bool isZero() const { return m_units == 0; }

    // The amount times a factor (a quantity or a rate), rounded half to even at the fourth
    // decimal.
    Money times(double factor) const;
    // The amount rounded half to even to whole cents, as a display shows it.
    Money roundedToCents() const;

    constexpr Money operator+(Money o) const { return fromUnits(m_units + o.m_units); }
    constexpr Money operator-(Money o) const { return fromUnits(m_units - o.m_units); }
    constexpr Money operator-() const { return fromUnits(-m_units); }
    Money& operator+=(Money o) {
        m_units += o.m_units;
        return *this;
    }
    Money& operator-=(Money o) {
        m_units -= o.m_units;
        return *this;
    }
    constexpr auto operator<=>(const Money&) const = default;

private:
    qint64 m_units = 0;
};

Q_DECLARE_METATYPE(Money)

// Registers the conversions that let a QVariant holding Money answer toDouble() and toString().
void registerMoneyMetaType();
