#include "estimates/materiallines.h"

#include "data/formats.h"
#include "data/globals.h"
#include "data/pricing.h"
#include "data/recordset.h"
#include "estimates/linevalues.h"
#include "materials/materialpicker.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QEvent>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Material Estimate");
// Long enough for the screen to have painted.
constexpr int kPreparePickerAfterMs = 250;

LineList::Design materialDesign() {
    LineList::Design d;
    d.grid = QStringLiteral("grdMaterialEstimate");
    d.dataControl = QStringLiteral("dcMaterialEstimate");
    d.table = QStringLiteral("MaterialEstimateTBL");
    d.toolTip = QObject::tr("Material lines of the estimate: type a quantity, unit cost or margin "
                            "to price a line; double-click a part number to add materials; "
                            "a row header chooses a line, Delete removes the chosen lines");
    d.messageTitle = kTitle;
    d.top = 156;
    d.height = 130;
    d.columns = {{"MaterialEstimateID", "MaterialEstimateID", {}},
                 {"MaterialsID", "MaterialsID", {}},
                 {"EstimateID", "EstimateID", {}},
                 {"Quantity", "Qty", {}, true, true},
                 {"PartNumber", "Part #", {}},
                 {"ManufacturerDescription", "Description", {}, false, true},
                 {"UnitCost", "Unit Cost", DisplayFormat::Money, true, true},
                 {"TotalCost", "Total Cost", DisplayFormat::Money},
                 {"Price", "Price", DisplayFormat::Price},
                 {"Extension", " Extension", DisplayFormat::Money},
                 {"Margin", "  Margin", DisplayFormat::Percent1, true, true}};
    d.keys = MaterialLines::Quantity;
    d.fractions = {0.0528, 0.1057, 0.345, 0.0885, 0.0885, 0.0885, 0.0885, 0.0885};
    d.description = MaterialLines::Description;
    return d;
}

// Price, total cost and extension from the line's quantity, unit cost and margin as they stand;
// any of those that is not a number counts, and is stored, as 0.
void priceLine(RecordSet& line) {
    Pricing::MaterialLine priced;
    if (const auto quantity = LineValues::number(line.value(MaterialLines::Quantity)))
        priced.quantity = *quantity;
    else
        line.setValue(MaterialLines::Quantity, 0.0);
    if (const auto cost = LineValues::money(line.value(MaterialLines::UnitCost)))
        priced.unitCost = *cost;
    else
        line.setValue(MaterialLines::UnitCost, QVariant::fromValue(Money()));
    if (const auto margin = LineValues::percent(line.value(MaterialLines::Margin)))
        priced.margin = *margin;
    else
        line.setValue(MaterialLines::Margin, 0.0);
    const Pricing::MaterialAmounts amounts = Pricing::materialAmounts(priced);
    line.setValue(MaterialLines::Price, QVariant::fromValue(amounts.price));
    line.setValue(MaterialLines::TotalCost, QVariant::fromValue(amounts.totalCost));
    line.setValue(MaterialLines::Extension, QVariant::fromValue(amounts.extension));
}

} // namespace

MaterialLines::MaterialLines(QWidget* screen)
    : LineList(screen, materialDesign()),
      btnMaterialEstimate(Controls::button(screen, QStringLiteral("btnMaterialEstimate"),
                                           tr("&Add Materials"), tr("Add Material Items"), 12, 292,
                                           102, 26)) {
    model->setBeforeColumnUpdate(
        [this](int row, int column, const QVariant& oldValue, QVariant& newValue) {
            return grdMaterialEstimate_BeforeColUpdate(column, oldValue, newValue) &&
                   lineKeepsTotalsInRange(row, column, newValue);
        });
    model->setBeforeRowUpdate([](RecordSet& line, int) { priceLine(line); });
    model->setHeaderToolTip(Margin, tr("Markup on cost: price = unit cost \u00d7 (1 + margin)"));
    // Every written line moves the totals, whichever cell changed.
    model->setAfterColumnUpdate([this](int, int) { emit linesChanged(); });
    connect(btnMaterialEstimate, &QPushButton::clicked, this,
            &MaterialLines::btnMaterialEstimate_Click);
    connect(grid, &QAbstractItemView::doubleClicked, this,
            &MaterialLines::grdMaterialEstimate_DblClick);
    grid->installEventFilter(this);
}

bool MaterialLines::eventFilter(QObject* watched, QEvent* event) {
    // A user looks at the lines for a while before adding materials: the picker is made then,
    // once the screen has painted, rather than on the click.
    if (watched == grid && event->type() == QEvent::Show && !mofrmMaterials) {
        grid->removeEventFilter(this);
        QTimer::singleShot(kPreparePickerAfterMs, this, [this] {
            if (!mofrmMaterials)
                picker()->prepare();
        });
    }
    return LineList::eventFilter(watched, event);
}

frmMaterials* MaterialLines::picker() {
    if (!mofrmMaterials) {
        mofrmMaterials = new frmMaterials(grid->window());
        mofrmMaterials->setUncovered(grid);
        connect(mofrmMaterials, &frmMaterials::MaterialClicled, this,
                &MaterialLines::mofrmMaterials_MaterialClicled);
    }
    return mofrmMaterials;
}

bool MaterialLines::grdMaterialEstimate_BeforeColUpdate(int column, const QVariant&,
                                                        QVariant& newValue) {
    switch (column) {
    case Quantity:
        return LineGrid::takeNumber(LineValues::number(newValue), newValue,
                                    tr("Numeric value is required for quantity"), kTitle);
    case Margin:
        return LineGrid::takeNumber(LineValues::percent(newValue), newValue,
                                    tr("Numeric value is required for Margin"), kTitle);
    case UnitCost:
        // An emptied or unreadable cost counts as nothing, without a word; a number too large
        // is refused.
        return LineGrid::takeAmount(newValue, newValue, tr("Unit cost"), QString(), kTitle);
    default:
        return true;
    }
}

bool MaterialLines::lineKeepsTotalsInRange(int row, int column, const QVariant& newValue) const {
    if (column != Quantity && column != UnitCost && column != Margin)
        return true;
    const auto cell = [&](int c) { return c == column ? newValue : model->value(row, c); };
    const Pricing::MaterialAmounts amounts =
        Pricing::materialAmounts({LineValues::number(cell(Quantity)).value_or(0),
                                  LineValues::money(cell(UnitCost)).value_or(Money()),
                                  LineValues::percent(cell(Margin)).value_or(0)});
    const auto stored = [&](int c) {
        return Pricing::printed(LineValues::money(model->value(row, c)).value_or(Money()));
    };
    return totalsStayWithin(amounts.extension - stored(Extension),
                            amounts.totalCost - stored(TotalCost), Money());
}

void MaterialLines::setAddEnabled(bool enabled) {
    btnMaterialEstimate->setEnabled(enabled);
    btnMaterialEstimate->setToolTip(enabled ? tr("Add Material Items")
                                            : tr("Type a reference number first"));
}

void MaterialLines::btnMaterialEstimate_Click() {
    // The lines carry the estimate's key, so a new estimate is written first.
    if (!estimateStored())
        return;
    // Closed any other way than Cancel after a choice, the picker comes back.
    for (int materialNum = 0; picker()->SelectMaterial(materialNum) != 0; materialNum = 0) {
    }
    grid->setFocus(Qt::OtherFocusReason);
}

void MaterialLines::mofrmMaterials_MaterialClicled(int lMaterialID, const QString& PartNo,
                                                   const QString& desc, Money cost) {
    RecordSet* records = lines();
    if (!records || !records->isOpen() || gCurrentEstimateID <= 0)
        return;
    bool ok = records->addNew();
    ok = ok && records->setValue(EstimateID, gCurrentEstimateID) &&
         records->setValue(MaterialsID, lMaterialID) && records->setValue(Quantity, 1.0) &&
         records->setValue(PartNumber, PartNo) && records->setValue(Description, desc) &&
         records->setValue(UnitCost, QVariant::fromValue(cost)) && records->setValue(Margin, 0.0);
    if (ok)
        priceLine(*records);
    if (!ok || !records->update()) {
        const DbError error = records->lastError();
        records->cancelUpdate();
        showMessage(QString::number(error.number) + QStringLiteral(", ") + error.description,
                    QMessageBox::Ok, QMessageBox::Warning, kTitle);
        return;
    }
    records->moveLast();
    const QModelIndex added = model->index(model->recordCount() - 1, Quantity);
    grid->setCurrentIndex(added);
    grid->scrollTo(added);
    if (mofrmMaterials)
        mofrmMaterials->noteAdded(PartNo);
    emit linesChanged();
}

void MaterialLines::grdMaterialEstimate_DblClick(const QModelIndex& index) {
    if (index.isValid() && index.column() == PartNumber && grid->isEnabled())
        btnMaterialEstimate_Click();
}
