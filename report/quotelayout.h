#pragma once

#include "report/quotedata.h"
#include "report/reportlayout.h"

#include <QDate>
#include <QImage>

// The texts the quote's report header and page header show, as the report sets them when it
// starts, and its logo.
struct QuoteTexts {
    QString companyName;
    QString companyAddress;
    QString companyCity;
    QString phoneLine; // "Phone: ... Fax: ...", even when both are empty
    QString emailLine; // "EMail: ...", or empty without an e-mail address
    QString quoteNumber;
    QString estimator;
    QImage logo;            // null: the quote has no logo
    int headerHeight = 300; // of the report header: 300 without a logo, 1080 with one
};

// Lays the quote out on pages: the company block on the first page; the reference, estimator and
// column headings on every page; each type's heading, lines and subtotal; the totals; the date
// and "Page n of N" at the foot of each page. A type's heading never ends a page without its
// first line, and a line whose description wraps grows to hold it.
ReportLayout layOutQuote(const QuoteData& data, const QuoteTexts& texts, const QDate& printed);
