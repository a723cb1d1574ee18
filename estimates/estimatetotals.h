#pragma once

#include "data/money.h"
#include "data/pricing.h"
#include "widgets/layoutrow.h"

#include <QObject>

class QLabel;
class QLineEdit;
class QWidget;
class RecordSet;

// The Estimate screen's totals panel: material cost, materials, margin, labor, subtotal, sales
// tax, shipping and the total of the current estimate. It is filled from the database's sums
// when the estimate changes or its tax rate or shipping is edited (SetTotalControl,
// UpdEstimateTotals), and from the lines themselves when a line changes
// (UpdateMaterialExtension, UpdateLaborExtension). Every figure is computed in Money by the
// pricing module. The shipping and tax-rate boxes are the header's; the panel only reads them.
class EstimateTotalsPanel : public QObject {
    Q_OBJECT
public:
    // Builds the panel's boxes on the screen's frame, where the window's layout finds them.
    EstimateTotalsPanel(QWidget* screen, QLineEdit* taxRate, QLineEdit* shipping);

    // The totals keep to the right edge: the estimate's at the top, the materials' below the
    // material lines, which take materialShare of the window's growth in height, and the
    // labor's at the bottom.
    LayoutRows layoutRows(float materialShare) const;

    // Fills the whole panel from a sums row (PXSum) of the current estimate and the estimate
    // record (its TaxRate and Shipping). A sums set without a current row shows zero sums.
    void SetTotalControl(RecordSet* sums, const RecordSet* estimate);
    // Re-reads the sums of the estimate with this key and fills the panel (SetTotalControl).
    void UpdEstimateTotals(int estimateId, const RecordSet* estimate);
    // Recomputes the material boxes from the material lines, and subtotal, tax and total from
    // them and the panel's other boxes.
    void UpdateMaterialExtension(const RecordSet* materialLines);
    // Recomputes the labor box from the labor lines, and subtotal and total; the tax stays.
    void UpdateLaborExtension(const RecordSet* laborLines);
    // Whether the totals stay within the amounts kept when the lines change by these amounts.
    bool staysWithinRange(Money materials, Money cost, Money labor) const;
    // A new estimate: "$0.00" in every money box and "0.00%" as tax rate, shipping "$0.00".
    void clear();

    QLabel* Label2;
    QLineEdit* txtSubtotal;
    QLabel* Label4;
    QLineEdit* txtTax;
    QLabel* lblTotalEstimate;
    QLineEdit* txtTotalEstimate;
    QLabel* lblTotalMaterialCost;
    QLineEdit* txtTotalMaterialCost;
    QLabel* lblMargin;
    QLineEdit* txtTotalMaterialMargin;
    QLabel* lblTotalMaterailExtension;
    QLineEdit* txtTotalMaterailExtension;
    QLabel* lblTotalLabourExtension;
    QLineEdit* txtTotalLabourExtension;

private:
    void show(const Pricing::EstimateTotals& totals);

    QLineEdit* m_taxRate;
    QLineEdit* m_shipping;
    // The amounts behind the boxes: a recomputed half takes the other half from here.
    Money m_materials;
    Money m_cost;
    Money m_labor;
    Money m_tax;
};
