// The Estimate screen through its widgets: the reference-number rule, the header's field checks
// and Save's messages, the record bar, leaving the tab, the read-only line grids and the totals
// panel, and the removal of estimates stored without a reference number.
#include "data/globals.h"
#include "estimates/homeframe.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"
#include "widgets/leavecheck.h"

#include <QComboBox>
#include <QLabel>
#include <QStatusBar>

namespace {

QString product() {
    return QCoreApplication::applicationName();
}

// Two estimates: 1001 of 1 March 2024 (valid to 4 April, on Net 30) with two material lines
// ($100.00 of materials costing $80.00) and one labor line ($50.00), taxed 8.25% with $10.00
// shipping; 1002 with one labor line only.
struct Estimates : Program {
    Estimates() {
        db.exec("INSERT INTO Estimators (EstimatorID, Estimator) VALUES (1, 'Ann Lee'), "
                "(2, 'Bo Diaz')");
        db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber, EstimateData, TaxRate, "
                "Shipping, EstimatorID, EstimateStatus, ValidUntil, Terms) VALUES (1, 1001, "
                "'2024-03-01', 0.0825, 10, 1, 1, '2024-04-04', 'Net 30'), (2, 1002, '2024-03-06', "
                "0.05, 4.5, 2, 2, NULL, NULL)");
        const QString material = QStringLiteral(
            "INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, PartNumber, "
            "ManufacturerDescription, UnitCost, TotalCost, Price, Extension, Margin) VALUES "
            "(?, ?, ?, ?, ?, ?, ?, ?, ?)");
        db.exec(material, {1, 2, "P-1", "Elbow 1/2\"", 12.5, 25.0, 15.0, 30.0, 0.2});
        db.exec(material, {1, 1, "P-2", "Gate valve", 55.0, 55.0, 70.0, 70.0, 0.2727});
        db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, LaborRate, "
                "LaborExtension) VALUES (1, 2, 'Fitting', 25, 50), (2, 1, 'Survey', 40, 40)");
    }
};

const QStringList kFirstEstimate = {"$80.00",  "$100.00", "$20.00", "$50.00",
                                    "$150.00", "$8.25",   "$10.00", "$168.25"};

} // namespace

class TestEstimate : public QObject {
    Q_OBJECT
private slots:
    void anEmptyDatabaseGetsItsFirstEstimate();
    void aSaveWithoutReferenceNumberKeepsTheValues();
    void aDuplicateReferenceNumberIsNamedAndNothingMoves_data();
    void aDuplicateReferenceNumberIsNamedAndNothingMoves();
    void anyOtherRefusalNamesItsNumber();
    void anotherWindowsChangeIsNeverOverwrittenUnseen();
    void closingAsksAboutUnsavedChanges();
    void aRefusedHeaderFieldKeepsTheFocus_data();
    void aRefusedHeaderFieldKeepsTheFocus();
    void aTypedTaxRateIsTaxedAtOnce_data();
    void aTypedTaxRateIsTaxedAtOnce();
    void anEstimatorNotOnTheList();
    void unnumberedEstimatesGoAtTheNextStart();
    void theRecordBarWritesAndShowsEachEstimate();
    void leavingTheTabAndTheReferenceNumberRule();
    void lineGridsShowTheEstimatesLines();
};

void TestEstimate::anEmptyDatabaseGetsItsFirstEstimate() {
    EstimateTest<> s;
    // Home's New Estimate, with the Estimate tab still closed: the reference number has the
    // focus, so typing goes there.
    s.clickTab(0);
    HomeFrame* home = s.window.frMain;
    QVERIFY(!s.window.tabMain->isTabEnabled(2));
    s.click(home->cmdEstimate);
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QVERIFY(s.window.estimateBook->isNewEstimate());
    QTRY_COMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
    QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("0.00%"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$0.00"));
    QVERIFY(s.lineEntryDisabled());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    QVERIFY(s.lineEntryEnabled());
    // Leaving the Estimate tab stores it; Home lists it in this month, ready to edit.
    s.clickTab(0);
    QVERIFY(s.messages.shown().isEmpty());
    const int id = s.db.scalar("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 7").toInt();
    QVERIFY(id > 0);
    QCOMPARE(gCurrentEstimateID, id);
    QCOMPARE(s.currentId(), id);
    QCOMPARE(home->DGEstimatesAll->model()->index(0, 0).data(Qt::EditRole).toInt(), id);
    QVERIFY(home->cmdEditEstimate->isEnabled() && s.window.tabMain->isTabEnabled(2));
}

void TestEstimate::aSaveWithoutReferenceNumberKeepsTheValues() {
    // A new estimate, and a stored one whose reference number was cleared.
    for (const bool stored : {false, true}) {
        EstimateTest<Estimates> s;
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
        QCOMPARE(s.messages.texts(), QStringList{"Please fill fields above grids"});
        QCOMPARE(s.messages.titles(), QStringList{product()});
        QCOMPARE(s.messages.shown().first().icon, QMessageBox::Critical);
        QCOMPARE(s.window.statusBar()->currentMessage(), QString()); // refused: no "Saved"
        QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$12.50"));
        QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("6.00%"));
        QCOMPARE(rowsOf(s.db, "SELECT QuoteNumber FROM EstimateTBL"),
                 (QStringList{"1001", "1002"}));
        // Given a reference number, the same values are written.
        s.messages.clear();
        s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1005"));
        s.click(s.e->cmdEstimateSaveCurrentRecord);
        QVERIFY(s.messages.shown().isEmpty());
        QCOMPARE(s.window.statusBar()->currentMessage(), QStringLiteral("Saved"));
        QCOMPARE(rowsOf(s.db, "SELECT Shipping, TaxRate FROM EstimateTBL WHERE QuoteNumber = 1005"),
                 QStringList{"12.5|0.06"});
    }
}

void TestEstimate::aDuplicateReferenceNumberIsNamedAndNothingMoves_data() {
    QTest::addColumn<QString>("way"); // how the user would write the estimate
    for (const char* way : {"Save", "New Estimate", "Next record"})
        QTest::newRow(way) << QString::fromLatin1(way);
}

void TestEstimate::aDuplicateReferenceNumberIsNamedAndNothingMoves() {
    QFETCH(QString, way);
    EstimateTest<Estimates> s;
    const auto stored = [&] {
        return rowsOf(s.db, "SELECT QuoteNumber, Shipping FROM EstimateTBL WHERE EstimateID = 1");
    };
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1002"));
    s.typeInto(s.e->txtShippning, QStringLiteral("11"));
    if (way == QLatin1String("Save"))
        s.click(s.e->cmdEstimateSaveCurrentRecord);
    else if (way == QLatin1String("New Estimate"))
        s.window.mnuFileNewEstimate->trigger();
    else
        s.click(s.recordBarButton(way));
    QCOMPARE(s.messages.shown().size(), 1);
    QVERIFY2(s.messages.texts().first().contains(QLatin1String("1002 is already used")),
             qPrintable(s.messages.texts().first()));
    QCOMPARE(s.messages.titles(), QStringList{product()});
    QTRY_COMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
    QCOMPARE(s.currentId(), 1);
    QVERIFY(!s.window.estimateBook->isNewEstimate());
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1002"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$11.00"));
    QCOMPARE(stored(), QStringList{"1001|10"});
    // Corrected, it is saved.
    s.messages.clear();
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("1009"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(s.messages.shown().isEmpty());
    QCOMPARE(stored(), QStringList{"1009|11"});
}

void TestEstimate::anyOtherRefusalNamesItsNumber() {
    EstimateTest<Estimates> s;
    s.db.refuse("Frozen", "UPDATE", "EstimateTBL", "the estimates are frozen");
    s.typeInto(s.e->txtShippning, QStringLiteral("15"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.messages.titles(), QStringList{"frmMain / cmdEstimateSaveCurrentRecord_Click"});
    QCOMPARE(s.messages.texts(), QStringList{"-2147467259: the estimates are frozen"});
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$15.00"));
    s.db.allowAgain("Frozen", "EstimateTBL");
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.stored("Shipping").toDouble(), 15.0);
}

void TestEstimate::anotherWindowsChangeIsNeverOverwrittenUnseen() {
    EstimateTest<Estimates> s;
    // Another window raises the tax of the estimate on screen.
    s.db.exec("UPDATE EstimateTBL SET TaxRate = 0.2 WHERE EstimateID = 1");
    s.typeInto(s.e->txtShippning, QStringLiteral("15"));
    s.messages.answerNext(QMessageBox::No); // Keep Mine
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.messages.shown().size(), 1);
    QVERIFY(s.messages.texts().first().startsWith(
        "The record was changed by someone else since you opened it."));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$15.00"));
    QCOMPARE(s.e->txtTaxRate->text(), QStringLiteral("20.00%"));
    QCOMPARE(s.stored("Shipping").toDouble(), 10.0);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(rowsOf(s.db, "SELECT Shipping, TaxRate FROM EstimateTBL WHERE EstimateID = 1"),
             QStringList{"15|0.2"});

    // Reload shows what the other window stored, and what was typed goes.
    s.db.exec("UPDATE EstimateTBL SET Shipping = 30 WHERE EstimateID = 1");
    s.typeInto(s.e->txtShippning, QStringLiteral("16"));
    s.messages.answerNext(QMessageBox::Yes); // Reload
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.messages.shown().size(), 2);
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$30.00"));
    QCOMPARE(s.stored("Shipping").toDouble(), 30.0);
    QCOMPARE(s.records()->editMode(), RecordSet::EditNone);
}

void TestEstimate::closingAsksAboutUnsavedChanges() {
    EstimateTest<Estimates> s;
    s.typeInto(s.e->txtShippning, QStringLiteral("21"));
    s.messages.answerNext(QMessageBox::Cancel);
    QVERIFY(!s.window.close());
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(s.messages.shown().first().buttons,
             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(s.stored("Shipping").toDouble(), 10.0);
    s.messages.answerNext(QMessageBox::Yes);
    QVERIFY(s.window.close());
    QCOMPARE(s.stored("Shipping").toDouble(), 21.0);
}

void TestEstimate::aRefusedHeaderFieldKeepsTheFocus_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const auto refusal = [](const char* name, const char* field, const QString& text,
                            const QString& message) {
        QTest::newRow(name) << field << text << message;
    };
    const auto notNumeric = [](const char* field) {
        return QStringLiteral("%1 has a wrong value.\nPlease provide a value of Numeric type for "
                              "this field.")
            .arg(QLatin1String(field));
    };
    refusal("reference abc", "txtQuoteNumber", "abc", notNumeric("Reference #"));
    refusal("shipping abc", "txtShippning", "abc", notNumeric("Shipping"));
    // A number beyond the amounts kept is named by its range.
    const QString range =
        QStringLiteral("Shipping must lie between -$999,999,999.9999 and $999,999,999.9999");
    refusal("shipping a billion", "txtShippning", "1,000,000,000", range);
    refusal("shipping twenty nines", "txtShippning", QString(20, QLatin1Char('9')), range);
    for (const char* rate : {"abc", "-1", "101", "100.5%"})
        refusal(qPrintable(QStringLiteral("tax %1").arg(rate)), "txtTaxRate", rate,
                notNumeric("Tax Rate"));
    refusal("valid until before the date", "dtValidUntil", "04 Apr 23",
            "Valid Until (04 Apr 23) is before the estimate's date (01 Mar 24). Please enter a "
            "day on or after 01 Mar 24.");
    refusal("customer name of 256 characters", "cbCustomer", QString(256, QLatin1Char('n')),
            "A customer's name can be at most 255 characters long; this one has 256. Please "
            "shorten it.");
    refusal("terms of 4,001 characters", "txtTerms", QString(4001, QLatin1Char('t')),
            "The terms can be at most 4,000 characters long; these have 4,001. Please shorten "
            "them.");
}

void TestEstimate::aRefusedHeaderFieldKeepsTheFocus() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    EstimateTest<Estimates> s;
    const auto stored = [&] {
        return rowsOf(s.db, "SELECT * FROM EstimateTBL") +
               rowsOf(s.db, "SELECT * FROM CustomersTBL");
    };
    const QStringList before = stored();
    auto* box = s.window.findChild<QWidget*>(field);
    QVERIFY(box);
    enterText(box, text);
    s.leave(box);
    QCOMPARE(s.messages.texts(), QStringList{message});
    QCOMPARE(s.messages.titles(), QStringList{product()});
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(LeaveCheck::textOf(box), text);
    // Nor can it be saved, or taken away by the record bar.
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.currentId(), 1);
    QCOMPARE(LeaveCheck::textOf(box), text);
    QCOMPARE(stored(), before);
    if (!qobject_cast<QLineEdit*>(box))
        return;
    // Corrected, a number's field can be left.
    s.messages.clear();
    s.typeInto(box, QStringLiteral("5"));
    s.leave(box);
    QVERIFY(s.messages.shown().isEmpty());
    QVERIFY(QApplication::focusWidget() != box);
}

void TestEstimate::aTypedTaxRateIsTaxedAtOnce_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tax"); // on the $100.00 of materials
    QTest::addColumn<QString>("stored");
    QTest::newRow("10") << "10"
                        << "$10.00"
                        << "0.1";
    QTest::newRow("10%") << "10%"
                         << "$10.00"
                         << "0.1";
    QTest::newRow("emptied, no tax") << ""
                                     << "$0.00"
                                     << "0";
}

void TestEstimate::aTypedTaxRateIsTaxedAtOnce() {
    QFETCH(QString, text);
    QFETCH(QString, tax);
    QFETCH(QString, stored);
    EstimateTest<Estimates> s;
    s.typeInto(s.e->txtTaxRate, text);
    // The panel follows the typed rate, whichever procedure computes it.
    QCOMPARE(s.e->txtTax->text(), tax);
    s.e->totals->UpdateMaterialExtension(s.e->lines->materialLines());
    QCOMPARE(s.e->txtTax->text(), tax);
    s.leave(s.e->txtTaxRate);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(s.messages.shown().isEmpty());
    QCOMPARE(QString::number(s.stored("TaxRate").toDouble()), stored);
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
    QCOMPARE(program.db.scalar("SELECT EstimatorID FROM EstimateTBL WHERE EstimateID = 1"),
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
    // It goes with its lines; the numbered estimates keep theirs.
    QCOMPARE(rowsOf(program.db, "SELECT EstimateID FROM EstimateTBL"), (QStringList{"1", "2"}));
    QCOMPARE(rowsOf(program.db, "SELECT EstimateID FROM MaterialEstimateTBL"),
             (QStringList{"1", "1"}));
    QCOMPARE(rowsOf(program.db, "SELECT EstimateID FROM LaborEstimateTBL"),
             (QStringList{"1", "2"}));
    QCOMPARE(second.records()->recordCount(), 2);
}

void TestEstimate::theRecordBarWritesAndShowsEachEstimate() {
    EstimateTest<Estimates> s(
        [](TestDatabase& db) { db.exec("DELETE FROM LaborEstimateTBL WHERE EstimateID = 2"); });
    QCOMPARE(s.panel(), kFirstEstimate);
    s.typeInto(s.e->txtShippning, QStringLiteral("12"));
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.currentId(), 2);
    QCOMPARE(gCurrentEstimateID, 2);
    QCOMPARE(s.stored("Shipping").toDouble(), 12.0);
    QCOMPARE((QStringList{s.e->txtQuoteNumber->text(), s.e->cbEstimator->currentText(),
                          s.e->cbQuoteStatus->currentText(), s.e->txtTaxRate->text()}),
             (QStringList{"1002", "Bo Diaz", "Sent", "5.00%"}));
    // Without lines, its sums are nothing.
    QCOMPARE(s.panel(),
             (QStringList{"$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$0.00", "$4.50", "$4.50"}));
    QCOMPARE(s.model(s.e->grdMaterialEstimate)->rowCount(), 0);
    QCOMPARE(s.model(s.e->grdLaborEstimate)->recordCount(), 0);
    s.click(s.recordBarButton(QStringLiteral("First record")));
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$170.25"));
    // A new estimate has no sums row at all.
    QVERIFY(s.window.estimateBook->addNew());
    QCOMPARE(gCurrentEstimateID, 0);
    QCOMPARE(s.panel(), QStringList(8, QStringLiteral("$0.00")));
    s.typeInto(s.e->txtShippning, QStringLiteral("3"));
    QCOMPARE(s.e->txtTotalEstimate->text(), QStringLiteral("$3.00"));
    QVERIFY(s.messages.shown().isEmpty());
}

void TestEstimate::leavingTheTabAndTheReferenceNumberRule() {
    EstimateTest<Estimates> s;
    // With a reference number, the header is saved.
    s.typeInto(s.e->txtShippning, QStringLiteral("7.5"));
    s.clickTab(0);
    QCOMPARE(s.window.tabMain->currentIndex(), 0);
    QCOMPARE(s.stored("Shipping").toDouble(), 7.5);
    QVERIFY(s.messages.shown().isEmpty());

    // Without one, lines cannot be entered: the rule follows the typing, and the disabled
    // buttons say what they wait for.
    s.window.mnuViewEstimateScr->trigger(); // Home's month lists none of them
    QVERIFY(s.lineEntryEnabled());
    QCOMPARE(s.e->btnMaterialEstimate->toolTip(), QStringLiteral("Add Material Items"));
    s.typeInto(s.e->txtQuoteNumber, QString());
    QVERIFY(s.lineEntryDisabled());
    QCOMPARE(s.e->btnMaterialEstimate->toolTip(), QStringLiteral("Type a reference number first"));
    QCOMPARE(s.e->cmdUpdateCosts->toolTip(), QStringLiteral("Type a reference number first"));
    s.typeInto(s.e->txtShippning, QStringLiteral("9"));
    QVERIFY(s.lineEntryDisabled());
    // Nor is the header saved: the user stays unless the changes may go.
    s.messages.answerNext(QMessageBox::No);
    s.clickTab(0);
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QCOMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("9"));

    s.messages.answerNext(QMessageBox::Yes);
    s.clickTab(0);
    QCOMPARE(s.window.tabMain->currentIndex(), 0);
    QCOMPARE(rowsOf(s.db, "SELECT QuoteNumber, Shipping FROM EstimateTBL WHERE EstimateID = 1"),
             QStringList{"1001|7.5"});
    s.window.mnuViewEstimateScr->trigger();
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("1001"));
    QCOMPARE(s.e->txtShippning->text(), QStringLiteral("$7.50"));
    QVERIFY(s.lineEntryEnabled());
}

void TestEstimate::lineGridsShowTheEstimatesLines() {
    EstimateTest<Estimates> s;
    QTableView* materials = s.e->grdMaterialEstimate;
    QTableView* labor = s.e->grdLaborEstimate;
    // The keys are hidden. The user edits the quantities, costs, margins, descriptions, hours
    // and rates; the part number and the computed amounts follow the line.
    for (const auto& [grid, keys, typed] : {std::tuple{materials, 3, QList<int>{3, 5, 6, 10}},
                                            std::tuple{labor, 2, QList<int>{2, 3, 4}}})
        for (int column = 0; column < s.model(grid)->columnCount(); ++column) {
            QCOMPARE(grid->isColumnHidden(column), column < keys);
            if (column >= keys)
                QCOMPARE(bool(s.model(grid)->flags(s.model(grid)->index(0, column)) &
                              Qt::ItemIsEditable),
                         typed.contains(column));
        }
    QCOMPARE(s.model(materials)->rowCount(), 2);
    QCOMPARE(
        s.cells(materials, 0, {3, 4, 5, 6, 7, 8, 9, 10}),
        (QStringList{"2", "P-1", "Elbow 1/2\"", "$12.50", "$25.00", "$15.00", "$30.00", "20.0%"}));
    QCOMPARE(s.cells(labor, 0, {2, 3, 4, 5}), (QStringList{"2", "Fitting", "$25.00", "$50.00"}));
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
}

QTEST_MAIN(TestEstimate)
#include "tst_estimate.moc"
