// Reading suppliers' price lists: CSV with its separator and encoding found, quoted fields, bad
// files, the size limit, cancelling; Excel workbooks against their CSV twins, their cell types
// and layout, missing sheets and damaged workbooks.
#include "pricelist/core/formats.h"
#include "pricelist/core/reader.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(pricelist::WorkbookBounds)

namespace {

const QString kTestData = QStringLiteral(PLENWICK_TEST_DATA);

// The sheet of a hand-made workbook: the workbook's XML naming it, its relationship and its XML.
const QByteArray kWorkbookXml =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"Stock\" sheetId=\"1\" rel:id=\"rId7\"/></sheets></workbook>";
const QByteArray kRelationshipsXml =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId7\" Target=\"worksheets/stock.xml\" Type=\"http://schemas."
    "openxmlformats.org/officeDocument/2006/relationships/worksheet\"/></Relationships>";

QByteArray sheetXml(const QByteArray& rows) {
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<sheetData>" +
           rows + "</sheetData></worksheet>";
}

// The rows as plain lists of cells, empty ones filled in.
Rows plain(const QList<PriceListRow>& rows) {
    Rows cells;
    for (const PriceListRow& row : rows)
        cells.append(row.cells());
    return cells;
}

} // namespace

class TestPriceListReader : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    // A new file of the temporary folder holding the bytes.
    QString write(const QByteArray& bytes, const QString& suffix = QStringLiteral(".csv")) {
        const QString path = m_dir.filePath(QString::number(++m_files) + suffix);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A workbook of the files given, by name.
    QString writeWorkbook(const QList<std::pair<QString, QByteArray>>& files) {
        const QString path = m_dir.filePath(QString::number(++m_files) + QStringLiteral(".xlsx"));
        QuaZip zip(path);
        if (!zip.open(QuaZip::mdCreate))
            qFatal("cannot create %s", qPrintable(path));
        for (const auto& [name, bytes] : files) {
            QuaZipFile entry(&zip);
            if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(name)) || entry.write(bytes) < 0)
                qFatal("cannot write %s", qPrintable(name));
        }
        return path;
    }

    // A workbook of one sheet; the file named damaged is replaced by its bytes, or left out
    // when they are null.
    QString writeSheet(const QByteArray& rows, const QByteArray& sharedStrings = {},
                       const QString& damaged = {}, const QByteArray& bytes = {}) {
        QList<std::pair<QString, QByteArray>> files = {
            {QStringLiteral("xl/workbook.xml"), kWorkbookXml},
            {QStringLiteral("xl/_rels/workbook.xml.rels"), kRelationshipsXml},
            {QStringLiteral("xl/worksheets/stock.xml"), sheetXml(rows)}};
        if (!sharedStrings.isEmpty())
            files.append({QStringLiteral("xl/sharedStrings.xml"), sharedStrings});
        for (auto& [name, content] : files) {
            if (name == damaged)
                content = bytes;
        }
        files.removeIf([](const auto& file) { return file.second.isNull(); });
        return writeWorkbook(files);
    }

    // The rows read, failing the test with the error when there are none.
    Rows rowsOf(const QString& path, const QString& sheet = {}) {
        QString error;
        const std::optional<PriceListTable> table = readPriceList(path, &error, sheet);
        if (!table)
            qWarning("%s", qPrintable(error));
        return table ? plain(table->rows) : Rows{};
    }

    // The error reading gives, empty when it reads.
    static QString errorOf(const QString& path, const QString& sheet = {}) {
        QString error;
        return readPriceList(path, &error, sheet) ? QString() : error;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // CSV files read: separator and encoding found (told in the description), quoted fields,
    // ragged and blank rows. The encoding is decided on the whole file: a UTF-8 file with a few
    // stray bytes stays UTF-8, its rows that hold them named; a file without UTF-8 sequences is
    // Windows-1252. Hand-made lists write inch marks without quoting the field: they are text.
    // An empty description or row list is not checked.
    void csvFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("description");
        QTest::addColumn<Rows>("rows");
        const QString comma = "CSV, comma-separated, UTF-8";
        const QString semicolon = "CSV, semicolon-separated, UTF-8";
        QTest::newRow("comma") << QByteArray("Code,Name,Price\nA1,Pipe,1.50\nB2,Tee,2\n") << comma
                               << Rows{{"Code", "Name", "Price"},
                                       {"A1", "Pipe", "1.50"},
                                       {"B2", "Tee", "2"}};
        QTest::newRow("semicolon, decimal commas")
            << QByteArray("Code;Name;Price\r\nA1;Pipe;1,50\r\nB2;Tee;2,25\r\n") << semicolon
            << Rows{{"Code", "Name", "Price"}, {"A1", "Pipe", "1,50"}, {"B2", "Tee", "2,25"}};
        QTest::newRow("tab, commas in the text")
            << QByteArray("Code\tName\tPrice\nA1\tPipe, copper\t1.50\nB2\tTee, 3 ways\t2\n")
            << "CSV, tab-separated, UTF-8"
            << Rows{{"Code", "Name", "Price"},
                    {"A1", "Pipe, copper", "1.50"},
                    {"B2", "Tee, 3 ways", "2"}};
        QTest::newRow("semicolon, quoted commas")
            << QByteArray("\"Code\";\"Name\";\"Price\"\n\"A1\";\"Pipe, copper\";\"1.50\"\n")
            << semicolon << Rows{{"Code", "Name", "Price"}, {"A1", "Pipe, copper", "1.50"}};
        QTest::newRow("one column")
            << QByteArray("Name\nPipe\n") << comma << Rows{{"Name"}, {"Pipe"}};
        QTest::newRow("quoted fields")
            << QByteArray("Code,Name,Note\r\nA1,\"Elbow, 90°\",\"6\"\" \"\"long\"\"\"\r\n\r\n   \n"
                          "B2,\"Two\r\nlines\n\nand a blank\",\"\"\nC3 ,  Tee  ,\n")
            << comma
            << Rows{{"Code", "Name", "Note"},
                    {"A1", "Elbow, 90°", "6\" \"long\""},
                    {"B2", "Two\r\nlines\n\nand a blank", ""},
                    {"C3 ", "  Tee  ", ""}};
        QTest::newRow("inch marks are text")
            << QByteArray("Code,Name\nB2,Pipe 1/2\" copper,3\nB3,6\" nipple\n") << comma
            << Rows{{"Code", "Name"}, {"B2", "Pipe 1/2\" copper", "3"}, {"B3", "6\" nipple"}};
        QTest::newRow("ragged") << QByteArray("A;B;C\n1;2\n1;2;3;4\n5\n") << QString()
                                << Rows{{"A", "B", "C"}, {"1", "2"}, {"1", "2", "3", "4"}, {"5"}};
        QTest::newRow("header only")
            << QByteArray("Code;Name;Price\n") << QString() << Rows{{"Code", "Name", "Price"}};
        QTest::newRow("no final line break")
            << QByteArray("Code;Price\nA;1") << QString() << Rows{{"Code", "Price"}, {"A", "1"}};
        QTest::newRow("blank rows")
            << QByteArray("A;B\n;\n\n1;2\n ; \n") << QString() << Rows{{"A", "B"}, {"1", "2"}};

        const QString text = QStringLiteral("Name;Price\nCafé “crème” €5;1\n");
        const QString cafe = QStringLiteral("Café “crème” €5");
        const Rows cafeRows = {{"Name", "Price"}, {cafe, "1"}};
        QTest::newRow("UTF-8") << text.toUtf8() << semicolon << cafeRows;
        QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + text.toUtf8() << semicolon << cafeRows;
        QTest::newRow("Windows-1252") << QByteArray("Name;Price\nCaf\xE9 \x93"
                                                    "cr\xE8me\x94 \x80"
                                                    "5;1\n")
                                      << "CSV, semicolon-separated, Windows-1252" << cafeRows;
        QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        QTest::newRow("UTF-16 (Excel's Unicode text)")
            << QByteArray(toUtf16(text)) << "CSV, semicolon-separated, UTF-16" << cafeRows;
        const QByteArray utf8 = text.toUtf8();
        QTest::newRow("one stray byte past 64 KB")
            << utf8 + QByteArray(70000, ' ') + "\nPipe\xFF;2\n"
            << semicolon + QStringLiteral("; bytes that are not UTF-8 (shown as \uFFFD) in row 3")
            << Rows{{"Name", "Price"}, {cafe, "1"}, {QStringLiteral("Pipe\uFFFD"), "2"}};
        QByteArray many = utf8 + QStringLiteral("Ü;1\nÖ;2\nÄ;3\n").toUtf8().repeated(4);
        for (int row = 3; row <= 14; ++row)
            many += "Tee\xE9;" + QByteArray::number(row) + "\n";
        QTest::newRow("twelve rows named, ten listed")
            << many
            << semicolon + QStringLiteral("; bytes that are not UTF-8 (shown as \uFFFD) in rows "
                                          "15, 16, 17, 18, 19, 20, 21, 22, 23, 24 and 2 more")
            << Rows{};
        QTest::newRow("Windows-1252, an overlong form is no UTF-8")
            << QByteArray("Name;Price\nCaf\xE9;1\nSlash \xC0\xAF;2\n")
            << "CSV, semicolon-separated, Windows-1252"
            << Rows{{"Name", "Price"},
                    {QStringLiteral("Café"), "1"},
                    {QStringLiteral("Slash À¯"), "2"}};
    }

    void csvFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, description);
        QFETCH(Rows, rows);
        QString error;
        const std::optional<PriceListTable> table = readPriceList(write(bytes), &error);
        QVERIFY2(table, qPrintable(error));
        if (!rows.isEmpty())
            QCOMPARE(plain(table->rows), rows);
        if (!description.isEmpty())
            QCOMPARE(table->description, description);
        QVERIFY(table->sheetNames.isEmpty());
    }

    // Files refused, each with its reason.
    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QString binary = "The file is neither CSV text nor an Excel workbook (.xlsx).";
        QTest::newRow("empty") << QByteArray() << "The file is empty.";
        QTest::newRow("NUL bytes") << QByteArray("Code,Name\nA1,\0Pipe\n", 20) << binary;
        QTest::newRow("control characters")
            << QByteArray("\x01\x02\x03\x04\x05,\x06\x07\x08\x0E\x0F\n") << binary;
        QTest::newRow("never closed")
            << QByteArray("Code,Name\n\nA1,Pipe\nB2,\"Tee\nC3,Cap\n")
            << "Unbalanced quote in row 3 (line 4 of the file): a quoted field is never closed.";
        QTest::newRow("Excel 97-2003") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest")
                                       << "The file is an Excel 97-2003 workbook (.xls) or a "
                                          "password-protected one, which cannot be read: save "
                                          "it as an Excel workbook (.xlsx) or as CSV.";
    }

    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QCOMPARE(errorOf(write(bytes)), error);
    }

    void missingFile() {
        const QString path = m_dir.filePath(QStringLiteral("nowhere.csv"));
        QCOMPARE(errorOf(path), "The file " + path + " does not exist.");
        QCOMPARE(errorOf(m_dir.path()), m_dir.path() + " is a folder, not a price list.");
    }

    // Refused by its size, before anything is read (the file is sparse: all NUL bytes).
    void tooLarge() {
        const QString path = write("Code,Name\n");
        QVERIFY(QFile::resize(path, kLargestPriceList + 1));
        QCOMPARE(errorOf(path),
                 QStringLiteral("The file is too large (256 MB): a price list can have at most "
                                "256 MB."));
        QVERIFY(QFile::resize(path, kLargestPriceList));
        QVERIFY(errorOf(path).contains(QStringLiteral("neither CSV")));
    }

    void progressAndCancel() {
        QByteArray bytes = "Code,Name,Price\n";
        for (int i = 0; i < 40000; ++i)
            bytes += "A" + QByteArray::number(i) + ",Copper pipe 15 mm,12.50\n";
        const QString path = write(bytes);
        QList<std::pair<qint64, qint64>> told;
        QString error;
        const auto table = readPriceList(path, &error, {}, [&](qint64 done, qint64 total) {
            told.append({done, total});
            return true;
        });
        QVERIFY2(table, qPrintable(error));
        QCOMPARE(table->rows.size(), 40001);
        QVERIFY2(told.size() > 2 && told.size() < 100, qPrintable(QString::number(told.size())));
        QCOMPARE(told.constLast(), std::make_pair(qint64(bytes.size()), qint64(bytes.size())));
        for (qsizetype i = 1; i < told.size(); ++i)
            QVERIFY(told.at(i).first > told.at(i - 1).first);

        int calls = 0;
        const auto cancelled = readPriceList(path, &error, {}, [&](qint64, qint64) {
            ++calls;
            return false;
        });
        QVERIFY(!cancelled);
        QCOMPARE(error, "Cancelled.");
        QCOMPARE(calls, 1);

        QVERIFY(!readPriceList(kTestData + "/pricelist.xlsx", &error, {},
                               [](qint64, qint64) { return false; }));
        QCOMPARE(error, "Cancelled.");
    }

    // The sample workbook (made by tests/data/make_pricelist_xlsx.py) reads as its CSV twins.
    void workbookAsItsTwin_data() {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("twin");
        QTest::addColumn<QString>("description");
        QTest::newRow("first sheet") << QString() << "pricelist.csv"
                                     << "Excel workbook, sheet \"Prices\"";
        QTest::newRow("named") << "Fittings"
                               << "pricelist-fittings.csv"
                               << "Excel workbook, sheet \"Fittings\"";
        QTest::newRow("named, another case") << "PRICES"
                                             << "pricelist.csv"
                                             << "Excel workbook, sheet \"Prices\"";
    }

    void workbookAsItsTwin() {
        QFETCH(QString, sheet);
        QFETCH(QString, twin);
        QFETCH(QString, description);
        QString error;
        const auto table = readPriceList(kTestData + "/pricelist.xlsx", &error, sheet);
        QVERIFY2(table, qPrintable(error));
        const Rows expected = rowsOf(kTestData + "/" + twin);
        QVERIFY(expected.size() > 2);
        QCOMPARE(plain(table->rows), expected);
        QCOMPARE(table->description, description);
        QCOMPARE(table->sheetNames, (QStringList{"Prices", "Fittings"}));
    }

    void missingSheet() {
        QCOMPARE(errorOf(kTestData + "/pricelist.xlsx", QStringLiteral("Valves")),
                 "The workbook has no sheet \"Valves\"; its sheets are: Prices, Fittings.");
    }

    void truncatedWorkbook() {
        QFile file(kTestData + "/pricelist.xlsx");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(errorOf(write(bytes.left(bytes.size() / 2), QStringLiteral(".xlsx"))),
                 "The file looks like an Excel workbook (.xlsx) but is damaged: it cannot be "
                 "opened as a zip archive.");
        // A sheet whose packed bytes are spoilt.
        QByteArray spoilt = bytes;
        const qsizetype packed = bytes.indexOf("xl/worksheets/sheet1.xml") + 24;
        for (qsizetype i = packed + 8; i < packed + 40; ++i)
            spoilt[i] = char(~spoilt.at(i));
        QVERIFY(errorOf(write(spoilt)).startsWith(QStringLiteral("The workbook is damaged: ")));
        // Told by its content, whatever its name.
        QCOMPARE(rowsOf(write(bytes, QStringLiteral(".csv"))),
                 rowsOf(kTestData + "/pricelist.csv"));
    }

    // Cells by their references (gaps filled, empty rows and trailing empty cells left out) and
    // by their types.
    void workbookCells() {
        const QByteArray strings =
            "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
            "<si><t>Code</t></si>"
            "<si><r><t xml:space=\"preserve\">Pipe </t></r><r><rPr><b/></rPr><t>15</t></r>"
            "<rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh></si>"
            "<si><t>Line_x000D_\nbreak</t></si></sst>";
        const QByteArray rows =
            "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"inlineStr\">"
            "<is><t>Price</t></is></c><c r=\"D1\" s=\"3\"/></row>"
            "<row r=\"2\" spans=\"1:4\"><c r=\"A2\" s=\"1\"/></row>"
            "<row r=\"4\"><c r=\"B4\" t=\"s\"><v>1</v></c><c t=\"n\"><v>12.5</v></c>"
            "<c r=\"E4\"><f>1+1</f><v>2</v></c></row>"
            "<row><c r=\"A5\" t=\"b\"><v>1</v></c><c r=\"B5\" t=\"b\"><v>0</v></c>"
            "<c r=\"C5\" t=\"e\"><v>#N/A</v></c><c r=\"D5\" t=\"str\"><f>A1</f><v>Code</v></c>"
            "<c r=\"AB5\" t=\"s\"><v>2</v></c></row>";
        QStringList wide(28);
        wide[0] = "TRUE";
        wide[1] = "FALSE";
        wide[2] = "#N/A";
        wide[3] = "Code";
        wide[27] = "Line\r\nbreak";
        QString error;
        const auto table = readPriceList(writeSheet(rows, strings), &error);
        QVERIFY2(table, qPrintable(error));
        QCOMPARE(plain(table->rows),
                 (Rows{{"Code", "", "Price"}, {"", "Pipe 15", "12.5", "", "2"}, wide}));
        QCOMPARE(table->sheetNames, QStringList{"Stock"});
    }

    // What a workbook may cost is bounded before and while it is read: hostile workbooks, small
    // when packed, are refused with the bound they pass; a row reaching column XFD costs its
    // cells only. Damaged workbooks (a file of the archive replaced or left out) are refused
    // with what is wrong.
    void workbooks_data() {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<QByteArray>("strings");
        QTest::addColumn<pricelist::WorkbookBounds>("bounds");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("damaged");
        QTest::addColumn<QByteArray>("bytes");
        const pricelist::WorkbookBounds usual;
        QByteArray wide;
        for (int r = 1; r <= 20000; ++r)
            wide += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                    "\"><v>" + QByteArray::number(r) + "</v></c><c r=\"XFD" +
                    QByteArray::number(r) + "\"><v>1</v></c></row>";
        const auto bounded = [](const char* name, const QByteArray& rows,
                                const pricelist::WorkbookBounds& bounds, const QString& error,
                                const QByteArray& strings = {}) {
            QTest::newRow(name) << rows << strings << bounds << error << QString() << QByteArray();
        };
        // 20,000 rows of 16,384 columns each would have needed about 8 GB.
        bounded("every row reaching column XFD", wide, usual, "");
        QByteArray crowded = "<row r=\"1\">";
        for (int column = 0; column < 1025; ++column)
            crowded += "<c><v>1</v></c>";
        bounded("a row of too many cells", crowded + "</row>", usual,
                "Row 1 of the sheet holds more than 1,024 cells, more than a price list has.");
        pricelist::WorkbookBounds few = usual;
        few.mostCells = 100;
        bounded("too many cells",
                QByteArray("<row><c><v>1</v></c><c><v>2</v></c></row>").repeated(51), few,
                "The sheet holds more than 100 cells, more than a price list has.");
        bounded("too many shared strings", QByteArray(), few,
                "The workbook is too large to read: its shared strings hold more than 100 texts.",
                "<sst>" + QByteArray("<si><t>x</t></si>").repeated(101) + "</sst>");
        pricelist::WorkbookBounds small = usual;
        small.largestEntry = 64 * 1024;
        bounded("a part too large to unpack",
                QByteArray("<row><c><v>1</v></c></row>").repeated(3000), small,
                "The workbook is too large to read: its part xl/worksheets/stock.xml unpacks to "
                "more than 64 kB.");
        bounded("a cell longer than Excel's",
                "<row><c t=\"inlineStr\"><is><t>" + QByteArray(32768, 'x') + "</t></is></c></row>",
                usual,
                "The workbook is damaged: xl/worksheets/stock.xml holds a text of more than "
                "32,767 characters, longer than a cell can hold.");
        bounded("a row beyond Excel's last", "<row r=\"1048577\"><c><v>1</v></c></row>", usual,
                "The sheet has more rows than a workbook can hold (1,048,576).");
        const auto damage = [&](const char* name, const char* file, const QByteArray& bytes,
                                const QString& error) {
            QTest::newRow(name) << QByteArray() << QByteArray() << usual << error
                                << QString::fromLatin1(file) << bytes;
        };
        damage("sheet unfinished", "xl/worksheets/stock.xml", "<worksheet><sheetData><row r=\"1\">",
               "The workbook is damaged: xl/worksheets/stock.xml: Premature end of document. "
               "(line 1)");
        damage("no such shared string", "xl/worksheets/stock.xml",
               sheetXml("<row><c r=\"A1\" t=\"s\"><v>3</v></c></row>"),
               "The workbook is damaged: a cell refers to shared string 3 of 0.");
        damage("sheet's file missing", "xl/worksheets/stock.xml", QByteArray(),
               "The workbook is damaged: xl/worksheets/stock.xml is missing.");
        damage("no workbook file", "xl/workbook.xml", QByteArray(),
               "The file is a zip archive, not an Excel workbook (.xlsx).");
        damage("sheet without its relationship", "xl/_rels/workbook.xml.rels", "<Relationships/>",
               "The workbook is damaged: the file of sheet \"Stock\" is not named.");
    }

    void workbooks() {
        QFETCH(QByteArray, rows);
        QFETCH(QByteArray, strings);
        QFETCH(pricelist::WorkbookBounds, bounds);
        QFETCH(QString, error);
        QFETCH(QString, damaged);
        QFETCH(QByteArray, bytes);
        const pricelist::WorkbookBounds usual = pricelist::workbookBounds();
        pricelist::workbookBounds() = bounds;
        const auto restore = qScopeGuard([&] { pricelist::workbookBounds() = usual; });
        QString why;
        const auto table = readPriceList(writeSheet(rows, strings, damaged, bytes), &why);
        QCOMPARE(why, error);
        if (!error.isEmpty())
            return;
        QVERIFY(table);
        QCOMPARE(table->rows.size(), 20000);
        const PriceListRow& last = table->rows.constLast();
        QCOMPARE(last.width(), 16384);
        QCOMPARE(last.texts(), (QStringList{"20000", "1"}));
        QCOMPARE(last.cell(0), QStringLiteral("20000"));
        QCOMPARE(last.cell(16383), QStringLiteral("1"));
        QVERIFY(last.cell(5000).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPriceListReader)
#include "tst_pricelistreader.moc"
