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
        rows << QString::number(count("ManufacturersTBL")) << QString::number(count("CatagoryTBL"));
        return rows.join(QLatin1Char('\n'));
    }
    QVariant material(const QString& part, const char* column) {
        return db.scalar(QStringLiteral("SELECT %1 FROM MaterialsTBL WHERE PartNumber = ?")
                             .arg(QLatin1String(column)),
                         {part});
    }
    // The material's columns' values as one text.
    QString joined(const QString& part, const char* columns) {
        Statement q(db.connection().database(),
                    QStringLiteral("SELECT %1 FROM MaterialsTBL WHERE PartNumber = ?")
                        .arg(QLatin1String(columns)));
        QString text;
        if (q.bindAll({part}) && q.next())
            for (int column = 0; column < q.columnCount(); ++column)
                text += q.value(column).toString();
        return text;
    }
    int count(const char* table) {
        return db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toInt();
    }
    // Applies the preview; the reason of a failure is kept in error.
    bool apply(const PriceListPreview& p, const ApplyOptions& options, ApplyResult* result) {
        return applyPriceList(db.connection(), p, options, result, &error);
    }
    DbError error;
};

PreviewOptions mapped(qint64 supplier = 1) {
    PreviewOptions options;
    options.supplierId = supplier;
    options.mapping = guessMapping({"Part #", "Description", "Price", "Brand", "Category"});
    return options;
}

// The preview's price changes, one "row part old>new percent" each, "!" when flagged.
QStringList changes(const PriceListPreview& p) {
    QStringList lines;
    for (const PriceChange& c : p.changed)
        lines << QString::asprintf("%d %s %g>%g %g%s", c.row, qPrintable(c.partNumber),
                                   c.oldCost.toDouble(), c.newCost.toDouble(), c.changePercent,
                                   c.flagged ? "!" : "");
    return lines;
}

const QStringList kHeader = {"Part #", "Description", "Price", "Brand", "Category"};

// The preview of a list of these rows under kHeader.
PriceListPreview preview(Catalogue& c, const QList<QStringList>& rows,
                         const PreviewOptions& options = mapped()) {
    PriceListPreview p;
    DbError error;
    if (!previewPriceList(c.db.connection(), table(QList<QStringList>{kHeader} + rows), options, &p,
                          &error))
        qWarning("preview failed: %s", qPrintable(error.text()));
    return p;
}

} // namespace

class TestPriceListImport : public QObject {
    Q_OBJECT
private slots:
    void init() { registerMoneyMetaType(); }

    void headerGuesses_data() {
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QList<int>>("expected"); // part, cost, description, manufacturer, category
        QTest::newRow("plain") << QStringList{"Part #", "Description", "Price"}
                               << QList<int>{0, 2, 1, -1, -1};
        QTest::newRow("sku") << QStringList{"SKU", "Item Description", "Brand", "Unit Price",
                                            "Group"}
                             << QList<int>{0, 3, 1, 2, 4};
        QTest::newRow("item and cost")
            << QStringList{"Cost", "Item"} << QList<int>{1, 0, -1, -1, -1};
        QTest::newRow("part no, list price and net price")
            << QStringList{"Part No.", "List Price", "Net Price", "MFR"}
            << QList<int>{0, 2, -1, 3, -1};
        QTest::newRow("case and blanks")
            << QStringList{"  PART NUMBER ", "unit-cost"} << QList<int>{0, 1, -1, -1, -1};
        QTest::newRow("nothing known")
            << QStringList{"Foo", "Bar"} << QList<int>{-1, -1, -1, -1, -1};
    }

    void headerGuesses() {
        QFETCH(QStringList, header);
        QFETCH(QList<int>, expected);
        const ColumnMapping mapping = guessMapping(header);
        for (int role = 0; role < ColumnMapping::RoleCount; ++role)
            QCOMPARE(mapping.columns[role], expected[role]);
        QCOMPARE(mapping.isComplete(), expected[0] >= 0 && expected[1] >= 0);
    }

    void theMappingIsRememberedPerSupplier() {
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

    void previewMatchesAndCounts() {
        Catalogue c;
        const PriceListPreview p =
            preview(c, {{" a-100 ", "Ball valve", "12.00"}, // changed by 20%
                        {"B-200", "Elbow", "$5.00"},        // unchanged
                        {"C-300", "Coupling", "5"},         // doubled: flagged
                        {"Free-1", "Sample", "1"},          // from nothing
                        {"", "", ""},                       // blank line: skipped
                        {"NEW-1", "New tee", "$1,234.50", "Cascade", "Valves"}});
        QCOMPARE(p.rows, 5);
        QCOMPARE(p.unchanged, 1);
        QVERIFY(p.refused.isEmpty());
        QCOMPARE(changes(p),
                 (QStringList{"2 a-100 10>12 20", "4 C-300 2.5>5 100!", "5 Free-1 0>1 100!"}));
        QCOMPARE(p.added.size(), 1);
        QCOMPARE(p.added[0].row, 7);
        QCOMPARE(p.added[0].unitCost, Money::fromCents(123450));
        QCOMPARE(p.added[0].manufacturer, QStringLiteral("Cascade"));
        // A higher threshold flags nothing.
        PreviewOptions calm = mapped();
        calm.flagPercent = 150;
        QCOMPARE(changes(preview(c, {{"C-300", "", "5"}}, calm)), QStringList{"2 C-300 2.5>5 100"});
    }

    void badRowsAreRefusedWithTheirReason_data() {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("reason");
        const auto refused = [](const char* name, const QStringList& cells, const char* column,
                                const QString& reason) {
            QTest::newRow(name) << cells << QString::fromLatin1(column) << reason;
        };
        const auto price = [&](const char* name, const char* text, const QString& reason) {
            refused(name, {"X-1", "", text}, "Unit Cost", reason);
        };
        price("decimal comma", "12,50", "write the decimals after a point");
        price("grouped decimal comma", "1.234,50", "write the decimals after a point");
        price("words", "abc", "not an amount");
        price("negative", "-3", "negative");
        price("exponent", "1e9", "not an amount");
        const QString range = "must lie between -$999,999,999.9999 and $999,999,999.9999";
        price("beyond the range", "99999999999", range);
        price("a billion", "$1,000,000,000", range);
        price("no price", " ", "no price");
        refused("NUL in a part number", {QString::fromUtf8("X\0-1", 4), "", "3"}, "Part Number",
                "holds the control character U+0000");
        refused("line break in a part number", {"X-1\nY", "", "3"}, "Part Number",
                "holds the control character U+000A");
        refused("escape in a description", {"X-1", "Tee\x1b]0;owned\x07", "3"}, "Description",
                "holds the control character U+001B");
        refused("escape in a manufacturer", {"X-1", "Tee", "3", "\x1b[2J"}, "Manufacturer",
                "holds the control character U+001B");
        refused("bytes that were not UTF-8", {QStringLiteral("X-\uFFFD"), "", "3"}, "Part Number",
                "holds bytes that are not UTF-8");
        refused("51 emoji", {QStringLiteral("\U0001F527").repeated(51), "", "3"}, "Part Number",
                "longer than 50 characters");
        refused("no part number", {"  ", "", "3"}, "Part Number", "no part number");
        refused("long part number", {QString(300, QLatin1Char('P')), "", "3"}, "Part Number",
                "longer than 50 characters");
        refused("ragged", {"X-1"}, "Unit Cost", "the row has 1 of the 3");
    }

    void badRowsAreRefusedWithTheirReason() {
        QFETCH(QStringList, cells);
        QFETCH(QString, column);
        QFETCH(QString, reason);
        Catalogue c;
        const QString before = c.dump();
        const PriceListPreview p = preview(c, {{"A-100", "", "10"}, cells});
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
    void textsCountAndCutWholeCharacters() {
        Catalogue c;
        const QString wrench = QStringLiteral("\U0001F527");
        const QString accented = QString(254, QLatin1Char('a')) + QStringLiteral("e\u0301 tail");
        const QString flags =
            QString(254, QLatin1Char('b')) + QStringLiteral("\U0001F1EB\U0001F1F7");
        const PriceListPreview p = preview(c, {{wrench.repeated(50), "Tool", "1"},
                                               {"N-2", accented, "2"},
                                               {"N-3", flags, "3"},
                                               {"N-4", "Two\tparts\r\nand lines", "4"}});
        QVERIFY(p.refused.isEmpty());
        QCOMPARE(p.added.size(), 4);
        QCOMPARE(p.added[0].partNumber, wrench.repeated(50));
        QCOMPARE(p.added[1].description, QString(254, QLatin1Char('a')));
        QCOMPARE(p.added[2].description, QString(254, QLatin1Char('b')));
        QCOMPARE(p.added[3].description, QStringLiteral("Two\tparts\r\nand lines"));
    }

    void aPartNumberGivenTwice() {
        Catalogue c;
        // Quotes, percent signs and semicolons are part of a part number like any other character.
        const QString odd = QStringLiteral("Q\"5%;x'");
        const PriceListPreview p = preview(c, {{"D-1", "", "1.00"},
                                               {"d-1 ", "", "2.00"},
                                               {"E-1", "", "3"},
                                               {"E-1", "", "3.00"},
                                               {odd, "", "4"}});
        QCOMPARE(p.refused.size(), 3);
        QCOMPARE(p.refused[0].row, 2);
        QVERIFY(p.refused[0].reason.contains(QStringLiteral("rows 2, 3 with different prices")));
        QCOMPARE(p.refused[1].row, 3);
        QCOMPARE(p.refused[2].row, 5);
        QCOMPARE(p.refused[2].reason, QStringLiteral("repeats row 4"));
        QCOMPARE(p.added.size(), 2);
        QCOMPARE(p.added[1].partNumber, odd);
    }

    void applyChangesPricesAndStampsOnlyThem() {
        Catalogue c;
        const PriceListPreview p =
            preview(c, {{"A-100", "", "11"}, {"B-200", "", "5"}, {"N-1", "New", "2"}});
        ApplyResult result;
        QVERIFY(c.apply(p, ApplyOptions{1}, &result));
        QCOMPARE(result.priceChanges, 1);
        QCOMPARE(result.added, 0); // new materials only when asked
        QCOMPARE(c.material("A-100", "UnitCost").toDouble(), 11.0);
        QCOMPARE(c.material("A-100", "UpdatedLast").toDateTime().date(), QDate::currentDate());
        QCOMPARE(c.material("B-200", "UpdatedLast").toString(), QStringLiteral("2020-01-01"));
        QVERIFY(c.material("N-1", "MaterialsID").isNull());
        // The report lists exactly what was applied.
        const QList<QByteArray> lines = changeReportCsv(result).split('\n');
        QCOMPARE(lines.size(), 3); // header, one change, the empty end
        QCOMPARE(lines[1].trimmed(), QByteArray("2,A-100,Ball valve,Price changed,10,11,10.0,"));
    }

    void newMaterialsAndTheirNames() {
        Catalogue c;
        const PriceListPreview p =
            preview(c, {{"N-1", "Tee, 1\"", "2", "cascade", "VALVES"}, // listed names, other case
                        {"N-2", "Cap", "3", "Zenith", "Fittings"},     // a manufacturer not listed
                        {"N-3", "Plug", "4", "", ""}});                // no names: the defaults
        ApplyResult result;
        QVERIFY(c.apply(
            p,
            {.supplierId = 1, .addNew = true, .defaultManufacturerId = 2, .defaultCategoryId = 1},
            &result));
        QCOMPARE(result.added, 3);
        // Manufacturer, category, supplier and description: N-2 takes the default manufacturer.
        const char* names = "ManufacturerID, CatagoryID, SuppliersID, ManufacturerDescription";
        QCOMPARE(c.joined("N-1", names), QStringLiteral("121Tee, 1\""));
        QCOMPARE(c.joined("N-2", names), QStringLiteral("211Cap"));
        QCOMPARE(c.joined("N-3", names), QStringLiteral("211Plug"));
        QCOMPARE(c.count("ManufacturersTBL"), 2);
        QVERIFY(changeReportCsv(result).contains("\"Tee, 1\"\"\""));

        // Without defaults, a name not listed is added when allowed, and otherwise the material is
        // left out and said so.
        Catalogue strict;
        const PriceListPreview q = preview(strict, {{"N-1", "", "2", "Zenith", "Fittings"},
                                                    {"N-2", "", "2", "Yonder", "Fittings"}});
        ApplyOptions noDefaults{.supplierId = 1, .addNew = true};
        QVERIFY(strict.apply(q, noDefaults, &result));
        QCOMPARE(result.added, 0);
        QCOMPARE(result.changes.size(), 2);
        QCOMPARE(result.changes[0].kind, AppliedChange::NotAdded);
        QVERIFY(result.changes[0].note.contains(QStringLiteral("Zenith")));
        noDefaults.createMissingNames = true;
        QVERIFY(strict.apply(q, noDefaults, &result));
        QCOMPARE(result.added, 2);
        QCOMPARE(strict.count("ManufacturersTBL"), 4);
    }

    void aFailureLeavesTheCatalogueAsItWas() {
        Catalogue c;
        const PriceListPreview p = preview(c, {{"A-100", "", "11"},
                                               {"B-200", "", "6"},
                                               {"C-300", "", "7"},
                                               {"N-1", "", "1", "Zenith", "Pipes"}});
        QCOMPARE(p.changed.size(), 3);
        c.db.refuse("refuse", "UPDATE", "MaterialsTBL", "refused by the test",
                    "NEW.PartNumber = 'C-300'");
        const QString before = c.dump();
        ApplyResult result;
        QVERIFY(
            !c.apply(p, {.supplierId = 1, .addNew = true, .createMissingNames = true}, &result));
        QVERIFY2(c.error.description.contains(QStringLiteral("refused by the test")),
                 qPrintable(c.error.text()));
        QVERIFY(result.changes.isEmpty());
        QCOMPARE(c.dump(), before);
    }

    // Another window or program saves materials between the preview and Apply: each row is checked
    // as a screen's save checks its record, and what was saved meanwhile stays.
    void applyLeavesAloneWhatWasSavedSinceThePreview() {
        Catalogue c;
        const PriceListPreview p = preview(
            c, {{"A-100", "", "11"}, {"B-200", "", "6"}, {"C-300", "", "7"}, {"Free-1", "", "1"}});
        QCOMPARE(p.changed.size(), 4);
        Connection other;
        QVERIFY(openProgramFile(other, c.db.path()));
        for (const char* sql :
             {"UPDATE MaterialsTBL SET UnitCost = 10.5 WHERE PartNumber = 'A-100'",
              "UPDATE MaterialsTBL SET PartNumber = 'B-201' WHERE PartNumber = "
              "'B-200'",
              "DELETE FROM MaterialsTBL WHERE PartNumber = 'Free-1'"})
            QVERIFY(other.execute(QLatin1String(sql)));
        ApplyResult result;
        QVERIFY2(c.apply(p, ApplyOptions{1}, &result), qPrintable(c.error.text()));
        QCOMPARE(result.priceChanges, 1);
        QCOMPARE(result.changedMeanwhile, 3);
        QCOMPARE(c.material("A-100", "UnitCost").toDouble(), 10.5);
        QCOMPARE(c.material("A-100", "UpdatedLast").toString(), QStringLiteral("2020-01-01"));
        QCOMPARE(c.material("B-201", "UnitCost").toDouble(), 5.0);
        QCOMPARE(c.material("C-300", "UnitCost").toDouble(), 7.0);
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
        QVERIFY2(
            report.contains("2,A-100,Ball valve,Changed since the preview,10,11,10.0,unit cost "
                            "changed to 10.5 since the preview\r\n"),
            report.constData());
    }

    // Text that a spreadsheet would run as a formula is led by an apostrophe in the report;
    // amounts the program writes stay numbers.
    void theReportNeutralisesFormulas_data() {
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

    void theReportNeutralisesFormulas() {
        QFETCH(QString, text);
        QFETCH(QByteArray, written);
        ApplyResult result;
        const Money from = Money::fromCents(-150), to = Money::fromCents(100);
        result.changes.append({AppliedChange::PriceChanged, 2, text, text, from, to, text});
        const QByteArray line = changeReportCsv(result).split('\n').value(1);
        QCOMPARE(line,
                 "2," + written + "," + written + ",Price changed,-1.5,1,-166.7," + written + "\r");
    }

    void aSupplierWithoutMaterials() {
        Catalogue c;
        const PriceListPreview p = preview(c, {{"A-100", "", "11"}, {"Z-9", "", "1"}}, mapped(2));
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
    void aPartNumberListedUnderAnotherSupplier() {
        Catalogue c;
        const PriceListPreview p =
            preview(c, {{" a-100", "Valve", "11", "Zenith", "Pipes"}, {"Z-9", "", "1"}}, mapped(2));
        QCOMPARE(p.added.size(), 2);
        QCOMPARE(p.added[0].listedUnder, QStringList{QStringLiteral("Acme Supply")});
        QVERIFY(!p.added[1].isListedElsewhere());
        ApplyResult result;
        QVERIFY(c.apply(p,
                        {.supplierId = 2,
                         .addNew = true,
                         .createMissingNames = true,
                         .defaultManufacturerId = 1,
                         .defaultCategoryId = 1},
                        &result));
        QCOMPARE(result.added, 1);
        QCOMPARE(c.count("ManufacturersTBL"), 2);
        QVERIFY(changeReportCsv(result).contains(
            "2,a-100,Valve,Listed under Acme Supply,,11,,already listed under Acme Supply;"));
    }
};

QTEST_MAIN(TestPriceListImport)
#include "tst_pricelistimport.moc"
