#pragma once

// The readers of the two kinds of price list behind readPriceList(), which has already checked
// that the file exists, is not empty and is not too large.
#include "pricelist/core/reader.h"

#include <QByteArray>

namespace pricelist {

// Rows of a CSV file from its bytes.
std::optional<PriceListTable> readCsv(const QByteArray& bytes, QString* error,
                                      const PriceListProgress& progress);

// Rows of one sheet of an Excel .xlsx workbook: the one named, or the first.
std::optional<PriceListTable> readWorkbook(const QString& path, const QString& sheet,
                                           QString* error, const PriceListProgress& progress);

// What a workbook may cost, checked before and while it is read, since a small archive can
// unpack to gigabytes (a row reaching column XFD, a sheet of repeated rows). Tests lower them.
struct WorkbookBounds {
    // The largest file of the archive, uncompressed, which is held while it is read: the XML of
    // a sheet of Excel's every row (1,048,576) is about 140 MB with three cells each as this
    // reader's tests write them, about 270 MB with five as Excel writes them.
    qint64 largestEntry = 2 * kLargestPriceList;
    // Cells holding something, in one row and in the sheet (texts in the shared string table
    // too).
    int mostCellsInRow = 1024;
    qsizetype mostCells = 10'000'000;
};
WorkbookBounds& workbookBounds();

// Nothing, with the reason in error (when there is one).
std::nullopt_t failure(QString* error, const QString& reason);

// Whether reading goes on: progress told (when there is one) and not cancelling. Sets error to
// "Cancelled." when it is.
bool keepReading(const PriceListProgress& progress, qint64 done, qint64 total, QString* error);

} // namespace pricelist
