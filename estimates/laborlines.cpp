#include "estimates/laborlines.h"

#include "data/formats.h"
#include "data/globals.h"
#include "data/pricing.h"
#include "data/recordset.h"
#include "estimates/linevalues.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

namespace {

const QString kTitle = QStringLiteral("Labor Estimate");

LineList::Design laborDesign() {
    LineList::Design d;
    d.grid = QStringLiteral("grdLaborEstimate");
    d.dataControl = QStringLiteral("dcLaborEstimate");
    d.table = QStringLiteral("LaborEstimateTBL");
    d.toolTip = QObject::tr("Labor lines of the estimate: type on the line marked * to add one; "
                            "a row header chooses a line, Delete removes the chosen lines");
    d.messageTitle = kTitle;
    d.top = 326;
    d.height = 160;
    d.columns = {{"LaborEstimateID", "LaborEstimateID", {}},
                 {"EstimateID", "EstimateID", {}},
                 {"Hours", "Hours", {}, true, true},
                 {"LaborDescription", "Description", {}, false, true},
                 {"LaborRate", "Rate", DisplayFormat::Money, true, true},
                 {"LaborExtension", "Extension", DisplayFormat::Money}};
    d.keys = LaborLines::Hours;
    d.fractions = {0.0806, 0.712, 0.0885, 0.0885};
    d.description = LaborLines::Description;
    return d;
}

// The extension from the line's hours and rate as they stand; either that is not a number
// counts, and is stored, as 0.
void extendLine(RecordSet& line) {
    Pricing::LaborLine priced;
    if (const auto hours = LineValues::number(line.value(LaborLines::Hours)))
        priced.hours = *hours;
    else
        line.setValue(LaborLines::Hours, 0.0);
    if (const auto rate = LineValues::money(line.value(LaborLines::Rate)))
        priced.rate = *rate;
    else
        line.setValue(LaborLines::Rate, QVariant::fromValue(Money()));
    line.setValue(LaborLines::Extension,
                  QVariant::fromValue(Pricing::laborExtension(priced.hours, priced.rate)));
}

} // namespace

LaborLines::LaborLines(QWidget* screen) : LineList(screen, laborDesign()) {
    model->setAllowAddNew(true);
    model->setOnAddNew([this](RecordSet& line) { grdLaborEstimate_OnAddNew(line); });
    model->setBeforeColumnUpdate(
        [this](int row, int column, const QVariant& oldValue, QVariant& newValue) {
            return grdLaborEstimate_BeforeColUpdate(row, column, oldValue, newValue);
        });
    model->setBeforeRowUpdate([](RecordSet& line, int) { extendLine(line); });
    model->setAfterColumnUpdate([this](int, int) { emit linesChanged(); });
}

void LaborLines::grdLaborEstimate_OnAddNew(RecordSet& line) {
    line.setValue(EstimateID, gCurrentEstimateID);
    line.setValue(Hours, 0.0);
    line.setValue(Description, tr("None"));
    line.setValue(Rate, QVariant::fromValue(Money()));
    line.setValue(Extension, QVariant::fromValue(Money()));
}

bool LaborLines::grdLaborEstimate_BeforeColUpdate(int row, int column, const QVariant&,
                                                  QVariant& newValue) {
    // A line is never stored without the estimate it belongs to.
    if (model->isNewRow(row) && gCurrentEstimateID <= 0) {
        LineGrid::refuseCell(tr("Save the estimate before adding labor to it."), kTitle);
        return false;
    }
    if (column == Hours && !LineGrid::takeNumber(LineValues::number(newValue), newValue,
                                                 tr("Numeric value is required for hours"), kTitle))
        return false;
    if (column == Rate &&
        !LineGrid::takeAmount(newValue, newValue, tr("Labor rate"),
                              tr("Numeric value is required for labor rate"), kTitle))
        return false;
    if (column != Hours && column != Rate)
        return true;
    const auto cell = [&](int c) { return c == column ? newValue : model->value(row, c); };
    const Money extension =
        Pricing::laborExtension(LineValues::number(cell(Hours)).value_or(0),
                                LineValues::money(cell(Rate)).value_or(Money()));
    const Money stored =
        Pricing::printed(LineValues::money(model->value(row, Extension)).value_or(Money()));
    return totalsStayWithin(Money(), Money(), extension - stored);
}
