#include "data/pricing.h"

namespace Pricing {

namespace {
const Money kOneDollar = Money::fromCents(100);
}

bool EstimateTotals::reachesLimit() const {
    for (const Money m : {materialCost, materials, margin, labor, subtotal, tax, shipping, total})
        if (m.isAtLimit() || m.roundedToCents() > Money::maximum() ||
            m.roundedToCents() < Money::minimum())
            return true;
    return false;
}

Money linePrice(Money unitCost, double margin) {
    const Money price = unitCost.times(1.0 + margin);
    if (price >= kOneDollar || price <= -kOneDollar)
        return unitCost.timesToCents(1.0 + margin);
    return price;
}

Money lineTotalCost(double quantity, Money unitCost) {
    return unitCost.timesToCents(quantity);
}

Money lineExtension(double quantity, Money price) {
    return price.timesToCents(quantity);
}

MaterialAmounts materialAmounts(const MaterialLine& line) {
    MaterialAmounts amounts;
    amounts.price = linePrice(line.unitCost, line.margin);
    amounts.totalCost = lineTotalCost(line.quantity, line.unitCost);
    amounts.extension = lineExtension(line.quantity, amounts.price);
    return amounts;
}

Money laborExtension(double hours, Money rate) {
    return rate.timesToCents(hours);
}

Money salesTax(Money materials, double taxRate) {
    return printed(materials).timesToCents(taxRate);
}

Money printed(Money amount) {
    const Money cents = amount.roundedToCents();
    // The one amount that rounds beyond the range stays at its bound, which reachesLimit() names.
    return cents > Money::maximum()   ? Money::maximum()
           : cents < Money::minimum() ? Money::minimum()
                                      : cents;
}

EstimateTotals totals(std::span<const StoredMaterialLine> materialLines,
                      std::span<const Money> laborExtensions, double taxRate, Money shipping) {
    EstimateTotals t;
    for (const StoredMaterialLine& line : materialLines) {
        t.materialCost += printed(line.totalCost);
        t.materials += printed(line.extension);
    }
    for (const Money extension : laborExtensions)
        t.labor += printed(extension);
    t.margin = t.materials - t.materialCost;
    t.subtotal = t.materials + t.labor;
    t.tax = salesTax(t.materials, taxRate);
    t.shipping = printed(shipping);
    t.total = t.subtotal + t.tax + t.shipping;
    return t;
}

namespace Sql {

QString cents(const QString& amount) {
    // To ten-thousandths first, the units an amount is kept in, so that the binary noise of a
    // stored REAL is gone; then halves away from zero, as ROUND() does.
    return QStringLiteral("CAST(ROUND(ROUND((%1) * 10000) / 100.0) AS INTEGER)").arg(amount);
}

QString taxCents(const QString& materialCents, const QString& rate) {
    // The product is brought to six decimals before rounding, so a rate typed as 8.25% counts as
    // exactly 0.0825 and not as the binary fraction nearest to it.
    return QStringLiteral("CAST(ROUND(ROUND((%1) * (%2), 6)) AS INTEGER)").arg(materialCents, rate);
}

} // namespace Sql

} // namespace Pricing
