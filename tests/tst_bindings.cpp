// Text boxes and combo boxes bound to a data control's current record.
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/money.h"
#include "data/recordset.h"
#include "support/testdatabase.h"
#include "widgets/bindings.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QTest>

class TestBindings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void textBoxShowsAndEditsTheRecord();
    void comboStandsForTheBoundColumn();
    void reloadDropsTypedText();
    void dropDownListIsAsWideAsItsLongestEntry();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void TestBindings::init() {
    m_db = std::make_unique<TestDatabase>();
    for (const char* name : {"Acme Supply", "Brightline", "Coastal"})
        m_db->exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"),
                   {QString::fromLatin1(name)});
    m_db->exec(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber, UnitCost, "
                              "ManufacturerDescription) VALUES (2, 'P-1', 12.5, 'Pipe')"));
    m_db->exec(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber, UnitCost, "
                              "ManufacturerDescription) VALUES (3, 'P-2', 1234.5, 'Valve')"));
}

void TestBindings::textBoxShowsAndEditsTheRecord() {
    DataControl dc;
    dc.setConnectionString(m_db->connectionString());
    dc.setRecordSource(QStringLiteral("MaterialsTBL"));
    QLineEdit cost;
    TextBinding binding(&cost, &dc, QStringLiteral("UnitCost"), DisplayFormat::Money);
    QVERIFY(dc.refresh());
    QCOMPARE(cost.text(), QStringLiteral("$12.50"));

    QTest::keyClicks(&cost, QStringLiteral("x")); // "$12.50x" is no amount
    QVERIFY(binding.hasInvalidText());
    QCOMPARE(dc.recordSet()->editMode(), RecordSet::EditNone);
    cost.selectAll();
    QTest::keyClicks(&cost, QStringLiteral("$13.00"));
    QVERIFY(!binding.hasInvalidText());
    QCOMPARE(dc.recordSet()->value(QStringLiteral("UnitCost")).value<Money>(),
             Money::fromCents(1300));
    // Undo shows the stored value again.
    QVERIFY(dc.recordSet()->cancelUpdate());
    QCOMPARE(cost.text(), QStringLiteral("$12.50"));
    // A typed value is written with the record, and a move shows the next record.
    cost.selectAll();
    QTest::keyClicks(&cost, QStringLiteral("14"));
    QVERIFY(dc.recordSet()->moveNext());
    QCOMPARE(cost.text(), QStringLiteral("$1,234.50"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT UnitCost FROM MaterialsTBL WHERE MaterialsID = 1"))
                 .toDouble(),
             14.0);
}

void TestBindings::comboStandsForTheBoundColumn() {
    DataControl suppliers;
    suppliers.setConnectionString(m_db->connectionString());
    suppliers.setRecordSource(QStringLiteral("SELECT SuppliersID, Company FROM SuppliersTBL "
                                             "ORDER BY Company"));
    suppliers.setReadOnly(true);
    QVERIFY(suppliers.refresh());
    DataControl materials;
    materials.setConnectionString(m_db->connectionString());
    materials.setRecordSource(QStringLiteral("MaterialsTBL"));
    QVERIFY(materials.refresh());

    QComboBox box;
    box.setEditable(true);
    ComboBinding combo(&box, &suppliers, QStringLiteral("Company"), QStringLiteral("SuppliersID"));
    QCOMPARE(box.count(), 3);
    QVERIFY(combo.boundText().isEmpty());
    combo.setDataSource(&materials, QStringLiteral("SuppliersID"));
    QCOMPARE(combo.text(), QStringLiteral("Brightline"));
    QCOMPARE(combo.boundText(), QStringLiteral("2"));
    QVERIFY(combo.matchedWithList());

    // Choosing another row stores its key into the record.
    QSignalSpy changed(&combo, &ComboBinding::changed);
    box.setCurrentIndex(2);
    QCOMPARE(combo.boundText(), QStringLiteral("3"));
    QCOMPARE(materials.recordSet()->value(QStringLiteral("SuppliersID")).toInt(), 3);
    QVERIFY(changed.size() >= 1);
    QVERIFY(materials.recordSet()->cancelUpdate());
    QCOMPARE(combo.text(), QStringLiteral("Brightline"));

    // Typed text that matches no row stands for itself; text that matches, for its row.
    box.setEditText(QStringLiteral("Pipes"));
    QVERIFY(!combo.matchedWithList());
    QCOMPARE(combo.boundText(), QStringLiteral("Pipes"));
    box.setEditText(QStringLiteral("acme supply"));
    QVERIFY(combo.matchedWithList());
    QCOMPARE(combo.boundText(), QStringLiteral("1"));
    combo.setBoundText(QString());
    QVERIFY(combo.text().isEmpty());

    // A refreshed list keeps the choice.
    combo.setBoundText(QStringLiteral("3"));
    m_db->exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Aardvark')"));
    QVERIFY(suppliers.refresh());
    QCOMPARE(box.count(), 4);
    QCOMPARE(combo.text(), QStringLiteral("Coastal"));
}

void TestBindings::reloadDropsTypedText() {
    DataControl suppliers;
    suppliers.setConnectionString(m_db->connectionString());
    suppliers.setRecordSource(QStringLiteral("SELECT SuppliersID, Company FROM SuppliersTBL"));
    suppliers.setReadOnly(true);
    QVERIFY(suppliers.refresh());
    DataControl materials;
    materials.setConnectionString(m_db->connectionString());
    materials.setRecordSource(QStringLiteral("MaterialsTBL"));
    QVERIFY(materials.refresh());
    QComboBox box;
    box.setEditable(true);
    ComboBinding combo(&box, &suppliers, QStringLiteral("Company"), QStringLiteral("SuppliersID"));
    combo.setDataSource(&materials, QStringLiteral("SuppliersID"));
    // Typed over the chosen row, text on no list and the start of another name both go.
    for (const QString& typed : {QStringLiteral("Pipes"), QStringLiteral("Coa")}) {
        box.lineEdit()->selectAll();
        QTest::keyClicks(box.lineEdit(), typed);
        QVERIFY(box.currentText().startsWith(typed));
        combo.reload();
        QCOMPARE(box.currentText(), QStringLiteral("Brightline"));
        QCOMPARE(combo.boundText(), QStringLiteral("2"));
    }
    QCOMPARE(materials.recordSet()->editMode(), RecordSet::EditNone);
}

void TestBindings::dropDownListIsAsWideAsItsLongestEntry() {
    const QString longest = QStringLiteral("Consolidated Northwestern Plumbing and Heating Supply");
    m_db->exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"), {longest});
    DataControl suppliers;
    suppliers.setConnectionString(m_db->connectionString());
    suppliers.setRecordSource(QStringLiteral("SELECT SuppliersID, Company FROM SuppliersTBL"));
    suppliers.setReadOnly(true);
    QVERIFY(suppliers.refresh());
    QWidget window;
    window.resize(400, 300);
    auto* box = new QComboBox(&window);
    box->setGeometry(10, 10, 120, 24);
    box->setEditable(true);
    ComboBinding combo(box, &suppliers, QStringLiteral("Company"), QStringLiteral("SuppliersID"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto needed = [box](const QString& text) {
        return box->view()->fontMetrics().horizontalAdvance(text);
    };
    const auto openList = [box] {
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = true;
        QTest::mouseClick(
            box, Qt::LeftButton, {},
            box->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box)
                .center());
        QTRY_VERIFY(box->view()->isVisible());
    };
    const auto showsWhole = [box, needed](const QString& name) {
        const int width = qMin(needed(name), box->screen()->availableGeometry().width());
        return box->view()->viewport()->width() >= width;
    };
    // Opened by a click on its arrow, the list shows every name whole.
    openList();
    QVERIFY2(
        showsWhole(longest),
        qPrintable(
            QStringLiteral("%1 < %2").arg(box->view()->viewport()->width()).arg(needed(longest))));
    box->hidePopup();
    // A longer name read later widens it again the next time it opens; never beyond the screen.
    const QString longer = longest + QStringLiteral(" of the Greater Metropolitan Area");
    m_db->exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"), {longer});
    QVERIFY(suppliers.refresh());
    QCOMPARE(box->count(), 5);
    openList();
    QVERIFY(showsWhole(longer));
    QVERIFY(box->view()->minimumWidth() <= box->screen()->availableGeometry().width());
    box->hidePopup();
}

QTEST_MAIN(TestBindings)
#include "tst_bindings.moc"
