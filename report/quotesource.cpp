#include "report/quotesource.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/pricing.h"
#include "data/schema.h"

#include <QStringList>

namespace {
// Test keeps amounts to the fourth decimal; a null sum (an estimate without lines of a kind), a
// null tax rate or shipping counts as 0, so every printed total has a value.
const char* const kWorkTableStatements[] = {
    "DELETE FROM Test",
    "INSERT INTO Test (EstimateID, EstimateData, QuoteNumber, TaxRate, Shipping, Estimator, "
    "TotalMaterial, TotalLabor) SELECT rptMain.EstimateID, rptMain.EstimateData, "
    "rptMain.QuoteNumber, rptMain.TaxRate, rptMain.Shipping, rptMain.Estimator, "
    "rptMain.TotalMaterialExtension, rptMain.LaborExtensionSum FROM rptMain "
    "WHERE rptMain.EstimateID = ?",
    "UPDATE Test SET TotalMaterial = 0 WHERE TotalMaterial IS NULL",
    "UPDATE Test SET TotalLabor = 0 WHERE TotalLabor IS NULL",
    "UPDATE Test SET TaxRate = 0 WHERE TaxRate IS NULL",
    "UPDATE Test SET Shipping = 0 WHERE Shipping IS NULL",
};

// The grand total as the pricing module gives it, in whole cents.
QString grandTotalStatement() {
    using namespace Pricing::Sql;
    const QString materials = cents(QStringLiteral("TotalMaterial"));
    return QStringLiteral("UPDATE Test SET GrandTotal = (%1 + %2 + %3 + %4) / 100.0")
        .arg(materials, taxCents(materials, QStringLiteral("TaxRate")),
             cents(QStringLiteral("TotalLabor")), cents(QStringLiteral("Shipping")));
}

Money moneyAt(const Statement& row, int column) {
    return Money::fromDouble(row.real(column));
}

std::optional<Money> optionalMoneyAt(const Statement& row, int column) {
    if (row.type(column) == Statement::Type::Null)
        return std::nullopt;
    return moneyAt(row, column);
}
// A stored date: ISO text ("2026-12-06", with or without a time) or a date value; null when
// empty or unreadable.
QDate dateOf(const QVariant& value) {
    if (value.isNull())
        return {};
    if (const QDateTime dateTime = value.toDateTime(); dateTime.isValid())
        return dateTime.date();
    return QDate::fromString(value.toString().trimmed().left(10), Qt::ISODate);
}
} // namespace

bool DataEnvironment::fail(const DbError& error) {
    m_lastError = error;
    return false;
}

bool DataEnvironment::fillWorkTable(Connection& connection, int estimateId) {
    m_lastError = {};
    // A file that can only be read takes no work table: the connection keeps one of its own.
    if (connection.database().isReadOnly() && !Schema::useTemporaryWorkTable(connection.database()))
        return fail(connection.database().error());
    QStringList statements;
    for (const char* sql : kWorkTableStatements)
        statements << QString::fromLatin1(sql);
    statements << grandTotalStatement();
    for (const QString& statement : std::as_const(statements)) {
        const QVariantList values =
            statement.contains(QLatin1Char('?')) ? QVariantList{estimateId} : QVariantList{};
        if (!connection.execute(statement, values))
            return fail(connection.lastError());
    }
    return true;
}

bool DataEnvironment::rptMain_Grouping(Connection& connection, int estimateId) {
    m_lastError = {};
    m_data = {};
    Statement main(connection.database(),
                   QStringLiteral("SELECT EstimateID, EstimateData, Estimator, QuoteNumber, "
                                  "Shipping, TaxRate, TotalLabor, TotalMaterial FROM Test "
                                  "WHERE EstimateID = ?"));
    main.bindAll({estimateId});
    if (!main.next())
        return fail(main.failed()
                        ? main.error()
                        : DbError{ErrorNumber::kNoCurrentRecord,
                                  QStringLiteral("The estimate to print was not found.")});
    QuoteHeader& header = m_data.header;
    header.estimateId = int(main.integer(0));
    header.date = main.value(1).toDateTime();
    header.estimator = main.value(2).toString();
    header.quoteNumber = main.value(3).toString();
    header.taxRate = main.real(5);
    // The totals as the screen and the Home list show them: whole cents, each printed figure
    // the sum of those printed above it.
    const Pricing::StoredMaterialLine materials{Money(), moneyAt(main, 7)};
    const Money labor = moneyAt(main, 6);
    const Pricing::EstimateTotals totals =
        Pricing::totals({&materials, 1}, {&labor, 1}, header.taxRate, moneyAt(main, 4));
    header.shipping = totals.shipping;
    header.totalLabor = totals.labor;
    header.totalMaterial = totals.materials;
    header.tax = totals.tax;
    header.grandTotal = totals.total;
    // A figure at the bounds of the amounts kept is not the true one: no quote shows it.
    if (totals.reachesLimit())
        return fail({ErrorNumber::kGenericFailure,
                     QStringLiteral("The estimate's total reaches %1, the largest amount a quote "
                                    "can show, so it was not printed. Check the quantities and "
                                    "prices of its lines.")
                         .arg(QLatin1String(Money::kLargestText))});
    return readCustomer(connection, estimateId) && readLines(connection, estimateId);
}

bool DataEnvironment::readCustomer(Connection& connection, int estimateId) {
    // A file from before customers shows these columns empty (Schema's views), so it prints as
    // before.
    Statement job(connection.database(),
                  QStringLiteral("SELECT e.ValidUntil, e.JobName, e.JobAddress, e.Terms, "
                                 "c.CustomerName, c.ContactName, c.Address, c.City, c.Phone, "
                                 "c.Email FROM EstimateTBL e LEFT JOIN CustomersTBL c "
                                 "ON c.CustomerID = e.CustomerID WHERE e.EstimateID = ?"));
    job.bindAll({estimateId});
    if (!job.next())
        return job.failed() ? fail(job.error()) : true;
    QuoteHeader& header = m_data.header;
    header.validUntil = dateOf(job.value(0));
    const auto text = [&job](int column) { return job.value(column).toString().trimmed(); };
    header.jobName = text(1);
    header.jobAddress = text(2);
    // Trailing blank lines would only make the printed terms longer.
    header.terms = job.value(3).toString();
    while (!header.terms.isEmpty() && header.terms.back().isSpace())
        header.terms.chop(1);
    header.customer = {text(4), text(5), text(6), text(7), text(8), text(9)};
    return true;
}

bool DataEnvironment::readLines(Connection& connection, int estimateId) {
    Statement lines(connection.database(),
                    QStringLiteral("SELECT Type, Quantity, Description, Price, Extension "
                                   "FROM rptDetail WHERE EstimateID = ? "
                                   "ORDER BY TypeOrder, LineID"));
    lines.bindAll({estimateId});
    QList<QuoteGroup>& groups = m_data.groups;
    while (lines.next()) {
        const QString type = lines.value(0).toString();
        if (groups.isEmpty() || groups.last().type != type)
            groups.append(QuoteGroup{type, {}, {}});
        QuoteLine line;
        if (lines.type(1) != Statement::Type::Null)
            line.quantity = lines.real(1);
        line.description = lines.value(2).toString();
        line.price = optionalMoneyAt(lines, 3);
        line.extension = optionalMoneyAt(lines, 4);
        groups.last().costs += Pricing::printed(line.extension.value_or(Money()));
        groups.last().lines.append(line);
    }
    if (lines.failed())
        return fail(lines.error());
    return true;
}
