#pragma once

#include "widgets/leavecheck.h"

#include "data/dberror.h"
#include "materials/materiallookups.h"
#include "widgets/layoutrow.h"

#include <QList>
#include <QObject>
#include <QPointer>

class ComboBinding;
class DataControl;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TextBinding;

// The record panel of the Materials screen (frMaterialRecord): the current material of
// dcMaterials in six bound fields, their checks, and the buttons that add, edit, save, undo and
// delete it. Its frame is built on the screen's frame, where the window's layout finds it.
class MaterialRecordPanel : public QObject {
    Q_OBJECT
public:
    // What the panel is doing.
    enum EditState { Browse = 0, Editing = 1, Adding = 2 };

    MaterialRecordPanel(QWidget* screen, DataControl* materials);

    // Sets up the lookup lists and binds the fields to the current material.
    void SetupMaterialsControls();
    void SetLockMaterialEdit(bool LockStatus);
    EditState editState() const { return m_editState; }
    // Writes the material being edited or added, after its checks (the Save button).
    void cmdMaterialsSaveCurrentRecord_Click();
    // When a material has unsaved changes, asks whether to save them. False when the user
    // cancels or the save fails.
    bool finishEditing();
    // Whether the record set may move off the current material: a material being edited must
    // pass its checks first (a failed check has already said what is missing).
    bool mayLeaveRecord();
    // The list was loaded again: the buttons follow its current material.
    void setHasRecords(bool hasRecords);
    MaterialLookups lookups() const;
    // The panel's controls in tab order.
    QList<QWidget*> tabOrder() const;
    // The panel and its description widen with the window.
    LayoutRows layoutRows() const;

    DataControl* AdodcSupplier;
    DataControl* AdodcManufacturer;
    DataControl* AdodcCategory;

    QGroupBox* frMaterialRecord;
    QComboBox* cbSupplier;
    QComboBox* cbManufacturer;
    QComboBox* cbCategory;
    QLineEdit* txtPartNumber;
    QLineEdit* txtUnitCost;
    QLineEdit* txtMaterialsDescription;
    QPushButton* cmdMaterialsAddNewRecord;
    QPushButton* cmdMaterialsEditRecord;
    QPushButton* cmdDelete;
    QPushButton* cmdUndoChanges;
    QPushButton* cmdMaterialsSaveCurrentRecord;

signals:
    // A material is being edited or added (saving makes sense), or only browsed.
    void editingChanged(bool editing);
    // The panel is about to go back to browsing: the list takes the focus. The field being left
    // is still checked as any field the user leaves.
    void aboutToBrowse();
    // A material was saved, undone or deleted: the list shows the current one.
    void recordSettled();
    // A material was saved.
    void recordSaved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetupSupplierCombo();
    void SetupManufacturerCombo();
    void SetupCategoryCombo();
    void setupLookupCombo(QComboBox* record, DataControl* rowSource, const QString& sql,
                          const QString& listField, const QString& key,
                          ComboBinding** recordBinding, const QString& procedure);
    void SetupPartNumber();
    void SetupMaterialsDescription();
    void SetupUnitCost();
    void cmdMaterialsAddNewRecord_Click();
    void cmdMaterialsEditRecord_Click();
    void cmdUndoChanges_Click();
    void cmdDelete_Click();
    void reloadFields();
    void returnToBrowse();
    void setButtons(EditState state);
    void updateDeleteButton();
    void reportSaveFailure(const DbError& error);

    // Field checks: run when the user leaves a field, and on every field before a save.
    bool checkField(QWidget* field);
    // Checks a field being left; a refused field keeps the focus. A field refused before and
    // untouched since is refused again without saying so twice.
    bool checkLeftField(QWidget* field);
    bool checkAllFields();
    // Whether the focus, moving off field for this reason, leaves it: opening the field's own
    // list, another window taking over, or a command that abandons the record does not.
    bool isLeaving(QWidget* field, Qt::FocusReason reason) const;
    bool askToAddToList(QComboBox* combo);
    ComboBinding* bindingOf(const QWidget* field) const;
    // The six bound fields, in reading order.
    QList<QWidget*> recordFields() const;
    QWidget* fieldOf(QObject* object) const;
    // The fields' columns share the width the frame gains over its design, so long names fit
    // once the window gives them room.
    void fitFieldsToFrame();

    DataControl* dcMaterials;
    QLabel* m_lblPartNumber;
    QLabel* m_lblUnitCost;
    ComboBinding* m_supplier = nullptr;
    ComboBinding* m_manufacturer = nullptr;
    ComboBinding* m_category = nullptr;
    TextBinding* m_partNumber = nullptr;
    TextBinding* m_description = nullptr;
    TextBinding* m_unitCost = nullptr;

    EditState m_editState = Browse;
    LeaveCheck m_leave{[this](QWidget* field) { return checkField(field); }};
};
