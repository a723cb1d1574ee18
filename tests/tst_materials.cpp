// The Materials screen through its widgets: the list and its filters, the record panel's
// buttons and field checks, deleting, and what a save does to the price date and the list.
#include "app/mainwindow.h"
#include "data/datacontrol.h"
#include "data/recordset.h"
#include "widgets/recordsetmodel.h"
#include "materials/materialfilter.h"
#include "materials/materialsframe.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {

QString daysAgo(int days) {
    return QDate::currentDate().addDays(-days).toString(Qt::ISODate);
}

// A small catalogue: two suppliers, manufacturers and categories; material 4 has no
// manufacturer or category row, material 5 no supplier row.
struct Catalogue : Program {
    Catalogue() {
        db.exec("INSERT INTO SuppliersTBL (SuppliersID, Company) VALUES (1, 'Acme Supply'), "
                "(2, 'Bolt Brothers')");
        db.exec("INSERT INTO ManufacturersTBL (ManufacturerID, ManufacturerName) VALUES "
                "(1, 'Cascade'), (2, 'Delta')");
        db.exec("INSERT INTO CatagoryTBL (CatagoryID, Catagory) VALUES (1, 'Fittings'), "
                "(2, 'Valves')");
        const QString insert = QStringLiteral(
            "INSERT INTO MaterialsTBL (MaterialsID, ManufacturerID, SuppliersID, CatagoryID, "
            "PartNumber, ManufacturerDescription, UnitCost, UpdatedLast) VALUES "
            "(?, ?, ?, ?, ?, ?, ?, ?)");
        db.exec(insert, {1, 1, 1, 1, "P-1", "Elbow 1/2\"", 12.5, daysAgo(90)});
        db.exec(insert, {2, 2, 1, 2, "P-2", "Gate valve", 12.5, daysAgo(91)});
        db.exec(insert, {3, 1, 2, 2, "P-3", "Ball valve", 7.25, daysAgo(1)});
        db.exec(insert, {4, 99, 2, 98, "P-4", "Orphan", 1.0, daysAgo(200)});
        db.exec(insert, {5, 1, 77, 1, "P-5", "No supplier", 2.0, daysAgo(2)});
    }
};

// A loaded main window on the Materials screen, shown and active so focus moves as it does for
// a user.
struct Screen {
    frmMain window;
    MaterialsFrame* m;

    Screen() : m(window.frMaterials) {
        window.show();
        window.activateWindow();
        window.tabMain->setCurrentIndex(1);
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
    }
    RecordSet* records() const { return m->dcMaterials->recordSet(); }
    RecordSetModel* list() const {
        return qobject_cast<RecordSetModel*>(m->grdMaterialsList->model());
    }
    QList<int> listedIds() const {
        QList<int> ids;
        for (int row = 0; list() && row < list()->rowCount(); ++row)
            ids << list()->value(row, 0).toInt();
        return ids;
    }
    QString cell(int row, int column) const {
        return list()->data(list()->index(row, column)).toString();
    }
    void chooseFilter(QComboBox* filter, const QString& name) {
        const int index = filter->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        filter->setCurrentIndex(index);
        emit filter->activated(index);
    }
    void chooseRow(int row) { m->grdMaterialsList->setCurrentIndex(list()->index(row, 4)); }
    void typeInto(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        if (!text.isEmpty())
            QTest::keyClicks(field, text);
    }
    // Leaves the field as Tab does.
    void leave(QWidget* field) { QTest::keyClick(field, Qt::Key_Tab); }
};

} // namespace

class TestMaterials : public QObject {
    Q_OBJECT
private slots:
    void init() { gMaterialFilter.clear(); }
    void listShowsMaterialsWithASupplier();
    void filtersListExactlyTheirMaterials_data();
    void filtersListExactlyTheirMaterials();
    void filtersReloadOnlyOnAChange();
    void pricesOlderThanNinetyDaysAreRed();
    void choosingARowMovesTheRecord();
    void newAndUndo();
    void fieldChecksKeepTheFocus();
    void aNameNotOnTheListCanBeAdded();
    void deleting();
    void savingStampsThePriceDateOnlyWhenTheCostChanges();
    void aNewMaterialIsAppendedWithItsNames();
    void aRefusedSaveKeepsWhatWasTyped();
    void closingAsksAboutUnsavedChanges();
};

void TestMaterials::listShowsMaterialsWithASupplier() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));
    for (int column = 0; column < 4; ++column)
        QVERIFY(s.m->grdMaterialsList->isColumnHidden(column));
    QCOMPARE(s.list()->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Part #"));
    QCOMPARE(s.cell(0, 5), QStringLiteral("Cascade"));
    QCOMPARE(s.cell(0, 9), QStringLiteral("$12.50"));
    QCOMPARE(s.cell(3, 5), QString()); // no manufacturer row
    QCOMPARE(s.cell(3, 6), QString()); // no category row
    QCOMPARE(s.cell(3, 7), QStringLiteral("Bolt Brothers"));
    QCOMPARE(s.list()->data(s.list()->index(0, 4), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignCenter);
    QCOMPARE(s.list()->headerData(9, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignCenter);
    // The first material is current in the list and in the panel, which is locked.
    QCOMPARE(s.m->grdMaterialsList->currentIndex().row(), 0);
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-1"));
    QCOMPARE(s.m->txtUnitCost->text(), QStringLiteral("$12.50"));
    QCOMPARE(s.m->cbSupplier->currentText(), QStringLiteral("Acme Supply"));
    QVERIFY(s.m->txtPartNumber->isReadOnly());
    QVERIFY(s.m->cmdDelete->isEnabled() && s.m->cmdMaterialsEditRecord->isEnabled());
    QVERIFY(!s.m->cmdMaterialsSaveCurrentRecord->isEnabled() && !s.m->cmdUndoChanges->isEnabled());
}

void TestMaterials::filtersListExactlyTheirMaterials_data() {
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QList<int>>("ids");
    QTest::newRow("manufacturer") << "Cascade"
                                  << ""
                                  << "" << QList<int>{1, 3};
    QTest::newRow("supplier") << ""
                              << "Bolt Brothers"
                              << "" << QList<int>{3, 4};
    QTest::newRow("all three") << "Cascade"
                               << "Bolt Brothers"
                               << "Valves" << QList<int>{3};
    QTest::newRow("none match") << "Delta"
                                << "Bolt Brothers"
                                << "" << QList<int>{};
}

void TestMaterials::filtersListExactlyTheirMaterials() {
    QFETCH(QString, manufacturer);
    QFETCH(QString, supplier);
    QFETCH(QString, category);
    QFETCH(QList<int>, ids);
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    const struct {
        QComboBox* combo;
        QString name;
    } filters[] = {{s.m->cbManufacturerFilter, manufacturer},
                   {s.m->cbSupplierFilter, supplier},
                   {s.m->cbCategoryFilter, category}};
    for (const auto& f : filters)
        if (!f.name.isEmpty())
            s.chooseFilter(f.combo, f.name);
    QCOMPARE(s.listedIds(), ids);
    QCOMPARE(s.m->cmdDelete->isEnabled(), !ids.isEmpty());
    if (!ids.isEmpty())
        QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-%1").arg(ids.first()));
}

void TestMaterials::filtersReloadOnlyOnAChange() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    QSignalSpy reloads(s.m->dcMaterials, &DataControl::recordSetChanged);
    s.chooseFilter(s.m->cbSupplierFilter, QStringLiteral("Acme Supply"));
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(gMaterialFilter.supplier, QStringLiteral("1"));
    s.chooseFilter(s.m->cbSupplierFilter, QStringLiteral("Acme Supply"));
    s.m->cbSupplierFilter->lineEdit()->editingFinished();
    QCOMPARE(reloads.count(), 1);

    // Text that names no supplier is a value like any other: it lists nothing, and the quote
    // in it is data, not SQL.
    s.typeInto(s.m->cbSupplierFilter, QStringLiteral("Nobody's Supply"));
    QTest::keyClick(s.m->cbSupplierFilter, Qt::Key_Return);
    QCOMPARE(reloads.count(), 2);
    QCOMPARE(s.listedIds(), QList<int>{});
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(!s.m->cmdDelete->isEnabled());
    // A material added to the empty list shows up in it.
    s.m->cmdMaterialsAddNewRecord->click();
    s.typeInto(s.m->txtPartNumber, QStringLiteral("N-1"));
    QVERIFY(s.records()->update());
    s.m->cmdUndoChanges->click();
    QCOMPARE(s.listedIds().size(), 1);

    // View All empties every filter and reloads once, with or without a filter set.
    s.m->cbMaterialsFilterViewAll->click();
    QCOMPARE(reloads.count(), 3);
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(s.m->cbSupplierFilter->currentText(), QString());
    QCOMPARE(gMaterialFilter.supplier, QString());
    s.m->cbMaterialsFilterViewAll->click();
    QCOMPARE(reloads.count(), 4);
}

void TestMaterials::pricesOlderThanNinetyDaysAreRed() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    auto colour = [&s](int row) {
        return s.list()->data(s.list()->index(row, 10), Qt::ForegroundRole).value<QColor>();
    };
    QVERIFY(!colour(0).isValid());        // 90 days
    QCOMPARE(colour(1), QColor(Qt::red)); // 91 days
    QVERIFY(!colour(2).isValid());
    QCOMPARE(s.cell(2, 10), QDate::currentDate().addDays(-1).toString(QStringLiteral("dd-MMM-yy")));
}

void TestMaterials::choosingARowMovesTheRecord() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    QSignalSpy moves(s.m->dcMaterials, &DataControl::moveComplete);
    s.chooseRow(2);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-3"));
    QCOMPARE(s.m->cbCategory->currentText(), QStringLiteral("Valves"));
    // The current row again, or another column of it, does not move the record.
    s.m->grdMaterialsList->setCurrentIndex(s.list()->index(2, 8));
    QCOMPARE(moves.count(), 1);
    s.m->grdMaterialsList->selectionModel()->clearCurrentIndex();
    QCOMPARE(moves.count(), 1);
    QCOMPARE(s.records()->value(0).toInt(), 3);
    // A material without manufacturer and category rows shows them empty.
    s.chooseRow(3);
    QCOMPARE(s.m->cbManufacturer->currentText(), QString());
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-4"));
}

void TestMaterials::newAndUndo() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    s.m->cmdMaterialsAddNewRecord->click();
    QCOMPARE(s.m->editState(), MaterialsFrame::Adding);
    QCOMPARE(s.records()->editMode(), RecordSet::EditAdd);
    QVERIFY(!s.m->txtPartNumber->isReadOnly());
    QCOMPARE(s.m->txtPartNumber->text(), QString());
    QVERIFY(!s.m->cmdDelete->isEnabled() && s.m->cmdUndoChanges->isEnabled());
    QVERIFY(s.window.mnuEditSaveRecord->isEnabled());
    // New again while adding changes nothing.
    s.typeInto(s.m->cbSupplier, QStringLiteral("Acme Supply"));
    s.typeInto(s.m->txtPartNumber, QStringLiteral("NEW-1"));
    QVERIFY(!s.m->cmdMaterialsAddNewRecord->isEnabled());
    s.window.mnuEditSaveRecord->setEnabled(false);
    s.m->cmdMaterialsAddNewRecord->click();
    QCOMPARE(s.records()->editMode(), RecordSet::EditAdd);
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("NEW-1"));
    s.m->cmdUndoChanges->click();
    QCOMPARE(s.m->editState(), MaterialsFrame::Browse);
    QCOMPARE(s.records()->recordCount(), 4);
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM MaterialsTBL").toInt(), 5);
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-1"));
    QVERIFY(s.m->txtPartNumber->isReadOnly());

    // Undo while editing brings back the stored values.
    s.m->cmdMaterialsEditRecord->click();
    QCOMPARE(s.m->editState(), MaterialsFrame::Editing);
    QVERIFY(!s.m->frMaterialsFilter->isEnabled());
    s.typeInto(s.m->txtMaterialsDescription, QStringLiteral("Changed"));
    s.m->cmdUndoChanges->click();
    QCOMPARE(s.m->txtMaterialsDescription->text(), QStringLiteral("Elbow 1/2\""));
    QCOMPARE(program.db
                 .scalar("SELECT ManufacturerDescription FROM MaterialsTBL WHERE "
                         "MaterialsID = 1")
                 .toString(),
             QStringLiteral("Elbow 1/2\""));
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterials::fieldChecksKeepTheFocus() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    s.m->cmdMaterialsEditRecord->click();

    s.typeInto(s.m->cbCategory, QString());
    s.leave(s.m->cbCategory);
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(messages.titles(), QStringList{"Material Record"});
    QCOMPARE(QApplication::focusWidget(), s.m->cbCategory);
    // The click that took the focus away saves nothing.
    s.m->cmdMaterialsSaveCurrentRecord->click();
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(s.m->editState(), MaterialsFrame::Editing);

    messages.clear();
    messages.answerNext(QMessageBox::No);
    s.typeInto(s.m->cbCategory, QStringLiteral("Pipes"));
    s.leave(s.m->cbCategory);
    QCOMPARE(messages.texts(),
             QStringList{"Pipes is not a valid selection.  Do you want to add it to the list of "
                         "Categorys?"});
    QCOMPARE(messages.titles(), QStringList{"Category Not On List"});
    QCOMPARE(QApplication::focusWidget(), s.m->cbCategory);
    QCOMPARE(s.m->cbCategory->currentText(), QStringLiteral("Pipes"));

    // A name typed in full, in any case, chooses its entry.
    s.typeInto(s.m->cbCategory, QStringLiteral("valves"));
    messages.clear();
    s.typeInto(s.m->txtUnitCost, QStringLiteral("abc"));
    s.leave(s.m->txtUnitCost);
    QCOMPARE(messages.texts(), QStringList{"Unit Cost requires a valid numeric entry"});
    QCOMPARE(QApplication::focusWidget(), s.m->txtUnitCost);
    s.typeInto(s.m->txtUnitCost, QString());
    s.leave(s.m->txtUnitCost);
    QCOMPARE(messages.texts().last(), QStringLiteral("Unit Cost is a required entry"));
    messages.clear();
    s.typeInto(s.m->txtUnitCost, QStringLiteral("$12.50"));
    s.leave(s.m->txtUnitCost);
    QVERIFY(messages.shown().isEmpty());

    s.typeInto(s.m->txtMaterialsDescription, QString(300, QLatin1Char('d')));
    s.leave(s.m->txtMaterialsDescription);
    QCOMPARE(s.m->txtMaterialsDescription->text().size(), 255);
    QVERIFY(messages.shown().isEmpty());

    s.m->cmdMaterialsSaveCurrentRecord->click();
    QCOMPARE(s.m->editState(), MaterialsFrame::Browse);
    QCOMPARE(program.db
                 .scalar("SELECT length(ManufacturerDescription) FROM MaterialsTBL WHERE "
                         "MaterialsID = 1")
                 .toInt(),
             255);
    QCOMPARE(program.db.scalar("SELECT CatagoryID FROM MaterialsTBL WHERE MaterialsID = 1").toInt(),
             2);
    QCOMPARE(s.cell(0, 6), QStringLiteral("Valves"));
}

void TestMaterials::aNameNotOnTheListCanBeAdded() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    s.m->cmdMaterialsEditRecord->click();
    // The editor opens modally; here the user adds the name in it and closes it.
    QString editorName;
    QTimer::singleShot(0, [&] {
        QWidget* editor = QApplication::activeModalWidget();
        editorName = editor ? editor->objectName() : QString();
        program.db.exec("INSERT INTO CatagoryTBL (Catagory) VALUES ('Pipes')");
        if (editor)
            editor->close();
    });
    messages.answerNext(QMessageBox::Yes);
    s.typeInto(s.m->cbCategory, QStringLiteral("Pipes"));
    s.leave(s.m->cbCategory);
    QCOMPARE(editorName, QStringLiteral("frmAddCategory"));
    QTRY_COMPARE(QApplication::focusWidget(), s.m->cbCategory);
    QCOMPARE(s.m->cbCategory->currentText(), QStringLiteral("Pipes"));
    QVERIFY(s.m->cbCategoryFilter->findText(QStringLiteral("Pipes")) >= 0);
    s.m->cmdMaterialsSaveCurrentRecord->click();
    QCOMPARE(s.cell(0, 6), QStringLiteral("Pipes"));
    QCOMPARE(messages.shown().size(), 1);
}

void TestMaterials::deleting() {
    Catalogue program;
    program.db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber) VALUES (1, 1001)");
    program.db.exec("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID) VALUES (1, 2)");
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;

    // A material on an estimate stays, with the list and the panel as they were.
    s.chooseRow(1);
    s.m->cmdDelete->click();
    QCOMPARE(messages.texts(), QStringList{"This record couldn't be deleted because it is already "
                                           "used in one or several estimates"});
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(s.records()->value(0).toInt(), 2);
    // A refused delete while editing keeps the edit open with what was typed.
    s.m->cmdMaterialsEditRecord->click();
    s.typeInto(s.m->txtPartNumber, QStringLiteral("P-2B"));
    s.m->cmdDelete->click();
    QCOMPARE(messages.shown().size(), 2);
    QCOMPARE(s.m->editState(), MaterialsFrame::Editing);
    QCOMPARE(s.records()->value(4).toString(), QStringLiteral("P-2B"));
    s.m->cmdUndoChanges->click();
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-2"));

    // Any other refusal is reported too.
    program.db.exec("CREATE TRIGGER KeepThree BEFORE DELETE ON MaterialsTBL WHEN old.MaterialsID "
                    "= 3 BEGIN SELECT RAISE(ABORT, 'kept for the audit'); END");
    messages.clear();
    s.chooseRow(2);
    s.m->cmdDelete->click();
    QCOMPARE(messages.titles(), QStringList{"frmMain / cmdDelete_Click"});
    QVERIFY(messages.texts().first().contains(QLatin1String("kept for the audit")));
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));

    // The material that followed becomes current.
    messages.clear();
    s.chooseRow(0);
    s.m->cmdDelete->click();
    QCOMPARE(s.listedIds(), (QList<int>{2, 3, 4}));
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-2"));
    QCOMPARE(s.m->grdMaterialsList->currentIndex().row(), 0);

    // After the last one, none is: the list loses its last row.
    s.chooseRow(2);
    s.m->cmdDelete->click();
    QCOMPARE(s.listedIds(), (QList<int>{2, 3}));
    QVERIFY(s.records()->isEOF());
    QCOMPARE(s.m->txtPartNumber->text(), QString());
    QVERIFY(!s.m->cmdDelete->isEnabled());
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM MaterialsTBL").toInt(), 3);
}

void TestMaterials::savingStampsThePriceDateOnlyWhenTheCostChanges() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    const QString before = program.db
                               .scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE "
                                       "MaterialsID = 2")
                               .toString();
    s.chooseRow(1);
    s.m->cmdMaterialsEditRecord->click();
    s.typeInto(s.m->txtMaterialsDescription, QStringLiteral("Gate valve, brass"));
    s.window.mnuEditSaveRecord->trigger(); // Edit > Save Record on this screen
    QCOMPARE(s.m->editState(), MaterialsFrame::Browse);
    QCOMPARE(
        program.db.scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE MaterialsID = 2").toString(),
        before);
    QCOMPARE(s.cell(1, 8), QStringLiteral("Gate valve, brass"));

    QSignalSpy reloads(s.m->dcMaterials, &DataControl::recordSetChanged);
    s.m->cmdMaterialsEditRecord->click();
    s.typeInto(s.m->txtUnitCost, QStringLiteral("13.00"));
    s.m->cmdMaterialsSaveCurrentRecord->click();
    const QDateTime stamped =
        program.db.scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE MaterialsID = 2")
            .toDateTime();
    QVERIFY(qAbs(stamped.secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(s.cell(1, 9), QStringLiteral("$13.00"));
    QCOMPARE(s.cell(1, 10), QDate::currentDate().toString(QStringLiteral("dd-MMM-yy")));
    QVERIFY(!s.list()->data(s.list()->index(1, 10), Qt::ForegroundRole).value<QColor>().isValid());
    QCOMPARE(reloads.count(), 0); // the row is rewritten in place
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterials::aNewMaterialIsAppendedWithItsNames() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    s.chooseRow(1);
    s.m->cmdMaterialsAddNewRecord->click();
    s.m->cbSupplier->setCurrentIndex(s.m->cbSupplier->findText(QStringLiteral("Bolt Brothers")));
    s.m->cbManufacturer->setCurrentIndex(s.m->cbManufacturer->findText(QStringLiteral("Delta")));
    s.m->cbCategory->setCurrentIndex(s.m->cbCategory->findText(QStringLiteral("Fittings")));
    s.typeInto(s.m->txtPartNumber, QStringLiteral("N-9"));
    s.typeInto(s.m->txtUnitCost, QStringLiteral("$1,234.50"));
    s.typeInto(s.m->txtMaterialsDescription, QStringLiteral("Tee 3/4\""));
    s.m->cmdMaterialsSaveCurrentRecord->click();
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('|')));
    const int id = program.db.scalar("SELECT MAX(MaterialsID) FROM MaterialsTBL").toInt();
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4, id}));
    QCOMPARE(s.cell(4, 5), QStringLiteral("Delta"));
    QCOMPARE(s.cell(4, 6), QStringLiteral("Fittings"));
    QCOMPARE(s.cell(4, 7), QStringLiteral("Bolt Brothers"));
    QCOMPARE(s.cell(4, 9), QStringLiteral("$1,234.50"));
    QCOMPARE(s.cell(4, 10), QDate::currentDate().toString(QStringLiteral("dd-MMM-yy")));
    QCOMPARE(s.m->grdMaterialsList->currentIndex().row(), 4);
    QCOMPARE(program.db.scalar("SELECT PartNumber FROM MaterialsTBL WHERE MaterialsID = ?", {id})
                 .toString(),
             QStringLiteral("N-9"));
}

void TestMaterials::aRefusedSaveKeepsWhatWasTyped() {
    Catalogue program;
    QVERIFY(program.load());
    Screen s;
    ScriptedMessages messages;
    program.db.exec("CREATE TRIGGER Frozen BEFORE UPDATE ON MaterialsTBL BEGIN "
                    "SELECT RAISE(ABORT, 'the catalogue is frozen'); END");
    s.m->cmdMaterialsEditRecord->click();
    s.typeInto(s.m->txtPartNumber, QStringLiteral("P-1X"));
    s.m->cmdMaterialsSaveCurrentRecord->click();
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().icon, QMessageBox::Critical);
    QCOMPARE(s.m->editState(), MaterialsFrame::Editing);
    QCOMPARE(s.m->txtPartNumber->text(), QStringLiteral("P-1X"));
    QCOMPARE(s.cell(0, 4), QStringLiteral("P-1"));
    program.db.exec("DROP TRIGGER Frozen");
    s.m->cmdMaterialsSaveCurrentRecord->click();
    QCOMPARE(s.cell(0, 4), QStringLiteral("P-1X"));
    QCOMPARE(s.m->editState(), MaterialsFrame::Browse);
}

void TestMaterials::closingAsksAboutUnsavedChanges() {
    Catalogue program;
    QVERIFY(program.load());
    ScriptedMessages messages;
    auto partNumber = [&program] {
        return program.db.scalar("SELECT PartNumber FROM MaterialsTBL WHERE MaterialsID = 1")
            .toString();
    };
    {
        Screen s;
        s.m->cmdMaterialsEditRecord->click();
        s.typeInto(s.m->txtPartNumber, QStringLiteral("P-1C"));
        messages.answerNext(QMessageBox::Cancel);
        QVERIFY(!s.window.close());
        QCOMPARE(s.m->editState(), MaterialsFrame::Editing);
        messages.answerNext(QMessageBox::Yes);
        QVERIFY(s.window.close());
        QCOMPARE(partNumber(), QStringLiteral("P-1C"));
    }
    Screen s;
    s.m->cmdMaterialsEditRecord->click();
    s.typeInto(s.m->txtPartNumber, QStringLiteral("P-1D"));
    messages.answerNext(QMessageBox::No);
    QVERIFY(s.window.close());
    QCOMPARE(partNumber(), QStringLiteral("P-1C"));
    QCOMPARE(messages.titles(), QStringList(3, QStringLiteral("Material Record")));
}

QTEST_MAIN(TestMaterials)
#include "tst_materials.moc"
