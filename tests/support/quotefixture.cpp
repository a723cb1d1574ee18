#include "support/quotefixture.h"

#include <QDate>

int addQuote(TestDatabase& db, const QuoteSpec& quote) {
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

QList<QuoteLineSpec> numberedLines(int n, const QString& prefix) {
    QList<QuoteLineSpec> lines;
    lines.reserve(n);
    for (int i = 1; i <= n; ++i)
        lines.append({1, QStringLiteral("%1 %2").arg(prefix).arg(i), 2.5, 2.5});
    return lines;
}
