// The record-set layer: cursor moves, pending edits, writes by key, clones and bookmarks,
// searches, notifications, and the grid model that reads the rows in place.
#include "data/database.h"
#include "data/datacontrol.h"
#include "data/money.h"
#include "data/recordset.h"
#include "support/datafiles.h"
#include "support/testdatabase.h"
#include "widgets/recordsetmodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {
const QString kMaterialsColumns = QStringLiteral(
    "SELECT MaterialsTBL.MaterialsID, MaterialsTBL.ManufacturerID, MaterialsTBL.SuppliersID, "
    "MaterialsTBL.CatagoryID, MaterialsTBL.PartNumber AS [Part #], "
    "ManufacturersTBL.ManufacturerName AS Manufacturer, CatagoryTBL.Catagory AS Category, "
    "SuppliersTBL.Company AS Supplier, MaterialsTBL.ManufacturerDescription AS Description, "
    "MaterialsTBL.UnitCost AS [Unit Cost], MaterialsTBL.UpdatedLast AS [Updated Last] ");
const QString kMaterials =
    kMaterialsColumns +
    QStringLiteral(
        "FROM SuppliersTBL INNER JOIN (ManufacturersTBL RIGHT JOIN (CatagoryTBL RIGHT JOIN "
        "MaterialsTBL ON CatagoryTBL.CatagoryID = MaterialsTBL.CatagoryID) ON "
        "ManufacturersTBL.ManufacturerID = MaterialsTBL.ManufacturerID) ON "
        "SuppliersTBL.SuppliersID = MaterialsTBL.SuppliersID ORDER BY MaterialsTBL.MaterialsID ;");

// The same rows with the outer joins as LEFT JOINs, the form the materials list uses (whose rows
// the materials screen's tests check).
const QString kMaterialsLeftJoins =
    kMaterialsColumns +
    QStringLiteral(
        "FROM MaterialsTBL INNER JOIN SuppliersTBL ON SuppliersTBL.SuppliersID = "
        "MaterialsTBL.SuppliersID LEFT JOIN ManufacturersTBL ON ManufacturersTBL.ManufacturerID = "
        "MaterialsTBL.ManufacturerID LEFT JOIN CatagoryTBL ON CatagoryTBL.CatagoryID = "
        "MaterialsTBL.CatagoryID ORDER BY MaterialsTBL.MaterialsID ;");

void addCategories(TestDatabase& db, const QStringList& names) {
    for (const QString& n : names)
        db.exec(QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES (?)"), {n});
}

// A fresh database with these categories (and what an insert adds), and a record set open on a
// table or query of it.
struct Categories {
    TestDatabase db;
    RecordSet rs;
    explicit Categories(const QStringList& names, const QString& source = "CatagoryTBL",
                        const QString& insert = {}) {
        addCategories(db, names);
        if (!insert.isEmpty())
            db.exec(insert);
        if (!rs.open(db.connection(), source))
            qFatal("cannot open %s", qPrintable(source));
    }
};

// The text a query of the file gives.
QString stored(TestDatabase& db, const char* sql) {
    return db.scalar(QString::fromLatin1(sql)).toString();
}

const QString kOnePipe = QStringLiteral("INSERT INTO MaterialsTBL (PartNumber, UnitCost, "
                                        "ManufacturerDescription) VALUES ('P-1', 12.5, 'Pipe')");

constexpr int kManyWords = 20000;

// A table of many rows, some of whose notes are empty.
void addWords(TestDatabase& db) {
    db.exec("CREATE TABLE Words (ID INTEGER PRIMARY KEY, Word VARCHAR(50), Note TEXT)");
    db.exec(QStringLiteral(
                "INSERT INTO Words (ID, Word, Note) WITH RECURSIVE n(i) AS (SELECT 1 "
                "UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT i, 'word ' || i, CASE WHEN "
                "i % 7 <> 0 THEN substr('abcdefghijklmnopqrstuvwxyz', 1, i % 26) END "
                "FROM n")
                .arg(kManyWords));
}
} // namespace

class TestRecordSet : public QObject {
    Q_OBJECT
private slots:
    void emptySetIsAtBothEnds() {
        Categories set({});
        auto& [db, rs] = set;
        QVERIFY(rs.isBOF());
        QVERIFY(rs.isEOF());
        QCOMPARE(rs.recordCount(), 0);
        QVERIFY(!rs.value(0).isValid());
        QVERIFY(!rs.setValue(1, QStringLiteral("x")));
        QCOMPARE(rs.lastError().number, ErrorNumber::kNoCurrentRecord);
        RecordSet bad;
        QVERIFY(!bad.open(db.connection(), QStringLiteral("SELECT * FROM NoSuchTable")));
        QCOMPARE(bad.state(), 0);
        QCOMPARE(db.connection().errors().size(), 1);
        // Every ? takes exactly one value.
        const QString byKey = QStringLiteral("SELECT * FROM CatagoryTBL WHERE CatagoryID = ?");
        QVERIFY(!bad.open(db.connection(), byKey));
        VERIFY_CONTAINS(bad.lastError().description, "1 values, 0 were given");
        QVERIFY(bad.open(db.connection(), byKey, {7}));
    }

    void movesStopAtTheEnds() {
        Categories set({"A", "B", "C"},
                       QStringLiteral("SELECT * FROM CatagoryTBL ORDER BY Catagory"));
        auto& [db, rs] = set;
        QCOMPARE(rs.absolutePosition(), 1);
        QVERIFY(rs.moveLast());
        QCOMPARE(rs.value(QStringLiteral("Catagory")).toString(), QStringLiteral("C"));
        QVERIFY(rs.moveNext());
        QVERIFY(rs.isEOF());
        QVERIFY(!rs.moveNext()); // already past the end
        QVERIFY(rs.move(-2));
        QCOMPARE(rs.value(1).toString(), QStringLiteral("B"));
        QVERIFY(rs.move(-5));
        QVERIFY(rs.isBOF());
        QVERIFY(rs.setAbsolutePosition(3));
        QCOMPARE(rs.value(1).toString(), QStringLiteral("C"));
        QVERIFY(!rs.setAbsolutePosition(4));
    }

    void anyExpectedRowCountReadsTheSameRows() {
        TestDatabase db;
        addWords(db);
        const QString query = QStringLiteral("SELECT ID, Word, Note FROM Words ORDER BY ID");
        RecordSet plain;
        QVERIFY(plain.open(db.connection(), query));
        // Too few, about right and far too many: the guess sizes the store, never the rows. The
        // larger guesses give the rows memory of their own, taken again when the set is reopened.
        for (const int expected : {10, kManyWords, 100000, kManyWords}) {
            RecordSet sized;
            sized.setExpectedRows(expected);
            QVERIFY(sized.open(db.connection(), query));
            QCOMPARE(sized.recordCount(), kManyWords);
            for (const int position : {1, 2048, 2049, kManyWords - 1, kManyWords}) {
                plain.setAbsolutePosition(position);
                sized.setAbsolutePosition(position);
                for (int field = 0; field < 3; ++field)
                    QCOMPARE(sized.value(field), plain.value(field));
            }
        }
    }

    void largeSetTakesChangesBeyondItsRoom() {
        TestDatabase db;
        addWords(db);
        RecordSet words;
        words.setExpectedRows(kManyWords);
        QVERIFY(words.open(db.connection(), QStringLiteral("SELECT ID, Word, Note FROM Words")));
        // Longer texts than were read, for many rows: more text than the room made for it.
        const QString longNote = QString(200, QLatin1Char('n'));
        for (int position = 1; position <= kManyWords; position += 10) {
            QVERIFY(words.setAbsolutePosition(position));
            QVERIFY(words.setDerivedValue(2, longNote + QString::number(position)));
        }
        // New rows beyond the rows expected.
        for (int i = 0; i < 3; ++i) {
            QVERIFY(words.addNew());
            QVERIFY(words.setValue(1, QStringLiteral("added %1").arg(i)));
            QVERIFY2(words.update(), qPrintable(words.lastError().text()));
        }
        QCOMPARE(words.recordCount(), kManyWords + 3);
        for (const int position : {1, 11, 12, kManyWords - 9, kManyWords}) {
            QVERIFY(words.setAbsolutePosition(position));
            QCOMPARE(words.value(1).toString(), QStringLiteral("word %1").arg(position));
            if (position % 10 == 1)
                QCOMPARE(words.value(2).toString(), longNote + QString::number(position));
        }
        QVERIFY(words.moveLast());
        QCOMPARE(words.value(1).toString(), QStringLiteral("added 2"));
        QCOMPARE(words.value(0).toInt(), kManyWords + 3);
    }

    void moveZeroWritesAndCancelDrops() {
        Categories set({"Pipe", "Wire"});
        auto& [db, rs] = set;
        QVERIFY(rs.setValue(QStringLiteral("Catagory"), QStringLiteral("Copper Pipe")));
        QCOMPARE(rs.editMode(), RecordSet::EditInProgress);
        QCOMPARE(rs.value(1).toString(),
                 QStringLiteral("Copper Pipe")); // the pending value reads back
        QVERIFY(rs.move(0));
        QCOMPARE(rs.editMode(), RecordSet::EditNone);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(stored(db, "SELECT Catagory FROM CatagoryTBL WHERE CatagoryID = 1"),
                 "Copper Pipe");

        QVERIFY(rs.setValue(1, QStringLiteral("Scrap")));
        QVERIFY(rs.cancelUpdate());
        QCOMPARE(rs.value(1).toString(), QStringLiteral("Copper Pipe"));
        // A move with a pending change writes it first.
        QVERIFY(rs.setValue(1, QStringLiteral("Copper Tube")));
        QVERIFY(rs.moveNext());
        QCOMPARE(stored(db, "SELECT Catagory FROM CatagoryTBL WHERE CatagoryID = 1"),
                 "Copper Tube");
    }

    void addedRowGetsItsKeyAndComesLast() {
        Categories set({"Wire"});
        auto& [db, rs] = set;
        QVERIFY(rs.addNew());
        QCOMPARE(rs.editMode(), RecordSet::EditAdd);
        QVERIFY(!rs.isEOF());
        QVERIFY(!rs.value(0).isValid());
        QVERIFY(rs.setValue(1, QStringLiteral("Fittings")));
        QVERIFY(rs.update());
        QCOMPARE(rs.value(0).toInt(), 2);
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.absolutePosition(), 2);
        // Cancelling an add returns to the row that was current and stores nothing.
        QVERIFY(rs.moveFirst());
        QVERIFY(rs.addNew());
        QVERIFY(rs.setValue(1, QStringLiteral("Dropped")));
        QVERIFY(rs.cancelUpdate());
        QCOMPARE(rs.value(1).toString(), QStringLiteral("Wire"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).toInt(), 2);
        // Moving on from a new row saves it first; the next row after it is the end.
        QVERIFY(rs.addNew());
        QVERIFY(rs.setValue(1, QStringLiteral("Valves")));
        QVERIFY(rs.moveNext());
        QVERIFY(rs.isEOF());
        QVERIFY(rs.movePrevious());
        QCOMPARE(rs.value(1).toString(), QStringLiteral("Valves"));
    }

    void cloneSharesRowsAndBookmarks() {
        Categories set({"A", "B", "C"});
        auto& [db, rs] = set;
        auto copy = rs.clone();
        QCOMPARE(copy->absolutePosition(), 1);
        QVERIFY(copy->find(QStringLiteral("CatagoryID=3")));
        QVERIFY(rs.setBookmark(copy->bookmark()));
        QCOMPARE(rs.value(1).toString(), QStringLiteral("C"));
        QCOMPARE(rs.absolutePosition(), 3);
        // A write through the original shows in the clone, a row added through the clone in the
        // original.
        QVERIFY(rs.setValue(1, QStringLiteral("C2")));
        QVERIFY(rs.update());
        QCOMPARE(copy->value(1).toString(), QStringLiteral("C2"));
        QVERIFY(copy->addNew());
        QVERIFY(copy->setValue(1, QStringLiteral("D")));
        QVERIFY(copy->update());
        QCOMPARE(rs.recordCount(), 4);
        // A delete through the clone moves the original's position with its row.
        QVERIFY(copy->moveFirst());
        QVERIFY(copy->deleteCurrent());
        QCOMPARE(rs.value(1).toString(), QStringLiteral("C2"));
        QCOMPARE(rs.absolutePosition(), 2);
    }

    void findsByCriteria_data() {
        QTest::addColumn<QString>("criteria");
        QTest::addColumn<int>("skip");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<QString>("found"); // part number, empty: none
        QTest::newRow("key") << "MaterialsID=3" << 0 << true << "P-3";
        QTest::newRow("spaces and brackets") << "[Part #] = 'p-2'" << 0 << true << "P-2";
        QTest::newRow("quote inside text") << "Description='O''Brien valve'" << 0 << true << "P-4";
        QTest::newRow("money") << "[Unit Cost] >= 12.5" << 0 << true << "P-3";
        QTest::newRow("like") << "Description LIKE '*elbow*'" << 0 << true << "P-2";
        QTest::newRow("skip current") << "MaterialsID>0" << 1 << true << "P-2";
        QTest::newRow("backward from first") << "MaterialsID=3" << 0 << false << "";
        QTest::newRow("null") << "[Updated Last] = NULL" << 0 << true << "P-4";
        QTest::newRow("none") << "MaterialsID=99" << 0 << true << "";
    }

    void findsByCriteria() {
        QFETCH(QString, criteria);
        QFETCH(int, skip);
        QFETCH(bool, forward);
        QFETCH(QString, found);
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Acme')"));
        db.exec(QStringLiteral(
            "INSERT INTO MaterialsTBL (SuppliersID, PartNumber, ManufacturerDescription, "
            "UnitCost, UpdatedLast) VALUES (1, 'P-1', 'Copper pipe', 1.25, "
            "'2026-01-02'), (1, 'P-2', 'Brass elbow 1/2', 3.0, '2026-01-02'), (1, "
            "'P-3', 'Ball valve', 12.5, '2026-01-02'), (1, 'P-4', 'O''Brien valve', "
            "40.0, NULL)"));
        RecordSet rs;
        QVERIFY(rs.open(db.connection(), kMaterials));
        QVERIFY(rs.find(criteria, skip, forward));
        if (found.isEmpty()) {
            QVERIFY(forward ? rs.isEOF() : rs.isBOF());
        } else {
            QVERIFY(!rs.isEOF());
            QCOMPARE(rs.value(QStringLiteral("Part #")).toString(), found);
        }
        QVERIFY(!rs.find(QStringLiteral("NoSuchField=1")));
        QVERIFY(!rs.find(QStringLiteral("MaterialsID='abc'")));
    }

    void deleteLeavesTheCursorBeforeTheNextRow() {
        Categories set({"A", "B", "C"});
        auto& [db, rs] = set;
        QVERIFY(rs.moveNext());
        QVERIFY(rs.deleteCurrent());
        QVERIFY(!rs.value(1).isValid()); // the deleted row is gone
        QVERIFY(rs.moveNext());
        QCOMPARE(rs.value(1).toString(), QStringLiteral("C"));
        // Deleting the last row leaves EOF after the next move; a move back finds the new last row.
        QVERIFY(rs.deleteCurrent());
        QVERIFY(rs.moveNext());
        QVERIFY(rs.isEOF());
        QVERIFY(rs.moveLast());
        QCOMPARE(rs.value(1).toString(), QStringLiteral("A"));
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(rs.deleteCurrent());
        QCOMPARE(rs.recordCount(), 0);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).toInt(), 0);
    }

    void refusedDeleteKeepsTheRow() {
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Acme')"));
        db.exec(
            QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber) VALUES (1, 'P-1')"));
        db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (1)"));
        db.exec(QStringLiteral(
            "INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID) VALUES (1, 1)"));
        RecordSet rs;
        QVERIFY(rs.open(db.connection(), kMaterials));
        // What was being typed survives the refusal.
        QVERIFY(rs.setValue(QStringLiteral("Description"), QStringLiteral("typed")));
        QSignalSpy complete(&rs, &RecordSet::recordChangeComplete);
        QVERIFY(!rs.deleteCurrent());
        QCOMPARE(rs.lastError().number, ErrorNumber::kReferencedRow);
        QCOMPARE(db.connection().errors().first().nativeError, ErrorNumber::kReferencedRow);
        QCOMPARE(complete.size(), 1);
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.value(QStringLiteral("Part #")).toString(), QStringLiteral("P-1"));
        QCOMPARE(rs.editMode(), RecordSet::EditInProgress);
        QCOMPARE(rs.value(QStringLiteral("Description")).toString(), QStringLiteral("typed"));
    }

    void twoWindowsNeverLoseAnUpdate() {
        TestDatabase db;
        db.addSmallLookups();
        db.exec(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber, "
                               "ManufacturerDescription, UnitCost) VALUES (1, 'P-1', 'Pipe', 15)"));
        const QString unitCost = QStringLiteral("Unit Cost");
        // Window B is another program's connection to the same file.
        Connection other;
        QVERIFY(openProgramFile(other, db.path()));
        RecordSet a, b;
        QVERIFY(a.open(db.connection(), kMaterialsLeftJoins));
        QVERIFY(b.open(other, kMaterialsLeftJoins));
        QVERIFY(b.setValue(unitCost, QVariant::fromValue(Money::fromCents(2000))));
        QVERIFY(b.update());

        // A read the row before B saved: its write is refused, and what was typed stays.
        QVERIFY(a.setValue(unitCost, QVariant::fromValue(Money::fromCents(1000))));
        QVERIFY(!a.update());
        QCOMPARE(a.lastError().nativeError, ErrorNumber::kRecordChanged);
        QCOMPARE(a.lastError().description,
                 QStringLiteral("The record was changed by someone else since you opened it."));
        QCOMPARE(db.connection().errors().first().nativeError, ErrorNumber::kRecordChanged);
        QCOMPARE(a.editMode(), RecordSet::EditInProgress);
        QCOMPARE(a.value(unitCost).value<Money>(), Money::fromCents(1000));
        QCOMPARE(db.scalar(QStringLiteral("SELECT UnitCost FROM MaterialsTBL")).toDouble(), 20.0);

        // Another column changed elsewhere refuses the write just the same.
        QVERIFY(a.cancelUpdate());
        QVERIFY(a.setValue(QStringLiteral("Description"), QStringLiteral("Copper pipe")));
        QVERIFY(!a.update());
        QCOMPARE(a.lastError().nativeError, ErrorNumber::kRecordChanged);

        // Reading the row again keeps what was typed; the next save stores it, knowingly.
        QVERIFY(a.refreshCurrent());
        QCOMPARE(a.value(unitCost).value<Money>(), Money::fromCents(2000));
        QCOMPARE(a.value(QStringLiteral("Description")).toString(), QStringLiteral("Copper pipe"));
        QVERIFY(a.update());
        QCOMPARE(db.scalar(QStringLiteral("SELECT ManufacturerDescription FROM MaterialsTBL"))
                     .toString(),
                 QStringLiteral("Copper pipe"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT UnitCost FROM MaterialsTBL")).toDouble(), 20.0);

        // A delete of a row changed elsewhere is refused too, and the row stays.
        QVERIFY(b.setValue(unitCost, QVariant::fromValue(Money::fromCents(2500))));
        QVERIFY(!b.update()); // B is now the one behind
        QVERIFY(b.cancelUpdate());
        QVERIFY(!b.deleteCurrent());
        QCOMPARE(b.lastError().nativeError, ErrorNumber::kRecordChanged);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL")).toInt(), 1);
    }

    void aRowDeletedElsewhereIsSaidSo() {
        Categories set({"Wire", "Pipe"});
        auto& [db, a] = set;
        Connection other;
        QVERIFY(openProgramFile(other, db.path()));
        QVERIFY(other.execute(QStringLiteral("DELETE FROM CatagoryTBL")));
        QVERIFY(a.setValue(QStringLiteral("Catagory"), QStringLiteral("Cable")));
        QVERIFY(!a.update());
        QCOMPARE(a.lastError().nativeError, ErrorNumber::kRecordDeleted);
        QCOMPARE(a.value(QStringLiteral("Catagory")).toString(), QStringLiteral("Cable"));
        QVERIFY(!a.refreshCurrent());
        QCOMPARE(a.lastError().nativeError, ErrorNumber::kRecordDeleted);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).toInt(), 0);
        // Deleting a row that is already gone does what was asked.
        QVERIFY(a.cancelUpdate());
        QVERIFY(a.deleteCurrent());
        QCOMPARE(a.recordCount(), 1);
    }

    void ownWritesAndOddStoredValuesAreNoConflict() {
        TestDatabase db;
        // Values another tool wrote: an amount finer than a ten-thousandth, a date with
        // milliseconds, a whole number in a currency column, and a text in the date column, after
        // which the set keeps that column's values as they were read.
        db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, Shipping, EstimateData, "
                               "TaxRate) VALUES (1, 10.123456, '2026-01-05 10:00:00.123', 0.07)"));
        db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, Shipping) VALUES (2, 13)"));
        // A server's date column takes no text at all.
        const bool textInDate = !TestBackend::onServer();
        if (textInDate)
            db.exec(QStringLiteral(
                "INSERT INTO EstimateTBL (QuoteNumber, EstimateData) VALUES (7, 'soon')"));
        RecordSet rs;
        QVERIFY(rs.open(db.connection(), QStringLiteral("EstimateTBL")));
        for (int round = 0; round < 2; ++round) {
            QVERIFY(rs.moveFirst());
            QVERIFY(rs.setValue(QStringLiteral("TaxRate"), 0.08 + round));
            QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
            QVERIFY(rs.moveNext());
            // A stamp with milliseconds is stored to the second, and written again without a fuss.
            QVERIFY(rs.setValue(QStringLiteral("EstimateData"),
                                QDateTime(QDate(2026, 2, 1), QTime(9, 30, 15, 250 + round))));
            QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
        }
        if (textInDate) {
            QVERIFY(rs.moveNext());
            QVERIFY(rs.setValue(QStringLiteral("TaxRate"), 0.09));
            QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
            QCOMPARE(rs.value(QStringLiteral("EstimateData")).toString(), QStringLiteral("soon"));
        }
        // A row this set added is written again as it is stored.
        QVERIFY(rs.addNew());
        QVERIFY(rs.setValue(QStringLiteral("QuoteNumber"), 3));
        QVERIFY(rs.setValue(QStringLiteral("Shipping"), QVariant::fromValue(Money::fromCents(1))));
        QVERIFY(rs.update());
        QVERIFY(rs.setValue(QStringLiteral("TaxRate"), 0.05));
        QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
        // A clone's write is this set's own: the other cursor writes over it without a conflict.
        auto twin = rs.clone();
        QVERIFY(twin->setValue(QStringLiteral("TaxRate"), 0.06));
        QVERIFY(twin->update());
        QVERIFY(rs.setValue(QStringLiteral("TaxRate"), 0.07));
        QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
    }

    void aWriteThatCannotRunSaysWhy() {
        Categories set({"Wire"});
        auto& [db, rs] = set;
        // The table changes behind the record set's back: its writes can no longer be prepared,
        // and each one reports the engine's own reason.
        db.exec(QStringLiteral("ALTER TABLE CatagoryTBL RENAME COLUMN Catagory TO Category"));
        QVERIFY(rs.setValue(1, QStringLiteral("Fittings")));
        QVERIFY(!rs.update());
        // Each engine says it in its own words, naming the column.
        const auto missing = [](const char* file, const char* server) {
            return QString::fromLatin1(TestBackend::onServer() ? server : file);
        };
        VERIFY_CONTAINS(rs.lastError().description,
                        missing("no such column: Catagory", "column \"catagory\""));
        QCOMPARE(db.connection().errors().first().description, rs.lastError().description);
        QVERIFY(rs.cancelUpdate());

        QVERIFY(rs.addNew());
        QVERIFY(rs.setValue(1, QStringLiteral("Valves")));
        QVERIFY(!rs.update());
        VERIFY_CONTAINS(rs.lastError().description,
                        missing("no column named Catagory", "column \"catagory\""));
        QVERIFY(rs.cancelUpdate());

        db.exec(QStringLiteral("ALTER TABLE CatagoryTBL RENAME COLUMN CatagoryID TO CategoryID"));
        QVERIFY(!rs.deleteCurrent());
        VERIFY_CONTAINS(rs.lastError().description,
                        missing("no such column: CatagoryID", "column \"catagoryid\""));
    }

    void joinedQueryWritesOnlyItsOwnTable() {
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Acme')"));
        db.exec(QStringLiteral(
            "INSERT INTO ManufacturersTBL (ManufacturerName) VALUES ('Brightline')"));
        db.exec(QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, PartNumber, "
                               "ManufacturerDescription) VALUES (1, 1, 'P-1', 'Pipe')"));
        RecordSet rs;
        QVERIFY(rs.open(db.connection(), kMaterials));
        const FieldInfo& cost = rs.field(rs.fieldIndex(QStringLiteral("Unit Cost")));
        QCOMPARE(cost.baseTable, QStringLiteral("MaterialsTBL"));
        QCOMPARE(cost.baseColumn, QStringLiteral("UnitCost"));
        QCOMPARE(cost.type, FieldType::Currency);
        QVERIFY(rs.field(0).keyOfBaseTable);
        // The names of joined tables are shown, not written.
        QVERIFY(!rs.isUpdatable(rs.fieldIndex(QStringLiteral("Manufacturer"))));
        QVERIFY(!rs.setValue(QStringLiteral("Manufacturer"), QStringLiteral("Renamed")));
        QVERIFY(rs.setValue(QStringLiteral("Part #"), QStringLiteral("P-9")));
        QVERIFY(rs.setValue(QStringLiteral("SuppliersID"), 1));
        QVERIFY(rs.update());
        QCOMPARE(stored(db, "SELECT PartNumber FROM MaterialsTBL"), "P-9");
        QCOMPARE(stored(db, "SELECT ManufacturerName FROM ManufacturersTBL"), "Brightline");
        // A new material is inserted into the materials table and gets its key.
        QVERIFY(rs.addNew());
        QVERIFY(rs.setValue(QStringLiteral("SuppliersID"), 1));
        QVERIFY(rs.setValue(QStringLiteral("Part #"), QStringLiteral("P-10")));
        // Without its description it is refused before the database is asked, with the number of a
        // missing required value, and what was set stays pending.
        QVERIFY(!rs.update());
        QCOMPARE(rs.lastError().number, ErrorNumber::kGenericFailure);
        QCOMPARE(db.connection().errors().first().nativeError, ErrorNumber::kRequiredValueMissing);
        QCOMPARE(rs.editMode(), RecordSet::EditAdd);
        QCOMPARE(rs.value(QStringLiteral("Part #")).toString(), QStringLiteral("P-10"));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL")).toInt(), 1);
        QVERIFY(rs.setValue(QStringLiteral("Description"), QStringLiteral("   ")));
        QVERIFY(!rs.update());
        QVERIFY(rs.setValue(QStringLiteral("Description"), QStringLiteral("Tee")));
        QVERIFY(rs.update());
        QVERIFY(db.connection().errors().isEmpty());
        QCOMPARE(rs.value(QStringLiteral("MaterialsID")).toInt(), 2);
    }

    void moneyAndDatesSurviveTheRoundTrip() {
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (1)"));
        RecordSet rs, again;
        QVERIFY(rs.open(db.connection(), QStringLiteral("EstimateTBL")));
        QVERIFY(again.open(db.connection(), QStringLiteral("EstimateTBL")));
        const QDateTime stamp(QDate(2026, 12, 6), QTime(8, 43, 13));
        QVERIFY(rs.setValue(QStringLiteral("EstimateData"), stamp));
        QVERIFY(rs.setValue(QStringLiteral("TaxRate"), 0.0825));
        // Amounts at the ends of the range, and the smallest, come back unchanged.
        for (const qint64 units : {Money::kLargestUnits, -Money::kLargestUnits, qint64(1),
                                   qint64(-1), qint64(123456789)}) {
            QVERIFY(rs.setValue(QStringLiteral("Shipping"),
                                QVariant::fromValue(Money::fromUnits(units))));
            QVERIFY2(rs.update(), qPrintable(rs.lastError().text()));
            QVERIFY(again.requery());
            QCOMPARE(again.value(QStringLiteral("Shipping")).value<Money>(),
                     Money::fromUnits(units));
        }
        QCOMPARE(again.value(QStringLiteral("EstimateData")).toDateTime(), stamp);
        QCOMPARE(again.value(QStringLiteral("TaxRate")).toDouble(), 0.0825);
        // A whole amount in a currency column (stored by SQLite as an integer) is still money.
        db.exec(QStringLiteral("UPDATE EstimateTBL SET Shipping = 13"));
        QVERIFY(again.requery());
        QCOMPARE(again.value(QStringLiteral("Shipping")).value<Money>(), Money::fromCents(1300));
        // A date alone is stored without a time.
        QVERIFY(again.setValue(QStringLiteral("EstimateData"), QDate(2026, 3, 1)));
        QVERIFY(again.update());
        QCOMPARE(stored(db, "SELECT EstimateData FROM EstimateTBL"), "2026-03-01");
    }

    void writeNotificationsLetHandlersStampAndRefuse() {
        Categories set({}, QStringLiteral("MaterialsTBL"), kOnePipe);
        auto& [db, rs] = set;
        const QDateTime stamp(QDate(2026, 12, 6), QTime(9, 0));
        QList<int> reasons;
        bool refuse = false;
        connect(&rs, &RecordSet::willChangeRecord, this,
                [&](RecordSet::Reason reason, int, bool* cancel) {
                    reasons << reason;
                    if (reason == RecordSet::ReasonUpdate) {
                        rs.setValue(QStringLiteral("UpdatedLast"),
                                    stamp); // written with the record
                        *cancel = refuse;
                    }
                });
        QSignalSpy complete(&rs, &RecordSet::recordChangeComplete);
        QVERIFY(rs.setValue(QStringLiteral("UnitCost"), 13.0));
        QVERIFY(rs.update());
        QCOMPARE(reasons, (QList<int>{RecordSet::ReasonFirstChange, RecordSet::ReasonUpdate}));
        QCOMPARE(stored(db, "SELECT UpdatedLast FROM MaterialsTBL"), "2026-12-06T09:00:00");
        QCOMPARE(complete.last().at(0).value<RecordSet::Reason>(), RecordSet::ReasonUpdate);
        QVERIFY(!complete.last().at(2).value<DbError>().isSet());

        refuse = true;
        QVERIFY(rs.setValue(QStringLiteral("UnitCost"), 14.0));
        QVERIFY(!rs.update());
        QCOMPARE(rs.editMode(), RecordSet::EditInProgress); // the edit is kept for the user to fix
        QCOMPARE(db.scalar(QStringLiteral("SELECT UnitCost FROM MaterialsTBL")).toDouble(), 13.0);
    }

    void readOnlyAndTypeMismatchAreRefused() {
        Categories set({}, QStringLiteral("MaterialsTBL"), kOnePipe);
        auto& [db, rs] = set;
        QVERIFY(!rs.setValue(QStringLiteral("UnitCost"), QStringLiteral("abc")));
        QCOMPARE(rs.lastError().number, ErrorNumber::kTypeMismatch);
        QCOMPARE(rs.editMode(), RecordSet::EditNone);
        QVERIFY(rs.setValue(QStringLiteral("UnitCost"), QStringLiteral("12.75")));
        QVERIFY(rs.cancelUpdate());
        rs.setLockType(RecordSet::LockReadOnly);
        QVERIFY(!rs.setValue(QStringLiteral("PartNumber"), QStringLiteral("P-2")));
        QVERIFY(!rs.addNew());
        QVERIFY(!rs.deleteCurrent());
        // Computed columns and key-less tables are read-only.
        RecordSet sums;
        QVERIFY(
            sums.open(db.connection(), QStringLiteral("SELECT COUNT(*) AS n FROM MaterialsTBL")));
        QVERIFY(!sums.isUpdatable(0));
    }

    void unexpectedStoredValuesAreKept() {
        SKIP_ON_SERVER("a server's typed columns take no value of another kind");
        TestDatabase db;
        // SQLite keeps whatever is stored: a text in a whole-number column must read back as it is.
        db.exec(QStringLiteral(
            "INSERT INTO EstimateTBL (QuoteNumber, EstimateData) VALUES (1, 'soon')"));
        db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES ('Q-7')"));
        RecordSet rs;
        QVERIFY(rs.open(db.connection(), QStringLiteral("EstimateTBL")));
        QCOMPARE(rs.value(QStringLiteral("EstimateData")).toString(), QStringLiteral("soon"));
        QVERIFY(rs.moveNext());
        QCOMPARE(rs.value(QStringLiteral("QuoteNumber")).toString(), QStringLiteral("Q-7"));
    }

    void modelFollowsTheRowsAndWritesCells() {
        Categories set({"A", "B"});
        auto& [db, rs] = set;
        RecordSetModel model;
        model.setRecordSet(&rs);
        model.setAllowUpdate(true);
        QCOMPARE(model.rowCount(), 2);

        model.setBeforeColumnUpdate([](int, int, const QVariant&, QVariant& v) {
            if (v.toString().isEmpty())
                return false;
            v = v.toString().trimmed();
            return true;
        });
        int after = -1;
        model.setAfterColumnUpdate([&](int row, int) { after = row; });
        QVERIFY(!model.setData(model.index(1, 1), QString()));
        QVERIFY(model.setData(model.index(1, 1), QStringLiteral("  Fittings ")));
        QCOMPARE(after, 1);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("Fittings"));
        QCOMPARE(stored(db, "SELECT Catagory FROM CatagoryTBL WHERE CatagoryID = 2"), "Fittings");

        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        auto cursor = rs.clone();
        QVERIFY(cursor->addNew());
        QVERIFY(cursor->setValue(1, QStringLiteral("C")));
        QVERIFY(cursor->update());
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(2, 1)).toString(), QStringLiteral("C"));
        QVERIFY(cursor->moveFirst());
        QVERIFY(cursor->deleteCurrent());
        QCOMPARE(removed.size(), 1);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("Fittings"));

        // A set that goes away leaves the model empty.
        auto transient = std::make_unique<RecordSet>();
        QVERIFY(transient->open(db.connection(), QStringLiteral("CatagoryTBL")));
        model.setRecordSet(transient.get());
        QCOMPARE(model.rowCount(), 2);
        transient.reset();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 0);
    }

    void modelNewRowLineAddsRecords() {
        Categories set({"A", "B"});
        auto& [db, rs] = set;
        RecordSetModel model;
        model.setRecordSet(&rs);
        model.setAllowAddNew(true);
        QCOMPARE(model.rowCount(), 2); // the line needs updates allowed too
        model.setAllowUpdate(true);
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(model.isNewRow(2));
        QCOMPARE(model.headerData(2, Qt::Vertical).toString(), QStringLiteral("*"));

        QList<int> hookRows;
        model.setBeforeColumnUpdate([&](int row, int, const QVariant& old, QVariant&) {
            hookRows << (model.isNewRow(row) && !old.isValid() ? row : -1);
            return true;
        });
        QVERIFY(!model.setData(model.index(2, 1), QStringLiteral("  "))); // blanks add nothing
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QVERIFY(model.setData(model.index(2, 1), QStringLiteral("C")));
        QCOMPARE(hookRows, QList<int>{2});
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 2); // in front of the line, which stays last
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.value(2, 0).toInt(), 3); // the key the database gave
        QVERIFY(model.isNewRow(3));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).toInt(), 3);

        // Held, the line shows what is typed and is written by submit() alone; revert() drops it.
        model.setHoldNewLine(true);
        QVERIFY(model.setData(model.index(3, 1), QStringLiteral("D")));
        QCOMPARE(model.data(model.index(3, 1)).toString(), QStringLiteral("D"));
        QVERIFY(model.newLineStarted());
        model.revert();
        QVERIFY(!model.data(model.index(3, 1)).isValid());
        QVERIFY(model.setData(model.index(3, 1), QStringLiteral("E")));
        QCOMPARE(inserted.size(), 1);
        QVERIFY(model.submit());
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(model.value(3, 1).toString(), QStringLiteral("E"));
        QVERIFY(model.isNewRow(4) && !model.newLineStarted());
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CatagoryTBL")).toInt(), 4);
    }

    void dataControlRebindsOnRefresh() {
        TestDatabase db;
        addCategories(db, {QStringLiteral("A")});
        DataControl dc;
        dc.setConnectionString(db.connectionString());
        dc.setRecordSource(QStringLiteral("SELECT * FROM CatagoryTBL WHERE Catagory <> ?"),
                           {QStringLiteral("B")});
        QSignalSpy changed(&dc, &DataControl::recordSetChanged);
        QSignalSpy moved(&dc, &DataControl::moveComplete);
        QVERIFY(dc.refresh());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(dc.recordSet()->recordCount(), 1);
        addCategories(db, {QStringLiteral("C")});
        QVERIFY(dc.refresh());
        QCOMPARE(dc.recordSet()->recordCount(), 2);
        dc.setRecordSource(QStringLiteral("SELECT * FROM Missing"));
        QVERIFY(!dc.refresh());
        QVERIFY(dc.lastError().isSet());
        QCOMPARE(dc.recordSet()->state(), 0);
    }
};

QTEST_MAIN(TestRecordSet)
#include "tst_recordset.moc"
