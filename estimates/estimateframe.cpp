#include "estimates/estimateframe.h"

#include "settings/gridformat.h"
#include "widgets/datanavigator.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"

#include <QHeaderView>
#include <QTableView>

using namespace Controls;
using Twips::place;

namespace {
QTableView* lineGrid(QWidget* parent, const QString& name, double top, double height) {
    auto* grid = place<QTableView>(parent, name, 12, top, 761, height);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(24);
    return grid;
}
} // namespace

const QStringList EstimateFrame::mEstimateFields = {
    QStringLiteral("txtQuoteNumber"), QStringLiteral("txtTaxRate"), QStringLiteral("txtShippning"),
    QStringLiteral("cbQuoteStatus"), QStringLiteral("cbEstimator")};

EstimateFrame::EstimateFrame(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("frEstimating"));
    setTitle(tr("Estimate"));

    // The header, left: what identifies the estimate.
    caption(this, QStringLiteral("lblQuoteNumber"), tr("Reference #:"), 8, 28, 92);
    txtQuoteNumber = textBox(this, QStringLiteral("txtQuoteNumber"),
                             tr("Enter a unique, numeric reference number"), 106, 28, 120);
    caption(this, QStringLiteral("lblEstimator"), tr("Estimator:"), 8, 58, 92);
    cbEstimator =
        combo(this, QStringLiteral("cbEstimator"), tr("Add / Edit Estimators"), 106, 58, 189);
    caption(this, QStringLiteral("lblQuoteStatus"), tr("Status:"), 8, 88, 92);
    cbQuoteStatus =
        combo(this, QStringLiteral("cbQuoteStatus"), tr("Choose Status of Estimate"), 106, 88, 189);
    caption(this, QStringLiteral("lblTaxRate"), tr("Tax Rate:"), 300, 28, 70);
    txtTaxRate = textBox(this, QStringLiteral("txtTaxRate"), tr("Regional Tax Rate"), 376, 28, 90);
    txtTaxRate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmdEstimateSaveCurrentRecord = button(this, QStringLiteral("cmdEstimateSaveCurrentRecord"),
                                          tr("Save"), tr("Save Estimate"), 376, 86, 90);
    cmdEstimateSaveCurrentRecord->setProperty("role", QStringLiteral("primary"));

    // The header, right: the estimate's bottom line.
    Label2 = caption(this, QStringLiteral("Label2"), tr("Subtotal:"), 514, 24, 120, 22);
    txtSubtotal = amountBox(this, QStringLiteral("txtSubtotal"), tr("Total Materials & Labor"), 640,
                            24, 133, 22);
    lblShippning =
        caption(this, QStringLiteral("lblShippning"), tr("Shipping Costs:"), 514, 50, 120, 22);
    txtShippning =
        textBox(this, QStringLiteral("txtShippning"), tr("Price For Shipping"), 640, 50, 133, 22);
    txtShippning->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label4 = caption(this, QStringLiteral("Label4"), tr("Sales Tax:"), 514, 76, 120, 22);
    txtTax = amountBox(this, QStringLiteral("txtTax"), tr("Total Tax"), 640, 76, 133, 22);
    lblTotalEstimate =
        caption(this, QStringLiteral("lblTotalEstimate"), tr("Total Estimate:"), 514, 102, 120, 22);
    lblTotalEstimate->setProperty("role", QStringLiteral("emphasis"));
    txtTotalEstimate = amountBox(this, QStringLiteral("txtTotalEstimate"), tr("Total Estimate"),
                                 640, 102, 133, 22);
    txtTotalEstimate->setProperty("role", QStringLiteral("total"));

    // Material lines and their totals.
    grdMaterialEstimate = lineGrid(this, QStringLiteral("grdMaterialEstimate"), 134, 152);
    btnMaterialEstimate = button(this, QStringLiteral("btnMaterialEstimate"), tr("Add Materials"),
                                 tr("Add Material Items"), 12, 292, 120, 26);
    lblTotalMaterialCost =
        caption(this, QStringLiteral("lblTotalMaterialCost"), tr("Total Cost:"), 219, 294, 88, 22);
    txtTotalMaterialCost = amountBox(this, QStringLiteral("txtTotalMaterialCost"),
                                     tr("Total Cost of Materials"), 311, 294, 100, 22);
    lblMargin = caption(this, QStringLiteral("lblMargin"), tr("Margin:"), 415, 294, 52, 22);
    txtTotalMaterialMargin = amountBox(this, QStringLiteral("txtTotalMaterialMargin"),
                                       tr("Profit On Materials"), 471, 294, 100, 22);
    lblTotalMaterailExtension = caption(this, QStringLiteral("lblTotalMaterailExtension"),
                                        tr("Total Materials:"), 573, 294, 96, 22);
    txtTotalMaterailExtension = amountBox(this, QStringLiteral("txtTotalMaterailExtension"),
                                          tr("Total Material Estimate"), 673, 294, 100, 22);

    // Labor lines, the record bar and the labor total.
    grdLaborEstimate = lineGrid(this, QStringLiteral("grdLaborEstimate"), 326, 160);
    dcEstimates = place<DataNavigator>(this, QStringLiteral("dcEstimates"), 12, 494, 300, 26);
    dcEstimates->setCaption(tr("Estimates"));
    lblTotalLabourExtension = caption(this, QStringLiteral("lblTotalLabourExtension"),
                                      tr("Total Labor:"), 573, 496, 96, 22);
    txtTotalLabourExtension = amountBox(this, QStringLiteral("txtTotalLabourExtension"),
                                        tr("Total Labor"), 673, 496, 100, 22);

    for (QLineEdit* box :
         {txtSubtotal, txtTax, txtTotalEstimate, txtTotalMaterialCost, txtTotalMaterialMargin,
          txtTotalMaterailExtension, txtTotalLabourExtension})
        box->setText(QStringLiteral("$0.00"));
}

void EstimateFrame::activate() {
    applyLineEntryRule();
}

// Lines can be entered, and the estimate saved from the menu, only once it has a reference #.
void EstimateFrame::applyLineEntryRule() {
    m_hasReference = IsValidate(true, mEstimateFields, 1, this);
    grdMaterialEstimate->setEnabled(m_hasReference);
    grdLaborEstimate->setEnabled(m_hasReference);
    btnMaterialEstimate->setEnabled(m_hasReference);
    emit saveEnabledChanged(m_hasReference);
}

void EstimateFrame::applyColumnFractions() {
    setColumnFractions(grdMaterialEstimate, 3,
                       {0.0528, 0.1057, 0.345, 0.0885, 0.0885, 0.0885, 0.0885, 0.0885});
    setColumnFractions(grdLaborEstimate, 2, {0.0806, 0.712, 0.0885, 0.0885});
}
