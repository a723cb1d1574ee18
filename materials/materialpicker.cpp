// The material picker: its controls, its query and the hand-over of a chosen material.
#include "materials/materialpicker.h"

#include "data/database.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "materials/materialpickergrid.h"
#include "materials/pickerplacement.h"
#include "settings/gridformat.h"
#include "settings/registry.h"
#include "widgets/bindings.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace {

// The list's columns, as the query gives them.
enum Column { kMaterialsID = 0, kPartNumber = 1, kDescription = 2, kUnitCost = 3 };
const QList<double> kColumnFractions = {0.2, 0.58, 0.14};

const QString kSelect = QStringLiteral(
    "SELECT MaterialsID, PartNumber, ManufacturerDescription, UnitCost FROM MaterialsTBL WHERE ");
// Descriptions in the order a reader expects, whatever their case; the key keeps equal ones
// in a stable order. The type-ahead's binary search relies on exactly this order.
const QString kOrder =
    QStringLiteral(" ORDER BY ManufacturerDescription COLLATE NOCASE, MaterialsID");
// Walks the part-number index from the typed prefix; LIKE on a NOCASE index is a range search.
const QString kFirstPartNumber = QStringLiteral(
    "SELECT MaterialsID, ManufacturerDescription FROM MaterialsTBL WHERE PartNumber LIKE ? "
    "ESCAPE '\\' AND %1 ORDER BY PartNumber COLLATE NOCASE LIMIT 1");

// The picker's filters are as wide as the Materials screen's.
constexpr double kFilterFrameWidth = 208;

// Where the window was last left, kept between sessions under the program's own key, which
// exists from the first start: reading a key that does not exist yet would create it, and
// writing the settings file then would hold up the window's showing.
const QString kPlaceKey = QStringLiteral("Dorvane\\PX");
const QString kPlaceValue = QStringLiteral("MaterialPickerPlace");

} // namespace

frmMaterials::frmMaterials(QWidget* owner)
    : QDialog(owner), dcMaterials(new DataControl(this)), m_list(new RecordSetModel(this)) {
    setObjectName(QStringLiteral("frmMaterials"));
    setWindowTitle(tr("Select a Material"));
    setModal(true);
    dcMaterials->setObjectName(QStringLiteral("dcPickerMaterials"));
    dcMaterials->setReadOnly(true);
    createFilters();
    createGrid();
    createButtons();
    layOut();
    resize(Twips::toPixelsX(this, Twips::px(785)), Twips::toPixelsY(this, Twips::px(534)));

    const QList<QWidget*> order = {
        cbManufacturerFilter, cbSupplierFilter, cbCategoryFilter, cbMaterialsFilterViewAll,
        grdMaterialsList,     btnSelect,        btnCancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

frmMaterials::~frmMaterials() = default;

void frmMaterials::createFilters() {
    frMaterialsFilter = new QGroupBox(tr("Filter By"), this);
    frMaterialsFilter->setObjectName(QStringLiteral("frMaterialsFilter"));
    frMaterialsFilter->setToolTip(tr("Material List Filter"));
    auto* column = new QVBoxLayout(frMaterialsFilter);
    auto addFilter = [this, column](const char* labelName, const QString& caption,
                                    const char* comboName, const QString& toolTip, QLabel** label) {
        *label = new QLabel(caption, frMaterialsFilter);
        (*label)->setObjectName(QString::fromLatin1(labelName));
        QComboBox* combo =
            Controls::combo(frMaterialsFilter, QString::fromLatin1(comboName), toolTip, 0, 0, 180);
        combo->lineEdit()->setPlaceholderText(tr("(all)"));
        (*label)->setBuddy(combo);
        (*label)->setToolTip(toolTip);
        column->addWidget(*label);
        column->addWidget(combo);
        column->addSpacing(Twips::toPixelsY(this, Twips::px(6)));
        return combo;
    };
    cbManufacturerFilter =
        addFilter("lblManufacturerFilter", tr("Filter By &Manufacturer"), "cbManufacturerFilter",
                  tr("Sort List By Manufacturer"), &lblManufacturerFilter);
    cbSupplierFilter = addFilter("lblSupplierFilter", tr("Filter By &Supplier"), "cbSupplierFilter",
                                 tr("Sort List by Supplier"), &lblSupplierFilter);
    cbCategoryFilter = addFilter("lblCategoryFilter", tr("Filter By &Category"), "cbCategoryFilter",
                                 tr("Sort List By Category"), &lblCategoryFilter);
    cbMaterialsFilterViewAll =
        Controls::button(frMaterialsFilter, QStringLiteral("cbMaterialsFilterViewAll"),
                         tr("View &All"), tr("View All"), 0, 0, 180);
    cbMaterialsFilterViewAll->setAutoDefault(true);
    column->addWidget(cbMaterialsFilterViewAll);
    column->addStretch(1);

    auto makeFilter = [this](QComboBox* combo, const QString& listField, const QString& key,
                             const char* materialColumn, QString MaterialFilterValues::*shared) {
        auto* rowSource = new DataControl(this);
        rowSource->setReadOnly(true);
        return Filter{combo, new ComboBinding(combo, rowSource, listField, key), rowSource,
                      materialColumn, shared};
    };
    // In the order their conditions stand in the query.
    m_filters = {
        makeFilter(cbManufacturerFilter, QStringLiteral("ManufacturerName"),
                   QStringLiteral("ManufacturerID"), "ManufacturerID",
                   &MaterialFilterValues::manufacturer),
        makeFilter(cbSupplierFilter, QStringLiteral("Company"), QStringLiteral("SuppliersID"),
                   "SuppliersID", &MaterialFilterValues::supplier),
        makeFilter(cbCategoryFilter, QStringLiteral("Catagory"), QStringLiteral("CatagoryID"),
                   "CatagoryID", &MaterialFilterValues::category)};
    // A filter applies when a row is chosen from its list, or typed text is confirmed with Enter
    // or by leaving the box; not on every keystroke.
    for (const Filter& filter : std::as_const(m_filters)) {
        connect(filter.combo, &QComboBox::activated, this,
                [this, filter] { filterChanged(filter); });
        connect(filter.combo->lineEdit(), &QLineEdit::editingFinished, this,
                [this, filter] { filterChanged(filter); });
    }
    connect(cbMaterialsFilterViewAll, &QPushButton::clicked, this,
            &frmMaterials::cbMaterialsFilterViewAll_Click);
    // Before the combo or its box handles the event, so the list is there to open or complete.
    for (const Filter& filter : std::as_const(m_filters)) {
        filter.combo->installEventFilter(this);
        filter.combo->lineEdit()->installEventFilter(this);
    }
}

void frmMaterials::createGrid() {
    m_grid = new MaterialPickerGrid(this);
    grdMaterialsList = m_grid;
    grdMaterialsList->setObjectName(QStringLiteral("grdMaterialsList"));
    grdMaterialsList->setToolTip(
        tr("Double-click a material, or press Enter, to add it; type to jump to a description, "
           "or to a part number from the Part Number column"));
    grdMaterialsList->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMaterialsList->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMaterialsList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMaterialsList->setAlternatingRowColors(true);
    grdMaterialsList->setWordWrap(false);
    // Tab leaves the list for the buttons, as the window's tab order says.
    grdMaterialsList->setTabKeyNavigation(false);
    grdMaterialsList->verticalHeader()->hide();
    grdMaterialsList->horizontalHeader()->setHighlightSections(false);

    m_list->setCaption(kMaterialsID, QStringLiteral("MaterialsID"));
    m_list->setCaption(kPartNumber, tr("Part Number"));
    m_list->setCaption(kDescription, tr("Description"));
    m_list->setCaption(kUnitCost, tr("Unit Cost"));
    m_list->setFormat(kUnitCost, DisplayFormat::Money);
    m_list->setAlignment(kUnitCost, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setHeaderAlignment(Qt::AlignCenter);
    grdMaterialsList->setModel(m_list);
    // However the model is rebuilt, the key stays hidden and the columns keep their shares.
    connect(m_list, &QAbstractItemModel::modelReset, this, [this] {
        if (m_list->columnCount() > kMaterialsID)
            grdMaterialsList->setColumnHidden(kMaterialsID, true);
        fitColumns();
    });
    grdMaterialsList->viewport()->installEventFilter(this);
    connect(grdMaterialsList, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    handOver();
            });
    m_grid->setSearch(
        [this](const QString& prefix, int column) { return findTyped(prefix, column); });
}

void frmMaterials::createButtons() {
    btnSelect = Controls::button(this, QStringLiteral("btnSelect"), tr("Select"),
                                 tr("Add the highlighted material; the window stays open for more"),
                                 0, 0, 96);
    btnSelect->setDefault(true);
    btnSelect->setProperty("role", QStringLiteral("primary"));
    btnSelect->setEnabled(false);
    btnCancel = Controls::button(this, QStringLiteral("btnCancel"), tr("Cancel"),
                                 tr("Close the window"), 0, 0, 96);
    btnCancel->setAutoDefault(true);
    lblAdded = new QLabel(this);
    lblAdded->setObjectName(QStringLiteral("lblAdded"));
    lblAdded->setProperty("role", QStringLiteral("status"));
    lblAdded->setToolTip(tr("What this visit has added to the estimate"));
    lblAdded->setTextFormat(Qt::PlainText);
    connect(btnSelect, &QPushButton::clicked, this, &frmMaterials::handOver);
    connect(btnCancel, &QPushButton::clicked, this, &frmMaterials::reject);
}

void frmMaterials::layOut() {
    // The list takes what the window gains; the filters and the buttons keep to the right edge,
    // the filters taking the height the buttons leave.
    frMaterialsFilter->setFixedWidth(Twips::toPixelsX(this, Twips::px(kFilterFrameWidth)));
    auto* side = new QVBoxLayout;
    side->addWidget(frMaterialsFilter, 1);
    side->addWidget(btnSelect);
    side->addWidget(btnCancel);
    auto* list = new QVBoxLayout;
    list->addWidget(grdMaterialsList, 1);
    list->addWidget(lblAdded);
    auto* window = new QHBoxLayout(this);
    window->addLayout(list, 1);
    window->addLayout(side);
}

void frmMaterials::setupFilterCombo(const Filter& filter, const QString& sql,
                                    const QString& title) {
    filter.rowSource->setConnectionString(gConnectionString);
    filter.rowSource->setRecordSource(sql);
    // The filter the Materials screen or the last visit left; a typed value that names no entry
    // is kept as typed. An empty filter reads its list only when the user turns to it (the focus
    // or a click), so the window shows as fast with thousands of suppliers as with ten.
    const QString value = gMaterialFilter.*filter.shared;
    m_unreadLists.insert(filter.combo, title);
    if (!value.isEmpty())
        loadFilterList(filter.combo);
    filter.binding->setBoundText(value);
    if (filter.binding->boundText() != value)
        filter.combo->setEditText(value);
}

void frmMaterials::loadFilterList(QComboBox* combo) {
    const auto unread = m_unreadLists.constFind(combo);
    if (unread == m_unreadLists.constEnd())
        return;
    const QString title = unread.value();
    m_unreadLists.erase(unread);
    for (const Filter& filter : std::as_const(m_filters))
        if (filter.combo == combo && !filter.rowSource->refresh())
            ShowDatabaseError(filter.rowSource->connection(), filter.rowSource->lastError(), title);
}

void frmMaterials::SetupSupplierCombo() {
    setupFilterCombo(
        m_filters[1],
        QStringLiteral("SELECT SuppliersID, Company FROM SuppliersTBL ORDER BY Company"),
        QStringLiteral("frmMaterials / SetupSupplierCombo"));
}

void frmMaterials::SetupCategoryCombo() {
    setupFilterCombo(
        m_filters[2],
        QStringLiteral("SELECT CatagoryID, Catagory FROM CatagoryTBL ORDER BY Catagory"),
        QStringLiteral("frmMaterials / SetupCategoryCombo"));
}

void frmMaterials::SetupManufacturerCombo() {
    setupFilterCombo(m_filters[0],
                     QStringLiteral("SELECT ManufacturerID, ManufacturerName FROM "
                                    "ManufacturersTBL ORDER BY ManufacturerName"),
                     QStringLiteral("frmMaterials / SetupManufacturerCombo"));
}

QString frmMaterials::filterConditions(const MaterialFilterValues& filters,
                                       QVariantList* values) const {
    // A set filter binds its value; an unset one still asks for a value, so a material without
    // a manufacturer, supplier or category is never offered.
    QStringList conditions;
    for (const Filter& filter : m_filters) {
        const QString value = filters.*filter.shared;
        const QString column = QString::fromLatin1(filter.column);
        if (value.isEmpty()) {
            conditions << column + QStringLiteral(" IS NOT NULL");
        } else {
            conditions << column + QStringLiteral(" = ?");
            values->append(materialFilterValue(value));
        }
    }
    return conditions.join(QStringLiteral(" AND "));
}

MaterialFilterValues frmMaterials::chosenFilters() const {
    MaterialFilterValues chosen;
    for (const Filter& filter : m_filters)
        chosen.*filter.shared = filter.binding->boundText();
    return chosen;
}

QString frmMaterials::materialsQuery(QVariantList* values) const {
    return kSelect + filterConditions(chosenFilters(), values) + kOrder;
}

QString frmMaterials::partNumberQuery(const QString& prefix, QVariantList* values) const {
    values->append(escapeLikeWildcards(prefix) + QLatin1Char('%'));
    return kFirstPartNumber.arg(filterConditions(m_applied, values));
}

void frmMaterials::SetupMaterialsDataControl() {
    QVariantList values;
    const QString sql = materialsQuery(&values);
    m_applied = chosenFilters();
    gMaterialFilter = m_applied;
    dcMaterials->setConnectionString(gConnectionString);
    // Without a filter the list is the catalogue, or nearly: its store is sized for it up front.
    const bool unfiltered = values.isEmpty();
    dcMaterials->setExpectedRows(unfiltered ? catalogueSize() : 0);
    dcMaterials->setRecordSource(sql, values);
    if (!dcMaterials->refresh()) {
        const DbError& e = dcMaterials->lastError();
        showProcedureError(e, QStringLiteral("SetupMaterialDataControl"), QMessageBox::Critical);
    }
    RecordSet* records = dcMaterials->recordSet();
    m_list->setRecordSet(records && records->isOpen() ? records : nullptr);
    const bool any = m_list->recordCount() > 0;
    if (any)
        grdMaterialsList->setCurrentIndex(m_list->index(0, kDescription));
    btnSelect->setEnabled(any);
}

int frmMaterials::catalogueSize() const {
    RecordSet count;
    count.setLockType(RecordSet::LockReadOnly);
    if (!gConnection ||
        !count.open(*gConnection, QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL")))
        return 0;
    return count.value(0).toInt();
}

void frmMaterials::filterChanged(const Filter& filter) {
    if (m_clearingFilters || !isVisible())
        return;
    if (filter.binding->boundText() == m_applied.*filter.shared)
        return;
    SetupMaterialsDataControl();
}

void frmMaterials::cbMaterialsFilterViewAll_Click() {
    // One reload, not one per emptied box.
    m_clearingFilters = true;
    for (const Filter& filter : std::as_const(m_filters))
        filter.binding->setBoundText(QString());
    m_clearingFilters = false;
    SetupMaterialsDataControl();
}

void frmMaterials::handOver() {
    const QModelIndex current = grdMaterialsList->currentIndex();
    if (!current.isValid() || current.row() >= m_list->recordCount())
        return;
    const int row = current.row();
    m_selectedId = m_list->value(row, kMaterialsID).toInt();
    emit MaterialClicled(m_selectedId, m_list->value(row, kPartNumber).toString(),
                         m_list->value(row, kDescription).toString(),
                         m_list->value(row, kUnitCost).value<Money>());
}

int frmMaterials::findTyped(const QString& prefix, int column) const {
    if (column != kPartNumber)
        return firstRowStartingWith(*m_list, kDescription, prefix);
    // The list is not in part-number order: the index finds the material, and its description
    // and key find its row.
    Connection* connection = dcMaterials->connection();
    if (!connection || !connection->isOpen())
        return -1;
    QVariantList values;
    Statement first(connection->database(), partNumberQuery(prefix, &values));
    if (!first.bindAll(values) || !first.next())
        return -1;
    return rowOfTextAndKey(*m_list, kDescription, first.value(1).toString(), kMaterialsID,
                           first.integer(0));
}

void frmMaterials::fitColumns() {
    setColumnFractions(grdMaterialsList, kPartNumber, kColumnFractions);
    // The shares leave a sliver of the width unused; the description takes it, so the list
    // fills its frame.
    int used = 0;
    for (int column = kPartNumber; column < kPartNumber + kColumnFractions.size(); ++column)
        used += grdMaterialsList->columnWidth(column);
    const int spare = grdMaterialsList->viewport()->width() - used;
    if (spare > 0)
        grdMaterialsList->setColumnWidth(kDescription,
                                         grdMaterialsList->columnWidth(kDescription) + spare);
}

int frmMaterials::SelectMaterial(int& MaterialNum) {
    m_selectedId = MaterialNum;
    exec();
    return m_selectedId;
}

void frmMaterials::noteAdded(const QString& partNumber) {
    ++m_addedThisVisit;
    lblAdded->setText(
        m_addedThisVisit == 1
            ? tr("Added: %1 \u2014 1 line added").arg(partNumber)
            : tr("Added: %1 \u2014 %2 lines added").arg(partNumber).arg(m_addedThisVisit));
}

void frmMaterials::prepare() {
    savedPlace();
    ensurePolished();
    if (layout())
        layout()->activate();
    winId();
}

const QByteArray& frmMaterials::savedPlace() {
    if (!m_savedPlace) {
        QString saved;
        m_savedPlace = ReadRegString(kPlaceKey, kPlaceValue, saved)
                           ? QByteArray::fromBase64(saved.toLatin1())
                           : QByteArray();
    }
    return *m_savedPlace;
}

void frmMaterials::place() {
    if (!savedPlace().isEmpty() && restoreGeometry(savedPlace()))
        return;
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // The frame a window of this program wears, taken from the owner's.
    const QMargins frame(owner->geometry().left() - owner->frameGeometry().left(),
                         owner->geometry().top() - owner->frameGeometry().top(),
                         owner->frameGeometry().right() - owner->geometry().right(),
                         owner->frameGeometry().bottom() - owner->geometry().bottom());
    if (m_uncovered && m_uncovered->isVisible()) {
        const QRect avoid(m_uncovered->mapToGlobal(QPoint(0, 0)), m_uncovered->size());
        const QScreen* screen = owner->screen();
        const QRect spot = PickerPlacement::beside(
            avoid, size().grownBy(frame), minimumSizeHint().grownBy(frame),
            screen ? screen->availableGeometry() : QRect(), Twips::toPixelsX(this, Twips::px(8)));
        if (!spot.isEmpty()) {
            setGeometry(spot.marginsRemoved(frame));
            return;
        }
    }
    setGeometry(owner->geometry());
}

void frmMaterials::rememberPlace() {
    // Written only when moved or resized: a write flushes the settings file to disk.
    const QByteArray place = saveGeometry();
    if (m_savedPlace == place)
        return;
    m_savedPlace = place;
    WriteRegString(kPlaceKey, kPlaceValue, QString::fromLatin1(m_savedPlace->toBase64()));
}

void frmMaterials::setVisible(bool visible) {
    if (visible && !isVisible()) {
        if (!m_placed) {
            m_placed = true;
            place();
        }
        m_addedThisVisit = 0;
        lblAdded->setText(tr("Double-click a material, or press Enter, to add it to the estimate"));
        SetupSupplierCombo();
        SetupCategoryCombo();
        SetupManufacturerCombo();
        SetupMaterialsDataControl();
        grdMaterialsList->setFocus();
    }
    const bool hiding = !visible && isVisible();
    if (hiding)
        rememberPlace();
    QDialog::setVisible(visible);
    if (!visible) {
        // A hidden picker holds no rows; showing it reads them again.
        m_list->setRecordSet(nullptr);
        if (RecordSet* records = dcMaterials->recordSet())
            records->close();
        btnSelect->setEnabled(false);
    }
}

void frmMaterials::reject() {
    m_selectedId = 0;
    QDialog::reject();
}

void frmMaterials::closeEvent(QCloseEvent* event) {
    // Closed by the title bar: not a cancel, so the last material handed over stands.
    if (isVisible())
        done(QDialog::Accepted);
    event->accept();
}

void frmMaterials::keyPressEvent(QKeyEvent* event) {
    // Enter in a filter applies the filter (its box has done so); it does not add a material.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QWidget* focus = focusWidget();
        for (const Filter& filter : std::as_const(m_filters))
            if (focus && (focus == filter.combo || filter.combo->isAncestorOf(focus))) {
                event->accept();
                return;
            }
    }
    QDialog::keyPressEvent(event);
}

bool frmMaterials::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == grdMaterialsList->viewport())
        fitColumns();
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress ||
        event->type() == QEvent::KeyPress) {
        for (const Filter& filter : std::as_const(m_filters))
            if (watched == filter.combo || watched == filter.combo->lineEdit())
                loadFilterList(filter.combo);
    }
    return QDialog::eventFilter(watched, event);
}
