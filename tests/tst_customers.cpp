// Customers and jobs through the widgets: a customer added from the Estimate screen's header in
// one step, what a new estimate starts with, and the Customers dialog's search, adding, name check
// and refusal to delete a customer estimates name. The header's field checks are in
// tst_estimate.
#include "estimates/customersdialog.h"
#include "estimates/estimatejob.h"
#include "support/estimategrid.h"
#include "support/estimatescreen.h"
#include "support/modaldialog.h"
#include "widgets/leavecheck.h"

#include <QComboBox>
#include <QPlainTextEdit>

namespace {

// Three customers; Hale Construction is the customer of the three estimates, dated in March
// 2024.
struct Customers : Program {
    Customers() {
        db.exec("INSERT INTO CustomersTBL (CustomerID, CustomerName, City) VALUES "
                "(1, 'Hale Construction', 'Austin, TX 78701'), "
                "(2, 'Birch Homes', 'Dallas, TX 75201'), (3, 'Cole Roofing', 'Waco, TX 76701')");
        db.exec("INSERT INTO EstimateTBL (EstimateID, QuoteNumber, EstimateData, TaxRate, "
                "Shipping, CustomerID) VALUES (1, 1001, '2024-03-01', 0, 0, 1), "
                "(2, 1002, '2024-03-02', 0, 0, 1), (3, 1003, '2024-03-03', 0, 0, 1)");
    }
};

int customers(TestDatabase& db) {
    return db.scalar("SELECT COUNT(*) FROM CustomersTBL").toInt();
}

// The Customers dialog over its own program, shown.
struct Dialog : LoadedProgram<Customers> {
    ScriptedMessages messages;
    CustomersDialog d;
    explicit Dialog(int customerId = 0) : d(nullptr, customerId) {
        d.show();
        if (!QTest::qWaitForWindowExposed(&d))
            qWarning("the dialog did not show");
    }
    QStringList namesShown() const {
        QStringList names;
        for (int row = 0; row < d.grdCustomers->model()->rowCount(); ++row)
            names << d.grdCustomers->model()->index(row, 1).data().toString();
        return names;
    }
    void clickRowOf(const QString& name) {
        GridInput::clickCell(d.grdCustomers, int(namesShown().indexOf(name)), 1);
    }
};

} // namespace

class TestCustomers : public QObject {
    Q_OBJECT
private slots:
    void aNewCustomerIsAddedFromTheHeaderInOneStep();
    void aNewEstimateStartsAsADraftWithTheDefaults();
    void anEstimateWithoutDatesShowsThemBlank();
    void theCustomersDialog();
    void customerRecordChecks_data();
    void customerRecordChecks();
    void theHeadersButtonOpensTheCustomer();
};

void TestCustomers::aNewCustomerIsAddedFromTheHeaderInOneStep() {
    EstimateTest<Customers> s;
    QComboBox* box = s.h->job->cbCustomer;
    QCOMPARE(box->currentText(), QStringLiteral("Hale Construction"));

    // No: the typing and the focus stay, nothing is stored.
    s.messages.answerNext(QMessageBox::No);
    s.typeInto(box, QStringLiteral("Nora Quinn Homes"));
    s.leave(box);
    QCOMPARE(s.messages.texts(), QStringList{"Nora Quinn Homes is not one of your customers. Do "
                                             "you want to add it?"});
    QCOMPARE(s.messages.titles(), QStringList{"Customer Not On List"});
    QCOMPARE(s.messages.shown().first().buttons, QMessageBox::Yes | QMessageBox::No);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->currentText(), QStringLiteral("Nora Quinn Homes"));
    QCOMPARE(customers(s.db), 3);

    // Yes: stored, chosen, and the user goes on to the next field.
    s.messages.clear();
    s.messages.answerNext(QMessageBox::Yes);
    s.typeInto(box, QStringLiteral("Ivy Lane Builders"));
    s.leave(box);
    QCOMPARE(s.messages.titles(), QStringList{"Customer Not On List"});
    const int id =
        s.db.scalar("SELECT CustomerID FROM CustomersTBL WHERE CustomerName = 'Ivy Lane Builders'")
            .toInt();
    QVERIFY(id > 3);
    QCOMPARE(box->currentText(), QStringLiteral("Ivy Lane Builders"));
    QTRY_COMPARE(QApplication::focusWidget(), s.h->job->cmdCustomer);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(s.stored("CustomerID").toInt(), id);

    // A listed name typed in another case is that customer, not a new one.
    s.typeInto(box, QStringLiteral("birch homes"));
    s.leave(box);
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(box->currentText(), QStringLiteral("Birch Homes"));
    // An emptied box leaves the estimate without a customer.
    s.typeInto(box, QString());
    s.leave(box);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(s.stored("CustomerID").isNull());
    QCOMPARE(customers(s.db), 4);
}

void TestCustomers::aNewEstimateStartsAsADraftWithTheDefaults() {
    const QString terms = QStringLiteral("50% deposit on acceptance.\nBalance due on completion.");
    EstimateTest<Customers> s([&](TestDatabase& db) {
        db.exec("UPDATE MyCompany SET QuoteValidDays = 14, QuoteTerms = ?", {terms});
    });
    s.window.mnuFileNewEstimate->trigger();
    const QDate today = QDate::currentDate();
    QCOMPARE(s.e->cbQuoteStatus->currentText(), QStringLiteral("Draft"));
    QCOMPARE(s.h->job->dtEstimateDate->date(), today);
    QCOMPARE(s.h->job->dtValidUntil->date(), today.addDays(14));
    QCOMPARE(s.h->job->txtTerms->toPlainText(), terms);
    QCOMPARE(s.h->job->cbCustomer->currentText(), QString());
    s.typeInto(s.e->txtQuoteNumber, QStringLiteral("2001"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(s.messages.shown().isEmpty());
    QCOMPARE(rowsOf(s.db, "SELECT s.StatusDescription, e.ValidUntil, e.Terms FROM EstimateTBL e "
                          "JOIN StatusesTBL s ON s.StatusID = e.EstimateStatus WHERE "
                          "e.QuoteNumber = 2001"),
             QStringList{"Draft|" + today.addDays(14).toString(Qt::ISODate) + '|' + terms});
}

void TestCustomers::anEstimateWithoutDatesShowsThemBlank() {
    EstimateTest<Customers> s([](TestDatabase& db) {
        db.exec("UPDATE EstimateTBL SET EstimateData = NULL, ValidUntil = NULL");
    });
    QDateEdit* date = s.h->job->dtEstimateDate;
    QDateEdit* validUntil = s.h->job->dtValidUntil;
    QCOMPARE(date->text().trimmed(), QString());
    QCOMPARE(validUntil->text().trimmed(), QString());
    // Without a validity the estimate is saved as it was; without a date it is not.
    validUntil->setFocus(Qt::TabFocusReason);
    s.leave(validUntil);
    s.typeInto(s.h->job->txtJobName, QStringLiteral("Porch"));
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QCOMPARE(s.messages.texts(), QStringList{"Please enter the estimate's date: Home lists every "
                                             "estimate in the month of its date."});
    QTRY_COMPARE(QApplication::focusWidget(), date);
    QVERIFY(s.stored("JobName").isNull());
    // A date stepped up from the blank one is a date; the validity stays blank.
    s.messages.clear();
    QTest::keyClick(date, Qt::Key_Up);
    s.click(s.e->cmdEstimateSaveCurrentRecord);
    QVERIFY(s.messages.shown().isEmpty());
    QVERIFY(!s.stored("EstimateData").isNull());
    QVERIFY(s.stored("ValidUntil").isNull());
    QCOMPARE(s.stored("JobName").toString(), QStringLiteral("Porch"));
}

void TestCustomers::theCustomersDialog() {
    Dialog c;
    CustomersDialog& d = c.d;
    QCOMPARE(c.namesShown(), (QStringList{"Birch Homes", "Cole Roofing", "Hale Construction"}));

    // The search narrows the list as the user types: by name, or by city.
    UserInput::typeInto(d.txtSearch, QStringLiteral("HALE"));
    QCOMPARE(c.namesShown(), QStringList{"Hale Construction"});
    UserInput::typeInto(d.txtSearch, QStringLiteral("waco"));
    QCOMPARE(c.namesShown(), QStringList{"Cole Roofing"});
    QCOMPARE(d.txtName->text(), QStringLiteral("Cole Roofing"));
    UserInput::typeInto(d.txtSearch, QString());
    QCOMPARE(c.namesShown().size(), 3);

    // A new name is stored with its fields (Enter saves) and chosen in the list.
    UserInput::click(d.cmdAdd);
    UserInput::typeInto(d.txtCity, QStringLiteral("Round Rock, TX 78664"));
    UserInput::typeInto(d.txtName, QStringLiteral("Ivy Lane Builders"));
    QTest::keyClick(d.txtName, Qt::Key_Return);
    QVERIFY(c.messages.shown().isEmpty());
    QCOMPARE(rowsOf(c.db, "SELECT City FROM CustomersTBL WHERE CustomerName = 'Ivy Lane Builders'"),
             QStringList{"Round Rock, TX 78664"});
    QVERIFY(!d.isEditing());
    QCOMPARE(d.grdCustomers->currentIndex().data().toString(), QStringLiteral("Ivy Lane Builders"));

    // A customer estimates name is kept, and the message says how many.
    c.clickRowOf(QStringLiteral("Hale Construction"));
    UserInput::click(d.cmdDelete);
    QCOMPARE(c.messages.texts(),
             QStringList{"Hale Construction is the customer of 3 estimates, so it cannot be "
                         "deleted. Give those estimates another customer first, or keep it."});
    QCOMPARE(customers(c.db), 4);
    // One no estimate names goes, once the user agrees.
    c.messages.clear();
    c.clickRowOf(QStringLiteral("Birch Homes"));
    c.messages.answerNext(QMessageBox::Yes);
    UserInput::click(d.cmdDelete);
    QCOMPARE(c.messages.texts(), QStringList{"Delete the customer Birch Homes?"});
    QCOMPARE(c.namesShown(),
             (QStringList{"Cole Roofing", "Hale Construction", "Ivy Lane Builders"}));
    QCOMPARE(customers(c.db), 3);
}

void TestCustomers::customerRecordChecks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const auto refusal = [](const char* name, const char* field, const QString& text,
                            const QString& message) {
        QTest::newRow(name) << field << text << message;
    };
    const QString taken = QStringLiteral("There is already a customer named Cole Roofing. Please "
                                         "enter a name no other customer has.");
    refusal("another's name", "txtName", "Cole Roofing", taken);
    refusal("another's name, other case", "txtName", "cOLE rOOFING ", taken);
    refusal("no name", "txtName", "   ", "Please enter the customer's name.");
    refusal("e-mail without @", "txtEmail", "dana.birchhomes.com",
            "dana.birchhomes.com is not an e-mail address. Please enter one such as "
            "name@example.com, or leave the box empty.");
    refusal("notes of 4,001 characters", "txtNotes", QString(4001, QLatin1Char('x')),
            "The notes can be at most 4,000 characters long; these have 4,001. Please shorten "
            "them.");
}

void TestCustomers::customerRecordChecks() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    Dialog c(2);
    CustomersDialog& d = c.d;
    const QStringList stored = rowsOf(c.db, "SELECT * FROM CustomersTBL");
    UserInput::click(d.cmdEdit);
    auto* box = d.findChild<QWidget*>(field);
    QVERIFY(box);
    enterText(box, text);
    UserInput::click(d.cmdSave);
    QCOMPARE(c.messages.texts(), QStringList{message});
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QCOMPARE(LeaveCheck::textOf(box), text);
    QVERIFY(d.isEditing());
    QCOMPARE(rowsOf(c.db, "SELECT * FROM CustomersTBL"), stored);
    // Esc asks before the typing goes; No drops it and shows the customer as stored.
    c.messages.clear();
    c.messages.answerNext(QMessageBox::No);
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(c.messages.texts(), QStringList{"Save the changes to this customer?"});
    QVERIFY(!d.isEditing());
    QVERIFY(d.isVisible());
    QCOMPARE(d.txtName->text(), QStringLiteral("Birch Homes"));
}

void TestCustomers::theHeadersButtonOpensTheCustomer() {
    EstimateTest<Customers> s;
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
    QVERIFY(s.messages.shown().isEmpty());
    // The header's list follows the rename; the estimate keeps its customer.
    QCOMPARE(s.h->job->cbCustomer->currentText(), QStringLiteral("Hale Builders"));
    QVERIFY(s.h->job->cbCustomer->findText(QStringLiteral("Hale Construction")) < 0);
    QCOMPARE(s.stored("CustomerID").toInt(), 1);
}

QTEST_MAIN(TestCustomers)
#include "tst_customers.moc"
