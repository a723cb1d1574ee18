#pragma once

#include "support/testdatabase.h"

#include <QList>
#include <QString>
#include <QStringList>

// Estimates made for printing: header values and lines as a test states them.
struct QuoteLineSpec {
    double quantity;
    QString description;
    double price;
    double extension;
};

struct QuoteContents {
    int quoteNumber = 1001;
    QString estimator = QStringLiteral("Dana Reyes");
    double taxRate = 0;
    double shipping = 0;
    QList<QuoteLineSpec> materials;
    QList<QuoteLineSpec> labor;
};

// Whom an estimate is for and what it names, as the estimate header stores them.
struct QuoteJobSpec {
    QStringList customer; // name, contact, address, city, phone, e-mail; none: no customer
    QString jobName;
    QString jobAddress;
    QString validUntil; // ISO date text, or empty
    QString terms;
};

// Stores the estimate with its lines (and its estimator); returns its key.
int addQuote(TestDatabase& db, const QuoteContents& quote);
// Gives a stored estimate its customer (added to the customers), job, validity and terms.
void setQuoteJob(TestDatabase& db, int estimateId, const QuoteJobSpec& job);

// n material lines "Item 1", "Item 2", ... of quantity 1 at $2.50 each.
QList<QuoteLineSpec> numberedLines(int n, const QString& prefix = QStringLiteral("Item"));
