#pragma once

#include <QString>
#include <functional>

// Moves the program's data between a file and a database server, either way: every row of every
// table, into a new file or an empty server database, in one transaction, and checked before it
// is committed: each table's row count and the sum of each of its amount columns must be the
// same on both sides, or nothing is left at the destination.
namespace DatabaseCopy {

// Told now and then how many rows are copied, from (0, total) to (total, total); false stops
// the copy (nothing is left at the destination).
using Progress = std::function<bool(qint64 copied, qint64 total)>;

// What was copied: the tables and their rows, for the report.
struct Summary {
    int tables = 0;
    qint64 rows = 0;
};

// Copies from (a file path or a "postgresql://" address) into to (a file that does not exist
// yet, or an empty server database). The source must be of the current structure: a file of an
// earlier one is opened with the program first, which brings it up to date. False with the
// reason in *error.
bool copy(const QString& from, const QString& to, QString* error, Summary* summary = nullptr,
          const Progress& progress = {});

} // namespace DatabaseCopy
