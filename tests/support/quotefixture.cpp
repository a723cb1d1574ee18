#include "support/quotefixture.h"

#include <QDate>

int addQuote(TestDatabase& db, const QuoteContents& quote) {
    db.exec(QStringLiteral("INSERT INTO Estimators (Estimator) VALUES (?)"), {quote.estimator});
    const QVariant estimator = db.scalar(QStringLiteral("SELECT MAX(EstimatorID) FROM Estimators"));
    db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping, "
                           "EstimatorID) VALUES (?, ?, ?, ?, ?)"),
            {quote.quoteNumber, QDate::currentDate().startOfDay(), quote.taxRate, quote.shipping,
             estimator});
    const int id = db.scalar(QStringLiteral("SELECT MAX(EstimateID) FROM EstimateTBL")).toInt();
    for (const QuoteLineSpec& line : quote.materials)
        db.exec(QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, "
                               "ManufacturerDescription, Price, Extension) VALUES (?, ?, ?, ?, ?)"),
                {id, line.quantity, line.description, line.price, line.extension});
    for (const QuoteLineSpec& line : quote.labor)
        db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, "
                               "LaborRate, LaborExtension) VALUES (?, ?, ?, ?, ?)"),
                {id, line.quantity, line.description, line.price, line.extension});
    return id;
}

void setQuoteJob(TestDatabase& db, int estimateId, const QuoteJobSpec& job) {
    QVariant customer;
    if (!job.customer.isEmpty()) {
        QVariantList values;
        for (int i = 0; i < 6; ++i)
            values << job.customer.value(i);
        db.exec(
            QStringLiteral("INSERT INTO CustomersTBL (CustomerName, ContactName, Address, City, "
                           "Phone, Email) VALUES (?, ?, ?, ?, ?, ?)"),
            values);
        customer = db.scalar(QStringLiteral("SELECT MAX(CustomerID) FROM CustomersTBL"));
    }
    const auto orNull = [](const QString& text) { return text.isEmpty() ? QVariant() : text; };
    db.exec(QStringLiteral("UPDATE EstimateTBL SET CustomerID = ?, JobName = ?, JobAddress = ?, "
                           "ValidUntil = ?, Terms = ? WHERE EstimateID = ?"),
            {customer, orNull(job.jobName), orNull(job.jobAddress), orNull(job.validUntil),
             orNull(job.terms), estimateId});
}

QList<QuoteLineSpec> numberedLines(int n, const QString& prefix) {
    QList<QuoteLineSpec> lines;
    lines.reserve(n);
    for (int i = 1; i <= n; ++i)
        lines.append({1, QStringLiteral("%1 %2").arg(prefix).arg(i), 2.5, 2.5});
    return lines;
}
