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
    QString webLine;   // "Web: ...", or empty without a web site
    QString quoteNumber;
    QString estimator;
    QImage logo;                 // null: the quote has no logo
    int headerHeight = 300;      // of the report header: 300 without a logo, 1080 with one
    bool acceptanceLine = false; // "Accepted by ____ Date ____" ends the quote
};

// Lays the quote out on pages: on the first page the company block, the title "Quote" with the
// estimate's date and validity, whom it is prepared for and the job; the reference, estimator and
// column headings on every page; each type's heading, lines and subtotal; the totals, the terms
// (running on over as many pages as they take) and the acceptance line; the date and "Page n of
// N" at the foot of each page. A heading never ends a page without its first line, and a line
// whose description wraps grows to hold it.
ReportLayout layOutQuote(const QuoteData& data, const QuoteTexts& texts, const QDate& printed);
