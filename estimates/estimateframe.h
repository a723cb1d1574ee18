#pragma once

#include "widgets/screen.h"

#include <QGroupBox>
#include <QStringList>

class DataNavigator;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Estimate screen: the estimate's header and totals, its material lines and labor lines.
class EstimateFrame : public QGroupBox, public ScreenInterface {
    Q_OBJECT
public:
    explicit EstimateFrame(QWidget* parent = nullptr);

    void reload() override {}
    // Shown: the lines open up only once the estimate has a reference number.
    void activate() override;
    bool canSave() const override { return m_hasReference; }
    // The header is not bound to its record yet: nothing is written.
    bool save() override { return false; }
    void applyColumnFractions() override;

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

    // The header's required controls; only the first, the reference number, decides whether
    // lines may be entered.
    static const QStringList mEstimateFields;

signals:
    // Saving follows the reference number: the estimate is saved only once it has one.
    void saveEnabledChanged(bool enabled);

private:
    void applyLineEntryRule();

    bool m_hasReference = false;
};
