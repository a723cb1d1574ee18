#include "estimates/linevalues.h"

#include "data/formats.h"

#include <cmath>

namespace LineValues {

namespace {
bool isEmpty(const QVariant& value) {
    return !value.isValid() || value.isNull();
}
// A quantity, hours or a margin beyond this is a typing slip, and its product with an amount
// would leave Money's range anyway.
constexpr double kLargestNumber = 1e9;

std::optional<double> finite(double v) {
    return std::isfinite(v) && std::fabs(v) <= kLargestNumber ? std::optional<double>(v)
                                                              : std::nullopt;
}
} // namespace

std::optional<double> number(const QVariant& value) {
    if (isEmpty(value))
        return std::nullopt;
    if (value.typeId() == qMetaTypeId<Money>())
        return value.value<Money>().toDouble();
    if (isNumberType(value.typeId()))
        return finite(value.toDouble());
    const auto typed = parseNumber(value.toString().trimmed());
    return typed ? finite(*typed) : std::nullopt;
}

std::optional<Money> money(const QVariant& value) {
    if (isEmpty(value))
        return std::nullopt;
    if (value.typeId() == qMetaTypeId<Money>()) {
        const Money m = value.value<Money>();
        return Money::inRange(m.units()) ? std::optional<Money>(m) : std::nullopt;
    }
    if (isNumberType(value.typeId()))
        return Money::fromDoubleChecked(value.toDouble());
    return parseCurrency(value.toString().trimmed());
}

std::optional<double> percent(const QVariant& value) {
    if (isEmpty(value))
        return std::nullopt;
    if (isNumberType(value.typeId()))
        return finite(value.toDouble());
    const auto typed = parsePercent(value.toString().trimmed());
    return typed ? finite(*typed) : std::nullopt;
}

} // namespace LineValues
