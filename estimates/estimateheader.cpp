#include "estimates/estimateheader.h"

#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "estimates/estimatebook.h"
#include "estimates/estimatejob.h"
#include "materials/addtolist.h"
#include "widgets/bindings.h"
#include "widgets/datanavigator.h"
#include "widgets/messagebox.h"
#include "widgets/recordconflict.h"
#include "widgets/recordhelpers.h"
#include "widgets/screencontrols.h"

#include <QApplication>
#include <QFocusEvent>
#include <QToolButton>

using namespace Controls;
using Twips::place;

namespace {
const QString kEstimateTable = QStringLiteral("EstimateTBL");
const QString kSaveTitle = QStringLiteral("frmMain / cmdEstimateSaveCurrentRecord_Click");

// Shows the box's value in its display format when it was taken; true either way.
bool showFormatted(TextBinding* binding) {
    if (binding && !binding->hasInvalidText())
        binding->reload();
    return true;
}
} // namespace

const QStringList EstimateHeader::mEstimateFields = {
    QStringLiteral("txtQuoteNumber"), QStringLiteral("txtTaxRate"), QStringLiteral("txtShippning"),
    QStringLiteral("cbQuoteStatus"), QStringLiteral("cbEstimator")};

EstimateHeader::EstimateHeader(QWidget* screen, EstimateBook* book)
    : QObject(screen), AdodcEstimator(new DataControl(this)),
      AdodcQuoteStatus(new DataControl(this)), m_book(book) {
    setObjectName(QStringLiteral("estimateHeader"));
    AdodcEstimator->setObjectName(QStringLiteral("AdodcEstimator"));
    AdodcQuoteStatus->setObjectName(QStringLiteral("AdodcQuoteStatus"));
    AdodcEstimator->setReadOnly(true);
    AdodcQuoteStatus->setReadOnly(true);

    // Three columns on a 26-pixel pitch: the estimate itself on the left, whom and what it is
    // for in the middle, the money on the right; all fit the window's smallest size.
    // The caption reaches further left than the others: its star needs the room.
    QLabel* lblQuoteNumber =
        caption(screen, QStringLiteral("lblQuoteNumber"), tr("Reference #:"), 0, 24, 92, 22);
    txtQuoteNumber = textBox(screen, QStringLiteral("txtQuoteNumber"),
                             tr("Enter a unique, numeric reference number"), 96, 24, 120, 22);
    // Lines and saving wait for it.
    markRequired(lblQuoteNumber, txtQuoteNumber);
    caption(screen, QStringLiteral("lblEstimator"), tr("Estimator:"), 8, 50, 84, 22);
    cbEstimator =
        combo(screen, QStringLiteral("cbEstimator"), tr("Add / Edit Estimators"), 96, 50, 146, 22);
    caption(screen, QStringLiteral("lblQuoteStatus"), tr("Status:"), 8, 76, 84, 22);
    cbQuoteStatus = combo(screen, QStringLiteral("cbQuoteStatus"), tr("Choose Status of Estimate"),
                          96, 76, 146, 22);
    // A status is always one of the list's: there is nothing to type.
    cbQuoteStatus->setEditable(false);
    job = new EstimateJobFields(screen, book);
    lblTaxRate = caption(screen, QStringLiteral("lblTaxRate"), tr("Tax Rate:"), 514, 76, 120, 22);
    txtTaxRate =
        textBox(screen, QStringLiteral("txtTaxRate"), tr("Regional Tax Rate"), 640, 76, 133, 22);
    txtTaxRate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Beside the record bar, which moves through the estimates it saves.
    cmdEstimateSaveCurrentRecord = button(screen, QStringLiteral("cmdEstimateSaveCurrentRecord"),
                                          tr("&Save"), tr("Save Estimate"), 320, 494, 90, 26);
    cmdEstimateSaveCurrentRecord->setProperty("role", QStringLiteral("primary"));
    lblShippning =
        caption(screen, QStringLiteral("lblShippning"), tr("Shipping Costs:"), 514, 50, 120, 22);
    txtShippning =
        textBox(screen, QStringLiteral("txtShippning"), tr("Price For Shipping"), 640, 50, 133, 22);
    txtShippning->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dcEstimates = place<DataNavigator>(screen, QStringLiteral("dcEstimates"), 12, 494, 300, 26);
    dcEstimates->setCaption(tr("Estimates"));
    dcEstimates->setDataControl(book->dcEstimates);
    dcEstimates->setToolTip(tr("Move through the estimates"));
    // The record bar's arrows take no focus, so the field being left is checked on their press.
    for (QToolButton* arrow : dcEstimates->findChildren<QToolButton*>())
        arrow->installEventFilter(this);

    for (QWidget* field : tabOrder())
        if (field != cmdEstimateSaveCurrentRecord)
            field->installEventFilter(this);
    // The customer's record opens once the field being left has passed its check.
    connect(job->cmdCustomer, &QPushButton::clicked, this, [this] {
        if (checkFocusedField())
            job->cmdCustomer_Click();
    });
    connect(cmdEstimateSaveCurrentRecord, &QPushButton::clicked, this,
            [this] { cmdEstimateSaveCurrentRecord_Click(); });
    // A write the record bar or another screen started (moving off an edited estimate) is
    // reported as Save reports it.
    connect(book->dcEstimates, &DataControl::recordChangeComplete, this,
            [this](RecordSet::Reason reason, int, const DbError& error) {
                if (!m_saving && reason == RecordSet::ReasonUpdate && error.isSet())
                    reportSaveFailure(error);
            });
}

void EstimateHeader::SetupEstimatesControls() {
    SetupEstimatorCombo();
    SetupQuoteStatusCombo();
    job->setup();
    if (!m_quoteNumber) {
        DataControl* estimates = m_book->dcEstimates;
        m_quoteNumber = new TextBinding(txtQuoteNumber, estimates, QStringLiteral("QuoteNumber"));
        m_taxRate = new TextBinding(txtTaxRate, estimates, QStringLiteral("TaxRate"),
                                    DisplayFormat::Percent2);
        m_shipping = new TextBinding(txtShippning, estimates, QStringLiteral("Shipping"),
                                     DisplayFormat::Money);
        // Typing changes the totals, once the record holds what was typed (so after the
        // bindings); a record shown anew brings its own totals with the move notification.
        connect(txtTaxRate, &QLineEdit::textEdited, this, &EstimateHeader::taxOrShippingChanged);
        // Add Materials and the grids open as soon as a reference number is typed.
        connect(txtQuoteNumber, &QLineEdit::textEdited, this,
                &EstimateHeader::lineEntryRuleChanged);
        connect(txtShippning, &QLineEdit::textEdited, this, &EstimateHeader::taxOrShippingChanged);
    }
}

void EstimateHeader::SetupEstimatorCombo() {
    AdodcEstimator->setConnectionString(gConnectionString);
    AdodcEstimator->setRecordSource(
        QStringLiteral("Select EstimatorID, Estimator from Estimators Order By Estimator"));
    if (!m_estimator) {
        m_estimator = new ComboBinding(cbEstimator, AdodcEstimator, QStringLiteral("Estimator"),
                                       QStringLiteral("EstimatorID"));
        m_estimator->setDataSource(m_book->dcEstimates, QStringLiteral("EstimatorID"));
        elideLongNames(cbEstimator);
        fitListToEntries(cbEstimator);
    }
    // A list read after the binding keeps what the box showed, nothing yet: the estimate's own
    // value is shown again.
    if (AdodcEstimator->refresh())
        m_estimator->reload();
    else
        ShowDatabaseError(AdodcEstimator->connection(), AdodcEstimator->lastError(),
                          QStringLiteral("frmMain / SetupEstimatorCombo"));
}

void EstimateHeader::SetupQuoteStatusCombo() {
    AdodcQuoteStatus->setConnectionString(gConnectionString);
    AdodcQuoteStatus->setRecordSource(QStringLiteral(
        "Select StatusID, StatusDescription from StatusesTBL Order By StatusDescription"));
    if (!m_status) {
        m_status =
            new ComboBinding(cbQuoteStatus, AdodcQuoteStatus, QStringLiteral("StatusDescription"),
                             QStringLiteral("StatusID"));
        m_status->setDataSource(m_book->dcEstimates, QStringLiteral("EstimateStatus"));
        fitListToEntries(cbQuoteStatus);
    }
    if (AdodcQuoteStatus->refresh())
        m_status->reload();
    else
        ShowDatabaseError(AdodcQuoteStatus->connection(), AdodcQuoteStatus->lastError(),
                          QStringLiteral("frmMain / SetupQuoteStatusCombo"));
}

bool EstimateHeader::hasReference() const {
    return IsValidate(true, mEstimateFields, 1, txtQuoteNumber->window());
}

void EstimateHeader::prepareNewEstimate() {
    txtTaxRate->setText(formatPercent2(0));
    txtShippning->setText(formatCurrency(Money()));
    // The status, validity and terms a new estimate starts with.
    if (m_status)
        m_status->reload();
    job->showRecord();
    m_leave.forgetAll();
    txtQuoteNumber->setFocus(Qt::OtherFocusReason);
}

bool EstimateHeader::checkFocusedField() {
    QWidget* focused = QApplication::focusWidget();
    for (QWidget* field : tabOrder())
        for (QWidget* part = focused; part; part = part->parentWidget())
            if (part == field)
                return checkLeftField(field);
    return true;
}

bool EstimateHeader::cmdEstimateSaveCurrentRecord_Click() {
    RecordSet* estimates = m_book->records();
    if (!estimates || estimates->isBOF() || estimates->isEOF())
        return false;
    // Every field that can hold a wrong value is checked first: a value the record could not
    // take would otherwise be lost silently.
    QList<QWidget*> checked = {txtQuoteNumber, txtTaxRate, txtShippning};
    checked += job->checkedBeforeSave();
    for (QWidget* field : std::as_const(checked))
        if (!checkLeftField(field))
            return false;
    m_saving = true;
    const bool saved = m_book->save();
    m_saving = false;
    if (!saved)
        reportSaveFailure(m_book->lastError());
    return saved;
}

void EstimateHeader::reportSaveFailure(const DbError& error) {
    // What was typed stays in the record, so nothing is lost: the user corrects it and saves
    // again.
    if (RecordSet* estimates = m_book->records())
        if (settleConflict(*estimates, error, kSaveTitle) != ConflictAnswer::None)
            return;
    const QString product = QCoreApplication::applicationName();
    Connection* connection = m_book->dcEstimates->connection();
    if (connection && !connection->errors().isEmpty()) {
        const ProviderError first = connection->errors().first();
        connection->clearErrors();
        if (first.nativeError == ErrorNumber::kReferencedRow) {
            ShowError(tr("There are records in the other tables linked with current record"),
                      product);
        } else if (first.nativeError == ErrorNumber::kRequiredValueMissing) {
            ShowError(tr("Please fill fields above grids"), product);
            LeaveCheck::takeFocusBack(txtQuoteNumber);
        } else if (first.nativeError == ErrorNumber::kDuplicateValue) {
            ShowError(tr("Reference # %1 is already used by another estimate. Please enter a "
                         "reference number no other estimate has.")
                          .arg(txtQuoteNumber->text().trimmed()),
                      product);
            LeaveCheck::takeFocusBack(txtQuoteNumber);
        } else {
            ShowError(QString::number(first.nativeError) + QStringLiteral(": ") + first.description,
                      kSaveTitle);
        }
    } else if (error.number == ErrorNumber::kGenericFailure) {
        ShowError(tr("Please fill fields above grids"), product);
    } else {
        ShowError(error.text(), kSaveTitle);
    }
}

void EstimateHeader::showTypeMessage(const QString& column, const QString& typeName) {
    QString type = typeName;
    QString display = column;
    if (Connection* connection = m_book->dcEstimates->connection())
        ValidateFieldValue(kEstimateTable, column, QString(), type, display, *connection);
    showMessage(display + tr(" has a wrong value.") + QLatin1Char('\n') +
                    tr("Please provide a value of ") + type + tr(" type for this field."),
                QMessageBox::Ok, QMessageBox::NoIcon, QCoreApplication::applicationName());
}

bool EstimateHeader::txtQuoteNumber_Validate() {
    emit lineEntryRuleChanged();
    // A reference number is a whole number; one the record cannot take would be lost.
    const QString text = txtQuoteNumber->text().trimmed();
    if (text.isEmpty() || (m_quoteNumber && !m_quoteNumber->hasInvalidText()))
        return true;
    showTypeMessage(QStringLiteral("QuoteNumber"), QStringLiteral("Numeric"));
    return false;
}

bool EstimateHeader::txtShippning_Validate() {
    emit lineEntryRuleChanged();
    QString typeName;
    QString displayName;
    Connection* connection = m_book->dcEstimates->connection();
    const QString text = txtShippning->text();
    const bool ok = connection && ValidateFieldValue(kEstimateTable, QStringLiteral("Shipping"),
                                                     text, typeName, displayName, *connection);
    if (ok && parseCurrency(text))
        return true;
    // A number beyond the amounts the program keeps is named as such, not as no number.
    if (ok && !text.trimmed().isEmpty() && isNumericText(text))
        showMessage(
            tr("Shipping must lie between -%1 and %1").arg(QLatin1String(Money::kLargestText)),
            QMessageBox::Ok, QMessageBox::NoIcon, QCoreApplication::applicationName());
    else
        showTypeMessage(QStringLiteral("Shipping"), QStringLiteral("Numeric"));
    return false;
}

bool EstimateHeader::txtTaxRate_Validate() {
    // "8.25" and "8.25%" both mean 8.25%; an empty box means no tax.
    const QString text = txtTaxRate->text().trimmed();
    if (text.isEmpty())
        return true;
    // A rate below nothing or above the whole amount is no tax rate either.
    const auto rate = parsePercent(text);
    if (rate && *rate >= 0 && *rate <= 1)
        return true;
    showTypeMessage(QStringLiteral("TaxRate"), QStringLiteral("Numeric"));
    return false;
}

void EstimateHeader::cbQuoteStatus_Validate() {
    if (!cbQuoteStatus->currentText().isEmpty() && m_status && m_status->matchedWithList())
        emit lineEntryRuleChanged();
}

bool EstimateHeader::cbEstimator_LostFocus() {
    const QString typed = cbEstimator->currentText();
    if (typed.isEmpty() || !m_estimator || m_estimator->matchedWithList()) {
        // A name typed in full is the same as choosing it.
        const int row = cbEstimator->findText(typed, Qt::MatchFixedString);
        if (row >= 0 && row != cbEstimator->currentIndex())
            cbEstimator->setCurrentIndex(row);
        return true;
    }
    return addTypedNameToList(LookupKind::Estimator, m_estimator, AdodcEstimator);
}

bool EstimateHeader::checkField(QWidget* field) {
    if (field == txtQuoteNumber)
        return txtQuoteNumber_Validate();
    // A value taken is shown at once as the screen shows it, not only after Save.
    if (field == txtShippning)
        return txtShippning_Validate() && showFormatted(m_shipping);
    if (field == txtTaxRate)
        return txtTaxRate_Validate() && showFormatted(m_taxRate);
    if (field == cbEstimator)
        return cbEstimator_LostFocus();
    if (field == cbQuoteStatus)
        cbQuoteStatus_Validate();
    if (job->owns(field))
        return job->checkField(field);
    return true;
}

bool EstimateHeader::checkLeftField(QWidget* field) {
    return m_leave.checkLeft(field);
}

LayoutRows EstimateHeader::layoutRows() const {
    return LayoutRows{{dcEstimates, 0, 1, 0, 1},  {cmdEstimateSaveCurrentRecord, 0, 1, 0, 1},
                      {lblTaxRate, 1, 0, 1, 0},   {txtTaxRate, 1, 0, 1, 0},
                      {lblShippning, 1, 0, 1, 0}, {txtShippning, 1, 0, 1, 0}} +
           job->layoutRows();
}

QList<QWidget*> EstimateHeader::tabOrder() const {
    // Down each column in turn.
    QList<QWidget*> order = {txtQuoteNumber, cbEstimator, cbQuoteStatus};
    order += job->fields();
    order += {txtShippning, txtTaxRate, cmdEstimateSaveCurrentRecord};
    return order;
}

bool EstimateHeader::eventFilter(QObject* watched, QEvent* event) {
    // A wrong value must not be written, nor dropped, by moving to another estimate.
    if (event->type() == QEvent::MouseButtonPress && watched->parent() == dcEstimates)
        return !m_leave.isChecking() && !checkFocusedField();
    if (event->type() != QEvent::FocusOut || m_leave.isChecking())
        return QObject::eventFilter(watched, event);
    auto* field = qobject_cast<QWidget*>(watched);
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Another window taking over, a list dropping down, or the screen being hidden leaves
    // nothing.
    if (!field || !field->isVisible() || reason == Qt::PopupFocusReason ||
        reason == Qt::ActiveWindowFocusReason)
        return QObject::eventFilter(watched, event);
    QWidget* next = QApplication::focusWidget();
    for (const QWidget* part = next; part; part = part->parentWidget())
        if (part == field)
            return QObject::eventFilter(watched, event);
    checkLeftField(field);
    return QObject::eventFilter(watched, event);
}
