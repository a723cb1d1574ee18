#pragma once

#include "report/quotelayout.h"
#include "report/quotesource.h"
#include "report/reportexport.h"

#include <QList>

// The printed quote of one estimate: the company's details and logo above the estimate read by
// its data environment.
class DataReport1 {
public:
    DataReport1(const DataEnvironment& source, const CompanyDetails& company);

    // Sets up the report before its first page is laid out: the export formats, the logo and the
    // height of the report header, the company lines and the page header's values. A logo that
    // cannot be loaded leaves the quote without one (logoFailed()); everything else still shows.
    void DataReport_Initialize();

    const QList<ExportFormat>& ExportFormats() const { return m_exportFormats; }
    const QuoteTexts& texts() const { return m_texts; }
    // The logo path named a file that is no picture the program can read.
    bool logoFailed() const { return m_logoFailed; }

    // The pages of the quote, dated printed.
    ReportLayout layout(const QDate& printed) const;

    // The report's error notification: "number - description: source", titled "DataReport Error".
    static void DataReport_Error(qint64 number, const QString& description, const QString& source);

private:
    const DataEnvironment& m_source;
    CompanyDetails m_company;
    QList<ExportFormat> m_exportFormats;
    QuoteTexts m_texts;
    bool m_logoFailed = false;
};
