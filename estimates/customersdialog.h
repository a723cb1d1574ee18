#pragma once

#include <QDialog>

class DataControl;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class RecordSetModel;
struct CustomerRecord;

// Tools > Customers...: the customers in a list that a search box narrows as the user types,
// and the chosen customer's record beside it. Add and Edit open the record for typing, Save
// writes it (a name is required and unique regardless of case), Cancel drops the typing;
// Delete removes a customer no estimate names.
class CustomersDialog : public QDialog {
    Q_OBJECT
public:
    // Opens on the customer with key customerId, when there is one.
    explicit CustomersDialog(QWidget* parent = nullptr, int customerId = 0);

    // The key of the customer the list has chosen; 0 for none.
    int selectedCustomerId() const;
    bool isEditing() const { return m_editingId >= 0; }

    QLineEdit* txtSearch;
    QTableView* grdCustomers;
    QPushButton* cmdAdd;
    QPushButton* cmdEdit;
    QPushButton* cmdDelete;
    QGroupBox* frCustomerRecord;
    QLineEdit* txtName;
    QLineEdit* txtContact;
    QLineEdit* txtAddress;
    QLineEdit* txtCity;
    QLineEdit* txtPhone;
    QLineEdit* txtEmail;
    QPlainTextEdit* txtNotes;
    QPushButton* cmdSave;
    QPushButton* cmdCancel;
    QPushButton* cmdClose;

public slots:
    // Esc drops the record's typing first (asking when there is some), then closes.
    void reject() override;

private:
    void reload(int selectId);
    void selectCustomer(int id);
    void showSelected();
    void showRecord(const CustomerRecord& customer);
    CustomerRecord typedRecord() const;
    void startEditing(bool adding);
    bool saveRecord();
    void stopEditing();
    bool hasTyping() const;
    // Asks what to do with the typing before the record is left; false keeps editing.
    bool leaveRecord();
    void deleteSelected();
    void cmdClose_Click();
    bool refuse(const QString& message, QWidget* field);

    DataControl* m_list;
    RecordSetModel* m_model;
    QSortFilterProxyModel* m_filter;
    int m_editingId = -1; // -1 while not editing, 0 while adding
    QString m_shownText;  // the record's fields as shown before the typing
};
