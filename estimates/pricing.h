#pragma once

#include "data/money.h"

#include <span>

// The money arithmetic of an estimate, shared by the Estimate screen, the Home list and the
// printed quote. Every money result is rounded once, half to even, at the fourth decimal;
// quantities, hours and rates are fractions (a margin of 0.2 is 20%, a tax rate of 0.0825 is
// 8.25%).
namespace Pricing {

// What a material line is priced from.
struct MaterialLine {
    double quantity = 0;
    Money unitCost;
    double margin = 0;
};

// The amounts a material line stores beside its quantity, unit cost and margin.
struct MaterialAmounts {
    Money price;
    Money totalCost;
    Money extension;
};

struct LaborLine {
    double hours = 0;
    Money rate;
};

// The money summary of an estimate.
struct EstimateTotals {
    Money materialCost; // sum of the material lines' total costs
    Money materials;    // sum of the material lines' extensions
    Money margin;       // profit on materials: materials - materialCost
    Money labor;        // sum of the labor lines' extensions
    Money subtotal;     // materials + labor
    Money tax;          // taxRate x materials; labor is not taxed
    Money shipping;
    Money total; // subtotal + tax + shipping

    bool operator==(const EstimateTotals&) const = default;
};

// The unit cost plus the margin: unitCost x (1 + margin).
Money linePrice(Money unitCost, double margin);
// quantity x unitCost.
Money lineTotalCost(double quantity, Money unitCost);
// quantity x price, from the price as the line stores it (already rounded).
Money lineExtension(double quantity, Money price);
// Price, total cost and extension of one line.
MaterialAmounts materialAmounts(const MaterialLine& line);

// hours x rate; fractions of an hour count.
Money laborExtension(double hours, Money rate);

// taxRate x materials.
Money salesTax(Money materials, double taxRate);

// The totals of an estimate from its lines and its header's tax rate and shipping. Each line's
// amounts are computed as materialAmounts() and laborExtension() give them; the tax is computed
// once on the sum of the material extensions.
EstimateTotals estimateTotals(std::span<const MaterialLine> materialLines,
                              std::span<const LaborLine> laborLines, double taxRate,
                              Money shipping);

} // namespace Pricing
