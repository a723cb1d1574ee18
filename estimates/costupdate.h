#pragma once

#include "data/dberror.h"
#include "data/money.h"

#include <QString>
#include <optional>

class Database;

// Material lines brought to the catalogue's current unit costs: each line whose material's
// unit cost differs takes it, keeps its quantity and margin, and is priced again by the pricing
// module. One transaction. No widgets.
namespace CostUpdate {

struct Summary {
    int lines = 0;   // the estimate's material lines
    int changed = 0; // lines that took a new unit cost
    int missing = 0; // lines whose material is no longer in the catalogue (left as they were)
    Money totalBefore;
    Money totalAfter;

    // "3 of 12 lines changed; the total went from $1,234.56 to $1,250.00."
    QString text() const;
};

// How many material lines the estimate has; empty with *error set when it could not be read.
std::optional<int> materialLineCount(Database& db, int estimateId, DbError* error);

// Updates the estimate's material lines from the catalogue. Empty with *error set when the
// database refused, or when the new costs would take a total beyond what a quote can show;
// nothing is then changed.
std::optional<Summary> fromCatalogue(Database& db, int estimateId, DbError* error);

} // namespace CostUpdate
