#include "estimates/pricing.h"

namespace Pricing {

Money linePrice(Money unitCost, double margin) {
    return unitCost.times(1.0 + margin);
}

Money lineTotalCost(double quantity, Money unitCost) {
    return unitCost.times(quantity);
}

Money lineExtension(double quantity, Money price) {
    return price.times(quantity);
}

MaterialAmounts materialAmounts(const MaterialLine& line) {
    MaterialAmounts amounts;
    amounts.price = linePrice(line.unitCost, line.margin);
    amounts.totalCost = lineTotalCost(line.quantity, line.unitCost);
    amounts.extension = lineExtension(line.quantity, amounts.price);
    return amounts;
}

Money laborExtension(double hours, Money rate) {
    return rate.times(hours);
}

Money salesTax(Money materials, double taxRate) {
    return materials.times(taxRate);
}

EstimateTotals estimateTotals(std::span<const MaterialLine> materialLines,
                              std::span<const LaborLine> laborLines, double taxRate,
                              Money shipping) {
    EstimateTotals t;
    for (const MaterialLine& line : materialLines) {
        const MaterialAmounts amounts = materialAmounts(line);
        t.materialCost += amounts.totalCost;
        t.materials += amounts.extension;
    }
    for (const LaborLine& line : laborLines)
        t.labor += laborExtension(line.hours, line.rate);
    t.margin = t.materials - t.materialCost;
    t.subtotal = t.materials + t.labor;
    t.tax = salesTax(t.materials, taxRate);
    t.shipping = shipping;
    t.total = t.subtotal + t.tax + t.shipping;
    return t;
}

} // namespace Pricing
