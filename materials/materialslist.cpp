// The catalogue list of the Materials screen: the query, its filters and the grid over it.
#include "widgets/bindings.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"
#include "materials/materialfilter.h"
#include "materials/materialsframe.h"
#include "settings/gridformat.h"

#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

// The list's columns, as the query gives them.
enum Column {
    kMaterialsID = 0,
    kPartNumber = 4,
    kDescription = 8,
    kUnitCost = 9,
    kUpdatedLast = 10,
};
constexpr int kHiddenColumns = 4;
const QList<double> kColumnFractions = {0.13, 0.13, 0.13, 0.13, 0.28, 0.08, 0.12};
constexpr int kStaleAfterDays = 90;

// Suppliers are inner-joined (a material without its supplier row is not listed); manufacturers
// and categories are outer-joined, so a material without one is listed with an empty name.
const QString kSelect = QStringLiteral(
    "SELECT MaterialsTBL.MaterialsID, MaterialsTBL.ManufacturerID, MaterialsTBL.SuppliersID, "
    "MaterialsTBL.CatagoryID, MaterialsTBL.PartNumber AS [Part #], "
    "ManufacturersTBL.ManufacturerName AS Manufacturer, CatagoryTBL.Catagory AS Category, "
    "SuppliersTBL.Company AS Supplier, MaterialsTBL.ManufacturerDescription AS Description, "
    "MaterialsTBL.UnitCost AS [Unit Cost], MaterialsTBL.UpdatedLast AS [Updated Last] ");
const QString kFrom = QStringLiteral(
    "FROM MaterialsTBL INNER JOIN SuppliersTBL ON SuppliersTBL.SuppliersID = "
    "MaterialsTBL.SuppliersID LEFT JOIN ManufacturersTBL ON ManufacturersTBL.ManufacturerID = "
    "MaterialsTBL.ManufacturerID LEFT JOIN CatagoryTBL ON CatagoryTBL.CatagoryID = "
    "MaterialsTBL.CatagoryID ");
const QString kOrder = QStringLiteral("ORDER BY MaterialsTBL.MaterialsID ;");

// A key chosen from a list is bound as a number; text typed into a filter that matches no entry
// is bound as it stands and so matches no material.
QVariant filterValue(const QString& text) {
    bool whole = false;
    const qint64 key = text.toLongLong(&whole);
    return whole ? QVariant(key) : QVariant(text);
}

bool isStale(const QVariant& updatedLast) {
    const QDateTime when = updatedLast.toDateTime();
    return when.isValid() && when.date().daysTo(QDate::currentDate()) > kStaleAfterDays;
}

} // namespace

void MaterialsFrame::bindList() {
    m_listModel = new RecordSetModel(this);
    m_listModel->setFormat(kUnitCost, DisplayFormat::Money);
    m_listModel->setFormat(kUpdatedLast, DisplayFormat::MediumDate);
    m_listModel->setAlignment(kPartNumber, Qt::AlignCenter);
    m_listModel->setAlignment(kUnitCost, Qt::AlignRight | Qt::AlignVCenter);
    m_listModel->setAlignment(kUpdatedLast, Qt::AlignCenter);
    m_listModel->setHeaderAlignment(Qt::AlignCenter);
    // A price older than ninety whole days is shown in red; the colour follows every save.
    m_listModel->setCellColour([this](int row, int column) {
        if (column == kUpdatedLast && isStale(m_listModel->value(row, column)))
            return QColor(Qt::red);
        return QColor();
    });
    grdMaterialsList->setModel(m_listModel);
    // The columns keep their shares of the list's width whenever it changes, including when a
    // scroll bar comes or goes.
    grdMaterialsList->viewport()->installEventFilter(this);
    connect(grdMaterialsList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MaterialsFrame::grdMaterialsList_RowColChange);

    const struct {
        QComboBox* combo;
        QString* lastApplied;
    } filters[] = {{cbManufacturerFilter, &gMaterialFilter.manufacturer},
                   {cbSupplierFilter, &gMaterialFilter.supplier},
                   {cbCategoryFilter, &gMaterialFilter.category}};
    // A filter applies when a row is chosen from its list, or typed text is confirmed with Enter
    // or by leaving the box; not on every keystroke, which would query the catalogue each time.
    for (const auto& f : filters) {
        connect(f.combo, &QComboBox::activated, this,
                [this, f] { filterChanged(f.combo, f.lastApplied); });
        connect(f.combo->lineEdit(), &QLineEdit::editingFinished, this,
                [this, f] { filterChanged(f.combo, f.lastApplied); });
    }
    connect(cbMaterialsFilterViewAll, &QPushButton::clicked, this,
            &MaterialsFrame::cbMaterialsFilterViewAll_Click);
}

QString MaterialsFrame::materialsQuery(QVariantList* values) const {
    const struct {
        ComboBinding* binding;
        const char* condition;
    } filters[] = {{m_manufacturerFilter, "MaterialsTBL.ManufacturerID = ?"},
                   {m_supplierFilter, "MaterialsTBL.SuppliersID = ?"},
                   {m_categoryFilter, "MaterialsTBL.CatagoryID = ?"}};
    QStringList conditions;
    for (const auto& f : filters) {
        const QString value = f.binding ? f.binding->boundText() : QString();
        if (value.isEmpty())
            continue;
        conditions << QString::fromLatin1(f.condition);
        values->append(filterValue(value));
    }
    QString sql = kSelect + kFrom;
    if (!conditions.isEmpty())
        sql +=
            QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")) + QLatin1Char(' ');
    return sql + kOrder;
}

RecordSet* MaterialsFrame::CreateMaterialsRecordset() {
    QVariantList values;
    const QString sql = materialsQuery(&values);
    dcMaterials->setConnectionString(gConnectionString);
    dcMaterials->setRecordSource(sql, values);
    if (!dcMaterials->refresh())
        ShowDatabaseError(dcMaterials->connection(), dcMaterials->lastError(),
                          QStringLiteral("frmMain / CreateMaterialsRecordset"));
    return dcMaterials->recordSet();
}

void MaterialsFrame::SetupMaterialsDataControl() {
    RecordSet* records = CreateMaterialsRecordset();
    m_hasRecords = records && records->recordCount() > 0;
    setButtons(m_editState);
}

void MaterialsFrame::SetupMaterialsListGrid() {
    // The grid shows the record set the data control holds; it copies nothing, so there is
    // nothing to clear first.
    RecordSet* records = dcMaterials->recordSet();
    if (!records || !records->isOpen()) {
        m_listModel->setRecordSet(nullptr);
        return;
    }
    // An empty result still backs the grid, so a material added to it shows up.
    m_listModel->setRecordSet(records);
    if (records->isBOF() && records->isEOF())
        return;
    DoGridFormat(grdMaterialsList, records, kHiddenColumns, false);
    SelectGridRowByValue(grdMaterialsList, nullptr, GetFieldValue(*records, kMaterialsID));
    fitListColumns();
}

int MaterialsFrame::FindMaterialsGridRow(const QVariant& id) const {
    RecordSet* shown = m_listModel->recordSet();
    bool whole = false;
    const qint64 key = id.toString().toLongLong(&whole);
    if (!shown || !shown->isOpen() || !whole)
        return 0;
    const auto copy = shown->clone();
    if (copy->isBOF() && copy->isEOF())
        return 0;
    copy->moveFirst();
    if (!copy->find(QStringLiteral("MaterialsID=") + QString::number(key)) || copy->isEOF())
        return 0;
    return m_listModel->rowOfBookmark(copy->bookmark()) + 1;
}

void MaterialsFrame::ClearFilterCombo(QComboBox* cbCurrent) {
    if (m_clearingFilters)
        return;
    m_clearingFilters = true;
    for (auto [combo, binding] : {std::pair{cbManufacturerFilter, m_manufacturerFilter},
                                  std::pair{cbSupplierFilter, m_supplierFilter},
                                  std::pair{cbCategoryFilter, m_categoryFilter}})
        if (binding && (!cbCurrent || cbCurrent == combo))
            binding->setBoundText(QString());
    m_clearingFilters = false;
}

void MaterialsFrame::filterChanged(QComboBox* filter, QString* lastApplied) {
    ComboBinding* binding = bindingOf(filter);
    if (m_clearingFilters || !binding)
        return;
    const QString value = binding->boundText();
    if (value == *lastApplied)
        return;
    *lastApplied = value;
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
}

void MaterialsFrame::cbMaterialsFilterViewAll_Click() {
    // One reload, with the remembered filter values emptied along with the boxes.
    ClearFilterCombo();
    gMaterialFilter.manufacturer.clear();
    gMaterialFilter.supplier.clear();
    gMaterialFilter.category.clear();
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
}

void MaterialsFrame::grdMaterialsList_RowColChange() {
    RecordSet* records = dcMaterials->recordSet();
    const QModelIndex current = grdMaterialsList->currentIndex();
    if (!records || !records->isOpen() || !current.isValid())
        return;
    const QVariant id = m_listModel->value(current.row(), kMaterialsID);
    if (records->editMode() != RecordSet::EditAdd &&
        id.toString() == GetFieldValue(*records, kMaterialsID).toString())
        return;
    const qint64 key = id.toLongLong();
    if (key <= 0)
        return;
    // Leaving a record being edited saves it, so it must be complete first.
    if (m_editState != Browse && (m_checkFailed || !checkAllFields())) {
        showCurrentInList();
        return;
    }
    const auto copy = records->clone();
    copy->moveFirst();
    if (!copy->find(QStringLiteral("MaterialsID=") + QString::number(key)) || copy->isEOF())
        return;
    if (!records->setBookmark(copy->bookmark())) {
        const DbError& e = records->lastError();
        showMessage(QString::number(e.number) + QStringLiteral(" - ") + e.description,
                    QMessageBox::Ok, QMessageBox::NoIcon,
                    QStringLiteral("grdMaterialsList_RowColChange"));
        showCurrentInList();
        return;
    }
    updateDeleteButton();
}

void MaterialsFrame::fitListColumns() {
    setColumnFractions(grdMaterialsList, kHiddenColumns, kColumnFractions);
    // On a narrow window a cut-off price or date would mislead: those two columns keep room for
    // their text, and the description gives up what they need.
    const QFontMetrics metrics = grdMaterialsList->fontMetrics();
    const int padding = 2 * metrics.averageCharWidth();
    const struct {
        int column;
        int needed;
    } minimums[] = {
        {kUnitCost, metrics.horizontalAdvance(QStringLiteral("$00,000.00")) + padding},
        {kUpdatedLast, grdMaterialsList->horizontalHeader()->sectionSizeHint(kUpdatedLast)},
    };
    for (const auto& m : minimums) {
        const int missing = m.needed - grdMaterialsList->columnWidth(m.column);
        if (missing <= 0)
            continue;
        grdMaterialsList->setColumnWidth(m.column, m.needed);
        grdMaterialsList->setColumnWidth(
            kDescription, std::max(0, grdMaterialsList->columnWidth(kDescription) - missing));
    }
}

void MaterialsFrame::showCurrentInList() {
    RecordSet* records = dcMaterials->recordSet();
    const int row = records ? FindMaterialsGridRow(GetFieldValue(*records, kMaterialsID)) : 0;
    if (row > 0)
        SelectGridRowByRowNum(grdMaterialsList, nullptr, row);
    else
        grdMaterialsList->selectionModel()->clearCurrentIndex();
}
