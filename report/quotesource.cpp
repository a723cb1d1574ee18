#include "report/quotesource.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/schema.h"
#include "estimates/pricing.h"

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
    "UPDATE Test SET GrandTotal = ROUND((1 + TaxRate) * TotalMaterial + Shipping + TotalLabor, 4)",
};

Money moneyAt(const Statement& row, int column) {
    return Money::fromDouble(row.real(column));
}

std::optional<Money> optionalMoneyAt(const Statement& row, int column) {
    if (row.type(column) == Statement::Type::Null)
        return std::nullopt;
    return moneyAt(row, column);
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
    for (const char* sql : kWorkTableStatements) {
        const QString statement = QString::fromLatin1(sql);
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
    header.shipping = moneyAt(main, 4);
    header.taxRate = main.real(5);
    header.totalLabor = moneyAt(main, 6);
    header.totalMaterial = moneyAt(main, 7);
    header.tax = Pricing::salesTax(header.totalMaterial, header.taxRate);
    header.grandTotal = header.totalMaterial + header.tax + header.totalLabor + header.shipping;
    return readLines(connection, estimateId);
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
        groups.last().costs += line.extension.value_or(Money());
        groups.last().lines.append(line);
    }
    if (lines.failed())
        return fail(lines.error());
    return true;
}
