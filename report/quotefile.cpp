#include "report/quotefile.h"

#include "data/connection.h"
#include "data/database.h"
#include "report/datareport.h"

#include <QDir>

namespace {
// The key of the estimate with this reference number, or 0.
int estimateWithReference(Connection& connection, const QString& reference, QString* error) {
    bool whole = false;
    const qint64 number = reference.trimmed().toLongLong(&whole);
    if (!whole) {
        *error = QStringLiteral("\"%1\" is not a reference number: it is a whole number, such as "
                                "1002.")
                     .arg(reference);
        return 0;
    }
    Statement find(connection.database(),
                   QStringLiteral("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = ?"));
    find.bindAll({number});
    if (find.next())
        return int(find.integer(0));
    *error = find.failed() ? find.error().description
                           : QStringLiteral("No estimate has the reference number %1.").arg(number);
    return 0;
}
} // namespace

bool exportQuoteFile(Connection& connection, const CompanyDetails& company,
                     const QString& reference, const QString& path, QString* error,
                     QString* warning) {
    const int estimateId = estimateWithReference(connection, reference, error);
    if (estimateId == 0)
        return false;
    DataEnvironment source;
    if (!source.fillWorkTable(connection, estimateId) ||
        !source.rptMain_Grouping(connection, estimateId)) {
        *error = source.lastError().description;
        return false;
    }
    DataReport1 report(source, company);
    report.DataReport_Initialize();
    if (report.logoFailed())
        *warning = QStringLiteral("the logo picture \"%1\" could not be loaded; the quote has "
                                  "no logo.")
                       .arg(QDir::toNativeSeparators(company.logoPath));
    return exportReport(report.layout(QDate::currentDate()), path, error);
}
