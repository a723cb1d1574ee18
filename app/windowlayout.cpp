#include "app/windowlayout.h"

#include "widgets/twips.h"

#include <QHeaderView>
#include <QTableView>
#include <cmath>

QList<LayoutEntry> mainWindowLayoutTable() {
    return {
        {QStringLiteral("frCompanyInfo"), 0, 0, 1, 0},
        {QStringLiteral("lblToday"), 1, 0, 1, 0},
        {QStringLiteral("frMaterialsFilter"), 1, 0, 0, 0},
        {QStringLiteral("frMaterialRecord"), 0, 0, 1, 0},
        {QStringLiteral("txtMaterialsDescription"), 0, 0, 1, 0},
        {QStringLiteral("grdMaterialsList"), 0, 0, 1, 1},
        {QStringLiteral("lblMaterialsCount"), 0, 1, 1, 1},
        {QStringLiteral("grdMaterialEstimate"), 0, 0, 1, 0.28f},
        {QStringLiteral("grdLaborEstimate"), 0, 0.28f, 1, 0.9f},
        {QStringLiteral("lblTotalMaterialCost"), 1, 0.28f, 1, 0.28f},
        {QStringLiteral("txtTotalMaterialCost"), 1, 0.28f, 1, 0.28f},
        {QStringLiteral("lblMargin"), 1, 0.28f, 1, 0.28f},
        {QStringLiteral("txtTotalMaterialMargin"), 1, 0.28f, 1, 0.28f},
        {QStringLiteral("lblTotalMaterailExtension"), 1, 0.28f, 1, 0.28f},
        {QStringLiteral("txtTotalMaterailExtension"), 1, 0.28f, 1, 0.28f},
        {QStringLiteral("dcEstimates"), 0, 1, 0, 1},
        {QStringLiteral("cmdEstimateSaveCurrentRecord"), 0, 1, 0, 1},
        {QStringLiteral("cbCustomer"), 0, 0, 1, 0},
        {QStringLiteral("cmdCustomer"), 1, 0, 1, 0},
        {QStringLiteral("txtJobName"), 0, 0, 1, 0},
        {QStringLiteral("txtJobAddress"), 0, 0, 1, 0},
        {QStringLiteral("txtTerms"), 0, 0, 1, 0},
        {QStringLiteral("lblTaxRate"), 1, 0, 1, 0},
        {QStringLiteral("txtTaxRate"), 1, 0, 1, 0},
        {QStringLiteral("btnMaterialEstimate"), 0, 0.28f, 0, 0.28f},
        {QStringLiteral("cmdUpdateCosts"), 0, 0.28f, 0, 0.28f},
        {QStringLiteral("lblTotalLabourExtension"), 1, 1, 1, 1},
        {QStringLiteral("txtTotalLabourExtension"), 1, 1, 1, 1},
        {QStringLiteral("Label2"), 1, 0, 1, 0},
        {QStringLiteral("txtSubtotal"), 1, 0, 1, 0},
        {QStringLiteral("lblShippning"), 1, 0, 1, 0},
        {QStringLiteral("txtShippning"), 1, 0, 1, 0},
        {QStringLiteral("Label4"), 1, 0, 1, 0},
        {QStringLiteral("txtTax"), 1, 0, 1, 0},
        {QStringLiteral("lblTotalEstimate"), 1, 0, 1, 0},
        {QStringLiteral("txtTotalEstimate"), 1, 0, 1, 0},
    };
}

namespace {
// How much a size grows when its two edges move by the given shares. An edge pair whose right
// share is below its left share (the filter frame: it moves with the right side) keeps its
// size; growing it as well would push it past the window's edge.
double growth(float first, float second) {
    return second >= first ? double(second - first) : 0.0;
}
} // namespace

void applyLayoutTable(QWidget* window, const QList<LayoutEntry>& table, double dx, double dy) {
    for (const LayoutEntry& e : table) {
        auto* control = window->findChild<QWidget*>(e.control);
        if (!control)
            continue;
        QRectF g = Twips::geometry(control);
        g = QRectF(g.left() + double(e.left) * dx, g.top() + double(e.top) * dy,
                   std::max(0.0, g.width() + growth(e.left, e.right) * dx),
                   std::max(0.0, g.height() + growth(e.top, e.bottom) * dy));
        Twips::setGeometry(control, g);
    }
}

QStringList missingLayoutControls(const QWidget* window, const QList<LayoutEntry>& table) {
    QStringList missing;
    for (const LayoutEntry& e : table)
        if (!window->findChild<QWidget*>(e.control))
            missing << e.control;
    return missing;
}
