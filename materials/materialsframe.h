#pragma once

#include "materials/materialrecordpanel.h"
#include "widgets/screen.h"

#include <QGroupBox>
#include <QVariant>

class DataControl;
class MaterialsList;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

// The Materials screen: the catalogue list with its filters (MaterialsList), the record panel in
// which the current material is added, edited, saved, undone and deleted (MaterialRecordPanel),
// and the bookkeeping of a written material (MaterialBookkeeping). The list and the panel share
// one data control, dcMaterials, so they always hold the same materials in the same order; the
// frame builds the three parts and connects them.
class MaterialsFrame : public QGroupBox, public ScreenInterface {
    Q_OBJECT
public:
    using EditState = MaterialRecordPanel::EditState;
    using enum MaterialRecordPanel::EditState;

    explicit MaterialsFrame(QWidget* parent = nullptr);

    // Lists the whole catalogue, with the filters and the search empty and the record panel
    // locked: at once while the screen is shown, else when it is first shown again (so the
    // program starts as fast on a large catalogue as on an empty one).
    void reload() override;
    void activate() override;
    // Whether the catalogue shown is the one the database holds (false until first shown).
    bool isLoaded() const { return !m_stale; }
    // Asks about a material with unsaved changes.
    bool canLeave() override;
    // While a material is being edited or added.
    bool canSave() const override;
    bool save() override;
    LayoutRows layoutRows() const override;
    void applyColumnFractions() override;

    DataControl* const dcMaterials;
    MaterialRecordPanel* const recordPanel;
    MaterialsList* const materialsList;

    // The procedures and controls of the parts the benchmark (bench/bench_materials.cpp) drives
    // the screen through, under the names it has always used.
    void SetupMaterialsDataControl();
    void SetupMaterialsListGrid();
    // The record panel's lookup lists and fields, with the filters emptied.
    void SetupMaterialsControls();
    QString materialsQuery(QVariantList* values) const;
    EditState editState() const;
    QTableView* const grdMaterialsList;
    QComboBox* const cbManufacturerFilter;
    QComboBox* const cbSupplierFilter;
    QComboBox* const cbCategoryFilter;
    QPushButton* const cbMaterialsFilterViewAll;
    QLineEdit* const txtUnitCost;
    QPushButton* const cmdMaterialsEditRecord;
    QPushButton* const cmdMaterialsSaveCurrentRecord;

signals:
    // Whether saving the record makes sense now; the Edit menu's save item follows it.
    void saveEnabledChanged(bool enabled);
    // The material being edited or added was saved.
    void recordSaved();

private:
    void load();

    bool m_stale = true;
};
