#include "estimates/estimatecopy.h"

#include "data/database.h"

#include <QCoreApplication>
#include <limits>

namespace EstimateCopy {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("EstimateCopy", text);
}

const QString kCopyEstimate = QStringLiteral(
    "INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping, EstimatorID, "
    "EstimateStatus, CustomerID, JobName, JobAddress, ValidUntil, Terms) "
    "SELECT ?, ?, TaxRate, Shipping, EstimatorID, "
    "(SELECT MIN(StatusID) FROM StatusesTBL WHERE StatusDescription = ?), CustomerID, JobName, "
    "JobAddress, ?, CASE WHEN TRIM(IFNULL(Terms, '')) = '' THEN ? ELSE Terms END "
    "FROM EstimateTBL WHERE EstimateID = ?");
// Copied in the order they were made, which is the order the grids list them in.
const QString kCopyMaterials = QStringLiteral(
    "INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, Quantity, PartNumber, "
    "ManufacturerDescription, UnitCost, TotalCost, Price, Extension, Margin) "
    "SELECT ?, MaterialsID, Quantity, PartNumber, ManufacturerDescription, UnitCost, TotalCost, "
    "Price, Extension, Margin FROM MaterialEstimateTBL WHERE EstimateID = ? "
    "ORDER BY MaterialEstimateID");
const QString kCopyLabor =
    QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, LaborRate, "
                   "LaborExtension) SELECT ?, Hours, LaborDescription, LaborRate, LaborExtension "
                   "FROM LaborEstimateTBL WHERE EstimateID = ? ORDER BY LaborEstimateID");

bool referenceUsed(Database& db, qint64 reference) {
    Statement used(db, QStringLiteral("SELECT 1 FROM EstimateTBL WHERE QuoteNumber = ?"));
    return used.bind(0, reference) && used.next();
}

bool run(Database& db, const QString& sql, const QVariantList& values, DbError* error) {
    Statement statement(db, sql);
    if (statement.bindAll(values) && statement.execute())
        return true;
    *error = statement.error();
    return false;
}

} // namespace

qint64 nextFreeReference(Database& db) {
    Statement highest(db, QStringLiteral("SELECT MAX(QuoteNumber) FROM EstimateTBL"));
    const qint64 last = highest.next() ? highest.integer(0) : 0;
    return last < std::numeric_limits<int>::max() ? std::max<qint64>(last, 0) + 1 : 0;
}

std::optional<qint64> parseReference(Database& db, const QString& text, QString* problem) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    const int reference = trimmed.toInt(&ok);
    if (!ok || reference < 1) {
        *problem = tr("\"%1\" is not a reference number. Please enter a whole number from 1 to "
                      "%2.")
                       .arg(trimmed)
                       .arg(std::numeric_limits<int>::max());
        return std::nullopt;
    }
    if (referenceUsed(db, reference)) {
        *problem = tr("Reference # %1 is already used by another estimate. Please enter a "
                      "different number.")
                       .arg(reference);
        return std::nullopt;
    }
    return reference;
}

int duplicate(Database& db, int sourceId, const NewEstimate& copy, DbError* error) {
    Transaction transaction(db);
    if (!transaction.isActive()) {
        *error = db.error();
        return 0;
    }
    if (!run(db, kCopyEstimate,
             {copy.reference, copy.date, QStringLiteral("Draft"), copy.date.addDays(copy.validDays),
              copy.defaultTerms, sourceId},
             error))
        return 0;
    if (db.changes() != 1) {
        *error = {ErrorNumber::kRowNotFound, tr("The estimate to copy was not found.")};
        return 0;
    }
    const int copyId = int(db.lastInsertId());
    if (!run(db, kCopyMaterials, {copyId, sourceId}, error) ||
        !run(db, kCopyLabor, {copyId, sourceId}, error))
        return 0;
    if (!transaction.commit()) {
        *error = db.error();
        return 0;
    }
    return copyId;
}

} // namespace EstimateCopy
