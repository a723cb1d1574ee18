#pragma once

#include "support/testdatabase.h"

#include <QList>
#include <QString>

// Estimates made for printing: header values and lines as a test states them.
struct QuoteLineSpec {
    double quantity;
    QString description;
    double price;
    double extension;
};

struct QuoteSpec {
    int quoteNumber = 1001;
    QString estimator = QStringLiteral("Dana Reyes");
    double taxRate = 0;
    double shipping = 0;
    QList<QuoteLineSpec> materials;
    QList<QuoteLineSpec> labor;
};

// Stores the estimate with its lines (and its estimator); returns its key.
int addQuote(TestDatabase& db, const QuoteSpec& quote);

// n material lines "Item 1", "Item 2", ... of quantity 1 at $2.50 each.
QList<QuoteLineSpec> numberedLines(int n, const QString& prefix = QStringLiteral("Item"));
