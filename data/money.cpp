#include "data/money.h"

#include <QString>
#include <cmath>

namespace {
// Rounds x to the nearest whole number, halves to even. The value is first brought to 9
// significant decimals of its fraction so that 2.675 (held as 2.67499999...) counts as a half.
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
} // namespace

Money Money::fromDouble(double value) {
    if (!std::isfinite(value))
        return Money();
    return fromUnits(roundHalfEven(value * kScale));
}

Money Money::times(double factor) const {
    return fromDouble(toDouble() * factor);
}

Money Money::roundedToCents() const {
    const qint64 cents = roundHalfEven(double(m_units) / 100.0);
    return fromCents(cents);
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
