// The width a line grid asks for a column (the widest cell's size hint) is the view's own
// sizeHintForColumn(), though only the widest texts are measured: for few and many lines, hidden
// and shown, scrolled, after a cell changed, and with room to spare.
#include "app/style.h"
#include "estimates/linegrid.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// Texts of the kinds the grids show, with the characters that kern and some beyond Latin-1.
QString someText(QRandomGenerator& dice, int column) {
    switch (column) {
    case 0: // amounts
        return QStringLiteral("$%1.%2")
            .arg(QLocale(QLocale::English).toString(dice.bounded(1, 2000000)))
            .arg(dice.bounded(100), 2, 10, QLatin1Char('0'));
    case 1: { // part numbers
        static const QStringList parts = {"AV-WAT-7", "TYT-11", "LT-1/2", "WA-VA", "Ω-5",
                                          "Tý-Ŵ",     "ii-1",   "MM-88",  "",      "P.O.#9"};
        return parts[dice.bounded(int(parts.size()))] + QString::number(dice.bounded(100));
    }
    case 2: // percentages
        return QStringLiteral("%1%").arg(dice.bounded(1000) / 10.0, 0, 'f', 1);
    default: // words
        return QStringLiteral("Valve %1 AWAY").arg(dice.bounded(10000));
    }
}

void fill(QStandardItemModel& model, int rows, quint32 seed) {
    QRandomGenerator dice(seed);
    model.clear();
    model.setColumnCount(4);
    for (int row = 0; row < rows; ++row) {
        QList<QStandardItem*> cells;
        for (int column = 0; column < 4; ++column)
            cells << new QStandardItem(someText(dice, column));
        model.appendRow(cells);
    }
}

int viewsOwnHint(const LineGridView& grid, int column) {
    return static_cast<const QAbstractItemView&>(grid).sizeHintForColumn(column);
}

} // namespace

class TestLineGridWidths : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { applyProgramStyle(*qApp); }
    void theWidthIsTheViewsOwnHint_data();
    void theWidthIsTheViewsOwnHint();
};

void TestLineGridWidths::theWidthIsTheViewsOwnHint_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("scrollTo");
    QTest::addColumn<QString>("change"); // made once the widths were asked for
    QTest::newRow("no lines") << 0 << true << 0 << QString();
    QTest::newRow("a few, hidden") << 5 << false << 0 << QString();
    QTest::newRow("a thousand, hidden") << 1000 << false << 0 << QString();
    QTest::newRow("a thousand, shown") << 1000 << true << 0 << QString();
    // Beyond the rows the view considers, which rows count follows the scrolling.
    QTest::newRow("1,500, hidden") << 1500 << false << 0 << QString();
    QTest::newRow("1,500, shown at the top") << 1500 << true << 0 << QString();
    QTest::newRow("1,500, shown in the middle") << 1500 << true << 700 << QString();
    QTest::newRow("1,500, shown at the end") << 1500 << true << 1499 << QString();
    // What was measured is measured anew.
    QTest::newRow("a cell widened") << 300 << false << 0 << "cell";
    QTest::newRow("the lines replaced") << 300 << false << 0 << "lines";
    QTest::newRow("a larger font") << 300 << false << 0 << "font";
}

void TestLineGridWidths::theWidthIsTheViewsOwnHint() {
    QFETCH(int, rows);
    QFETCH(bool, shown);
    QFETCH(int, scrollTo);
    QFETCH(QString, change);
    QStandardItemModel model;
    fill(model, rows, quint32(rows + scrollTo));
    LineGridView grid;
    grid.setModel(&model);
    grid.resize(500, 200);
    if (shown) {
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        if (rows > 0)
            grid.scrollTo(model.index(scrollTo, 0), QAbstractItemView::PositionAtCenter);
    }
    const int before = grid.columnWidthHint(0, 0);
    if (change == QLatin1String("cell")) {
        model.setData(model.index(150, 0), QStringLiteral("$888,888,888,888.88"));
        QVERIFY(grid.columnWidthHint(0, 0) > before);
    } else if (change == QLatin1String("lines")) {
        fill(model, 3, 8);
    } else if (change == QLatin1String("font")) {
        QFont larger = grid.font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        grid.setFont(larger);
    }
    for (int column = 0; column < 4; ++column) {
        const int own = viewsOwnHint(grid, column);
        QCOMPARE(grid.columnWidthHint(column, 0), own);
        // With room for every text the column keeps its room; one pixel short, the exact width.
        QVERIFY(grid.columnWidthHint(column, own) <= own);
        QVERIFY(grid.columnWidthHint(column, own + 200) <= own + 200);
        QCOMPARE(grid.columnWidthHint(column, own - 1), own);
    }
}

QTEST_MAIN(TestLineGridWidths)
#include "tst_linegridwidths.moc"
