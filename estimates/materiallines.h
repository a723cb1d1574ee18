#pragma once

#include "data/money.h"
#include "estimates/linelist.h"

class QEvent;
class QPushButton;
class frmMaterials;

// The material lines of the current estimate: the upper grid with its "Add Materials" button.
// A line is made by choosing a material in the picker and then carries its own quantity, unit
// cost and margin, from which its price, total cost and extension are computed whenever a cell
// is committed.
class MaterialLines : public LineList {
    Q_OBJECT
public:
    // The grid's columns, in the order it shows them; the first three hold keys.
    enum Column {
        MaterialEstimateID,
        MaterialsID,
        EstimateID,
        Quantity,
        PartNumber,
        Description,
        UnitCost,
        TotalCost,
        Price,
        Extension,
        Margin
    };

    explicit MaterialLines(QWidget* screen);

    // Writes a new estimate first, then shows the picker until it is cancelled; each material
    // chosen there becomes a line.
    void btnMaterialEstimate_Click();
    // "Add Materials" waits for the estimate's reference number, and says so while it waits.
    void setAddEnabled(bool enabled);
    // Adds a line for one chosen material: quantity 1, no margin.
    void mofrmMaterials_MaterialClicled(int lMaterialID, const QString& PartNo, const QString& desc,
                                        Money cost);
    // A quantity or margin must be a number; a unit cost that is not becomes 0.
    // The line as this cell's new value prices it keeps the estimate's totals within range.
    bool lineKeepsTotalsInRange(int row, int column, const QVariant& newValue) const;
    bool grdMaterialEstimate_BeforeColUpdate(int column, const QVariant& oldValue,
                                             QVariant& newValue);
    // A double click on a part number opens the picker.
    void grdMaterialEstimate_DblClick(const QModelIndex& index);

    QPushButton* const btnMaterialEstimate;
    // Made shortly after the lines are first shown, or when materials are first added; it keeps
    // its filters, size and place.
    frmMaterials* mofrmMaterials = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMaterials* picker();
};
