// Finding estimates in every month from Home's Find box, duplicating an estimate (Edit >
// Duplicate Estimate, Ctrl+D) and updating its material costs from the catalogue, driven
// through a shown main window with the mouse and keys.
#include "app/mainwindow.h"
#include "data/formats.h"
#include "data/pricing.h"
#include "estimates/estimatecopy.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"
#include "estimates/materiallines.h"
#include "settings/settingsstore.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/testquery.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

int insertEstimate(TestDatabase& db, int reference, const QDate& date, const QVariant& customer,
                   const QString& job) {
    db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, "
                           "Shipping, EstimateStatus, CustomerID, JobName, JobAddress, Terms) "
                           "VALUES (?, ?, 0.0825, 45.5, 3, ?, ?, '12 Elm St', '')"),
            {reference, date, customer, job});
    return db.scalar(QStringLiteral("SELECT MAX(EstimateID) FROM EstimateTBL")).toInt();
}

int insertCustomer(TestDatabase& db, const QString& name, const QString& contact) {
    db.exec(QStringLiteral("INSERT INTO CustomersTBL (CustomerName, ContactName) VALUES (?, ?)"),
            {name, contact});
    return db.scalar(QStringLiteral("SELECT MAX(CustomerID) FROM CustomersTBL")).toInt();
}

int insertMaterial(TestDatabase& db, const QString& part, Money cost) {
    db.exec(QStringLiteral("INSERT INTO MaterialsTBL (PartNumber, ManufacturerDescription, "
                           "UnitCost) VALUES (?, ?, ?)"),
            {part, part + QStringLiteral(" fitting"), QVariant::fromValue(cost)});
    return db.scalar(QStringLiteral("SELECT MAX(MaterialsID) FROM MaterialsTBL")).toInt();
}

// A material line priced as the program prices it.
void insertLine(TestDatabase& db, int estimateId, int materialId, double quantity, Money cost,
                double margin) {
    const Pricing::MaterialAmounts a = Pricing::materialAmounts({quantity, cost, margin});
    db.exec(QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, Quantity, "
                           "PartNumber, UnitCost, TotalCost, Price, Extension, Margin) "
                           "VALUES (?, ?, ?, 'P', ?, ?, ?, ?, ?)"),
            {estimateId, materialId, quantity, QVariant::fromValue(cost),
             QVariant::fromValue(a.totalCost), QVariant::fromValue(a.price),
             QVariant::fromValue(a.extension), margin});
}

// Every stored value of an estimate's lines but their keys, in their order, as text.
QStringList linesOf(TestDatabase& db, int estimateId) {
    TestQuery q(db.connection().database());
    QStringList rows;
    q.prepare(QStringLiteral("SELECT MaterialsID, Quantity, PartNumber, UnitCost, TotalCost, "
                             "Price, Extension, Margin FROM MaterialEstimateTBL WHERE "
                             "EstimateID = ? ORDER BY MaterialEstimateID"));
    q.addBindValue(estimateId);
    q.exec();
    while (q.next()) {
        QStringList row;
        for (int c = 0; c < q.columnCount(); ++c)
            row << q.value(c).toString();
        rows << row.join(QLatin1Char('|'));
    }
    q.prepare(QStringLiteral("SELECT Hours, LaborDescription, LaborRate, LaborExtension FROM "
                             "LaborEstimateTBL WHERE EstimateID = ? ORDER BY LaborEstimateID"));
    q.addBindValue(estimateId);
    q.exec();
    while (q.next())
        rows << QStringLiteral("labor|%1|%2|%3|%4")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                         q.value(3).toString());
    return rows;
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
    void init();
    void findListsEveryMonthAndEscReturns_data();
    void findListsEveryMonthAndEscReturns();
    void duplicateCopiesEveryLineFromHomeAndTheEstimateScreen();
    void aRefusedCopyStoresNothing();
    void updateCostsKeepsMarginsAndSummarises();

private:
    std::unique_ptr<Program> program;
    std::unique_ptr<ScriptedMessages> messages;
};

void TestEstimateCopy::init() {
    messages.reset();
    program.reset();
    program = std::make_unique<Program>();
    messages = std::make_unique<ScriptedMessages>();
}

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
    TestDatabase& db = program->db;
    const QDate today = QDate::currentDate();
    const int harbor =
        insertCustomer(db, QStringLiteral("Harbor View Homes"), QStringLiteral("Grace Okafor"));
    const int pine = insertCustomer(db, QStringLiteral("Pine Ridge"), QStringLiteral("Al Abb"));
    insertEstimate(db, 4711, today.addYears(-2), harbor, QStringLiteral("Garage"));
    insertEstimate(db, 4712, today.addMonths(-5), harbor, QStringLiteral("Kitchen remodel"));
    insertEstimate(db, 4713, today.addMonths(3), pine, QStringLiteral("Old kitchen"));
    insertEstimate(db, 4800, today, harbor, QStringLiteral("50% deposit job"));
    insertEstimate(db, 4801, today, {}, QStringLiteral("Porch aXb"));
    QVERIFY(program->load());
    EstimateScreen s;
    s.window.mnuViewMainScreen->trigger();
    HomeFrame* home = s.window.frMain;
    const QString month = home->lblMonthYear->text();
    QCOMPARE(listedReferences(home), (QList<int>{4800, 4801}));
    QCOMPARE(home->txtFind->placeholderText(),
             QStringLiteral("Find by reference, customer, job or contact"));
    QVERIFY(!home->txtFind->toolTip().isEmpty());

    home->txtFind->setFocus();
    QTest::keyClicks(home->txtFind, typed);
    const QString caption = found.size() == 1 ? QStringLiteral("1 found")
                                              : QStringLiteral("%1 found").arg(found.size());
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
    QTest::keyClick(home->txtFind, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(home->lblMonthYear->text(), formatMonthYear(today.addMonths(1)));
    QTest::keyClick(home->txtFind, Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(home->txtFind, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(listedReferences(home), QList<int>{4713});
}

void TestEstimateCopy::duplicateCopiesEveryLineFromHomeAndTheEstimateScreen() {
    TestDatabase& db = program->db;
    const QDate today = QDate::currentDate();
    const int customer = insertCustomer(db, QStringLiteral("Harbor View Homes"), {});
    const int original =
        insertEstimate(db, 700, today.addMonths(-1), customer, QStringLiteral("Kitchen remodel"));
    insertEstimate(db, 900, today.addYears(-1), {}, QStringLiteral("Other"));
    const int material = insertMaterial(db, QStringLiteral("P-1"), Money::fromCents(1234));
    for (int i = 0; i < 30; ++i)
        insertLine(db, original, material, i + 1, Money::fromCents(100 + i * 37), 0.05 * (i % 4));
    for (int i = 0; i < 3; ++i)
        db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, "
                               "LaborDescription, LaborRate, LaborExtension) "
                               "VALUES (?, ?, 'Install', 65, ?)"),
                {original, i + 1.5, 65 * (i + 1.5)});
    const QStringList originalLines = linesOf(db, original);
    QCOMPARE(originalLines.size(), 33);
    QVERIFY(program->load());
    gSettings->setQuoteTerms(QStringLiteral("Half on acceptance, half on completion."));
    gSettings->setQuoteValidDays(21);

    EstimateScreen s;
    s.window.mnuViewMainScreen->trigger();
    HomeFrame* home = s.window.frMain;
    QTest::keyClicks(home->txtFind, QStringLiteral("700"));
    QTRY_COMPARE(home->lblMonthYear->text(), QStringLiteral("1 found"));
    QVERIFY(s.window.mnuEditDuplicate->isEnabled());

    // A text that is no number, and a number in use, are refused with the dialog kept open and
    // the typing kept; the next free number is proposed.
    int copy = 0;
    QTest::mouseClick(
        home->DGEstimatesAll->viewport(), Qt::LeftButton, {},
        home->DGEstimatesAll->visualRect(home->DGEstimatesAll->model()->index(0, 1)).center());
    const bool shown =
        whileModal([&] { QTest::keyClick(home->DGEstimatesAll, Qt::Key_D, Qt::ControlModifier); },
                   [&](QDialog* dialog) {
                       auto* reference =
                           dialog->findChild<QLineEdit*>(QStringLiteral("txtNewReference"));
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
                   });
    QVERIFY(shown);
    QCOMPARE(messages->texts().size(), 2);
    QVERIFY(messages->texts().at(0).contains(QStringLiteral("not a reference number")));
    QVERIFY(messages->texts().at(1).contains(QStringLiteral("already used")));
    copy = db.scalar(QStringLiteral("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 950"))
               .toInt();
    QVERIFY(copy > original);

    // The copy is shown on the Estimate screen, with every line; the original is as it was.
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QCOMPARE(s.currentId(), copy);
    QCOMPARE(s.e->txtQuoteNumber->text(), QStringLiteral("950"));
    QCOMPARE(s.model(s.e->grdMaterialEstimate)->recordCount(), 30);
    QCOMPARE(linesOf(db, copy), originalLines);
    QCOMPARE(linesOf(db, original), originalLines);
    {
        TestQuery q(db.connection().database());
        q.prepare(
            QStringLiteral("SELECT e.EstimateData, s.StatusDescription, e.ValidUntil, e.Terms, "
                           "e.CustomerID, e.JobName, e.JobAddress, e.TaxRate, e.Shipping "
                           "FROM EstimateTBL e JOIN StatusesTBL s ON s.StatusID = "
                           "e.EstimateStatus WHERE EstimateID = ?"));
        q.addBindValue(copy);
        QVERIFY(q.exec() && q.next());
        QCOMPARE(q.value(0).toString(), today.toString(Qt::ISODate));
        QCOMPARE(q.value(1).toString(), QStringLiteral("Draft"));
        QCOMPARE(q.value(2).toString(), today.addDays(21).toString(Qt::ISODate));
        QCOMPARE(q.value(3).toString(), QStringLiteral("Half on acceptance, half on completion."));
        QCOMPARE(q.value(4).toInt(), customer);
        QCOMPARE(q.value(5).toString(), QStringLiteral("Kitchen remodel"));
        QCOMPARE(q.value(6).toString(), QStringLiteral("12 Elm St"));
        QCOMPARE(q.value(7).toDouble(), 0.0825);
        QCOMPARE(q.value(8).toDouble(), 45.5);
    } // the read ends before the program writes again

    // On the Estimate screen, Ctrl+D copies the estimate shown, its own terms kept.
    db.exec(QStringLiteral("UPDATE EstimateTBL SET Terms = 'Net 10' WHERE EstimateID = ?"), {copy});
    QVERIFY(whileModal([&] { s.window.mnuEditDuplicate->trigger(); },
                       [&](QDialog* dialog) {
                           auto* reference = dialog->findChild<QLineEdit*>();
                           QCOMPARE(reference->text(), QStringLiteral("951"));
                           QTest::mouseClick(okButton(dialog), Qt::LeftButton);
                       }));
    const int second =
        db.scalar(QStringLiteral("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 951"))
            .toInt();
    QCOMPARE(messages->texts().size(), 2);
    QCOMPARE(s.currentId(), second);
    QCOMPARE(linesOf(db, second), originalLines);
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT Terms FROM EstimateTBL WHERE EstimateID = ?"), {second})
            .toString(),
        QStringLiteral("Net 10"));
}

void TestEstimateCopy::aRefusedCopyStoresNothing() {
    TestDatabase& db = program->db;
    const int original = insertEstimate(db, 10, QDate::currentDate(), {}, QStringLiteral("Job"));
    const int material = insertMaterial(db, QStringLiteral("P-1"), Money::fromCents(500));
    for (int i = 0; i < 30; ++i)
        insertLine(db, original, material, 2, Money::fromCents(500), 0.1);
    db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborRate, "
                           "LaborExtension) VALUES (?, 1, 50, 50)"),
            {original});
    QVERIFY(program->load());
    // The last table written refuses: the estimate and material lines already written go too.
    db.exec(QStringLiteral("CREATE TRIGGER RefuseLabor BEFORE INSERT ON LaborEstimateTBL "
                           "BEGIN SELECT RAISE(ABORT, 'labor refused'); END"));
    Database& file = db.connection().database();
    EstimateCopy::NewEstimate copy{11, QDate::currentDate(), 30, {}};
    DbError error;
    QCOMPARE(EstimateCopy::duplicate(file, original, copy, &error), 0);
    QVERIFY2(error.description.contains(QStringLiteral("labor refused")),
             qPrintable(error.description));
    QCOMPARE(rowsIn(db, "EstimateTBL"), 1);
    QCOMPARE(rowsIn(db, "MaterialEstimateTBL"), 30);
    QCOMPARE(rowsIn(db, "LaborEstimateTBL"), 1);
    // A missing original stores nothing either.
    QCOMPARE(EstimateCopy::duplicate(file, original + 99, copy, &error), 0);
    QCOMPARE(error.number, ErrorNumber::kRowNotFound);
    QCOMPARE(rowsIn(db, "EstimateTBL"), 1);

    // Through the dialog: the refusal is said, the dialog stays with the number typed.
    EstimateScreen s;
    QVERIFY(whileModal([&] { s.window.mnuEditDuplicate->trigger(); },
                       [&](QDialog* dialog) {
                           QTest::mouseClick(okButton(dialog), Qt::LeftButton);
                           QVERIFY(dialog->isVisible());
                           QCOMPARE(dialog->findChild<QLineEdit*>()->text(), QStringLiteral("11"));
                       }));
    QVERIFY(messages->texts().last().contains(QStringLiteral("nothing was stored")));
    QCOMPARE(rowsIn(db, "EstimateTBL"), 1);
    QCOMPARE(s.currentId(), original);
}

void TestEstimateCopy::updateCostsKeepsMarginsAndSummarises() {
    TestDatabase& db = program->db;
    const int estimate = insertEstimate(db, 20, QDate::currentDate(), {}, QStringLiteral("Job"));
    const int a = insertMaterial(db, QStringLiteral("A"), Money::fromCents(1000));
    const int b = insertMaterial(db, QStringLiteral("B"), Money::fromCents(250));
    const int c = insertMaterial(db, QStringLiteral("C"), Money::fromCents(700));
    const int gone = insertMaterial(db, QStringLiteral("D"), Money::fromCents(300));
    insertLine(db, estimate, a, 3, Money::fromCents(1000), 0.2);
    insertLine(db, estimate, b, 10, Money::fromCents(250), 0.5);
    insertLine(db, estimate, c, 1, Money::fromCents(700), 0);
    insertLine(db, estimate, gone, 4, Money::fromCents(300), 0.1);
    db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborRate, "
                           "LaborExtension) VALUES (?, 2, 60, 120)"),
            {estimate});
    db.exec(QStringLiteral("UPDATE MaterialsTBL SET UnitCost = 12.34 WHERE MaterialsID = ?"), {a});
    db.exec(QStringLiteral("UPDATE MaterialsTBL SET UnitCost = 2.7 WHERE MaterialsID = ?"), {b});
    // A material removed by an older version, which kept no check on the lines using it.
    db.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    db.exec(QStringLiteral("DELETE FROM MaterialsTBL WHERE MaterialsID = ?"), {gone});
    db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    QVERIFY(program->load());
    EstimateScreen s;
    QCOMPARE(s.currentId(), estimate);
    const QStringList before = linesOf(db, estimate);
    // The buttons beside each other show their whole captions.
    for (QPushButton* button : {s.e->cmdUpdateCosts, s.e->btnMaterialEstimate})
        QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));

    // "No" changes nothing.
    messages->answerNext(QMessageBox::No);
    s.click(s.e->cmdUpdateCosts);
    QCOMPARE(messages->texts(),
             QStringList{QStringLiteral("Update the unit costs of 4 material lines from the "
                                        "catalogue?")});
    QCOMPARE(linesOf(db, estimate), before);

    const auto priced = [](double quantity, int cents, double margin) {
        const Pricing::MaterialAmounts m =
            Pricing::materialAmounts({quantity, Money::fromCents(cents), margin});
        return Pricing::StoredMaterialLine{m.totalCost, m.extension};
    };
    const Money labor[] = {Money::fromCents(12000)};
    const auto total = [&](std::initializer_list<Pricing::StoredMaterialLine> lines) {
        return Pricing::totals(lines, labor, 0.0825, Money::fromCents(4550)).total;
    };
    const Money from =
        total({priced(3, 1000, 0.2), priced(10, 250, 0.5), priced(1, 700, 0), priced(4, 300, 0.1)});
    const Money to =
        total({priced(3, 1234, 0.2), priced(10, 270, 0.5), priced(1, 700, 0), priced(4, 300, 0.1)});
    messages->clear();
    messages->answerNext(QMessageBox::Yes);
    messages->answerNext(QMessageBox::Ok);
    s.window.mnuToolsUpdateCosts->trigger();
    QCOMPARE(messages->texts().size(), 2);
    QCOMPARE(messages->texts().last(),
             QStringLiteral("2 of 4 lines changed; the total went from %1 to %2. 1 line kept the "
                            "cost it had: its material is no longer in the catalogue.")
                 .arg(formatMoney(from), formatMoney(to)));

    TestQuery q(db.connection().database());
    q.prepare(QStringLiteral("SELECT Quantity, UnitCost, Margin, Price, TotalCost, Extension FROM "
                             "MaterialEstimateTBL WHERE EstimateID = ? ORDER BY "
                             "MaterialEstimateID"));
    q.addBindValue(estimate);
    QVERIFY(q.exec());
    const double margins[] = {0.2, 0.5, 0, 0.1};
    const int costs[] = {1234, 270, 700, 300};
    for (int line = 0; line < 4; ++line) {
        QVERIFY(q.next());
        QCOMPARE(q.value(2).toDouble(), margins[line]);
        QCOMPARE(Money::fromDouble(q.value(1).toDouble()), Money::fromCents(costs[line]));
        const Pricing::MaterialAmounts m = Pricing::materialAmounts(
            {q.value(0).toDouble(), Money::fromCents(costs[line]), margins[line]});
        QCOMPARE(Money::fromDouble(q.value(3).toDouble()), m.price);
        QCOMPARE(Money::fromDouble(q.value(4).toDouble()), m.totalCost);
        QCOMPARE(Money::fromDouble(q.value(5).toDouble()), m.extension);
    }
    // The grid and the totals show the new figures.
    QCOMPARE(s.cell(s.e->grdMaterialEstimate, 0, MaterialLines::UnitCost),
             QStringLiteral("$12.34"));
    QCOMPARE(s.e->txtTotalEstimate->text(), formatCurrency(to));
}

QTEST_MAIN(TestEstimateCopy)
#include "tst_estimatecopy.moc"
