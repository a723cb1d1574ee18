#pragma once

#include "data/dberror.h"

#include <QDate>
#include <QString>
#include <optional>

class Database;

// A stored estimate copied into a new one, with every material and labor line, in one
// transaction: the new estimate and all its lines are stored, or nothing is. No widgets: Home,
// the Estimate screen, the tests and the benchmarks call it alike.
namespace EstimateCopy {

// What the copy gets that the original does not give it.
struct NewEstimate {
    qint64 reference = 0;
    QDate date;
    // Valid Until is the date plus these days.
    int validDays = 30;
    // Printed on the copy when the original has no terms of its own.
    QString defaultTerms;
};

// The reference number after the highest one stored; 1 in a file without estimates.
qint64 nextFreeReference(Database& db);

// The reference number the text gives, or why it cannot be a new estimate's (not a whole number
// from 1 up, or used by another estimate) in *problem.
std::optional<qint64> parseReference(Database& db, const QString& text, QString* problem);

// Copies the estimate with key sourceId: the copy has the reference and date given, the status
// "Draft", validity from the date, the original's terms (the default terms when it has none),
// customer, job, estimator, tax rate and shipping, and a copy of each line in its order. The new
// key, or 0 with *error set; nothing is then stored.
int duplicate(Database& db, int sourceId, const NewEstimate& copy, DbError* error);

} // namespace EstimateCopy
