#include "estimates/costupdate.h"

#include "data/database.h"
#include "data/formats.h"
#include "data/pricing.h"
#include "estimates/linevalues.h"

#include <QCoreApplication>
#include <vector>

namespace CostUpdate {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CostUpdate", text);
}

// Each line with its material's unit cost in the catalogue (NULL when the material is gone).
const QString kLines = QStringLiteral(
    "SELECT m.MaterialEstimateID, m.Quantity, m.UnitCost, m.Margin, m.TotalCost, m.Extension, "
    "c.MaterialsID, c.UnitCost FROM MaterialEstimateTBL m "
    "LEFT JOIN MaterialsTBL c ON c.MaterialsID = m.MaterialsID WHERE m.EstimateID = ? "
    "ORDER BY m.MaterialEstimateID");
const QString kUpdateLine =
    QStringLiteral("UPDATE MaterialEstimateTBL SET UnitCost = ?, Price = ?, TotalCost = ?, "
                   "Extension = ? WHERE MaterialEstimateID = ?");

Money money(const Statement& row, int column) {
    return LineValues::money(row.value(column)).value_or(Money());
}

// What the totals need besides the material lines: the labor lines, tax rate and shipping.
struct Rest {
    std::vector<Money> labor;
    double taxRate = 0;
    Money shipping;
};

bool readRest(Database& db, int estimateId, Rest* rest, DbError* error) {
    Statement header(db, QStringLiteral("SELECT TaxRate, Shipping FROM EstimateTBL "
                                        "WHERE EstimateID = ?"));
    if (!header.bind(0, estimateId) || !header.next()) {
        *error = header.failed()
                     ? header.error()
                     : DbError{ErrorNumber::kRowNotFound, tr("The estimate was not found.")};
        return false;
    }
    rest->taxRate = header.real(0);
    rest->shipping = money(header, 1);
    Statement labor(db, QStringLiteral("SELECT LaborExtension FROM LaborEstimateTBL "
                                       "WHERE EstimateID = ?"));
    if (!labor.bind(0, estimateId))
        return false;
    while (labor.next())
        rest->labor.push_back(money(labor, 0));
    if (labor.failed())
        *error = labor.error();
    return !labor.failed();
}

} // namespace

QString Summary::text() const {
    QString text = (lines == 1 ? tr("%1 of 1 line changed; ") : tr("%1 of %2 lines changed; "))
                       .arg(changed)
                       .arg(lines);
    text += totalAfter == totalBefore ? tr("the total stays %1.").arg(formatMoney(totalAfter))
                                      : tr("the total went from %1 to %2.")
                                            .arg(formatMoney(totalBefore), formatMoney(totalAfter));
    if (missing == 1)
        text += tr(" 1 line kept the cost it had: its material is no longer in the catalogue.");
    else if (missing > 1)
        text += tr(" %1 lines kept the costs they had: their materials are no longer in the "
                   "catalogue.")
                    .arg(missing);
    return text;
}

std::optional<int> materialLineCount(Database& db, int estimateId, DbError* error) {
    Statement count(
        db, QStringLiteral("SELECT COUNT(*) FROM MaterialEstimateTBL WHERE EstimateID = ?"));
    if (count.bind(0, estimateId) && count.next())
        return int(count.integer(0));
    *error = count.error();
    return std::nullopt;
}

std::optional<Summary> fromCatalogue(Database& db, int estimateId, DbError* error) {
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = db.error();
        return std::nullopt;
    }
    Rest rest;
    if (!readRest(db, estimateId, &rest, error))
        return std::nullopt;

    Summary summary;
    std::vector<Pricing::StoredMaterialLine> before;
    std::vector<Pricing::StoredMaterialLine> after;
    Statement lines(db, kLines);
    Statement update(db, kUpdateLine);
    if (!lines.bind(0, estimateId))
        return std::nullopt;
    while (lines.next()) {
        ++summary.lines;
        const Pricing::StoredMaterialLine stored{money(lines, 4), money(lines, 5)};
        before.push_back(stored);
        const Money cost = money(lines, 2);
        if (lines.type(6) == Statement::Type::Null || lines.type(7) == Statement::Type::Null) {
            ++summary.missing;
            after.push_back(stored);
            continue;
        }
        const Money catalogue = money(lines, 7);
        if (catalogue == cost) {
            after.push_back(stored);
            continue;
        }
        const Pricing::MaterialAmounts amounts =
            Pricing::materialAmounts({LineValues::number(lines.value(1)).value_or(0), catalogue,
                                      LineValues::percent(lines.value(3)).value_or(0)});
        if (!update.bindAll({QVariant::fromValue(catalogue), QVariant::fromValue(amounts.price),
                             QVariant::fromValue(amounts.totalCost),
                             QVariant::fromValue(amounts.extension), lines.integer(0)}) ||
            !update.execute()) {
            *error = update.error();
            return std::nullopt;
        }
        ++summary.changed;
        after.push_back({amounts.totalCost, amounts.extension});
    }
    if (lines.failed()) {
        *error = lines.error();
        return std::nullopt;
    }
    const Pricing::EstimateTotals totalsBefore =
        Pricing::totals(before, rest.labor, rest.taxRate, rest.shipping);
    const Pricing::EstimateTotals totalsAfter =
        Pricing::totals(after, rest.labor, rest.taxRate, rest.shipping);
    if (totalsAfter.reachesLimit()) {
        *error = {ErrorNumber::kOperationNotAllowed,
                  tr("The catalogue's costs would take the estimate's total beyond what a quote "
                     "can show. No line was changed.")};
        return std::nullopt;
    }
    summary.totalBefore = totalsBefore.total;
    summary.totalAfter = totalsAfter.total;
    if (!transaction.commit()) {
        *error = db.error();
        return std::nullopt;
    }
    return summary;
}

} // namespace CostUpdate
