// The Home screen: the month's estimates, stepping and holding the month arrows, and New, Edit
// and Delete, driven through a shown main window with the mouse and keys.
#include "app/mainwindow.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "estimates/estimatebook.h"
#include "estimates/homeframe.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/testquery.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>

namespace {

QDate firstOf(const QDate& date) {
    return QDate(date.year(), date.month(), 1);
}

// An estimate with a few material and labor lines; its key.
int addEstimate(TestDatabase& db, int quote, const QVariant& date, int materialLines = 0,
                int laborLines = 0) {
    db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping) "
                           "VALUES (?, ?, 0, 0)"),
            {quote, date});
    const int id = db.scalar(QStringLiteral("SELECT MAX(EstimateID) FROM EstimateTBL")).toInt();
    for (int i = 0; i < materialLines; ++i)
        db.exec(QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, Extension) "
                               "VALUES (?, 1, 617.25)"),
                {id});
    for (int i = 0; i < laborLines; ++i)
        db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborExtension) "
                               "VALUES (?, 2, 90)"),
                {id});
    return id;
}

// A shown, active main window on the Home screen.
struct HomeScreen {
    frmMain window;
    HomeFrame* h = window.frMain;

    HomeScreen() {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
    }
    QTableView* grid() const { return h->DGEstimatesAll; }
    QAbstractItemModel* list() const { return grid()->model(); }
    QList<int> listedIds() const {
        QList<int> ids;
        for (int row = 0; row < list()->rowCount(); ++row)
            ids << list()->index(row, 0).data(Qt::EditRole).toInt();
        return ids;
    }
    QString cell(int row, int column) const { return list()->index(row, column).data().toString(); }
    int currentRowId() const {
        return list()->index(grid()->currentIndex().row(), 0).data(Qt::EditRole).toInt();
    }
    QString caption() const { return h->lblMonthYear->text(); }
    QDate month() const { return parseMonthYear(caption()).value_or(QDate()); }
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Steps to the month with clicks on the arrows.
    void goTo(const QDate& date) {
        const QDate target = firstOf(date);
        while (month() > target)
            click(h->cmdDateDown);
        while (month() < target)
            click(h->cmdDateUp);
    }
    QPoint cellCentre(int row) const { return grid()->visualRect(list()->index(row, 1)).center(); }
    void clickRow(int row) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(row));
    }
    // As the window system sends a double click: press, release, double click, release.
    void doubleClickRow(int row) {
        const QPoint at = cellCentre(row);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    // Whether everything that needs a listed estimate is on.
    QList<bool> estimateControls() const {
        return {h->cmdEditEstimate->isEnabled(), h->cmdEstimateDelete->isEnabled(),
                window.mnuEditEditRecord->isEnabled(), window.tabMain->isTabEnabled(2)};
    }
    EstimateBook* book() const { return window.estimateBook; }
};

const QList<bool> kAllOn = {true, true, true, true};
const QList<bool> kAllOff = {false, false, false, false};

int count(TestDatabase& db, const QString& table, int estimateId) {
    return db
        .scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table +
                    QStringLiteral(" WHERE EstimateID = ?"),
                {estimateId})
        .toInt();
}

} // namespace

class TestHome : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aNewDatabaseGetsItsFirstEstimate();
    void theMonthsStepAcrossTheYears();
    void holdingAnArrowRepeatsFasterUntilReleased();
    void editDoubleClickAndEnterOpenTheEstimateNewStaysNew();
    void deleteAsksAndRemovesTheLinesWithTheEstimate();
    void aRefusedOrMissingDeleteLeavesEverything();
    void theMonthIsFoundThroughTheDateIndex();

private:
    // January of this year holds two estimates with lines (the second in the last minute of
    // the month), with neighbours on either side of it and a year away.
    void addJanuary();

    std::unique_ptr<Program> program;
    std::unique_ptr<ScriptedMessages> messages;
    int year = 0;
    int janA = 0, janB = 0, febFirst = 0, decPrev = 0, janPrev = 0;
};

// A fresh, empty database each time.
void TestHome::init() {
    messages.reset();
    program.reset();
    program = std::make_unique<Program>();
    messages = std::make_unique<ScriptedMessages>();
    year = QDate::currentDate().year();
}

void TestHome::addJanuary() {
    TestDatabase& db = program->db;
    janA = addEstimate(db, 101, QDate(year, 1, 15), 2, 2);
    janB = addEstimate(db, 102, QDateTime(QDate(year, 1, 31), QTime(23, 30)), 1, 1);
    febFirst = addEstimate(db, 103, QDate(year, 2, 1));
    decPrev = addEstimate(db, 104, QDate(year - 1, 12, 31));
    janPrev = addEstimate(db, 105, QDate(year - 1, 1, 10));
}

void TestHome::aNewDatabaseGetsItsFirstEstimate() {
    QVERIFY(program->load());
    HomeScreen s;
    QCOMPARE(s.caption(), formatMonthYear(QDate::currentDate()));
    QCOMPARE(s.listedIds(), QList<int>{});
    QCOMPARE(s.estimateControls(), kAllOff);

    s.click(s.h->cmdEstimate);
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QVERIFY(s.book()->isNewEstimate());
    auto* reference = s.window.findChild<QLineEdit*>(QStringLiteral("txtQuoteNumber"));
    reference->setFocus();
    QTest::keyClicks(reference, QStringLiteral("5001"));
    // Leaving the Estimate tab stores it; Home lists it in this month, ready to edit.
    s.window.tabMain->setCurrentIndex(0);
    QCOMPARE(messages->texts(), QStringList{});
    const int stored = program->db
                           .scalar(QStringLiteral("SELECT EstimateID FROM EstimateTBL WHERE "
                                                  "QuoteNumber = 5001"))
                           .toInt();
    QVERIFY(stored > 0);
    QCOMPARE(s.listedIds(), QList<int>{stored});
    QCOMPARE(s.estimateControls(), kAllOn);
}

void TestHome::theMonthsStepAcrossTheYears() {
    addJanuary();
    QVERIFY(program->load());
    HomeScreen s;

    s.goTo(QDate(year, 1, 1));
    QCOMPARE(s.caption(), QStringLiteral("January %1").arg(year));
    // Only this January: not the first of February, not January a year earlier.
    QCOMPARE(s.listedIds(), (QList<int>{janA, janB}));
    QCOMPARE(s.estimateControls(), kAllOn);
    QVERIFY(s.grid()->isColumnHidden(0));
    QCOMPARE(s.list()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("Total Estimate"));
    QCOMPARE(s.cell(0, 6), formatShortListDate(QDate(year, 1, 15)));
    QCOMPARE(s.cell(0, 7), QStringLiteral("$1,234.50"));

    QCOMPARE(s.h->cmdDateDown->toolTip(), QStringLiteral("Scroll Backward"));
    QCOMPARE(s.h->cmdDateUp->toolTip(), QStringLiteral("Scroll Forward"));
    s.click(s.h->cmdDateDown);
    QCOMPARE(s.caption(), QStringLiteral("December %1").arg(year - 1));
    QCOMPARE(s.listedIds(), QList<int>{decPrev});
    // A month without estimates turns off everything that needs one.
    s.click(s.h->cmdDateDown);
    QCOMPARE(s.listedIds(), QList<int>{});
    QCOMPARE(s.estimateControls(), kAllOff);
    s.click(s.h->cmdDateUp);
    QCOMPARE(s.estimateControls(), kAllOn);
    s.click(s.h->cmdDateUp);
    QCOMPARE(s.caption(), QStringLiteral("January %1").arg(year));

    // The keys do the same from the list.
    s.grid()->setFocus();
    QTest::keyClick(s.grid(), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(s.caption(), QStringLiteral("December %1").arg(year - 1));
    QTest::keyClick(s.grid(), Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(s.grid(), Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(s.listedIds(), QList<int>{febFirst});
    // Without material lines its materials are nothing, said as such.
    QCOMPARE(s.cell(0, 7), QStringLiteral("$0.00"));
}

void TestHome::holdingAnArrowRepeatsFasterUntilReleased() {
    QVERIFY(program->load());
    HomeScreen s;
    QTimer* timer = s.window.findChild<QTimer*>(QStringLiteral("tmrDateChange"));
    QVERIFY(timer);
    const QDate start = s.month();
    auto tick = [timer] { QVERIFY(QMetaObject::invokeMethod(timer, "timeout")); };

    QTest::mousePress(s.h->cmdDateUp, Qt::LeftButton);
    QCOMPARE(timer->interval(), 1400);
    QVERIFY(timer->isActive());
    QCOMPARE(s.month(), start);
    const QList<int> expected = {900, 400, 400};
    for (int i = 0; i < expected.size(); ++i) {
        tick();
        QCOMPARE(timer->interval(), expected[i]);
        QCOMPARE(s.month(), start.addMonths(i + 1));
    }
    // The release stops the timer and adds no step of its own.
    QTest::mouseRelease(s.h->cmdDateUp, Qt::LeftButton);
    QCOMPARE(timer->interval(), 0);
    QVERIFY(!timer->isActive());
    QCOMPARE(s.month(), start.addMonths(3));

    // The backward arrow held: its own direction.
    QTest::mousePress(s.h->cmdDateDown, Qt::LeftButton);
    tick();
    QTest::mouseRelease(s.h->cmdDateDown, Qt::LeftButton);
    QCOMPARE(s.month(), start.addMonths(2));

    // A click moves exactly one month and leaves the timer stopped.
    s.click(s.h->cmdDateDown);
    QCOMPARE(s.month(), start.addMonths(1));
    QCOMPARE(timer->interval(), 0);
    QVERIFY(!timer->isActive());
}

void TestHome::editDoubleClickAndEnterOpenTheEstimateNewStaysNew() {
    addJanuary();
    QVERIFY(program->load());
    HomeScreen s;
    s.goTo(QDate(year, 1, 1));
    auto opened = [&s](int estimateId) {
        QCOMPARE(s.window.tabMain->currentIndex(), 2);
        QCOMPARE(s.book()->currentEstimateId(), estimateId);
        s.window.tabMain->setCurrentIndex(0);
    };

    s.clickRow(1);
    QCOMPARE(s.book()->selectedEstimate(), janB);
    s.click(s.h->cmdEditEstimate);
    opened(janB);
    // The list was queried again on the way back and kept its row.
    QCOMPARE(s.currentRowId(), janB);
    s.doubleClickRow(0);
    opened(janA);
    s.grid()->setFocus();
    QTest::keyClick(s.grid(), Qt::Key_Down);
    QTest::keyClick(s.grid(), Qt::Key_Return);
    opened(janB);
    s.clickRow(0);
    s.window.mnuEditEditRecord->trigger();
    opened(janA);

    // New, with an estimate selected on Home, stays on the new estimate.
    s.click(s.h->cmdEstimate);
    QCOMPARE(s.window.tabMain->currentIndex(), 2);
    QVERIFY(s.book()->isNewEstimate());
    QCOMPARE(s.book()->currentEstimateId(), 0);
    QCOMPARE(messages->texts(), QStringList{});
}

void TestHome::deleteAsksAndRemovesTheLinesWithTheEstimate() {
    TestDatabase& db = program->db;
    addJanuary();
    QVERIFY(program->load());
    HomeScreen s;
    s.goTo(QDate(year, 1, 1));

    messages->answerNext(QMessageBox::No);
    s.click(s.h->cmdEstimateDelete);
    QCOMPARE(messages->texts(),
             QStringList{QStringLiteral("Do you really want to delete the selected estimate?")});
    QCOMPARE(messages->shown().first().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(messages->titles(), QStringList{QCoreApplication::applicationName()});
    QCOMPARE(s.listedIds(), (QList<int>{janA, janB}));
    QCOMPARE(count(db, QStringLiteral("MaterialEstimateTBL"), janA), 2);

    messages->answerNext(QMessageBox::Yes);
    s.click(s.h->cmdEstimateDelete);
    QCOMPARE(s.listedIds(), QList<int>{janB});
    for (const char* table : {"EstimateTBL", "MaterialEstimateTBL", "LaborEstimateTBL"})
        QCOMPARE(count(db, QLatin1String(table), janA), 0);
    QCOMPARE(count(db, QStringLiteral("MaterialEstimateTBL"), janB), 1);
    QCOMPARE(s.book()->selectedEstimate(), janB);

    messages->answerNext(QMessageBox::Yes);
    s.click(s.h->cmdEstimateDelete);
    QCOMPARE(s.listedIds(), QList<int>{});
    QCOMPARE(s.estimateControls(), kAllOff);
    QCOMPARE(messages->shown().size(), 3);
}

void TestHome::aRefusedOrMissingDeleteLeavesEverything() {
    TestDatabase& db = program->db;
    addJanuary();
    QVERIFY(program->load());
    db.exec(QStringLiteral("CREATE TRIGGER KeepEstimates BEFORE DELETE ON EstimateTBL "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    HomeScreen s;
    s.goTo(QDate(year, 1, 1));

    messages->answerNext(QMessageBox::Yes);
    s.click(s.h->cmdEstimateDelete);
    QCOMPARE(messages->titles().last(), QStringLiteral("frmMain / cmdEstimateDelete_Click"));
    QVERIFY2(messages->texts().last().contains(QStringLiteral("refused")),
             qPrintable(messages->texts().last()));
    for (const char* table : {"EstimateTBL", "MaterialEstimateTBL", "LaborEstimateTBL"})
        QVERIFY(count(db, QLatin1String(table), janA) > 0);
    QCOMPARE(s.listedIds(), (QList<int>{janA, janB}));

    // An estimate stored behind the program's back is listed, but the book does not hold it.
    db.exec(QStringLiteral("DROP TRIGGER KeepEstimates"));
    const int stranger = addEstimate(db, 106, QDate(year, 1, 1));
    s.click(s.h->cmdDateUp);
    s.click(s.h->cmdDateDown);
    QCOMPARE(s.listedIds(), (QList<int>{stranger, janA, janB}));
    s.clickRow(0);
    messages->clear();
    messages->answerNext(QMessageBox::Yes);
    messages->answerNext(QMessageBox::Ok);
    s.click(s.h->cmdEstimateDelete);
    QCOMPARE(messages->texts().last(), QStringLiteral("Failed to delete record"));
    QCOMPARE(messages->titles().last(), QStringLiteral("cmdEstimateDelete_Click"));
    QCOMPARE(count(db, QStringLiteral("EstimateTBL"), stranger), 1);
}

void TestHome::theMonthIsFoundThroughTheDateIndex() {
    QVERIFY(program->load());
    HomeScreen s;
    auto* list = s.window.findChild<DataControl*>(QStringLiteral("AdodcEstimatesAll"));
    QVERIFY(list);
    TestQuery plan(program->db.connection().database());
    QVERIFY(plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + list->recordSource()));
    const QDate first = s.month();
    plan.addBindValue(first);
    plan.addBindValue(first.addMonths(1));
    QVERIFY(plan.exec());
    QStringList steps;
    while (plan.next())
        steps << plan.value(3).toString();
    QVERIFY2(steps.join('\n').contains(QStringLiteral("USING INDEX EstimateByDate")),
             qPrintable(steps.join('\n')));
    QVERIFY2(!steps.join('\n').contains(QStringLiteral("TEMP B-TREE")),
             qPrintable(steps.join('\n')));
}

QTEST_MAIN(TestHome)
#include "tst_home.moc"
