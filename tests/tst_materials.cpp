// The Materials screen through its widgets: the list and its filters, the record panel's
// buttons and field checks, deleting, and what a save does to the price date and the list.
#include "app/mainwindow.h"
#include "data/datacontrol.h"
#include "data/recordset.h"
#include "demodata/demodata.h"
#include "materials/lookupeditors.h"
#include "materials/materialfilter.h"
#include "materials/materialrecordpanel.h"
#include "materials/materialsframe.h"
#include "materials/materialslist.h"
#include "settings/registry.h"
#include "support/materialsscreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/testquery.h"
#include "widgets/recordsetmodel.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
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
        db.addSmallLookups();
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

// What a field of the record panel shows.
struct MaterialRecordPanelText {
    static QString of(const QWidget* field) {
        if (const auto* combo = qobject_cast<const QComboBox*>(field))
            return combo->currentText();
        return qobject_cast<const QLineEdit*>(field)->text();
    }
};

// A generated catalogue with long lookup lists.
struct Generated : Program {
    QTemporaryDir dir;
    Connection data;
    Generated() {
        DemoData::Counts counts;
        counts.materials = 300;
        counts.manufacturers = 30;
        counts.suppliers = 60;
        counts.categories = 30;
        counts.estimators = 3;
        counts.estimates = 5;
        counts.materialLinesPerEstimate = 2;
        counts.laborLinesPerEstimate = 1;
        const QString path = dir.filePath(QStringLiteral("Generated.mdb"));
        QString error;
        if (!DemoData::generate(path, counts, &error))
            qFatal("the catalogue was not generated: %s", qPrintable(error));
        WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), path);
        if (!openProgramFile(data, path))
            qFatal("the generated catalogue does not open");
    }
    QVariant supplierKey(const QString& name) {
        TestQuery query(data.database());
        query.prepare(QStringLiteral("SELECT SuppliersID FROM SuppliersTBL WHERE Company = ?"));
        query.addBindValue(name);
        return query.exec() && query.next() ? query.value(0) : QVariant();
    }
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
    void listColumnsShareTheGridAndShowWholePrices();
    void choosingARowMovesTheRecord();
    void anIncompleteMaterialKeepsItsRow();
    void newAndUndo();
    void fieldChecksKeepTheFocus();
    void aNewSupplierInTwoKeysAfterTab();
    void choosingFromAFieldsList();
    void choosingFromALongListAfterScrollingIt();
    void undoShowsTheStoredValues();
    void commandsThatAbandonTheRecordCheckNothing();
    void oneRefusalOneMessage();
    void theFirstMaterialOnAnEmptyDatabase();
    void longNamesShowWholeWhenThereIsRoom();
    void deleting();
    void savingStampsThePriceDateOnlyWhenTheCostChanges();
    void aNewMaterialIsAppendedWithItsNames();
    void aRefusedSaveKeepsWhatWasTyped();
    void anotherWindowsChangeIsNeverOverwrittenUnseen();
    void anEmptyRequiredValueIsNamedOnSave();
    void closingAsksAboutUnsavedChanges();
    void anAmountBeyondTheRangeIsNamedAndNotStored();
    void aStoredAmountBeyondTheRangeShowsAsStored();
};

void TestMaterials::listShowsMaterialsWithASupplier() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));
    for (int column = 0; column < 4; ++column)
        QVERIFY(s.l->grdMaterialsList->isColumnHidden(column));
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
    QCOMPARE(s.l->grdMaterialsList->currentIndex().row(), 0);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-1"));
    QCOMPARE(s.r->txtUnitCost->text(), QStringLiteral("$12.50"));
    QCOMPARE(s.r->cbSupplier->currentText(), QStringLiteral("Acme Supply"));
    QVERIFY(s.r->txtPartNumber->isReadOnly());
    QVERIFY(s.r->cmdDelete->isEnabled() && s.r->cmdMaterialsEditRecord->isEnabled());
    QVERIFY(!s.r->cmdMaterialsSaveCurrentRecord->isEnabled() && !s.r->cmdUndoChanges->isEnabled());
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
    MaterialsScreen s;
    const struct {
        QComboBox* combo;
        QString name;
    } filters[] = {{s.l->cbManufacturerFilter, manufacturer},
                   {s.l->cbSupplierFilter, supplier},
                   {s.l->cbCategoryFilter, category}};
    for (const auto& f : filters)
        if (!f.name.isEmpty())
            s.choose(f.combo, f.name);
    QCOMPARE(s.listedIds(), ids);
    QCOMPARE(s.r->cmdDelete->isEnabled(), !ids.isEmpty());
    if (!ids.isEmpty())
        QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-%1").arg(ids.first()));
}

void TestMaterials::filtersReloadOnlyOnAChange() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    QSignalSpy reloads(s.m->dcMaterials, &DataControl::recordSetChanged);
    s.choose(s.l->cbSupplierFilter, QStringLiteral("Acme Supply"));
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(gMaterialFilter.supplier, QStringLiteral("1"));
    s.choose(s.l->cbSupplierFilter, QStringLiteral("Acme Supply"));
    s.leave(s.l->cbSupplierFilter);
    QCOMPARE(reloads.count(), 1);

    // Text that names no supplier is a value like any other: it lists nothing, and the quote
    // in it is data, not SQL.
    s.typeInto(s.l->cbSupplierFilter, QStringLiteral("Nobody's Supply"));
    QTest::keyClick(s.l->cbSupplierFilter, Qt::Key_Return);
    QCOMPARE(reloads.count(), 2);
    QCOMPARE(s.listedIds(), QList<int>{});
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(!s.r->cmdDelete->isEnabled());
    // A material added to the empty list shows up in it.
    s.click(s.r->cmdMaterialsAddNewRecord);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("N-1"));
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Nipple"));
    QVERIFY(s.records()->update());
    s.click(s.r->cmdUndoChanges);
    QCOMPARE(s.listedIds().size(), 1);

    // View All empties every filter and reloads once, with or without a filter set.
    s.click(s.l->cbMaterialsFilterViewAll);
    QCOMPARE(reloads.count(), 3);
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(s.l->cbSupplierFilter->currentText(), QString());
    QCOMPARE(gMaterialFilter.supplier, QString());
    s.click(s.l->cbMaterialsFilterViewAll);
    QCOMPARE(reloads.count(), 4);
}

void TestMaterials::pricesOlderThanNinetyDaysAreRed() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    auto colour = [&s](int row) {
        return s.list()->data(s.list()->index(row, 10), Qt::ForegroundRole).value<QColor>();
    };
    QVERIFY(!colour(0).isValid());        // 90 days
    QCOMPARE(colour(1), QColor(Qt::red)); // 91 days
    QVERIFY(!colour(2).isValid());
    QCOMPARE(s.cell(2, 10), QDate::currentDate().addDays(-1).toString(QStringLiteral("dd MMM yy")));
}

void TestMaterials::listColumnsShareTheGridAndShowWholePrices() {
    Catalogue program;
    program.db.exec("INSERT INTO MaterialsTBL (MaterialsID, ManufacturerID, SuppliersID, "
                    "CatagoryID, PartNumber, UnitCost) VALUES (6, 1, 1, 1, 'P-6', 23456.78)");
    QVERIFY(program.load());
    MaterialsScreen s;
    QTableView* grid = s.l->grdMaterialsList;
    for (const QSize size : {QSize(800, 600), QSize(1280, 800)}) {
        s.window.resize(size);
        QTRY_COMPARE(s.window.referenceSize().width(), size.width() * Twips::perPixelX(grid));
        QCoreApplication::processEvents();
        // The visible columns fill the grid's width, each rounded to whole pixels.
        int total = 0;
        for (int column = 4; column <= 10; ++column)
            total += grid->columnWidth(column);
        QVERIFY2(qAbs(total - grid->viewport()->width()) <= 4,
                 qPrintable(QStringLiteral("%1 of %2").arg(total).arg(grid->viewport()->width())));
        // Even on the smallest window no price and no date heading is cut off.
        QCOMPARE(s.cell(4, 9), QStringLiteral("$23,456.78"));
        QVERIFY(grid->fontMetrics().horizontalAdvance(s.cell(4, 9)) < grid->columnWidth(9));
        QVERIFY(grid->horizontalHeader()->sectionSizeHint(10) <= grid->columnWidth(10));
    }
}

void TestMaterials::choosingARowMovesTheRecord() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    QSignalSpy moves(s.m->dcMaterials, &DataControl::moveComplete);
    s.chooseRow(2);
    QCOMPARE(moves.count(), 1);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-3"));
    QCOMPARE(s.r->cbCategory->currentText(), QStringLiteral("Valves"));
    // The current row again, or another column of it, does not move the record.
    s.clickCell(2, 8);
    QCOMPARE(moves.count(), 1);
    s.l->grdMaterialsList->selectionModel()->clearCurrentIndex();
    QCOMPARE(moves.count(), 1);
    QCOMPARE(s.records()->value(0).toInt(), 3);
    // A material without manufacturer and category rows shows them empty.
    s.chooseRow(3);
    QCOMPARE(s.r->cbManufacturer->currentText(), QString());
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-4"));
}

void TestMaterials::anIncompleteMaterialKeepsItsRow() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->cbCategory, QString());
    // Another row would write the material being edited: it must be complete first.
    s.chooseRow(2);
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(s.records()->value(0).toInt(), 1);
    QCOMPARE(s.l->grdMaterialsList->currentIndex().row(), 0);
    QCOMPARE(QApplication::focusWidget(), s.r->cbCategory);

    // Complete, it is written on the way to the other row, which becomes current.
    messages.clear();
    s.typeInto(s.r->cbCategory, QStringLiteral("Valves"));
    s.chooseRow(2);
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('|')));
    QCOMPARE(s.records()->value(0).toInt(), 3);
    QCOMPARE(program.db.scalar("SELECT CatagoryID FROM MaterialsTBL WHERE MaterialsID = 1").toInt(),
             2);
    QCOMPARE(s.cell(0, 6), QStringLiteral("Valves"));
}

void TestMaterials::newAndUndo() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsAddNewRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Adding);
    QCOMPARE(s.records()->editMode(), RecordSet::EditAdd);
    QVERIFY(!s.r->txtPartNumber->isReadOnly());
    QCOMPARE(s.r->txtPartNumber->text(), QString());
    QVERIFY(!s.r->cmdDelete->isEnabled() && s.r->cmdUndoChanges->isEnabled());
    QVERIFY(s.window.mnuEditSaveRecord->isEnabled());
    // New again while adding changes nothing.
    s.typeInto(s.r->cbSupplier, QStringLiteral("Acme Supply"));
    s.typeInto(s.r->txtPartNumber, QStringLiteral("NEW-1"));
    QVERIFY(!s.r->cmdMaterialsAddNewRecord->isEnabled());
    s.click(s.r->cmdMaterialsAddNewRecord);
    QCOMPARE(s.records()->editMode(), RecordSet::EditAdd);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("NEW-1"));
    s.click(s.r->cmdUndoChanges);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(s.records()->recordCount(), 4);
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM MaterialsTBL").toInt(), 5);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-1"));
    QVERIFY(s.r->txtPartNumber->isReadOnly());

    // Undo while editing brings back the stored values.
    s.click(s.r->cmdMaterialsEditRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QVERIFY(!s.l->frMaterialsFilter->isEnabled());
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Changed"));
    s.click(s.r->cmdUndoChanges);
    QCOMPARE(s.r->txtMaterialsDescription->text(), QStringLiteral("Elbow 1/2\""));
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
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsEditRecord);

    s.typeInto(s.r->cbCategory, QString());
    s.leave(s.r->cbCategory);
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(messages.titles(), QStringList{"Material Record"});
    QCOMPARE(QApplication::focusWidget(), s.r->cbCategory);
    // A click on Save leaves the field too: the refusal stands, without a second message, the
    // focus comes back, and the click saves nothing.
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(QApplication::focusWidget(), s.r->cbCategory);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(program.db.scalar("SELECT CatagoryID FROM MaterialsTBL WHERE MaterialsID = 1").toInt(),
             1);

    messages.clear();
    messages.answerNext(QMessageBox::No);
    s.typeInto(s.r->cbCategory, QStringLiteral("Pipes"));
    s.leave(s.r->cbCategory);
    QCOMPARE(messages.texts(),
             QStringList{"Pipes is not a valid selection.  Do you want to add it to the list of "
                         "Categorys?"});
    QCOMPARE(messages.titles(), QStringList{"Category Not On List"});
    QCOMPARE(QApplication::focusWidget(), s.r->cbCategory);
    QCOMPARE(s.r->cbCategory->currentText(), QStringLiteral("Pipes"));

    // A name typed in full, in any case, chooses its entry.
    s.typeInto(s.r->cbCategory, QStringLiteral("valves"));
    messages.clear();
    s.typeInto(s.r->txtUnitCost, QStringLiteral("abc"));
    s.leave(s.r->txtUnitCost);
    QCOMPARE(messages.texts(), QStringList{"Unit Cost requires a valid numeric entry"});
    QCOMPARE(QApplication::focusWidget(), s.r->txtUnitCost);
    s.typeInto(s.r->txtUnitCost, QString());
    s.leave(s.r->txtUnitCost);
    QCOMPARE(messages.texts().last(), QStringLiteral("Unit Cost is a required entry"));
    messages.clear();
    s.typeInto(s.r->txtUnitCost, QStringLiteral("$12.50"));
    s.leave(s.r->txtUnitCost);
    QVERIFY(messages.shown().isEmpty());

    // The cut falls before a character it would split: an emoji straddling the limit goes whole.
    const QString wrench = QString::fromUtf8("\xF0\x9F\x94\xA7");
    s.typeInto(s.r->txtMaterialsDescription, QString(254, QLatin1Char('d')));
    s.r->txtMaterialsDescription->insert(wrench); // pasted: keys type only Latin-1
    s.leave(s.r->txtMaterialsDescription);
    QCOMPARE(s.r->txtMaterialsDescription->text(), QString(254, QLatin1Char('d')));

    s.typeInto(s.r->txtMaterialsDescription, QString(300, QLatin1Char('d')));
    s.leave(s.r->txtMaterialsDescription);
    QCOMPARE(s.r->txtMaterialsDescription->text().size(), 255);
    QVERIFY(messages.shown().isEmpty());

    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(program.db
                 .scalar("SELECT length(ManufacturerDescription) FROM MaterialsTBL WHERE "
                         "MaterialsID = 1")
                 .toInt(),
             255);
    QCOMPARE(program.db.scalar("SELECT CatagoryID FROM MaterialsTBL WHERE MaterialsID = 1").toInt(),
             2);
    QCOMPARE(s.cell(0, 6), QStringLiteral("Valves"));
}

void TestMaterials::aNewSupplierInTwoKeysAfterTab() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    s.click(s.r->cmdMaterialsEditRecord);
    const QString name = QStringLiteral("Zenith Supply");
    const auto keyOf = [&] {
        return program.db.scalar("SELECT SuppliersID FROM SuppliersTBL WHERE Company = ?", {name});
    };
    // Enter answers the question Yes; Esc leaves the editor: nothing is added, and the box keeps
    // the typed name and the focus.
    s.typeInto(s.r->cbSupplier, name);
    pressOnEachModal({Qt::Key_Return, Qt::Key_Escape});
    s.leave(s.r->cbSupplier);
    QTRY_COMPARE(QApplication::focusWidget(), s.r->cbSupplier);
    QCOMPARE(s.r->cbSupplier->currentText(), name);
    QVERIFY(!keyOf().isValid());

    // Enter, then Enter on the name waiting in the editor: it is stored and chosen by its new
    // key, in both combos of the list, and the focus goes on to the next field.
    s.typeInto(s.r->cbSupplier, name);
    pressOnEachModal({Qt::Key_Return, Qt::Key_Return});
    s.leave(s.r->cbSupplier);
    QTRY_COMPARE(QApplication::focusWidget(), s.r->cbManufacturer);
    QVERIFY(keyOf().isValid());
    QCOMPARE(s.r->cbSupplier->currentText(), name);
    QCOMPARE(s.records()->value(QStringLiteral("SuppliersID")).toInt(), keyOf().toInt());
    QVERIFY(s.l->cbSupplierFilter->findText(name) >= 0);
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.db.scalar("SELECT SuppliersID FROM MaterialsTBL WHERE MaterialsID = 1"),
             keyOf());
}

void TestMaterials::choosingFromAFieldsList() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    // A field with a value: its list opens, a click chooses, the record takes the key.
    s.click(s.r->cmdMaterialsEditRecord);
    s.choose(s.r->cbCategory, QStringLiteral("Valves"));
    QCOMPARE(s.records()->value(QStringLiteral("CatagoryID")).toInt(), 2);
    QVERIFY(messages.shown().isEmpty());
    s.click(s.r->cmdUndoChanges);

    // A new material's empty fields: opening a list is not leaving its field.
    s.click(s.r->cmdMaterialsAddNewRecord);
    s.choose(s.r->cbSupplier, QStringLiteral("Bolt Brothers"));
    QCOMPARE(QApplication::focusWidget(), s.r->cbSupplier);
    s.choose(s.r->cbManufacturer, QStringLiteral("Delta"));
    s.choose(s.r->cbCategory, QStringLiteral("Fittings"));
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(s.records()->value(QStringLiteral("SuppliersID")).toInt(), 2);
    QCOMPARE(s.records()->value(QStringLiteral("ManufacturerID")).toInt(), 2);
    QCOMPARE(s.records()->value(QStringLiteral("CatagoryID")).toInt(), 1);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("N-1"));
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Nipple"));
    s.typeInto(s.r->txtUnitCost, QStringLiteral("3.50"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(program.db
                 .scalar("SELECT SuppliersID || '/' || ManufacturerID || '/' || CatagoryID FROM "
                         "MaterialsTBL WHERE PartNumber = 'N-1'")
                 .toString(),
             QStringLiteral("2/2/1"));
}

void TestMaterials::choosingFromALongListAfterScrollingIt() {
    Generated program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsAddNewRecord);
    QComboBox* combo = s.r->cbSupplier;
    const int last = combo->count() - 1;
    QVERIFY(last >= combo->maxVisibleItems());
    const QString name = combo->itemText(last);
    s.openList(combo);
    QAbstractItemView* popup = combo->view();
    // The list is as wide as its longest entry.
    int longest = 0;
    for (int row = 0; row <= last; ++row)
        longest = qMax(longest, popup->fontMetrics().horizontalAdvance(combo->itemText(row)));
    QVERIFY2(popup->viewport()->width() >= longest,
             qPrintable(QStringLiteral("%1 < %2").arg(popup->viewport()->width()).arg(longest)));
    // Page down with the scroll bar until the last entry shows, then choose it.
    QScrollBar* bar = popup->verticalScrollBar();
    QVERIFY(bar->isVisible());
    const QModelIndex entry = popup->model()->index(last, combo->modelColumn());
    for (int page = 0; page < 20 && !popup->viewport()->rect().contains(popup->visualRect(entry));
         ++page) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = option.sliderValue = bar->value();
        option.pageStep = bar->pageStep();
        option.singleStep = bar->singleStep();
        const QRect below = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         QStyle::SC_ScrollBarAddPage, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, below.center());
    }
    QVERIFY(popup->isVisible());
    s.clickEntry(combo, last);
    QCOMPARE(combo->currentText(), name);
    QCOMPARE(QApplication::focusWidget(), combo);
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(s.records()->value(QStringLiteral("SuppliersID")).toLongLong(),
             program.supplierKey(name).toLongLong());
}

void TestMaterials::undoShowsTheStoredValues() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    // A name on no list, part of a name, or text that is no amount never reaches the record;
    // Undo shows the stored value all the same.
    const struct {
        QWidget* field;
        QString typed;
        QString stored;
    } edits[] = {
        {s.r->cbSupplier, QStringLiteral("Nobody's Supply"), QStringLiteral("Acme Supply")},
        {s.r->cbManufacturer, QStringLiteral("Dolta"), QStringLiteral("Cascade")},
        {s.r->cbCategory, QString(), QStringLiteral("Fittings")},
        {s.r->txtUnitCost, QStringLiteral("abc"), QStringLiteral("$12.50")}};
    for (const auto& e : edits) {
        s.click(s.r->cmdMaterialsEditRecord);
        s.typeInto(e.field, e.typed);
        QCOMPARE(MaterialRecordPanelText::of(e.field), e.typed);
        s.click(s.r->cmdUndoChanges);
        QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
        QCOMPARE(MaterialRecordPanelText::of(e.field), e.stored);
    }
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(s.records()->value(QStringLiteral("SuppliersID")).toInt(), 1);
    QCOMPARE(s.records()->editMode(), RecordSet::EditNone);

    // While adding, the new material goes and the current one shows again.
    s.chooseRow(2);
    s.click(s.r->cmdMaterialsAddNewRecord);
    s.typeInto(s.r->cbSupplier, QStringLiteral("Nobody's Supply"));
    s.click(s.r->cmdUndoChanges);
    QCOMPARE(s.r->cbSupplier->currentText(), QStringLiteral("Bolt Brothers"));
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-3"));
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterials::commandsThatAbandonTheRecordCheckNothing() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    // Material 4 has no category: the cursor sits in its empty box while browsing.
    s.chooseRow(3);
    QComboBox* category = s.r->cbCategory;
    QCOMPARE(category->currentText(), QString());
    QTest::mouseClick(category->lineEdit(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), category);
    QTest::keyClick(category, Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(s.r->editState(), MaterialRecordPanel::Adding);
    QCOMPARE(QApplication::focusWidget(), s.r->cbSupplier);
    // With a supplier and a manufacturer chosen, the cursor in the new material's empty
    // category box: Undo abandons the material.
    s.choose(s.r->cbSupplier, QStringLiteral("Acme Supply"));
    s.choose(s.r->cbManufacturer, QStringLiteral("Delta"));
    QTest::mouseClick(category->lineEdit(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), category);
    QTest::keyClick(category, Qt::Key_U, Qt::AltModifier);
    QTRY_COMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));

    // Edit from the empty box, then Undo from it after emptying another material's category.
    QTest::mouseClick(category->lineEdit(), Qt::LeftButton);
    QTest::keyClick(category, Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QTest::keyClick(s.r->cbSupplier, Qt::Key_U, Qt::AltModifier);
    QTRY_COMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    s.chooseRow(0);
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(category, QString());
    QTest::keyClick(category, Qt::Key_U, Qt::AltModifier);
    QTRY_COMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(category->currentText(), QStringLiteral("Fittings"));
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));

    // Delete needs no complete record either.
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(category, QString());
    s.click(s.r->cmdDelete);
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(s.listedIds(), (QList<int>{2, 3, 4}));
}

void TestMaterials::oneRefusalOneMessage() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->cbCategory, QString());
    // Save takes the focus from the empty box: one message, the focus back, nothing saved.
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(QApplication::focusWidget(), s.r->cbCategory);
    // Again, by the mouse, the keyboard or the menu's shortcut: the same refusal, said once.
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    s.leave(s.r->cbCategory);
    QTest::keyClick(s.r->cbCategory, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(messages.texts(), QStringList{"Category is a required entry."});
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(QApplication::focusWidget(), s.r->cbCategory);
    QCOMPARE(s.window.statusBar()->currentMessage(), QString()); // nothing saved

    // Another entry is checked afresh: a name on no list asks once, too.
    messages.clear();
    messages.answerNext(QMessageBox::No);
    s.typeInto(s.r->cbCategory, QStringLiteral("Pipes"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.titles(), QStringList{"Category Not On List"});

    // Once the entry is right, the shortcut saves straight from the box.
    s.typeInto(s.r->cbCategory, QStringLiteral("Valves"));
    QTest::keyClick(s.r->cbCategory, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(messages.shown().size(), 1);
    // Said in the status bar for a few seconds.
    QCOMPARE(s.window.statusBar()->currentMessage(), QStringLiteral("Saved"));
    QTRY_COMPARE_WITH_TIMEOUT(s.window.statusBar()->currentMessage(), QString(), 4000);
    QCOMPARE(program.db.scalar("SELECT CatagoryID FROM MaterialsTBL WHERE MaterialsID = 1").toInt(),
             2);
}

void TestMaterials::theFirstMaterialOnAnEmptyDatabase() {
    Program program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    QVERIFY(!s.r->cmdDelete->isEnabled());
    QVERIFY(!s.r->cmdMaterialsEditRecord->isEnabled());
    s.click(s.r->cmdMaterialsAddNewRecord);
    // Each list is empty: the typed name is added through its editor, where it waits on the
    // new-row line; closing the editor writes it, the combo chooses it, and Tab goes on.
    const struct {
        QComboBox* combo;
        QString name;
        QString editor;
        QWidget* next;
    } fields[] = {{s.r->cbSupplier, QStringLiteral("Acme Supply"), QStringLiteral("frmAddSupplier"),
                   s.r->cbManufacturer},
                  {s.r->cbManufacturer, QStringLiteral("Cascade"),
                   QStringLiteral("frmAddManufacturer"), s.r->cbCategory},
                  {s.r->cbCategory, QStringLiteral("Fittings"), QStringLiteral("frmAddCategory"),
                   s.r->txtPartNumber}};
    for (const auto& f : fields) {
        QString proposed;
        QString editorName;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<LookupListEditor*>(QApplication::activeModalWidget());
            if (!editor)
                return;
            editorName = editor->objectName();
            const QModelIndex line = editor->DataGrid1->currentIndex();
            if (auto* cell = qobject_cast<QLineEdit*>(editor->DataGrid1->indexWidget(line)))
                proposed = cell->text();
            QTest::mouseClick(editor->btnCancel, Qt::LeftButton);
        });
        messages.answerNext(QMessageBox::Yes);
        s.typeInto(f.combo, f.name);
        s.leave(f.combo);
        QTRY_COMPARE(QApplication::focusWidget(), f.next);
        QCOMPARE(editorName, f.editor);
        QCOMPARE(proposed, f.name);
        QCOMPARE(f.combo->currentText(), f.name);
        QVERIFY(s.bindingMatches(f.combo));
    }
    QCOMPARE(messages.shown().size(), 3);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("F-1"));
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Flange"));
    s.typeInto(s.r->txtUnitCost, QStringLiteral("2.25"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 3);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(s.listedIds().size(), 1);
    // The saved material is current: it can be edited and deleted at once.
    QVERIFY(s.r->cmdDelete->isEnabled());
    QVERIFY(s.r->cmdMaterialsEditRecord->isEnabled());
    s.click(s.r->cmdDelete);
    QCOMPARE(s.listedIds(), QList<int>{});
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM MaterialsTBL").toInt(), 0);
    QVERIFY(!s.r->cmdDelete->isEnabled());
    QVERIFY(!s.r->cmdMaterialsEditRecord->isEnabled());
    QCOMPARE(messages.shown().size(), 3);
}

void TestMaterials::longNamesShowWholeWhenThereIsRoom() {
    Catalogue program;
    const QString name = QStringLiteral("Riverside Electrical Supply Distributors Co.");
    program.db.exec("UPDATE SuppliersTBL SET Company = ? WHERE SuppliersID = 1", {name});
    QVERIFY(program.load());
    MaterialsScreen s;
    QLineEdit* box = s.r->cbSupplier->lineEdit();
    QCOMPARE(box->text(), name);
    const int needed = box->fontMetrics().horizontalAdvance(name);
    // The smallest window has no room: the name is cut at its end and whole in the tool tip,
    // while the combo's own tip stays on the combo.
    s.window.resize(800, 600);
    QTRY_VERIFY(box->width() < needed);
    QCOMPARE(box->toolTip(), name);
    QCOMPARE(s.r->cbSupplier->toolTip(), QStringLiteral("Add / Edit Suppliers\nRequired"));
    // A wider window widens the combos: the name shows whole and the tip is the combo's again.
    s.window.resize(1280, 800);
    QTRY_VERIFY(box->width() > needed + 10);
    QCOMPARE(box->toolTip(), QString());
    // Nothing of the panel overlaps or leaves its frame.
    const QRect partNumber = s.r->txtPartNumber->geometry();
    QVERIFY(s.r->cbSupplier->geometry().right() <
            s.r->frMaterialRecord->findChild<QLabel*>(QStringLiteral("lblPartNumber"))
                ->geometry()
                .left());
    QVERIFY(partNumber.right() <= s.r->txtMaterialsDescription->geometry().right());
    QCOMPARE(s.r->txtUnitCost->geometry().left(), partNumber.left());
    // The drop-down list shows the name whole too.
    s.click(s.r->cmdMaterialsEditRecord);
    s.openList(s.r->cbSupplier);
    QVERIFY(s.r->cbSupplier->view()->viewport()->width() >= needed);
    QTest::keyClick(s.r->cbSupplier->view(), Qt::Key_Escape);
    QTRY_VERIFY(!s.r->cbSupplier->view()->isVisible());
    s.window.resize(800, 600);
    QTRY_VERIFY(box->width() < needed);
    QCOMPARE(box->toolTip(), name);
}

void TestMaterials::deleting() {
    Catalogue program;
    program.db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber) VALUES (1, 1001)");
    program.db.exec("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID) VALUES (1, 2)");
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;

    // A material on an estimate stays, with the list and the panel as they were.
    s.chooseRow(1);
    s.click(s.r->cmdDelete);
    QCOMPARE(messages.texts(), QStringList{"This record couldn't be deleted because it is already "
                                           "used in one or several estimates"});
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(s.records()->value(0).toInt(), 2);
    // A refused delete while editing keeps the edit open with what was typed.
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("P-2B"));
    s.click(s.r->cmdDelete);
    QCOMPARE(messages.shown().size(), 2);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(s.records()->value(4).toString(), QStringLiteral("P-2B"));
    s.click(s.r->cmdUndoChanges);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-2"));

    // Any other refusal is reported too.
    program.db.exec("CREATE TRIGGER KeepThree BEFORE DELETE ON MaterialsTBL WHEN old.MaterialsID "
                    "= 3 BEGIN SELECT RAISE(ABORT, 'kept for the audit'); END");
    messages.clear();
    s.chooseRow(2);
    s.click(s.r->cmdDelete);
    QCOMPARE(messages.titles(), QStringList{"frmMain / cmdMaterialsDelete_Click"});
    QCOMPARE(messages.shown().first().icon, QMessageBox::Critical);
    QVERIFY(messages.texts().first().contains(QLatin1String("kept for the audit")));
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4}));

    // The material that followed becomes current.
    messages.clear();
    s.chooseRow(0);
    s.click(s.r->cmdDelete);
    QCOMPARE(s.listedIds(), (QList<int>{2, 3, 4}));
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-2"));
    QCOMPARE(s.l->grdMaterialsList->currentIndex().row(), 0);

    // After the last one, none is: the list loses its last row.
    s.chooseRow(2);
    s.click(s.r->cmdDelete);
    QCOMPARE(s.listedIds(), (QList<int>{2, 3}));
    QVERIFY(s.records()->isEOF());
    QCOMPARE(s.r->txtPartNumber->text(), QString());
    QVERIFY(!s.r->cmdDelete->isEnabled());
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM MaterialsTBL").toInt(), 3);
}

void TestMaterials::savingStampsThePriceDateOnlyWhenTheCostChanges() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    const QString before = program.db
                               .scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE "
                                       "MaterialsID = 2")
                               .toString();
    s.chooseRow(1);
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Gate valve, brass"));
    // Edit > Save Record, by its shortcut.
    QTest::keyClick(s.r->txtMaterialsDescription, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(QApplication::focusWidget(), s.l->grdMaterialsList);
    QCOMPARE(
        program.db.scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE MaterialsID = 2").toString(),
        before);
    QCOMPARE(s.cell(1, 8), QStringLiteral("Gate valve, brass"));

    // A change below half a cent shows the same "$12.50" but is a new price: the date follows.
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtUnitCost, QStringLiteral("12.504"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(
        program.db.scalar("SELECT UnitCost FROM MaterialsTBL WHERE MaterialsID = 2").toDouble(),
        12.504);
    QVERIFY(program.db.scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE MaterialsID = 2")
                .toString() != before);

    QSignalSpy reloads(s.m->dcMaterials, &DataControl::recordSetChanged);
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtUnitCost, QStringLiteral("13.00"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    const QDateTime stamped =
        program.db.scalar("SELECT UpdatedLast FROM MaterialsTBL WHERE MaterialsID = 2")
            .toDateTime();
    QVERIFY(qAbs(stamped.secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(s.cell(1, 9), QStringLiteral("$13.00"));
    QCOMPARE(s.cell(1, 10), QDate::currentDate().toString(QStringLiteral("dd MMM yy")));
    QVERIFY(!s.list()->data(s.list()->index(1, 10), Qt::ForegroundRole).value<QColor>().isValid());
    QCOMPARE(reloads.count(), 0); // the row is rewritten in place
    QVERIFY(messages.shown().isEmpty());
}

void TestMaterials::aNewMaterialIsAppendedWithItsNames() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.chooseRow(1);
    s.click(s.r->cmdMaterialsAddNewRecord);
    // Names typed in full choose their entries.
    s.typeMaterialAndSave(QStringLiteral("Bolt Brothers"), QStringLiteral("Delta"),
                          QStringLiteral("Fittings"), QStringLiteral("N-9"),
                          QStringLiteral("$1,234.50"), QStringLiteral("Tee 3/4\""));
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('|')));
    const int id = program.db.scalar("SELECT MAX(MaterialsID) FROM MaterialsTBL").toInt();
    QCOMPARE(s.listedIds(), (QList<int>{1, 2, 3, 4, id}));
    QCOMPARE(s.cell(4, 5), QStringLiteral("Delta"));
    QCOMPARE(s.cell(4, 6), QStringLiteral("Fittings"));
    QCOMPARE(s.cell(4, 7), QStringLiteral("Bolt Brothers"));
    QCOMPARE(s.cell(4, 9), QStringLiteral("$1,234.50"));
    QCOMPARE(s.cell(4, 10), QDate::currentDate().toString(QStringLiteral("dd MMM yy")));
    QCOMPARE(s.l->grdMaterialsList->currentIndex().row(), 4);
    QCOMPARE(program.db.scalar("SELECT PartNumber FROM MaterialsTBL WHERE MaterialsID = ?", {id})
                 .toString(),
             QStringLiteral("N-9"));
}

void TestMaterials::aRefusedSaveKeepsWhatWasTyped() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    program.db.exec("CREATE TRIGGER Frozen BEFORE UPDATE ON MaterialsTBL BEGIN "
                    "SELECT RAISE(ABORT, 'the catalogue is frozen'); END");
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("P-1X"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().icon, QMessageBox::Critical);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-1X"));
    QCOMPARE(s.cell(0, 4), QStringLiteral("P-1"));
    program.db.exec("DROP TRIGGER Frozen");
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(s.cell(0, 4), QStringLiteral("P-1X"));
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
}

void TestMaterials::anotherWindowsChangeIsNeverOverwrittenUnseen() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    // Another window stores a new price of the material on screen.
    program.db.exec("UPDATE MaterialsTBL SET UnitCost = 20 WHERE MaterialsID = 1");
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("P-1X"));
    messages.answerNext(QMessageBox::No); // Keep Mine
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.texts().first().startsWith(
        "The record was changed by someone else since you opened it."));
    QCOMPARE(messages.shown().first().buttonTexts.value(QMessageBox::No), "&Keep Mine");
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(s.r->txtPartNumber->text(), QStringLiteral("P-1X"));
    QVERIFY2(s.r->txtUnitCost->text().contains(QLatin1String("20.00")),
             qPrintable(s.r->txtUnitCost->text()));
    QCOMPARE(program.db.scalar("SELECT PartNumber || ' ' || UnitCost FROM MaterialsTBL WHERE "
                               "MaterialsID = 1"),
             QVariant(QStringLiteral("P-1 20")));
    // Saved again, knowingly: the typed part number goes with the other window's price.
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(program.db.scalar("SELECT PartNumber || ' ' || UnitCost FROM MaterialsTBL WHERE "
                               "MaterialsID = 1"),
             QVariant(QStringLiteral("P-1X 20")));

    // Reload shows the other window's text and drops what was typed.
    program.db.exec("UPDATE MaterialsTBL SET ManufacturerDescription = 'Changed elsewhere' WHERE "
                    "MaterialsID = 1");
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Mine"));
    messages.answerNext(QMessageBox::Yes); // Reload
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 2);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Browse);
    QCOMPARE(s.r->txtMaterialsDescription->text(), QStringLiteral("Changed elsewhere"));
    QCOMPARE(program.db.scalar("SELECT ManufacturerDescription FROM MaterialsTBL WHERE "
                               "MaterialsID = 1"),
             QVariant(QStringLiteral("Changed elsewhere")));

    // A material another window deleted: said so, and what was typed stays to be copied.
    program.db.exec("DELETE FROM MaterialsTBL WHERE MaterialsID = 1");
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Worth keeping"));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 3);
    QVERIFY(messages.texts().last().startsWith(
        "The record was deleted by someone else since you opened it."));
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(s.r->txtMaterialsDescription->text(), QStringLiteral("Worth keeping"));
}

void TestMaterials::anEmptyRequiredValueIsNamedOnSave() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtPartNumber, QString());
    s.typeInto(s.r->txtMaterialsDescription, QStringLiteral("Elbow 3/4\""));
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(messages.texts(), QStringList{"Please fill fields above grid"});
    QCOMPARE(messages.titles(), QStringList{QCoreApplication::applicationName()});
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(s.r->txtMaterialsDescription->text(), QStringLiteral("Elbow 3/4\""));
    QCOMPARE(s.cell(0, 4), QStringLiteral("P-1"));
    QCOMPARE(program.db.scalar("SELECT PartNumber FROM MaterialsTBL WHERE MaterialsID = 1"),
             QVariant(QStringLiteral("P-1")));
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
        MaterialsScreen s;
        s.click(s.r->cmdMaterialsEditRecord);
        s.typeInto(s.r->txtPartNumber, QStringLiteral("P-1C"));
        messages.answerNext(QMessageBox::Cancel);
        QVERIFY(!s.window.close());
        QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
        messages.answerNext(QMessageBox::Yes);
        QVERIFY(s.window.close());
        QCOMPARE(partNumber(), QStringLiteral("P-1C"));
    }
    MaterialsScreen s;
    s.click(s.r->cmdMaterialsEditRecord);
    s.typeInto(s.r->txtPartNumber, QStringLiteral("P-1D"));
    messages.answerNext(QMessageBox::No);
    QVERIFY(s.window.close());
    QCOMPARE(partNumber(), QStringLiteral("P-1C"));
    QCOMPARE(messages.titles(), QStringList(3, QStringLiteral("Material Record")));
}

QTEST_MAIN(TestMaterials)
#include "tst_materials.moc"

void TestMaterials::anAmountBeyondTheRangeIsNamedAndNotStored() {
    Catalogue program;
    QVERIFY(program.load());
    MaterialsScreen s;
    ScriptedMessages messages;
    s.click(s.r->cmdMaterialsEditRecord);
    for (const QString& typed :
         {QStringLiteral("99999999999999999"), QStringLiteral("$922,337,203,685,477.58"),
          QStringLiteral("-1,000,000,000")}) {
        messages.clear();
        s.typeInto(s.r->txtUnitCost, typed);
        s.leave(s.r->txtUnitCost);
        QCOMPARE(
            messages.texts(),
            QStringList{"Unit Cost must lie between -$999,999,999.9999 and $999,999,999.9999"});
        QCOMPARE(QApplication::focusWidget(), s.r->txtUnitCost);
        QCOMPARE(s.r->txtUnitCost->text(), typed);
    }
    // Saving is refused too, and the stored cost stays what it was.
    s.click(s.r->cmdMaterialsSaveCurrentRecord);
    QCOMPARE(s.r->editState(), MaterialRecordPanel::Editing);
    QCOMPARE(
        program.db.scalar("SELECT UnitCost FROM MaterialsTBL WHERE MaterialsID = 1").toDouble(),
        12.5);
    messages.clear();
    s.typeInto(s.r->txtUnitCost, QStringLiteral("$999,999,999.9999"));
    s.leave(s.r->txtUnitCost);
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('|')));
}

void TestMaterials::aStoredAmountBeyondTheRangeShowsAsStored() {
    Catalogue program;
    program.db.exec("UPDATE MaterialsTBL SET UnitCost = 1000000000000000 WHERE MaterialsID = 1");
    program.db.exec("UPDATE MaterialsTBL SET UnitCost = 1e15 WHERE MaterialsID = 2");
    QVERIFY(program.load());
    MaterialsScreen s;
    QStringList shown;
    for (int row = 0; row < 4; ++row) {
        if (s.cell(row, 4) == QLatin1String("P-1") || s.cell(row, 4) == QLatin1String("P-2"))
            shown << s.cell(row, 9);
    }
    QCOMPARE(shown.size(), 2);
    // Neither wrapped to a negative amount nor cut to the largest one: the number as stored.
    for (QString cell : shown) {
        QVERIFY2(!cell.startsWith(u'-') && !cell.startsWith(u'$'), qPrintable(cell));
        QVERIFY2(cell.remove(u',').contains(QLatin1String("1000000000000000")) ||
                     cell.contains(QLatin1String("e+15")),
                 qPrintable(cell));
    }
}
