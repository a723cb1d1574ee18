// The Estimate screen through its widgets: the reference-number rule, the header's field checks
// and Save's messages, the record bar, leaving the tab, the read-only line grids and the totals
// panel, and the removal of estimates stored without a reference number.
#include "data/globals.h"
#include "estimates/homeframe.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {

QString product() {
    return QCoreApplication::applicationName();
}

// Two estimates: 1001 with two material lines ($100.00 of materials costing $80.00) and one
// labor line ($50.00), taxed 8.25% with $10.00 shipping; 1002 with one labor line only.
struct Estimates : Program {
    Estimates() {
        db.exec("INSERT INTO Estimators (EstimatorID, Estimator) VALUES (1, 'Ann Lee'), "
                "(2, 'Bo Diaz')");
        const QString estimate =
            QStringLiteral("INSERT INTO EstimateTBL (EstimateID, QuoteNumber, EstimateData, "
                           "TaxRate, Shipping, EstimatorID, EstimateStatus) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?)");
        db.exec(estimate, {1, 1001, "2024-03-05", 0.0825, 10.0, 1, 1});
        db.exec(estimate, {2, 1002, "2024-03-06", 0.05, 4.5, 2, 2});
        const QString material = QStringLiteral(
            "INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, PartNumber, "
            "ManufacturerDescription, UnitCost, TotalCost, Price, Extension, Margin) VALUES "
            "(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        db.exec(material, {1, 2, "P-1", "Elbow 1/2\"", 12.5, 25.0, 15.0, 30.0, 0.2});
        db.exec(material, {1, 1, "P-2", "Gate valve", 55.0, 55.0, 70.0, 70.0, 0.2727});
        const QString labor = QStringLiteral(
            "INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, LaborRate, "
            "LaborExtension) VALUES (?, ?, ?, ?, ?)");
        db.exec(labor, {1, 2, "Fitting", 25.0, 50.0});
        db.exec(labor, {2, 1, "Survey", 40.0, 40.0});
    }
    QVariant stored(const QString& column, int estimateId) {
        return db.scalar(
            QStringLiteral("SELECT %1 FROM EstimateTBL WHERE EstimateID = ?").arg(column),
            {estimateId});
    }
};

// The panel's eight boxes, top to bottom of the meaning table.
QStringList panel(const EstimateFrame* e) {
    return {e->txtTotalMaterialCost->text(),
            e->txtTotalMaterailExtension->text(),
            e->txtTotalMaterialMargin->text(),
            e->txtTotalLabourExtension->text(),
            e->txtSubtotal->text(),
            e->txtTax->text(),
            e->txtShippning->text(),
            e->txtTotalEstimate->text()};
}

const QStringList kFirstEstimate = {"$80.00",  "$100.00", "$20.00", "$50.00",
                                    "$150.00", "$8.25",   "$10.00", "$168.25"};

} // namespace

class TestEstimate : public QObject {
    Q_OBJECT
private slots:
    void lineEntryFollowsTheReferenceNumber();
    void anEmptyDatabaseGetsItsFirstEstimate();
    void aSaveWithoutReferenceNumberKeepsTheValues();
    void aDuplicateReferenceNumberIsNamed();
    void anyOtherRefusalNamesItsNumber();
    void anotherWindowsChangeIsNeverOverwrittenUnseen();
    void closingAsksAboutUnsavedChanges();
    void shippingAndTaxRateChecks_data();
    void shippingAndTaxRateChecks();
    void taxRateWithOrWithoutPercentSign_data();
    void taxRateWithOrWithoutPercentSign();
    void anEstimatorNotOnTheList();
    void unnumberedEstimatesGoAtTheNextStart();
    void totalsFromEachProcedure();
    void anEstimateWithoutLinesShowsZeroSums();
    void theRecordBarWritesPendingChanges();
    void leavingTheTab();
    void lineGridsShowTheEstimatesLines();
};

void TestEstimate::lineEntryFollowsTheReferenceNumber() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    for (const auto& [label, text] : {std::pair{"lblQuoteNumber", "Reference #:"},
                                      {"lblEstimator", "Estimator:"},
                                      {"lblQuoteStatus", "Status:"},
                                      {"lblTaxRate", "Tax Rate:"},
                                      {"lblShippning", "Shipping Costs:"}})
        QCOMPARE(s.window.findChild<QLabel*>(label)->text(), QString::fromLatin1(text));
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1001"));
    QVERIFY(s.lineEntryEnabled());
    // The rule follows the typing, so Add Materials is there before the box is left.
    s.typeInto(s.e->txtQuoteNumber, QString());
    QVERIFY(s.lineEntryDisabled());
    s.leave(s.e->txtQuoteNumber);
    QVERIFY(s.lineEntryDisabled());
    // The disabled button says what it waits for.
    QCOMPARE(s.e->btnMaterialEstimate->toolTip(), QStringLiteral("Type a reference number first"));
    QCOMPARE(s.e->cmdUpdateCosts->toolTip(), QStringLiteral("Type a reference number first"));
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1003"));
    QVERIFY(s.lineEntryEnabled());
    QCOMPARE(s.e->btnMaterialEstimate->toolTip(), QStringLiteral("Add Material Items"));
    QVERIFY(messages.shown().isEmpty());
}

void TestEstimate::anEmptyDatabaseGetsItsFirstEstimate() {
    Program program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QVERIFY(s.lineEntryDisabled());
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$0.00"));
    // Home's New Estimate, with the Estimate tab still closed: the reference number has the
    // focus, so typing goes there.
    s.clickTab(0);
    QVERIFY(!s.window.tabMain->isTabEnabled(2));
    s.click(s.window.frMain->cmdEstimate);
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QTRY_COMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
    QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("0.00%"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$0.00"));
    QVERIFY(s.lineEntryDisabled());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    QVERIFY(s.lineEntryEnabled());
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    const int id =
        program.db.scalar("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 7").toInt();
    QVERIFY(id > 0);
    QCOMPARE(gCurrentEstimateID, id);
    QCOMPARE(s.currentId(), id);
}

void TestEstimate::aSaveWithoutReferenceNumberKeepsTheValues() {
    // A new estimate, and a stored one whose reference number was cleared.
    for (const bool stored : {false, true}) {
        Estimates program;
        QVERIFY(program.load());
        EstimateScreen s;
        ScriptedMessages messages;
        if (stored)
            s.typeInto(s.e->txtQuoteNumber, QString());
        else
            QVERIFY(s.window.estimateBook->addNew());
        s.typeInto(s.e->txtShippning, QStringLiteral("12.5"));
        s.typeInto(s.e->txtTaxRate, QStringLiteral("6"));
        // Each takes its format as it is left, before any save.
        QTRY_COMPARE(s.e->txtShippning->text(), QStringLiteral("$12.50"));
        s.leave(s.e->txtTaxRate);
        QTRY_COMPARE(s.e->txtTaxRate->text(), QStringLiteral("6.00%"));
        s.click(s.e->cmdEstimateSaveCurrentRecord);
        QCOMPARE(messages.texts(), QStringList{"Please fill fields above grids"});
        QCOMPARE(messages.titles(), QStringList{product()});
        QCOMPARE(messages.shown().first().icon, QMessageBox::Critical);
        QCOMPARE(s.window.statusBar()->currentMessage(), QString()); // refused: no "Saved"
        QCOMPARE(s.e->txtQuoteNumber->text(), QString());
        QVERIFY(s.e->txtShippning->text().contains(QLatin1String("12.5")));
        QVERIFY(s.e->txtTaxRate->text().startsWith(QLatin1String("6")));
        QCOMPARE(s.records()->value("TaxRate").toDouble(), 0.06);
        QCOMPARE(s.window.tabMain->currentIndex(), 2);
        QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 2);
        QCOMPARE(program.stored("QuoteNumber", 1).toInt(), 1001);
        // Given a reference number, the same values are written.
        messages.clear();
        s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1005"));
        s.click(s.e->cmdEstimateSaveCurrentRecord);
        QVERIFY(messages.shown().isEmpty());
        QCOMPARE(s.window.statusBar()->currentMessage(), QStringLiteral("Saved"));
        QCOMPARE(program.db.scalar("SELECT Shipping FROM EstimateTBL WHERE QuoteNumber = 1005")
                     .toDouble(),
                 12.5);
        QCOMPARE(program.db.scalar("SELECT TaxRate FROM EstimateTBL WHERE QuoteNumber = 1005")
                     .toDouble(),
                 0.06);
    }
}

void TestEstimate::aDuplicateReferenceNumberIsNamed() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1002"));
    s.typeInto(s.e->txtShippning, QStringLiteral("11"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY2(messages.texts().first().contains(QLatin1String("1002 is already used")),
             qPrintable(messages.texts().first()));
    QCOMPARE(messages.titles(), QStringList{product()});
    QTRY_COMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1002"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$11.00"));
    QCOMPARE(program.stored("QuoteNumber", 1).toInt(), 1001);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 10.0);
    // Starting another estimate writes this one first: refused, it is said once and nothing
    // moves.
    messages.clear();
    s.window.mnuFileNewEstimate->trigger();
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.texts().first().contains(QLatin1String("1002 is already used")));
    QCOMPARE(s.currentId(), 1);
    QVERIFY(!s.window.estimateBook->isNewEstimate());
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1002"));
    // Corrected, it is saved.
    messages.clear();
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1009"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.stored("QuoteNumber", 1).toInt(), 1009);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 11.0);
}

void TestEstimate::anyOtherRefusalNamesItsNumber() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    program.db.exec("CREATE TRIGGER Frozen BEFORE UPDATE ON EstimateTBL BEGIN "
                    "SELECT RAISE(ABORT, 'the estimates are frozen'); END");
    s.typeInto(s.e->txtShippning, QStringLiteral("15"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.titles(), QStringList{"frmMain / cmdEstimateSaveCurrentRecord_Click"});
    QCOMPARE(messages.texts(), QStringList{"-2147467259: the estimates are frozen"});
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$15.00"));
    program.db.exec("DROP TRIGGER Frozen");
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 15.0);
}

void TestEstimate::anotherWindowsChangeIsNeverOverwrittenUnseen() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    // Another window raises the tax of the estimate on screen.
    program.db.exec("UPDATE EstimateTBL SET TaxRate = 0.2 WHERE EstimateID = 1");
    s.typeInto(s.e->txtShippning, QStringLiteral("15"));
    messages.answerNext(QMessageBox::No); // Keep Mine
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.texts().first().startsWith(
        "The record was changed by someone else since you opened it."));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$15.00"));
    QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("20.00%"));
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 10.0);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 15.0);
    QCOMPARE(program.stored("TaxRate", 1).toDouble(), 0.2);

    // Reload shows what the other window stored, and what was typed goes.
    program.db.exec("UPDATE EstimateTBL SET Shipping = 30 WHERE EstimateID = 1");
    s.typeInto(s.e->txtShippning, QStringLiteral("16"));
    messages.answerNext(QMessageBox::Yes); // Reload
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 2);
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$30.00"));
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 30.0);
    QCOMPARE(s.window.estimateBook->records()->editMode(), RecordSet::EditNone);
}

void TestEstimate::closingAsksAboutUnsavedChanges() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    s.typeInto(s.e->txtShippning, QStringLiteral("21"));
    messages.answerNext(QMessageBox::Cancel);
    QVERIFY(!s.window.close());
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().buttons,
             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 10.0);
    messages.answerNext(QMessageBox::Yes);
    QVERIFY(s.window.close());
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 21.0);
}

void TestEstimate::shippingAndTaxRateChecks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString shipping =
        "Shipping has a wrong value.\nPlease provide a value of Numeric type for this field.";
    const QString taxRate =
        "Tax Rate has a wrong value.\nPlease provide a value of Numeric type for this field.";
    QTest::newRow("reference abc")
        << "txtQuoteNumber"
        << "abc"
        << "Reference # has a wrong value.\nPlease provide a value of Numeric type for this "
           "field.";
    QTest::newRow("shipping abc") << "txtShippning"
                                  << "abc" << shipping;
    // A number beyond the amounts kept is named by its range.
    const QString range =
        QStringLiteral("Shipping must lie between -$999,999,999.9999 and $999,999,999.9999");
    QTest::newRow("shipping a billion") << "txtShippning"
                                        << "1,000,000,000" << range;
    QTest::newRow("shipping twenty nines")
        << "txtShippning" << QString(20, QLatin1Char('9')) << range;
    QTest::newRow("tax abc") << "txtTaxRate"
                             << "abc" << taxRate;
    QTest::newRow("tax -1") << "txtTaxRate"
                            << "-1" << taxRate;
    QTest::newRow("tax 101") << "txtTaxRate"
                             << "101" << taxRate;
    QTest::newRow("tax 100.5%") << "txtTaxRate"
                                << "100.5%" << taxRate;
}

void TestEstimate::shippingAndTaxRateChecks() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    auto* box = s.window.findChild<QLineEdit*>(field);
    QVERIFY(box);
    s.typeInto(box, text);
    s.leave(box);
    QCOMPARE(messages.texts(), QStringList{message});
    QCOMPARE(messages.titles(), QStringList{product()});
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->text(), text);
    // Nor can it be saved, or taken away by the record bar.
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.currentId(), 1);
    QCOMPARE(box->text(), text);
    QCOMPARE(program.stored("TaxRate", 1).toDouble(), 0.0825);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 10.0);
    // Corrected, the field can be left.
    messages.clear();
    s.typeInto(box, QStringLiteral("5"));
    s.leave(box);
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(QApplication::focusWidget() != box);
}

void TestEstimate::taxRateWithOrWithoutPercentSign_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("8.25") << "8.25";
    QTest::newRow("8.25%") << "8.25%";
}

void TestEstimate::taxRateWithOrWithoutPercentSign() {
    QFETCH(QString, text);
    Estimates program;
    program.db.exec("UPDATE EstimateTBL SET TaxRate = 0");
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    s.typeInto(s.e->txtTaxRate, text);
    // The panel follows the typed rate, whichever procedure computes it.
    QCOMPARE(s.e->txtTax->text(), QStringLiteral("$8.25"));
    s.e->totals->UpdateMaterialExtension(s.e->lines->materialLines());
    QCOMPARE(s.e->txtTax->text(), QStringLiteral("$8.25"));
    s.leave(s.e->txtTaxRate);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.stored("TaxRate", 1).toDouble(), 0.0825);
    QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("8.25%"));
}

void TestEstimate::anEstimatorNotOnTheList() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    QComboBox* box = s.e->cbEstimator;
    QCOMPARE(box->currentText(), QStringLiteral("Ann Lee"));
    QCOMPARE(s.e->cbQuoteStatus->currentText(), QStringLiteral("Draft"));
    {
        ScriptedMessages messages;
        messages.answerNext(QMessageBox::No);
        s.typeInto(box, QStringLiteral("Cy Ng"));
        s.leave(box);
        QCOMPARE(messages.texts(),
                 QStringList{"Cy Ng is not a valid selection.  Do you want to add it to the list "
                             "of Estimators?"});
        QCOMPARE(messages.titles(), QStringList{"Estimator Not On List"});
        QCOMPARE(messages.shown().first().buttons, QMessageBox::Yes | QMessageBox::No);
        QTRY_COMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->currentText(), QStringLiteral("Cy Ng"));
    }
    // Enter answers Yes, and Enter in the editor stores the name waiting there: the box holds it
    // and the focus is on the next field.
    s.typeInto(box, QStringLiteral("Di Fox"));
    pressOnEachModal({Qt::Key_Return, Qt::Key_Return});
    s.leave(box);
    QTRY_COMPARE(QApplication::focusWidget(), s.e->cbQuoteStatus);
    QCOMPARE(box->currentText(), QStringLiteral("Di Fox"));
    ScriptedMessages messages;
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.stored("EstimatorID", 1),
             program.db.scalar("SELECT EstimatorID FROM Estimators WHERE Estimator = 'Di Fox'"));
}

void TestEstimate::unnumberedEstimatesGoAtTheNextStart() {
    Estimates program;
    QVERIFY(program.load());
    auto first = std::make_unique<EstimateScreen>();
    // Left behind without a reference number (an older version, a crash), with lines.
    program.db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber) VALUES (3, NULL)");
    program.db.exec("INSERT INTO MaterialEstimateTBL (EstimateID, PartNumber) VALUES (3, 'X')");
    program.db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours) VALUES (3, 1)");
    first.reset();
    EstimateScreen second;
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 2);
    QCOMPARE(
        program.db.scalar("SELECT COUNT(*) FROM MaterialEstimateTBL WHERE EstimateID = 3").toInt(),
        0);
    QCOMPARE(
        program.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL WHERE EstimateID = 3").toInt(), 0);
    // The numbered estimates keep theirs.
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM MaterialEstimateTBL").toInt(), 2);
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL").toInt(), 2);
    QCOMPARE(second.records()->recordCount(), 2);
}

void TestEstimate::totalsFromEachProcedure() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    EstimateTotalsPanel* totals = s.e->totals;
    // Opening the estimate fills the panel from its sums.
    QCOMPARE(panel(s.e), kFirstEstimate);

    const auto blank = [&](const QList<QLineEdit*>& boxes) {
        for (QLineEdit* box : boxes)
            box->setText(QStringLiteral("$0.00"));
    };
    blank({s.e->txtTotalMaterialCost, s.e->txtTotalMaterailExtension, s.e->txtTotalMaterialMargin,
           s.e->txtTotalLabourExtension, s.e->txtSubtotal, s.e->txtTax, s.e->txtTotalEstimate});
    totals->UpdEstimateTotals(gCurrentEstimateID, s.records());
    QCOMPARE(panel(s.e), kFirstEstimate);

    blank({s.e->txtTotalMaterialCost, s.e->txtTotalMaterailExtension, s.e->txtTotalMaterialMargin,
           s.e->txtSubtotal, s.e->txtTax, s.e->txtTotalEstimate});
    totals->UpdateMaterialExtension(s.e->lines->materialLines());
    QCOMPARE(panel(s.e), kFirstEstimate);

    blank({s.e->txtTotalLabourExtension, s.e->txtSubtotal, s.e->txtTotalEstimate});
    totals->UpdateLaborExtension(s.e->lines->laborLines());
    QCOMPARE(panel(s.e), kFirstEstimate);

    // Editing the tax rate or the shipping re-reads the sums with the edited value.
    s.typeInto(s.e->txtTaxRate, QStringLiteral("10"));
    QCOMPARE(s.e->txtTax->text(), QStringLiteral("$10.00"));
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$170.00"));
    s.typeInto(s.e->txtShippning, QStringLiteral("1,010"));
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$1,170.00"));
    // An emptied tax rate is no tax.
    s.typeInto(s.e->txtTaxRate, QString());
    totals->UpdateMaterialExtension(s.e->lines->materialLines());
    QCOMPARE(s.e->txtTax->text(), QStringLiteral("$0.00"));
    QVERIFY(messages.shown().isEmpty());
}

void TestEstimate::anEstimateWithoutLinesShowsZeroSums() {
    Estimates program;
    program.db.exec("DELETE FROM LaborEstimateTBL WHERE EstimateID = 2");
    QVERIFY(program.load());
    EstimateScreen s;
    QCOMPARE(panel(s.e), kFirstEstimate);
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.currentId(), 2);
    QCOMPARE(gCurrentEstimateID, 2);
    QCOMPARE(panel(s.e),
             (QStringList{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$4.50", "$4.50"}));
    QCOMPARE(s.model(s.e->grdMaterialEstimate)->rowCount(), 0);
    QCOMPARE(s.model(s.e->grdLaborEstimate)->recordCount(), 0);
    // A new estimate has no sums row at all.
    s.click(s.recordBarButton(QStringLiteral("First record")));
    QCOMPARE(panel(s.e), kFirstEstimate);
    QVERIFY(s.window.estimateBook->addNew());
    QCOMPARE(gCurrentEstimateID, 0);
    QCOMPARE(panel(s.e),
             (QStringList{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$0.00"}));
    s.typeInto(s.e->txtShippning, QStringLiteral("3"));
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$3.00"));
}

void TestEstimate::theRecordBarWritesPendingChanges() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    s.typeInto(s.e->txtShippning, QStringLiteral("12"));
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.currentId(), 2);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 12.0);
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1002"));
    QCOMPARE(s.e->cbEstimator->currentText(), QStringLiteral("Bo Diaz"));
    QCOMPARE(s.e->cbQuoteStatus->currentText(), QStringLiteral("Sent"));
    QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("5.00%"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$4.50"));
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$44.50"));
    QVERIFY(messages.shown().isEmpty());

    // A write the database refuses keeps the user on the estimate with what was typed.
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1001"));
    s.click(s.recordBarButton(QStringLiteral("Previous record")));
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.texts().first().contains(QLatin1String("already used")));
    QCOMPARE(s.currentId(), 2);
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1001"));
    QCOMPARE(program.stored("QuoteNumber", 2).toInt(), 1002);
}

void TestEstimate::leavingTheTab() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    // With a reference number, the header is saved.
    s.typeInto(s.e->txtShippning, QStringLiteral("7.5"));
    s.clickTab(0);
    QCOMPARE(s.window.tabMain->currentIndex(), 0);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 7.5);
    QVERIFY(messages.shown().isEmpty());

    // Without one, it is not: the user stays unless the changes may go.
    s.window.mnuViewEstimateScr->trigger(); // Home's month lists none of them
    s.typeInto(s.e->txtQuoteNumber, QString());
    s.typeInto(s.e->txtShippning, QStringLiteral("9"));
    messages.answerNext(QMessageBox::No);
    s.clickTab(0);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QCOMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("9"));
    QCOMPARE(program.stored("QuoteNumber", 1).toInt(), 1001);

    messages.answerNext(QMessageBox::Yes);
    s.clickTab(0);
    QCOMPARE(s.window.tabMain->currentIndex(), 0);
    QCOMPARE(program.stored("QuoteNumber", 1).toInt(), 1001);
    QCOMPARE(program.stored("Shipping", 1).toDouble(), 7.5);
    s.window.mnuViewEstimateScr->trigger(); // Home's month lists none of them
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1001"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$7.50"));
    QVERIFY(s.lineEntryEnabled());
}

void TestEstimate::lineGridsShowTheEstimatesLines() {
    Estimates program;
    QVERIFY(program.load());
    EstimateScreen s;
    QTableView* materials = s.e->grdMaterialEstimate;
    QTableView* labor = s.e->grdLaborEstimate;
    const QStringList materialCaptions = {
        "MaterialEstimateID", "MaterialsID", "EstimateID", "Qty",        "Part #",  "Description",
        "Unit Cost",          "Total Cost",  "Price",      " Extension", "  Margin"};
    for (int column = 0; column < materialCaptions.size(); ++column)
        QCOMPARE(s.caption(materials, column), materialCaptions[column]);
    const QStringList laborCaptions = {"LaborEstimateID", "EstimateID", "Hours",
                                       "Description",     "Rate",       "Extension"};
    for (int column = 0; column < laborCaptions.size(); ++column)
        QCOMPARE(s.caption(labor, column), laborCaptions[column]);
    for (int column : {0, 1, 2})
        QVERIFY(materials->isColumnHidden(column));
    for (int column : {0, 1})
        QVERIFY(labor->isColumnHidden(column));

    QCOMPARE(s.model(materials)->rowCount(), 2);
    QCOMPARE(
        (QStringList{s.cell(materials, 0, 3), s.cell(materials, 0, 4), s.cell(materials, 0, 5),
                     s.cell(materials, 0, 6), s.cell(materials, 0, 7), s.cell(materials, 0, 8),
                     s.cell(materials, 0, 9), s.cell(materials, 0, 10)}),
        (QStringList{"2", "P-1", "Elbow 1/2\"", "$12.50", "$25.00", "$15.00", "$30.00", "20.0%"}));
    QCOMPARE(s.model(labor)->recordCount(), 1);
    QCOMPARE((QStringList{s.cell(labor, 0, 2), s.cell(labor, 0, 3), s.cell(labor, 0, 4),
                          s.cell(labor, 0, 5)}),
             (QStringList{"2", "Fitting", "$25.00", "$50.00"}));
    // The user edits the quantities, costs, margins and descriptions; the part number and the
    // computed amounts follow the line.
    for (int column = 3; column <= 10; ++column)
        QCOMPARE(bool(s.model(materials)->flags(s.model(materials)->index(0, column)) &
                      Qt::ItemIsEditable),
                 QList<int>({3, 5, 6, 10}).contains(column));
    for (int column = 2; column <= 5; ++column)
        QCOMPARE(bool(s.model(labor)->flags(s.model(labor)->index(0, column)) & Qt::ItemIsEditable),
                 QList<int>({2, 3, 4}).contains(column));
    // The columns fill the grid; the description takes what the others leave, and at the
    // smallest window every amount still shows whole.
    s.window.resize(800, 600);
    for (QTableView* grid : {materials, labor}) {
        int width = 0;
        for (int column = 0; column < s.model(grid)->columnCount(); ++column)
            if (!grid->isColumnHidden(column)) {
                QVERIFY(grid->columnWidth(column) >=
                        static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(column));
                width += grid->columnWidth(column);
            }
        QTRY_COMPARE(width, grid->viewport()->width());
    }
    QVERIFY(materials->columnWidth(5) > 2 * materials->columnWidth(6));
    QVERIFY(labor->columnWidth(3) > 4 * labor->columnWidth(4));

    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.model(materials)->rowCount(), 0);
    QCOMPARE(s.model(labor)->recordCount(), 1);
    QCOMPARE(s.cell(labor, 0, 3), QStringLiteral("Survey"));
}

QTEST_MAIN(TestEstimate)
#include "tst_estimate.moc"
