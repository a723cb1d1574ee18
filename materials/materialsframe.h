#pragma once

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Materials screen: the record panel, the list's filters, and the catalogue list.
class MaterialsFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit MaterialsFrame(QWidget* parent = nullptr);

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
};
