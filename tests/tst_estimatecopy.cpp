// Finding estimates in every month from Home's Find box, duplicating an estimate (Edit >
// Duplicate Estimate, Ctrl+D) and updating its material costs from the catalogue, driven
// through a shown main window with the mouse and keys.
#include "data/formats.h"
#include "data/pricing.h"
#include "estimates/estimatecopy.h"
#include "estimates/homeframe.h"
#include "estimates/materiallines.h"
#include "settings/settingsstore.h"
#include "support/estimategrid.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"

#include <QDialogButtonBox>
#include <QLabel>

namespace {

// Two customers: 1 Harbor View Homes (contact Grace Okafor) and 2 Pine Ridge (Al Abb).
void addCustomers(TestDatabase& db) {
    db.exec("INSERT INTO CustomersTBL (CustomerID, CustomerName, ContactName) VALUES "
            "(1, 'Harbor View Homes', 'Grace Okafor'), (2, 'Pine Ridge', 'Al Abb')");
}

int insertEstimate(TestDatabase& db, int reference, const QDate& date, const QVariant& customer,
                   const QString& job) {
    db.exec("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping, "
            "EstimateStatus, CustomerID, JobName, JobAddress, Terms) VALUES (?, ?, 0.0825, 45.5, "
            "3, ?, ?, '12 Elm St', '')",
            {reference, date, customer, job});
    return db.scalar("SELECT MAX(EstimateID) FROM EstimateTBL").toInt();
}

int insertMaterial(TestDatabase& db, const QString& part, Money cost) {
    db.exec("INSERT INTO MaterialsTBL (PartNumber, ManufacturerDescription, UnitCost) VALUES (?, "
            "?, ?)",
            {part, part + QStringLiteral(" fitting"), QVariant::fromValue(cost)});
    return db.scalar("SELECT MAX(MaterialsID) FROM MaterialsTBL").toInt();
}

// A material line priced as the program prices it.
void insertLine(TestDatabase& db, int estimateId, int materialId, double quantity, Money cost,
                double margin) {
    const Pricing::MaterialAmounts a = Pricing::materialAmounts({quantity, cost, margin});
    db.exec("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, Quantity, PartNumber, "
            "UnitCost, TotalCost, Price, Extension, Margin) VALUES (?, ?, ?, 'P', ?, ?, ?, ?, ?)",
            {estimateId, materialId, quantity, QVariant::fromValue(cost),
             QVariant::fromValue(a.totalCost), QVariant::fromValue(a.price),
             QVariant::fromValue(a.extension), margin});
}

// Every stored value of an estimate's lines but their keys, in their order.
QStringList linesOf(TestDatabase& db, int estimateId) {
    return rowsOf(db,
                  "SELECT MaterialsID, Quantity, PartNumber, UnitCost, TotalCost, Price, "
                  "Extension, Margin FROM MaterialEstimateTBL WHERE EstimateID = ? ORDER BY "
                  "MaterialEstimateID",
                  {estimateId}) +
           rowsOf(db,
                  "SELECT 'labor', Hours, LaborDescription, LaborRate, LaborExtension FROM "
                  "LaborEstimateTBL WHERE EstimateID = ? ORDER BY LaborEstimateID",
                  {estimateId});
}

int rowsIn(TestDatabase& db, const char* table) {
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(table)).toInt();
}

QList<int> listedReferences(const HomeFrame* home) {
    QList<int> references;
    const QAbstractItemModel* model = home->DGEstimatesAll->model();
    for (int row = 0; row < model->rowCount(); ++row)
        references << model->index(row, 1).data(Qt::EditRole).toInt();
    std::sort(references.begin(), references.end());
    return references;
}

QPushButton* okButton(QDialog* dialog) {
    return dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

} // namespace

class TestEstimateCopy : public QObject {
    Q_OBJECT
private slots:
    void findListsEveryMonthAndEscReturns_data();
    void findListsEveryMonthAndEscReturns();
    void duplicateCopiesEveryLineFromHomeAndTheEstimateScreen();
    void aRefusedCopyStoresNothing();
    void updateCostsKeepsMarginsAndSummarises();
};

void TestEstimateCopy::findListsEveryMonthAndEscReturns_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("found");
    QTest::newRow("customer, any case") << "harbor" << QList<int>{4711, 4712, 4800};
    QTest::newRow("reference") << "4711" << QList<int>{4711};
    QTest::newRow("part of references") << "47" << QList<int>{4711, 4712, 4713};
    QTest::newRow("job") << "KITCHEN" << QList<int>{4712, 4713};
    QTest::newRow("contact") << "okafor" << QList<int>{4711, 4712, 4800};
    // The typed % and _ are letters, not patterns.
    QTest::newRow("percent") << "%" << QList<int>{4800};
    QTest::newRow("underscore") << "a_b" << QList<int>{};
}

void TestEstimateCopy::findListsEveryMonthAndEscReturns() {
    QFETCH(QString, typed);
    QFETCH(QList<int>, found);
    const QDate today = QDate::currentDate();
    EstimateTest<> s([&](TestDatabase& db) {
        addCustomers(db);
        insertEstimate(db, 4711, today.addYears(-2), 1, QStringLiteral("Garage"));
        insertEstimate(db, 4712, today.addMonths(-5), 1, QStringLiteral("Kitchen remodel"));
        insertEstimate(db, 4713, today.addMonths(3), 2, QStringLiteral("Old kitchen"));
        insertEstimate(db, 4800, today, 1, QStringLiteral("50% deposit job"));
        insertEstimate(db, 4801, today, {}, QStringLiteral("Porch aXb"));
    });
    s.window.mnuViewMainScreen->trigger();
    HomeFrame* home = s.window.frMain;
    const QString month = home->lblMonthYear->text();
    QCOMPARE(listedReferences(home), (QList<int>{4800, 4801}));

    home->txtFind->setFocus();
    QTest::keyClicks(home->txtFind, typed);
    const QString caption = QStringLiteral("%1 found").arg(found.size());
    QTRY_COMPARE(home->lblMonthYear->text(), caption);
    QCOMPARE(listedReferences(home), found);
    // The months rest, by button and by key.
    QVERIFY(!home->cmdDateDown->isEnabled() && !home->cmdDateUp->isEnabled());
    QTest::keyClick(home->txtFind, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(home->lblMonthYear->text(), caption);
    QCOMPARE(home->cmdEditEstimate->isEnabled(), !found.isEmpty());

    QTest::keyClick(home->txtFind, Qt::Key_Escape);
    QCOMPARE(home->txtFind->text(), QString());
    QCOMPARE(home->lblMonthYear->text(), month);
    QCOMPARE(listedReferences(home), (QList<int>{4800, 4801}));
    QVERIFY(home->cmdDateDown->isEnabled() && home->cmdDateUp->isEnabled());

    // Clearing the box returns to the month as well, and the arrows step again.
    QTest::keyClicks(home->txtFind, QStringLiteral("4713"));
    QTRY_COMPARE(home->lblMonthYear->text(), QStringLiteral("1 found"));
    UserInput::typeInto(home->txtFind, QString());
    QCOMPARE(home->lblMonthYear->text(), month);
    for (int step = 0; step < 3; ++step)
        QTest::keyClick(home->txtFind, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(home->lblMonthYear->text(), formatMonthYear(today.addMonths(3)));
    QCOMPARE(listedReferences(home), QList<int>{4713});
}

void TestEstimateCopy::duplicateCopiesEveryLineFromHomeAndTheEstimateScreen() {
    const QDate today = QDate::currentDate();
    int original = 0;
    QStringList originalLines;
    EstimateTest<> s([&](TestDatabase& db) {
        addCustomers(db);
        original = insertEstimate(db, 700, today.addMonths(-1), 1, "Kitchen remodel");
        insertEstimate(db, 900, today.addYears(-1), {}, QStringLiteral("Other"));
        const int material = insertMaterial(db, QStringLiteral("P-1"), Money::fromCents(1234));
        for (int i = 0; i < 30; ++i)
            insertLine(db, original, material, i + 1, Money::fromCents(100 + i * 37),
                       0.05 * (i % 4));
        for (int i = 0; i < 3; ++i)
            db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, "
                    "LaborRate, LaborExtension) VALUES (?, ?, 'Install', 65, ?)",
                    {original, i + 1.5, 65 * (i + 1.5)});
        originalLines = linesOf(db, original);
    });
    QCOMPARE(originalLines.size(), 33);
    gSettings->setQuoteTerms(QStringLiteral("Half on acceptance, half on completion."));
    gSettings->setQuoteValidDays(21);
    s.window.mnuViewMainScreen->trigger();
    HomeFrame* home = s.window.frMain;
    QTest::keyClicks(home->txtFind, QStringLiteral("700"));
    QTRY_COMPARE(home->lblMonthYear->text(), QStringLiteral("1 found"));

    // A text that is no number, and a number in use, are refused with the dialog kept open and
    // the typing kept; the next free number is proposed.
    GridInput::clickCell(home->DGEstimatesAll, 0, 1);
    QVERIFY(whileModal(
        [&] { QTest::keyClick(home->DGEstimatesAll, Qt::Key_D, Qt::ControlModifier); },
        [&](QDialog* dialog) {
            auto* reference = dialog->findChild<QLineEdit*>(QStringLiteral("txtNewReference"));
            QCOMPARE(reference->text(), QStringLiteral("901"));
            for (const QString& bad : {QStringLiteral("12a"), QStringLiteral("900")}) {
                UserInput::typeInto(reference, bad);
                QTest::mouseClick(okButton(dialog), Qt::LeftButton);
                QVERIFY(dialog->isVisible());
                QCOMPARE(reference->text(), bad);
            }
            UserInput::typeInto(reference, QStringLiteral("950"));
            QTest::keyClick(reference, Qt::Key_Return);
            QVERIFY(!dialog->isVisible());
        }));
    QCOMPARE(s.messages.texts().size(), 2);
    QVERIFY(s.messages.texts().at(0).contains(QStringLiteral("not a reference number")));
    QVERIFY(s.messages.texts().at(1).contains(QStringLiteral("already used")));
    const int copy =
        s.db.scalar("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 950").toInt();

    // The copy is shown on the Estimate screen, with every line; the original is as it was.
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QCOMPARE(s.currentId(), copy);
    QCOMPARE(s.model(s.e->grdMaterialEstimate)->recordCount(), 30);
    QCOMPARE(linesOf(s.db, copy), originalLines);
    QCOMPARE(linesOf(s.db, original), originalLines);
    QCOMPARE(rowsOf(s.db,
                    "SELECT e.EstimateData, s.StatusDescription, e.ValidUntil, e.Terms, "
                    "e.CustomerID, e.JobName, e.JobAddress, e.TaxRate, e.Shipping FROM "
                    "EstimateTBL e JOIN StatusesTBL s ON s.StatusID = e.EstimateStatus WHERE "
                    "EstimateID = ?",
                    {copy}),
             QStringList{today.toString(Qt::ISODate) + "|Draft|" +
                         today.addDays(21).toString(Qt::ISODate) +
                         "|Half on acceptance, half on completion.|1|Kitchen remodel|12 Elm "
                         "St|0.0825|45.5"});

    // On the Estimate screen, Ctrl+D copies the estimate shown, its own terms kept.
    s.db.exec("UPDATE EstimateTBL SET Terms = 'Net 10' WHERE EstimateID = ?", {copy});
    QVERIFY(whileModal([&] { s.window.mnuEditDuplicate->trigger(); },
                       [&](QDialog* dialog) {
                           QCOMPARE(dialog->findChild<QLineEdit*>()->text(), QStringLiteral("951"));
                           QTest::mouseClick(okButton(dialog), Qt::LeftButton);
                       }));
    const int second =
        s.db.scalar("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 951").toInt();
    QCOMPARE(s.messages.texts().size(), 2);
    QCOMPARE(s.currentId(), second);
    QCOMPARE(linesOf(s.db, second), originalLines);
    QCOMPARE(s.stored("Terms", second).toString(), QStringLiteral("Net 10"));
}

void TestEstimateCopy::aRefusedCopyStoresNothing() {
    int original = 0;
    EstimateTest<> s([&](TestDatabase& db) {
        original = insertEstimate(db, 10, QDate::currentDate(), {}, QStringLiteral("Job"));
        const int material = insertMaterial(db, QStringLiteral("P-1"), Money::fromCents(500));
        for (int i = 0; i < 30; ++i)
            insertLine(db, original, material, 2, Money::fromCents(500), 0.1);
        db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborRate, LaborExtension) "
                "VALUES (?, 1, 50, 50)",
                {original});
    });
    // The last table written refuses: the estimate and material lines already written go too.
    s.db.refuse("RefuseLabor", "INSERT", "LaborEstimateTBL", "labor refused");
    Database& file = s.db.connection().database();
    EstimateCopy::NewEstimate copy{11, QDate::currentDate(), 30, {}};
    DbError error;
    QCOMPARE(EstimateCopy::duplicate(file, original, copy, &error), 0);
    QVERIFY2(error.description.contains(QStringLiteral("labor refused")),
             qPrintable(error.description));
    QCOMPARE(rowsIn(s.db, "EstimateTBL"), 1);
    QCOMPARE(rowsIn(s.db, "MaterialEstimateTBL"), 30);
    QCOMPARE(rowsIn(s.db, "LaborEstimateTBL"), 1);
    // A missing original stores nothing either.
    QCOMPARE(EstimateCopy::duplicate(file, original + 99, copy, &error), 0);
    QCOMPARE(error.number, ErrorNumber::kRowNotFound);
    QCOMPARE(rowsIn(s.db, "EstimateTBL"), 1);

    // Through the dialog: the refusal is said, the dialog stays with the number typed.
    QVERIFY(whileModal([&] { s.window.mnuEditDuplicate->trigger(); },
                       [&](QDialog* dialog) {
                           QTest::mouseClick(okButton(dialog), Qt::LeftButton);
                           QVERIFY(dialog->isVisible());
                           QCOMPARE(dialog->findChild<QLineEdit*>()->text(), QStringLiteral("11"));
                       }));
    QVERIFY(s.messages.texts().last().contains(QStringLiteral("nothing was stored")));
    QCOMPARE(rowsIn(s.db, "EstimateTBL"), 1);
    QCOMPARE(s.currentId(), original);
}

void TestEstimateCopy::updateCostsKeepsMarginsAndSummarises() {
    const double quantities[] = {3, 10, 1, 4};
    const double margins[] = {0.2, 0.5, 0, 0.1};
    const int oldCosts[] = {1000, 250, 700, 300};
    const int newCosts[] = {1234, 270, 700, 300};
    int estimate = 0, expected = 0;
    EstimateTest<> s([&](TestDatabase& db) {
        estimate = insertEstimate(db, 20, QDate::currentDate(), {}, QStringLiteral("Job"));
        expected = insertEstimate(db, 21, QDate::currentDate(), {}, QStringLiteral("Priced"));
        for (int line = 0; line < 4; ++line) {
            const Money cost = Money::fromCents(oldCosts[line]);
            const int material = insertMaterial(db, QString(QChar('A' + line)), cost);
            insertLine(db, estimate, material, quantities[line], cost, margins[line]);
            insertLine(db, expected, material, quantities[line], Money::fromCents(newCosts[line]),
                       margins[line]);
            db.exec("UPDATE MaterialsTBL SET UnitCost = ? WHERE MaterialsID = ?",
                    {newCosts[line] / 100.0, material});
        }
        db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborRate, LaborExtension) "
                "VALUES (?, 2, 60, 120)",
                {estimate});
        // A material removed by an older version, which kept no check on the lines using it.
        db.checkReferences(false);
        db.exec("DELETE FROM MaterialsTBL WHERE PartNumber = 'D'");
        db.checkReferences(true);
    });
    QCOMPARE(s.currentId(), estimate);
    const QStringList before = linesOf(s.db, estimate);
    // The buttons beside each other show their whole captions.
    for (QPushButton* button : {s.e->cmdUpdateCosts, s.e->btnMaterialEstimate})
        QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));

    // "No" changes nothing.
    s.messages.answerNext(QMessageBox::No);
    s.click(s.e->cmdUpdateCosts);
    QCOMPARE(s.messages.texts(),
             QStringList{"Update the unit costs of 4 material lines from the catalogue?"});
    QCOMPARE(linesOf(s.db, estimate), before);

    const auto total = [&](const int* costs) {
        std::vector<Pricing::StoredMaterialLine> lines;
        for (int line = 0; line < 4; ++line) {
            const Pricing::MaterialAmounts m = Pricing::materialAmounts(
                {quantities[line], Money::fromCents(costs[line]), margins[line]});
            lines.push_back({m.totalCost, m.extension});
        }
        const Money labor[] = {Money::fromCents(12000)};
        return Pricing::totals(lines, labor, 0.0825, Money::fromCents(4550)).total;
    };
    s.messages.clear();
    s.messages.answerNext(QMessageBox::Yes);
    s.messages.answerNext(QMessageBox::Ok);
    s.window.mnuToolsUpdateCosts->trigger();
    QCOMPARE(s.messages.texts().size(), 2);
    QCOMPARE(s.messages.texts().last(),
             QStringLiteral("2 of 4 lines changed; the total went from %1 to %2. 1 line kept the "
                            "cost it had: its material is no longer in the catalogue.")
                 .arg(formatMoney(total(oldCosts)), formatMoney(total(newCosts))));

    // Each line keeps its quantity and margin and is priced again from its new cost, as the
    // same line stored at that cost is.
    const auto priced = [&](int id) {
        return rowsOf(s.db,
                      "SELECT Quantity, UnitCost, Margin, Price, TotalCost, Extension FROM "
                      "MaterialEstimateTBL WHERE EstimateID = ? ORDER BY MaterialEstimateID",
                      {id});
    };
    QCOMPARE(priced(estimate), priced(expected));
    // The grid and the totals show the new figures.
    QCOMPARE(s.cell(s.e->grdMaterialEstimate, 0, MaterialLines::UnitCost),
             QStringLiteral("$12.34"));
    QCOMPARE(s.e->txtTotalEstimate->text(), formatCurrency(total(newCosts)));
}

QTEST_MAIN(TestEstimateCopy)
#include "tst_estimatecopy.moc"
