// Importing a supplier's price list into the catalogue: the header guesses and the remembered
// mapping, the preview's matching and refusals, and applying it in one transaction.
#include "data/money.h"
#include "pricelist/core/import.h"
#include "pricelist/mappingmemory.h"
#include "support/isolatedsettings.h"
#include "support/testdatabase.h"

#include <QDateTime>
#include <QtTest>

namespace {

PriceListTable table(const QList<QStringList>& rows) {
    PriceListTable t;
    for (const QStringList& row : rows)
        t.rows.append(row);
    return t;
}

// Supplier 1 (Acme Supply) with a few materials priced long ago; supplier 2 has none.
struct Catalogue {
    TestDatabase db;
    Catalogue() {
        db.addSmallLookups();
        const QList<QVariantList> materials = {
            {"A-100", 10.0, "Ball valve"},
            {"B-200", 5.0, "Elbow"},
            {"C-300", 2.5, "Coupling"},
            {"Free-1", 0.0, "Sample"},
        };
        for (const QVariantList& m : materials)
            db.exec(QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, "
                                   "CatagoryID, PartNumber, UnitCost, ManufacturerDescription, "
                                   "UpdatedLast) VALUES (1, 1, 1, ?, ?, ?, '2020-01-01')"),
                    m);
    }
    QString dump() {
        QStringList rows;
        Statement all(db.connection().database(),
                      QStringLiteral("SELECT MaterialsID, ManufacturerID, SuppliersID, CatagoryID, "
                                     "PartNumber, UnitCost, UpdatedLast, ManufacturerDescription "
                                     "FROM MaterialsTBL ORDER BY MaterialsID"));
        while (all.next()) {
            QStringList cells;
            for (int c = 0; c < all.columnCount(); ++c)
                cells << all.value(c).toString();
            rows << cells.join(QLatin1Char('|'));
        }
        rows << db.scalar(QStringLiteral("SELECT COUNT(*) FROM ManufacturersTBL")).toString()
             << db.scalar(QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).toString();
        return rows.join(QLatin1Char('\n'));
    }
    QVariant material(const QString& part, const char* column) {
        return db.scalar(QStringLiteral("SELECT %1 FROM MaterialsTBL WHERE PartNumber = ?")
                             .arg(QLatin1String(column)),
                         {part});
    }
};

PreviewOptions mapped(qint64 supplier = 1) {
    PreviewOptions options;
    options.supplierId = supplier;
    options.mapping = guessMapping({"Part #", "Description", "Price", "Brand", "Category"});
    return options;
}

PriceListPreview preview(Catalogue& c, const PriceListTable& t,
                         const PreviewOptions& options = mapped()) {
    PriceListPreview p;
    DbError error;
    if (!previewPriceList(c.db.connection(), t, options, &p, &error))
        qWarning("preview failed: %s", qPrintable(error.text()));
    return p;
}

const QStringList kHeader = {"Part #", "Description", "Price", "Brand", "Category"};

} // namespace

class TestPriceListImport : public QObject {
    Q_OBJECT
private slots:
    void init() { registerMoneyMetaType(); }
    void headerGuesses_data();
    void headerGuesses();
    void theMappingIsRememberedPerSupplier();
    void previewMatchesAndCounts();
    void badRowsAreRefusedWithTheirReason_data();
    void badRowsAreRefusedWithTheirReason();
    void textsCountAndCutWholeCharacters();
    void aPartNumberGivenTwice();
    void applyChangesPricesAndStampsOnlyThem();
    void newMaterialsAndTheirNames();
    void aFailureLeavesTheCatalogueAsItWas();
    void applyLeavesAloneWhatWasSavedSinceThePreview();
    void theReportNeutralisesFormulas_data();
    void theReportNeutralisesFormulas();
    void aSupplierWithoutMaterials();
    void aPartNumberListedUnderAnotherSupplier();
};

void TestPriceListImport::headerGuesses_data() {
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QList<int>>("expected"); // part, cost, description, manufacturer, category
    QTest::newRow("plain") << QStringList{"Part #", "Description", "Price"}
                           << QList<int>{0, 2, 1, -1, -1};
    QTest::newRow("sku") << QStringList{"SKU", "Item Description", "Brand", "Unit Price", "Group"}
                         << QList<int>{0, 3, 1, 2, 4};
    QTest::newRow("item and cost") << QStringList{"Cost", "Item"} << QList<int>{1, 0, -1, -1, -1};
    QTest::newRow("part no, list price and net price")
        << QStringList{"Part No.", "List Price", "Net Price", "MFR"} << QList<int>{0, 2, -1, 3, -1};
    QTest::newRow("case and blanks")
        << QStringList{"  PART NUMBER ", "unit-cost"} << QList<int>{0, 1, -1, -1, -1};
    QTest::newRow("nothing known") << QStringList{"Foo", "Bar"} << QList<int>{-1, -1, -1, -1, -1};
}

void TestPriceListImport::headerGuesses() {
    QFETCH(QStringList, header);
    QFETCH(QList<int>, expected);
    const ColumnMapping mapping = guessMapping(header);
    for (int role = 0; role < ColumnMapping::RoleCount; ++role)
        QCOMPARE(mapping.columns[role], expected[role]);
    QCOMPARE(mapping.isComplete(), expected[0] >= 0 && expected[1] >= 0);
}

void TestPriceListImport::theMappingIsRememberedPerSupplier() {
    IsolatedSettings settings;
    const QStringList header = {"Code", "Text", "Amount EUR", "Our price"};
    ColumnMapping chosen = guessMapping(header);
    chosen[ColumnMapping::UnitCost] = 3;
    chosen[ColumnMapping::Description] = 1;
    rememberMapping(QStringLiteral("Acme Supply"), header, chosen);
    QCOMPARE(rememberedMapping(QStringLiteral("Acme Supply"), header), chosen);
    // The next list has its columns in another order: they are found by their names.
    const QStringList moved = {"Our price", "Code", "Text", "Amount EUR"};
    const ColumnMapping again = rememberedMapping(QStringLiteral("Acme Supply"), moved);
    QCOMPARE(again[ColumnMapping::UnitCost], 0);
    QCOMPARE(again[ColumnMapping::PartNumber], 1);
    QCOMPARE(again[ColumnMapping::Description], 2);
    // Another supplier gets the guess.
    QCOMPARE(rememberedMapping(QStringLiteral("Bolt Brothers"), header), guessMapping(header));
}

void TestPriceListImport::previewMatchesAndCounts() {
    Catalogue c;
    const PriceListPreview p =
        preview(c, table({kHeader,
                          {" a-100 ", "Ball valve", "12.00"}, // changed by 20%
                          {"B-200", "Elbow", "$5.00"},        // unchanged
                          {"C-300", "Coupling", "5"},         // doubled: flagged
                          {"Free-1", "Sample", "1"},          // from nothing
                          {"", "", ""},                       // blank line: skipped
                          {"NEW-1", "New tee", "$1,234.50", "Cascade", "Valves"}}));
    QCOMPARE(p.rows, 5);
    QCOMPARE(p.unchanged, 1);
    QVERIFY(p.refused.isEmpty());
    QCOMPARE(p.changed.size(), 3);
    QCOMPARE(p.changed[0].partNumber, QStringLiteral("a-100"));
    QCOMPARE(p.changed[0].oldCost, Money::fromCents(1000));
    QCOMPARE(p.changed[0].newCost, Money::fromCents(1200));
    QCOMPARE(p.changed[0].changePercent, 20.0);
    QVERIFY(!p.changed[0].flagged);
    QVERIFY(p.changed[1].flagged);
    QCOMPARE(p.changed[2].changePercent, 100.0);
    QCOMPARE(p.added.size(), 1);
    QCOMPARE(p.added[0].row, 7);
    QCOMPARE(p.added[0].unitCost, Money::fromCents(123450));
    QCOMPARE(p.added[0].manufacturer, QStringLiteral("Cascade"));
    // A higher threshold flags nothing.
    PreviewOptions calm = mapped();
    calm.flagPercent = 150;
    for (const PriceChange& change : preview(c, table({kHeader, {"C-300", "", "5"}}), calm).changed)
        QVERIFY(!change.flagged);
}

void TestPriceListImport::badRowsAreRefusedWithTheirReason_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("reason");
    QTest::newRow("decimal comma") << QStringList{"X-1", "", "12,50"} << "Unit Cost"
                                   << "write the decimals after a point";
    QTest::newRow("grouped decimal comma") << QStringList{"X-1", "", "1.234,50"} << "Unit Cost"
                                           << "write the decimals after a point";
    QTest::newRow("words") << QStringList{"X-1", "", "abc"} << "Unit Cost"
                           << "not an amount";
    QTest::newRow("negative") << QStringList{"X-1", "", "-3"} << "Unit Cost"
                              << "negative";
    QTest::newRow("exponent") << QStringList{"X-1", "", "1e9"} << "Unit Cost"
                              << "not an amount";
    const QString range = "must lie between -$999,999,999.9999 and $999,999,999.9999";
    QTest::newRow("beyond the range")
        << QStringList{"X-1", "", "99999999999"} << "Unit Cost" << range;
    QTest::newRow("a billion") << QStringList{"X-1", "", "$1,000,000,000"} << "Unit Cost" << range;
    QTest::newRow("NUL in a part number")
        << QStringList{QString::fromUtf8("X\0-1", 4), "", "3"} << "Part Number"
        << "holds the control character U+0000";
    QTest::newRow("line break in a part number") << QStringList{"X-1\nY", "", "3"} << "Part Number"
                                                 << "holds the control character U+000A";
    QTest::newRow("escape in a description")
        << QStringList{"X-1", "Tee\x1b]0;owned\x07", "3"} << "Description"
        << "holds the control character U+001B";
    QTest::newRow("escape in a manufacturer")
        << QStringList{"X-1", "Tee", "3", "\x1b[2J"} << "Manufacturer"
        << "holds the control character U+001B";
    QTest::newRow("bytes that were not UTF-8")
        << QStringList{QStringLiteral("X-\uFFFD"), "", "3"} << "Part Number"
        << "holds bytes that are not UTF-8";
    QTest::newRow("51 emoji") << QStringList{QStringLiteral("\U0001F527").repeated(51), "", "3"}
                              << "Part Number"
                              << "longer than 50 characters";
    QTest::newRow("no price") << QStringList{"X-1", "", " "} << "Unit Cost"
                              << "no price";
    QTest::newRow("no part number") << QStringList{"  ", "", "3"} << "Part Number"
                                    << "no part number";
    QTest::newRow("long part number")
        << QStringList{QString(300, QLatin1Char('P')), "", "3"} << "Part Number"
        << "longer than 50 characters";
    QTest::newRow("ragged") << QStringList{"X-1"} << "Unit Cost"
                            << "the row has 1 of the 3";
}

void TestPriceListImport::badRowsAreRefusedWithTheirReason() {
    QFETCH(QStringList, cells);
    QFETCH(QString, column);
    QFETCH(QString, reason);
    Catalogue c;
    const QString before = c.dump();
    const PriceListPreview p = preview(c, table({kHeader, {"A-100", "", "10"}, cells}));
    QCOMPARE(p.refused.size(), 1);
    QCOMPARE(p.refused[0].row, 3);
    QCOMPARE(p.refused[0].column, column);
    QVERIFY2(p.refused[0].reason.contains(reason), qPrintable(p.refused[0].reason));
    QCOMPARE(p.unchanged, 1);
    QVERIFY(p.added.isEmpty());
    QCOMPARE(c.dump(), before);
}

// Lengths count characters as a reader does (an emoji is one), and a cut never parts an accent
// from its letter; tabs and line breaks stay in a description.
void TestPriceListImport::textsCountAndCutWholeCharacters() {
    Catalogue c;
    const QString wrench = QStringLiteral("\U0001F527");
    const QString accented = QString(254, QLatin1Char('a')) + QStringLiteral("e\u0301 tail");
    const QString flags = QString(254, QLatin1Char('b')) + QStringLiteral("\U0001F1EB\U0001F1F7");
    const PriceListPreview p = preview(c, table({kHeader,
                                                 {wrench.repeated(50), "Tool", "1"},
                                                 {"N-2", accented, "2"},
                                                 {"N-3", flags, "3"},
                                                 {"N-4", "Two\tparts\r\nand lines", "4"}}));
    QVERIFY(p.refused.isEmpty());
    QCOMPARE(p.added.size(), 4);
    QCOMPARE(p.added[0].partNumber, wrench.repeated(50));
    QCOMPARE(p.added[1].description, QString(254, QLatin1Char('a')));
    QCOMPARE(p.added[2].description, QString(254, QLatin1Char('b')));
    QCOMPARE(p.added[3].description, QStringLiteral("Two\tparts\r\nand lines"));
}

void TestPriceListImport::aPartNumberGivenTwice() {
    Catalogue c;
    // Quotes, percent signs and semicolons are part of a part number like any other character.
    const QString odd = QStringLiteral("Q\"5%;x'");
    const PriceListPreview p = preview(c, table({kHeader,
                                                 {"D-1", "", "1.00"},
                                                 {"d-1 ", "", "2.00"},
                                                 {"E-1", "", "3"},
                                                 {"E-1", "", "3.00"},
                                                 {odd, "", "4"}}));
    QCOMPARE(p.refused.size(), 3);
    QCOMPARE(p.refused[0].row, 2);
    QVERIFY(p.refused[0].reason.contains(QStringLiteral("rows 2, 3 with different prices")));
    QCOMPARE(p.refused[1].row, 3);
    QCOMPARE(p.refused[2].row, 5);
    QCOMPARE(p.refused[2].reason, QStringLiteral("repeats row 4"));
    QCOMPARE(p.added.size(), 2);
    QCOMPARE(p.added[1].partNumber, odd);
}

void TestPriceListImport::applyChangesPricesAndStampsOnlyThem() {
    Catalogue c;
    const PriceListPreview p =
        preview(c, table({kHeader, {"A-100", "", "11"}, {"B-200", "", "5"}, {"N-1", "New", "2"}}));
    ApplyResult result;
    DbError error;
    QVERIFY(applyPriceList(c.db.connection(), p, ApplyOptions{1}, &result, &error));
    QCOMPARE(result.priceChanges, 1);
    QCOMPARE(result.added, 0); // new materials only when asked
    QCOMPARE(c.material(QStringLiteral("A-100"), "UnitCost").toDouble(), 11.0);
    QCOMPARE(c.material(QStringLiteral("A-100"), "UpdatedLast").toDateTime().date(),
             QDate::currentDate());
    QCOMPARE(c.material(QStringLiteral("B-200"), "UpdatedLast").toString(),
             QStringLiteral("2020-01-01"));
    QVERIFY(c.material(QStringLiteral("N-1"), "MaterialsID").isNull());
    // The report lists exactly what was applied.
    const QList<QByteArray> lines = changeReportCsv(result).split('\n');
    QCOMPARE(lines.size(), 3); // header, one change, the empty end
    QCOMPARE(lines[1].trimmed(), QByteArray("2,A-100,Ball valve,Price changed,10,11,10.0,"));
}

void TestPriceListImport::newMaterialsAndTheirNames() {
    Catalogue c;
    const PriceListPreview p =
        preview(c, table({kHeader,
                          {"N-1", "Tee, 1\"", "2", "cascade", "VALVES"}, // listed names, other case
                          {"N-2", "Cap", "3", "Zenith", "Fittings"}, // a manufacturer not listed
                          {"N-3", "Plug", "4", "", ""}}));           // no names: the defaults
    ApplyOptions options{1};
    options.addNew = true;
    options.defaultManufacturerId = 2;
    options.defaultCategoryId = 1;
    ApplyResult result;
    DbError error;
    QVERIFY(applyPriceList(c.db.connection(), p, options, &result, &error));
    QCOMPARE(result.added, 3);
    QCOMPARE(c.material(QStringLiteral("N-1"), "ManufacturerID").toInt(), 1);
    QCOMPARE(c.material(QStringLiteral("N-1"), "CatagoryID").toInt(), 2);
    QCOMPARE(c.material(QStringLiteral("N-1"), "ManufacturerDescription").toString(),
             QStringLiteral("Tee, 1\""));
    QCOMPARE(c.material(QStringLiteral("N-2"), "ManufacturerID").toInt(), 2); // the default
    QCOMPARE(c.material(QStringLiteral("N-3"), "CatagoryID").toInt(), 1);
    QCOMPARE(c.material(QStringLiteral("N-3"), "SuppliersID").toInt(), 1);
    QCOMPARE(c.db.scalar(QStringLiteral("SELECT COUNT(*) FROM ManufacturersTBL")).toInt(), 2);
    QVERIFY(changeReportCsv(result).contains("\"Tee, 1\"\"\""));

    // Without defaults, a name not listed is added when allowed, and otherwise the material is
    // left out and said so.
    Catalogue strict;
    const PriceListPreview q = preview(strict, table({kHeader,
                                                      {"N-1", "", "2", "Zenith", "Fittings"},
                                                      {"N-2", "", "2", "Yonder", "Fittings"}}));
    ApplyOptions noDefaults{1};
    noDefaults.addNew = true;
    QVERIFY(applyPriceList(strict.db.connection(), q, noDefaults, &result, &error));
    QCOMPARE(result.added, 0);
    QCOMPARE(result.changes.size(), 2);
    QCOMPARE(result.changes[0].kind, AppliedChange::NotAdded);
    QVERIFY(result.changes[0].note.contains(QStringLiteral("Zenith")));
    noDefaults.createMissingNames = true;
    QVERIFY(applyPriceList(strict.db.connection(), q, noDefaults, &result, &error));
    QCOMPARE(result.added, 2);
    QCOMPARE(strict.db.scalar(QStringLiteral("SELECT COUNT(*) FROM ManufacturersTBL")).toInt(), 4);
}

void TestPriceListImport::aFailureLeavesTheCatalogueAsItWas() {
    Catalogue c;
    const PriceListPreview p = preview(c, table({kHeader,
                                                 {"A-100", "", "11"},
                                                 {"B-200", "", "6"},
                                                 {"C-300", "", "7"},
                                                 {"N-1", "", "1", "Zenith", "Pipes"}}));
    QCOMPARE(p.changed.size(), 3);
    c.db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON MaterialsTBL "
                             "WHEN NEW.PartNumber = 'C-300' BEGIN "
                             "SELECT RAISE(ABORT, 'refused by the test'); END"));
    const QString before = c.dump();
    ApplyOptions options{1};
    options.addNew = true;
    options.createMissingNames = true;
    ApplyResult result;
    DbError error;
    QVERIFY(!applyPriceList(c.db.connection(), p, options, &result, &error));
    QVERIFY2(error.description.contains(QStringLiteral("refused by the test")),
             qPrintable(error.text()));
    QVERIFY(result.changes.isEmpty());
    QCOMPARE(c.dump(), before);
}

// Another window or program saves materials between the preview and Apply: each row is checked
// as a screen's save checks its record, and what was saved meanwhile stays.
void TestPriceListImport::applyLeavesAloneWhatWasSavedSinceThePreview() {
    Catalogue c;
    const PriceListPreview p = preview(c, table({kHeader,
                                                 {"A-100", "", "11"},
                                                 {"B-200", "", "6"},
                                                 {"C-300", "", "7"},
                                                 {"Free-1", "", "1"}}));
    QCOMPARE(p.changed.size(), 4);
    Connection other;
    QVERIFY(openProgramFile(other, c.db.path()));
    for (const char* sql : {"UPDATE MaterialsTBL SET UnitCost = 10.5 WHERE PartNumber = 'A-100'",
                            "UPDATE MaterialsTBL SET PartNumber = 'B-201' WHERE PartNumber = "
                            "'B-200'",
                            "DELETE FROM MaterialsTBL WHERE PartNumber = 'Free-1'"})
        QVERIFY(other.execute(QLatin1String(sql)));
    ApplyResult result;
    DbError error;
    QVERIFY2(applyPriceList(c.db.connection(), p, ApplyOptions{1}, &result, &error),
             qPrintable(error.text()));
    QCOMPARE(result.priceChanges, 1);
    QCOMPARE(result.changedMeanwhile, 3);
    QCOMPARE(c.material(QStringLiteral("A-100"), "UnitCost").toDouble(), 10.5);
    QCOMPARE(c.material(QStringLiteral("A-100"), "UpdatedLast").toString(),
             QStringLiteral("2020-01-01"));
    QCOMPARE(c.material(QStringLiteral("B-201"), "UnitCost").toDouble(), 5.0);
    QCOMPARE(c.material(QStringLiteral("C-300"), "UnitCost").toDouble(), 7.0);
    const QStringList notes = {"unit cost changed to 10.5 since the preview",
                               "part number changed to \"B-201\" since the preview", "",
                               "deleted or moved to another supplier since the preview"};
    QCOMPARE(result.changes.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const AppliedChange& change = result.changes[i];
        QCOMPARE(change.kind, notes[i].isEmpty() ? AppliedChange::PriceChanged
                                                 : AppliedChange::ChangedMeanwhile);
        QCOMPARE(change.note, notes[i]);
        QCOMPARE(change.oldCost, p.changed[i].oldCost); // as the preview read it
    }
    const QByteArray report = changeReportCsv(result);
    QVERIFY2(report.contains("2,A-100,Ball valve,Changed since the preview,10,11,10.0,unit cost "
                             "changed to 10.5 since the preview\r\n"),
             report.constData());
}

// Text that a spreadsheet would run as a formula is led by an apostrophe in the report;
// amounts the program writes stay numbers.
void TestPriceListImport::theReportNeutralisesFormulas_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("hyperlink") << "=HYPERLINK(\"http://x\",\"y\")"
                               << QByteArray("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    QTest::newRow("dde") << "=cmd|' /C calc'!A0" << QByteArray("'=cmd|' /C calc'!A0");
    QTest::newRow("plus") << "+1+2" << QByteArray("'+1+2");
    QTest::newRow("minus") << "-2+3" << QByteArray("'-2+3");
    QTest::newRow("at") << "@SUM(A1)" << QByteArray("'@SUM(A1)");
    QTest::newRow("tab") << "\t=1" << QByteArray("'\t=1");
    QTest::newRow("carriage return") << "\r=1" << QByteArray("\"'\r=1\"");
    QTest::newRow("plain") << "Pipe = 2 m" << QByteArray("Pipe = 2 m");
}

void TestPriceListImport::theReportNeutralisesFormulas() {
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    ApplyResult result;
    result.changes.append({AppliedChange::PriceChanged,
                           2,
                           text,
                           text,
                           Money::fromCents(-150),
                           Money::fromCents(100),
                           text,
                           {}});
    const QByteArray line = changeReportCsv(result).split('\n').value(1);
    QCOMPARE(line,
             "2," + written + "," + written + ",Price changed,-1.5,1,-166.7," + written + "\r");
}

void TestPriceListImport::aSupplierWithoutMaterials() {
    Catalogue c;
    const PriceListPreview p =
        preview(c, table({kHeader, {"A-100", "", "11"}, {"Z-9", "", "1"}}), mapped(2));
    QCOMPARE(p.added.size(), 2);
    QVERIFY(p.changed.isEmpty());
    QCOMPARE(p.unchanged, 0);
    // Without a part number and price column, nothing is previewed.
    PreviewOptions incomplete = mapped();
    incomplete.mapping[ColumnMapping::UnitCost] = -1;
    PriceListPreview none;
    DbError error;
    QVERIFY(!previewPriceList(c.db.connection(), table({kHeader}), incomplete, &none, &error));
    QVERIFY(error.description.contains(QStringLiteral("unit cost")));
}

// A part number the catalogue lists under another supplier is most often that supplier's
// material: left out of the new materials, with its names, unless its row is ticked (the
// dialog's test ticks one).
void TestPriceListImport::aPartNumberListedUnderAnotherSupplier() {
    Catalogue c;
    const PriceListPreview p =
        preview(c, table({kHeader, {" a-100", "Valve", "11", "Zenith", "Pipes"}, {"Z-9", "", "1"}}),
                mapped(2));
    QCOMPARE(p.added.size(), 2);
    QCOMPARE(p.added[0].listedUnder, QStringList{QStringLiteral("Acme Supply")});
    QVERIFY(!p.added[1].isListedElsewhere());
    ApplyOptions options{2};
    options.addNew = true;
    options.createMissingNames = true;
    options.defaultManufacturerId = 1;
    options.defaultCategoryId = 1;
    ApplyResult result;
    DbError error;
    QVERIFY(applyPriceList(c.db.connection(), p, options, &result, &error));
    QCOMPARE(result.added, 1);
    QCOMPARE(c.db.scalar(QStringLiteral("SELECT COUNT(*) FROM ManufacturersTBL")).toInt(), 2);
    QVERIFY(changeReportCsv(result).contains(
        "2,a-100,Valve,Listed under Acme Supply,,11,,already listed under Acme Supply;"));
}

QTEST_MAIN(TestPriceListImport)
#include "tst_pricelistimport.moc"
