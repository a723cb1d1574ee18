#include "estimates/estimatejob.h"

#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "estimates/customersdialog.h"
#include "estimates/customerstore.h"
#include "estimates/estimatebook.h"
#include "settings/settingsstore.h"
#include "widgets/bindings.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QLocale>
#include <QPlainTextEdit>

using namespace Controls;
using Twips::place;

namespace {
// Dates read as on every other screen; a two-digit year typed keeps the century shown.
const QString kDateFormat = DisplayFormat::ShortListDate;

QString product() {
    return QCoreApplication::applicationName();
}

QDateEdit* dateBox(QWidget* screen, const QString& name, const QString& toolTip, double left,
                   double top) {
    auto* box = place<QDateEdit>(screen, name, left, top, 120, 22);
    box->setToolTip(toolTip);
    box->setLocale(displayLocale());
    box->setDisplayFormat(kDateFormat);
    return box;
}
} // namespace

EstimateJobFields::EstimateJobFields(QWidget* screen, EstimateBook* book)
    : QObject(screen), AdodcCustomer(new DataControl(this)), m_book(book) {
    setObjectName(QStringLiteral("estimateJob"));
    AdodcCustomer->setObjectName(QStringLiteral("AdodcCustomer"));
    AdodcCustomer->setReadOnly(true);

    caption(screen, QStringLiteral("lblEstimateDate"), tr("Date:"), 8, 102, 84, 22);
    dtEstimateDate = dateBox(screen, QStringLiteral("dtEstimateDate"),
                             tr("The estimate's date; Home lists it in this month"), 96, 102);
    caption(screen, QStringLiteral("lblValidUntil"), tr("Valid Until:"), 8, 128, 84, 22);
    dtValidUntil = dateBox(screen, QStringLiteral("dtValidUntil"),
                           tr("The last day the quote's prices hold"), 96, 128);

    caption(screen, QStringLiteral("lblCustomer"), tr("Customer:"), 248, 24, 66, 22);
    cbCustomer = combo(screen, QStringLiteral("cbCustomer"),
                       tr("Whom the estimate is for: choose a customer, or type a new name to "
                          "add one"),
                       318, 24, 162, 22);
    cmdCustomer = button(screen, QStringLiteral("cmdCustomer"), QStringLiteral("\u2026"),
                         tr("Open the customer's full record: contact, address, phone, e-mail"),
                         482, 24, 24, 22);
    // A button the size of the box's arrow: no room for the usual padding.
    cmdCustomer->setProperty("role", QStringLiteral("compact"));
    caption(screen, QStringLiteral("lblJobName"), tr("Job:"), 248, 50, 66, 22);
    txtJobName =
        textBox(screen, QStringLiteral("txtJobName"), tr("What the job is"), 318, 50, 188, 22);
    caption(screen, QStringLiteral("lblJobAddress"), tr("Job Site:"), 248, 76, 66, 22);
    txtJobAddress = textBox(screen, QStringLiteral("txtJobAddress"), tr("Where the work is done"),
                            318, 76, 188, 22);
    for (QLineEdit* box : {txtJobName, txtJobAddress})
        box->setMaxLength(CustomerStore::kNameLength);
    caption(screen, QStringLiteral("lblTerms"), tr("Terms:"), 248, 102, 66, 22);
    txtTerms = place<QPlainTextEdit>(screen, QStringLiteral("txtTerms"), 318, 102, 188, 48);
    txtTerms->setToolTip(tr("The terms printed on the quote (deposit, payment, ...)"));
}

void EstimateJobFields::setup() {
    SetupCustomerCombo();
    if (m_date)
        return;
    DataControl* estimates = m_book->dcEstimates;
    m_date = new DateBinding(dtEstimateDate, estimates, QStringLiteral("EstimateData"));
    m_validUntil = new DateBinding(dtValidUntil, estimates, QStringLiteral("ValidUntil"));
    new TextBinding(txtJobName, estimates, QStringLiteral("JobName"));
    new TextBinding(txtJobAddress, estimates, QStringLiteral("JobAddress"));
    m_terms = new PlainTextBinding(txtTerms, estimates, QStringLiteral("Terms"));
    // A customer added or renamed in any window shows here at once.
    connect(CustomerStore::events(), &CustomerStore::Events::changed, this,
            &EstimateJobFields::SetupCustomerCombo);
}

void EstimateJobFields::SetupCustomerCombo() {
    // A file of an earlier structure that could only be read keeps no customers: the box
    // stays empty and off, with nothing to report.
    const bool kept = gConnection && gConnection->hasTable(QStringLiteral("CustomersTBL"));
    for (QWidget* field : {static_cast<QWidget*>(cbCustomer), static_cast<QWidget*>(cmdCustomer),
                           static_cast<QWidget*>(txtJobName), static_cast<QWidget*>(txtJobAddress),
                           static_cast<QWidget*>(dtValidUntil), static_cast<QWidget*>(txtTerms)})
        field->setEnabled(kept);
    if (!kept)
        return;
    AdodcCustomer->setConnectionString(gConnectionString);
    AdodcCustomer->setRecordSource(QStringLiteral(
        "SELECT CustomerID, CustomerName FROM CustomersTBL ORDER BY CustomerName COLLATE NOCASE"));
    if (!m_customer) {
        m_customer = new ComboBinding(cbCustomer, AdodcCustomer, QStringLiteral("CustomerName"),
                                      QStringLiteral("CustomerID"));
        m_customer->setDataSource(m_book->dcEstimates, QStringLiteral("CustomerID"));
        elideLongNames(cbCustomer);
        fitListToEntries(cbCustomer);
    }
    // A name being typed stays while the list is read again.
    const QString typed = m_customer->matchedWithList() ? QString() : cbCustomer->currentText();
    if (!AdodcCustomer->refresh()) {
        ShowDatabaseError(AdodcCustomer->connection(), AdodcCustomer->lastError(),
                          QStringLiteral("frmMain / SetupCustomerCombo"));
        return;
    }
    m_customer->reload();
    // A customer removed meanwhile (one the estimate had just been given) is no longer given.
    if (cbCustomer->currentIndex() < 0 && currentCustomerId() > 0)
        setCustomerId(QVariant());
    if (!typed.isEmpty())
        cbCustomer->setEditText(typed);
}

void EstimateJobFields::showRecord() {
    for (DateBinding* date : {m_date, m_validUntil})
        if (date)
            date->reload();
    if (m_terms)
        m_terms->reload();
    if (m_customer)
        m_customer->reload();
}

int EstimateJobFields::currentCustomerId() const {
    return hasRecord() ? m_book->records()->value(QStringLiteral("CustomerID")).toInt() : 0;
}

bool EstimateJobFields::hasRecord() const {
    const RecordSet* records = m_book->records();
    return records && !records->isBOF() && !records->isEOF();
}

void EstimateJobFields::setCustomerId(const QVariant& id) {
    if (!hasRecord())
        return;
    // Written only when it differs: leaving the box unchanged leaves the estimate unchanged.
    RecordSet* records = m_book->records();
    const QVariant stored = records->value(QStringLiteral("CustomerID"));
    const bool same =
        id.isNull() ? stored.isNull() : !stored.isNull() && stored.toInt() == id.toInt();
    if (!same)
        records->setValue(QStringLiteral("CustomerID"), id);
}

void EstimateJobFields::cmdCustomer_Click() {
    CustomersDialog dialog(cbCustomer->window(), currentCustomerId());
    dialog.exec();
    // The dialog's changes have been announced; the name shown follows a rename.
    SetupCustomerCombo();
}

LayoutRows EstimateJobFields::layoutRows() const {
    return {{cbCustomer, 0, 0, 1, 0},
            {cmdCustomer, 1, 0, 1, 0},
            {txtJobName, 0, 0, 1, 0},
            {txtJobAddress, 0, 0, 1, 0},
            {txtTerms, 0, 0, 1, 0}};
}

QList<QWidget*> EstimateJobFields::fields() const {
    return {dtEstimateDate, dtValidUntil,  cbCustomer, cmdCustomer,
            txtJobName,     txtJobAddress, txtTerms};
}

bool EstimateJobFields::owns(const QWidget* field) const {
    return fields().contains(const_cast<QWidget*>(field));
}

QList<QWidget*> EstimateJobFields::checkedBeforeSave() const {
    return {cbCustomer, dtEstimateDate, dtValidUntil, txtTerms};
}

bool EstimateJobFields::checkField(QWidget* field) {
    // Nothing shown, nothing to check.
    if (!hasRecord())
        return true;
    if (field == cbCustomer)
        return cbCustomer_LostFocus();
    if (field == dtEstimateDate || field == dtValidUntil)
        return checkDates(field);
    if (field == txtTerms)
        return txtTerms_Validate();
    return true;
}

bool EstimateJobFields::cbCustomer_LostFocus() {
    const QString typed = cbCustomer->currentText().trimmed();
    if (typed.isEmpty()) {
        // An emptied box leaves the estimate without a customer.
        setCustomerId(QVariant());
        return true;
    }
    // A name typed in full, in any case, is the same as choosing it.
    if (const int row = cbCustomer->findText(typed, Qt::MatchFixedString); row >= 0) {
        if (row != cbCustomer->currentIndex())
            cbCustomer->setCurrentIndex(row);
        else
            cbCustomer->setEditText(cbCustomer->itemText(row));
        // Chosen again after the box was emptied, the row is the same: its key is written here.
        setCustomerId(m_customer->boundText().toInt());
        return true;
    }
    Connection* connection = AdodcCustomer->connection();
    if (!connection)
        return false;
    const QString problem = CustomerStore::nameProblem(*connection, typed);
    if (!problem.isEmpty()) {
        showMessage(problem, QMessageBox::Ok, QMessageBox::Warning, product());
        return false;
    }
    if (showMessage(tr("%1 is not one of your customers. Do you want to add it?").arg(typed),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                    tr("Customer Not On List")) != QMessageBox::Yes)
        return false;
    return addCustomer(typed);
}

bool EstimateJobFields::addCustomer(const QString& name) {
    Connection* connection = AdodcCustomer->connection();
    CustomerRecord customer;
    customer.name = name;
    const auto id = CustomerStore::add(*connection, customer);
    if (!id) {
        ShowDatabaseError(connection, connection->lastError(),
                          QStringLiteral("frmMain / cbCustomer_LostFocus"));
        cbCustomer->setEditText(name);
        return false;
    }
    // The list was read again as the customer was stored: choosing its row gives it to the
    // estimate.
    const int row = cbCustomer->findText(name, Qt::MatchFixedString);
    if (row < 0)
        return false;
    cbCustomer->setCurrentIndex(row);
    setCustomerId(*id);
    return true;
}

bool EstimateJobFields::checkDates(QWidget* field) {
    const auto date = m_date ? m_date->date() : std::nullopt;
    if (field == dtEstimateDate && !date) {
        showMessage(tr("Please enter the estimate's date: Home lists every estimate in the month "
                       "of its date."),
                    QMessageBox::Ok, QMessageBox::Warning, product());
        return false;
    }
    // A date moved past Valid Until is let go: the user goes on to Valid Until, where (or on
    // saving) the pair is checked.
    const auto validUntil = m_validUntil ? m_validUntil->date() : std::nullopt;
    if (field != dtValidUntil || !date || !validUntil || *validUntil >= *date)
        return true;
    showMessage(tr("Valid Until (%1) is before the estimate's date (%2). Please enter a day on or "
                   "after %2.")
                    .arg(displayLocale().toString(*validUntil, kDateFormat),
                         displayLocale().toString(*date, kDateFormat)),
                QMessageBox::Ok, QMessageBox::Warning, product());
    return false;
}

bool EstimateJobFields::txtTerms_Validate() {
    const qsizetype length = txtTerms->toPlainText().size();
    if (length <= clsSettings::kTermsLimit)
        return true;
    showMessage(tr("The terms can be at most %1 characters long; these have %2. Please shorten "
                   "them.")
                    .arg(displayLocale().toString(clsSettings::kTermsLimit),
                         displayLocale().toString(length)),
                QMessageBox::Ok, QMessageBox::Warning, product());
    return false;
}
