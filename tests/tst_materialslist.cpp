// The Materials list as a user works it: the search box, sorting by a click on a heading, the
// count under the list, and the list on an empty catalogue, on a small hand-made catalogue and
// on generated data.
#include "data/money.h"
#include "materials/materialfilter.h"
#include "support/materialsscreen.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolButton>

namespace {

constexpr int kUnitCost = 9;
constexpr int kUpdatedLast = 10;
constexpr int kDescription = 8;

// Materials whose texts hold the characters a search must take literally. Material 5 has no
// supplier row, so it is not listed.
struct Catalogue : Program {
    Catalogue() {
        db.addSmallLookups();
        const QString insert = QStringLiteral(
            "INSERT INTO MaterialsTBL (MaterialsID, ManufacturerID, SuppliersID, CatagoryID, "
            "PartNumber, ManufacturerDescription, UnitCost, UpdatedLast) VALUES "
            "(?, ?, ?, ?, ?, ?, ?, ?)");
        db.exec(insert, {1, 1, 1, 1, "EL-100", "Elbow 1/2\" copper", 10.0, "2024-01-05"});
        db.exec(insert, {2, 2, 1, 2, "GV-200", "Gate valve, brass", 9.5, "2023-02-04"});
        db.exec(insert, {3, 1, 2, 2, "BV-300", "Ball VALVE 100% lead free", 100.0, "2025-03-01"});
        db.exec(insert, {4, 2, 2, 1, "TE_400", "O'Brien tee", 1.25, "2022-12-31"});
        db.exec(insert, {5, 1, 77, 1, "XX-500", "No supplier valve", 2.0, "2024-06-01"});
        db.exec(insert, {6, 1, 1, 1, "CP-600", "cap 3\\4 inch", 10.5, "2023-06-15"});
    }
};

} // namespace

class TestMaterialsList : public QObject {
    Q_OBJECT
private slots:
    void init() { gMaterialFilter.clear(); }
    void searchNarrowsByPartNumberOrDescription();
    void searchFindsEveryWordLiterally_data();
    void searchFindsEveryWordLiterally();
    void searchAndSortWaitWhileAMaterialIsEdited();
    void headingsSortByValueAndKeepTheCurrentMaterial();
    void countFollowsFiltersSearchAddsAndDeletes();
    void generatedCatalogue();
    void emptyCatalogueLooksLikeAFullOne();
    void catalogueLoadsWhenTheScreenIsFirstShown();
};

void TestMaterialsList::searchNarrowsByPartNumberOrDescription() {
    Shown<Catalogue> s(QSize(800, 600));
    ScriptedMessages messages;
    QLineEdit* box = s.l->txtMaterialsSearch;
    QVERIFY(!box->placeholderText().isEmpty() && !box->toolTip().isEmpty());
    // After the filters and View All in the tab order, before the list.
    s.l->cbMaterialsFilterViewAll->setFocus();
    QTest::keyClick(s.l->cbMaterialsFilterViewAll, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), s.l->grdMaterialsList);

    // Once typing pauses; the panel follows the first material found.
    s.search("valve");
    QTRY_COMPARE(s.listedIds(), (QList<int>{2, 3}));
    QCOMPARE(s.r->txtPartNumber->text(), "GV-200");

    // With a filter, both apply; View All lets go of both.
    s.choose(s.l->cbSupplierFilter, "Bolt Brothers");
    QCOMPARE(s.listedIds(), QList<int>{3});
    s.search(QString());
    QTRY_COMPARE(s.listedIds(), (QList<int>{3, 4}));
    s.search("tee");
    QTRY_COMPARE(s.listedIds(), QList<int>{4});
    s.click(s.l->cbMaterialsFilterViewAll);
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4, 6}));
    QCOMPARE(box->text(), QString());

    // Enter does not wait for the pause; the box's clear button empties the search.
    QSignalSpy reloads(s.m->dcMaterials, &DataControl::recordSetChanged);
    s.search("elbow");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(s.listedIds(), QList<int>{1});
    QCOMPARE(reloads.count(), 1);
    // The clear button is the box's trailing button; the magnifier leads.
    QToolButton* clear = nullptr;
    for (QToolButton* button : box->findChildren<QToolButton*>())
        if (!clear || button->x() > clear->x())
            clear = button;
    QVERIFY(clear);
    QTRY_VERIFY(clear->isVisible() && clear->isEnabled());
    QTest::mouseClick(clear, Qt::LeftButton, {}, clear->rect().center());
    QTRY_COMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4, 6}));
    QCOMPARE(reloads.count(), 2);
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialsList::searchFindsEveryWordLiterally_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("ids");
    // In any case; the material without a supplier row stays unlisted.
    QTest::newRow("a word") << "valve" << QList<int>{2, 3};
    QTest::newRow("a part number") << "bv-3" << QList<int>{3};
    QTest::newRow("every word, in either field") << "brass  GV" << QList<int>{2};
    QTest::newRow("no material has both") << "valve cap" << QList<int>{};
    QTest::newRow("percent") << "%" << QList<int>{3};
    QTest::newRow("percent in a word") << "0% l" << QList<int>{3};
    QTest::newRow("underscore") << "_" << QList<int>{4};
    QTest::newRow("underscore in a word") << "e_4" << QList<int>{4};
    QTest::newRow("quote") << "o'brien" << QList<int>{4};
    QTest::newRow("double quote") << "1/2\"" << QList<int>{1};
    QTest::newRow("backslash") << "3\\4" << QList<int>{6};
    QTest::newRow("sql") << "x' OR '1'='1" << QList<int>{};
}

void TestMaterialsList::searchFindsEveryWordLiterally() {
    QFETCH(QString, text);
    QFETCH(QList<int>, ids);
    Shown<Catalogue> s(QSize(800, 600));
    ScriptedMessages messages;
    s.search(text);
    QTest::keyClick(s.l->txtMaterialsSearch, Qt::Key_Return);
    QCOMPARE(s.listedIds(), ids);
    QCOMPARE(s.r->cmdDelete->isEnabled(), !ids.isEmpty());
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(s.count(), QStringLiteral("%1 of 5 materials").arg(ids.size()));
}

void TestMaterialsList::searchAndSortWaitWhileAMaterialIsEdited() {
    Shown<Catalogue> s(QSize(800, 600));
    ScriptedMessages messages;
    QSignalSpy reloads(s.m->dcMaterials, &DataControl::recordSetChanged);
    // Typed, then straight into the record before the list has followed.
    s.search("valve");
    s.click(s.r->cmdMaterialsEditRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QVERIFY(!s.l->txtMaterialsSearch->isEnabled());
    QVERIFY(!s.l->frMaterialsFilter->isEnabled());
    s.clickHeading(kUnitCost);
    QTest::qWait(600); // longer than the pause after typing
    QCOMPARE(reloads.count(), 0);
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4, 6}));
    QVERIFY(!s.l->grdMaterialsList->horizontalHeader()->isSortIndicatorShown());
    s.typeInto(s.r->txtMaterialsDescription, "Elbow, edited");
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);

    // Saved, the list takes the words typed before.
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QVERIFY(s.l->txtMaterialsSearch->isEnabled());
    QTRY_COMPARE(s.listedIds(), (QList<int>{2, 3}));
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(s.db.scalar("SELECT ManufacturerDescription FROM MaterialsTBL WHERE MaterialsID = 1")
                 .toString(),
             "Elbow, edited");
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialsList::headingsSortByValueAndKeepTheCurrentMaterial() {
    Shown<Catalogue> s(QSize(800, 600));
    ScriptedMessages messages;
    QHeaderView* header = s.l->grdMaterialsList->horizontalHeader();
    QVERIFY(!header->isSortIndicatorShown());

    // By amount: $9.50 before $10.00 before $100.00, which text would put first.
    s.clickCell(3, 4); // TE_400
    QCOMPARE(s.currentId(), 4);
    s.clickHeading(kUnitCost);
    QCOMPARE(s.listedIds(), (QList<int>{4, 2, 1, 6, 3}));
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), kUnitCost);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // The material that was current still is, in the panel and in the list.
    QCOMPARE(s.currentId(), 4);
    QCOMPARE(s.currentRowId(), 4);
    QCOMPARE(s.r->txtPartNumber->text(), "TE_400");

    // A second click reverses; the list and the panel go on moving together.
    s.clickCell(3, 4);
    QCOMPARE(s.currentId(), 6);
    s.clickHeading(kUnitCost);
    QCOMPARE(s.listedIds(), (QList<int>{3, 6, 1, 2, 4}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QCOMPARE(s.currentId(), 6);
    QCOMPARE(s.currentRowId(), 6);
    s.clickCell(4, 4);
    QCOMPARE(s.r->txtPartNumber->text(), "TE_400");

    // Dates by date, not by the day-first text shown; names by name, ignoring case.
    s.clickHeading(kUpdatedLast);
    QCOMPARE(s.listedIds(), (QList<int>{4, 2, 6, 1, 3}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    s.clickHeading(kDescription);
    QCOMPARE(s.listedIds(), (QList<int>{3, 6, 1, 2, 4}));
    // A third click goes on alternating.
    s.clickHeading(kDescription);
    s.clickHeading(kDescription);
    QCOMPARE(s.listedIds(), (QList<int>{3, 6, 1, 2, 4}));

    // The order stays through a search and a filter.
    s.search("e");
    QTest::keyClick(s.l->txtMaterialsSearch, Qt::Key_Return);
    QCOMPARE(s.listedIds(), (QList<int>{3, 1, 2, 4}));
    s.choose(s.l->cbSupplierFilter, "Acme Supply");
    QCOMPARE(s.listedIds(), (QList<int>{1, 2}));
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialsList::countFollowsFiltersSearchAddsAndDeletes() {
    Shown<Catalogue> s(QSize(800, 600));
    ScriptedMessages messages;
    QCOMPARE(s.count(), "5 of 5 materials");
    s.choose(s.l->cbSupplierFilter, "Acme Supply");
    QCOMPARE(s.count(), "3 of 5 materials");
    s.search("cap");
    QTRY_COMPARE(s.count(), "1 of 5 materials");

    // A material added to the filtered list is counted in both.
    s.click(s.r->cmdMaterialsAddNewRecord);
    s.typeMaterialAndSave("Acme Supply", "Delta", "Fittings", "CP-700", "4.00", "Cap 1 inch");
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(s.listedIds().size(), 2);
    QCOMPARE(s.count(), "2 of 6 materials");

    // A deleted one leaves both.
    s.clickCell(0, 4);
    s.click(s.r->cmdDelete);
    QCOMPARE(s.listedIds().size(), 1);
    QCOMPARE(s.count(), "1 of 5 materials");
    s.click(s.l->cbMaterialsFilterViewAll);
    QCOMPARE(s.count(), "5 of 5 materials");
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialsList::generatedCatalogue() {
    GeneratedProgram program(2345);
    QVERIFY(program.load());
    MaterialsScreen s(QSize(800, 600));
    ScriptedMessages messages;
    QCOMPARE(s.count(), "2,345 of 2,345 materials");

    // A word of a listed material's description finds exactly the materials holding it.
    const QString word =
        s.list()->value(0, kDescription).toString().split(QLatin1Char(' ')).first().toUpper();
    int expected = 0;
    for (int row = 0; row < s.list()->recordCount(); ++row)
        if (s.list()->value(row, 4).toString().contains(word, Qt::CaseInsensitive) ||
            s.list()->value(row, kDescription).toString().contains(word, Qt::CaseInsensitive))
            ++expected;
    QVERIFY(expected > 0 && expected < 2345);
    s.search(word);
    QTRY_COMPARE(s.list()->recordCount(), expected);
    QCOMPARE(
        s.count(),
        QStringLiteral("%1 of 2,345 materials").arg(QLocale(QLocale::English).toString(expected)));
    s.search(QString());
    QTRY_COMPARE(s.list()->recordCount(), 2345);

    // Sorted by amount and by date, either way, with the current material kept.
    s.clickCell(7, 4);
    const int current = s.currentId();
    for (int column : {kUnitCost, kUpdatedLast}) {
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            s.clickHeading(column);
            QCOMPARE(s.list()->recordCount(), 2345);
            QCOMPARE(s.currentId(), current);
            QCOMPARE(s.currentRowId(), current);
            const auto key = [&](int row) {
                const QVariant v = s.list()->value(row, column);
                return column == kUnitCost ? v.value<Money>().toDouble()
                                           : double(v.toDateTime().toMSecsSinceEpoch());
            };
            for (int row = 1; row < s.list()->recordCount(); ++row)
                QVERIFY2(order == Qt::AscendingOrder ? key(row - 1) <= key(row)
                                                     : key(row - 1) >= key(row),
                         qPrintable(QStringLiteral("row %1").arg(row)));
        }
    }
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialsList::emptyCatalogueLooksLikeAFullOne() {
    // The columns of a full list in the order of entry, then sorted (a heading with the sort
    // indicator needs a little more room).
    QList<QPair<int, int>> full;
    QList<QPair<int, int>> fullSorted;
    {
        Shown<Catalogue> s(QSize(800, 600));
        full = s.visibleColumns();
        s.clickHeading(kUnitCost);
        fullSorted = s.visibleColumns();
    }
    // A new file with its first supplier, manufacturer and category, and no material yet.
    Program program;
    program.db.exec("INSERT INTO SuppliersTBL (Company) VALUES ('Acme Supply')");
    program.db.exec("INSERT INTO ManufacturersTBL (ManufacturerName) VALUES ('Cascade')");
    program.db.exec("INSERT INTO CatagoryTBL (Catagory) VALUES ('Fittings')");
    QVERIFY(program.load());
    MaterialsScreen s(QSize(800, 600));
    ScriptedMessages messages;
    QTableView* grid = s.l->grdMaterialsList;
    QCOMPARE(s.list()->columnCount(), 11);
    // The seven visible columns (the four keys stay hidden) share the grid's width as they do
    // on a full list.
    QCOMPARE(full.size(), 7);
    QCOMPARE(s.visibleColumns(), full);
    QCOMPARE(s.count(), "0 of 0 materials");
    // A click on a heading of the empty list sorts nothing and breaks nothing.
    s.clickHeading(kUnitCost);
    QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), kUnitCost);
    QCOMPARE(s.visibleColumns(), fullSorted);
    s.clickHeading(kUnitCost);
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    // The first material.
    s.click(s.r->cmdMaterialsAddNewRecord);
    s.typeMaterialAndSave("Acme Supply", "Cascade", "Fittings", "N-1", "3.75", "First material");
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(s.list()->recordCount(), 1);
    QCOMPARE(s.visibleColumns(), fullSorted);
    QCOMPARE(s.list()->data(s.list()->index(0, kUnitCost)).toString(), "$3.75");
    QCOMPARE(s.count(), "1 of 1 material");
    // The last column still ends inside the list.
    QVERIFY(grid->columnViewportPosition(kUpdatedLast) + grid->columnWidth(kUpdatedLast) <=
            grid->viewport()->width());
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterialsList::catalogueLoadsWhenTheScreenIsFirstShown() {
    // Start-up does not wait for the catalogue: it is read when the Materials screen first shows,
    // by a click on its tab, and a later reload of a hidden screen waits again.
    Catalogue program;
    QVERIFY(program.load());
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MaterialsFrame* m = window.frMaterials;
    QVERIFY(!m->isLoaded());
    QVERIFY(!m->dcMaterials->recordSet());
    QTabBar* tabs = window.tabMain->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(window.tabMain->currentIndex(), 1);
    QVERIFY(m->isLoaded());
    QVERIFY(m->dcMaterials->recordSet()->recordCount() > 0);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    program.db.exec(
        "INSERT INTO MaterialsTBL (SuppliersID, ManufacturerID, CatagoryID, PartNumber, "
        "ManufacturerDescription, UnitCost) VALUES (1, 1, 1, 'LATE-1', 'Late', 1)");
    const int before = m->dcMaterials->recordSet()->recordCount();
    m->reload();
    QVERIFY(!m->isLoaded());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(m->dcMaterials->recordSet()->recordCount(), before + 1);
}

QTEST_MAIN(TestMaterialsList)
#include "tst_materialslist.moc"
