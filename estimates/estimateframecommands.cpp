// The Estimate screen's commands on a whole estimate: Duplicate Estimate and Update Costs From
// Catalogue. The data work is EstimateCopy's and CostUpdate's; this is the user's side of it.
#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/recordset.h"
#include "estimates/costupdate.h"
#include "estimates/duplicateestimate.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimateheader.h"
#include "estimates/estimatelines.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"

#include <QPushButton>

namespace {
const QString kUpdateCostsTitle = QStringLiteral("Update Costs From Catalogue");
}

bool EstimateFrame::writeTyping() {
    lines->writeNewLines();
    RecordSet* records = book->records();
    return !records || records->editMode() == RecordSet::EditNone || save();
}

bool EstimateFrame::canDuplicate() const {
    return book->currentEstimateId() > 0 || (book->isNewEstimate() && header->hasReference());
}

void EstimateFrame::duplicate() {
    if (canDuplicate() && writeTyping())
        DuplicateAndOpen(window(), *book, book->currentEstimateId());
}

bool EstimateFrame::canUpdateCosts() const {
    return cmdUpdateCosts->isEnabled();
}

void EstimateFrame::updateCosts() {
    Connection* connection = book->dcEstimates->connection();
    if (!canUpdateCosts() || !connection || !writeTyping())
        return;
    const int estimateId = book->currentEstimateId();
    Database& db = connection->database();
    DbError error;
    const std::optional<int> count = CostUpdate::materialLineCount(db, estimateId, &error);
    if (!count) {
        ShowDatabaseError(connection, error, kUpdateCostsTitle);
        return;
    }
    if (*count == 0) {
        showMessage(tr("This estimate has no material lines to update."), QMessageBox::Ok,
                    QMessageBox::Information, kUpdateCostsTitle);
        return;
    }
    const QString question =
        *count == 1
            ? tr("Update the unit cost of 1 material line from the catalogue?")
            : tr("Update the unit costs of %1 material lines from the catalogue?").arg(*count);
    if (showMessage(question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                    kUpdateCostsTitle) != QMessageBox::Yes)
        return;
    const std::optional<CostUpdate::Summary> summary =
        CostUpdate::fromCatalogue(db, estimateId, &error);
    // The grids and totals read the lines again, whatever came of it.
    dcEstimates_MoveComplete();
    if (!summary) {
        if (error.number == ErrorNumber::kOperationNotAllowed)
            showMessage(error.description, QMessageBox::Ok, QMessageBox::Warning,
                        kUpdateCostsTitle);
        else
            ShowDatabaseError(connection, error, kUpdateCostsTitle);
        return;
    }
    showMessage(summary->text(), QMessageBox::Ok, QMessageBox::Information, kUpdateCostsTitle);
}
