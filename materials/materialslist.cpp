// The catalogue list of the Materials screen: the query, its filters and the grid over it.
#include "materials/materialslist.h"
#include "data/database.h"
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
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

// The list's columns, as the query gives them.
enum Column {
    kMaterialsID = 0,
    kPartNumber = 4,
    kDescription = 8,
    kUnitCost = 9,
    kUpdatedLast = 10,
};
constexpr int kColumns = 11;
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

// What a click on a visible column's heading orders the list by. Names ignore case, amounts and
// dates are compared as the numbers and ISO dates they are stored as, not as the text the list
// shows. Only these fixed expressions ever reach the query's text.
const char* const kSortExpressions[kColumns] = {
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    "MaterialsTBL.PartNumber COLLATE NOCASE",
    "ManufacturersTBL.ManufacturerName COLLATE NOCASE",
    "CatagoryTBL.Catagory COLLATE NOCASE",
    "SuppliersTBL.Company COLLATE NOCASE",
    "MaterialsTBL.ManufacturerDescription COLLATE NOCASE",
    "MaterialsTBL.UnitCost",
    "MaterialsTBL.UpdatedLast",
};

bool isSortable(int column) {
    return column >= 0 && column < kColumns && kSortExpressions[column];
}

// Each search word must appear in the part number or the description, anywhere and in any case
// (SQLite's LIKE folds the case of ASCII letters). The word is bound, with its wildcards escaped.
const QString kSearchCondition =
    QStringLiteral("(MaterialsTBL.PartNumber LIKE ? ESCAPE '\\' OR "
                   "MaterialsTBL.ManufacturerDescription LIKE ? ESCAPE '\\')");
// As long as the longest description; it also bounds the values a search binds.
constexpr int kSearchMaxLength = 255;
constexpr int kSearchPauseMs = 250;

QString containsPattern(const QString& word) {
    return QLatin1Char('%') + escapeLikeWildcards(word) + QLatin1Char('%');
}

// A magnifying glass for the search box, drawn so it looks the same with any icon theme.
QIcon searchIcon(const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(QRectF(6, 6, 15, 15));
    painter.drawLine(QPointF(19.5, 19.5), QPointF(26, 26));
    return QIcon(pixmap);
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
    createSearch(screen);
    createGrid(screen);
    createCount(screen);
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
        QString MaterialFilterValues::*value;
    } filters[] = {
        {cbManufacturerFilter, m_manufacturerFilter, &MaterialFilterValues::manufacturer},
        {cbSupplierFilter, m_supplierFilter, &MaterialFilterValues::supplier},
        {cbCategoryFilter, m_categoryFilter, &MaterialFilterValues::category}};
    // A filter applies when a row is chosen from its list, or typed text is confirmed with Enter
    // or by leaving the box; not on every keystroke, which would query the catalogue each time.
    for (const auto& filter : filters) {
        connect(filter.combo, &QComboBox::activated, this,
                [this, filter] { filterChanged(filter.binding, filter.value); });
        connect(filter.combo->lineEdit(), &QLineEdit::editingFinished, this,
                [this, filter] { filterChanged(filter.binding, filter.value); });
    }
    connect(cbMaterialsFilterViewAll, &QPushButton::clicked, this,
            &MaterialsList::cbMaterialsFilterViewAll_Click);
}

void MaterialsList::createSearch(QWidget* screen) {
    txtMaterialsSearch = Controls::textBox(
        screen, QStringLiteral("txtMaterialsSearch"),
        tr("List the materials whose part number or description holds every word typed here"), 12,
        230, 300, 24);
    txtMaterialsSearch->setPlaceholderText(tr("Search part # or description"));
    txtMaterialsSearch->setClearButtonEnabled(true);
    txtMaterialsSearch->setMaxLength(kSearchMaxLength);
    txtMaterialsSearch->addAction(
        searchIcon(txtMaterialsSearch->palette().color(QPalette::PlaceholderText)),
        QLineEdit::LeadingPosition);
    // The list follows the typing once it pauses, so a word typed quickly queries the catalogue
    // once, not once a letter; Enter does not wait.
    m_searchPause = new QTimer(this);
    m_searchPause->setSingleShot(true);
    m_searchPause->setInterval(kSearchPauseMs);
    connect(txtMaterialsSearch, &QLineEdit::textChanged, m_searchPause,
            qOverload<>(&QTimer::start));
    connect(m_searchPause, &QTimer::timeout, this, &MaterialsList::applySearch);
    connect(txtMaterialsSearch, &QLineEdit::returnPressed, this, &MaterialsList::applySearch);
}

void MaterialsList::createCount(QWidget* screen) {
    lblMaterialsCount =
        Twips::place<QLabel>(screen, QStringLiteral("lblMaterialsCount"), 12, 504, 761, 18);
    lblMaterialsCount->setToolTip(tr("Materials listed, of the whole catalogue"));
    showCount();
}

void MaterialsList::createGrid(QWidget* screen) {
    grdMaterialsList =
        Twips::place<QTableView>(screen, QStringLiteral("grdMaterialsList"), 12, 258, 761, 242);
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
    // However the list's model is rebuilt, the keys stay hidden and the columns keep their
    // shares: an empty list looks like a full one, and so does the first material added to it.
    connect(m_listModel, &QAbstractItemModel::modelReset, this, &MaterialsList::formatListColumns);
    connect(m_listModel, &QAbstractItemModel::modelReset, this, &MaterialsList::showCount);
    connect(m_listModel, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (m_catalogueCount >= 0)
                    m_catalogueCount += last - first + 1;
                showCount();
            });
    connect(m_listModel, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (m_catalogueCount >= 0)
                    m_catalogueCount = std::max<qint64>(0, m_catalogueCount - (last - first + 1));
                showCount();
            });
    // A click on a heading orders the list by that column, a second one reverses the order.
    QHeaderView* header = grdMaterialsList->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setToolTip(tr("Click a heading to sort the list by it; click again to reverse"));
    connect(header, &QHeaderView::sectionClicked, this, &MaterialsList::headingClicked);
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
        values->append(materialFilterValue(value));
    }
    for (const QString& word : searchWords()) {
        conditions << kSearchCondition;
        const QString pattern = containsPattern(word);
        values->append(pattern);
        values->append(pattern);
    }
    QString sql = kSelect + kFrom;
    if (!conditions.isEmpty())
        sql +=
            QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")) + QLatin1Char(' ');
    if (!isSortable(m_sortColumn))
        return sql + kOrder;
    // Rows that tie keep the order of entry, reversed with the rest.
    const QString direction =
        m_sortOrder == Qt::DescendingOrder ? QStringLiteral(" DESC") : QString();
    return sql + QStringLiteral("ORDER BY ") + QLatin1String(kSortExpressions[m_sortColumn]) +
           direction + QStringLiteral(", MaterialsTBL.MaterialsID") + direction +
           QStringLiteral(" ;");
}

QStringList MaterialsList::searchWords() const {
    return txtMaterialsSearch->text().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

RecordSet* MaterialsList::CreateMaterialsRecordset() {
    QVariantList values;
    const QString sql = materialsQuery(&values);
    dcMaterials->setConnectionString(gConnectionString);
    // Every filter and every search word binds a value: without any, this is the whole
    // catalogue, and its rows are room made for at once.
    const bool filtered = !values.isEmpty();
    dcMaterials->setExpectedRows(filtered ? 0 : int(expectedCatalogueRows()));
    dcMaterials->setRecordSource(sql, values);
    m_appliedSearch = searchWords();
    m_applied = {m_manufacturerFilter->boundText(), m_supplierFilter->boundText(),
                 m_categoryFilter->boundText()};
    if (!dcMaterials->refresh())
        ShowDatabaseError(dcMaterials->connection(), dcMaterials->lastError(),
                          QStringLiteral("frmMain / CreateMaterialsRecordset"));
    listLoaded(filtered);
    return dcMaterials->recordSet();
}

qint64 MaterialsList::expectedCatalogueRows() const {
    if (m_countedConnection == gConnectionString && m_catalogueCount >= 0)
        return m_catalogueCount;
    // Not known yet: the materials are counted, which their key's index answers at once; a few
    // without their supplier would only make the room a little large.
    if (!gConnection || !gConnection->isOpen())
        return 0;
    Statement count(gConnection->database(), QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL"));
    return count.next() ? count.integer(0) : 0;
}

void MaterialsList::listLoaded(bool filtered) {
    if (m_countedConnection != gConnectionString) {
        m_countedConnection = gConnectionString;
        m_catalogueCount = -1;
    }
    RecordSet* records = dcMaterials->recordSet();
    if (!filtered && records && records->isOpen()) {
        m_catalogueCount = records->recordCount();
        return;
    }
    if (m_catalogueCount >= 0 || !dcMaterials->connection())
        return;
    // Loaded filtered before ever unfiltered: the catalogue is counted once.
    Statement count(dcMaterials->connection()->database(),
                    QStringLiteral("SELECT COUNT(*) ") + kFrom);
    if (count.next())
        m_catalogueCount = count.integer(0);
}

QString MaterialsList::countText() const {
    const QLocale locale = displayLocale();
    const QString shown = locale.toString(m_listModel->recordCount());
    if (m_catalogueCount < 0)
        return tr("%1 materials").arg(shown);
    return tr("%1 of %2 %3")
        .arg(shown, locale.toString(m_catalogueCount),
             m_catalogueCount == 1 ? tr("material") : tr("materials"));
}

void MaterialsList::showCount() {
    lblMaterialsCount->setText(countText());
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
    // An empty result still backs the grid, so a material added to it shows up; it is laid out
    // as a full one, with its keys hidden.
    m_listModel->setRecordSet(records);
    DoGridFormat(grdMaterialsList, records, kHiddenColumns, false);
    if (!records->isBOF() || !records->isEOF())
        SelectGridRowByValue(grdMaterialsList, nullptr, GetFieldValue(*records, kMaterialsID));
    fitListColumns();
}

void MaterialsList::formatListColumns() {
    const int columns = std::min(kHiddenColumns, m_listModel->columnCount());
    for (int column = 0; column < columns; ++column)
        grdMaterialsList->setColumnHidden(column, true);
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

void MaterialsList::filterChanged(ComboBinding* filter, QString MaterialFilterValues::*which) {
    if (m_clearingFilters)
        return;
    // Compared with what this list was loaded with, not with the shared value: the picker may
    // have changed that one meanwhile, and the list must still follow this filter.
    const QString value = filter->boundText();
    if (value == m_applied.*which)
        return;
    gMaterialFilter.*which = value;
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
}

void MaterialsList::cbMaterialsFilterViewAll_Click() {
    // One reload, with the remembered filter values emptied along with the boxes, and no search.
    ClearFilterCombo();
    clearSearch();
    gMaterialFilter.clear();
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
        showProcedureError(e, QStringLiteral("grdMaterialsList_RowColChange"));
        showCurrentInList();
    }
}

void MaterialsList::applySearch() {
    m_searchPause->stop();
    // While a material is being edited the search waits; it applies once the filters are back.
    if (!m_filtersEnabled || searchWords() == m_appliedSearch)
        return;
    SetupMaterialsDataControl();
    SetupMaterialsListGrid();
}

void MaterialsList::clearSearch() {
    txtMaterialsSearch->clear();
    m_searchPause->stop();
}

void MaterialsList::headingClicked(int column) {
    const Qt::SortOrder order = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    // The heading shows the order the list really has, whatever the click did to it.
    if (!sortByColumn(column, order))
        showSortIndicator();
}

bool MaterialsList::sortByColumn(int column, Qt::SortOrder order) {
    if (!m_filtersEnabled || (column != -1 && !isSortable(column)))
        return false;
    RecordSet* records = dcMaterials->recordSet();
    const QVariant current =
        records && records->isOpen() && records->editMode() == RecordSet::EditNone
            ? records->value(kMaterialsID)
            : QVariant();
    m_sortColumn = column;
    m_sortOrder = order;
    // Shown first, so the columns' widths leave room for it.
    showSortIndicator();
    SetupMaterialsDataControl();
    // The material that was current stays current, in its new place.
    records = dcMaterials->recordSet();
    if (records && records->isOpen() && !current.isNull() && current.isValid()) {
        const auto copy = records->clone();
        copy->moveFirst();
        if (copy->find(QStringLiteral("MaterialsID=") + QString::number(current.toLongLong())) &&
            !copy->isEOF())
            records->setBookmark(copy->bookmark());
    }
    SetupMaterialsListGrid();
    return true;
}

void MaterialsList::showSortIndicator() {
    QHeaderView* header = grdMaterialsList->horizontalHeader();
    header->setSortIndicatorShown(isSortable(m_sortColumn));
    header->setSortIndicator(m_sortColumn, m_sortOrder);
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
    m_filtersEnabled = enabled;
    frMaterialsFilter->setEnabled(enabled);
    txtMaterialsSearch->setEnabled(enabled);
    grdMaterialsList->horizontalHeader()->setSectionsClickable(enabled);
    // Words typed just before the edit began are applied once it is over.
    if (!enabled)
        m_searchPause->stop();
    else if (searchWords() != m_appliedSearch)
        m_searchPause->start();
}

void MaterialsList::setRecordGuard(std::function<bool()> mayLeaveRecord) {
    m_mayLeaveRecord = std::move(mayLeaveRecord);
}

LayoutRows MaterialsList::layoutRows() const {
    return {{frMaterialsFilter, 1, 0, 0, 0},
            {grdMaterialsList, 0, 0, 1, 1},
            {lblMaterialsCount, 0, 1, 1, 1}};
}

QList<QWidget*> MaterialsList::tabOrder() const {
    return {cbManufacturerFilter,     cbSupplierFilter,   cbCategoryFilter,
            cbMaterialsFilterViewAll, txtMaterialsSearch, grdMaterialsList};
}

bool MaterialsList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == grdMaterialsList->viewport())
        fitListColumns();
    return QObject::eventFilter(watched, event);
}
