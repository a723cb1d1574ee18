// The estimate's lines through their grids: typing quantities, costs, margins, hours and rates
// into cells with the mouse and keys, the checks of what is typed, the labor new-row line,
// deleting lines, adding materials through the picker, and the totals panel following every
// change, on a stored estimate and on a new one in an empty database.
#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/pricing.h"
#include "data/recordset.h"
#include "estimates/laborlines.h"
#include "estimates/materiallines.h"
#include "materials/materialpicker.h"
#include "support/estimategrid.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"

#include <QLabel>
#include <QMenu>

using namespace GridInput;

namespace {

// Estimate 1001 (key 1), taxed 10% with $5.00 shipping: one material line of a $12.50 part
// (quantity 1, no margin, key 1), one of a $3.00 part with no margin at all (quantity 2, key 2),
// and one labor line, 2 h at $40.00 (key 1).
struct OneEstimate : Program {
    OneEstimate() {
        db.addSmallLookups();
        db.exec("INSERT INTO MaterialsTBL (MaterialsID, ManufacturerID, SuppliersID, CatagoryID, "
                "PartNumber, ManufacturerDescription, UnitCost) VALUES (?, 1, 1, 1, ?, ?, ?), "
                "(?, 1, 1, 1, ?, ?, ?), (?, 1, 1, 1, ?, ?, ?), (?, 1, 1, 1, ?, ?, ?)",
                {7, "EL-12", "Elbow 1/2\"", 12.5, 8, "CP-3", "Cap 3/4\"", 3.0, 41, "TV-1",
                 "Tee 1\"", 12.5, 42, "GV-2", "Gate valve", 55.0});
        db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber, EstimateData, TaxRate, "
                "Shipping) VALUES (1, 1001, ?, 0.1, 5)",
                {"2024-03-05"});
        db.exec("INSERT INTO MaterialEstimateTBL (MaterialEstimateID, EstimateID, MaterialsID, "
                "Quantity, PartNumber, ManufacturerDescription, UnitCost, TotalCost, Price, "
                "Extension, Margin) VALUES (1, 1, 7, 1, ?, ?, 12.5, 12.5, 12.5, 12.5, 0), "
                "(2, 1, 8, 2, ?, ?, 3, 6, 3, 6, NULL)",
                {"EL-12", "Elbow 1/2\"", "CP-3", "Cap 3/4\""});
        db.exec("INSERT INTO LaborEstimateTBL (LaborEstimateID, EstimateID, Hours, "
                "LaborDescription, LaborRate, LaborExtension) VALUES (1, 1, 2, ?, 40, 80)",
                {"Fitting"});
    }
};

// The panel as the stored lines and header give it, each line priced afresh.
QStringList recomputed(Database& database, int estimateId) {
    std::vector<Pricing::StoredMaterialLine> materials;
    std::vector<Money> labor;
    TestQuery q(database);
    const auto run = [&](const char* sql) {
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(estimateId);
        q.exec();
    };
    for (run("SELECT Quantity, UnitCost, Margin FROM MaterialEstimateTBL WHERE EstimateID = ?");
         q.next();) {
        const Pricing::MaterialAmounts line = Pricing::materialAmounts(
            {q.value(0).toDouble(), Money::fromDouble(q.value(1).toDouble()),
             q.value(2).toDouble()});
        materials.push_back({line.totalCost, line.extension});
    }
    for (run("SELECT Hours, LaborRate FROM LaborEstimateTBL WHERE EstimateID = ?"); q.next();)
        labor.push_back(Pricing::laborExtension(q.value(0).toDouble(),
                                                Money::fromDouble(q.value(1).toDouble())));
    run("SELECT TaxRate, Shipping FROM EstimateTBL WHERE EstimateID = ?");
    q.next();
    const auto t = Pricing::totals(materials, labor, q.value(0).toDouble(),
                                   Money::fromDouble(q.value(1).toDouble()));
    QStringList panel;
    for (Money amount :
         {t.materialCost, t.materials, t.margin, t.labor, t.subtotal, t.tax, t.shipping, t.total})
        panel << formatCurrency(amount);
    return panel;
}
QStringList recomputed(TestDatabase& db, int estimateId) {
    return recomputed(db.connection().database(), estimateId);
}

// A column of a stored material line, by its key.
double storedLine(TestDatabase& db, const char* column, int key) {
    return db
        .scalar(QStringLiteral("SELECT %1 FROM MaterialEstimateTBL WHERE MaterialEstimateID = ?")
                    .arg(QLatin1String(column)),
                {key})
        .toDouble();
}

// Every stored line of both kinds.
QStringList storedLines(TestDatabase& db) {
    return rowsOf(db, QStringLiteral("SELECT * FROM MaterialEstimateTBL")) +
           rowsOf(db, QStringLiteral("SELECT * FROM LaborEstimateTBL"));
}

// Notes the rows of the grid highlighted while each message shows; the script answers it.
struct Highlighted : QList<QList<int>> {
    MessageHandler previous;
    explicit Highlighted(QTableView* grid) {
        previous = setMessageHandler([this, grid](const MessageRequest& request) {
            QList<int> rows;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                if (grid->selectionModel()->isRowSelected(r))
                    rows << r;
            append(rows);
            return previous(request);
        });
    }
    ~Highlighted() { setMessageHandler(previous); }
    Q_DISABLE_COPY(Highlighted)
};

// How the user ends a new line typed on the labor grid.
enum class Ending {
    Enter,
    TabPastLastCell,
    AnotherLineClicked,
    AnotherControl,
    WindowClosed,
    Esc,
    EscNoCellOpen
};

const QList<int> kPriced = {MaterialLines::Quantity,  MaterialLines::UnitCost,
                            MaterialLines::Price,     MaterialLines::TotalCost,
                            MaterialLines::Extension, MaterialLines::Margin};
const QList<int> kLabor = {LaborLines::Hours, LaborLines::Description, LaborLines::Rate,
                           LaborLines::Extension};
} // namespace

Q_DECLARE_METATYPE(Ending)

class TestEstimateLines : public QObject {
    Q_OBJECT
private slots:
    void typedQuantityAndMarginPriceTheLine();
    void aRefusedNumberLeavesTheLineAsItWas_data();
    void aRefusedNumberLeavesTheLineAsItWas();
    void aRealMessageTakesTheFocusWithoutASecondCommit();
    void aNewLineIsOneLineUntilItIsLeft_data();
    void aNewLineIsOneLineUntilItIsLeft();
    void aRowHeaderClickChoosesTheLineToDelete();
    void severalChosenLinesAreDeletedTogether();
    void aNewEstimateIsWrittenBeforeItsFirstLine();
    void thePickerAddsLinesAndThePanelFollows();
    void aDoubleClickOnPartNumberOpensThePicker();
    void anySequenceOfEditsKeepsTheTotalsTrue();
    void aLineChangedElsewhereIsReadAgain();
};

void TestEstimateLines::typedQuantityAndMarginPriceTheLine() {
    EstimateTest<OneEstimate> s;
    QTableView* grid = s.e->grdMaterialEstimate;
    typeIntoCell(grid, 0, MaterialLines::Quantity, QStringLiteral("3"));
    typeIntoCell(grid, 0, MaterialLines::Margin, QStringLiteral("20"));
    QCOMPARE(s.cells(grid, 0, kPriced),
             (QStringList{"3", "$12.50", "$15.00", "$37.50", "$45.00", "20.0%"}));
    QCOMPARE(storedLine(s.db, "Extension", 1), 45.0); // what the grid shows is what is stored
    QCOMPARE(s.panel(), recomputed(s.db, 1));

    // A price below a dollar keeps its fourth decimal, and the extension is rounded once to the
    // cent: 3 x $0.375 is stored as $1.13, the figure a customer can check.
    typeIntoCell(grid, 1, MaterialLines::UnitCost, QStringLiteral("0.3333"));
    typeIntoCell(grid, 1, MaterialLines::Margin, QStringLiteral("12.5%"));
    typeIntoCell(grid, 1, MaterialLines::Quantity, QStringLiteral("3"));
    QCOMPARE(storedLine(s.db, "Price", 2), 0.375);
    QCOMPARE(storedLine(s.db, "Extension", 2), 1.13);
    QCOMPARE(s.panel(), recomputed(s.db, 1));

    // A cleared unit cost is no cost: the line goes to zero, without a word.
    typeIntoCell(grid, 0, MaterialLines::UnitCost, QString());
    QCOMPARE(s.cells(grid, 0, kPriced),
             (QStringList{"3", "$0.00", "$0.00", "$0.00", "$0.00", "20.0%"}));
    QCOMPARE(s.panel(), recomputed(s.db, 1));
    QVERIFY(s.messages.shown().isEmpty());
}

void TestEstimateLines::aRefusedNumberLeavesTheLineAsItWas_data() {
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("kept");  // what the cell shows afterwards
    QTest::addColumn<QString>("first"); // a quantity typed first on the first material line
    const auto material = [](const char* name, int row, int column, const char* typed,
                             const QString& message, const char* kept) {
        QTest::newRow(name) << "grdMaterialEstimate" << row << column << QString(typed) << message
                            << "Material Estimate" << QString(kept) << QString();
    };
    const auto labor = [](const char* name, int column, const char* typed, const QString& message,
                          const char* kept, const char* first = "") {
        QTest::newRow(name) << "grdLaborEstimate" << 0 << column << QString(typed) << message
                            << "Labor Estimate" << QString(kept) << QString(first);
    };
    const auto range = [](const char* field) {
        return QStringLiteral("%1 must lie between -$999,999,999.9999 and $999,999,999.9999")
            .arg(QLatin1String(field));
    };
    const QString quantity = QStringLiteral("Numeric value is required for quantity");
    const QString margin = QStringLiteral("Numeric value is required for Margin");
    const QString hours = QStringLiteral("Numeric value is required for hours");
    using M = MaterialLines;
    material("quantity abc", 1, M::Quantity, "abc", quantity, "2");
    // The second line's margin was never set: the cell stays empty, the file without one.
    material("margin abc on a line without one", 1, M::Margin, "abc", margin, "");
    labor("rate abc", LaborLines::Rate, "abc", "Numeric value is required for labor rate",
          "$40.00");
    labor("hours 2 1/2", LaborLines::Hours, "2 1/2", hours, "2");
    // Once wrapped to a negative cost; now named with the range.
    material("unit cost beyond the range", 0, M::UnitCost, "99999999999999999", range("Unit cost"),
             "$12.50");
    labor("rate beyond the range", LaborLines::Rate, "$922,337,203,685,477.58", range("Labor rate"),
          "$40.00");
    material("quantity beyond the range", 0, M::Quantity, "1,000,000,001", quantity, "1");
    labor("hours beyond the range", LaborLines::Hours, "2,000,000,000", hours, "2");
    material("margin beyond the range", 0, M::Margin, "1000000000000%", margin, "0.0%");
    // A line that would take the total beyond the range is refused, so no total is ever shown or
    // printed capped; the lines are each within it when the first holds $600,000,000.00.
    const QString total = QStringLiteral(
        "The estimate's total must lie between -$999,999,999.9999 and $999,999,999.9999");
    material("quantity taking the total beyond", 0, M::Quantity, "90000000", total, "1");
    labor("hours taking the total beyond", LaborLines::Hours, "10000000", total, "2", "48000000");
}

void TestEstimateLines::aRefusedNumberLeavesTheLineAsItWas() {
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QString, kept);
    QFETCH(QString, first);
    EstimateTest<OneEstimate> s;
    if (!first.isEmpty())
        typeIntoCell(s.e->grdMaterialEstimate, 0, MaterialLines::Quantity, first);
    auto* lines = s.window.findChild<QTableView*>(grid);
    QVERIFY(lines);
    const QStringList panel = s.panel();
    const QStringList stored = storedLines(s.db);
    typeIntoCell(lines, row, column, typed);
    QCOMPARE(s.messages.texts(), QStringList{message});
    QCOMPARE(s.messages.titles(), QStringList{title});
    QCOMPARE(s.cell(lines, row, column), kept);
    QCOMPARE(storedLines(s.db), stored);
    QCOMPARE(s.panel(), panel);
}

void TestEstimateLines::aRealMessageTakesTheFocusWithoutASecondCommit() {
    EstimateTest<OneEstimate> s;
    // A real box, modal and focused, as the user gets it; answered once it is up.
    int shown = 0;
    const MessageHandler previous = setMessageHandler([&](const MessageRequest& request) {
        ++shown;
        QMessageBox box(QMessageBox::NoIcon, request.title, request.text, QMessageBox::Ok,
                        &s.window);
        QTimer::singleShot(50, &box, [&box] { box.accept(); });
        box.exec();
        return QMessageBox::Ok;
    });
    typeIntoCell(s.e->grdMaterialEstimate, 1, MaterialLines::Quantity, QStringLiteral("abc"));
    setMessageHandler(previous);
    QCOMPARE(shown, 1);
    QCOMPARE(s.cell(s.e->grdMaterialEstimate, 1, MaterialLines::Quantity), QStringLiteral("2"));
    QVERIFY(!s.e->grdMaterialEstimate->findChild<QLineEdit*>(QStringLiteral("cellEditor")));
}

void TestEstimateLines::aNewLineIsOneLineUntilItIsLeft_data() {
    QTest::addColumn<QStringList>("typed"); // from the hours on, with Tab between
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QStringList>("stored"); // the line as stored, or nothing
    // A fraction of an hour is worked and paid: 2.5 h at $45.00 is $112.50.
    const QStringList all = {"2.5", "Rough-in", "45"};
    const QStringList line = {"2.5", "Rough-in", "$45.00", "$112.50"};
    const QStringList unpriced = {"2.5", "Rough-in", "$0.00", "$0.00"};
    QTest::newRow("Tab across, Enter") << all << Ending::Enter << line;
    QTest::newRow("Tab past the last cell") << all << Ending::TabPastLastCell << line;
    // What was not typed keeps the new line's defaults.
    QTest::newRow("another line clicked") << QStringList{"3"} << Ending::AnotherLineClicked
                                          << QStringList{"3", "None", "$0.00", "$0.00"};
    QTest::newRow("another control clicked") << all.mid(0, 2) << Ending::AnotherControl << unpriced;
    QTest::newRow("window closed") << all.mid(0, 2) << Ending::WindowClosed << unpriced;
    QTest::newRow("Esc in a cell") << all << Ending::Esc << QStringList();
    QTest::newRow("Esc with no cell open")
        << all.mid(0, 2) << Ending::EscNoCellOpen << QStringList();
}

void TestEstimateLines::aNewLineIsOneLineUntilItIsLeft() {
    QFETCH(QStringList, typed);
    QFETCH(Ending, ending);
    QFETCH(QStringList, stored);
    EstimateTest<OneEstimate> s;
    QTableView* labor = s.e->grdLaborEstimate;
    const auto storedLines = [&] {
        return rowsOf(s.db, "SELECT LaborDescription FROM LaborEstimateTBL ORDER BY 1");
    };
    const QStringList before = storedLines();

    typeAcross(labor, 1, LaborLines::Hours, typed);
    // Still the one new line, shown as typed (but for the open cell) and not yet written.
    QCOMPARE(labor->currentIndex().row(), 1);
    QCOMPARE(labor->currentIndex().column(), LaborLines::Hours + int(typed.size()) - 1);
    if (typed.size() > 1)
        QCOMPARE(s.cell(labor, 1, LaborLines::Hours), typed.first());
    QCOMPARE(s.model(labor)->recordCount(), 1);
    QCOMPARE(storedLines(), before);

    switch (ending) {
    case Ending::Enter:
        QTest::keyClick(cellEditor(labor), Qt::Key_Return);
        QTRY_VERIFY(!cellEditor(labor));
        // Ready for the next line.
        QCOMPARE(labor->currentIndex(), labor->model()->index(2, LaborLines::Hours));
        break;
    case Ending::TabPastLastCell:
        QTest::keyClick(cellEditor(labor), Qt::Key_Tab);
        QVERIFY(cellEditor(labor));
        QCOMPARE(labor->currentIndex(), labor->model()->index(2, LaborLines::Hours));
        break;
    case Ending::AnotherLineClicked:
        clickCell(labor, 0, LaborLines::Description);
        break;
    case Ending::AnotherControl:
        s.click(s.e->txtQuoteNumber);
        QCOMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
        break;
    case Ending::WindowClosed:
        // Clicking another cell of the line closes the editor, and leaves the line being typed.
        clickCell(labor, 1, LaborLines::Rate);
        QVERIFY(s.window.close());
        break;
    case Ending::Esc:
        QTest::keyClick(cellEditor(labor), Qt::Key_Escape);
        break;
    case Ending::EscNoCellOpen:
        // A click on another cell of the line closes the editor; the line is still being typed.
        clickCell(labor, 1, LaborLines::Rate);
        QVERIFY(!cellEditor(labor));
        QCOMPARE(storedLines(), before);
        QTest::keyClick(labor, Qt::Key_Escape);
        break;
    }

    if (stored.isEmpty()) {
        QCOMPARE(s.cell(labor, 1, LaborLines::Hours), QString());
        // Nothing comes back when the line is left afterwards.
        clickCell(labor, 0, LaborLines::Description);
        QCOMPARE(storedLines(), before);
    } else {
        QCOMPARE(s.cells(labor, 1, kLabor), stored);
        QCOMPARE(storedLines(), (QStringList{"Fitting", stored.at(1)}));
        QCOMPARE(s.cell(labor, 2, LaborLines::Hours), QString()); // a fresh new line
    }
    QCOMPARE(s.model(labor)->recordCount(), stored.isEmpty() ? 1 : 2);
    QVERIFY(s.messages.shown().isEmpty());
    QCOMPARE(s.panel(), recomputed(s.db, 1));
}

void TestEstimateLines::aRowHeaderClickChoosesTheLineToDelete() {
    EstimateTest<OneEstimate> s;
    QTableView* materials = s.e->grdMaterialEstimate;
    QTableView* labor = s.e->grdLaborEstimate;
    Highlighted highlighted(materials);

    // The cursor on the second line, then a click on the first line's header: that line is the
    // one asked about, highlighted, and kept on No.
    clickCell(materials, 1, MaterialLines::Description);
    clickRowHeader(materials, 0);
    QCOMPARE(materials->currentIndex().row(), 0);
    s.messages.answerNext(QMessageBox::No);
    QTest::keyClick(materials, Qt::Key_Delete);
    QCOMPARE(s.messages.texts(), QStringList{"Delete this line from the estimate?"});
    QCOMPARE(highlighted, QList<QList<int>>{{0}});
    QCOMPARE(s.model(materials)->recordCount(), 2);

    // Yes: exactly that line goes, from the grid and the file, and the panel follows.
    s.messages.answerNext(QMessageBox::Yes);
    QTest::keyClick(materials, Qt::Key_Delete);
    QCOMPARE(s.model(materials)->recordCount(), 1);
    QCOMPARE(s.cell(materials, 0, MaterialLines::PartNumber), QStringLiteral("CP-3"));
    QCOMPARE(s.db.scalar("SELECT MaterialEstimateID FROM MaterialEstimateTBL"), QVariant(2));
    QCOMPARE(s.panel(), recomputed(s.db, 1));

    // The new-row line is not a line to delete.
    s.messages.clear();
    clickRowHeader(labor, 1);
    QTest::keyClick(labor, Qt::Key_Delete);
    QVERIFY(s.messages.shown().isEmpty());

    // The grid's context menu offers the same, on the line clicked; the labor and the total drop.
    s.messages.answerNext(QMessageBox::Yes);
    const QPoint at = cellCentre(labor, 0, LaborLines::Description);
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("&Delete Line"));
        menu->actions().value(0)->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, labor->viewport()->mapToGlobal(at));
    QApplication::sendEvent(labor->viewport(), &event);
    QCOMPARE(s.messages.texts(), QStringList{"Delete this line from the estimate?"});
    QCOMPARE(s.model(labor)->recordCount(), 0);
    QCOMPARE(s.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL").toInt(), 0);
    QCOMPARE(s.panel(), recomputed(s.db, 1));
}

void TestEstimateLines::severalChosenLinesAreDeletedTogether() {
    EstimateTest<OneEstimate> s([](TestDatabase& db) {
        const QString labor = QStringLiteral(
            "INSERT INTO LaborEstimateTBL (LaborEstimateID, EstimateID, Hours, LaborDescription, "
            "LaborRate, LaborExtension) VALUES (?, 1, ?, ?, 40, ?)");
        db.exec(labor, {2, 3, "Rough-in", 120.0});
        db.exec(labor, {3, 1, "Trim", 40.0});
    });
    QTableView* grid = s.e->grdLaborEstimate;
    Highlighted highlighted(grid);
    const auto storedKeys = [&] {
        return rowsOf(s.db, QStringLiteral("SELECT LaborEstimateID FROM LaborEstimateTBL "
                                           "ORDER BY 1"));
    };

    // Shift chooses a range, asked about once.
    clickRowHeader(grid, 0);
    clickRowHeader(grid, 2, Qt::ShiftModifier);
    s.messages.answerNext(QMessageBox::No);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(s.messages.texts(), QStringList{"Delete these 3 lines from the estimate?"});
    QCOMPARE(highlighted, (QList<QList<int>>{{0, 1, 2}}));
    QCOMPARE(storedKeys(), (QStringList{"1", "2", "3"}));

    // Ctrl chooses the first and the last. Another window has changed the first meanwhile: the
    // last, deleted first, comes back too, and the grid shows the file.
    s.db.exec("UPDATE LaborEstimateTBL SET LaborRate = 41, LaborExtension = 82 WHERE "
              "LaborEstimateID = 1");
    clickRowHeader(grid, 0);
    clickRowHeader(grid, 2, Qt::ControlModifier);
    s.messages.clear();
    highlighted.clear();
    s.messages.answerNext(QMessageBox::Yes);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(s.messages.texts().size(), 2);
    QCOMPARE(s.messages.texts().first(), QStringLiteral("Delete these 2 lines from the estimate?"));
    QCOMPARE(highlighted.first(), (QList<int>{0, 2}));
    QVERIFY2(
        s.messages.texts().last().startsWith(QLatin1String("None of the 2 lines was deleted: ")),
        qPrintable(s.messages.texts().last()));
    QCOMPARE(storedKeys(), (QStringList{"1", "2", "3"}));
    QCOMPARE(s.model(grid)->recordCount(), 3);
    QCOMPARE(s.cell(grid, 0, LaborLines::Rate), QStringLiteral("$41.00"));
    QCOMPARE(s.panel(), recomputed(s.db, 1));

    // Asked again, both go, and only they.
    clickRowHeader(grid, 0);
    clickRowHeader(grid, 2, Qt::ControlModifier);
    s.messages.clear();
    s.messages.answerNext(QMessageBox::Yes);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(s.messages.texts(), QStringList{"Delete these 2 lines from the estimate?"});
    QCOMPARE(storedKeys(), QStringList{"2"});
    QCOMPARE(s.model(grid)->recordCount(), 1);
    QCOMPARE(s.cell(grid, 0, LaborLines::Description), QStringLiteral("Rough-in"));
    QCOMPARE(s.panel(), recomputed(s.db, 1));
}

void TestEstimateLines::aNewEstimateIsWrittenBeforeItsFirstLine() {
    // An empty database, but for a line an older version left without estimate.
    EstimateTest<> s([](TestDatabase& db) {
        db.checkReferences(false);
        db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription) VALUES "
                "(0, 1, 'Stray')");
        db.checkReferences(true);
    });
    QTableView* labor = s.e->grdLaborEstimate;
    s.window.mnuFileNewEstimate->trigger();
    // The stray line is nobody's: the new estimate starts without lines.
    QCOMPARE(s.model(labor)->recordCount(), 0);
    QTest::keyClicks(s.e->txtQuoteNumber, QStringLiteral("501"));
    s.leave(s.e->txtQuoteNumber);
    QVERIFY(s.lineEntryEnabled());
    QCOMPARE(s.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 0);

    // Typing straight onto the new-row line: the estimate is saved first, and not a key is lost;
    // what is not typed takes the new line's defaults.
    typeAcross(labor, 0, LaborLines::Description, {QStringLiteral("Survey")});
    commit(cellEditor(labor));
    QCOMPARE(s.cells(labor, 0, kLabor), (QStringList{"0", "Survey", "$0.00", "$0.00"}));
    typeIntoCell(labor, 0, LaborLines::Hours, QStringLiteral("1.5"));
    QVERIFY(s.messages.shown().isEmpty());
    const int id =
        s.db.scalar("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 501").toInt();
    QVERIFY(id > 0);
    QCOMPARE(
        s.db.scalar("SELECT EstimateID FROM LaborEstimateTBL WHERE LaborDescription = 'Survey'")
            .toInt(),
        id);
    // Only the stray line has no estimate.
    QCOMPARE(s.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL WHERE EstimateID = 0").toInt(), 1);

    // Reopened, as after a restart, the estimate still has its line.
    s.e->reload();
    QVERIFY(s.window.estimateBook->open(id));
    QCOMPARE(s.model(labor)->recordCount(), 1);
    QCOMPARE(s.cell(labor, 0, LaborLines::Description), QStringLiteral("Survey"));

    // A new estimate that cannot be saved (its number is taken) gets no line: the save says why.
    s.window.mnuFileNewEstimate->trigger();
    QTest::keyClicks(s.e->txtQuoteNumber, QStringLiteral("501"));
    s.leave(s.e->txtQuoteNumber);
    s.messages.clear();
    doubleClickCell(labor, 0, LaborLines::Description);
    QCOMPARE(s.messages.shown().size(), 1);
    QVERIFY(s.messages.texts().first().contains(QLatin1String("501")));
    QCOMPARE(s.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL").toInt(), 2);
    QCOMPARE(s.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 1);
    QVERIFY(!labor->findChild<QLineEdit*>(QStringLiteral("cellEditor")));
}

void TestEstimateLines::thePickerAddsLinesAndThePanelFollows() {
    EstimateTest<OneEstimate> s;
    int visits = 0;
    // The list runs by description: Cap, Elbow, Gate valve, Tee.
    const auto choose = [&](QDialog* dialog) {
        ++visits;
        auto* picker = qobject_cast<frmMaterials*>(dialog);
        QVERIFY(picker);
        QTableView* list = picker->grdMaterialsList;
        QTRY_COMPARE(list->model()->rowCount(), 4);
        const Money before = *parseCurrency(s.e->txtTotalMaterailExtension->text());
        doubleClickCell(list, 3, 2); // Tee 1", $12.50
        // The picker says what became a line, counting this visit's.
        QCOMPARE(picker->lblAdded->text(), QStringLiteral("Added: TV-1 \u2014 1 line added"));
        clickCell(list, 2, 2);
        s.click(picker->btnSelect); // Gate valve, $55.00
        QCOMPARE(picker->lblAdded->text(), QStringLiteral("Added: GV-2 \u2014 2 lines added"));
        // Still open after two choices; the panel has followed both.
        QVERIFY(picker->isVisible());
        QCOMPARE(*parseCurrency(s.e->txtTotalMaterailExtension->text()),
                 before + Money::fromCents(6750));
        s.click(picker->btnCancel);
    };
    QVERIFY(whileModal([&] { s.click(s.e->btnMaterialEstimate); }, choose));
    QCOMPARE(visits, 1);
    QTableView* grid = s.e->grdMaterialEstimate;
    QCOMPARE(s.model(grid)->recordCount(), 4);
    QCOMPARE(s.cells(grid, 2, QList<int>{MaterialLines::PartNumber} + kPriced),
             (QStringList{"TV-1", "1", "$12.50", "$12.50", "$12.50", "$12.50", "0.0%"}));
    QCOMPARE(s.cell(grid, 3, MaterialLines::Description), QStringLiteral("Gate valve"));
    QCOMPARE(s.db.scalar("SELECT COUNT(*) FROM MaterialEstimateTBL WHERE EstimateID = 1 AND "
                         "MaterialsID IN (41, 42)")
                 .toInt(),
             2);
    QCOMPARE(grid->currentIndex().row(), 3);
    QCOMPARE(s.panel(), recomputed(s.db, 1));
    QVERIFY(s.messages.shown().isEmpty());

    // Closed from its title bar after a choice, the picker comes back until it is cancelled.
    visits = 0;
    QVERIFY(whileModal([&] { s.click(s.e->btnMaterialEstimate); },
                       [&](QDialog* dialog) {
                           auto* picker = qobject_cast<frmMaterials*>(dialog);
                           QTRY_COMPARE(picker->grdMaterialsList->model()->rowCount(), 4);
                           clickCell(picker->grdMaterialsList, 0, 2);
                           s.click(picker->btnSelect);
                           QTimer::singleShot(0, [&] {
                               choose(qobject_cast<QDialog*>(QApplication::activeModalWidget()));
                           });
                           picker->close();
                       }));
    QCOMPARE(visits, 1); // the second showing, cancelled
    // A new visit counts afresh.
    QVERIFY(whileModal([&] { s.click(s.e->btnMaterialEstimate); },
                       [&](QDialog* dialog) {
                           auto* picker = qobject_cast<frmMaterials*>(dialog);
                           QVERIFY(!picker->lblAdded->text().startsWith(QLatin1String("Added")));
                           picker->reject();
                       }));
    QCOMPARE(s.model(grid)->recordCount(), 7);
    QCOMPARE(s.panel(), recomputed(s.db, 1));
}

void TestEstimateLines::aDoubleClickOnPartNumberOpensThePicker() {
    EstimateTest<OneEstimate> s;
    const auto doubleClick = [&](int column) {
        return whileModal([&] { doubleClickCell(s.e->grdMaterialEstimate, 0, column); },
                          [](QDialog* picker) { picker->reject(); });
    };
    QVERIFY(doubleClick(MaterialLines::PartNumber));
    QVERIFY(!doubleClick(MaterialLines::TotalCost));
}

void TestEstimateLines::anySequenceOfEditsKeepsTheTotalsTrue() {
    GeneratedProgram program(300);
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages; // deletes are confirmed: the first button, Yes
    const int id = s.currentId();
    QVERIFY(id > 0);
    MaterialLines* material = s.e->lines->material;
    LaborLines* labor = s.e->lines->labor;
    // What may be typed into each column the user types in, on either grid.
    const QList<std::pair<int, QStringList>> materialCells = {
        {MaterialLines::Quantity, {"1", "2.5", "7", "0", "12", "0.333", "1,200"}},
        {MaterialLines::Margin, {"0", "12.5%", "33", "7.25", "100%", "0.1"}},
        {MaterialLines::UnitCost, {"$12.50", "0.3333", "1,234.5678", "", "$0.01", "99"}}};
    const QList<std::pair<int, QStringList>> laborCells = {
        {LaborLines::Hours, {"8", "2.5", "0.25", "3.5", "40"}},
        {LaborLines::Rate, {"$45.00", "40", "37.125", "$0.99"}}};
    QRandomGenerator random(20261206);
    const auto pick = [&random](const auto& from) {
        return from.at(int(random.bounded(int(from.size()))));
    };
    for (int step = 0; step < 60; ++step) {
        const bool onMaterial = random.bounded(2);
        LineList* list = onMaterial ? static_cast<LineList*>(material) : labor;
        const int count = list->model->recordCount();
        switch (random.bounded(4)) {
        case 0: {
            const int materialId = int(random.bounded(300)) + 1;
            material->mofrmMaterials_MaterialClicled(
                materialId, QStringLiteral("R-%1").arg(materialId), QStringLiteral("Random"),
                Money::fromUnits(random.bounded(10000000)));
            break;
        }
        case 1:
            if (count > 0) {
                const auto& [column, texts] = pick(onMaterial ? materialCells : laborCells);
                list->model->setData(list->model->index(int(random.bounded(count)), column),
                                     pick(texts));
            }
            break;
        case 2: // a line typed on the new-row line and left
            labor->model->setData(
                labor->model->index(labor->model->recordCount(), LaborLines::Rate),
                pick(laborCells[1].second));
            labor->model->submit();
            break;
        case 3:
            if (count > 0)
                list->deleteLine(int(random.bounded(count)));
            break;
        }
        QCOMPARE(s.panel(), recomputed(gConnection->database(), id));
    }
    // None of the values above is refused; a refusal would have been a message.
    for (const QString& text : messages.texts())
        QCOMPARE(text, QStringLiteral("Delete this line from the estimate?"));
    // Reopened from the database's own sums, the panel shows the same figures.
    const QStringList followed = s.panel();
    s.e->reload();
    QVERIFY(s.window.estimateBook->open(id));
    QCOMPARE(s.panel(), followed);
}

void TestEstimateLines::aLineChangedElsewhereIsReadAgain() {
    EstimateTest<OneEstimate> s;
    QTableView* grid = s.e->grdMaterialEstimate;
    // Another window changes the first line's quantity; this one then types over it.
    s.db.exec("UPDATE MaterialEstimateTBL SET Quantity = 5, TotalCost = 62.5, Extension = 62.5 "
              "WHERE MaterialEstimateID = 1");
    typeIntoCell(grid, 0, MaterialLines::Quantity, QStringLiteral("3"));
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(s.messages.texts().first(),
             RecordSet::conflictText(ErrorNumber::kRecordChanged) +
                 "\n\nYour entry was not stored. The lines now show what is stored; enter your "
                 "change again if it is still needed.");
    // The lines are read again: the other window's line shows, and the panel follows it.
    QTRY_COMPARE(s.cell(grid, 0, MaterialLines::Quantity), QStringLiteral("5"));
    QCOMPARE(storedLine(s.db, "Quantity", 1), 5.0);
    QCOMPARE(s.panel(), recomputed(s.db, 1));
    // Typed again, it is stored.
    typeIntoCell(grid, 0, MaterialLines::Quantity, QStringLiteral("3"));
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(storedLine(s.db, "Quantity", 1), 3.0);
    QCOMPARE(s.panel(), recomputed(s.db, 1));
}

QTEST_MAIN(TestEstimateLines)
#include "tst_estimatelines.moc"
