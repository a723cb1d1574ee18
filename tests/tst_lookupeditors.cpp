// The lookup list editors: adding on the new-row line, renaming with a question, sorting by a
// heading, closing, and reporting a name the database refuses. Driven through the widgets.
#include "data/datacontrol.h"
#include "data/globals.h"
#include "materials/lookupeditors.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"
#include "widgets/recordsetmodel.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {

std::unique_ptr<LookupListEditor> makeEditor(const QString& form) {
    if (form == QLatin1String("frmAddCategory"))
        return std::make_unique<frmAddCategory>();
    if (form == QLatin1String("frmAddManufacturer"))
        return std::make_unique<frmAddManufacturer>();
    if (form == QLatin1String("frmAddSupplier"))
        return std::make_unique<frmAddSupplier>();
    return std::make_unique<frmAddEstimator>();
}

QTableView* gridOf(QWidget* editor) {
    return editor->findChild<QTableView*>("DataGrid1");
}

QString cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

// Types into the current cell as a user does: the first key opens the cell's editor over the
// old text, the rest go into it; Enter writes it unless enter is false.
void typeIntoCurrentCell(QTableView* grid, const QString& text, bool enter = true) {
    QTest::keyClick(grid, text.at(0).toLatin1());
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    QVERIFY2(editor, "typing did not open the cell");
    QTest::keyClicks(editor, text.mid(1));
    if (enter) {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the grid writes the cell once the key is handled
    }
}

// The cell editor open on the grid's current cell, if any.
QLineEdit* openCell(QTableView* grid) {
    return qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
}

QStringList rowHeadings(QTableView* grid) {
    QStringList headings;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        headings << grid->model()->headerData(row, Qt::Vertical).toString();
    return headings;
}

void clickHeading(QTableView* grid, int column) {
    QHeaderView* header = grid->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + 6, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestLookupEditors : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void formsShowTheirListsReadyForANewEntry_data();
    void formsShowTheirListsReadyForANewEntry();
    void renamingAsksFirst();
    void newRowLineAddsWithoutAsking();
    void headingClickSortsByItsField();
    void closingWritesWhatIsBeingTyped();
    void refusedNameIsReported();
    void aProposedNameWaitsOnTheNewRowLine();
    void rowHeaderMarksRowsWithoutNumbers();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void TestLookupEditors::init() {
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->isValid());
    gConnectionString = m_db->connectionString();
}

void TestLookupEditors::cleanup() {
    gConnectionString.clear();
    m_db.reset();
}

void TestLookupEditors::formsShowTheirListsReadyForANewEntry_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("heading");
    const auto row = [](const char* form, const char* caption, const char* table,
                        const char* heading) {
        QTest::newRow(form) << form << caption << table << heading;
    };
    row("frmAddCategory", "Add/Edit Material Category", "CatagoryTBL (Catagory)", "Category");
    row("frmAddManufacturer", "Add/Edit Manufacturers", "ManufacturersTBL (ManufacturerName)",
        "Manufacturer");
    row("frmAddSupplier", "Add/Edit Supplier", "SuppliersTBL (Company)", "Supplier");
    row("frmAddEstimator", "Add/Edit Estimator", "Estimators (Estimator)", "Estimator");
}

void TestLookupEditors::formsShowTheirListsReadyForANewEntry() {
    QFETCH(QString, form);
    QFETCH(QString, table);
    QFETCH(QString, heading);
    m_db->exec(QStringLiteral("INSERT INTO %1 VALUES ('First'), ('Second')").arg(table));
    const auto editor = makeEditor(form);
    QTEST(editor->windowTitle(), "caption");
    QTableView* grid = gridOf(editor.get());
    const QAbstractItemModel* model = grid->model();
    // Only the names show: the key is the database's, and hidden.
    QVERIFY(grid->isColumnHidden(0));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), heading);
    QCOMPARE(cell(grid, 1, 1), "Second");
    // The name column of the line after the last record is current, ready for a new entry.
    QCOMPARE(grid->currentIndex(), model->index(2, 1));
    QVERIFY(editor->model()->isNewRow(2));
    QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
}

void TestLookupEditors::renamingAsksFirst() {
    m_db->exec("INSERT INTO CatagoryTBL (Catagory) VALUES ('Pipe'), ('Wire')");
    frmAddCategory editor;
    editor.show();
    QTableView* grid = gridOf(&editor);
    const auto stored = [this] {
        return m_db->scalar("SELECT Catagory FROM CatagoryTBL WHERE CatagoryID = 1").toString();
    };
    ScriptedMessages messages;
    grid->setCurrentIndex(grid->model()->index(0, 1));
    messages.answerNext(QMessageBox::No);
    typeIntoCurrentCell(grid, "Fittings");
    QCOMPARE(messages.texts(),
             QStringList{"You have changed the name of an existing Category.  That "
                         "change will apply to all previously entered items as well "
                         "as any future items. Do you still want to make this "
                         "change?"});
    QCOMPARE(messages.titles(), QStringList{"Modify Existing Category"});
    QCOMPARE(messages.shown().first().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(cell(grid, 0, 1), "Pipe");
    QCOMPARE(stored(), "Pipe");

    messages.answerNext(QMessageBox::Yes);
    typeIntoCurrentCell(grid, "Fittings");
    QCOMPARE(cell(grid, 0, 1), "Fittings");
    QCOMPARE(stored(), "Fittings");

    // A cell left as it was asks nothing; an emptied name is refused and kept.
    messages.clear();
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClick(grid->indexWidget(grid->currentIndex()), Qt::Key_Return);
    QCoreApplication::processEvents();
    QVERIFY(messages.shown().isEmpty());
    typeIntoCurrentCell(grid, " ");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(stored(), "Fittings");
}

void TestLookupEditors::newRowLineAddsWithoutAsking() {
    // The key of a new entry is the database's next one, not the grid's row number.
    m_db->exec("INSERT INTO CatagoryTBL (CatagoryID, Catagory) VALUES (5, 'Wire')");
    frmAddCategory editor;
    editor.show();
    QTableView* grid = gridOf(&editor);
    ScriptedMessages messages;
    typeIntoCurrentCell(grid, "Valves");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(m_db->scalar("SELECT Catagory FROM CatagoryTBL WHERE CatagoryID = 6"),
             QVariant("Valves"));
    QCOMPARE(cell(grid, 1, 0), "6");
    // A fresh line follows and stays current, so the next name can be typed straight away.
    QVERIFY(editor.model()->isNewRow(2));
    QCOMPARE(grid->currentIndex(), grid->model()->index(2, 1));
}

void TestLookupEditors::headingClickSortsByItsField() {
    m_db->exec("INSERT INTO SuppliersTBL (Company) VALUES ('Zenith'), ('Acme')");
    frmAddSupplier editor;
    editor.show();
    QTableView* grid = gridOf(&editor);
    clickHeading(grid, 1);
    QCOMPARE(cell(grid, 0, 1), "Acme");
    QCOMPARE(grid->currentIndex(), grid->model()->index(2, 1));

    // A name still being typed is written before the list is read again.
    typeIntoCurrentCell(grid, "Midway", false);
    clickHeading(grid, 1);
    QCOMPARE(cell(grid, 1, 1), "Midway");
    QCOMPARE(grid->currentIndex(), grid->model()->index(3, 1));
}

void TestLookupEditors::closingWritesWhatIsBeingTyped() {
    frmAddEstimator editor;
    editor.show();
    QTableView* grid = gridOf(&editor);
    typeIntoCurrentCell(grid, "Dana", false);
    editor.btnCancel->click();
    QVERIFY(!editor.isVisible());
    QCOMPARE(m_db->scalar("SELECT Estimator FROM Estimators"), QVariant("Dana"));
    // Escape closes the window too, once no cell is being edited.
    editor.show();
    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!editor.isVisible());
}

void TestLookupEditors::refusedNameIsReported() {
    m_db->exec("INSERT INTO ManufacturersTBL (ManufacturerName) VALUES ('Acme')");
    frmAddManufacturer editor;
    editor.show();
    // A refusal only the database knows of; made once the file is open, since a file holding a
    // trigger the program did not make is never opened.
    m_db->exec("CREATE TRIGGER NoBad BEFORE INSERT ON ManufacturersTBL WHEN "
               "NEW.ManufacturerName = 'Bad' BEGIN SELECT RAISE(ABORT, 'no'); END");
    QTableView* grid = gridOf(&editor);
    const auto count = [this] {
        return m_db->scalar("SELECT COUNT(*) FROM ManufacturersTBL").toInt();
    };
    ScriptedMessages messages;
    // Refused, a name says why and waits in its cell again, to be corrected.
    typeIntoCurrentCell(grid, "Bad");
    QCOMPARE(messages.titles(), QStringList{"frmAddManufacturer / DataGrid1"});
    QVERIFY(messages.texts().first().startsWith("Bad could not be saved"));
    QTRY_VERIFY(openCell(grid));
    QCOMPARE(openCell(grid)->text(), "Bad");
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, 1));
    QCOMPARE(count(), 1);
    // A name already on the list, in any case, is refused the same way.
    messages.clear();
    openCell(grid)->setText("ACME");
    QTest::keyClick(openCell(grid), Qt::Key_Return);
    QTRY_COMPARE(messages.texts(), QStringList{"ACME is already on the list. Type another name, or "
                                               "press Esc to leave it."});
    QTRY_VERIFY(openCell(grid));
    QCOMPARE(openCell(grid)->text(), "ACME");
    openCell(grid)->setText("Good");
    QTest::keyClick(openCell(grid), Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(cell(grid, 1, 1), "Good");
    QCOMPARE(count(), 2);
}

// The name waits, typed but not written, with the cursor after it; Enter adds it and closes the
// window, which tells the new entry's key. (Esc and Close are used from the Materials screen's
// fields in tst_materials.)
void TestLookupEditors::aProposedNameWaitsOnTheNewRowLine() {
    m_db->exec("INSERT INTO SuppliersTBL (Company) VALUES ('Acme'), ('Bolt')");
    ScriptedMessages messages;
    frmAddSupplier editor;
    editor.proposeName("Zenith Supply");
    editor.show();
    QTableView* grid = gridOf(&editor);
    QCOMPARE(grid->currentIndex(), grid->model()->index(2, 1));
    QLineEdit* cell = openCell(grid);
    QVERIFY(cell);
    QCOMPARE(cell->text(), "Zenith Supply");
    QTRY_VERIFY(!cell->hasSelectedText());
    QCOMPARE(cell->cursorPosition(), cell->text().size());
    QCOMPARE(m_db->scalar("SELECT COUNT(*) FROM SuppliersTBL").toInt(), 2);
    QTest::keyClick(cell, Qt::Key_Return);
    QVERIFY(!editor.isVisible());
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(m_db->scalar("SELECT Company FROM SuppliersTBL WHERE SuppliersID = 3"),
             QVariant("Zenith Supply"));
    QCOMPARE(editor.addedKey().toInt(), 3);
    QCOMPARE(messages.texts(), QStringList());
}

void TestLookupEditors::rowHeaderMarksRowsWithoutNumbers() {
    m_db->exec("INSERT INTO SuppliersTBL (Company) VALUES ('Acme'), ('Bolt'), "
               "('Coastal')");
    frmAddSupplier editor;
    editor.show();
    QTableView* grid = gridOf(&editor);
    const QString marker = "\u25b8";
    // The line for a new entry is current: the marker and the star, and no row has a number.
    QCOMPARE(rowHeadings(grid), (QStringList{QString(), QString(), QString(), marker + '*'}));
    // A click on a name moves the marker there.
    const QModelIndex bolt = grid->model()->index(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(bolt).center());
    QCOMPARE(grid->currentIndex(), bolt);
    QCOMPARE(rowHeadings(grid), (QStringList{QString(), marker, QString(), "*"}));
    // The header shows the marker whole.
    QHeaderView* header = grid->verticalHeader();
    QVERIFY(header->width() >= header->fontMetrics().horizontalAdvance(marker + '*'));
    // A name added on the line gets no number either.
    grid->setCurrentIndex(grid->model()->index(3, 1));
    typeIntoCurrentCell(grid, "Delta");
    QCOMPARE(rowHeadings(grid),
             (QStringList{QString(), QString(), QString(), QString(), marker + '*'}));
}

QTEST_MAIN(TestLookupEditors)
#include "tst_lookupeditors.moc"
