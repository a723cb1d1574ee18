#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One row of a price list: its cells' text by column (from 0). A workbook row whose cells lie far
// apart (one in column A, one in column XFD) keeps only the cells that hold something, so that it
// costs what its cells do rather than what its width would.
class PriceListRow {
public:
    PriceListRow() = default;
    // The cells of columns 0, 1, 2, ...
    PriceListRow(QStringList cells) : m_texts(std::move(cells)) {} // NOLINT: a plain row converts
    // Cells by column, ascending; when they nearly fill the row it is kept as a plain one.
    PriceListRow(QStringList texts, QList<int> columns);

    // The cell's text, empty beyond the row's cells.
    QString cell(int column) const;
    // One past the last column that holds a cell.
    int width() const { return m_columns.isEmpty() ? int(m_texts.size()) : m_columns.last() + 1; }
    // The cells from the first column to the last, empty ones filled in.
    QStringList cells() const;
    // The text of the cells stored (the empty ones of a plain row included).
    const QStringList& texts() const { return m_texts; }

private:
    QStringList m_texts;
    QList<int> m_columns; // each text's column; empty when text i is column i
};

// A supplier's price list as read from its file, before any column means anything: the cells of
// each row as text, the first row usually the header.
struct PriceListTable {
    QList<PriceListRow> rows;
    // What the file turned out to be, for the user to check: "CSV, semicolon-separated, UTF-8",
    // "Excel workbook, sheet \"Prices\"".
    QString description;
    // The sheets of a workbook, in their order (empty for CSV).
    QStringList sheetNames;
};

// Told how far reading has come (bytes or rows done of the total); returning false cancels.
using PriceListProgress = std::function<bool(qint64 done, qint64 total)>;

// Reads a price list: CSV (comma, semicolon or tab, detected; quoted fields holding separators,
// quotes and line breaks; UTF-8 with or without a byte-order mark, or Windows-1252 when the file
// is not valid UTF-8, or UTF-16 with its byte-order mark as Excel saves "Unicode text"; blank rows
// left out) or an Excel .xlsx workbook (the first sheet, or the one named; empty rows and the
// empty cells that end a row left out; numbers as stored, "12.5"). Whether a file is a workbook
// is told by its content, not by its name. Nothing when the file cannot be read as either, with
// the reason in error: a file that is empty, binary, too large (over kLargestPriceList bytes), a
// workbook without that sheet or damaged, an unbalanced quote, a cancelled read ("Cancelled.").
std::optional<PriceListTable> readPriceList(const QString& path, QString* error,
                                            const QString& sheet = {},
                                            const PriceListProgress& progress = {});

// The largest price list read, in bytes: far above any supplier's list (150,000 rows of CSV are
// about 15 MB), far below what would exhaust memory.
inline constexpr qint64 kLargestPriceList = 256LL * 1024 * 1024;
