#include "estimates/linevalues.h"

#include "data/formats.h"

#include <cmath>

namespace LineValues {

namespace {
bool isEmpty(const QVariant& value) {
    return !value.isValid() || value.isNull();
}
std::optional<double> finite(double v) {
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
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
    if (value.typeId() == qMetaTypeId<Money>())
        return value.value<Money>();
    if (isNumberType(value.typeId())) {
        const auto v = finite(value.toDouble());
        return v ? std::optional<Money>(Money::fromDouble(*v)) : std::nullopt;
    }
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
