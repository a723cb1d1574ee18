// The record panel of the Materials screen: the bound fields, their checks and the five buttons.
#include "widgets/bindings.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"
#include "materials/lookupeditors.h"
#include "materials/materialsframe.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int kDescriptionLength = 255;
const QString kTitle = QStringLiteral("Material Record");
const QString kSaveTitle = QStringLiteral("frmMain / cmdMaterialsSaveCurrentRecord_Click");
// Native error of a write that left a required field empty.
constexpr qint64 kRequiredFieldMissing = 1023;

} // namespace

void MaterialsFrame::connectRecordPanel() {
    connect(cmdMaterialsAddNewRecord, &QPushButton::clicked, this,
            &MaterialsFrame::cmdMaterialsAddNewRecord_Click);
    connect(cmdMaterialsEditRecord, &QPushButton::clicked, this,
            &MaterialsFrame::cmdMaterialsEditRecord_Click);
    connect(cmdMaterialsSaveCurrentRecord, &QPushButton::clicked, this,
            &MaterialsFrame::cmdMaterialsSaveCurrentRecord_Click);
    connect(cmdUndoChanges, &QPushButton::clicked, this, &MaterialsFrame::cmdUndoChanges_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &MaterialsFrame::cmdDelete_Click);
    for (QWidget* field : recordFields())
        field->installEventFilter(this);

    connect(dcMaterials, &DataControl::willChangeRecord, this,
            [this](RecordSet::Reason reason, int, bool*, RecordSet* records) {
                dcMaterials_WillChangeRecord(reason, records);
            });
    connect(dcMaterials, &DataControl::recordChangeComplete, this,
            [this](RecordSet::Reason reason, int, const DbError& error, RecordSet* records) {
                if (!error.isSet())
                    dcMaterials_RecordChangeComplete(reason, records);
            });
    connect(dcMaterials, &DataControl::moveComplete, this, [this] { updateDeleteButton(); });
    setButtons(Browse);
}

void MaterialsFrame::SetupMaterialsControls() {
    SetupSupplierCombo();
    SetupManufacturerCombo();
    SetupCategoryCombo();
    SetupPartNumber();
    SetupMaterialsDescription();
    SetupUnitCost();
    // Every bound field shows the current record.
    RecordSet* records = dcMaterials->recordSet();
    if (records && !records->isBOF() && !records->isEOF())
        records->move(0);
}

void MaterialsFrame::setupLookupCombo(QComboBox* record, QComboBox* filter, DataControl* rowSource,
                                      const QString& sql, const QString& listField,
                                      const QString& key, ComboBinding** recordBinding,
                                      ComboBinding** filterBinding, const QString& procedure) {
    rowSource->setConnectionString(gConnectionString);
    rowSource->setRecordSource(sql);
    if (!*recordBinding) {
        *recordBinding = new ComboBinding(record, rowSource, listField, key);
        (*recordBinding)->setDataSource(dcMaterials, key);
        *filterBinding = new ComboBinding(filter, rowSource, listField, key);
    }
    if (!rowSource->refresh())
        ShowDatabaseError(rowSource->connection(), rowSource->lastError(),
                          QStringLiteral("frmMain / ") + procedure);
    (*filterBinding)->setBoundText(QString());
}

void MaterialsFrame::SetupSupplierCombo() {
    setupLookupCombo(
        cbSupplier, cbSupplierFilter, AdodcSupplier,
        QStringLiteral("Select SuppliersID, Company from SuppliersTBL Order By Company"),
        QStringLiteral("Company"), QStringLiteral("SuppliersID"), &m_supplier, &m_supplierFilter,
        QStringLiteral("SetupSupplierCombo"));
}

void MaterialsFrame::SetupManufacturerCombo() {
    setupLookupCombo(cbManufacturer, cbManufacturerFilter, AdodcManufacturer,
                     QStringLiteral("Select ManufacturerID, ManufacturerName from "
                                    "ManufacturersTBL Order By ManufacturerName"),
                     QStringLiteral("ManufacturerName"), QStringLiteral("ManufacturerID"),
                     &m_manufacturer, &m_manufacturerFilter,
                     QStringLiteral("SetupManufacturerCombo"));
}

void MaterialsFrame::SetupCategoryCombo() {
    setupLookupCombo(
        cbCategory, cbCategoryFilter, AdodcCategory,
        QStringLiteral("Select CatagoryID, Catagory from CatagoryTBL Order By Catagory"),
        QStringLiteral("Catagory"), QStringLiteral("CatagoryID"), &m_category, &m_categoryFilter,
        QStringLiteral("SetupCategoryCombo"));
}

void MaterialsFrame::SetupPartNumber() {
    if (!m_partNumber)
        m_partNumber = new TextBinding(txtPartNumber, dcMaterials, QStringLiteral("Part #"));
}

void MaterialsFrame::SetupMaterialsDescription() {
    if (!m_description)
        m_description =
            new TextBinding(txtMaterialsDescription, dcMaterials, QStringLiteral("Description"));
}

void MaterialsFrame::SetupUnitCost() {
    if (!m_unitCost)
        m_unitCost = new TextBinding(txtUnitCost, dcMaterials, QStringLiteral("Unit Cost"),
                                     DisplayFormat::Money);
}

QList<QWidget*> MaterialsFrame::recordFields() const {
    return {cbSupplier,    cbManufacturer,          cbCategory,
            txtPartNumber, txtMaterialsDescription, txtUnitCost};
}

void MaterialsFrame::SetLockMaterialEdit(bool LockStatus) {
    for (QWidget* field : recordFields())
        Controls::setLocked(field, LockStatus);
}

void MaterialsFrame::setButtons(EditState state) {
    const bool browsing = state == Browse;
    cmdUndoChanges->setEnabled(!browsing);
    cmdMaterialsEditRecord->setEnabled(browsing);
    cmdMaterialsAddNewRecord->setEnabled(browsing);
    cmdMaterialsSaveCurrentRecord->setEnabled(!browsing);
    // The list is reloaded by a filter, which would drop the record being edited.
    frMaterialsFilter->setEnabled(browsing);
    updateDeleteButton();
    emit saveEnabledChanged(!browsing);
}

void MaterialsFrame::updateDeleteButton() {
    RecordSet* records = dcMaterials->recordSet();
    const bool onRecord = records && records->isOpen() && !records->isBOF() && !records->isEOF();
    cmdDelete->setEnabled(m_hasRecords && onRecord && m_editState != Adding);
    cmdMaterialsEditRecord->setEnabled(onRecord && m_editState == Browse);
}

void MaterialsFrame::returnToBrowse() {
    grdMaterialsList->setFocus();
    SetLockMaterialEdit(true);
    m_editState = Browse;
    m_checkFailed = false;
    setButtons(Browse);
}

void MaterialsFrame::cmdMaterialsAddNewRecord_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (records && records->editMode() == RecordSet::EditAdd)
        return;
    if (!records || !records->addNew()) {
        const DbError error = records ? records->lastError()
                                      : DbError{ErrorNumber::kOperationNotAllowed,
                                                tr("The catalogue could not be opened.")};
        ShowError(error.text(), QStringLiteral("frmMain / cmdMaterialsAddNewRecord_Click"));
        return;
    }
    SetLockMaterialEdit(false);
    m_editState = Adding;
    setButtons(Adding);
    cbSupplier->setFocus();
}

void MaterialsFrame::cmdMaterialsEditRecord_Click() {
    SetLockMaterialEdit(false);
    m_editState = Editing;
    setButtons(Editing);
    cbSupplier->setFocus();
}

void MaterialsFrame::cmdMaterialsSaveCurrentRecord_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (!records || m_editState == Browse)
        return;
    // The check that just took the focus back has already said what is missing.
    if (m_checkFailed || !checkAllFields())
        return;
    if (!records->move(0)) {
        reportSaveFailure(records->lastError());
        return;
    }
    returnToBrowse();
    showCurrentInList();
}

bool MaterialsFrame::finishEditing() {
    RecordSet* records = dcMaterials->recordSet();
    if (m_editState == Browse || !records || !records->hasPendingChanges())
        return true;
    switch (showMessage(tr("The material you are editing has changes that are not saved. Do you "
                           "want to save them?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Question, kTitle)) {
    case QMessageBox::Yes:
        m_checkFailed = false;
        cmdMaterialsSaveCurrentRecord_Click();
        return m_editState == Browse;
    case QMessageBox::No:
        cmdUndoChanges_Click();
        return true;
    default:
        return false;
    }
}

void MaterialsFrame::reportSaveFailure(const DbError& error) {
    // The record keeps what was typed and the panel stays open, so nothing is lost: the user can
    // correct the entry and save again, or undo.
    Connection* connection = dcMaterials->connection();
    const QString product = QCoreApplication::applicationName();
    if (connection && !connection->errors().isEmpty()) {
        const ProviderError first = connection->errors().first();
        if (first.nativeError == kRequiredFieldMissing)
            ShowError(tr("Please fill fields above grid"), product);
        else if (first.nativeError == ErrorNumber::kReferencedRow)
            ShowError(tr("There are records in the other tables linked with current record"),
                      product);
        else
            ShowError(QString::number(first.nativeError) + QStringLiteral(": ") + first.description,
                      kSaveTitle);
        connection->clearErrors();
    } else if (error.number == ErrorNumber::kGenericFailure) {
        ShowError(tr("Please fill fields above grids"), product);
    } else {
        ShowError(error.text(), kSaveTitle);
    }
}

void MaterialsFrame::cmdUndoChanges_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (records && !records->cancelUpdate()) {
        const DbError& e = records->lastError();
        showMessage(QString::number(e.number) + QStringLiteral(" - ") + e.description,
                    QMessageBox::Ok, QMessageBox::NoIcon, QStringLiteral("Edit Undo"));
    }
    // An edit that never changed a value leaves nothing to cancel: show the stored record again.
    if (m_partNumber)
        for (TextBinding* binding : {m_partNumber, m_description, m_unitCost})
            binding->reload();
    returnToBrowse();
    showCurrentInList();
}

void MaterialsFrame::cmdDelete_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (!records || records->isBOF() || records->isEOF() ||
        records->editMode() == RecordSet::EditAdd)
        return;
    const bool wasEditing = m_editState == Editing;
    if (!records->deleteCurrent()) {
        const DbError error = records->lastError();
        if (error.number == ErrorNumber::kReferencedRow)
            showMessage(tr("This record couldn't be deleted because it is already used in one or "
                           "several estimates"),
                        QMessageBox::Ok, QMessageBox::NoIcon);
        else
            ShowError(error.text(), QStringLiteral("frmMain / cmdDelete_Click"));
        // What was being edited is still there to be saved or undone.
        if (!wasEditing)
            returnToBrowse();
        return;
    }
    // The material that followed the deleted one becomes current; after the last one, none.
    records->moveNext();
    m_hasRecords = records->recordCount() > 0;
    returnToBrowse();
    showCurrentInList();
}

ComboBinding* MaterialsFrame::bindingOf(const QWidget* field) const {
    if (field == cbSupplier)
        return m_supplier;
    if (field == cbManufacturer)
        return m_manufacturer;
    if (field == cbCategory)
        return m_category;
    if (field == cbSupplierFilter)
        return m_supplierFilter;
    if (field == cbManufacturerFilter)
        return m_manufacturerFilter;
    if (field == cbCategoryFilter)
        return m_categoryFilter;
    return nullptr;
}

bool MaterialsFrame::checkField(QWidget* field) {
    if (auto* combo = qobject_cast<QComboBox*>(field)) {
        ComboBinding* binding = bindingOf(combo);
        if (!binding)
            return true;
        const QString name = combo == cbSupplier       ? tr("Supplier")
                             : combo == cbManufacturer ? tr("Manufacturer")
                                                       : tr("Category");
        if (binding->boundText().isEmpty()) {
            showMessage(name + tr(" is a required entry."), QMessageBox::Ok, QMessageBox::NoIcon,
                        kTitle);
            return false;
        }
        if (!binding->matchedWithList())
            return askToAddToList(combo);
        // A name typed in full is the same as choosing it: the record takes its key.
        const int row = combo->findText(combo->currentText(), Qt::MatchFixedString);
        if (row >= 0 && row != combo->currentIndex())
            combo->setCurrentIndex(row);
        return true;
    }
    if (field == txtUnitCost) {
        const QString text = txtUnitCost->text();
        if (text.isEmpty()) {
            showMessage(tr("Unit Cost is a required entry"), QMessageBox::Ok, QMessageBox::NoIcon,
                        kTitle);
            return false;
        }
        if (!isNumericText(text) || !parseCurrency(text)) {
            showMessage(tr("Unit Cost requires a valid numeric entry"), QMessageBox::Ok,
                        QMessageBox::NoIcon, kTitle);
            return false;
        }
        return true;
    }
    if (field == txtMaterialsDescription &&
        txtMaterialsDescription->text().size() > kDescriptionLength) {
        const QString cut = txtMaterialsDescription->text().left(kDescriptionLength);
        txtMaterialsDescription->setText(cut);
        if (RecordSet* records = dcMaterials->recordSet())
            records->setValue(QStringLiteral("Description"), cut);
    }
    return true;
}

bool MaterialsFrame::checkAllFields() {
    for (QWidget* field : {static_cast<QWidget*>(cbSupplier), static_cast<QWidget*>(cbManufacturer),
                           static_cast<QWidget*>(cbCategory), static_cast<QWidget*>(txtUnitCost),
                           static_cast<QWidget*>(txtMaterialsDescription)}) {
        m_checking = true;
        const bool ok = checkField(field);
        if (!ok)
            takeFocusBack(field);
        m_checking = false;
        if (!ok)
            return false;
    }
    return true;
}

bool MaterialsFrame::askToAddToList(QComboBox* combo) {
    const QString typed = combo->currentText();
    QString suffix;
    QString title;
    DataControl* rowSource = nullptr;
    if (combo == cbCategory) {
        suffix = tr(" is not a valid selection.  Do you want to add it to the list of Categorys?");
        title = tr("Category Not On List");
        rowSource = AdodcCategory;
    } else if (combo == cbManufacturer) {
        suffix =
            tr(" is not a valid selection.  Do you want to add it to the list of Manufacturers?");
        title = tr("Manufacturer Not On List");
        rowSource = AdodcManufacturer;
    } else {
        suffix = tr(" is not a valid selection.  Do you want to add it to the list of Suppliers?");
        title = tr("Supplier Not On List");
        rowSource = AdodcSupplier;
    }
    if (showMessage(typed + suffix, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                    title) == QMessageBox::Yes) {
        if (QWidget* grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
        if (combo == cbCategory) {
            frmAddCategory editor(window());
            editor.exec();
        } else if (combo == cbManufacturer) {
            frmAddManufacturer editor(window());
            editor.exec();
        } else {
            frmAddSupplier editor(window());
            editor.exec();
        }
        // Both combos fed by the list follow its refresh; the typed name is chosen when the
        // list now holds it, and otherwise stays typed.
        rowSource->refresh();
        const int row = combo->findText(typed, Qt::MatchFixedString);
        if (row >= 0)
            combo->setCurrentIndex(row);
        else
            combo->setEditText(typed);
    }
    takeFocusBack(combo);
    return bindingOf(combo)->matchedWithList();
}

void MaterialsFrame::takeFocusBack(QWidget* field) {
    // A message box or an editor was the active window; the main window takes over again.
    field->window()->activateWindow();
    field->setFocus(Qt::OtherFocusReason);
}

QWidget* MaterialsFrame::fieldOf(QObject* object) const {
    for (QWidget* field : recordFields())
        if (object == field)
            return field;
    return nullptr;
}

bool MaterialsFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == grdMaterialsList->viewport())
        fitListColumns();
    if (event->type() != QEvent::FocusOut || m_checking || m_editState == Browse)
        return QGroupBox::eventFilter(watched, event);
    QWidget* field = fieldOf(watched);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    // A list opening, another window taking over, or the screen being left is not leaving
    // the field.
    if (!field || !field->isVisible() || reason == Qt::PopupFocusReason ||
        reason == Qt::ActiveWindowFocusReason)
        return QGroupBox::eventFilter(watched, event);
    QWidget* next = QApplication::focusWidget();
    // Undo needs no complete record.
    if (next && (next == cmdUndoChanges || field->isAncestorOf(next)))
        return QGroupBox::eventFilter(watched, event);
    // Taking the focus back makes the widget that was about to get it lose it: no check there.
    m_checking = true;
    const bool ok = checkField(field);
    if (!ok)
        takeFocusBack(field);
    m_checking = false;
    m_checkFailed = !ok;
    return QGroupBox::eventFilter(watched, event);
}
