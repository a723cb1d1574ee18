#pragma once

#include "data/dberror.h"
#include "data/recordset.h"
#include "widgets/screen.h"

#include <QGroupBox>
#include <QPointer>
#include <QVariant>

class ComboBinding;
class DataControl;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordSetModel;
class TextBinding;

// The Materials screen: the catalogue list with its filters, and the record panel in which the
// current material is added, edited, saved, undone and deleted. The list and the panel share one
// record set, so they always hold the same materials in the same order.
class MaterialsFrame : public QGroupBox, public ScreenInterface {
    Q_OBJECT
public:
    // What the record panel is doing.
    enum EditState { Browse = 0, Editing = 1, Adding = 2 };

    explicit MaterialsFrame(QWidget* parent = nullptr);

    // Lists the whole catalogue, with the filters empty and the record panel locked.
    void reload() override;
    // Asks about a material with unsaved changes (finishEditing).
    bool canLeave() override { return finishEditing(); }
    // While a material is being edited or added.
    bool canSave() const override { return m_editState != Browse; }
    bool save() override;
    void applyColumnFractions() override { fitListColumns(); }

    // The list (materialslist.cpp).
    RecordSet* CreateMaterialsRecordset();
    void SetupMaterialsDataControl();
    void SetupMaterialsListGrid();
    // The 1-based list row of the material with this key, or 0.
    int FindMaterialsGridRow(const QVariant& id) const;
    // Empties one filter, or all three when none is given, without reloading the list.
    void ClearFilterCombo(QComboBox* cbCurrent = nullptr);
    // The query text for the current filters and the values bound to it.
    QString materialsQuery(QVariantList* values) const;

    // The record panel (materialrecord.cpp).
    void SetupMaterialsControls();
    void SetLockMaterialEdit(bool LockStatus);
    EditState editState() const { return m_editState; }
    // Before the program closes: when a material has unsaved changes, asks whether to save
    // them. False when the user cancels or the save fails, so the program stays open.
    bool finishEditing();
    bool hasRecords() const { return m_hasRecords; }

    DataControl* dcMaterials;
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

    QGroupBox* frMaterialsFilter;
    QComboBox* cbManufacturerFilter;
    QComboBox* cbSupplierFilter;
    QComboBox* cbCategoryFilter;
    QPushButton* cbMaterialsFilterViewAll;

    QTableView* grdMaterialsList;

signals:
    // Whether saving the record makes sense now; the Edit menu's save item follows it.
    void saveEnabledChanged(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindList();
    void connectRecordPanel();

    // The list.
    void filterChanged(QComboBox* filter, QString* lastApplied);
    void cbMaterialsFilterViewAll_Click();
    void grdMaterialsList_RowColChange();
    void showCurrentInList();
    void fitListColumns();

    // The record panel.
    void SetupSupplierCombo();
    void SetupManufacturerCombo();
    void SetupCategoryCombo();
    void setupLookupCombo(QComboBox* record, QComboBox* filter, DataControl* rowSource,
                          const QString& sql, const QString& listField, const QString& key,
                          ComboBinding** recordBinding, ComboBinding** filterBinding,
                          const QString& procedure);
    void SetupPartNumber();
    void SetupMaterialsDescription();
    void SetupUnitCost();
    void cmdMaterialsAddNewRecord_Click();
    void cmdMaterialsEditRecord_Click();
    void cmdMaterialsSaveCurrentRecord_Click();
    void cmdUndoChanges_Click();
    void cmdDelete_Click();
    void returnToBrowse();
    void setButtons(EditState state);
    void updateDeleteButton();
    void reportSaveFailure(const DbError& error);

    // Field checks: run when the user leaves a field, and on every field before a save.
    bool checkField(QWidget* field);
    bool checkAllFields();
    bool askToAddToList(QComboBox* combo);
    ComboBinding* bindingOf(const QWidget* field) const;
    // The six bound fields of the record panel, in reading order.
    QList<QWidget*> recordFields() const;
    QWidget* fieldOf(QObject* object) const;
    void takeFocusBack(QWidget* field);

    // Bookkeeping of a saved record.
    void dcMaterials_WillChangeRecord(RecordSet::Reason reason, RecordSet* recordSet);
    void dcMaterials_RecordChangeComplete(RecordSet::Reason reason, RecordSet* recordSet);

    RecordSetModel* m_listModel = nullptr;
    ComboBinding* m_supplier = nullptr;
    ComboBinding* m_manufacturer = nullptr;
    ComboBinding* m_category = nullptr;
    ComboBinding* m_supplierFilter = nullptr;
    ComboBinding* m_manufacturerFilter = nullptr;
    ComboBinding* m_categoryFilter = nullptr;
    TextBinding* m_partNumber = nullptr;
    TextBinding* m_description = nullptr;
    TextBinding* m_unitCost = nullptr;

    EditState m_editState = Browse;
    bool m_hasRecords = false;
    bool m_clearingFilters = false;
    bool m_checking = false;
    // The last check of a field failed and its message was shown: the click that took the focus
    // away must not act on the incomplete record.
    bool m_checkFailed = false;
};
