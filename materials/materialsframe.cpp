#include "materials/materialsframe.h"

#include "data/datacontrol.h"
#include "data/screencontrols.h"
#include "materials/materialfilter.h"

#include <QHeaderView>
#include <QTableView>

using namespace Controls;
using Twips::place;

MaterialsFrame::MaterialsFrame(QWidget* parent)
    : QGroupBox(parent), dcMaterials(new DataControl(this)), AdodcSupplier(new DataControl(this)),
      AdodcManufacturer(new DataControl(this)), AdodcCategory(new DataControl(this)) {
    setObjectName(QStringLiteral("frMaterials"));
    setTitle(tr("Materials"));
    dcMaterials->setObjectName(QStringLiteral("dcMaterials"));
    AdodcSupplier->setObjectName(QStringLiteral("AdodcSupplier"));
    AdodcManufacturer->setObjectName(QStringLiteral("AdodcManufacturer"));
    AdodcCategory->setObjectName(QStringLiteral("AdodcCategory"));
    // The lists the combos choose from are never written through.
    for (DataControl* rowSource : {AdodcSupplier, AdodcManufacturer, AdodcCategory})
        rowSource->setReadOnly(true);

    frMaterialRecord = place<QGroupBox>(this, QStringLiteral("frMaterialRecord"), 12, 26, 545, 196);
    frMaterialRecord->setTitle(tr("Material record"));
    QWidget* r = frMaterialRecord;
    caption(r, QStringLiteral("lblSupplier"), tr("Supplier:"), 8, 26, 92);
    cbSupplier = combo(r, QStringLiteral("cbSupplier"), tr("Add / Edit Suppliers"), 106, 26, 180);
    caption(r, QStringLiteral("lblManufacturer"), tr("Manufacturer:"), 8, 56, 92);
    cbManufacturer =
        combo(r, QStringLiteral("cbManufacturer"), tr("Add / Edit Manufacturers"), 106, 56, 180);
    caption(r, QStringLiteral("lblCategory"), tr("Category:"), 8, 86, 92);
    cbCategory = combo(r, QStringLiteral("cbCategory"), tr("Add / Edit Categories"), 106, 86, 180);
    caption(r, QStringLiteral("lblPartNumber"), tr("Part #:"), 296, 26, 74);
    txtPartNumber =
        textBox(r, QStringLiteral("txtPartNumber"), tr("Add / Edit Part Number"), 376, 26, 156);
    caption(r, QStringLiteral("lblUnitCost"), tr("Unit cost:"), 296, 56, 74);
    txtUnitCost = textBox(r, QStringLiteral("txtUnitCost"), tr("Cost of Material"), 376, 56, 110);
    txtUnitCost->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption(r, QStringLiteral("lblMaterialsDescription"), tr("Description:"), 8, 116, 92);
    txtMaterialsDescription = textBox(r, QStringLiteral("txtMaterialsDescription"),
                                      tr("Add / Edit Description"), 106, 116, 426);

    cmdMaterialsAddNewRecord = button(r, QStringLiteral("cmdMaterialsAddNewRecord"), tr("&New"),
                                      tr("Add New Material Item"), 106, 154, 80);
    cmdMaterialsEditRecord = button(r, QStringLiteral("cmdMaterialsEditRecord"), tr("E&dit"),
                                    tr("Edit Material  Item"), 191, 154, 80);
    cmdDelete = button(r, QStringLiteral("cmdDelete"), tr("De&lete"), tr("Delete Material Item"),
                       276, 154, 80);
    cmdUndoChanges =
        button(r, QStringLiteral("cmdUndoChanges"), tr("&Undo"), tr("Undo Edit"), 361, 154, 80);
    cmdMaterialsSaveCurrentRecord = button(r, QStringLiteral("cmdMaterialsSaveCurrentRecord"),
                                           tr("&Save"), tr("Save Material Item"), 446, 154, 86);
    cmdMaterialsSaveCurrentRecord->setProperty("role", QStringLiteral("primary"));

    frMaterialsFilter =
        place<QGroupBox>(this, QStringLiteral("frMaterialsFilter"), 565, 26, 208, 196);
    frMaterialsFilter->setTitle(tr("Filter"));
    QWidget* f = frMaterialsFilter;
    auto filterLabel = [f](const char* name, const QString& text, double top) {
        auto* label = place<QLabel>(f, QString::fromLatin1(name), 14, top, 182, 18);
        label->setText(text);
    };
    filterLabel("lblManufacturerFilter", tr("Filter By Manufacturer"), 22);
    cbManufacturerFilter = combo(f, QStringLiteral("cbManufacturerFilter"),
                                 tr("Filter List By Manufacturer"), 14, 40, 180);
    filterLabel("lblSupplierFilter", tr("Filter By Supplier"), 68);
    cbSupplierFilter =
        combo(f, QStringLiteral("cbSupplierFilter"), tr("Filter List By Supplier"), 14, 86, 180);
    filterLabel("lblCategoryFilter", tr("Filter By Category"), 114);
    cbCategoryFilter =
        combo(f, QStringLiteral("cbCategoryFilter"), tr("Filter List By Category"), 14, 132, 180);
    // The filters are a little narrower than the record's combos.
    for (QComboBox* filter : {cbManufacturerFilter, cbSupplierFilter, cbCategoryFilter})
        Twips::setWidth(filter, 2650);
    cbMaterialsFilterViewAll = button(f, QStringLiteral("cbMaterialsFilterViewAll"),
                                      tr("View &All"), tr("View All"), 14, 162, 180);

    grdMaterialsList =
        place<QTableView>(this, QStringLiteral("grdMaterialsList"), 12, 230, 761, 292);
    grdMaterialsList->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMaterialsList->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMaterialsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMaterialsList->setAlternatingRowColors(true);
    grdMaterialsList->verticalHeader()->hide();
    grdMaterialsList->setWordWrap(false);
    grdMaterialsList->setToolTip(tr("Choose a material to show it in the record panel"));

    txtPartNumber->setMaxLength(50);
    for (QComboBox* filter : {cbManufacturerFilter, cbSupplierFilter, cbCategoryFilter})
        filter->lineEdit()->setPlaceholderText(tr("(all)"));
    // Fields in reading order, then the buttons, the filters and the list.
    const QList<QWidget*> order = {cbSupplier,
                                   cbManufacturer,
                                   cbCategory,
                                   txtPartNumber,
                                   txtUnitCost,
                                   txtMaterialsDescription,
                                   cmdMaterialsAddNewRecord,
                                   cmdMaterialsEditRecord,
                                   cmdDelete,
                                   cmdUndoChanges,
                                   cmdMaterialsSaveCurrentRecord,
                                   cbManufacturerFilter,
                                   cbSupplierFilter,
                                   cbCategoryFilter,
                                   cbMaterialsFilterViewAll,
                                   grdMaterialsList};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    bindList();
    connectRecordPanel();
}

void MaterialsFrame::reload() {
    gMaterialFilter.clear();
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
    SetupMaterialsControls();
    SetLockMaterialEdit(true);
}

bool MaterialsFrame::save() {
    // As the Save button does: nothing while a material is only being browsed.
    if (!canSave())
        return false;
    cmdMaterialsSaveCurrentRecord_Click();
    return m_editState == Browse;
}
