// Null-safe field reading, the required-fields test, grid row selection, the column check and
// the report of refused writes.
#include "data/connection.h"
#include "data/formats.h"
#include "data/money.h"
#include "data/recordset.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

class TestRecordHelpers : public QObject {
    Q_OBJECT
private slots:
    void nullFieldsGiveTheirTypesEmptyValue();
    void requiredFieldsTest();
    void selectsGridRowsByValueAndNumber();
    void checksValuesAgainstTheColumnType_data();
    void checksValuesAgainstTheColumnType();
    void reportsRefusedWritesInTheScreensWords();
};

void TestRecordHelpers::nullFieldsGiveTheirTypesEmptyValue() {
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO MaterialsTBL (PartNumber) VALUES (NULL)"));
    RecordSet rs;
    QVERIFY2(
        rs.open(db.connection(), QStringLiteral("SELECT MaterialsID, UnitCost, PartNumber, "
                                                "UpdatedLast, NULL AS Blank FROM MaterialsTBL")),
        qPrintable(rs.lastError().text()));
    // A null amount is still an amount, so callers add it up without converting.
    const QVariant cost = GetFieldValue(rs, QStringLiteral("UnitCost"));
    QCOMPARE(cost.typeId(), qMetaTypeId<Money>());
    QCOMPARE(cost.value<Money>(), Money());
    const QVariant text = GetFieldValue(rs, QStringLiteral("PartNumber"));
    QCOMPARE(text.typeId(), int(QMetaType::QString));
    QVERIFY(text.toString().isEmpty());
    QCOMPARE(GetFieldValue(rs, QStringLiteral("UpdatedLast")).toDateTime(),
             QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    QVERIFY(GetFieldValue(rs, QStringLiteral("Blank")).isNull());
    QCOMPARE(GetFieldValue(rs, QStringLiteral("UnitCost"), QVariant(7)).toInt(), 7);
    QCOMPARE(GetFieldValue(rs, 0).toInt(), 1);

    ScriptedMessages messages;
    QVERIFY(!GetFieldValue(rs, QStringLiteral("NoSuchField")).isValid());
    QCOMPARE(messages.titles(), QStringList{QStringLiteral("modMain / GetFieldValue")});
    QCOMPARE(messages.shown().first().icon, QMessageBox::Critical);
}

void TestRecordHelpers::requiredFieldsTest() {
    QWidget window;
    auto* part = new QLineEdit(&window);
    part->setObjectName(QStringLiteral("txtPartNumber"));
    auto* supplier = new QComboBox(&window);
    supplier->setObjectName(QStringLiteral("cbSupplier"));
    supplier->setEditable(true);
    const QStringList names = {QStringLiteral("cbSupplier"), QStringLiteral("txtPartNumber"),
                               QStringLiteral("missingControl")};
    QCOMPARE(IsValidate(true, names, 0, &window), true);
    QCOMPARE(IsValidate(false, names, 0, &window), false);
    QCOMPARE(IsValidate(true, names, 3, &window), false);
    supplier->setEditText(QStringLiteral("Acme"));
    QCOMPARE(IsValidate(true, names, 1, &window), true);
    QCOMPARE(IsValidate(true, names, 2, &window), false);
    part->setText(QStringLiteral("P-1"));
    QCOMPARE(IsValidate(true, names, 3, &window), true); // the missing control is passed over
}

void TestRecordHelpers::selectsGridRowsByValueAndNumber() {
    TestDatabase db;
    for (int i = 1; i <= 200; ++i)
        db.exec(QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES (?)"),
                {QStringLiteral("Cat %1").arg(i)});
    db.exec(QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES (?)"),
            {QStringLiteral("O'Neil")});
    RecordSet rs;
    QVERIFY(rs.open(db.connection(), QStringLiteral("CatagoryTBL")));
    RecordSetModel model;
    model.setRecordSet(&rs);
    QTableView grid;
    grid.resize(300, 200);
    grid.setModel(&model);
    grid.show();

    SelectGridRowByValue(&grid, nullptr, 150);
    QCOMPARE(grid.currentIndex().row(), 149);
    QCOMPARE(rs.absolutePosition(), 1); // the record set itself did not move
    // Selecting a visible row does not scroll.
    const int firstVisible = grid.rowAt(0);
    SelectGridRowByRowNum(&grid, nullptr, 149);
    QCOMPARE(grid.rowAt(0), firstVisible);
    QCOMPARE(grid.currentIndex().row(), 148);
    // Rows outside the grid and values of no row change nothing.
    SelectGridRowByRowNum(&grid, nullptr, 0);
    SelectGridRowByRowNum(&grid, nullptr, 202);
    SelectGridRowByValue(&grid, nullptr, 999);
    SelectGridRowByValue(&grid, nullptr, QVariant());
    QCOMPARE(grid.currentIndex().row(), 148);

    // A text value searches the first field as text; a quote in it is no harm.
    RecordSet names;
    QVERIFY(names.open(db.connection(),
                       QStringLiteral("SELECT Catagory, CatagoryID FROM CatagoryTBL")));
    model.setRecordSet(&names);
    SelectGridRowByValue(&grid, nullptr, QStringLiteral("O'Neil"));
    QCOMPARE(grid.currentIndex().row(), 200);
    SelectGridRowByRowNum(&grid, nullptr, 1);
    QCOMPARE(grid.rowAt(0), 0);
}

void TestRecordHelpers::checksValuesAgainstTheColumnType_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<QString>("displayName");
    QTest::newRow("shown amount") << "Shipping" << QVariant("$1,234.50") << true << "Numeric"
                                  << "Shipping";
    QTest::newRow("letters as amount") << "Shipping" << QVariant("abc") << false << "Numeric"
                                       << "Shipping";
    QTest::newRow("rate") << "TaxRate" << QVariant(0.0825) << true << "Numeric"
                          << "Tax Rate";
    QTest::newRow("date") << "EstimateData" << QVariant("12/6/2026") << true << "Date/Time"
                          << "Date";
    QTest::newRow("not a date") << "EstimateData" << QVariant("someday") << false << "Date/Time"
                                << "Date";
    QTest::newRow("no description") << "EstimatorID" << QVariant("3") << true << "Numeric"
                                    << "EstimatorID";
    QTest::newRow("unknown column") << "Nope" << QVariant("3") << false << ""
                                    << "Nope";
}

void TestRecordHelpers::checksValuesAgainstTheColumnType() {
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(bool, valid);
    QFETCH(QString, typeName);
    QFETCH(QString, displayName);
    TestDatabase db;
    QString type;
    QString display;
    QCOMPARE(ValidateFieldValue(QStringLiteral("EstimateTBL"), column, value, type, display,
                                db.connection()),
             valid);
    QCOMPARE(type, typeName);
    QCOMPARE(display, displayName);
}

void TestRecordHelpers::reportsRefusedWritesInTheScreensWords() {
    TestDatabase db;
    db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (1)"));
    db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID) VALUES (1)"));
    Connection& c = db.connection();
    ScriptedMessages messages;
    QVERIFY(!c.execute(QStringLiteral("DELETE FROM EstimateTBL")));
    ShowDatabaseError(&c, c.lastError(), QStringLiteral("frmMain / cmdEstimateDelete_Click"));
    QVERIFY(!c.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (1)")));
    ShowDatabaseError(&c, c.lastError(),
                      QStringLiteral("frmMain / cmdEstimateSaveCurrentRecord_Click"));
    c.clearErrors();
    ShowDatabaseError(&c, DbError{13, QStringLiteral("Type mismatch")}, QStringLiteral("t"));
    QCOMPARE(messages.texts().at(0),
             QStringLiteral("There are records in the other tables linked with current record"));
    QCOMPARE(messages.titles().at(0), QStringLiteral("tst_recordhelpers"));
    // A reference number used twice carries the database's number for a duplicate.
    QVERIFY(messages.texts().at(1).startsWith(QStringLiteral("3022: ")));
    QCOMPARE(messages.titles().at(1),
             QStringLiteral("frmMain / cmdEstimateSaveCurrentRecord_Click"));
    QCOMPARE(messages.texts().at(2), QStringLiteral("13: Type mismatch"));
}

QTEST_MAIN(TestRecordHelpers)
#include "tst_recordhelpers.moc"
