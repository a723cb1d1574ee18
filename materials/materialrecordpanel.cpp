// The record panel of the Materials screen: the bound fields, their checks and the five buttons.
#include "materials/materialrecordpanel.h"

#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/textcut.h"
#include "materials/addtolist.h"
#include "widgets/bindings.h"
#include "widgets/messagebox.h"
#include "widgets/recordconflict.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

constexpr int kDescriptionLength = 255;
// The panel's design (in design pixels) that the fields' columns follow when the frame is wider.
constexpr double kFrameWidth = 545;
constexpr double kComboWidth = 180;
constexpr double kRightCaptionLeft = 296;
constexpr double kRightBoxLeft = 376;
constexpr double kPartNumberWidth = 156;
const QString kTitle = QStringLiteral("Material Record");
const QString kSaveTitle = QStringLiteral("frmMain / cmdMaterialsSaveCurrentRecord_Click");
// The lookup lists' shown fields and keys (the keys are the material's fields too).
const QString kSupplierName = QStringLiteral("Company");
const QString kSupplierKey = QStringLiteral("SuppliersID");
const QString kManufacturerName = QStringLiteral("ManufacturerName");
const QString kManufacturerKey = QStringLiteral("ManufacturerID");
const QString kCategoryName = QStringLiteral("Catagory");
const QString kCategoryKey = QStringLiteral("CatagoryID");

} // namespace

using namespace Controls;
using Twips::place;

MaterialRecordPanel::MaterialRecordPanel(QWidget* screen, DataControl* materials)
    : QObject(screen), AdodcSupplier(new DataControl(this)),
      AdodcManufacturer(new DataControl(this)), AdodcCategory(new DataControl(this)),
      dcMaterials(materials) {
    setObjectName(QStringLiteral("materialRecordPanel"));
    AdodcSupplier->setObjectName(QStringLiteral("AdodcSupplier"));
    AdodcManufacturer->setObjectName(QStringLiteral("AdodcManufacturer"));
    AdodcCategory->setObjectName(QStringLiteral("AdodcCategory"));
    // The lists the combos choose from are never written through.
    for (DataControl* rowSource : {AdodcSupplier, AdodcManufacturer, AdodcCategory})
        rowSource->setReadOnly(true);

    frMaterialRecord =
        place<QGroupBox>(screen, QStringLiteral("frMaterialRecord"), 12, 26, kFrameWidth, 196);
    frMaterialRecord->setTitle(tr("Material record"));
    QWidget* r = frMaterialRecord;
    caption(r, QStringLiteral("lblSupplier"), tr("Supplier:"), 8, 26, 92);
    cbSupplier =
        combo(r, QStringLiteral("cbSupplier"), tr("Add / Edit Suppliers"), 106, 26, kComboWidth);
    caption(r, QStringLiteral("lblManufacturer"), tr("Manufacturer:"), 8, 56, 92);
    cbManufacturer = combo(r, QStringLiteral("cbManufacturer"), tr("Add / Edit Manufacturers"), 106,
                           56, kComboWidth);
    caption(r, QStringLiteral("lblCategory"), tr("Category:"), 8, 86, 92);
    cbCategory =
        combo(r, QStringLiteral("cbCategory"), tr("Add / Edit Categories"), 106, 86, kComboWidth);
    m_lblPartNumber =
        caption(r, QStringLiteral("lblPartNumber"), tr("Part #:"), kRightCaptionLeft, 26, 74);
    txtPartNumber = textBox(r, QStringLiteral("txtPartNumber"), tr("Add / Edit Part Number"),
                            kRightBoxLeft, 26, kPartNumberWidth);
    m_lblUnitCost =
        caption(r, QStringLiteral("lblUnitCost"), tr("Unit cost:"), kRightCaptionLeft, 56, 74);
    txtUnitCost =
        textBox(r, QStringLiteral("txtUnitCost"), tr("Cost of Material"), kRightBoxLeft, 56, 110);
    txtUnitCost->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption(r, QStringLiteral("lblMaterialsDescription"), tr("Description:"), 8, 116, 92);
    txtMaterialsDescription = textBox(r, QStringLiteral("txtMaterialsDescription"),
                                      tr("Add / Edit Description"), 106, 116, 426);
    txtPartNumber->setMaxLength(50);
    // A material is saved only with all six.
    for (const auto& [label, field] : {std::pair<const char*, QWidget*>{"lblSupplier", cbSupplier},
                                       {"lblManufacturer", cbManufacturer},
                                       {"lblCategory", cbCategory},
                                       {"lblPartNumber", txtPartNumber},
                                       {"lblUnitCost", txtUnitCost},
                                       {"lblMaterialsDescription", txtMaterialsDescription}})
        markRequired(r->findChild<QLabel*>(QLatin1String(label)), field);

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

    connect(cmdMaterialsAddNewRecord, &QPushButton::clicked, this,
            &MaterialRecordPanel::cmdMaterialsAddNewRecord_Click);
    connect(cmdMaterialsEditRecord, &QPushButton::clicked, this,
            &MaterialRecordPanel::cmdMaterialsEditRecord_Click);
    connect(cmdMaterialsSaveCurrentRecord, &QPushButton::clicked, this,
            &MaterialRecordPanel::cmdMaterialsSaveCurrentRecord_Click);
    connect(cmdUndoChanges, &QPushButton::clicked, this,
            &MaterialRecordPanel::cmdUndoChanges_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &MaterialRecordPanel::cmdDelete_Click);
    for (QComboBox* box : {cbSupplier, cbManufacturer, cbCategory}) {
        // A long name shows cut at its end (whole in the tool tip) only when the box is too
        // narrow for it.
        Controls::elideLongNames(box);
        connect(box, &QComboBox::activated, this, [this, box] { m_leave.forget(box); });
        connect(box->lineEdit(), &QLineEdit::textEdited, this,
                [this, box] { m_leave.forget(box); });
    }
    for (QLineEdit* box : {txtPartNumber, txtUnitCost, txtMaterialsDescription})
        connect(box, &QLineEdit::textEdited, this, [this, box] { m_leave.forget(box); });
    for (QWidget* field : recordFields())
        field->installEventFilter(this);
    frMaterialRecord->installEventFilter(this);

    connect(dcMaterials, &DataControl::moveComplete, this, [this] { updateDeleteButton(); });
    setButtons(Browse);
}

void MaterialRecordPanel::SetupMaterialsControls() {
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

MaterialLookups MaterialRecordPanel::lookups() const {
    return {{AdodcSupplier, kSupplierName, kSupplierKey},
            {AdodcManufacturer, kManufacturerName, kManufacturerKey},
            {AdodcCategory, kCategoryName, kCategoryKey}};
}

void MaterialRecordPanel::setupLookupCombo(QComboBox* record, DataControl* rowSource,
                                           const QString& sql, const QString& listField,
                                           const QString& key, ComboBinding** recordBinding,
                                           const QString& procedure) {
    rowSource->setConnectionString(gConnectionString);
    rowSource->setRecordSource(sql);
    if (!*recordBinding) {
        *recordBinding = new ComboBinding(record, rowSource, listField, key);
        (*recordBinding)->setDataSource(dcMaterials, key);
    }
    if (!rowSource->refresh())
        ShowDatabaseError(rowSource->connection(), rowSource->lastError(),
                          QStringLiteral("frmMain / ") + procedure);
}

void MaterialRecordPanel::SetupSupplierCombo() {
    setupLookupCombo(
        cbSupplier, AdodcSupplier,
        QStringLiteral("Select SuppliersID, Company from SuppliersTBL Order By Company"),
        kSupplierName, kSupplierKey, &m_supplier, QStringLiteral("SetupSupplierCombo"));
}

void MaterialRecordPanel::SetupManufacturerCombo() {
    setupLookupCombo(cbManufacturer, AdodcManufacturer,
                     QStringLiteral("Select ManufacturerID, ManufacturerName from "
                                    "ManufacturersTBL Order By ManufacturerName"),
                     kManufacturerName, kManufacturerKey, &m_manufacturer,
                     QStringLiteral("SetupManufacturerCombo"));
}

void MaterialRecordPanel::SetupCategoryCombo() {
    setupLookupCombo(
        cbCategory, AdodcCategory,
        QStringLiteral("Select CatagoryID, Catagory from CatagoryTBL Order By Catagory"),
        kCategoryName, kCategoryKey, &m_category, QStringLiteral("SetupCategoryCombo"));
}

void MaterialRecordPanel::SetupPartNumber() {
    if (!m_partNumber)
        m_partNumber = new TextBinding(txtPartNumber, dcMaterials, QStringLiteral("Part #"));
}

void MaterialRecordPanel::SetupMaterialsDescription() {
    if (!m_description)
        m_description =
            new TextBinding(txtMaterialsDescription, dcMaterials, QStringLiteral("Description"));
}

void MaterialRecordPanel::SetupUnitCost() {
    if (!m_unitCost)
        m_unitCost = new TextBinding(txtUnitCost, dcMaterials, QStringLiteral("Unit Cost"),
                                     DisplayFormat::Money);
}

QList<QWidget*> MaterialRecordPanel::recordFields() const {
    return {cbSupplier,    cbManufacturer,          cbCategory,
            txtPartNumber, txtMaterialsDescription, txtUnitCost};
}

void MaterialRecordPanel::SetLockMaterialEdit(bool LockStatus) {
    for (QWidget* field : recordFields())
        Controls::setLocked(field, LockStatus);
}

void MaterialRecordPanel::setButtons(EditState state) {
    const bool browsing = state == Browse;
    cmdUndoChanges->setEnabled(!browsing);
    cmdMaterialsEditRecord->setEnabled(browsing);
    cmdMaterialsAddNewRecord->setEnabled(browsing);
    cmdMaterialsSaveCurrentRecord->setEnabled(!browsing);
    updateDeleteButton();
    emit editingChanged(!browsing);
}

void MaterialRecordPanel::setHasRecords(bool) {
    // Delete and Edit follow the current material, which a loaded list has exactly when it
    // holds any.
    setButtons(m_editState);
}

void MaterialRecordPanel::updateDeleteButton() {
    // A material is current once it is stored, whether the list was loaded with it or it was
    // saved since (the first one on an empty catalogue, say).
    RecordSet* records = dcMaterials->recordSet();
    const bool onRecord = records && records->isOpen() && !records->isBOF() && !records->isEOF() &&
                          records->editMode() != RecordSet::EditAdd;
    cmdDelete->setEnabled(onRecord && m_editState != Adding);
    cmdMaterialsEditRecord->setEnabled(onRecord && m_editState == Browse);
}

void MaterialRecordPanel::returnToBrowse() {
    // Browsing first: the field the list takes the focus from is not being left for another
    // one, so it is not checked (a save has checked every field already, undo and delete need
    // none).
    m_editState = Browse;
    m_leave.forgetAll();
    emit aboutToBrowse();
    SetLockMaterialEdit(true);
    setButtons(Browse);
}

void MaterialRecordPanel::cmdMaterialsAddNewRecord_Click() {
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
    // The focus moves while the panel still browses: a field it leaves (an empty one reached
    // by Alt+N, say) was never being edited and is not checked.
    cbSupplier->setFocus();
    SetLockMaterialEdit(false);
    m_editState = Adding;
    setButtons(Adding);
}

void MaterialRecordPanel::cmdMaterialsEditRecord_Click() {
    cbSupplier->setFocus();
    SetLockMaterialEdit(false);
    m_editState = Editing;
    setButtons(Editing);
}

bool MaterialRecordPanel::mayLeaveRecord() {
    return m_editState == Browse || checkAllFields();
}

void MaterialRecordPanel::cmdMaterialsSaveCurrentRecord_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (!records || m_editState == Browse)
        return;
    // A field the click took the focus from was checked then; a refusal is not said twice.
    if (!checkAllFields())
        return;
    if (!records->move(0)) {
        reportSaveFailure(records->lastError());
        return;
    }
    returnToBrowse();
    emit recordSettled();
    emit recordSaved();
}

bool MaterialRecordPanel::finishEditing() {
    RecordSet* records = dcMaterials->recordSet();
    if (m_editState == Browse || !records || !records->hasPendingChanges())
        return true;
    switch (showMessage(tr("The material you are editing has changes that are not saved. Do you "
                           "want to save them?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Question, kTitle)) {
    case QMessageBox::Yes:
        cmdMaterialsSaveCurrentRecord_Click();
        return m_editState == Browse;
    case QMessageBox::No:
        cmdUndoChanges_Click();
        return true;
    default:
        return false;
    }
}

void MaterialRecordPanel::reportSaveFailure(const DbError& error) {
    // The record keeps what was typed and the panel stays open, so nothing is lost: the user can
    // correct the entry and save again, or undo.
    if (RecordSet* records = dcMaterials->recordSet()) {
        const ConflictAnswer answer = settleConflict(*records, error, kSaveTitle);
        if (answer == ConflictAnswer::Reload)
            cmdUndoChanges_Click();
        if (answer != ConflictAnswer::None)
            return;
    }
    Connection* connection = dcMaterials->connection();
    const QString product = QCoreApplication::applicationName();
    if (connection && !connection->errors().isEmpty()) {
        const ProviderError first = connection->errors().first();
        if (first.nativeError == ErrorNumber::kRequiredValueMissing)
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

void MaterialRecordPanel::cmdUndoChanges_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (records && !records->cancelUpdate()) {
        const DbError& e = records->lastError();
        showProcedureError(e, QStringLiteral("Edit Undo"));
    }
    reloadFields();
    returnToBrowse();
    emit recordSettled();
}

void MaterialRecordPanel::reloadFields() {
    // Every field shows the record again, also what was typed without becoming a value of the
    // record (a name on no list, text that is no amount).
    if (m_partNumber)
        for (TextBinding* binding : {m_partNumber, m_description, m_unitCost})
            binding->reload();
    if (m_supplier)
        for (ComboBinding* binding : {m_supplier, m_manufacturer, m_category})
            binding->reload();
}

void MaterialRecordPanel::cmdDelete_Click() {
    RecordSet* records = dcMaterials->recordSet();
    if (!records || records->isBOF() || records->isEOF() ||
        records->editMode() == RecordSet::EditAdd)
        return;
    const EditState before = m_editState;
    const bool wasEditing = before == Editing;
    // A material being deleted is not left incomplete: the list follows it going without
    // asking for the fields' checks.
    m_editState = Browse;
    if (!records->deleteCurrent()) {
        m_editState = before;
        const DbError error = records->lastError();
        if (error.number == ErrorNumber::kReferencedRow)
            showMessage(tr("This record couldn't be deleted because it is already used in one or "
                           "several estimates"),
                        QMessageBox::Ok, QMessageBox::NoIcon);
        else if (settleConflict(*records, error, kTitle) != ConflictAnswer::None)
            reloadFields();
        else
            ShowDatabaseError(dcMaterials->connection(), error,
                              QStringLiteral("frmMain / cmdMaterialsDelete_Click"));
        // What was being edited is still there to be saved or undone.
        if (!wasEditing)
            returnToBrowse();
        return;
    }
    // The material that followed the deleted one becomes current; after the last one, none.
    records->moveNext();
    returnToBrowse();
    emit recordSettled();
}

ComboBinding* MaterialRecordPanel::bindingOf(const QWidget* field) const {
    if (field == cbSupplier)
        return m_supplier;
    if (field == cbManufacturer)
        return m_manufacturer;
    if (field == cbCategory)
        return m_category;
    return nullptr;
}

bool MaterialRecordPanel::checkField(QWidget* field) {
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
        if (!isNumericText(text)) {
            showMessage(tr("Unit Cost requires a valid numeric entry"), QMessageBox::Ok,
                        QMessageBox::NoIcon, kTitle);
            return false;
        }
        if (!parseCurrency(text)) {
            showMessage(
                tr("Unit Cost must lie between -%1 and %1").arg(QLatin1String(Money::kLargestText)),
                QMessageBox::Ok, QMessageBox::NoIcon, kTitle);
            return false;
        }
        return true;
    }
    if (field == txtMaterialsDescription &&
        txtMaterialsDescription->text().size() > kDescriptionLength) {
        const QString cut = cutToLength(txtMaterialsDescription->text(), kDescriptionLength);
        txtMaterialsDescription->setText(cut);
        if (RecordSet* records = dcMaterials->recordSet())
            records->setValue(QStringLiteral("Description"), cut);
    }
    return true;
}

bool MaterialRecordPanel::checkLeftField(QWidget* field) {
    return m_leave.checkLeft(field);
}

bool MaterialRecordPanel::checkAllFields() {
    for (QWidget* field : {static_cast<QWidget*>(cbSupplier), static_cast<QWidget*>(cbManufacturer),
                           static_cast<QWidget*>(cbCategory), static_cast<QWidget*>(txtUnitCost),
                           static_cast<QWidget*>(txtMaterialsDescription)})
        if (!checkLeftField(field))
            return false;
    return true;
}

bool MaterialRecordPanel::askToAddToList(QComboBox* combo) {
    if (combo == cbCategory)
        return addTypedNameToList(LookupKind::Category, m_category, AdodcCategory);
    if (combo == cbManufacturer)
        return addTypedNameToList(LookupKind::Manufacturer, m_manufacturer, AdodcManufacturer);
    return addTypedNameToList(LookupKind::Supplier, m_supplier, AdodcSupplier);
}

LayoutRows MaterialRecordPanel::layoutRows() const {
    return {{frMaterialRecord, 0, 0, 1, 0}, {txtMaterialsDescription, 0, 0, 1, 0}};
}

QList<QWidget*> MaterialRecordPanel::tabOrder() const {
    return {cbSupplier,
            cbManufacturer,
            cbCategory,
            txtPartNumber,
            txtUnitCost,
            txtMaterialsDescription,
            cmdMaterialsAddNewRecord,
            cmdMaterialsEditRecord,
            cmdDelete,
            cmdUndoChanges,
            cmdMaterialsSaveCurrentRecord};
}

QWidget* MaterialRecordPanel::fieldOf(QObject* object) const {
    for (QWidget* field : recordFields())
        if (object == field)
            return field;
    return nullptr;
}

bool MaterialRecordPanel::isLeaving(QWidget* field, Qt::FocusReason reason) const {
    // Another window taking over, or the screen being hidden, leaves nothing.
    if (!field->isVisible() || reason == Qt::PopupFocusReason ||
        reason == Qt::ActiveWindowFocusReason)
        return false;
    QWidget* next = QApplication::focusWidget();
    if (!next)
        return false;
    // The field's own parts: its box, and its drop-down list with the list's scroll bar, which
    // live in a window of their own (whatever reason the list takes the focus with).
    for (const QWidget* part = next; part; part = part->parentWidget())
        if (part == field)
            return false;
    // A command that abandons the record, pressed, needs no complete field; walking onto it with
    // Tab leaves the field as any other step does.
    const bool pressed = reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason;
    return !pressed ||
           (next != cmdUndoChanges && next != cmdDelete && next != cmdMaterialsAddNewRecord);
}

void MaterialRecordPanel::fitFieldsToFrame() {
    // Half of what the frame has gained widens the combos; the part number and unit cost move
    // over by as much, and the part number box takes the other half, as the description does.
    using Twips::px;
    const double half =
        std::max(0.0, Twips::geometry(frMaterialRecord).width() - px(kFrameWidth)) / 2;
    for (QComboBox* box : {cbSupplier, cbManufacturer, cbCategory})
        Twips::setWidth(box, px(kComboWidth) + half);
    for (QWidget* control :
         {static_cast<QWidget*>(m_lblPartNumber), static_cast<QWidget*>(m_lblUnitCost),
          static_cast<QWidget*>(txtPartNumber), static_cast<QWidget*>(txtUnitCost)}) {
        QRectF g = Twips::geometry(control);
        g.moveLeft(px(control == m_lblPartNumber || control == m_lblUnitCost ? kRightCaptionLeft
                                                                             : kRightBoxLeft) +
                   half);
        if (control == txtPartNumber)
            g.setWidth(px(kPartNumberWidth) + half);
        Twips::setGeometry(control, g);
    }
}

bool MaterialRecordPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frMaterialRecord && event->type() == QEvent::Resize) {
        fitFieldsToFrame();
        return QObject::eventFilter(watched, event);
    }
    if (event->type() != QEvent::FocusOut || m_leave.isChecking() || m_editState == Browse)
        return QObject::eventFilter(watched, event);
    QWidget* field = fieldOf(watched);
    if (field && isLeaving(field, static_cast<QFocusEvent*>(event)->reason()))
        checkLeftField(field);
    return QObject::eventFilter(watched, event);
}
