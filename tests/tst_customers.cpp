// Customers and jobs through the widgets: a customer added from the Estimate screen's header in
// one step, the header's field checks, what a new estimate starts with, and the Customers
// dialog's search, adding, name check and refusal to delete a customer estimates name.
#include "estimates/customersdialog.h"
#include "estimates/estimatejob.h"
#include "settings/settingsstore.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "widgets/leavecheck.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QSortFilterProxyModel>

namespace {

// Three customers; Hale Construction is the customer of the three estimates, dated in March
// 2024 and valid to 4 April.
struct Customers : Program {
    Customers() {
        db.exec("INSERT INTO CustomersTBL (CustomerID, CustomerName, City) VALUES "
                "(1, 'Hale Construction', 'Austin, TX 78701'), "
                "(2, 'Birch Homes', 'Dallas, TX 75201'), (3, 'Cole Roofing', 'Waco, TX 76701')");
        const QString estimate = QStringLiteral(
            "INSERT INTO EstimateTBL (EstimateID, QuoteNumber, EstimateData, TaxRate, Shipping, "
            "CustomerID, ValidUntil, Terms) VALUES (?, ?, ?, 0, 0, 1, '2024-04-04', 'Net 30')");
        for (int i = 1; i <= 3; ++i)
            db.exec(estimate, {i, 1000 + i, QStringLiteral("2024-03-0%1").arg(i)});
    }
    int count(const QString& sql, const QVariantList& values = {}) {
        return db.scalar(sql, values).toInt();
    }
    QVariant stored(const QString& column) {
        return db.scalar(
            QStringLiteral("SELECT %1 FROM EstimateTBL WHERE EstimateID = 1").arg(column));
    }
};

// Replaces the field's text as a user does: a date is stepped down a year at a time with the
// arrow key, a long text is pasted.
void typeOrPaste(QWidget* field, const QString& text) {
    if (auto* date = qobject_cast<QDateEdit*>(field)) {
        date->setFocus(Qt::BacktabFocusReason); // the last part, the year, chosen
        for (int step = 0; step < 10 && date->text() != text; ++step)
            QTest::keyClick(date, Qt::Key_Down);
        return;
    }
    if (text.size() < 300) {
        UserInput::typeInto(field, text);
        return;
    }
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

QStringList namesShown(const CustomersDialog& d) {
    QStringList names;
    const QAbstractItemModel* model = d.grdCustomers->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 1).data().toString();
    return names;
}

void clickRowOf(CustomersDialog& d, const QString& name) {
    const int row = namesShown(d).indexOf(name);
    QVERIFY(row >= 0);
    QWidget* viewport = d.grdCustomers->viewport();
    const QRect cell = d.grdCustomers->visualRect(d.grdCustomers->model()->index(row, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell.center());
}

} // namespace

class TestCustomers : public QObject {
    Q_OBJECT
private slots:
    void aNewCustomerIsAddedFromTheHeaderInOneStep();
    void headerFieldChecks_data();
    void headerFieldChecks();
    void aNewEstimateStartsAsADraftWithTheDefaults();
    void anEstimateWithoutDatesShowsThemBlank();
    void theCustomersDialog();
    void customerRecordChecks_data();
    void customerRecordChecks();
    void theHeadersButtonOpensTheCustomer();
};

void TestCustomers::aNewCustomerIsAddedFromTheHeaderInOneStep() {
    Customers program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QComboBox* box = s.h->job->cbCustomer;
    QCOMPARE(box->currentText(), QStringLiteral("Hale Construction"));

    // No: the typing and the focus stay, nothing is stored.
    messages.answerNext(QMessageBox::No);
    s.typeInto(box, QStringLiteral("Nora Quinn Homes"));
    s.leave(box);
    QCOMPARE(messages.texts(), QStringList{"Nora Quinn Homes is not one of your customers. Do you "
                                           "want to add it?"});
    QCOMPARE(messages.titles(), QStringList{"Customer Not On List"});
    QCOMPARE(messages.shown().first().buttons, QMessageBox::Yes | QMessageBox::No);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->currentText(), QStringLiteral("Nora Quinn Homes"));
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL"), 3);

    // Yes: stored, chosen, and the user goes on to the next field.
    messages.clear();
    messages.answerNext(QMessageBox::Yes);
    s.typeInto(box, QStringLiteral("Ivy Lane Builders"));
    s.leave(box);
    QCOMPARE(messages.titles(), QStringList{"Customer Not On List"});
    const int id = program.count(
        "SELECT CustomerID FROM CustomersTBL WHERE CustomerName = 'Ivy Lane Builders'");
    QVERIFY(id > 3);
    QCOMPARE(box->currentText(), QStringLiteral("Ivy Lane Builders"));
    QTRY_COMPARE(QApplication::focusWidget(), s.h->job->cmdCustomer);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(program.stored("CustomerID").toInt(), id);

    // A listed name typed in another case is that customer, not a new one.
    s.typeInto(box, QStringLiteral("birch homes"));
    s.leave(box);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(box->currentText(), QStringLiteral("Birch Homes"));
    // An emptied box leaves the estimate without a customer.
    s.typeInto(box, QString());
    s.leave(box);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(program.stored("CustomerID").isNull());
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL"), 4);
}

void TestCustomers::headerFieldChecks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("valid until before the date")
        << "dtValidUntil"
        << "04 Apr 23"
        << "Valid Until (04 Apr 23) is before the estimate's date (01 Mar 24). Please enter "
           "a day on or after 01 Mar 24.";
    QTest::newRow("customer name of 256 characters")
        << "cbCustomer" << QString(256, QLatin1Char('n'))
        << "A customer's name can be at most 255 characters long; this one has 256. Please "
           "shorten it.";
    QTest::newRow("terms of 4,001 characters")
        << "txtTerms" << QString(4001, QLatin1Char('t'))
        << "The terms can be at most 4,000 characters long; these have 4,001. Please shorten "
           "them.";
}

void TestCustomers::headerFieldChecks() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Customers program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    auto* box = s.window.findChild<QWidget*>(field);
    QVERIFY(box);
    typeOrPaste(box, text);
    s.leave(box);
    QCOMPARE(messages.texts(), QStringList{message});
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(LeaveCheck::textOf(box), text);
    // Nor can it be saved, or taken away by the record bar.
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    s.click(s.recordBarButton(QStringLiteral("Next record")));
    QCOMPARE(s.currentId(), 1);
    QCOMPARE(LeaveCheck::textOf(box), text);
    QCOMPARE(program.stored("ValidUntil").toString(), QStringLiteral("2024-04-04"));
    QCOMPARE(program.stored("Terms").toString(), QStringLiteral("Net 30"));
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL"), 3);
}

void TestCustomers::aNewEstimateStartsAsADraftWithTheDefaults() {
    Customers program;
    const QString terms = QStringLiteral("50% deposit on acceptance.\nBalance due on completion.");
    program.db.exec("UPDATE MyCompany SET QuoteValidDays = 14, QuoteTerms = ?", {terms});
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    s.window.mnuFileNewEstimate->trigger();
    const QDate today = QDate::currentDate();
    QCOMPARE(s.e->cbQuoteStatus->currentText(), QStringLiteral("Draft"));
    QCOMPARE(s.h->job->dtEstimateDate->date(), today);
    QCOMPARE(s.h->job->dtValidUntil->date(), today.addDays(14));
    QCOMPARE(s.h->job->txtTerms->toPlainText(), terms);
    QCOMPARE(s.h->job->cbCustomer->currentText(), QString());
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("2001"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    const QVariantList key = {2001};
    QCOMPARE(program.db.scalar("SELECT s.StatusDescription FROM EstimateTBL e JOIN StatusesTBL s "
                               "ON s.StatusID = e.EstimateStatus WHERE e.QuoteNumber = ?",
                               key),
             QVariant(QStringLiteral("Draft")));
    QCOMPARE(program.db.scalar("SELECT ValidUntil FROM EstimateTBL WHERE QuoteNumber = ?", key),
             QVariant(today.addDays(14).toString(Qt::ISODate)));
    QCOMPARE(program.db.scalar("SELECT Terms FROM EstimateTBL WHERE QuoteNumber = ?", key),
             QVariant(terms));
}

void TestCustomers::anEstimateWithoutDatesShowsThemBlank() {
    Customers program;
    program.db.exec("UPDATE EstimateTBL SET EstimateData = NULL, ValidUntil = NULL");
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    QDateEdit* date = s.h->job->dtEstimateDate;
    QDateEdit* validUntil = s.h->job->dtValidUntil;
    QCOMPARE(date->text().trimmed(), QString());
    QCOMPARE(validUntil->text().trimmed(), QString());
    // Without a validity the estimate is saved as it was; without a date it is not.
    validUntil->setFocus(Qt::TabFocusReason);
    s.leave(validUntil);
    s.typeInto(s.h->job->txtJobName, QStringLiteral("Porch"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(messages.texts(), QStringList{"Please enter the estimate's date: Home lists every "
                                           "estimate in the month of its date."});
    QTRY_COMPARE(QApplication::focusWidget(), date);
    QVERIFY(program.stored("JobName").isNull());
    // A date stepped up from the blank one is a date; the validity stays blank.
    messages.clear();
    QTest::keyClick(date, Qt::Key_Up);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(messages.shown().isEmpty());
    QVERIFY(!program.stored("EstimateData").isNull());
    QVERIFY(program.stored("ValidUntil").isNull());
    QCOMPARE(program.stored("JobName").toString(), QStringLiteral("Porch"));
}

void TestCustomers::theCustomersDialog() {
    Customers program;
    QVERIFY(program.load());
    ScriptedMessages messages;
    CustomersDialog d;
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(namesShown(d), (QStringList{"Birch Homes", "Cole Roofing", "Hale Construction"}));

    // The search narrows the list as the user types: by name, or by city.
    UserInput::typeInto(d.txtSearch, QStringLiteral("HALE"));
    QCOMPARE(namesShown(d), QStringList{"Hale Construction"});
    UserInput::typeInto(d.txtSearch, QStringLiteral("waco"));
    QCOMPARE(namesShown(d), QStringList{"Cole Roofing"});
    QCOMPARE(d.txtName->text(), QStringLiteral("Cole Roofing"));
    UserInput::typeInto(d.txtSearch, QString());
    QCOMPARE(namesShown(d).size(), 3);

    // A new name is stored with its fields (Enter saves) and chosen in the list.
    UserInput::click(d.cmdAdd);
    UserInput::typeInto(d.txtCity, QStringLiteral("Round Rock, TX 78664"));
    UserInput::typeInto(d.txtName, QStringLiteral("Ivy Lane Builders"));
    QTest::keyClick(d.txtName, Qt::Key_Return);
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL WHERE CustomerName = ? AND City = ?",
                           {"Ivy Lane Builders", "Round Rock, TX 78664"}),
             1);
    QVERIFY(!d.isEditing());
    QCOMPARE(d.grdCustomers->currentIndex().data().toString(), QStringLiteral("Ivy Lane Builders"));

    // A customer estimates name is kept, and the message says how many.
    clickRowOf(d, QStringLiteral("Hale Construction"));
    UserInput::click(d.cmdDelete);
    QCOMPARE(messages.texts(),
             QStringList{"Hale Construction is the customer of 3 estimates, so it cannot be "
                         "deleted. Give those estimates another customer first, or keep it."});
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL WHERE CustomerID = 1"), 1);
    // One no estimate names goes, once the user agrees.
    messages.clear();
    clickRowOf(d, QStringLiteral("Birch Homes"));
    messages.answerNext(QMessageBox::Yes);
    UserInput::click(d.cmdDelete);
    QCOMPARE(messages.texts(), QStringList{"Delete the customer Birch Homes?"});
    QCOMPARE(namesShown(d),
             (QStringList{"Cole Roofing", "Hale Construction", "Ivy Lane Builders"}));
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL"), 3);
}

void TestCustomers::theHeadersButtonOpensTheCustomer() {
    Customers program;
    QVERIFY(program.load());
    EstimateScreen s;
    ScriptedMessages messages;
    int shown = 0;
    QVERIFY(whileModal([&] { s.click(s.h->job->cmdCustomer); },
                       [&](QDialog* dialog) {
                           auto* d = qobject_cast<CustomersDialog*>(dialog);
                           QVERIFY(d);
                           shown = d->selectedCustomerId();
                           UserInput::click(d->cmdEdit);
                           UserInput::typeInto(d->txtName, QStringLiteral("Hale Builders"));
                           UserInput::click(d->cmdSave);
                           UserInput::click(d->cmdClose);
                       }));
    QCOMPARE(shown, 1);
    QVERIFY(messages.shown().isEmpty());
    // The header's list follows the rename; the estimate keeps its customer.
    QCOMPARE(s.h->job->cbCustomer->currentText(), QStringLiteral("Hale Builders"));
    QVERIFY(s.h->job->cbCustomer->findText(QStringLiteral("Hale Construction")) < 0);
    QCOMPARE(program.stored("CustomerID").toInt(), 1);
}

void TestCustomers::customerRecordChecks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString taken = QStringLiteral("There is already a customer named Cole Roofing. Please "
                                         "enter a name no other customer has.");
    QTest::newRow("another's name") << "txtName"
                                    << "Cole Roofing" << taken;
    QTest::newRow("another's name, other case") << "txtName"
                                                << "cOLE rOOFING " << taken;
    QTest::newRow("no name") << "txtName"
                             << "   "
                             << "Please enter the customer's name.";
    QTest::newRow("e-mail without @")
        << "txtEmail"
        << "dana.birchhomes.com"
        << "dana.birchhomes.com is not an e-mail address. Please enter one such as "
           "name@example.com, or leave the box empty.";
    QTest::newRow("notes of 4,001 characters")
        << "txtNotes" << QString(4001, QLatin1Char('x'))
        << "The notes can be at most 4,000 characters long; these have 4,001. Please shorten them.";
}

void TestCustomers::customerRecordChecks() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Customers program;
    QVERIFY(program.load());
    ScriptedMessages messages;
    CustomersDialog d(nullptr, 2);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    UserInput::click(d.cmdEdit);
    auto* box = d.findChild<QWidget*>(field);
    QVERIFY(box);
    typeOrPaste(box, text);
    UserInput::click(d.cmdSave);
    QCOMPARE(messages.texts(), QStringList{message});
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(LeaveCheck::textOf(box), text);
    QVERIFY(d.isEditing());
    QCOMPARE(program.count("SELECT COUNT(*) FROM CustomersTBL WHERE CustomerName = 'Birch Homes' "
                           "AND Email IS NULL AND Notes IS NULL"),
             1);
    // Esc asks before the typing goes; No drops it and shows the customer as stored.
    messages.clear();
    messages.answerNext(QMessageBox::No);
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(messages.texts(), QStringList{"Save the changes to this customer?"});
    QVERIFY(!d.isEditing());
    QVERIFY(d.isVisible());
    QCOMPARE(d.txtName->text(), QStringLiteral("Birch Homes"));
}

QTEST_MAIN(TestCustomers)
#include "tst_customers.moc"
