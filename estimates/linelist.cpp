#include "estimates/linelist.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

#include <QItemSelectionModel>
#include <algorithm>

LineList::LineList(QWidget* screen, const Design& design)
    : QObject(screen), dataControl(new DataControl(this)), model(new RecordSetModel(this)),
      grid(LineGrid::create(screen, design.grid, design.top, design.height, model, design.columns)),
      m_design(design) {
    dataControl->setObjectName(design.dataControl);
    grid->setToolTip(design.toolTip);
    connect(dataControl, &DataControl::recordSetChanged, model, &RecordSetModel::setRecordSet);
    connect(model, &RecordSetModel::writeFailed, this, &LineList::reportWriteFailure);
    connect(grid, &LineGridView::deleteRequested, this, &LineList::deleteLines);
    // An estimate not stored yet has no key its lines could carry: it is written first.
    grid->setEditGuard([this] { return estimateStored(); });
}

bool LineList::showLinesOf(int estimateId) {
    // A new line typed and not yet left is kept, not lost with the lines it was typed among.
    model->submit();
    // A new estimate has no lines; lines stored without an estimate are never shown as its own.
    const QVariantList key = {estimateId > 0 ? QVariant(estimateId) : QVariant()};
    dataControl->setConnectionString(gConnectionString);
    // The columns are named, so that the grid shows them in its own order whatever the table's.
    QStringList fields;
    for (const LineGrid::Column& column : m_design.columns)
        fields << QString::fromLatin1(column.field);
    dataControl->setRecordSource(QStringLiteral("SELECT %1 FROM %2 WHERE %2.EstimateID = ?")
                                     .arg(fields.join(QStringLiteral(", ")), m_design.table),
                                 key);
    const bool ok = dataControl->refresh();
    if (!ok) {
        const DbError& error = dataControl->lastError();
        showProcedureError(error, QStringLiteral("Move Complete"));
    }
    // The keys are the program's, not the user's.
    for (int column = 0; column < m_design.keys; ++column)
        grid->setColumnHidden(column, true);
    applyColumnFractions();
    return ok;
}

RecordSet* LineList::lines() const {
    return dataControl->recordSet();
}

void LineList::applyColumnFractions() {
    LineGrid::fitColumns(grid, m_design.keys, m_design.fractions, m_design.description);
}

bool LineList::deleteLines(const QList<int>& chosen) {
    // A new line being typed is written first, as leaving it would; the rows before it stay.
    model->submit();
    QList<int> rows;
    for (const int row : chosen)
        if (row >= 0 && row < model->recordCount() && !rows.contains(row))
            rows << row;
    RecordSet* records = lines();
    if (rows.isEmpty() || !records || !records->activeConnection())
        return false;
    std::sort(rows.begin(), rows.end());
    grid->highlightLines(rows);
    if (!LineGrid::confirmDelete(m_design.messageTitle, int(rows.size())))
        return false;
    Database& database = records->activeConnection()->database();
    DbError error;
    {
        Transaction together(database);
        bool ok = together.isActive();
        if (!ok)
            error = database.error();
        // From the last, so that the rows still to go keep their places.
        for (auto row = rows.crbegin(); ok && row != rows.crend(); ++row)
            if (!(ok = records->setAbsolutePosition(*row + 1) && records->deleteCurrent()))
                error = records->lastError();
        if (ok && !together.commit()) {
            ok = false;
            error = database.error();
        }
        if (!ok && !error.isSet())
            error.description = tr("The database refused it.");
    } // rolled back unless committed
    if (error.isSet()) {
        // The grid may have let go of lines the file keeps: it shows the file again.
        showLinesOf(gCurrentEstimateID);
        emit linesChanged();
        showMessage((rows.size() == 1 ? tr("The line was not deleted:")
                                      : tr("None of the %1 lines was deleted:").arg(rows.size())) +
                        QLatin1Char(' ') + error.description,
                    QMessageBox::Ok, QMessageBox::Warning, m_design.messageTitle);
        return false;
    }
    // The cursor stays where the first deleted line was, on the line that took its place.
    const int row = std::min(rows.first(), model->rowCount() - 1);
    const int column = std::max(int(m_design.keys), grid->currentIndex().column());
    if (row >= 0)
        grid->selectionModel()->setCurrentIndex(model->index(row, column),
                                                QItemSelectionModel::ClearAndSelect);
    emit linesChanged();
    return true;
}

bool LineList::estimateStored() {
    if (gCurrentEstimateID > 0)
        return true;
    return m_writeEstimate && m_writeEstimate() && gCurrentEstimateID > 0;
}

void LineList::reportWriteFailure(const DbError& error) {
    if (error.nativeError != ErrorNumber::kRecordChanged &&
        error.nativeError != ErrorNumber::kRecordDeleted) {
        showProcedureError(error, m_design.messageTitle, QMessageBox::Warning);
        return;
    }
    // A cell is written as it is left, so there is no typing to keep beyond the one entry: the
    // lines are read again, and the user sees what is stored before changing it once more.
    if (Connection* connection = dataControl->connection())
        connection->clearErrors();
    showMessage(RecordSet::conflictText(error.nativeError) +
                    tr("\n\nYour entry was not stored. The lines now show what is stored; enter "
                       "your change again if it is still needed."),
                QMessageBox::Ok, QMessageBox::Warning, m_design.messageTitle);
    // Read once the grid has finished with the refused cell, never under its feet.
    QMetaObject::invokeMethod(
        this,
        [this] {
            showLinesOf(gCurrentEstimateID);
            emit linesChanged();
        },
        Qt::QueuedConnection);
}

bool LineList::totalsStayWithin(Money materials, Money cost, Money labor) const {
    if (!m_totalsCheck || m_totalsCheck(materials, cost, labor))
        return true;
    LineGrid::refuseCell(tr("The estimate's total must lie between -%1 and %1")
                             .arg(QLatin1String(Money::kLargestText)),
                         m_design.messageTitle);
    return false;
}
