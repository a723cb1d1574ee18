#include "materials/materialsframe.h"

#include "data/datacontrol.h"
#include "materials/materialbookkeeping.h"
#include "materials/materialfilter.h"
#include "materials/materialslist.h"
#include "widgets/screencontrols.h"

#include <QTableView>

MaterialsFrame::MaterialsFrame(QWidget* parent)
    : QGroupBox(parent), dcMaterials(new DataControl(this)),
      recordPanel(new MaterialRecordPanel(this, dcMaterials)),
      materialsList(new MaterialsList(this, dcMaterials, recordPanel->lookups())),
      grdMaterialsList(materialsList->grdMaterialsList),
      cbManufacturerFilter(materialsList->cbManufacturerFilter),
      cbSupplierFilter(materialsList->cbSupplierFilter),
      cbCategoryFilter(materialsList->cbCategoryFilter),
      cbMaterialsFilterViewAll(materialsList->cbMaterialsFilterViewAll),
      txtUnitCost(recordPanel->txtUnitCost),
      cmdMaterialsEditRecord(recordPanel->cmdMaterialsEditRecord),
      cmdMaterialsSaveCurrentRecord(recordPanel->cmdMaterialsSaveCurrentRecord) {
    setObjectName(QStringLiteral("frMaterials"));
    setTitle(tr("Materials"));
    dcMaterials->setObjectName(QStringLiteral("dcMaterials"));
    new MaterialBookkeeping(dcMaterials, materialsList, this);

    // The panel's fields and buttons, then the filters and the list.
    const QList<QWidget*> order = recordPanel->tabOrder() + materialsList->tabOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(materialsList, &MaterialsList::recordsLoaded, recordPanel,
            &MaterialRecordPanel::setHasRecords);
    materialsList->setRecordGuard([this] { return recordPanel->mayLeaveRecord(); });
    connect(recordPanel, &MaterialRecordPanel::editingChanged, this, [this](bool editing) {
        materialsList->setFiltersEnabled(!editing);
        emit saveEnabledChanged(editing);
    });
    connect(recordPanel, &MaterialRecordPanel::aboutToBrowse, materialsList,
            [this] { materialsList->grdMaterialsList->setFocus(); });
    connect(recordPanel, &MaterialRecordPanel::recordSettled, materialsList,
            &MaterialsList::showCurrentInList);
    connect(recordPanel, &MaterialRecordPanel::recordSaved, this, &MaterialsFrame::recordSaved);
}

void MaterialsFrame::reload() {
    m_stale = true;
    if (isVisible())
        load();
}

void MaterialsFrame::activate() {
    if (m_stale)
        load();
}

void MaterialsFrame::load() {
    m_stale = false;
    gMaterialFilter.clear();
    materialsList->clearSearch();
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
    SetupMaterialsControls();
    recordPanel->SetLockMaterialEdit(true);
}

bool MaterialsFrame::canLeave() {
    return recordPanel->finishEditing();
}

bool MaterialsFrame::canSave() const {
    return recordPanel->editState() != Browse;
}

bool MaterialsFrame::save() {
    // As the Save button does: nothing while a material is only being browsed.
    if (!canSave())
        return false;
    recordPanel->cmdMaterialsSaveCurrentRecord_Click();
    return recordPanel->editState() == Browse;
}

LayoutRows MaterialsFrame::layoutRows() const {
    return materialsList->layoutRows() + recordPanel->layoutRows();
}

void MaterialsFrame::applyColumnFractions() {
    materialsList->fitListColumns();
}

void MaterialsFrame::SetupMaterialsDataControl() {
    materialsList->SetupMaterialsDataControl();
}

void MaterialsFrame::SetupMaterialsListGrid() {
    materialsList->SetupMaterialsListGrid();
}

void MaterialsFrame::SetupMaterialsControls() {
    recordPanel->SetupMaterialsControls();
    materialsList->ClearFilterCombo();
}

QString MaterialsFrame::materialsQuery(QVariantList* values) const {
    return materialsList->materialsQuery(values);
}

MaterialsFrame::EditState MaterialsFrame::editState() const {
    return recordPanel->editState();
}
