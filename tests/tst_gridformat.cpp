// Hiding a grid's ID columns and giving a column its display format.
#include "data/recordset.h"
#include "settings/gridformat.h"
#include "support/testdatabase.h"
#include "widgets/recordsetmodel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace {
QImage cellImage(QTableView& grid, int row, int column) {
    return grid.viewport()->grab(grid.visualRect(grid.model()->index(row, column))).toImage();
}
} // namespace

class TestGridFormat : public QObject {
    Q_OBJECT
private slots:
    void hidesTheLeadingColumns();
    void firstColumnStaysNarrowAndUnreadable();
    void formatsOneColumnOfData();
};

void TestGridFormat::hidesTheLeadingColumns() {
    QStandardItemModel model(200, 12);
    QTableView grid;
    grid.setModel(&model);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setCurrentIndex(model.index(150, 10));
    grid.scrollTo(model.index(150, 10));
    grid.setEnabled(false);
    DoGridFormat(&grid, nullptr, 4, false);
    for (int c = 0; c < 6; ++c)
        QCOMPARE(grid.isColumnHidden(c), c < 4);
    // The current cell stays; the grid is enabled and shows its top-left corner.
    QCOMPARE(grid.currentIndex(), model.index(150, 10));
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.verticalScrollBar()->value(), 0);
    QCOMPARE(grid.horizontalScrollBar()->value(), 0);
}

void TestGridFormat::firstColumnStaysNarrowAndUnreadable() {
    QStandardItemModel model(1, 6);
    model.setItem(0, 0, new QStandardItem("WWWWWWWW"));
    model.setItem(0, 4, new QStandardItem("visible"));
    QTableView grid;
    grid.setModel(&model);
    grid.resize(600, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    DoGridFormat(&grid, nullptr, 4, true);
    for (int c = 0; c < 6; ++c)
        QCOMPARE(grid.isColumnHidden(c), c == 1 || c == 2 || c == 3);
    // A marker column, a little wider than the heading row is high: never wide enough for what
    // it holds.
    QVERIFY(grid.columnWidth(0) > grid.horizontalHeader()->height());
    QVERIFY(grid.columnWidth(0) < grid.fontMetrics().horizontalAdvance("WWWWWWWW"));

    // Column 0 looks the same whatever it holds; other columns show their text.
    const QImage withText = cellImage(grid, 0, 0);
    model.item(0, 0)->setText(QString());
    QCOMPARE(cellImage(grid, 0, 0), withText);
    const QImage visible = cellImage(grid, 0, 4);
    model.item(0, 4)->setText(QString());
    QVERIFY(cellImage(grid, 0, 4) != visible);
}

void TestGridFormat::formatsOneColumnOfData() {
    TestDatabase db;
    RecordSet rs;
    QVERIFY(rs.open(db.connection(), "SELECT 1 AS ID, '2026-12-06' AS Updated, 12.5 AS Cost"));
    RecordSetModel model;
    model.setRecordSet(&rs);
    QTableView grid;
    grid.setModel(&model);
    const QVariant heading = model.headerData(2, Qt::Horizontal);

    ApplyFromatToColumn(&grid, 4, "\"$\"#,##0.00"); // one past the last column
    QCOMPARE(model.index(0, 2).data().toString(), "12.5");
    ApplyFromatToColumn(&grid, 3, "\"$\"#,##0.00");
    QCOMPARE(model.index(0, 2).data().toString(), "$12.50");
    QCOMPARE(model.headerData(2, Qt::Horizontal), heading);
    ApplyFromatToColumn(&grid, 2, "Medium Date");
    QCOMPARE(model.index(0, 1).data().toString(), "06 Dec 26");

    // A grid with only its headings is left alone.
    RecordSet empty;
    QVERIFY(empty.open(db.connection(), "SELECT * FROM MaterialsTBL"));
    model.setRecordSet(&empty);
    ApplyFromatToColumn(&grid, 1, "\"$\"#,##0.00");
    QCOMPARE(model.format(0), QString());
}

QTEST_MAIN(TestGridFormat)
#include "tst_gridformat.moc"
