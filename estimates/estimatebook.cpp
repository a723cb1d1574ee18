#include "estimates/estimatebook.h"

#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "data/money.h"
#include "estimates/quotedefaults.h"

#include <QDate>

namespace {
const QString kEstimates = QStringLiteral("Select * from EstimateTBL WHERE EstimateID > 0");
// Estimates that were stored before they had a reference number.
const QString kUnnumbered =
    QStringLiteral("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber IS NULL "
                   "OR TRIM(QuoteNumber) = ''");
} // namespace

EstimateBook::EstimateBook(QObject* parent) : QObject(parent), dcEstimates(new DataControl(this)) {
    setObjectName(QStringLiteral("estimateBook"));
    dcEstimates->setObjectName(QStringLiteral("dcEstimates"));
}

RecordSet* EstimateBook::records() const {
    RecordSet* records = dcEstimates->recordSet();
    return records && records->isOpen() ? records : nullptr;
}

bool EstimateBook::fail(const DbError& error) {
    m_lastError = error;
    return false;
}

bool EstimateBook::hasUnnumbered() {
    Statement any(gConnection->database(), kUnnumbered + QStringLiteral(" LIMIT 1"));
    // Unknown is taken as some: the removal then says what went wrong.
    return any.next() || any.failed();
}

bool EstimateBook::load() {
    const bool removed = removeUnnumbered();
    dcEstimates->setConnectionString(gConnectionString);
    dcEstimates->setRecordSource(kEstimates);
    if (!dcEstimates->refresh())
        return fail(dcEstimates->lastError());
    return removed;
}

bool EstimateBook::removeUnnumbered() {
    m_lastError = {};
    bool removed = true;
    // A file that can only be read keeps what it holds (it was said so once, at the start). Asked
    // first, so that a start with nothing to remove writes nothing: the first write of the day
    // waits for the day's copy of the file.
    if (gConnection && gConnection->isOpen() && !gConnection->database().isReadOnly() &&
        hasUnnumbered()) {
        // The lines go with their estimate; all of it, or none.
        Transaction transaction(gConnection->database());
        const QString lines = QStringLiteral(" WHERE EstimateID IN (") + kUnnumbered + ')';
        removed =
            gConnection->execute(QStringLiteral("DELETE FROM MaterialEstimateTBL") + lines) &&
            gConnection->execute(QStringLiteral("DELETE FROM LaborEstimateTBL") + lines) &&
            gConnection->execute(QStringLiteral("DELETE FROM EstimateTBL WHERE EstimateID IN (") +
                                 kUnnumbered + ')') &&
            transaction.commit();
        if (!removed)
            m_lastError = gConnection->lastError();
    }
    return removed;
}

bool EstimateBook::addNew() {
    openIfWaiting();
    RecordSet* estimates = records();
    if (!estimates)
        return fail({ErrorNumber::kOperationNotAllowed, tr("The estimates could not be opened.")});
    if (!writePending())
        return false;
    m_newEstimate = true;
    if (!estimates->addNew()) {
        m_newEstimate = false;
        return fail(estimates->lastError());
    }
    estimates->setValue(QStringLiteral("EstimateData"), QDate::currentDate());
    estimates->setValue(QStringLiteral("TaxRate"), 0.0);
    estimates->setValue(QStringLiteral("Shipping"), QVariant::fromValue(Money()));
    applyQuoteDefaults(*estimates, QDate::currentDate());
    emit newEstimateStarted();
    return true;
}

bool EstimateBook::open(int estimateId) {
    openIfWaiting();
    RecordSet* estimates = records();
    if (!estimates || estimateId <= 0)
        return fail({ErrorNumber::kRowNotFound, tr("The estimate was not found.")});
    if (!writePending())
        return false;
    const auto finder = estimates->clone();
    finder->moveFirst();
    if (!finder->find(QStringLiteral("EstimateID=") + QString::number(estimateId)) ||
        finder->isEOF())
        return fail({ErrorNumber::kRowNotFound, tr("The estimate was not found.")});
    if (!estimates->setBookmark(finder->bookmark()))
        return fail(estimates->lastError());
    return true;
}

bool EstimateBook::openAdded(int estimateId) {
    openIfWaiting();
    m_lastError = {};
    if (!writePending())
        return false;
    if (!dcEstimates->refresh())
        return fail(dcEstimates->lastError());
    emit estimatesChanged();
    return open(estimateId);
}

bool EstimateBook::save() {
    RecordSet* estimates = records();
    if (!estimates || estimates->isBOF() || estimates->isEOF())
        return fail({ErrorNumber::kNoCurrentRecord, tr("There is no estimate to save.")});
    const bool wasNew = estimates->editMode() == RecordSet::EditAdd;
    const bool changed = estimates->editMode() != RecordSet::EditNone;
    if (!estimates->move(0))
        return fail(estimates->lastError());
    if (wasNew)
        m_newEstimate = false;
    if (changed)
        emit estimatesChanged();
    emit saved();
    return true;
}

bool EstimateBook::remove(int estimateId) {
    RecordSet* estimates = records();
    if (!open(estimateId))
        return false;
    Connection* connection = estimates->activeConnection();
    if (!connection)
        return fail({ErrorNumber::kOperationNotAllowed, tr("The estimates are not open.")});
    Transaction transaction(connection->database());
    const QVariantList key = {estimateId};
    if (!connection->execute(QStringLiteral("DELETE FROM MaterialEstimateTBL WHERE EstimateID = ?"),
                             key) ||
        !connection->execute(QStringLiteral("DELETE FROM LaborEstimateTBL WHERE EstimateID = ?"),
                             key))
        return fail(connection->lastError());
    if (!estimates->deleteCurrent())
        return fail(estimates->lastError());
    if (!transaction.commit()) {
        // The row left the list but not the file: read the estimates again.
        const DbError error = connection->lastError();
        estimates->requery();
        return fail(error);
    }
    estimates->moveFirst();
    emit estimatesChanged();
    return true;
}

bool EstimateBook::writePending() {
    RecordSet* estimates = records();
    if (!estimates || estimates->editMode() == RecordSet::EditNone)
        return true;
    if (estimates->update()) {
        emit estimatesChanged();
        return true;
    }
    // The Estimate screen, where the estimate is edited, has reported the refusal.
    m_lastError = {};
    return false;
}

int EstimateBook::currentEstimateId() const {
    RecordSet* estimates = records();
    if (!estimates || estimates->isBOF() || estimates->isEOF())
        return 0;
    return estimates->value(QStringLiteral("EstimateID")).toInt();
}

bool EstimateBook::isNewEstimate() const {
    RecordSet* estimates = records();
    return estimates && estimates->editMode() == RecordSet::EditAdd;
}

bool EstimateBook::takeNewEstimateFlag() {
    const bool flag = m_newEstimate;
    m_newEstimate = false;
    return flag;
}
