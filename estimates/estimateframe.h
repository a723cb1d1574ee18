#pragma once

#include <QGroupBox>

class DataNavigator;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Estimate screen: the estimate's header and totals, its material lines and labor lines.
class EstimateFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit EstimateFrame(QWidget* parent = nullptr);

    QLineEdit* txtQuoteNumber;
    QComboBox* cbEstimator;
    QComboBox* cbQuoteStatus;
    QLineEdit* txtTaxRate;
    QPushButton* cmdEstimateSaveCurrentRecord;

    QLabel* Label2;
    QLineEdit* txtSubtotal;
    QLabel* lblShippning;
    QLineEdit* txtShippning;
    QLabel* Label4;
    QLineEdit* txtTax;
    QLabel* lblTotalEstimate;
    QLineEdit* txtTotalEstimate;

    QTableView* grdMaterialEstimate;
    QPushButton* btnMaterialEstimate;
    QLabel* lblTotalMaterialCost;
    QLineEdit* txtTotalMaterialCost;
    QLabel* lblMargin;
    QLineEdit* txtTotalMaterialMargin;
    QLabel* lblTotalMaterailExtension;
    QLineEdit* txtTotalMaterailExtension;

    QTableView* grdLaborEstimate;
    DataNavigator* dcEstimates;
    QLabel* lblTotalLabourExtension;
    QLineEdit* txtTotalLabourExtension;
};
