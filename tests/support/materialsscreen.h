#pragma once

// A loaded main window on the Materials screen, shown and active so focus moves as it does for
// a user; the record panel and the list are driven by mouse and keys.
#include "app/mainwindow.h"
#include "data/datacontrol.h"
#include "data/recordset.h"
#include "materials/materialrecordpanel.h"
#include "materials/materialsframe.h"
#include "materials/materialslist.h"
#include "support/userinput.h"
#include "widgets/recordsetmodel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

struct MaterialsScreen {
    frmMain window;
    MaterialsFrame* m;
    MaterialRecordPanel* r;
    MaterialsList* l;

    // A size, when given, is set before the window shows.
    explicit MaterialsScreen(QSize size = QSize())
        : m(window.frMaterials), r(window.frMaterials->recordPanel),
          l(window.frMaterials->materialsList) {
        if (size.isValid())
            window.resize(size);
        window.show();
        window.activateWindow();
        window.tabMain->setCurrentIndex(1);
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
    }
    RecordSet* records() const { return m->dcMaterials->recordSet(); }
    RecordSetModel* list() const {
        return qobject_cast<RecordSetModel*>(l->grdMaterialsList->model());
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
    static void click(QWidget* button) { UserInput::click(button); }
    // Opens the combo's list with a click on its arrow.
    static void openList(QComboBox* combo) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect arrow = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxArrow, combo);
        QTest::mouseClick(combo, Qt::LeftButton, {}, arrow.center());
        QTRY_VERIFY(combo->view()->isVisible());
    }
    // Clicks an entry of the open list.
    static void clickEntry(QComboBox* combo, int index) {
        QAbstractItemView* popup = combo->view();
        const QPoint entry =
            popup->visualRect(popup->model()->index(index, combo->modelColumn())).center();
        QVERIFY(popup->viewport()->rect().contains(entry));
        // The pointer moves onto the entry first: a release where the press opened the list
        // does not choose.
        QTest::mouseMove(popup->viewport(), entry + QPoint(1, 0));
        QTest::mouseMove(popup->viewport(), entry);
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {}, entry);
        QTRY_VERIFY(!popup->isVisible());
    }
    // Opens the combo's list with its arrow and clicks the entry.
    static void choose(QComboBox* combo, const QString& name) {
        openList(combo);
        const int index = combo->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        clickEntry(combo, index);
    }
    // Clicks a cell of the list.
    void clickCell(int row, int column) {
        QTableView* grid = l->grdMaterialsList;
        const QModelIndex index = list()->index(row, column);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }
    void chooseRow(int row) { clickCell(row, 4); }
    static void typeInto(QWidget* field, const QString& text) { UserInput::typeInto(field, text); }
    // Types a whole material into the record panel's six fields, in tab order, and saves it.
    void typeMaterialAndSave(const QString& supplier, const QString& manufacturer,
                             const QString& category, const QString& partNumber,
                             const QString& unitCost, const QString& description) {
        typeInto(r->cbSupplier, supplier);
        typeInto(r->cbManufacturer, manufacturer);
        typeInto(r->cbCategory, category);
        typeInto(r->txtPartNumber, partNumber);
        typeInto(r->txtUnitCost, unitCost);
        typeInto(r->txtMaterialsDescription, description);
        click(r->cmdMaterialsSaveCurrentRecord);
    }
    static void leave(QWidget* field) { UserInput::leave(field); }
    QString count() const { return l->lblMaterialsCount->text(); }
    int currentId() const { return records()->value(0).toInt(); }
    int currentRowId() const {
        return list()->value(l->grdMaterialsList->currentIndex().row(), 0).toInt();
    }
    void clickHeading(int column) {
        QHeaderView* header = l->grdMaterialsList->horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(column) +
                                header->sectionSize(column) / 2,
                            header->viewport()->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    }
    // Replaces the search text as a user does: select all, delete, type.
    void search(const QString& text) {
        QLineEdit* box = l->txtMaterialsSearch;
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // The visible columns' left edges and widths, left to right.
    QList<QPair<int, int>> visibleColumns() const {
        QList<QPair<int, int>> out;
        const QTableView* grid = l->grdMaterialsList;
        for (int column = 0; column < list()->columnCount(); ++column)
            if (!grid->isColumnHidden(column) && grid->columnWidth(column) > 0)
                out << qMakePair(grid->columnViewportPosition(column), grid->columnWidth(column));
        return out;
    }
};

// The program's data loaded as start-up loads it; a test cannot go on without it.
template <class Data> struct Loaded : Data {
    template <class... Args> explicit Loaded(Args... args) : Data(args...) {
        if (!Data::load())
            qFatal("the program's data did not load");
    }
};

// The data loaded, then the Materials screen over it: `Shown<Catalogue> s;`.
template <class Data> struct Shown : Loaded<Data>, MaterialsScreen {
    explicit Shown(QSize size = QSize()) : MaterialsScreen(size) {}
    explicit Shown(int materials) : Loaded<Data>(materials) {}
};
