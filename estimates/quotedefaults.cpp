#include "estimates/quotedefaults.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "settings/settingsstore.h"

void applyQuoteDefaults(RecordSet& estimate, QDate date) {
    if (Connection* connection = estimate.activeConnection()) {
        Statement draft(connection->database(),
                        QStringLiteral("SELECT StatusID FROM StatusesTBL WHERE "
                                       "StatusDescription = ?"));
        draft.bindAll({QStringLiteral("Draft")});
        // A file whose statuses were renamed keeps the new estimate without one, as before.
        if (draft.next())
            estimate.setValue(QStringLiteral("EstimateStatus"), draft.integer(0));
    }
    const int days = gSettings ? gSettings->QuoteValidDays() : 30;
    // Files of an earlier structure, opened read-only, have no such columns: nothing to fill.
    if (estimate.fieldIndex(QStringLiteral("ValidUntil")) >= 0)
        estimate.setValue(QStringLiteral("ValidUntil"), date.addDays(days));
    if (estimate.fieldIndex(QStringLiteral("Terms")) >= 0 && gSettings &&
        !gSettings->QuoteTerms().isEmpty())
        estimate.setValue(QStringLiteral("Terms"), gSettings->QuoteTerms());
}
