#include "estimates/duplicateestimate.h"

#include "data/connection.h"
#include "data/database.h"
#include "data/datacontrol.h"
#include "estimates/estimatebook.h"
#include "estimates/estimatecopy.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// The reference number's dialog. OK makes the copy; it closes only once the copy is stored.
class ReferenceDialog : public QDialog {
public:
    ReferenceDialog(QWidget* parent, Database& db, int sourceId)
        : QDialog(parent), m_db(db), m_sourceId(sourceId) {
        setObjectName(QStringLiteral("dlgDuplicateEstimate"));
        setWindowTitle(tr("Duplicate Estimate"));
        auto* layout = new QVBoxLayout(this);
        auto* caption = new QLabel(tr("&Reference # of the copy:"), this);
        m_reference = new QLineEdit(this);
        m_reference->setObjectName(QStringLiteral("txtNewReference"));
        m_reference->setToolTip(tr("The copy's reference number: the next free one is proposed"));
        caption->setBuddy(m_reference);
        if (const qint64 next = EstimateCopy::nextFreeReference(db); next > 0)
            m_reference->setText(QString::number(next));
        m_reference->selectAll();
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &ReferenceDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &ReferenceDialog::reject);
        layout->addWidget(caption);
        layout->addWidget(m_reference);
        layout->addWidget(buttons);
    }

    int copyId() const { return m_copyId; }

    void accept() override {
        QString problem;
        const auto reference = EstimateCopy::parseReference(m_db, m_reference->text(), &problem);
        if (reference) {
            EstimateCopy::NewEstimate copy;
            copy.reference = *reference;
            copy.date = QDate::currentDate();
            copy.validDays = gSettings ? gSettings->QuoteValidDays() : 30;
            copy.defaultTerms = gSettings ? gSettings->QuoteTerms() : QString();
            DbError error;
            m_copyId = EstimateCopy::duplicate(m_db, m_sourceId, copy, &error);
            if (m_copyId > 0) {
                QDialog::accept();
                return;
            }
            // Another estimator may have taken the number meanwhile.
            problem = error.nativeError == ErrorNumber::kDuplicateValue
                          ? tr("Reference # %1 is already used by another estimate. Please "
                               "enter a different number.")
                                .arg(*reference)
                          : tr("The estimate could not be copied; nothing was stored.\n\n%1")
                                .arg(error.description);
        }
        showMessage(problem, QMessageBox::Ok, QMessageBox::Warning, windowTitle());
        m_reference->setFocus(Qt::OtherFocusReason);
        m_reference->selectAll();
    }

private:
    Database& m_db;
    const int m_sourceId;
    QLineEdit* m_reference;
    int m_copyId = 0;
};

} // namespace

int DuplicateEstimate(QWidget* parent, Database& db, int sourceId) {
    ReferenceDialog dialog(parent, db, sourceId);
    return dialog.exec() == QDialog::Accepted ? dialog.copyId() : 0;
}

int DuplicateAndOpen(QWidget* parent, EstimateBook& book, int sourceId) {
    Connection* connection = book.dcEstimates->connection();
    if (sourceId <= 0 || !connection)
        return 0;
    const int copy = DuplicateEstimate(parent, connection->database(), sourceId);
    if (copy <= 0)
        return 0;
    if (!book.openAdded(copy)) {
        if (book.lastError().isSet())
            ShowDatabaseError(connection, book.lastError(),
                              QStringLiteral("frmMain / Duplicate Estimate"));
        return 0;
    }
    book.setSelectedEstimate(copy);
    return copy;
}
