#include "materials/lookupeditors.h"

#include "data/datacontrol.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace {

const QString kAskToGoOn = QStringLiteral("Do you still want to make this change?");

// Keeps a typed name within the size its column declares, so the database never has to cut it.
class SizedTextDelegate : public QStyledItemDelegate {
public:
    SizedTextDelegate(RecordSetModel* model, QObject* parent)
        : QStyledItemDelegate(parent), m_model(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        const RecordSet* rs = m_model->recordSet();
        if (auto* line = qobject_cast<QLineEdit*>(editor);
            line && rs && index.column() < rs->fieldCount())
            if (const int size = rs->field(index.column()).definedSize; size > 0)
                line->setMaxLength(size);
        return editor;
    }

private:
    RecordSetModel* m_model;
};

} // namespace

LookupListEditor::LookupListEditor(LookupList list, QWidget* parent)
    : QDialog(parent), m_list(std::move(list)) {
    setObjectName(m_list.formName);
    setWindowTitle(m_list.caption);
    setModal(true);

    Adodc1 = new DataControl(this);
    m_model = new RecordSetModel(this);
    m_model->setAllowUpdate(true);
    m_model->setAllowAddNew(true);
    // The database fills the key, and materials and estimates refer to an entry by it.
    m_model->setColumnReadOnly(0);
    m_model->setCellColour(
        [](int, int column) { return column == 0 ? QColor(0x7a, 0x85, 0x94) : QColor(); });
    for (int i = 0; i < m_list.captions.size(); ++i)
        if (!m_list.captions.at(i).isEmpty())
            m_model->setCaption(i, m_list.captions.at(i));
    m_model->setBeforeColumnUpdate(
        [this](int row, int column, const QVariant& oldValue, QVariant& newValue) {
            return DataGrid1_BeforeColUpdate(row, column, oldValue, newValue);
        });
    connect(Adodc1, &DataControl::recordSetChanged, m_model, &RecordSetModel::setRecordSet);
    connect(m_model, &RecordSetModel::writeFailed, this, &LookupListEditor::reportWriteFailure);

    DataGrid1 = new QTableView(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setToolTip(tr("Type a name on the line marked * to add it, or change a name to "
                             "rename it. Click a heading to sort."));
    DataGrid1->setModel(m_model);
    DataGrid1->setItemDelegate(new SizedTextDelegate(m_model, DataGrid1));
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DataGrid1->setEditTriggers(
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
        QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    DataGrid1->setAlternatingRowColors(true);
    DataGrid1->setTabKeyNavigation(false); // Tab reaches the button
    DataGrid1->horizontalHeader()->setStretchLastSection(true);
    DataGrid1->horizontalHeader()->setHighlightSections(false);
    DataGrid1->verticalHeader()->setDefaultSectionSize(24);
    // The row header is a record selector: it marks the current row and the new-row line.
    m_model->setRecordSelectors(true);
    DataGrid1->verticalHeader()->setMinimumWidth(
        DataGrid1->fontMetrics().horizontalAdvance(QStringLiteral("\u25b8*")) + 12);
    // The marker follows the current row, also when an added name pushes the line down.
    const auto markCurrentRow = [this] { m_model->setCurrentRow(DataGrid1->currentIndex().row()); };
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, m_model,
            markCurrentRow);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, markCurrentRow);
    connect(m_model, &QAbstractItemModel::modelReset, this, markCurrentRow);
    connect(DataGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &LookupListEditor::DataGrid1_HeadClick);

    btnCancel =
        Controls::button(this, QStringLiteral("btnCancel"), tr("Close"),
                         tr("Close this list; every change is already saved (Esc)"), 0, 0, 90);
    connect(btnCancel, &QPushButton::clicked, this, &LookupListEditor::btnCancel_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DataGrid1);
    layout->addLayout(buttons);
    resize(400, 340);
    setMinimumSize(300, 200);

    Form_Load();
}

LookupListEditor::~LookupListEditor() {
    // The list's rows go with its data control, after this part of the editor: the marker has
    // nothing left to follow.
    disconnect(m_model, nullptr, this, nullptr);
    disconnect(DataGrid1->selectionModel(), nullptr, m_model, nullptr);
}

void LookupListEditor::Form_Load() {
    Adodc1->setConnectionString(gConnectionString);
    Adodc1->setRecordSource(m_list.loadSource);
    reload(QStringLiteral("Form_Load"));
    DataGrid1->setFocus();
}

// Re-reads the list and puts the name column of the new-row line current, ready for typing.
void LookupListEditor::reload(const QString& procedure) {
    if (!Adodc1->refresh())
        ShowDatabaseError(Adodc1->connection(), Adodc1->lastError(),
                          objectName() + QStringLiteral(" / ") + procedure);
    DataGrid1->resizeColumnToContents(0);
    const QModelIndex line = m_model->index(m_model->recordCount(), 1);
    DataGrid1->setCurrentIndex(line);
    DataGrid1->scrollTo(line);
}

bool LookupListEditor::DataGrid1_BeforeColUpdate(int row, int, const QVariant& oldValue,
                                                 QVariant& newValue) {
    if (m_model->isNewRow(row))
        return true;
    // A cell left unchanged is not a rename.
    if (newValue.toString() == oldValue.toString())
        return false;
    // An entry without a name would show as a blank on every material that uses it.
    if (newValue.toString().trimmed().isEmpty()) {
        showMessage(tr("A name cannot be empty. The previous name has been kept."), QMessageBox::Ok,
                    QMessageBox::Information, m_list.warningTitle);
        return false;
    }
    return showMessage(m_list.renameWarning + kAskToGoOn, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Question, m_list.warningTitle) == QMessageBox::Yes;
}

void LookupListEditor::DataGrid1_HeadClick(int column) {
    // Only the editor's own field names go into the SQL text.
    if (column < 0 || column >= m_list.fields.size())
        return;
    commitOpenEdit();
    Adodc1->setRecordSource(m_list.sortedSource + m_list.fields.at(column));
    reload(QStringLiteral("DataGrid1_HeadClick"));
}

void LookupListEditor::btnCancel_Click() {
    reject();
}

void LookupListEditor::done(int result) {
    commitOpenEdit();
    QDialog::done(result);
}

void LookupListEditor::proposeName(const QString& name) {
    m_proposedName = name;
    if (isVisible())
        typeProposedName();
}

void LookupListEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    typeProposedName();
}

void LookupListEditor::typeProposedName() {
    if (m_proposedName.isEmpty())
        return;
    const QString name = std::exchange(m_proposedName, QString());
    const QModelIndex line = m_model->index(m_model->recordCount(), 1);
    if (!m_model->isNewRow(line.row()))
        return;
    DataGrid1->setCurrentIndex(line);
    DataGrid1->scrollTo(line);
    DataGrid1->edit(line);
    if (auto* editor = qobject_cast<QLineEdit*>(DataGrid1->indexWidget(line))) {
        editor->setText(name);
        editor->setFocus();
        // As if just typed: the cursor after the name, nothing selected, also once the window
        // has given the focus to the cell (which selects the whole text).
        editor->end(false);
        QTimer::singleShot(0, editor, [editor] { editor->end(false); });
    }
}

void LookupListEditor::commitOpenEdit() {
    // Moving off a cell that is being edited writes it, as it does in any grid; callers put the
    // current cell back where they want it.
    DataGrid1->setCurrentIndex({});
}

void LookupListEditor::reportWriteFailure(const DbError& error) {
    ShowDatabaseError(Adodc1->connection(), error, objectName() + QStringLiteral(" / DataGrid1"));
}

frmAddCategory::frmAddCategory(QWidget* parent)
    : LookupListEditor(
          {.formName = QStringLiteral("frmAddCategory"),
           .caption = QStringLiteral("Add/Edit Material Category"),
           .loadSource = QStringLiteral("Select * FROM CatagoryTBL"),
           .sortedSource = QStringLiteral("SELECT * FROM CatagoryTBL Order By "),
           .fields = {QStringLiteral("CatagoryID"), QStringLiteral("Catagory")},
           .captions = {QString(), QStringLiteral("Category")},
           .renameWarning = QStringLiteral("You have changed the name of an existing Category.  "
                                           "That change will apply to all previously entered "
                                           "items as well as any future items. "),
           .warningTitle = QStringLiteral("Modify Existing Category")},
          parent) {}

frmAddManufacturer::frmAddManufacturer(QWidget* parent)
    : LookupListEditor(
          {.formName = QStringLiteral("frmAddManufacturer"),
           .caption = QStringLiteral("Add/Edit Manufacturers"),
           .loadSource = QStringLiteral("SELECT * FROM ManufacturersTBL"),
           .sortedSource = QStringLiteral("SELECT * FROM ManufacturersTBL Order By "),
           .fields = {QStringLiteral("ManufacturerID"), QStringLiteral("ManufacturerName")},
           .captions = {QStringLiteral("ManufacturerID"), QStringLiteral("Manufacturer Name")},
           .renameWarning = QStringLiteral("You have changed a Manufacturer's name.  That change "
                                           "will apply to all previously entered items as well "
                                           "as any future items. "),
           .warningTitle = QStringLiteral("Modify Manufacturer's Name")},
          parent) {}

frmAddSupplier::frmAddSupplier(QWidget* parent)
    : LookupListEditor(
          {.formName = QStringLiteral("frmAddSupplier"),
           .caption = QStringLiteral("Add/Edit Supplier"),
           .loadSource = QStringLiteral("SELECT * FROM SuppliersTBL"),
           .sortedSource = QStringLiteral("SELECT * FROM SuppliersTBL Order By "),
           .fields = {QStringLiteral("SuppliersID"), QStringLiteral("Company")},
           .captions = {QStringLiteral("SuppliersID"), QStringLiteral("Supplier Name")},
           .renameWarning = QStringLiteral("You have changed the name of an existing Supplier.  "
                                           "That change will apply to all previously entered "
                                           "items as well as any future items. "),
           .warningTitle = QStringLiteral("Modify Supplier Name")},
          parent) {}

frmAddEstimator::frmAddEstimator(QWidget* parent)
    : LookupListEditor(
          {.formName = QStringLiteral("frmAddEstimator"),
           .caption = QStringLiteral("Add/Edit Estimator"),
           .loadSource = QStringLiteral("SELECT * FROM Estimators"),
           .sortedSource = QStringLiteral("SELECT * FROM Estimators Order By "),
           .fields = {QStringLiteral("EstimatorID"), QStringLiteral("Estimator")},
           .captions = {QStringLiteral("EstimatorID"), QStringLiteral("Estimator")},
           .renameWarning = QStringLiteral("You have modified an Estimators name.  That change "
                                           "will apply to all previously entered items as well "
                                           "as any future items. "),
           .warningTitle = QStringLiteral("Modify Estimator")},
          parent) {}
