#pragma once

#include "materials/materialfilter.h"
#include "materials/materiallookups.h"
#include "widgets/layoutrow.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <functional>

class ComboBinding;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class QWidget;
class RecordSet;
class RecordSetModel;

// The catalogue list of the Materials screen: the grid grdMaterialsList, the filter frame
// frMaterialsFilter with its three filters and View All, the search box above the grid and the
// count under it. One query feeds dcMaterials, the data control the record panel is bound to,
// and the grid shows that very record set, so the list and the panel always hold the same
// materials in the same order; the filters, the search words and the order chosen by a click on
// a heading are all part of that query. The controls are built on the screen's frame, where the
// window's layout finds them.
class MaterialsList : public QObject {
    Q_OBJECT
public:
    // The filters choose from the lookup lists the record panel sets up.
    MaterialsList(QWidget* screen, DataControl* materials, const MaterialLookups& lookups);

    // Runs the query for the current filters into dcMaterials and returns its record set.
    RecordSet* CreateMaterialsRecordset();
    // Reloads the catalogue and tells whether it holds any material (recordsLoaded).
    void SetupMaterialsDataControl();
    // Shows the loaded record set in the grid, on the current material.
    void SetupMaterialsListGrid();
    // The 1-based list row of the material with this key, or 0.
    int FindMaterialsGridRow(const QVariant& id) const;
    // Empties one filter, or all three when none is given, without reloading the list.
    void ClearFilterCombo(QComboBox* cbCurrent = nullptr);
    // The query text for the current filters, search words and order, and the values bound to
    // it.
    QString materialsQuery(QVariantList* values) const;

    // Reloads the list for the words in the search box now, rather than after the pause in
    // typing; nothing happens when they are the ones the list already shows.
    void applySearch();
    // Empties the search box without reloading the list.
    void clearSearch();
    // Lists the catalogue ordered by a column of the list, as clicks on its heading do, with
    // the current material kept current. A column of -1 goes back to the order of entry. False
    // when the list cannot be reordered now (a material is being edited).
    bool sortByColumn(int column, Qt::SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // "1,234 of 150,000 materials": the rows listed and the whole catalogue.
    QString countText() const;

    // Makes the current material's row current, or none when it is not listed.
    void showCurrentInList();
    // The filters, the search and the order wait while a material is being edited: a reload
    // would drop it.
    void setFiltersEnabled(bool enabled);
    // Asked before a click in the grid moves dcMaterials to another material; false keeps the
    // current one.
    void setRecordGuard(std::function<bool()> mayLeaveRecord);
    // Gives the visible columns their shares of the grid's width.
    void fitListColumns();
    const RecordSetModel* listModel() const { return m_listModel; }
    // The list's controls in tab order.
    QList<QWidget*> tabOrder() const;
    // The filter frame keeps to the right edge; the grid takes the window's growth.
    LayoutRows layoutRows() const;

    QGroupBox* frMaterialsFilter;
    QComboBox* cbManufacturerFilter;
    QComboBox* cbSupplierFilter;
    QComboBox* cbCategoryFilter;
    QPushButton* cbMaterialsFilterViewAll;
    QLineEdit* txtMaterialsSearch;
    QTableView* grdMaterialsList;
    QLabel* lblMaterialsCount;

signals:
    // The catalogue was reloaded; whether it holds any material.
    void recordsLoaded(bool hasRecords);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createFilters(QWidget* screen, const MaterialLookups& lookups);
    void createSearch(QWidget* screen);
    void createGrid(QWidget* screen);
    void createCount(QWidget* screen);
    void filterChanged(ComboBinding* filter, QString MaterialFilterValues::*which);
    void cbMaterialsFilterViewAll_Click();
    void grdMaterialsList_RowColChange();
    void headingClicked(int column);
    void formatListColumns();
    void listLoaded(bool filtered);
    void showCount();
    void showSortIndicator();
    QStringList searchWords() const;
    // The rows the unfiltered list will hold, for its record set to make room for them.
    qint64 expectedCatalogueRows() const;

    DataControl* dcMaterials;
    RecordSetModel* m_listModel;
    ComboBinding* m_manufacturerFilter;
    ComboBinding* m_supplierFilter;
    ComboBinding* m_categoryFilter;
    QTimer* m_searchPause;
    // The search words the list was last loaded with.
    QStringList m_appliedSearch;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // The materials of the whole catalogue (each with its supplier, as the unfiltered list
    // shows them), or -1 until known. Taken from an unfiltered load, or counted once, and kept
    // up to date by the list's adds and deletes, so a filter or a search costs no count.
    qint64 m_catalogueCount = -1;
    QString m_countedConnection;
    bool m_filtersEnabled = true;
    std::function<bool()> m_mayLeaveRecord = [] { return true; };
    bool m_clearingFilters = false;
    // The filter values the list was last loaded with.
    MaterialFilterValues m_applied;
};
