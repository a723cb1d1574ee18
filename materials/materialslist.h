#pragma once

#include "materials/materiallookups.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <functional>

class ComboBinding;
class QComboBox;
class QGroupBox;
class QPushButton;
class QTableView;
class QWidget;
class RecordSet;
class RecordSetModel;

// The catalogue list of the Materials screen: the grid grdMaterialsList and the filter frame
// frMaterialsFilter with its three filters and View All. One query feeds dcMaterials, the data
// control the record panel is bound to, and the grid shows that very record set, so the list
// and the panel always hold the same materials in the same order. The controls are built on
// the screen's frame, where the window's layout finds them.
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
    // The query text for the current filters and the values bound to it.
    QString materialsQuery(QVariantList* values) const;

    // Makes the current material's row current, or none when it is not listed.
    void showCurrentInList();
    // The filters wait while a material is being edited: a reload would drop it.
    void setFiltersEnabled(bool enabled);
    // Asked before a click in the grid moves dcMaterials to another material; false keeps the
    // current one.
    void setRecordGuard(std::function<bool()> mayLeaveRecord);
    // Gives the visible columns their shares of the grid's width.
    void fitListColumns();
    const RecordSetModel* listModel() const { return m_listModel; }
    // The list's controls in tab order.
    QList<QWidget*> tabOrder() const;

    QGroupBox* frMaterialsFilter;
    QComboBox* cbManufacturerFilter;
    QComboBox* cbSupplierFilter;
    QComboBox* cbCategoryFilter;
    QPushButton* cbMaterialsFilterViewAll;
    QTableView* grdMaterialsList;

signals:
    // The catalogue was reloaded; whether it holds any material.
    void recordsLoaded(bool hasRecords);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createFilters(QWidget* screen, const MaterialLookups& lookups);
    void createGrid(QWidget* screen);
    void filterChanged(ComboBinding* filter, QString* lastApplied);
    void cbMaterialsFilterViewAll_Click();
    void grdMaterialsList_RowColChange();

    DataControl* dcMaterials;
    RecordSetModel* m_listModel;
    ComboBinding* m_manufacturerFilter;
    ComboBinding* m_supplierFilter;
    ComboBinding* m_categoryFilter;
    std::function<bool()> m_mayLeaveRecord = [] { return true; };
    bool m_clearingFilters = false;
};
