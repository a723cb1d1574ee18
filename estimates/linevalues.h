#pragma once

#include "data/money.h"

#include <QVariant>
#include <optional>

// The numbers of an estimate's lines, read from what a record holds (a number, an amount) or
// from what a user typed into a cell ("3", "$12.50", "20%"). Empty means not a number, or one
// beyond its range: +/-1e9 for quantities, hours and margins, Money's range for amounts.
namespace LineValues {

// A quantity or hours.
std::optional<double> number(const QVariant& value);
// An amount: a unit cost, a rate, a stored extension.
std::optional<Money> money(const QVariant& value);
// A margin as a fraction: a stored number as it is (0.2), typed text as the percentage it reads
// ("20" and "20%" both give 0.2).
std::optional<double> percent(const QVariant& value);

} // namespace LineValues
