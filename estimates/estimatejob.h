#pragma once

#include "widgets/layoutrow.h"

#include <QObject>

class ComboBinding;
class DataControl;
class DateBinding;
class PlainTextBinding;
class EstimateBook;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The part of the Estimate screen's header that says whom the quote is for and how long it
// holds: the customer (chosen from the customers, or added in one step by typing a new name),
// the job and its site, the estimate's date, its validity and its terms. The header runs the
// checks as the user leaves these fields (see checkField).
class EstimateJobFields : public QObject {
    Q_OBJECT
public:
    // The customer, job and terms widen with the window; the customer's button keeps to the
    // right edge.
    LayoutRows layoutRows() const;
    EstimateJobFields(QWidget* screen, EstimateBook* book);

    // Binds the fields to the estimates and reads the customers.
    void setup();
    void SetupCustomerCombo();
    // Shows the values the record holds (those a new estimate was given, say) again.
    void showRecord();
    // The customer chosen for the estimate shown; 0 for none.
    int currentCustomerId() const;
    // Opens the Customers dialog on the estimate's customer.
    void cmdCustomer_Click();

    // The fields in tab order, and whether field is one of them.
    QList<QWidget*> fields() const;
    bool owns(const QWidget* field) const;
    // The check of a field being left; false (with the reason shown) keeps the user there.
    bool checkField(QWidget* field);
    // The fields whose check must pass before the estimate is written.
    QList<QWidget*> checkedBeforeSave() const;

    DataControl* const AdodcCustomer;
    QComboBox* cbCustomer;
    QPushButton* cmdCustomer;
    QLineEdit* txtJobName;
    QLineEdit* txtJobAddress;
    QDateEdit* dtEstimateDate;
    QDateEdit* dtValidUntil;
    QPlainTextEdit* txtTerms;

private:
    bool hasRecord() const;
    bool cbCustomer_LostFocus();
    bool addCustomer(const QString& name);
    bool checkDates(QWidget* field);
    bool txtTerms_Validate();
    void setCustomerId(const QVariant& id);

    EstimateBook* m_book;
    ComboBinding* m_customer = nullptr;
    DateBinding* m_date = nullptr;
    DateBinding* m_validUntil = nullptr;
    PlainTextBinding* m_terms = nullptr;
};
