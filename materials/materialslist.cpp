// The catalogue list of the Materials screen: the query, its filters and the grid over it.
#include "materials/materialslist.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "widgets/bindings.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"

#include "materials/materialfilter.h"
#include "settings/gridformat.h"
#include "widgets/screencontrols.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
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
// The filters are a little narrower than the record panel's combos.
constexpr double kFilterWidth = 2650;

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

MaterialsList::MaterialsList(QWidget* screen, DataControl* materials,
                             const MaterialLookups& lookups)
    : QObject(screen), dcMaterials(materials), m_listModel(new RecordSetModel(this)) {
    setObjectName(QStringLiteral("materialsList"));
    createFilters(screen, lookups);
    createGrid(screen);
}

void MaterialsList::createFilters(QWidget* screen, const MaterialLookups& lookups) {
    using namespace Controls;
    using Twips::place;
    frMaterialsFilter =
        place<QGroupBox>(screen, QStringLiteral("frMaterialsFilter"), 565, 26, 208, 196);
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
    for (QComboBox* filter : {cbManufacturerFilter, cbSupplierFilter, cbCategoryFilter}) {
        Twips::setWidth(filter, kFilterWidth);
        filter->lineEdit()->setPlaceholderText(tr("(all)"));
    }
    cbMaterialsFilterViewAll = button(f, QStringLiteral("cbMaterialsFilterViewAll"),
                                      tr("View &All"), tr("View All"), 14, 162, 180);
    auto bindFilter = [](QComboBox* filter, const MaterialLookup& lookup) {
        return new ComboBinding(filter, lookup.rowSource, lookup.listField, lookup.key);
    };
    m_manufacturerFilter = bindFilter(cbManufacturerFilter, lookups.manufacturer);
    m_supplierFilter = bindFilter(cbSupplierFilter, lookups.supplier);
    m_categoryFilter = bindFilter(cbCategoryFilter, lookups.category);

    const struct {
        QComboBox* combo;
        ComboBinding* binding;
        QString* lastApplied;
    } filters[] = {{cbManufacturerFilter, m_manufacturerFilter, &gMaterialFilter.manufacturer},
                   {cbSupplierFilter, m_supplierFilter, &gMaterialFilter.supplier},
                   {cbCategoryFilter, m_categoryFilter, &gMaterialFilter.category}};
    // A filter applies when a row is chosen from its list, or typed text is confirmed with Enter
    // or by leaving the box; not on every keystroke, which would query the catalogue each time.
    for (const auto& filter : filters) {
        connect(filter.combo, &QComboBox::activated, this,
                [this, filter] { filterChanged(filter.binding, filter.lastApplied); });
        connect(filter.combo->lineEdit(), &QLineEdit::editingFinished, this,
                [this, filter] { filterChanged(filter.binding, filter.lastApplied); });
    }
    connect(cbMaterialsFilterViewAll, &QPushButton::clicked, this,
            &MaterialsList::cbMaterialsFilterViewAll_Click);
}

void MaterialsList::createGrid(QWidget* screen) {
    grdMaterialsList =
        Twips::place<QTableView>(screen, QStringLiteral("grdMaterialsList"), 12, 230, 761, 292);
    grdMaterialsList->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMaterialsList->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMaterialsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMaterialsList->setAlternatingRowColors(true);
    grdMaterialsList->verticalHeader()->hide();
    grdMaterialsList->setWordWrap(false);
    grdMaterialsList->setToolTip(tr("Choose a material to show it in the record panel"));

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
            &MaterialsList::grdMaterialsList_RowColChange);
}

QString MaterialsList::materialsQuery(QVariantList* values) const {
    const struct {
        ComboBinding* binding;
        const char* condition;
    } filters[] = {{m_manufacturerFilter, "MaterialsTBL.ManufacturerID = ?"},
                   {m_supplierFilter, "MaterialsTBL.SuppliersID = ?"},
                   {m_categoryFilter, "MaterialsTBL.CatagoryID = ?"}};
    QStringList conditions;
    for (const auto& f : filters) {
        const QString value = f.binding->boundText();
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

RecordSet* MaterialsList::CreateMaterialsRecordset() {
    QVariantList values;
    const QString sql = materialsQuery(&values);
    dcMaterials->setConnectionString(gConnectionString);
    dcMaterials->setRecordSource(sql, values);
    if (!dcMaterials->refresh())
        ShowDatabaseError(dcMaterials->connection(), dcMaterials->lastError(),
                          QStringLiteral("frmMain / CreateMaterialsRecordset"));
    return dcMaterials->recordSet();
}

void MaterialsList::SetupMaterialsDataControl() {
    RecordSet* records = CreateMaterialsRecordset();
    emit recordsLoaded(records && records->recordCount() > 0);
}

void MaterialsList::SetupMaterialsListGrid() {
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

int MaterialsList::FindMaterialsGridRow(const QVariant& id) const {
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

void MaterialsList::ClearFilterCombo(QComboBox* cbCurrent) {
    if (m_clearingFilters)
        return;
    m_clearingFilters = true;
    for (auto [combo, binding] : {std::pair{cbManufacturerFilter, m_manufacturerFilter},
                                  std::pair{cbSupplierFilter, m_supplierFilter},
                                  std::pair{cbCategoryFilter, m_categoryFilter}})
        if (!cbCurrent || cbCurrent == combo)
            binding->setBoundText(QString());
    m_clearingFilters = false;
}

void MaterialsList::filterChanged(ComboBinding* filter, QString* lastApplied) {
    if (m_clearingFilters)
        return;
    const QString value = filter->boundText();
    if (value == *lastApplied)
        return;
    *lastApplied = value;
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
}

void MaterialsList::cbMaterialsFilterViewAll_Click() {
    // One reload, with the remembered filter values emptied along with the boxes.
    ClearFilterCombo();
    gMaterialFilter.manufacturer.clear();
    gMaterialFilter.supplier.clear();
    gMaterialFilter.category.clear();
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
}

void MaterialsList::grdMaterialsList_RowColChange() {
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
    if (!m_mayLeaveRecord()) {
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
    }
}

void MaterialsList::fitListColumns() {
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

void MaterialsList::showCurrentInList() {
    RecordSet* records = dcMaterials->recordSet();
    const int row = records ? FindMaterialsGridRow(GetFieldValue(*records, kMaterialsID)) : 0;
    if (row > 0)
        SelectGridRowByRowNum(grdMaterialsList, nullptr, row);
    else
        grdMaterialsList->selectionModel()->clearCurrentIndex();
}

void MaterialsList::setFiltersEnabled(bool enabled) {
    frMaterialsFilter->setEnabled(enabled);
}

void MaterialsList::setRecordGuard(std::function<bool()> mayLeaveRecord) {
    m_mayLeaveRecord = std::move(mayLeaveRecord);
}

QList<QWidget*> MaterialsList::tabOrder() const {
    return {cbManufacturerFilter, cbSupplierFilter, cbCategoryFilter, cbMaterialsFilterViewAll,
            grdMaterialsList};
}

bool MaterialsList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == grdMaterialsList->viewport())
        fitListColumns();
    return QObject::eventFilter(watched, event);
}
