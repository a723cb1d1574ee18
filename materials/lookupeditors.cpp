#include "materials/lookupeditors.h"

#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"
#include "widgets/screencontrols.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
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

const LookupList& lookupList(LookupKind kind) {
    static const std::array<LookupList, 4> lists = {
        LookupList{.formName = QStringLiteral("frmAddCategory"),
                   .caption = QStringLiteral("Add/Edit Material Category"),
                   .loadSource = QStringLiteral("Select * FROM CatagoryTBL"),
                   .sortedSource = QStringLiteral("SELECT * FROM CatagoryTBL Order By "),
                   .fields = {QStringLiteral("CatagoryID"), QStringLiteral("Catagory")},
                   .nameCaption = QStringLiteral("Category"),
                   .renameWarning =
                       QStringLiteral("You have changed the name of an existing Category.  That "
                                      "change will apply to all previously entered items as "
                                      "well as any future items. "),
                   .warningTitle = QStringLiteral("Modify Existing Category"),
                   .notOnListQuestion =
                       QStringLiteral(" is not a valid selection.  Do you want to add it "
                                      "to the list of Categorys?"),
                   .notOnListTitle = QStringLiteral("Category Not On List")},
        LookupList{
            .formName = QStringLiteral("frmAddManufacturer"),
            .caption = QStringLiteral("Add/Edit Manufacturers"),
            .loadSource = QStringLiteral("SELECT * FROM ManufacturersTBL"),
            .sortedSource = QStringLiteral("SELECT * FROM ManufacturersTBL Order By "),
            .fields = {QStringLiteral("ManufacturerID"), QStringLiteral("ManufacturerName")},
            .nameCaption = QStringLiteral("Manufacturer"),
            .renameWarning = QStringLiteral("You have changed a Manufacturer's name.  That change "
                                            "will apply to all previously entered items as well as "
                                            "any future items. "),
            .warningTitle = QStringLiteral("Modify Manufacturer's Name"),
            .notOnListQuestion = QStringLiteral(" is not a valid selection.  Do you want to add it "
                                                "to the list of Manufacturers?"),
            .notOnListTitle = QStringLiteral("Manufacturer Not On List")},
        LookupList{.formName = QStringLiteral("frmAddSupplier"),
                   .caption = QStringLiteral("Add/Edit Supplier"),
                   .loadSource = QStringLiteral("SELECT * FROM SuppliersTBL"),
                   .sortedSource = QStringLiteral("SELECT * FROM SuppliersTBL Order By "),
                   .fields = {QStringLiteral("SuppliersID"), QStringLiteral("Company")},
                   .nameCaption = QStringLiteral("Supplier"),
                   .renameWarning =
                       QStringLiteral("You have changed the name of an existing Supplier.  That "
                                      "change will apply to all previously entered items as "
                                      "well as any future items. "),
                   .warningTitle = QStringLiteral("Modify Supplier Name"),
                   .notOnListQuestion =
                       QStringLiteral(" is not a valid selection.  Do you want to add it "
                                      "to the list of Suppliers?"),
                   .notOnListTitle = QStringLiteral("Supplier Not On List")},
        LookupList{.formName = QStringLiteral("frmAddEstimator"),
                   .caption = QStringLiteral("Add/Edit Estimator"),
                   .loadSource = QStringLiteral("SELECT * FROM Estimators"),
                   .sortedSource = QStringLiteral("SELECT * FROM Estimators Order By "),
                   .fields = {QStringLiteral("EstimatorID"), QStringLiteral("Estimator")},
                   .nameCaption = QStringLiteral("Estimator"),
                   .renameWarning =
                       QStringLiteral("You have modified an Estimators name.  That change will "
                                      "apply to all previously entered items as well as any "
                                      "future items. "),
                   .warningTitle = QStringLiteral("Modify Estimator"),
                   .notOnListQuestion =
                       QStringLiteral(" is not a valid selection.  Do you want to add it "
                                      "to the list of Estimators?"),
                   .notOnListTitle = QStringLiteral("Estimator Not On List")}};
    return lists.at(static_cast<size_t>(kind));
}

LookupListEditor::LookupListEditor(LookupKind kind, QWidget* parent)
    : QDialog(parent), m_list(lookupList(kind)) {
    setObjectName(m_list.formName);
    setWindowTitle(m_list.caption);
    setModal(true);

    Adodc1 = new DataControl(this);
    m_model = new RecordSetModel(this);
    m_model->setAllowUpdate(true);
    m_model->setAllowAddNew(true);
    // The database fills the key, and materials and estimates refer to an entry by it; the user
    // sees and types only names.
    m_model->setColumnReadOnly(0);
    m_model->setCaption(1, m_list.nameCaption);
    m_model->setBeforeColumnUpdate(
        [this](int row, int column, const QVariant& oldValue, QVariant& newValue) {
            return DataGrid1_BeforeColUpdate(row, column, oldValue, newValue);
        });
    m_model->setAfterColumnUpdate([this](int row, int) { DataGrid1_AfterColUpdate(row); });
    connect(Adodc1, &DataControl::recordSetChanged, m_model, &RecordSetModel::setRecordSet);
    connect(m_model, &RecordSetModel::writeFailed, this, &LookupListEditor::reportWriteFailure);

    DataGrid1 = new QTableView(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setToolTip(tr("Type a name on the line marked * to add it, or change a name to "
                             "rename it. Click a heading to sort."));
    DataGrid1->setModel(m_model);
    DataGrid1->setItemDelegate(new SizedTextDelegate(m_model, DataGrid1));
    // Esc on the proposed name: the user does not want it added after all.
    connect(DataGrid1->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget* cell, QAbstractItemDelegate::EndEditHint hint) {
                if (cell == m_proposalCell && hint == QAbstractItemDelegate::RevertModelCache)
                    reject();
            });
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
    // The list shows afresh, its key column with it.
    DataGrid1->setColumnHidden(0, true);
    const QModelIndex line = m_model->index(m_model->recordCount(), 1);
    DataGrid1->setCurrentIndex(line);
    DataGrid1->scrollTo(line);
}

bool LookupListEditor::isOnList(const QString& name, int exceptRow) const {
    for (int row = 0; row < m_model->recordCount(); ++row)
        if (row != exceptRow &&
            m_model->value(row, 1).toString().trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool LookupListEditor::DataGrid1_BeforeColUpdate(int row, int, const QVariant& oldValue,
                                                 QVariant& newValue) {
    const bool adding = m_model->isNewRow(row);
    // A cell left unchanged is not a rename.
    if (!adding && newValue.toString() == oldValue.toString())
        return false;
    const QString name = newValue.toString().trimmed();
    if (name.isEmpty()) {
        // Blanks on the new-row line add nothing; an entry without a name would show as a blank
        // on every material that uses it.
        if (!adding)
            showMessage(tr("A name cannot be empty. The previous name has been kept."),
                        QMessageBox::Ok, QMessageBox::Information, m_list.warningTitle);
        return false;
    }
    // Two entries of one name could not be told apart in the lists that choose from them.
    if (isOnList(name, row)) {
        showMessage(
            tr("%1 is already on the list. Type another name, or press Esc to leave it.").arg(name),
            QMessageBox::Ok, QMessageBox::Information, m_list.caption);
        keepRefusedName(row, newValue.toString());
        return false;
    }
    if (!adding &&
        showMessage(m_list.renameWarning + kAskToGoOn, QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::Question, m_list.warningTitle) != QMessageBox::Yes)
        return false;
    newValue = name;
    m_writingRow = row;
    m_writingName = name;
    m_writingAdd = adding;
    return true;
}

void LookupListEditor::DataGrid1_AfterColUpdate(int row) {
    // The proposed name, written: the caller chooses the new entry by its key.
    if (m_writingAdd && m_proposalCell && !m_addedKey.isValid())
        m_addedKey = m_model->value(row, 0);
    m_writingAdd = false;
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
    m_refused = false;
    commitOpenEdit();
    // A name refused as the window was closing waits in its cell again: nothing typed is lost.
    if (!m_refused)
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
    m_proposalCell = typeName(m_model->recordCount(), std::exchange(m_proposedName, QString()));
    if (m_proposalCell)
        m_proposalCell->installEventFilter(this);
}

QLineEdit* LookupListEditor::typeName(int row, const QString& name) {
    const QModelIndex cell = m_model->index(row, 1);
    if (!cell.isValid())
        return nullptr;
    DataGrid1->setCurrentIndex(cell);
    DataGrid1->scrollTo(cell);
    DataGrid1->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(DataGrid1->indexWidget(cell));
    if (!editor)
        return nullptr;
    editor->setText(name);
    editor->setFocus();
    // As if just typed: the cursor after the name, nothing selected, also once the window has
    // given the focus to the cell (which selects the whole text).
    editor->end(false);
    QTimer::singleShot(0, editor, [editor] { editor->end(false); });
    return editor;
}

bool LookupListEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_proposalCell && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            storeProposedName();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LookupListEditor::storeProposedName() {
    if (m_proposalCell->text().trimmed().isEmpty())
        return;
    commitOpenEdit();
    // The name is on the list: the caller goes on with it. Refused, it waits in its cell again.
    if (m_addedKey.isValid())
        accept();
}

void LookupListEditor::keepRefusedName(int row, const QString& name) {
    // The refused cell closes as the grid finishes the edit; the name is typed into it again
    // then, the proposed name as a proposal still.
    m_refused = true;
    const bool proposal = !m_proposalCell.isNull();
    QTimer::singleShot(0, this, [this, row, name, proposal] {
        if (proposal)
            proposeName(name);
        else
            typeName(row, name);
    });
}

void LookupListEditor::commitOpenEdit() {
    // Moving off a cell that is being edited writes it, as it does in any grid; callers put the
    // current cell back where they want it.
    DataGrid1->setCurrentIndex({});
}

void LookupListEditor::reportWriteFailure(const DbError& error) {
    QString reason = error.description;
    if (Connection* connection = Adodc1->connection();
        connection && !connection->errors().isEmpty())
        reason = connection->errors().first().description;
    ShowError(tr("%1 could not be saved: the database refused it (%2).\n\nThe name is still in its "
                 "cell: correct it, or press Esc to leave it.")
                  .arg(m_writingName, reason),
              objectName() + QStringLiteral(" / DataGrid1"));
    keepRefusedName(m_writingRow, m_writingName);
    m_writingAdd = false;
}

std::unique_ptr<LookupListEditor> makeLookupEditor(LookupKind kind, QWidget* parent) {
    switch (kind) {
    case LookupKind::Category:
        return std::make_unique<frmAddCategory>(parent);
    case LookupKind::Manufacturer:
        return std::make_unique<frmAddManufacturer>(parent);
    case LookupKind::Supplier:
        return std::make_unique<frmAddSupplier>(parent);
    case LookupKind::Estimator:
        break;
    }
    return std::make_unique<frmAddEstimator>(parent);
}

frmAddCategory::frmAddCategory(QWidget* parent) : LookupListEditor(LookupKind::Category, parent) {}

frmAddManufacturer::frmAddManufacturer(QWidget* parent)
    : LookupListEditor(LookupKind::Manufacturer, parent) {}

frmAddSupplier::frmAddSupplier(QWidget* parent) : LookupListEditor(LookupKind::Supplier, parent) {}

frmAddEstimator::frmAddEstimator(QWidget* parent)
    : LookupListEditor(LookupKind::Estimator, parent) {}
