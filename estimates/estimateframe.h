#pragma once

#include "widgets/screen.h"

#include <QGroupBox>

class DataNavigator;
class EstimateBook;
class EstimateHeader;
class EstimateLines;
class EstimateTotalsPanel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The Estimate screen: the current estimate's header (EstimateHeader), its material and labor
// lines (EstimateLines) and its totals (EstimateTotalsPanel). The estimate shown is the current
// record of the estimates that Home and this screen share (EstimateBook); whenever that record
// changes, the lines and totals of the new one are loaded.
class EstimateFrame : public QGroupBox, public ScreenInterface {
    Q_OBJECT
public:
    EstimateFrame(QWidget* parent, EstimateBook* book);

    // Removes the estimates stored without a reference number, opens the others on the first,
    // and fills the header's lists.
    void reload() override;
    // The same in two steps, so that the program's window shows before the estimates are read:
    // the removal now, which the Home list waits for; the rest at finishReload(), or at once when
    // the screen is shown or Home first opens or starts an estimate.
    void reloadLater();
    void finishReload();
    // Shown: the estimate chosen on Home is opened, unless a new one was just started.
    void activate() override;
    // Leaving the screen saves an estimate that has a reference number; one without cannot be
    // saved, so its changes are dropped if the user agrees.
    bool deactivate() override;
    bool canLeave() override;
    bool canSave() const override;
    bool save() override;
    LayoutRows layoutRows() const override;
    void applyColumnFractions() override;
    // The current estimate copied, the copy then shown (estimateframecommands.cpp).
    bool canDuplicate() const override;
    void duplicate() override;
    // The material lines take the catalogue's unit costs, once the user agrees; a summary
    // follows.
    bool canUpdateCosts() const override;
    void updateCosts() override;

    // The record moved: loads the current estimate's lines and totals.
    void dcEstimates_MoveComplete();
    // Lines can be entered, and the estimate saved, only once it has a reference number.
    void ApplyLineEntryRule();

    EstimateBook* const book;
    EstimateHeader* const header;
    EstimateLines* const lines;
    EstimateTotalsPanel* const totals;

    // The parts' controls, under the screen's names.
    QLineEdit* const txtQuoteNumber;
    QComboBox* const cbEstimator;
    QComboBox* const cbQuoteStatus;
    QLineEdit* const txtTaxRate;
    QLineEdit* const txtShippning;
    QPushButton* const cmdEstimateSaveCurrentRecord;
    DataNavigator* const dcEstimates;
    QTableView* const grdMaterialEstimate;
    QPushButton* const btnMaterialEstimate;
    // Update Costs From Catalogue, beside Add Materials.
    QPushButton* const cmdUpdateCosts;
    QTableView* const grdLaborEstimate;
    QLineEdit* const txtSubtotal;
    QLineEdit* const txtTax;
    QLineEdit* const txtTotalEstimate;
    QLineEdit* const txtTotalMaterialCost;
    QLineEdit* const txtTotalMaterialMargin;
    QLineEdit* const txtTotalMaterailExtension;
    QLineEdit* const txtTotalLabourExtension;

signals:
    // Saving follows the reference number: the estimate is saved only once it has one.
    void saveEnabledChanged(bool enabled);
    // The estimate was saved (by Save, Edit > Save Record, or on the way to another screen).
    void recordSaved();

private:
    void enableUpdateCosts(bool enabled);
    // Writes what is typed on the estimate before it is copied or its lines are updated; false
    // when the write was refused (and reported).
    bool writeTyping();

    bool m_moveConnected = false;
    bool m_reloadPending = false;
};
