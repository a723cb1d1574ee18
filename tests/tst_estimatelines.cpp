// The estimate's lines through their grids: typing quantities, costs, margins, hours and rates
// into cells with the mouse and keys, the checks of what is typed, the labor new-row line,
// deleting lines, adding materials through the picker, and the totals panel following every
// change, on a stored estimate and on a new one in an empty database.
#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/pricing.h"
#include "estimates/laborlines.h"
#include "estimates/materiallines.h"
#include "materials/materialpicker.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/testquery.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>

namespace {

// Estimate 1001 (key 1), taxed 10% with $5.00 shipping: one material line of a $12.50 part
// (quantity 1, no margin, key 1), one of a $3.00 part with no margin at all (quantity 2, key 2),
// and one labor line, 2 h at $40.00 (key 1).
struct OneEstimate : Program {
    OneEstimate() {
        db.addSmallLookups();
        const QString catalogue = QStringLiteral(
            "INSERT INTO MaterialsTBL (MaterialsID, ManufacturerID, SuppliersID, CatagoryID, "
            "PartNumber, ManufacturerDescription, UnitCost) VALUES (?, 1, 1, 1, ?, ?, ?)");
        db.exec(catalogue, {7, "EL-12", "Elbow 1/2\"", 12.5});
        db.exec(catalogue, {8, "CP-3", "Cap 3/4\"", 3.0});
        db.exec(catalogue, {41, "TV-1", "Tee 1\"", 12.5});
        db.exec(catalogue, {42, "GV-2", "Gate valve", 55.0});
        db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber, EstimateData, TaxRate, "
                "Shipping) VALUES (1, 1001, '2024-03-05', 0.1, 5.0)");
        const QString material = QStringLiteral(
            "INSERT INTO MaterialEstimateTBL (MaterialEstimateID, EstimateID, MaterialsID, "
            "Quantity, PartNumber, ManufacturerDescription, UnitCost, TotalCost, Price, "
            "Extension, Margin) VALUES (?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        db.exec(material, {1, 7, 1, "EL-12", "Elbow 1/2\"", 12.5, 12.5, 12.5, 12.5, 0.0});
        db.exec(material, {2, 8, 2, "CP-3", "Cap 3/4\"", 3.0, 6.0, 3.0, 6.0, QVariant()});
        db.exec("INSERT INTO LaborEstimateTBL (LaborEstimateID, EstimateID, Hours, "
                "LaborDescription, LaborRate, LaborExtension) VALUES (1, 1, 2, 'Fitting', 40, "
                "80)");
    }
};

QStringList panel(const EstimateFrame* e) {
    return {e->txtTotalMaterialCost->text(),
            e->txtTotalMaterailExtension->text(),
            e->txtTotalMaterialMargin->text(),
            e->txtTotalLabourExtension->text(),
            e->txtSubtotal->text(),
            e->txtTax->text(),
            e->txtTotalEstimate->text()};
}

// The panel as the stored lines and header give it, computed afresh.
QStringList recomputed(Database& database, int estimateId) {
    std::vector<Pricing::MaterialLine> materials;
    std::vector<Pricing::LaborLine> labor;
    TestQuery q(database);
    const auto run = [&](const char* sql) {
        q.prepare(QString::fromLatin1(sql));
        q.addBindValue(estimateId);
        q.exec();
    };
    for (run("SELECT Quantity, UnitCost, Margin FROM MaterialEstimateTBL WHERE EstimateID = ?");
         q.next();)
        materials.push_back({q.value(0).toDouble(), Money::fromDouble(q.value(1).toDouble()),
                             q.value(2).toDouble()});
    for (run("SELECT Hours, LaborRate FROM LaborEstimateTBL WHERE EstimateID = ?"); q.next();)
        labor.push_back({q.value(0).toDouble(), Money::fromDouble(q.value(1).toDouble())});
    run("SELECT TaxRate, Shipping FROM EstimateTBL WHERE EstimateID = ?");
    q.next();
    const auto t = Pricing::estimateTotals(materials, labor, q.value(0).toDouble(),
                                           Money::fromDouble(q.value(1).toDouble()));
    return {formatCurrency(t.materialCost), formatCurrency(t.materials), formatCurrency(t.margin),
            formatCurrency(t.labor),        formatCurrency(t.subtotal),  formatCurrency(t.tax),
            formatCurrency(t.total)};
}
QStringList recomputed(TestDatabase& db, int estimateId) {
    return recomputed(db.connection().database(), estimateId);
}

QPoint cellCentre(QTableView* grid, int row, int column) {
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

// Enter commits the cell once the editor has had the key.
void commit(QWidget* editor) {
    QPointer<QWidget> open = editor;
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!open || !open->isVisible());
}

// A double click as the mouse gives it: a click, then the second press.
void doubleClickCell(QTableView* grid, int row, int column) {
    const QPoint at = cellCentre(grid, row, column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// Double-clicks the cell, replaces its text with what is typed and commits it with Enter.
void typeIntoCell(QTableView* grid, int row, int column, const QString& text) {
    doubleClickCell(grid, row, column);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY2(editor && editor != grid && grid->isAncestorOf(editor), "no cell editor opened");
    UserInput::typeInto(editor, text);
    commit(editor);
}

// Clicks the cell and types into it, as a user who starts typing on a chosen cell does.
void clickAndType(QTableView* grid, int row, int column, const QString& text) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
    // The first key opens the editor, which takes the rest.
    QTest::keyClicks(grid, text.left(1));
    QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
    QWidget* editor = QApplication::focusWidget();
    QVERIFY2(editor && editor != grid, "typing opened no cell editor");
    commit(editor);
}

// A click on the row's header, as the mouse gives it.
void clickRowHeader(QTableView* grid, int row, Qt::KeyboardModifiers modifiers = {}) {
    QHeaderView* header = grid->verticalHeader();
    const int y = header->sectionViewportPosition(row) + header->sectionSize(row) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers,
                      QPoint(header->width() / 2, y));
}

// The open cell editor of the grid, which has the keys.
QWidget* cellEditor(QTableView* grid) {
    QWidget* editor = QApplication::focusWidget();
    return editor && editor != grid && grid->isAncestorOf(editor) ? editor : nullptr;
}

// Clicks the cell and types the texts into it and the cells after it, with Tab between them,
// as a user fills a line; the last cell's editor is left open.
void typeAcross(QTableView* grid, int row, int column, const QStringList& texts) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
    // The first key opens the editor, which takes the rest.
    QTest::keyClicks(grid, texts.first().left(1));
    QTest::keyClicks(QApplication::focusWidget(), texts.first().mid(1));
    for (const QString& text : texts.mid(1)) {
        QVERIFY2(cellEditor(grid), "typing opened no cell editor");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY2(cellEditor(grid), "Tab opened no cell editor");
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
}

QStringList row(EstimateScreen& s, QTableView* grid, int r, const QList<int>& columns) {
    QStringList out;
    for (int column : columns)
        out << s.cell(grid, r, column);
    return out;
}

// Answers the program's questions from a script (OK once it runs out), noting each text and the
// rows of the grid highlighted while it showed.
struct Questions {
    QTableView* grid;
    QList<QMessageBox::StandardButton> answers;
    QStringList texts;
    QList<QList<int>> highlighted;
    MessageHandler previous;

    explicit Questions(QTableView* g) : grid(g) {
        previous = setMessageHandler([this](const MessageRequest& request) {
            texts << request.text;
            QList<int> rows;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                if (grid->selectionModel()->isRowSelected(r))
                    rows << r;
            highlighted << rows;
            return answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        });
    }
    ~Questions() { setMessageHandler(previous); }
    Questions(const Questions&) = delete;
    Questions& operator=(const Questions&) = delete;
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
    void badNumbersAreRefusedWithTheirMessages();
    void numbersBeyondTheirRangeAreRefused();
    void aRealMessageTakesTheFocusWithoutASecondCommit();
    void laborLinesAreTypedOnTheNewRowLine();
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
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QTableView* grid = s.e->grdMaterialEstimate;
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
    const QString marginBefore = s.e->txtTotalMaterialMargin->text();
    QCOMPARE(marginBefore, QStringLiteral("$0.00"));

    typeIntoCell(grid, 0, MaterialLines::Quantity, QStringLiteral("3"));
    typeIntoCell(grid, 0, MaterialLines::Margin, QStringLiteral("20"));
    QCOMPARE(row(s, grid, 0, kPriced),
             (QStringList{"3", "$12.50", "$15.00", "$37.50", "$45.00", "20.0%"}));
    // What the grid shows is what is stored.
    QCOMPARE(program.db
                 .scalar("SELECT Extension FROM MaterialEstimateTBL WHERE "
                         "MaterialEstimateID = 1")
                 .toDouble(),
             45.0);
    QCOMPARE(s.e->txtTotalMaterialMargin->text(), QStringLiteral("$7.50"));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));

    // A price below a dollar keeps its fourth decimal, and the extension is rounded once to the
    // cent: 3 x $0.375 is stored as $1.13, the figure a customer can check.
    typeIntoCell(grid, 1, MaterialLines::UnitCost, QStringLiteral("0.3333"));
    typeIntoCell(grid, 1, MaterialLines::Margin, QStringLiteral("12.5%"));
    typeIntoCell(grid, 1, MaterialLines::Quantity, QStringLiteral("3"));
    QCOMPARE(program.db.scalar("SELECT Price FROM MaterialEstimateTBL WHERE MaterialEstimateID = 2")
                 .toDouble(),
             0.375);
    QCOMPARE(program.db
                 .scalar("SELECT Extension FROM MaterialEstimateTBL WHERE "
                         "MaterialEstimateID = 2")
                 .toDouble(),
             1.13);
    QCOMPARE(panel(s.e), recomputed(program.db, 1));

    // A cleared unit cost is no cost: the line goes to zero, without a word.
    typeIntoCell(grid, 0, MaterialLines::UnitCost, QString());
    QCOMPARE(row(s, grid, 0, kPriced),
             (QStringList{"3", "$0.00", "$0.00", "$0.00", "$0.00", "20.0%"}));
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(panel(s.e), recomputed(program.db, 1));

    // Typing straight onto a chosen cell edits it as well; the description is the user's too.
    clickAndType(grid, 0, MaterialLines::Description, QStringLiteral("Elbow, brass"));
    QCOMPARE(s.cell(grid, 0, MaterialLines::Description), QStringLiteral("Elbow, brass"));
    // The part number and the computed amounts are not typed.
    doubleClickCell(grid, 0, MaterialLines::Extension);
    QCOMPARE(QApplication::focusWidget(), grid);

    // The panel reopened from the database agrees with the one that followed the edits.
    const QStringList followed = panel(s.e);
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    s.click(s.recordBarButton(QStringLiteral("Previous record")));
    QCOMPARE(panel(s.e), followed);
}

void TestEstimateLines::badNumbersAreRefusedWithTheirMessages() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QTableView* materials = s.e->grdMaterialEstimate;
    QTableView* labor = s.e->grdLaborEstimate;
    const QStringList before = panel(s.e);

    typeIntoCell(materials, 1, MaterialLines::Quantity, QStringLiteral("abc"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for quantity"});
    QCOMPARE(messages.titles(), QStringList{"Material Estimate"});
    QCOMPARE(s.cell(materials, 1, MaterialLines::Quantity), QStringLiteral("2"));
    messages.clear();

    // The second line's margin was never set: "abc" is refused and the cell stays empty.
    typeIntoCell(materials, 1, MaterialLines::Margin, QStringLiteral("abc"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for Margin"});
    QCOMPARE(s.cell(materials, 1, MaterialLines::Margin), QString());
    QVERIFY(program.db.scalar("SELECT Margin FROM MaterialEstimateTBL WHERE MaterialEstimateID = 2")
                .isNull());
    messages.clear();

    typeIntoCell(labor, 0, LaborLines::Rate, QStringLiteral("abc"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for labor rate"});
    QCOMPARE(messages.titles(), QStringList{"Labor Estimate"});
    QCOMPARE(s.cell(labor, 0, LaborLines::Rate), QStringLiteral("$40.00"));
    messages.clear();
    typeIntoCell(labor, 0, LaborLines::Hours, QStringLiteral("2 1/2"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for hours"});
    QCOMPARE(s.cell(labor, 0, LaborLines::Hours), QStringLiteral("2"));
    QCOMPARE(panel(s.e), before);
}

void TestEstimateLines::numbersBeyondTheirRangeAreRefused() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QTableView* materials = s.e->grdMaterialEstimate;
    QTableView* labor = s.e->grdLaborEstimate;
    const QStringList before = panel(s.e);
    const QVariant storedCost =
        program.db.scalar("SELECT UnitCost FROM MaterialEstimateTBL WHERE MaterialEstimateID = 1");

    // Once wrapped to a negative cost; now named with the range, and the cell keeps its cost.
    typeIntoCell(materials, 0, MaterialLines::UnitCost, QStringLiteral("99999999999999999"));
    QCOMPARE(messages.texts(),
             QStringList{"Unit cost must lie between -$999,999,999.9999 and $999,999,999.9999"});
    QCOMPARE(s.cell(materials, 0, MaterialLines::UnitCost), QStringLiteral("$12.50"));
    messages.clear();
    typeIntoCell(labor, 0, LaborLines::Rate, QStringLiteral("$922,337,203,685,477.58"));
    QCOMPARE(messages.texts(),
             QStringList{"Labor rate must lie between -$999,999,999.9999 and $999,999,999.9999"});
    QCOMPARE(s.cell(labor, 0, LaborLines::Rate), QStringLiteral("$40.00"));
    messages.clear();
    typeIntoCell(materials, 0, MaterialLines::Quantity, QStringLiteral("1,000,000,001"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for quantity"});
    messages.clear();
    typeIntoCell(labor, 0, LaborLines::Hours, QStringLiteral("2,000,000,000"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for hours"});
    messages.clear();
    typeIntoCell(materials, 0, MaterialLines::Margin, QStringLiteral("1000000000000%"));
    QCOMPARE(messages.texts(), QStringList{"Numeric value is required for Margin"});

    QCOMPARE(
        program.db.scalar("SELECT UnitCost FROM MaterialEstimateTBL WHERE MaterialEstimateID = 1"),
        storedCost);
    QCOMPARE(panel(s.e), before);

    // Lines each within the range whose total is not: the line that would make it is refused,
    // so no total is ever shown or printed capped.
    const QStringList beyondTotal{
        "The estimate's total must lie between -$999,999,999.9999 and $999,999,999.9999"};
    messages.clear();
    typeIntoCell(materials, 0, MaterialLines::Quantity, QStringLiteral("90000000"));
    QCOMPARE(messages.texts(), beyondTotal);
    QCOMPARE(panel(s.e), before);
    typeIntoCell(materials, 0, MaterialLines::Quantity, QStringLiteral("48000000"));
    QCOMPARE(s.cell(materials, 0, MaterialLines::Extension), QStringLiteral("$600,000,000.00"));
    messages.clear();
    typeIntoCell(labor, 0, LaborLines::Hours, QStringLiteral("10000000"));
    QCOMPARE(messages.texts(), beyondTotal);
    QCOMPARE(s.cell(labor, 0, LaborLines::Hours), QStringLiteral("2"));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
}

void TestEstimateLines::aRealMessageTakesTheFocusWithoutASecondCommit() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
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

void TestEstimateLines::laborLinesAreTypedOnTheNewRowLine() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QTableView* labor = s.e->grdLaborEstimate;
    const QString taxBefore = s.e->txtTax->text();
    const Money totalBefore = *parseCurrency(s.e->txtTotalEstimate->text());

    // A description typed on the line marked * starts a line with its defaults.
    typeIntoCell(labor, 1, LaborLines::Description, QStringLiteral("Rough-in"));
    QCOMPARE(row(s, labor, 1, kLabor), (QStringList{"0", "Rough-in", "$0.00", "$0.00"}));
    QCOMPARE(program.db.scalar("SELECT EstimateID FROM LaborEstimateTBL WHERE "
                               "LaborDescription = 'Rough-in'"),
             QVariant(1));
    typeIntoCell(labor, 1, LaborLines::Hours, QStringLiteral("8"));
    typeIntoCell(labor, 1, LaborLines::Rate, QStringLiteral("$45.00"));
    QCOMPARE(s.cell(labor, 1, LaborLines::Extension), QStringLiteral("$360.00"));
    QCOMPARE(*parseCurrency(s.e->txtTotalEstimate->text()), totalBefore + Money::fromCents(36000));
    QCOMPARE(s.e->txtTotalLabourExtension->text(), QStringLiteral("$440.00"));
    QCOMPARE(s.e->txtTax->text(), taxBefore);

    // A fraction of an hour is worked and paid: 2.5 h at $40.00 is $100.00.
    typeIntoCell(labor, 0, LaborLines::Hours, QStringLiteral("2.5"));
    QCOMPARE(row(s, labor, 0, kLabor), (QStringList{"2.5", "Fitting", "$40.00", "$100.00"}));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
    QVERIFY(messages.shown().isEmpty());
}

void TestEstimateLines::aNewLineIsOneLineUntilItIsLeft_data() {
    QTest::addColumn<QStringList>("typed"); // from the hours on, with Tab between
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QStringList>("stored"); // the line as stored, or nothing
    const QStringList all = {"8", "Rough-in", "45"};
    const QStringList line = {"8", "Rough-in", "$45.00", "$360.00"};
    QTest::newRow("Tab across, Enter") << all << Ending::Enter << line;
    QTest::newRow("Tab past the last cell") << all << Ending::TabPastLastCell << line;
    // What was not typed keeps the new line's defaults.
    QTest::newRow("another line clicked") << QStringList{"3"} << Ending::AnotherLineClicked
                                          << QStringList{"3", "None", "$0.00", "$0.00"};
    QTest::newRow("another control clicked") << all.mid(0, 2) << Ending::AnotherControl
                                             << QStringList{"8", "Rough-in", "$0.00", "$0.00"};
    QTest::newRow("window closed")
        << all.mid(0, 2) << Ending::WindowClosed << QStringList{"8", "Rough-in", "$0.00", "$0.00"};
    QTest::newRow("Esc in a cell") << all << Ending::Esc << QStringList();
    QTest::newRow("Esc with no cell open")
        << all.mid(0, 2) << Ending::EscNoCellOpen << QStringList();
}

void TestEstimateLines::aNewLineIsOneLineUntilItIsLeft() {
    QFETCH(QStringList, typed);
    QFETCH(Ending, ending);
    QFETCH(QStringList, stored);
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QTableView* labor = s.e->grdLaborEstimate;
    const auto storedLines = [&] {
        return program.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL WHERE EstimateID = 1")
            .toInt();
    };

    typeAcross(labor, 1, LaborLines::Hours, typed);
    // Still the one new line, shown as typed (but for the open cell) and not yet written.
    QCOMPARE(labor->currentIndex().row(), 1);
    QCOMPARE(labor->currentIndex().column(), LaborLines::Hours + int(typed.size()) - 1);
    if (typed.size() > 1)
        QCOMPARE(s.cell(labor, 1, LaborLines::Hours), typed.first());
    QCOMPARE(s.model(labor)->recordCount(), 1);
    QCOMPARE(storedLines(), 1);

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
        QTest::mouseClick(labor->viewport(), Qt::LeftButton, {},
                          cellCentre(labor, 0, LaborLines::Description));
        break;
    case Ending::AnotherControl:
        s.click(s.e->txtQuoteNumber);
        QCOMPARE(QApplication::focusWidget(), s.e->txtQuoteNumber);
        break;
    case Ending::WindowClosed:
        // Clicking another cell of the line closes the editor, and leaves the line being typed.
        QTest::mouseClick(labor->viewport(), Qt::LeftButton, {},
                          cellCentre(labor, 1, LaborLines::Rate));
        QVERIFY(s.window.close());
        break;
    case Ending::Esc:
        QTest::keyClick(cellEditor(labor), Qt::Key_Escape);
        break;
    case Ending::EscNoCellOpen:
        // A click on another cell of the line closes the editor; the line is still being typed.
        QTest::mouseClick(labor->viewport(), Qt::LeftButton, {},
                          cellCentre(labor, 1, LaborLines::Rate));
        QVERIFY(!cellEditor(labor));
        QCOMPARE(storedLines(), 1);
        QTest::keyClick(labor, Qt::Key_Escape);
        break;
    }

    if (stored.isEmpty()) {
        QCOMPARE(s.cell(labor, 1, LaborLines::Hours), QString());
        // Nothing comes back when the line is left afterwards.
        QTest::mouseClick(labor->viewport(), Qt::LeftButton, {},
                          cellCentre(labor, 0, LaborLines::Description));
        QCOMPARE(storedLines(), 1);
        QCOMPARE(s.model(labor)->recordCount(), 1);
    } else {
        QCOMPARE(storedLines(), 2);
        QCOMPARE(s.model(labor)->recordCount(), 2);
        QCOMPARE(row(s, labor, 1, kLabor), stored);
        QCOMPARE(program.db.scalar("SELECT LaborDescription FROM LaborEstimateTBL WHERE "
                                   "LaborEstimateID <> 1"),
                 QVariant(stored.at(1)));
        QCOMPARE(s.cell(labor, 2, LaborLines::Hours), QString()); // a fresh new line
    }
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
}

void TestEstimateLines::aRowHeaderClickChoosesTheLineToDelete() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    QTableView* materials = s.e->grdMaterialEstimate;
    QTableView* labor = s.e->grdLaborEstimate;
    Questions asked(materials);

    // The cursor on the second line, then a click on the first line's header: that line is the
    // one asked about, highlighted, and kept on No.
    QTest::mouseClick(materials->viewport(), Qt::LeftButton, {},
                      cellCentre(materials, 1, MaterialLines::Description));
    clickRowHeader(materials, 0);
    QCOMPARE(materials->currentIndex().row(), 0);
    QVERIFY(materials->selectionModel()->isRowSelected(0));
    asked.answers = {QMessageBox::No};
    QTest::keyClick(materials, Qt::Key_Delete);
    QCOMPARE(asked.texts, QStringList{"Delete this line from the estimate?"});
    QCOMPARE(asked.highlighted, QList<QList<int>>{{0}});
    QCOMPARE(s.model(materials)->recordCount(), 2);

    // Yes: exactly that line goes, from the grid and the file, and the panel follows.
    asked.answers = {QMessageBox::Yes};
    QTest::keyClick(materials, Qt::Key_Delete);
    QCOMPARE(s.model(materials)->recordCount(), 1);
    QCOMPARE(s.cell(materials, 0, MaterialLines::PartNumber), QStringLiteral("CP-3"));
    QCOMPARE(program.db.scalar("SELECT MaterialEstimateID FROM MaterialEstimateTBL"), QVariant(2));
    QCOMPARE(s.e->txtTotalMaterailExtension->text(), QStringLiteral("$6.00"));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));

    // The new-row line is not a line to delete.
    asked.texts.clear();
    clickRowHeader(labor, 1);
    QTest::keyClick(labor, Qt::Key_Delete);
    QVERIFY(asked.texts.isEmpty());

    // The grid's context menu offers the same, on the line clicked; the labor and the total drop.
    asked.answers = {QMessageBox::Yes};
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
    QCOMPARE(asked.texts, QStringList{"Delete this line from the estimate?"});
    QCOMPARE(s.model(labor)->recordCount(), 0);
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL").toInt(), 0);
    QCOMPARE(s.e->txtTotalLabourExtension->text(), QStringLiteral("$0.00"));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
}

void TestEstimateLines::severalChosenLinesAreDeletedTogether() {
    OneEstimate program;
    const QString labor = QStringLiteral(
        "INSERT INTO LaborEstimateTBL (LaborEstimateID, EstimateID, Hours, LaborDescription, "
        "LaborRate, LaborExtension) VALUES (?, 1, ?, ?, 40, ?)");
    program.db.exec(labor, {2, 3, "Rough-in", 120.0});
    program.db.exec(labor, {3, 1, "Trim", 40.0});
    QVERIFY(program.load());
    EstimateScreen s;
    QTableView* grid = s.e->grdLaborEstimate;
    Questions asked(grid);
    const auto storedKeys = [&] {
        QStringList keys;
        TestQuery q(program.db.connection().database());
        q.prepare(QStringLiteral("SELECT LaborEstimateID FROM LaborEstimateTBL ORDER BY 1"));
        for (q.exec(); q.next();)
            keys << q.value(0).toString();
        return keys;
    };

    // Shift chooses a range, asked about once.
    clickRowHeader(grid, 0);
    clickRowHeader(grid, 2, Qt::ShiftModifier);
    asked.answers = {QMessageBox::No};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(asked.texts, QStringList{"Delete these 3 lines from the estimate?"});
    QCOMPARE(asked.highlighted, (QList<QList<int>>{{0, 1, 2}}));
    QCOMPARE(storedKeys(), (QStringList{"1", "2", "3"}));

    // Ctrl chooses the first and the last. Another window has changed the first meanwhile: the
    // last, deleted first, comes back too, and the grid shows the file.
    program.db.exec("UPDATE LaborEstimateTBL SET LaborRate = 41, LaborExtension = 82 WHERE "
                    "LaborEstimateID = 1");
    clickRowHeader(grid, 0);
    clickRowHeader(grid, 2, Qt::ControlModifier);
    asked.texts.clear();
    asked.highlighted.clear();
    asked.answers = {QMessageBox::Yes};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(asked.texts.size(), 2);
    QCOMPARE(asked.texts.first(), QStringLiteral("Delete these 2 lines from the estimate?"));
    QCOMPARE(asked.highlighted.first(), (QList<int>{0, 2}));
    QVERIFY2(asked.texts.last().startsWith(QLatin1String("None of the 2 lines was deleted: ")),
             qPrintable(asked.texts.last()));
    QCOMPARE(storedKeys(), (QStringList{"1", "2", "3"}));
    QCOMPARE(s.model(grid)->recordCount(), 3);
    QCOMPARE(s.cell(grid, 0, LaborLines::Rate), QStringLiteral("$41.00"));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));

    // Asked again, both go, and only they.
    clickRowHeader(grid, 0);
    clickRowHeader(grid, 2, Qt::ControlModifier);
    asked.texts.clear();
    asked.answers = {QMessageBox::Yes};
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(asked.texts, QStringList{"Delete these 2 lines from the estimate?"});
    QCOMPARE(storedKeys(), QStringList{"2"});
    QCOMPARE(s.model(grid)->recordCount(), 1);
    QCOMPARE(s.cell(grid, 0, LaborLines::Description), QStringLiteral("Rough-in"));
    QCOMPARE(s.e->txtTotalLabourExtension->text(), QStringLiteral("$120.00"));
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
}

void TestEstimateLines::aNewEstimateIsWrittenBeforeItsFirstLine() {
    Program program; // an empty database, but for a line an older version left without estimate
    program.db.exec("PRAGMA foreign_keys = OFF");
    program.db.exec("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription) VALUES "
                    "(0, 1, 'Stray')");
    program.db.exec("PRAGMA foreign_keys = ON");
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    s.window.mnuFileNewEstimate->trigger();
    // The stray line is nobody's: the new estimate starts without lines.
    QCOMPARE(s.model(s.e->grdLaborEstimate)->recordCount(), 0);
    QTest::keyClicks(s.e->txtQuoteNumber, QStringLiteral("501"));
    s.leave(s.e->txtQuoteNumber);
    QVERIFY(s.lineEntryEnabled());
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 0);

    // Typing straight onto the new-row line: the estimate is saved first, and not a key is lost.
    clickAndType(s.e->grdLaborEstimate, 0, LaborLines::Description, QStringLiteral("Survey"));
    typeIntoCell(s.e->grdLaborEstimate, 0, LaborLines::Hours, QStringLiteral("1.5"));
    QVERIFY(messages.shown().isEmpty());
    const int id =
        program.db.scalar("SELECT EstimateID FROM EstimateTBL WHERE QuoteNumber = 501").toInt();
    QVERIFY(id > 0);
    QCOMPARE(program.db
                 .scalar("SELECT EstimateID FROM LaborEstimateTBL WHERE LaborDescription = "
                         "'Survey'")
                 .toInt(),
             id);
    // Only the stray line has no estimate.
    QCOMPARE(
        program.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL WHERE EstimateID = 0").toInt(), 1);

    // Reopened, as after a restart, the estimate still has its line.
    s.e->reload();
    QVERIFY(s.window.estimateBook->open(id));
    QCOMPARE(s.model(s.e->grdLaborEstimate)->recordCount(), 1);
    QCOMPARE(s.cell(s.e->grdLaborEstimate, 0, LaborLines::Description), QStringLiteral("Survey"));

    // A new estimate that cannot be saved (its number is taken) gets no line: the save says why.
    s.window.mnuFileNewEstimate->trigger();
    QTest::keyClicks(s.e->txtQuoteNumber, QStringLiteral("501"));
    s.leave(s.e->txtQuoteNumber);
    messages.clear();
    doubleClickCell(s.e->grdLaborEstimate, 0, LaborLines::Description);
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.texts().first().contains(QLatin1String("501")));
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM LaborEstimateTBL").toInt(), 2);
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 1);
    QVERIFY(!s.e->grdLaborEstimate->findChild<QLineEdit*>(QStringLiteral("cellEditor")));
}

void TestEstimateLines::thePickerAddsLinesAndThePanelFollows() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
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
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(list, 2, 2));
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
    QCOMPARE(row(s, grid, 2, kPriced),
             (QStringList{"1", "$12.50", "$12.50", "$12.50", "$12.50", "0.0%"}));
    QCOMPARE(s.cell(grid, 2, MaterialLines::PartNumber), QStringLiteral("TV-1"));
    QCOMPARE(s.cell(grid, 3, MaterialLines::Description), QStringLiteral("Gate valve"));
    QCOMPARE(program.db
                 .scalar("SELECT COUNT(*) FROM MaterialEstimateTBL WHERE EstimateID = 1 "
                         "AND MaterialsID IN (41, 42)")
                 .toInt(),
             2);
    QCOMPARE(grid->currentIndex().row(), 3);
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
    QVERIFY(messages.shown().isEmpty());

    // Closed from its title bar after a choice, the picker comes back until it is cancelled.
    visits = 0;
    QVERIFY(whileModal([&] { s.click(s.e->btnMaterialEstimate); },
                       [&](QDialog* dialog) {
                           auto* picker = qobject_cast<frmMaterials*>(dialog);
                           QTRY_COMPARE(picker->grdMaterialsList->model()->rowCount(), 4);
                           QTest::mouseClick(picker->grdMaterialsList->viewport(), Qt::LeftButton,
                                             {}, cellCentre(picker->grdMaterialsList, 0, 2));
                           s.click(picker->btnSelect);
                           QTimer::singleShot(0, [&] {
                               choose(
                                   QApplication::activeModalWidget()
                                       ? qobject_cast<QDialog*>(QApplication::activeModalWidget())
                                       : nullptr);
                           });
                           picker->close();
                       }));
    QCOMPARE(visits, 1); // the second showing, cancelled
    // A new visit counts afresh, and the margin's heading says how it prices a line.
    QVERIFY(whileModal([&] { s.click(s.e->btnMaterialEstimate); },
                       [&](QDialog* dialog) {
                           auto* picker = qobject_cast<frmMaterials*>(dialog);
                           QVERIFY(!picker->lblAdded->text().startsWith(QLatin1String("Added")));
                           picker->reject();
                       }));
    QCOMPARE(s.model(grid)->headerData(MaterialLines::Margin, Qt::Horizontal, Qt::ToolTipRole),
             QStringLiteral("Markup on cost: price = unit cost \u00d7 (1 + margin)"));
    QCOMPARE(s.model(grid)->recordCount(), 7);
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
}

void TestEstimateLines::aDoubleClickOnPartNumberOpensThePicker() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    QTableView* grid = s.e->grdMaterialEstimate;
    const auto doubleClick = [&](int column) {
        return whileModal([&] { doubleClickCell(grid, 0, column); },
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
    QRandomGenerator random(20261206);
    const QStringList quantities = {"1", "2.5", "7", "0", "12", "0.333", "1,200"};
    const QStringList margins = {"0", "12.5%", "33", "7.25", "100%", "0.1"};
    const QStringList costs = {"$12.50", "0.3333", "1,234.5678", "", "$0.01", "99"};
    const QStringList hours = {"8", "2.5", "0.25", "3.5", "40"};
    const QStringList rates = {"$45.00", "40", "37.125", "$0.99"};
    for (int step = 0; step < 60; ++step) {
        RecordSetModel* lines = random.bounded(2) ? material->model : labor->model;
        const int count = lines->recordCount();
        const int row = count > 0 ? int(random.bounded(count)) : 0;
        const auto pick = [&random](const QStringList& from) {
            return from.at(int(random.bounded(int(from.size()))));
        };
        switch (random.bounded(5)) {
        case 0: {
            const int materialId = int(random.bounded(300)) + 1;
            material->mofrmMaterials_MaterialClicled(
                materialId, QStringLiteral("R-%1").arg(materialId), QStringLiteral("Random"),
                Money::fromUnits(random.bounded(10000000)));
            break;
        }
        case 1:
            if (count > 0 && lines == material->model)
                lines->setData(lines->index(row, MaterialLines::Quantity), pick(quantities));
            else if (count > 0)
                lines->setData(lines->index(row, LaborLines::Hours), pick(hours));
            break;
        case 2:
            if (count > 0 && lines == material->model)
                lines->setData(lines->index(row, random.bounded(2) ? MaterialLines::Margin
                                                                   : MaterialLines::UnitCost),
                               pick(random.bounded(2) ? margins : costs));
            else if (count > 0)
                lines->setData(lines->index(row, LaborLines::Rate), pick(rates));
            break;
        case 3:
            // A line typed on the new-row line and left.
            labor->model->setData(
                labor->model->index(labor->model->recordCount(), LaborLines::Rate), pick(rates));
            labor->model->submit();
            break;
        case 4:
            if (count > 0)
                (lines == material->model ? static_cast<LineList*>(material)
                                          : static_cast<LineList*>(labor))
                    ->deleteLine(row);
            break;
        }
        QCOMPARE(panel(s.e), recomputed(gConnection->database(), id));
    }
    // None of the values above is refused; a refusal would have been a message.
    for (const QString& text : messages.texts())
        QCOMPARE(text, QStringLiteral("Delete this line from the estimate?"));
    // Reopened from the database's own sums, the panel shows the same figures.
    const QStringList followed = panel(s.e);
    s.e->reload();
    QVERIFY(s.window.estimateBook->open(id));
    QCOMPARE(panel(s.e), followed);
}

void TestEstimateLines::aLineChangedElsewhereIsReadAgain() {
    OneEstimate program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QTableView* grid = s.e->grdMaterialEstimate;
    // Another window changes the first line's quantity; this one then types over it.
    program.db.exec("UPDATE MaterialEstimateTBL SET Quantity = 5, TotalCost = 62.5, Extension = "
                    "62.5 WHERE MaterialEstimateID = 1");
    typeIntoCell(grid, 0, MaterialLines::Quantity, QStringLiteral("3"));
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY2(messages.texts().first().startsWith(
                 "The line was changed by someone else since you opened the estimate."),
             qPrintable(messages.texts().first()));
    // The lines are read again: the other window's line shows, and the panel follows it.
    QTRY_COMPARE(s.cell(grid, 0, MaterialLines::Quantity), QStringLiteral("5"));
    QCOMPARE(
        program.db.scalar("SELECT Quantity FROM MaterialEstimateTBL WHERE MaterialEstimateID = 1")
            .toDouble(),
        5.0);
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
    // Typed again, it is stored.
    typeIntoCell(grid, 0, MaterialLines::Quantity, QStringLiteral("3"));
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(
        program.db.scalar("SELECT Quantity FROM MaterialEstimateTBL WHERE MaterialEstimateID = 1")
            .toDouble(),
        3.0);
    QCOMPARE(panel(s.e), recomputed(program.db, 1));
}

QTEST_MAIN(TestEstimateLines)
#include "tst_estimatelines.moc"
