#pragma once

#include "data/money.h"

#include <QString>
#include <span>

// The money arithmetic of an estimate: the only place where a price, a line's amounts, a tax or
// a total is computed. The screens, the Home list's view, the printed quote and the demo-data
// generator all use it, so every figure a customer reads is a whole number of cents and is the
// exact sum or product of the figures printed beside it:
// - a line's price is the unit cost plus the margin, to the cent from $1.00 up and to four
//   decimals below (wire at $0.0450 a foot stays $0.0450);
// - a line's extension, total cost and a labor line's extension are rounded once to the cent,
//   halves away from zero, as sales-tax tables round;
// - the tax is the rate times the material total, rounded once in the same way;
// - every sum adds the amounts as they are printed (a line stored by an older version with four
//   decimals counts as its printed cents).
// Quantities, hours and rates are fractions (a margin of 0.2 is 20%, a tax rate of 0.0825 is
// 8.25%); fractions of an hour count.
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

// A material line's amounts as a file holds them.
struct StoredMaterialLine {
    Money totalCost;
    Money extension;
};

// The money summary of an estimate, in whole cents.
struct EstimateTotals {
    Money materialCost; // sum of the material lines' total costs
    Money materials;    // sum of the material lines' extensions
    Money margin;       // profit on materials: materials - materialCost
    Money labor;        // sum of the labor lines' extensions
    Money subtotal;     // materials + labor
    Money tax;          // taxRate x materials; labor is not taxed
    Money shipping;
    Money total; // subtotal + tax + shipping

    // Whether a figure reached the bounds of the amounts kept: then it is not the true figure.
    bool reachesLimit() const;
    bool operator==(const EstimateTotals&) const = default;
};

// unitCost x (1 + margin): whole cents from $1.00 up, four decimals below.
Money linePrice(Money unitCost, double margin);
// quantity x unitCost, to the cent.
Money lineTotalCost(double quantity, Money unitCost);
// quantity x price, from the price as the line stores it, to the cent.
Money lineExtension(double quantity, Money price);
// Price, total cost and extension of one line.
MaterialAmounts materialAmounts(const MaterialLine& line);

// hours x rate, to the cent; fractions of an hour count.
Money laborExtension(double hours, Money rate);

// taxRate x materials, to the cent.
Money salesTax(Money materials, double taxRate);

// An amount as a total counts it: the cents it is printed as.
Money printed(Money amount);

// The totals of an estimate from its stored lines and its header's tax rate and shipping.
EstimateTotals totals(std::span<const StoredMaterialLine> materialLines,
                      std::span<const Money> laborExtensions, double taxRate, Money shipping);

// The same rule in the database's SQL, for the views that list totals: whole cents as integers.
namespace Sql {
// The printed cents of a stored amount (a column or an expression), as an integer.
QString cents(const QString& amount);
// The tax in cents on a material total in cents (an integer expression) at rate.
QString taxCents(const QString& materialCents, const QString& rate);
} // namespace Sql

} // namespace Pricing
