// libFuzzer target for the readers of suppliers' price lists: the bytes as a CSV file, or (first
// byte odd) as the sheet of a workbook, read under lowered bounds so that a workbook that passes
// them is found quickly. Built only with -DPLENWICK_FUZZ=ON under clang; see docs/RELIABILITY.md.
// Seeds: tests/fuzz/seeds/pricelist-*.

#include "pricelist/core/formats.h"

#include <QTemporaryDir>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool holds, const char* broken) {
    if (holds)
        return;
    std::fprintf(stderr, "%s\n", broken);
    std::abort();
}

// A workbook whose one sheet holds the bytes.
QString workbookOf(const QByteArray& sheet) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.xlsx"));
    QuaZip zip(path);
    require(zip.open(QuaZip::mdCreate), "cannot write the workbook");
    const QList<std::pair<QString, QByteArray>> files = {
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"S\" r:id=\"a\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships><Relationship Id=\"a\" Target=\"s.xml\"/></Relationships>"},
        {QStringLiteral("xl/s.xml"), sheet}};
    for (const auto& [name, bytes] : files) {
        QuaZipFile entry(&zip);
        require(entry.open(QIODevice::WriteOnly, QuaZipNewInfo(name)) && entry.write(bytes) >= 0,
                "cannot write the workbook");
    }
    return path;
}

// A table read is rows that each hold a cell, and a row's cells agree however they are asked for.
void check(const std::optional<PriceListTable>& table, const QString& error) {
    if (!table) {
        require(!error.isEmpty(), "a price list refused without a reason");
        return;
    }
    require(!table->description.isEmpty(), "a price list read without its description");
    for (const PriceListRow& row : table->rows) {
        require(row.width() > 0, "an empty row kept");
        const QStringList cells = row.cells();
        require(cells.size() == row.width(), "cells() and width() disagree");
        for (int column = 0; column < cells.size(); ++column)
            require(cells[column] == row.cell(column), "cells() and cell() disagree");
        require(row.cell(row.width()).isEmpty(), "a cell beyond the row");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const bool lowered = [] {
        pricelist::WorkbookBounds& bounds = pricelist::workbookBounds();
        bounds.largestEntry = 1 << 20;
        bounds.mostCellsInRow = 64;
        bounds.mostCells = 10000;
        return true;
    }();
    (void)lowered;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QString error;
    if (data[0] & 1)
        check(pricelist::readWorkbook(workbookOf(bytes), {}, &error, {}), error);
    else
        check(pricelist::readCsv(bytes, &error, {}), error);
    return 0;
}
