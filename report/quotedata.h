#pragma once

#include "data/money.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class clsSettings;

// What a printed quote shows of one estimate, read from the work table and the printed lines.

// One printed line: a material or a labor line. A value the line does not hold prints blank.
struct QuoteLine {
    std::optional<double> quantity;
    QString description;
    std::optional<Money> price;
    std::optional<Money> extension;
};

// The lines of one type ("Materials", "Labor"), in the order they were entered, with the sum of
// their extensions.
struct QuoteGroup {
    QString type;
    Money costs;
    QList<QuoteLine> lines;
};

// Whom the quote is for: the estimate's customer, or all empty when it has none.
struct QuoteCustomer {
    QString name;
    QString contact;
    QString address;
    QString city; // city, state and ZIP on one line
    QString phone;
    QString email;
};

// The estimate's header and its totals. Tax applies to materials only:
// tax = materials x tax rate; total = materials + tax + labor + shipping.
struct QuoteHeader {
    int estimateId = 0;
    QDateTime date;
    QString quoteNumber;
    QString estimator;
    double taxRate = 0;
    Money shipping;
    Money totalMaterial;
    Money totalLabor;
    Money tax;
    Money grandTotal;
    QDate validUntil; // null: the quote names no last day
    QuoteCustomer customer;
    QString jobName;
    QString jobAddress;
    QString terms;
};

struct QuoteData {
    QuoteHeader header;
    QList<QuoteGroup> groups;
};

// The company details printed at the top of the quote, where its logo picture is, and how the
// quote ends.
struct CompanyDetails {
    QString name;
    QString address;
    QString city;
    QString phone;
    QString fax;
    QString email;
    QString logoPath;
    QString webSite;
    // The quote ends with a line for the customer's signature and its date.
    bool acceptanceLine = false;

    static CompanyDetails fromSettings(const clsSettings& settings);
};
