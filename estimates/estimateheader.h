#pragma once

#include "widgets/layoutrow.h"
#include "widgets/leavecheck.h"

#include "data/dberror.h"

#include <QObject>
#include <QStringList>

class ComboBinding;
class DataControl;
class DataNavigator;
class EstimateBook;
class EstimateJobFields;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TextBinding;

// The header of the Estimate screen: the fields bound to the current estimate (reference number,
// estimator, status, tax rate, shipping, and the customer, job, dates and terms of
// EstimateJobFields), their checks as the user leaves them, Save, and the record bar that moves
// through the estimates. The controls are built on the screen's frame,
// where the window's layout finds them.
class EstimateHeader : public QObject {
    Q_OBJECT
public:
    EstimateHeader(QWidget* screen, EstimateBook* book);

    // Binds the fields to the estimates and fills the estimator and status lists.
    void SetupEstimatesControls();
    void SetupEstimatorCombo();
    void SetupQuoteStatusCombo();

    // Whether the estimate has a reference number, which lines and saving need.
    bool hasReference() const;
    // Writes the estimate's pending changes; false, with the reason shown, when the database
    // refused them or a field holds a wrong value. What was typed stays.
    bool cmdEstimateSaveCurrentRecord_Click();
    // A new estimate: no tax, no shipping, and the focus waiting for its reference number.
    void prepareNewEstimate();
    // Checks the field that has the focus, as leaving it would; false keeps the user there.
    bool checkFocusedField();
    // The header's controls in tab order.
    QList<QWidget*> tabOrder() const;
    // The record bar and Save keep to the bottom, the tax rate and shipping to the right edge,
    // and the job's fields follow their own rows.
    LayoutRows layoutRows() const;

    EstimateJobFields* job = nullptr;
    DataControl* const AdodcEstimator;
    DataControl* const AdodcQuoteStatus;
    QLineEdit* txtQuoteNumber;
    QComboBox* cbEstimator;
    QComboBox* cbQuoteStatus;
    QLabel* lblTaxRate;
    QLineEdit* txtTaxRate;
    QLabel* lblShippning;
    QLineEdit* txtShippning;
    QPushButton* cmdEstimateSaveCurrentRecord;
    DataNavigator* dcEstimates;

    // The header's required controls; only the first, the reference number, decides whether
    // lines may be entered.
    static const QStringList mEstimateFields;

signals:
    // The reference number may have been given or cleared: the line-entry rule applies again.
    void lineEntryRuleChanged();
    // The tax rate or shipping text changed: the totals follow.
    void taxOrShippingChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool txtQuoteNumber_Validate();
    bool txtShippning_Validate();
    bool txtTaxRate_Validate();
    void cbQuoteStatus_Validate();
    bool cbEstimator_LostFocus();
    bool checkField(QWidget* field);
    bool checkLeftField(QWidget* field);
    void showTypeMessage(const QString& column, const QString& typeName);
    void reportSaveFailure(const DbError& error);

    EstimateBook* m_book;
    TextBinding* m_quoteNumber = nullptr;
    TextBinding* m_taxRate = nullptr;
    TextBinding* m_shipping = nullptr;
    ComboBinding* m_estimator = nullptr;
    ComboBinding* m_status = nullptr;
    bool m_saving = false;
    LeaveCheck m_leave{[this](QWidget* field) { return checkField(field); }};
};
