#include "estimates/customersdialog.h"

#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "estimates/customerstore.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/recordsetmodel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Customers");
// The list's columns: the key (hidden), then what the search looks through.
enum Column { Key, Name, Contact, City, Phone };

QPushButton* plainButton(QWidget* parent, const QString& name, const QString& text,
                         const QString& toolTip) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(toolTip);
    b->setAutoDefault(false);
    return b;
}
} // namespace

CustomersDialog::CustomersDialog(QWidget* parent, int customerId)
    : QDialog(parent), m_list(new DataControl(this)), m_model(new RecordSetModel(this)),
      m_filter(new QSortFilterProxyModel(this)) {
    setObjectName(QStringLiteral("frmCustomers"));
    setWindowTitle(tr("Customers"));
    setModal(true);

    m_list->setReadOnly(true);
    connect(m_list, &DataControl::recordSetChanged, m_model, &RecordSetModel::setRecordSet);
    m_filter->setSourceModel(m_model);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_filter->setFilterKeyColumn(-1);

    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setPlaceholderText(tr("Name, contact, city or phone"));
    txtSearch->setToolTip(tr("Shows the customers whose name, contact, city or phone holds "
                             "what you type"));
    txtSearch->setClearButtonEnabled(true);
    auto* searchLabel = new QLabel(tr("&Find:"), this);
    searchLabel->setBuddy(txtSearch);

    grdCustomers = new QTableView(this);
    grdCustomers->setObjectName(QStringLiteral("grdCustomers"));
    grdCustomers->setToolTip(tr("Your customers; double-click one to edit it"));
    grdCustomers->setModel(m_filter);
    grdCustomers->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdCustomers->setSelectionMode(QAbstractItemView::SingleSelection);
    grdCustomers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCustomers->setTabKeyNavigation(false);
    grdCustomers->setAlternatingRowColors(true);
    grdCustomers->verticalHeader()->hide();
    grdCustomers->verticalHeader()->setDefaultSectionSize(24);
    grdCustomers->horizontalHeader()->setHighlightSections(false);

    cmdAdd = plainButton(this, QStringLiteral("cmdAdd"), tr("&Add"), tr("Add a customer"));
    cmdEdit =
        plainButton(this, QStringLiteral("cmdEdit"), tr("&Edit"), tr("Change the chosen customer"));
    cmdDelete = plainButton(this, QStringLiteral("cmdDelete"), tr("&Delete"),
                            tr("Delete the chosen customer (one no estimate names)"));

    frCustomerRecord = new QGroupBox(tr("Customer"), this);
    frCustomerRecord->setObjectName(QStringLiteral("frCustomerRecord"));
    auto* form = new QFormLayout(frCustomerRecord);
    auto field = [this, form](const char* name, const QString& caption, const QString& toolTip) {
        auto* box = new QLineEdit(frCustomerRecord);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(toolTip);
        box->setMaxLength(CustomerStore::kNameLength);
        form->addRow(caption, box);
        return box;
    };
    txtName = field("txtName", tr("&Name:"), tr("The customer's name, as the quote shows it"));
    txtContact = field("txtContact", tr("C&ontact:"), tr("Whom to speak to"));
    txtAddress = field("txtAddress", tr("Add&ress:"), tr("Street address"));
    txtCity = field("txtCity", tr("Cit&y:"), tr("City, state and ZIP on one line"));
    txtPhone = field("txtPhone", tr("P&hone:"), tr("Phone number"));
    txtEmail = field("txtEmail", tr("E-&mail:"), tr("E-mail address"));
    txtNotes = new QPlainTextEdit(frCustomerRecord);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setToolTip(tr("Anything worth remembering about the customer"));
    txtNotes->setTabChangesFocus(true);
    form->addRow(tr("No&tes:"), txtNotes);
    cmdSave =
        plainButton(this, QStringLiteral("cmdSave"), tr("&Save"), tr("Store the customer (Enter)"));
    cmdSave->setProperty("role", QStringLiteral("primary"));
    cmdCancel = plainButton(this, QStringLiteral("cmdCancel"), tr("Cance&l"),
                            tr("Drop the typing and show the customer as stored (Esc)"));
    auto* recordButtons = new QHBoxLayout;
    recordButtons->addStretch();
    recordButtons->addWidget(cmdSave);
    recordButtons->addWidget(cmdCancel);
    form->addRow(recordButtons);

    cmdClose = plainButton(this, QStringLiteral("cmdClose"), tr("&Close"), tr("Close this window"));

    auto* search = new QHBoxLayout;
    search->addWidget(searchLabel);
    search->addWidget(txtSearch);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(cmdAdd);
    listButtons->addWidget(cmdEdit);
    listButtons->addWidget(cmdDelete);
    listButtons->addStretch();
    auto* listSide = new QVBoxLayout;
    listSide->addLayout(search);
    listSide->addWidget(grdCustomers);
    listSide->addLayout(listButtons);
    auto* sides = new QHBoxLayout;
    sides->addLayout(listSide, 3);
    sides->addWidget(frCustomerRecord, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sides);
    layout->addLayout(bottom);
    resize(880, 460);
    setMinimumSize(620, 360);
    setTabOrder(txtSearch, grdCustomers);

    connect(txtSearch, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int keep = selectedCustomerId();
        m_filter->setFilterFixedString(text.trimmed());
        selectCustomer(keep);
    });
    connect(grdCustomers->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CustomersDialog::showSelected);
    connect(grdCustomers, &QAbstractItemView::doubleClicked, this, [this] { startEditing(false); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { startEditing(true); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { startEditing(false); });
    connect(cmdDelete, &QPushButton::clicked, this, &CustomersDialog::deleteSelected);
    connect(cmdSave, &QPushButton::clicked, this, &CustomersDialog::saveRecord);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        if (leaveRecord())
            stopEditing();
    });
    connect(cmdClose, &QPushButton::clicked, this, &CustomersDialog::cmdClose_Click);

    m_list->setConnectionString(gConnectionString);
    m_list->setRecordSource(QStringLiteral(
        "SELECT CustomerID, CustomerName, ContactName, City, Phone FROM CustomersTBL "
        "ORDER BY CustomerName COLLATE NOCASE"));
    reload(customerId);
    m_model->setCaption(Name, tr("Customer"));
    m_model->setCaption(Contact, tr("Contact"));
    m_model->setCaption(City, tr("City"));
    m_model->setCaption(Phone, tr("Phone"));
    grdCustomers->hideColumn(Key);
    // The name takes what the other columns leave.
    grdCustomers->horizontalHeader()->setSectionResizeMode(Name, QHeaderView::Stretch);
    for (const int column : {Contact, City, Phone})
        grdCustomers->horizontalHeader()->setSectionResizeMode(column,
                                                               QHeaderView::ResizeToContents);
    stopEditing();
    grdCustomers->setFocus();
}

void CustomersDialog::reload(int selectId) {
    // A file of an earlier structure that could only be read keeps no customers.
    if (Connection* connection = gConnection;
        !connection || !connection->hasTable(QStringLiteral("CustomersTBL"))) {
        cmdAdd->setEnabled(false);
        txtSearch->setEnabled(false);
        txtSearch->setPlaceholderText(tr("This file keeps no customers"));
        return;
    }
    if (!m_list->refresh())
        ShowDatabaseError(m_list->connection(), m_list->lastError(),
                          QStringLiteral("frmCustomers / reload"));
    selectCustomer(selectId);
}

void CustomersDialog::selectCustomer(int id) {
    for (int row = 0; row < m_filter->rowCount(); ++row)
        if (m_filter->index(row, Key).data().toInt() == id) {
            grdCustomers->setCurrentIndex(m_filter->index(row, Name));
            grdCustomers->scrollTo(grdCustomers->currentIndex());
            return;
        }
    // Not among those shown: the first one shown, or none.
    grdCustomers->setCurrentIndex(m_filter->rowCount() > 0 ? m_filter->index(0, Name)
                                                           : QModelIndex());
    showSelected();
}

int CustomersDialog::selectedCustomerId() const {
    const QModelIndex current = grdCustomers->currentIndex();
    return current.isValid() ? m_filter->index(current.row(), Key).data().toInt() : 0;
}

void CustomersDialog::showSelected() {
    if (isEditing())
        return;
    Connection* connection = m_list->connection();
    const int id = selectedCustomerId();
    const auto customer =
        connection && id > 0 ? CustomerStore::load(*connection, id) : std::nullopt;
    showRecord(customer.value_or(CustomerRecord{}));
    cmdEdit->setEnabled(id > 0);
    cmdDelete->setEnabled(id > 0);
}

void CustomersDialog::showRecord(const CustomerRecord& c) {
    txtName->setText(c.name);
    txtContact->setText(c.contact);
    txtAddress->setText(c.address);
    txtCity->setText(c.city);
    txtPhone->setText(c.phone);
    txtEmail->setText(c.email);
    txtNotes->setPlainText(c.notes);
    for (QLineEdit* box : {txtName, txtContact, txtAddress, txtCity, txtPhone, txtEmail})
        box->setCursorPosition(0);
}

CustomerRecord CustomersDialog::typedRecord() const {
    return {std::max(m_editingId, 0), txtName->text(),        txtContact->text(),
            txtAddress->text(),       txtCity->text(),        txtPhone->text(),
            txtEmail->text(),         txtNotes->toPlainText()};
}

namespace {
QString joined(const CustomerRecord& c) {
    return QStringList{c.name, c.contact, c.address, c.city, c.phone, c.email, c.notes}.join(
        QChar(0x1f));
}
} // namespace

void CustomersDialog::startEditing(bool adding) {
    if (isEditing() || (!adding && selectedCustomerId() <= 0))
        return;
    m_editingId = adding ? 0 : selectedCustomerId();
    if (adding)
        showRecord({});
    m_shownText = joined(typedRecord());
    frCustomerRecord->setTitle(adding ? tr("New Customer") : tr("Customer"));
    for (QLineEdit* box : {txtName, txtContact, txtAddress, txtCity, txtPhone, txtEmail})
        box->setReadOnly(false);
    txtNotes->setReadOnly(false);
    for (QWidget* w : {static_cast<QWidget*>(txtSearch), static_cast<QWidget*>(grdCustomers),
                       static_cast<QWidget*>(cmdAdd), static_cast<QWidget*>(cmdEdit),
                       static_cast<QWidget*>(cmdDelete)})
        w->setEnabled(false);
    cmdSave->setEnabled(true);
    cmdCancel->setEnabled(true);
    cmdSave->setDefault(true);
    txtName->setFocus();
    txtName->selectAll();
}

void CustomersDialog::stopEditing() {
    m_editingId = -1;
    frCustomerRecord->setTitle(tr("Customer"));
    for (QLineEdit* box : {txtName, txtContact, txtAddress, txtCity, txtPhone, txtEmail})
        box->setReadOnly(true);
    txtNotes->setReadOnly(true);
    const bool kept = gConnection && gConnection->hasTable(QStringLiteral("CustomersTBL"));
    for (QWidget* w : {static_cast<QWidget*>(txtSearch), static_cast<QWidget*>(grdCustomers),
                       static_cast<QWidget*>(cmdAdd)})
        w->setEnabled(kept);
    cmdSave->setEnabled(false);
    cmdCancel->setEnabled(false);
    cmdSave->setDefault(false);
    cmdEdit->setDefault(true);
    showSelected();
}

bool CustomersDialog::hasTyping() const {
    return isEditing() && joined(typedRecord()) != m_shownText;
}

bool CustomersDialog::refuse(const QString& message, QWidget* field) {
    showMessage(message, QMessageBox::Ok, QMessageBox::Warning, kTitle);
    field->setFocus();
    return false;
}

bool CustomersDialog::saveRecord() {
    if (!isEditing())
        return true;
    Connection* connection = m_list->connection();
    if (!connection)
        return false;
    const CustomerRecord customer = typedRecord();
    if (const QString problem = CustomerStore::nameProblem(*connection, customer.name, customer.id);
        !problem.isEmpty())
        return refuse(problem, txtName);
    static const QRegularExpression mailAddress(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    if (!customer.email.trimmed().isEmpty() &&
        !mailAddress.match(customer.email.trimmed()).hasMatch())
        return refuse(tr("%1 is not an e-mail address. Please enter one such as "
                         "name@example.com, or leave the box empty.")
                          .arg(customer.email.trimmed()),
                      txtEmail);
    if (customer.notes.size() > CustomerStore::kNotesLength)
        return refuse(tr("The notes can be at most %1 characters long; these have %2. Please "
                         "shorten them.")
                          .arg(displayLocale().toString(CustomerStore::kNotesLength),
                               displayLocale().toString(customer.notes.size())),
                      txtNotes);
    int savedId = customer.id;
    if (customer.id == 0) {
        const auto id = CustomerStore::add(*connection, customer);
        if (!id) {
            ShowDatabaseError(connection, connection->lastError(),
                              QStringLiteral("frmCustomers / cmdSave_Click"));
            return false;
        }
        savedId = *id;
    } else if (!CustomerStore::update(*connection, customer)) {
        ShowDatabaseError(connection, connection->lastError(),
                          QStringLiteral("frmCustomers / cmdSave_Click"));
        return false;
    }
    m_editingId = -1;
    // A search that would hide the customer just saved is cleared.
    m_list->refresh();
    bool shown = false;
    for (int row = 0; row < m_filter->rowCount() && !shown; ++row)
        shown = m_filter->index(row, Key).data().toInt() == savedId;
    if (!shown)
        txtSearch->clear();
    stopEditing();
    selectCustomer(savedId);
    grdCustomers->setFocus();
    return true;
}

bool CustomersDialog::leaveRecord() {
    if (!hasTyping())
        return true;
    switch (showMessage(tr("Save the changes to this customer?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Question, kTitle)) {
    case QMessageBox::Yes:
        return saveRecord();
    case QMessageBox::No:
        return true;
    default:
        txtName->setFocus();
        return false;
    }
}

void CustomersDialog::deleteSelected() {
    Connection* connection = m_list->connection();
    const int id = selectedCustomerId();
    if (!connection || id <= 0 || isEditing())
        return;
    const QString name = txtName->text();
    const int uses = CustomerStore::estimateCount(*connection, id);
    if (uses > 0) {
        showMessage(tr("%1 is the customer of %2, so it cannot be deleted. Give those estimates "
                       "another customer first, or keep it.")
                        .arg(name, uses == 1 ? tr("1 estimate") : tr("%1 estimates").arg(uses)),
                    QMessageBox::Ok, QMessageBox::Information, kTitle);
        return;
    }
    if (showMessage(tr("Delete the customer %1?").arg(name), QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::Question, kTitle) != QMessageBox::Yes)
        return;
    const int row = grdCustomers->currentIndex().row();
    if (!CustomerStore::remove(*connection, id)) {
        ShowDatabaseError(connection, connection->lastError(),
                          QStringLiteral("frmCustomers / cmdDelete_Click"));
        return;
    }
    m_list->refresh();
    // The customer that took its place in the list is chosen.
    const int next = std::min(row, m_filter->rowCount() - 1);
    selectCustomer(next >= 0 ? m_filter->index(next, Key).data().toInt() : 0);
}

void CustomersDialog::cmdClose_Click() {
    if (leaveRecord())
        accept();
}

void CustomersDialog::reject() {
    if (!isEditing()) {
        QDialog::reject();
        return;
    }
    if (leaveRecord())
        stopEditing();
}
