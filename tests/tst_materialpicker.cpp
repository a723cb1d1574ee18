// The material picker as an estimator works it: the list and its order, handing materials over,
// the filters it shares with the Materials screen, the type-ahead, and the indexes behind them.
// Driven through the real widgets of the modal window, on a hand-made catalogue, an empty one
// and generated data.
#include "data/database.h"
#include "data/globals.h"
#include "materials/materialfilter.h"
#include "materials/materialpicker.h"
#include "materials/pickerplacement.h"
#include "support/materialsscreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"

#include <QApplication>
#include <QGroupBox>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kUnitCost = 3;

// Material 5 has no category and 6 no manufacturer, so neither is offered; 1 and 7 have the
// same description but for its case, so their keys order them.
struct Catalogue : Program {
    Catalogue() {
        db.addSmallLookups();
        const QString insert = QStringLiteral(
            "INSERT INTO MaterialsTBL (MaterialsID, ManufacturerID, SuppliersID, CatagoryID, "
            "PartNumber, ManufacturerDescription, UnitCost) VALUES (?, ?, ?, ?, ?, ?, ?)");
        db.exec(insert, {1, 1, 1, 1, "EL-100", "elbow copper", 10.0});
        db.exec(insert, {2, 2, 1, 2, "GV-200", "Gate valve", 9.5});
        db.exec(insert, {3, 1, 2, 2, "BV-300", "ball valve", 1234.5});
        db.exec(insert, {4, 2, 2, 1, "TE-400", "Tee", 1.25});
        db.exec(insert, {5, 1, 1, QVariant(), "NC-500", "Adapter", 2.0});
        db.exec(insert, {6, QVariant(), 1, 1, "NM-600", "Bushing", 3.0});
        db.exec(insert, {7, 2, 1, 1, "el-101", "Elbow copper", 11.0});
    }
};

// The picker's controls.
struct Picker {
    frmMaterials* window;
    QTableView* grid = window->grdMaterialsList;
    QComboBox *manufacturer = window->cbManufacturerFilter, *supplier = window->cbSupplierFilter,
              *category = window->cbCategoryFilter;
    QPushButton *viewAll = window->cbMaterialsFilterViewAll, *select = window->btnSelect,
                *cancel = window->btnCancel;

    QAbstractItemModel* list() const { return grid->model(); }
    QList<int> listedIds() const {
        QList<int> ids;
        for (int row = 0; row < list()->rowCount(); ++row)
            ids << list()->index(row, 0).data().toInt();
        return ids;
    }
    int currentId() const { return list()->index(grid->currentIndex().row(), 0).data().toInt(); }
    QPoint cellCentre(int row, int column) const {
        const QModelIndex index = list()->index(row, column);
        grid->scrollTo(index);
        return grid->visualRect(index).center();
    }
    void clickCell(int row, int column) const {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(row, column));
    }
    // As the window system sends a double click: press, release, double click, release.
    void doubleClickAt(QPoint at) const {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
    }
    void doubleClickCell(int row, int column) const { doubleClickAt(cellCentre(row, column)); }
    // Typed into the list after a pause, so it starts a new search.
    void typeInList(const QString& text) const {
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(grid, text);
    }
};

// The data loaded and a picker over a shown window.
template <class Data> struct Over : Loaded<Data> {
    template <class... Args> explicit Over(Args... args) : Loaded<Data>(args...) { owner.show(); }
    QWidget owner;
    frmMaterials picker{&owner};
};

// One visit: SelectMaterial shows the window modally and steps drive it.
int visit(frmMaterials& picker, int materialNum, const std::function<void(Picker&)>& steps) {
    int result = -1;
    const bool shown = whileModal([&] { result = picker.SelectMaterial(materialNum); },
                                  [&](QDialog* dialog) {
                                      // Active, as it is for a user, so clicks and keys land.
                                      dialog->activateWindow();
                                      if (!QTest::qWaitForWindowActive(dialog))
                                          qWarning("the picker did not become active");
                                      Picker p{&picker};
                                      QCOMPARE(dialog, &picker);
                                      steps(p);
                                  });
    if (!shown)
        qWarning("the picker did not show modally");
    return result;
}

// A value read through the running program's connection.
QVariant programScalar(const QString& sql, const QVariantList& values) {
    Statement q(gConnection->database(), sql);
    if (!q.bindAll(values) || !q.next())
        return {};
    return q.value(0);
}

} // namespace

class TestMaterialPicker : public QObject {
    Q_OBJECT
private slots:
    void init() { gMaterialFilter.clear(); }
    void listsCompleteMaterialsByDescription();
    void handsOverMaterialsAndReturnsOnClose();
    void filtersAreSharedWithTheMaterialsScreen();
    void unknownNameListsNothingAndViewAllClears();
    void emptyCatalogue();
    void databaseErrorsAreReported();
    void filterListsAreReadWhenTurnedTo();
    void typingJumpsToDescriptionOrPartNumber();
    void partNumberJumpSearchesTheIndex();
    void indexesAreAddedToAnOlderFile();
    void standsBesideTheLinesAndWhereItWasLeft();
};

void TestMaterialPicker::listsCompleteMaterialsByDescription() {
    Catalogue program;
    QVERIFY(program.load());
    QWidget owner;
    owner.setGeometry(120, 90, 900, 640);
    owner.show();
    frmMaterials picker(&owner);
    ScriptedMessages messages;
    QRect userGeometry;
    visit(picker, 0, [&](Picker& p) {
        QCOMPARE(p.window->windowTitle(), "Select a Material");
        // Placed over its owner the first time.
        QCOMPARE(p.window->geometry(), owner.geometry());
        QCOMPARE(p.listedIds(), (QList<int>{3, 1, 7, 2, 4}));
        QVERIFY(p.grid->isColumnHidden(0));
        const QStringList headings = {"Part Number", "Description", "Unit Cost"};
        for (int column = 1; column <= 3; ++column)
            QCOMPARE(p.list()->headerData(column, Qt::Horizontal).toString(), headings[column - 1]);
        QCOMPARE(p.list()->index(0, kUnitCost).data().toString(), "$1,234.50");
        QVERIFY(p.list()->index(0, kUnitCost).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        QVERIFY(p.select->isEnabled() && p.select->isDefault());
        QGroupBox* frame = p.window->frMaterialsFilter;
        const QList<QWidget*> controls = {p.grid,    p.manufacturer, p.supplier, p.category,
                                          p.viewAll, p.select,       p.cancel,   frame};
        for (QWidget* control : controls)
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
        // Part number and unit cost take 0.2 and 0.14 of the list's width, and the description
        // the rest, here and after a resize.
        const auto descriptionShare = [&p] {
            const int width = p.grid->viewport()->width();
            return qAbs(p.grid->columnWidth(1) - 0.2 * width) <= 1 &&
                   qAbs(p.grid->columnWidth(3) - 0.14 * width) <= 1 &&
                   p.grid->columnWidth(1) + p.grid->columnWidth(2) + p.grid->columnWidth(3) ==
                       width;
        };
        QVERIFY(descriptionShare());

        // Tab order: filters, View All, list, Select, Cancel.
        p.manufacturer->setFocus();
        const QList<QWidget*> order = {p.supplier, p.category, p.viewAll,
                                       p.grid,     p.select,   p.cancel};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        // A wider, taller window: the list grows, the filters and buttons keep to the right.
        const int listWidth = p.grid->width();
        const int rightGap = p.window->width() - p.select->geometry().right();
        const int frameHeight = frame->height();
        p.window->resize(p.window->width() + 200, p.window->height() + 100);
        QTRY_COMPARE(p.grid->width(), listWidth + 200);
        QCOMPARE(p.window->width() - p.select->geometry().right(), rightGap);
        QCOMPARE(frame->height(), frameHeight + 100);
        QVERIFY(descriptionShare());
        userGeometry = p.window->geometry();
        QTest::keyClick(p.grid, Qt::Key_Escape);
    });
    QVERIFY(!picker.isVisible());
    // The next visit keeps the size the user gave it, and a hidden picker holds no rows.
    QCOMPARE(picker.listModel()->rowCount(), 0);
    visit(picker, 0, [&](Picker& p) {
        QCOMPARE(p.window->geometry(), userGeometry);
        QCOMPARE(p.listedIds().size(), 5);
    });
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialPicker::handsOverMaterialsAndReturnsOnClose() {
    Over<Catalogue> t;
    QSignalSpy chosen(&t.picker, &frmMaterials::MaterialClicled);

    // A double click on a row, then Select on another; each is handed over at once and the
    // window stays open. Cancel then returns 0.
    int result = visit(t.picker, 42, [&](Picker& p) {
        p.doubleClickCell(0, 2);
        QCOMPARE(chosen.count(), 1);
        QVERIFY(p.window->isVisible());
        p.clickCell(3, 1);
        QTest::mouseClick(p.select, Qt::LeftButton);
        QCOMPARE(chosen.count(), 2);
        QTest::mouseClick(p.cancel, Qt::LeftButton);
        QVERIFY(!p.window->isVisible());
    });
    QCOMPARE(result, 0);
    QCOMPARE(chosen.count(), 2);
    QCOMPARE(chosen.at(0).mid(0, 3), (QVariantList{3, "BV-300", "ball valve"}));
    QCOMPARE(chosen.at(0).at(3).value<Money>(), Money::fromDouble(1234.5));
    QCOMPARE(chosen.at(1).at(0).toInt(), 2);

    // Enter in the list hands over the current row; closed by the title bar, the last one
    // handed over is the answer.
    chosen.clear();
    result = visit(t.picker, 42, [&](Picker& p) {
        p.clickCell(4, 2);
        QTest::keyClick(p.grid, Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QVERIFY(p.window->isVisible());
        p.window->close();
    });
    QCOMPARE(result, 4);
    QCOMPARE(chosen.at(0).at(0).toInt(), 4);
    // Closed without a choice: the number given.
    QCOMPARE(visit(t.picker, 42, [](Picker& p) { p.window->close(); }), 42);
}

void TestMaterialPicker::filtersAreSharedWithTheMaterialsScreen() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    // Chosen on the Materials screen, taken by the picker.
    s.choose(s.l->cbCategoryFilter, "Valves");
    QCOMPARE(gMaterialFilter.category, "2");
    frmMaterials picker(&s.window);
    visit(picker, 0, [&](Picker& p) {
        QCOMPARE(p.category->currentText(), "Valves");
        QCOMPARE(p.listedIds(), (QList<int>{3, 2}));
        MaterialsScreen::choose(p.supplier, "Bolt Brothers");
        QCOMPARE(p.listedIds(), QList<int>{3});
        QTest::mouseClick(p.cancel, Qt::LeftButton);
    });
    QCOMPARE(gMaterialFilter.supplier, "2");
    QCOMPARE(gMaterialFilter.category, "2");
    // The same supplier chosen on the Materials screen filters its list, though it is already
    // the remembered value.
    s.choose(s.l->cbSupplierFilter, "Bolt Brothers");
    QCOMPARE(s.listedIds(), QList<int>{3});
    // The picker keeps its filters from one visit to the next.
    visit(picker, 0, [&](Picker& p) {
        QCOMPARE(p.supplier->currentText(), "Bolt Brothers");
        QCOMPARE(p.listedIds(), QList<int>{3});
    });
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialPicker::unknownNameListsNothingAndViewAllClears() {
    Over<Catalogue> t;
    auto* data = t.picker.findChild<DataControl*>("dcPickerMaterials");
    QVERIFY(data);
    QSignalSpy chosen(&t.picker, &frmMaterials::MaterialClicled);
    ScriptedMessages messages;
    visit(t.picker, 0, [&](Picker& p) {
        MaterialsScreen::choose(p.manufacturer, "Delta");
        QCOMPARE(p.listedIds(), (QList<int>{7, 2, 4}));
        // A name on no list is a value like any other, quote and all: it lists nothing, and
        // Enter in the filter hands nothing over.
        UserInput::typeInto(p.supplier, "Nobody's Supply");
        QTest::keyClick(p.supplier, Qt::Key_Return);
        QCOMPARE(p.listedIds(), QList<int>{});
        QVERIFY(!p.select->isEnabled());
        QCOMPARE(gMaterialFilter.supplier, "Nobody's Supply");
        p.doubleClickAt(QPoint(20, 10));
        QTest::keyClick(p.grid, Qt::Key_Return);

        QSignalSpy reloads(data, &DataControl::recordSetChanged);
        QTest::mouseClick(p.viewAll, Qt::LeftButton);
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(p.listedIds().size(), 5);
        for (QComboBox* filter : {p.manufacturer, p.supplier, p.category})
            QCOMPARE(filter->currentText(), QString());
        QVERIFY(p.select->isEnabled());
        QVERIFY(p.window->isVisible());
    });
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(gMaterialFilter.manufacturer, QString());
    QCOMPARE(gMaterialFilter.supplier, QString());
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialPicker::emptyCatalogue() {
    Over<Program> t;
    QSignalSpy chosen(&t.picker, &frmMaterials::MaterialClicled);
    ScriptedMessages messages;
    const int result = visit(t.picker, 9, [&](Picker& p) {
        QCOMPARE(p.listedIds(), QList<int>{});
        QCOMPARE(p.supplier->count(), 0);
        QVERIFY(!p.select->isEnabled());
        p.doubleClickAt(QPoint(20, 10));
        p.typeInList("ab");
        QTest::keyClick(p.grid, Qt::Key_Return);
        QTest::mouseClick(p.viewAll, Qt::LeftButton);
        QVERIFY(p.window->isVisible());
        p.window->close();
    });
    QCOMPARE(result, 9);
    QCOMPARE(chosen.count(), 0);
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialPicker::databaseErrorsAreReported() {
    Program program;
    // A server drops the views over the tables with them; a file keeps them, broken.
    const QString dependents = TestBackend::onServer() ? " CASCADE" : "";
    program.db.exec("DROP TABLE SuppliersTBL" + dependents);
    program.db.exec("DROP TABLE MaterialEstimateTBL" + dependents);
    program.db.exec("DROP TABLE MaterialsTBL" + dependents);
    QVERIFY(program.load());
    QWidget owner;
    owner.show();
    frmMaterials picker(&owner);
    ScriptedMessages messages;
    visit(picker, 0, [&](Picker& p) {
        QVERIFY(p.window->isVisible());
        QVERIFY(!p.select->isEnabled());
        // The suppliers are read when the user turns to their filter.
        QTest::mouseClick(p.supplier->lineEdit(), Qt::LeftButton);
    });
    QCOMPARE(messages.titles(),
             (QStringList{"SetupMaterialDataControl", "frmMaterials / SetupSupplierCombo"}));
    QVERIFY2(messages.texts().at(0).contains(QRegularExpression("^-?\\d+ - .+")),
             qPrintable(messages.texts().at(0)));
}

void TestMaterialPicker::filterListsAreReadWhenTurnedTo() {
    Over<Catalogue> t;
    ScriptedMessages messages;
    const int suppliers = programScalar("SELECT COUNT(*) FROM SuppliersTBL", {}).toInt();
    QVERIFY(suppliers > 1);
    visit(t.picker, 0, [&](Picker& p) {
        QCOMPARE(p.supplier->count(), 0);
        // The label's mnemonic turns to the supplier filter, whose list is then read.
        QTest::keyClick(p.window, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), p.supplier);
        QCOMPARE(p.supplier->count(), suppliers);
        // A click on a filter's arrow opens its list, read first.
        MaterialsScreen::openList(p.category);
        QVERIFY(p.category->count() > 0);
        p.category->hidePopup();
        QTest::mouseClick(p.cancel, Qt::LeftButton);
    });
    // A supplier added meanwhile is there on the next visit.
    const QString added = "Zephyr Supply";
    t.db.exec("INSERT INTO SuppliersTBL (Company) VALUES (?)", {added});
    visit(t.picker, 0, [&](Picker& p) {
        MaterialsScreen::choose(p.supplier, added);
        QCOMPARE(p.supplier->currentText(), added);
        QTest::mouseClick(p.cancel, Qt::LeftButton);
    });
    QCOMPARE(gMaterialFilter.supplier,
             programScalar("SELECT SuppliersID FROM SuppliersTBL WHERE Company = ?", {added})
                 .toString());
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialPicker::typingJumpsToDescriptionOrPartNumber() {
    Over<GeneratedProgram> t(3000);
    ScriptedMessages messages;
    visit(t.picker, 0, [&](Picker& p) {
        const int rows = p.list()->rowCount();
        QVERIFY(rows > 1000);
        // Typed in lower case, the start of a description well down the list.
        const QString target = p.list()->index(rows * 2 / 3, 2).data().toString();
        const QString typed = target.left(6).toLower();
        int expected = 0;
        while (
            !p.list()->index(expected, 2).data().toString().startsWith(typed, Qt::CaseInsensitive))
            ++expected;
        p.typeInList(typed);
        QCOMPARE(p.grid->currentIndex().row(), expected);
        QVERIFY(p.grid->viewport()->rect().intersects(p.grid->visualRect(p.grid->currentIndex())));
        p.typeInList("~~no such");
        QCOMPARE(p.grid->currentIndex().row(), expected);

        // From the Part Number column, the first listed part number with that start.
        p.clickCell(0, 1);
        const QString part = p.list()->index(rows / 3, 1).data().toString();
        const QString prefix = part.left(part.size() - 1).toLower();
        const int firstId =
            programScalar("SELECT MaterialsID FROM MaterialsTBL WHERE PartNumber "
                          "LIKE ? AND ManufacturerID IS NOT NULL AND SuppliersID IS "
                          "NOT NULL AND CatagoryID IS NOT NULL ORDER BY PartNumber "
                          "COLLATE NOCASE LIMIT 1",
                          {prefix + QLatin1Char('%')})
                .toInt();
        QVERIFY(firstId > 0);
        p.typeInList(prefix);
        QCOMPARE(p.currentId(), firstId);
        QCOMPARE(p.grid->currentIndex().column(), 1);
    });
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialPicker::partNumberJumpSearchesTheIndex() {
    SKIP_ON_SERVER("the plan read here is the file engine's; a server plans by its own statistics");
    Catalogue program;
    QVERIFY(program.load());
    QWidget owner;
    frmMaterials picker(&owner);
    for (const QString& supplier : QStringList{QString(), "2"}) {
        gMaterialFilter.supplier = supplier;
        visit(picker, 0, [&](Picker& p) {
            QVariantList values;
            const QString sql = picker.partNumberQuery("e_l%", &values);
            QCOMPARE(values.first().toString(), "e\\_l\\%%");
            Statement explain(gConnection->database(), "EXPLAIN QUERY PLAN " + sql);
            QVERIFY(explain.bindAll(values));
            QStringList details;
            while (explain.next())
                details << explain.value(3).toString();
            // Unfiltered, the part-number index; with a supplier, whichever index SQLite finds
            // narrower. Never a walk through the whole table.
            const QString plan = details.join(QLatin1Char(';'));
            QVERIFY2(plan.startsWith("SEARCH MaterialsTBL USING INDEX "), qPrintable(plan));
            QVERIFY2(!plan.contains("SCAN"), qPrintable(plan));
            if (supplier.isEmpty())
                QVERIFY2(plan.contains("MaterialsByPartNumber (PartNumber>? AND "
                                       "PartNumber<?)"),
                         qPrintable(plan));
            QTest::mouseClick(p.cancel, Qt::LeftButton);
        });
    }
}

void TestMaterialPicker::indexesAreAddedToAnOlderFile() {
    SKIP_ON_SERVER("about files an earlier version made, and a file's write lock");
    TestDatabase db;
    const QString indexes = "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                            "('MaterialsByPartNumber', 'MaterialsListByDescription')";
    QCOMPARE(db.scalar(indexes).toInt(), 2);
    db.exec("DROP INDEX MaterialsByPartNumber");
    db.exec("DROP INDEX MaterialsListByDescription");

    // A file another connection is writing cannot take them now: it still opens, at once.
    db.exec("BEGIN IMMEDIATE");
    {
        QElapsedTimer opening;
        opening.start();
        Connection busy;
        QVERIFY(openProgramFile(busy, db.path()));
        QVERIFY(opening.elapsed() < Database::kDefaultBusyTimeoutMs / 2);
    }
    db.exec("COMMIT");
    QCOMPARE(db.scalar(indexes).toInt(), 0);

    Connection reopened;
    QVERIFY(openProgramFile(reopened, db.path()));
    QCOMPARE(db.scalar(indexes).toInt(), 2);
}

void TestMaterialPicker::standsBesideTheLinesAndWhereItWasLeft() {
    using PickerPlacement::beside;
    const QRect screen(0, 0, 1920, 1040);
    const QSize size(800, 560);
    const QSize smallest(500, 300);
    // Room on the right: beside the lines, level with their top.
    QCOMPARE(beside(QRect(0, 100, 1000, 300), size, smallest, screen, 8),
             QRect(1008, 100, 800, 560));
    // Narrower room on the right is taken while the window keeps its smallest width there; the
    // top moves up so the window stays on the screen.
    QCOMPARE(beside(QRect(100, 700, 1200, 300), size, smallest, screen, 8),
             QRect(1308, 480, 612, 560));
    // No room beside: below the lines, else above them.
    QCOMPARE(beside(QRect(0, 0, 1920, 300), size, smallest, screen, 8), QRect(0, 308, 800, 560));
    QCOMPARE(beside(QRect(0, 700, 1920, 300), size, smallest, screen, 8), QRect(0, 132, 800, 560));
    // A screen with no room anywhere leaves it to the caller.
    QVERIFY(beside(QRect(0, 0, 1920, 1000), size, smallest, screen, 8).isEmpty());
    QVERIFY(beside(QRect(0, 0, 10, 10), size, smallest, QRect(0, 0, 400, 300), 8).isEmpty());

    // Where the user leaves the window is where the next session shows it.
    Catalogue program;
    QVERIFY(program.load());
    QWidget owner;
    owner.setGeometry(20, 20, 300, 200);
    owner.show();
    QRect left;
    {
        frmMaterials picker(&owner);
        visit(picker, 0, [&](Picker& p) {
            p.window->setGeometry(QRect(40, 30, 520, 380));
            left = p.window->geometry();
            QTest::mouseClick(p.cancel, Qt::LeftButton);
        });
    }
    frmMaterials nextSession(&owner);
    visit(nextSession, 0, [&](Picker& p) {
        QCOMPARE(p.window->geometry(), left);
        p.window->close();
    });
}

QTEST_MAIN(TestMaterialPicker)
#include "tst_materialpicker.moc"
