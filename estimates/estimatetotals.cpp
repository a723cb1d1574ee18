#include "estimates/estimatetotals.h"

#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/pricing.h"
#include "data/recordset.h"
#include "estimates/linevalues.h"
#include "widgets/messagebox.h"
#include "widgets/screencontrols.h"

#include <QCoreApplication>
#include <vector>

using namespace Controls;

namespace {

// A money value of a record: stored as currency, or as a plain number by older files.
Money moneyOf(const QVariant& value) {
    return LineValues::money(value).value_or(Money());
}

Money moneyOf(const RecordSet* records, const QString& field) {
    const int index = records ? records->fieldIndex(field) : -1;
    return index < 0 ? Money() : moneyOf(records->value(index));
}

// A box's amount as the panel shows it; an emptied or unreadable box counts as nothing.
Money boxAmount(const QLineEdit* box) {
    return parseCurrency(box->text()).value_or(Money());
}

bool onRecord(const RecordSet* records) {
    return records && records->isOpen() && !records->isBOF() && !records->isEOF();
}

} // namespace

EstimateTotalsPanel::EstimateTotalsPanel(QWidget* screen, QLineEdit* taxRate, QLineEdit* shipping)
    : QObject(screen), m_taxRate(taxRate), m_shipping(shipping) {
    setObjectName(QStringLiteral("estimateTotals"));
    Label2 = caption(screen, QStringLiteral("Label2"), tr("Subtotal:"), 514, 24, 120, 22);
    txtSubtotal = amountBox(screen, QStringLiteral("txtSubtotal"), tr("Total Materials & Labor"),
                            640, 24, 133, 22);
    Label4 = caption(screen, QStringLiteral("Label4"), tr("Sales Tax:"), 514, 102, 120, 22);
    txtTax = amountBox(screen, QStringLiteral("txtTax"), tr("Total Tax"), 640, 102, 133, 22);
    lblTotalEstimate = caption(screen, QStringLiteral("lblTotalEstimate"), tr("Total Estimate:"),
                               514, 128, 120, 22);
    lblTotalEstimate->setProperty("role", QStringLiteral("emphasis"));
    txtTotalEstimate = amountBox(screen, QStringLiteral("txtTotalEstimate"), tr("Total Estimate"),
                                 640, 128, 133, 22);
    txtTotalEstimate->setProperty("role", QStringLiteral("total"));

    lblTotalMaterialCost = caption(screen, QStringLiteral("lblTotalMaterialCost"),
                                   tr("Total Cost:"), 226, 294, 81, 22);
    txtTotalMaterialCost = amountBox(screen, QStringLiteral("txtTotalMaterialCost"),
                                     tr("Total Cost of Materials"), 311, 294, 100, 22);
    lblMargin = caption(screen, QStringLiteral("lblMargin"), tr("Margin:"), 415, 294, 52, 22);
    txtTotalMaterialMargin = amountBox(screen, QStringLiteral("txtTotalMaterialMargin"),
                                       tr("Profit On Materials"), 471, 294, 100, 22);
    lblTotalMaterailExtension = caption(screen, QStringLiteral("lblTotalMaterailExtension"),
                                        tr("Total Materials:"), 573, 294, 96, 22);
    txtTotalMaterailExtension = amountBox(screen, QStringLiteral("txtTotalMaterailExtension"),
                                          tr("Total Material Estimate"), 673, 294, 100, 22);
    lblTotalLabourExtension = caption(screen, QStringLiteral("lblTotalLabourExtension"),
                                      tr("Total Labor:"), 573, 496, 96, 22);
    txtTotalLabourExtension = amountBox(screen, QStringLiteral("txtTotalLabourExtension"),
                                        tr("Total Labor"), 673, 496, 100, 22);
    clear();
}

void EstimateTotalsPanel::clear() {
    for (QLineEdit* box :
         {txtSubtotal, txtTax, txtTotalEstimate, txtTotalMaterialCost, txtTotalMaterialMargin,
          txtTotalMaterailExtension, txtTotalLabourExtension})
        box->setText(formatCurrency(Money()));
    m_materials = m_cost = m_labor = m_tax = Money();
}

void EstimateTotalsPanel::SetTotalControl(RecordSet* sums, const RecordSet* estimate) {
    // An estimate without lines may have no sums row: its sums are zero, never the figures of
    // the estimate shown before. The sums are whole cents already; the tax and total are the
    // pricing module's, as on the printed quote.
    const bool hasSums = onRecord(sums);
    const Money materials = hasSums ? moneyOf(sums, QStringLiteral("MaterialsTotal")) : Money();
    const Money labor = hasSums ? moneyOf(sums, QStringLiteral("LaborsTotal")) : Money();
    const Money cost = hasSums ? moneyOf(sums, QStringLiteral("MaterialsTotalCost")) : Money();
    double taxRate = 0;
    Money shipping;
    if (onRecord(estimate) || (estimate && estimate->editMode() == RecordSet::EditAdd)) {
        taxRate = estimate->value(QStringLiteral("TaxRate")).toDouble();
        shipping = moneyOf(estimate, QStringLiteral("Shipping"));
    }
    const Pricing::StoredMaterialLine sum{cost, materials};
    show(Pricing::totals({&sum, 1}, {&labor, 1}, taxRate, shipping));
}

LayoutRows EstimateTotalsPanel::layoutRows(float materialShare) const {
    // Controls at the right edge that move down by the given share of the growth in height.
    const auto atRight = [](const QList<QWidget*>& controls, float top) {
        LayoutRows rows;
        for (QWidget* control : controls)
            rows.append({control, 1, top, 1, top});
        return rows;
    };
    return atRight({lblTotalMaterialCost, txtTotalMaterialCost, lblMargin, txtTotalMaterialMargin,
                    lblTotalMaterailExtension, txtTotalMaterailExtension},
                   materialShare) +
           atRight({lblTotalLabourExtension, txtTotalLabourExtension}, 1) +
           atRight({Label2, txtSubtotal, Label4, txtTax, lblTotalEstimate, txtTotalEstimate}, 0);
}

void EstimateTotalsPanel::show(const Pricing::EstimateTotals& totals) {
    m_materials = totals.materials;
    m_cost = totals.materialCost;
    m_labor = totals.labor;
    m_tax = totals.tax;
    txtSubtotal->setText(formatSum(totals.subtotal));
    txtTax->setText(formatCurrency(totals.tax));
    txtTotalEstimate->setText(formatCurrency(totals.total));
    txtTotalLabourExtension->setText(formatSum(totals.labor));
    txtTotalMaterailExtension->setText(formatSum(totals.materials));
    txtTotalMaterialCost->setText(formatSum(totals.materialCost));
    txtTotalMaterialMargin->setText(formatSum(totals.margin));
}

void EstimateTotalsPanel::UpdEstimateTotals(int estimateId, const RecordSet* estimate) {
    RecordSet sums;
    sums.setLockType(RecordSet::LockReadOnly);
    if (!gConnection ||
        !sums.open(*gConnection, QStringLiteral("SELECT * FROM PXSum WHERE EstimateID = ?"),
                   {estimateId})) {
        const DbError error = sums.lastError();
        showProcedureError(error, QStringLiteral("SetTotalControl"));
        return;
    }
    SetTotalControl(&sums, estimate);
}

void EstimateTotalsPanel::UpdateMaterialExtension(const RecordSet* materialLines) {
    std::vector<Pricing::StoredMaterialLine> stored;
    if (materialLines && materialLines->isOpen()) {
        // A second cursor: the grid's current line stays where it is.
        const auto lines = materialLines->clone();
        for (lines->moveFirst(); !lines->isEOF(); lines->moveNext())
            stored.push_back({moneyOf(lines.get(), QStringLiteral("TotalCost")),
                              moneyOf(lines.get(), QStringLiteral("Extension"))});
    }
    // The tax-rate box reads as the user typed it: "8.25" and "8.25%" are both 8.25%.
    const double rate = parsePercent(m_taxRate->text()).value_or(0);
    show(Pricing::totals(stored, {&m_labor, 1}, rate, boxAmount(m_shipping)));
}

void EstimateTotalsPanel::UpdateLaborExtension(const RecordSet* laborLines) {
    std::vector<Money> labor;
    if (laborLines && laborLines->isOpen()) {
        const auto lines = laborLines->clone();
        for (lines->moveFirst(); !lines->isEOF(); lines->moveNext())
            labor.push_back(moneyOf(lines.get(), QStringLiteral("LaborExtension")));
    }
    // Labor is not taxed: the tax stays the one last computed on the materials.
    const Pricing::StoredMaterialLine materials{m_cost, m_materials};
    Pricing::EstimateTotals totals =
        Pricing::totals({&materials, 1}, labor, 0, boxAmount(m_shipping));
    totals.tax = m_tax;
    totals.total = totals.subtotal + totals.tax + totals.shipping;
    show(totals);
}

bool EstimateTotalsPanel::staysWithinRange(Money materials, Money cost, Money labor) const {
    const Pricing::StoredMaterialLine lines{m_cost + cost, m_materials + materials};
    const Money laborTotal = m_labor + labor;
    const double rate = parsePercent(m_taxRate->text()).value_or(0);
    return !Pricing::totals({&lines, 1}, {&laborTotal, 1}, rate, boxAmount(m_shipping))
                .reachesLimit();
}
