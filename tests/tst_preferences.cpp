// The Preferences dialog: filled from the settings, its tabs and keys, the two "..." buttons
// with their file dialogs, and what OK and Cancel do to the settings, the store and the database
// the program works on.
#include "app/mainwindow.h"
#include "data/connection.h"
#include "data/globals.h"
#include "data/schema.h"
#include "estimates/homeframe.h"
#include "settings/preferencesdialog.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "support/datafiles.h"
#include "support/isolatedsettings.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedfiledialogs.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"
#include "support/userinput.h"
#include "widgets/logopicture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <functional>

namespace {
const QString kKey = QStringLiteral("Dorvane\\PX");

QString storedPath() {
    QString path;
    ReadRegString(kKey, QStringLiteral("DBPath"), path);
    return path;
}

using UserInput::click;
using UserInput::typeInto;

// Clicks the tab of the page with this object name.
void clickTab(QTabWidget* tabs, const char* page) {
    QTabBar* bar = tabs->findChild<QTabBar*>();
    const int index = tabs->indexOf(tabs->findChild<QWidget*>(QLatin1String(page)));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

QString currentTab(const frmOptions& d) {
    return d.tabPreferences->currentWidget()->objectName();
}

// The names of the widgets Tab takes the focus to, from this one on.
QStringList tabOrder(QWidget* from, int stops) {
    QStringList order;
    from->setFocus();
    for (QWidget* at = from; at && order.size() < stops; at = QApplication::focusWidget()) {
        order << at->objectName();
        QTest::keyClick(at, Qt::Key_Tab);
    }
    return order;
}

QVariant company(TestDatabase& db, const char* column) {
    return db.scalar(QStringLiteral("SELECT %1 FROM MyCompany").arg(QLatin1String(column)));
}

// Runs steps on the Preferences dialog the menu item opens modally.
bool withPreferences(QAction* item, const std::function<void(frmOptions*)>& steps) {
    return whileModal([item] { item->trigger(); },
                      [&steps](QDialog* dialog) {
                          if (auto* preferences = qobject_cast<frmOptions*>(dialog))
                              steps(preferences);
                      });
}

// A program on a database with a company, a supplier and one material.
struct ProgramWithData : Program {
    ProgramWithData() {
        db.addSmallLookups();
        db.exec(QStringLiteral("UPDATE MyCompany SET CompanyName = ?, CompanyAddress = ?, "
                               "CompanyCity = ?, CompanyLogo = ?"),
                {QStringLiteral("Harbor Electric"), QStringLiteral("12 Pier Road"),
                 QStringLiteral("Portland, OR 97201"), QStringLiteral("/logos/harbor.bmp")});
        db.exec(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber, UnitCost) "
                               "VALUES (1, 'OLD-1', 2.5)"));
    }
};
} // namespace

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    void bothMenusOpenTheDialogFilledFromTheSettings() {
        ProgramWithData program;
        QVERIFY(program.load());
        frmMain window;
        window.show();
        QVERIFY(withPreferences(window.mnuEditPreferences, [&](frmOptions* d) {
            QCOMPARE(d->parentWidget(), &window);
            const QList<std::pair<QLineEdit*, QString>> boxes = {
                {d->txtCompanyName, "Harbor Electric"},
                {d->txtCompanyCity, "Portland, OR 97201"},
                {d->txtLogoPath, "/logos/harbor.bmp"},
                {d->txtPathToDB, program.db.path()}};
            for (const auto& [box, text] : boxes)
                QCOMPARE(box->text(), text);
            const QPoint middle = d->screen()->availableGeometry().center();
            QVERIFY((d->frameGeometry().center() - middle).manhattanLength() <= 2);
            // Typing then Esc: nothing is kept.
            typeInto(d->txtCompanyName, QStringLiteral("Typed Away"));
            QTest::keyClick(d->txtCompanyName, Qt::Key_Escape);
            QVERIFY(!d->isVisible());
        }));
        QCOMPARE(gSettings->CompanyName(), QStringLiteral("Harbor Electric"));
        QVERIFY(withPreferences(window.mnuToolsPreferences, [&](frmOptions* d) {
            click(d->cmdCancel);
            QVERIFY(!d->isVisible());
        }));
    }

    void tabOrderAndCtrlTab() {
        ProgramWithData program;
        QVERIFY(program.load());
        frmOptions d;
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // Tab runs down the boxes, the "..." after its box, then OK.
        QCOMPARE(tabOrder(d.txtCompanyName, 10),
                 (QStringList{"txtCompanyName", "txtCompanyAdress", "txtCompanyCity",
                              "txtCompanyPhone", "txtCompanyFax", "txtEMail", "txtWebPage",
                              "txtLogoPath", "btnLogoBrowse", "cmdOK"}));
        // Ctrl+Tab steps through the tabs, from the last back to the first, wherever the focus is;
        // on Quotes, Tab leaves the terms box rather than typing a tab into them.
        QTest::keyClick(d.cmdOK, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(currentTab(d), QStringLiteral("tabQuotes"));
        QCOMPARE(
            tabOrder(d.spnQuoteValidDays, 4),
            (QStringList{"spnQuoteValidDays", "txtQuoteTerms", "chkQuoteAcceptanceLine", "cmdOK"}));
        QVERIFY(d.txtQuoteTerms->toPlainText().isEmpty());
        d.txtQuoteTerms->setFocus();
        QTest::keyClick(d.txtQuoteTerms, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(currentTab(d), QStringLiteral("tabDatabase"));
        d.txtPathToDB->setFocus();
        QTest::keyClick(d.txtPathToDB, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(currentTab(d), QStringLiteral("tabCompany"));
    }

    void okSwitchesDatabaseAndEveryScreenReloads() {
        ProgramWithData program;
        QVERIFY(program.load());
        TestDatabase other;
        other.addSmallLookups();
        other.exec(QStringLiteral("INSERT INTO MaterialsTBL (SuppliersID, PartNumber, UnitCost) "
                                  "VALUES (1, 'NEW-1', 1), (2, 'NEW-2', 2)"));
        frmMain window;
        window.show();
        // The catalogue is read when its screen shows.
        window.tabMain->setCurrentIndex(1);
        auto* list = window.findChild<QTableView*>(QStringLiteral("grdMaterialsList"));
        QVERIFY(list);
        QCOMPARE(list->model()->rowCount(), 1);
        gCurrentEstimateID = 7;
        ScriptedMessages messages;
        QVERIFY(withPreferences(window.mnuEditPreferences, [&](frmOptions* d) {
            ScriptedFileDialogs files;
            typeInto(d->txtCompanyName, QStringLiteral("Northwind Plumbing"));
            typeInto(d->txtCompanyCity, QStringLiteral("Salem, OR 97301"));
            clickTab(d->tabPreferences, "tabDatabase");
            files.answerNext(other.path());
            click(d->btnSelectDB);
            click(d->cmdOK);
            QVERIFY(!d->isVisible());
        }));
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        // The program works on the new file, and the store names it.
        QVERIFY(gConnection->isOpen());
        QCOMPARE(gConnection->databasePath(), other.path());
        QVERIFY(gConnectionString.contains(other.path()));
        QCOMPARE(storedPath(), other.path());
        // The details went into the new file's company row; the old file keeps its own.
        QCOMPARE(company(other, "CompanyName").toString(), QStringLiteral("Northwind Plumbing"));
        QCOMPARE(company(other, "CompanyAddress").toString(), QStringLiteral("12 Pier Road"));
        QCOMPARE(company(program.db, "CompanyName").toString(), QStringLiteral("Harbor Electric"));
        // Every screen shows the new file.
        QCOMPARE(window.frMain->lblCompanyName->text(), QStringLiteral("Northwind Plumbing"));
        QCOMPARE(window.frMain->lblCompanyCity->text(), QStringLiteral("Salem, OR 97301"));
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(gCurrentEstimateID, 0);
    }

    // Files tried change nothing the program works on; an OK that cannot open the file, or may not
    // leave a screen, keeps the old database and the dialog open with what was typed.
    void triedAndUnopenableFilesKeepTheOldDatabase() {
        ProgramWithData program;
        QVERIFY(program.load());
        TestDatabase other, spoiled;
        const QString bad = spoiled.damage(QStringLiteral("structure"));
        const QString missing = program.db.dir() + QStringLiteral("/nowhere/Estimating.mdb");
        const QString inUse = gConnectionString;
        const QString oldPath = program.db.path();
        frmMain window;
        window.show();
        window.tabMain->setCurrentIndex(1);
        auto* list = window.findChild<QTableView*>(QStringLiteral("grdMaterialsList"));
        QVERIFY(withPreferences(window.mnuEditPreferences, [&](frmOptions* d) {
            ScriptedMessages messages;
            ScriptedFileDialogs files;
            typeInto(d->txtCompanyName, QStringLiteral("Typed Company"));
            clickTab(d->tabPreferences, "tabDatabase");
            // The file already shown: nothing is tried.
            files.answerNext(oldPath);
            click(d->btnSelectDB);
            const FileDialogRequest& asked = files.asked().first();
            QCOMPARE(asked.title, QStringLiteral("Select Database"));
            QCOMPARE(asked.folder, program.db.dir());
            QVERIFY(messages.shown().isEmpty());
            // A file of the wrong structure: its messages, and the box keeps its text.
            files.answerNext(bad);
            click(d->btnSelectDB);
            QCOMPARE(messages.titles(), QStringList{"OpenConnection"});
            QCOMPARE(messages.texts(), QStringList{"Invalid Database Structure"});
            QCOMPARE(d->txtPathToDB->text(), oldPath);
            // A good file: shown, tried and closed again, and nothing the program uses changes.
            files.answerNext(other.path());
            click(d->btnSelectDB);
            QCOMPARE(d->txtPathToDB->text(), other.path());
            QCOMPARE(messages.shown().size(), 1);
            QVERIFY(!gTestConnection->isOpen());
            QCOMPARE(gConnectionString, inUse);
            QCOMPARE(gConnection->databasePath(), oldPath);

            // OK on a path that cannot be opened: reported; the dialog stays open on the path, with
            // everything typed.
            messages.clear();
            typeInto(d->txtPathToDB, missing);
            clickTab(d->tabPreferences, "tabCompany");
            click(d->cmdOK);
            QCOMPARE(messages.titles(), QStringList{" clsSetting / OpenConnection"});
            QVERIFY(messages.texts().first().contains(missing));
            QVERIFY(d->isVisible());
            QCOMPARE(currentTab(*d), QStringLiteral("tabDatabase"));
            QCOMPARE(d->focusWidget(), d->txtPathToDB);
            QCOMPARE(d->txtPathToDB->text(), missing);
            QCOMPARE(d->txtCompanyName->text(), QStringLiteral("Typed Company"));
            QVERIFY(gConnection->isOpen());
            QCOMPARE(gConnection->databasePath(), oldPath);
            QCOMPARE(gConnectionString, inUse);
            QCOMPARE(gSettings->CompanyName(), QStringLiteral("Harbor Electric"));

            // A screen that may not be left (work being typed the user keeps) keeps the old file.
            d->setLeaveGuard([] { return false; });
            typeInto(d->txtPathToDB, other.path());
            click(d->cmdOK);
            QVERIFY(d->isVisible());
            QCOMPARE(gConnection->databasePath(), oldPath);
            QCOMPARE(messages.shown().size(), 1);
            click(d->cmdCancel);
        }));
        QCOMPARE(gConnectionString, inUse);
        QCOMPARE(gConnection->databasePath(), oldPath);
        QCOMPARE(gSettings->PathToDB(), oldPath);
        QCOMPARE(storedPath(), oldPath);
        // The old database still works: the screens read and the settings save through it.
        QCOMPARE(list->model()->rowCount(), 1);
        ScriptedMessages messages;
        gSettings->SaveSettings();
        QVERIFY(messages.shown().isEmpty());
    }

    void logoDialogAndPreview() {
        ProgramWithData program;
        QVERIFY(program.load());
        IsolatedHome home;
        const QString picture = program.db.dir() + QStringLiteral("/logo.png");
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(picture));
        const QString notAPicture = program.db.path();
        frmOptions d;
        d.show();
        ScriptedMessages messages;
        ScriptedFileDialogs files;
        // The stored logo is gone: said beside its path, before any quote is printed.
        QVERIFY(d.lblLogoStatus->text().startsWith(QStringLiteral("This picture cannot be read")));
        QVERIFY(d.lblLogoPreview->pixmap().isNull());
        // Cancelled: the path stays as it was, and OK keeps the logo. Without a pictures folder
        // (and the logo's own gone) the dialog starts at home; then in the pictures folder.
        click(d.btnLogoBrowse);
        QVERIFY(QDir(home.dir()).mkdir(QStringLiteral("Pictures")));
        click(d.btnLogoBrowse);
        QCOMPARE(files.asked().size(), 2);
        const FileDialogRequest& asked = files.asked().first();
        QCOMPARE(asked.title, QStringLiteral("Select Company Logo"));
        QCOMPARE(asked.folder, home.dir());
        QCOMPARE(files.asked().last().folder, home.dir() + QStringLiteral("/Pictures"));
        const QStringList filters = asked.filter.split(QStringLiteral(";;"));
        QCOMPARE(filters.first(), QStringLiteral("PNG pictures (*.png)"));
        QCOMPARE(filters.last(), QStringLiteral("All files (*)"));
        QCOMPARE(filters.size(), canLoadSvgPictures() ? 6 : 5);
        QCOMPARE(d.txtLogoPath->text(), QStringLiteral("/logos/harbor.bmp"));
        // A file that is no picture: said so, the path unchanged.
        files.answerNext(notAPicture);
        click(d.btnLogoBrowse);
        QCOMPARE(messages.titles(), QStringList{"Select Company Logo"});
        QVERIFY(messages.texts().first().startsWith(notAPicture));
        QCOMPARE(d.txtLogoPath->text(), QStringLiteral("/logos/harbor.bmp"));
        // Typed in: said beside it.
        typeInto(d.txtLogoPath, notAPicture);
        VERIFY_CONTAINS(d.lblLogoStatus->text(), "it is not a PNG");
        // A picture: previewed, and saved with OK.
        files.answerNext(picture);
        click(d.btnLogoBrowse);
        QCOMPARE(d.txtLogoPath->text(), QDir::toNativeSeparators(picture));
        QCOMPARE(d.lblLogoPreview->pixmap().toImage().pixelColor(8, 8), QColor(Qt::blue));
        QVERIFY(!d.lblLogoStatus->text().contains(QStringLiteral("cannot")));
        click(d.cmdOK);
        QVERIFY(!d.isVisible());
        QCOMPARE(company(program.db, "CompanyLogo").toString(), QDir::toNativeSeparators(picture));
        QCOMPARE(messages.shown().size(), 1);
    }

    void anEmptiedPathMeansTheDefaultFile() {
        ProgramWithData program;
        QVERIFY(program.load());
        const QString defaultPath =
            QDir::toNativeSeparators(QDir(QCoreApplication::applicationDirPath())
                                         .filePath(QStringLiteral("Estimating.mdb")));
        QFile::remove(defaultPath);
        QVERIFY(Schema::createFile(defaultPath, nullptr));
        const auto removeFile = qScopeGuard([&] {
            gConnection->close();
            QFile::remove(defaultPath);
        });
        ScriptedMessages messages;
        frmOptions d;
        d.show();
        clickTab(d.tabPreferences, "tabDatabase");
        typeInto(d.txtPathToDB, QString());
        click(d.cmdOK);
        QVERIFY(!d.isVisible());
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(gConnection->databasePath(), defaultPath);
        // Stored empty, which names the default file at every start.
        QCOMPARE(gSettings->PathToDB(), QString());
        QCOMPARE(storedPath(), QString());
    }

    void okOnAnEmptyDatabaseSavesTheDetails() {
        Program program;
        QVERIFY(program.load());
        frmMain window;
        window.show();
        ScriptedMessages messages;
        QVERIFY(withPreferences(window.mnuToolsPreferences, [&](frmOptions* d) {
            for (QLineEdit* box :
                 {d->txtCompanyName, d->txtCompanyAdress, d->txtCompanyCity, d->txtCompanyPhone,
                  d->txtCompanyFax, d->txtEMail, d->txtWebPage, d->txtLogoPath})
                QVERIFY(box->text().isEmpty());
            typeInto(d->txtCompanyName, QStringLiteral("Solo Carpentry"));
            typeInto(d->txtCompanyFax, QString(300, QLatin1Char('9')));
            QTest::keyClick(d->txtCompanyFax, Qt::Key_Return); // Enter is OK
            QVERIFY(!d->isVisible());
        }));
        QVERIFY(messages.shown().isEmpty());
        QCOMPARE(company(program.db, "CompanyName").toString(), QStringLiteral("Solo Carpentry"));
        // A box takes no more than the database keeps.
        QCOMPARE(company(program.db, "CompanyFax").toString(), QString(255, QLatin1Char('9')));
        // That the Home screen shows the saved name at once is the main window test's.
    }

    // The quote's defaults come from the company row, are edited on the Quotes tab and go back
    // into the company row with OK, where a new dialog reads them again.
    void quotesTabShowsEditsAndSavesTheDefaults() {
        ProgramWithData program;
        program.db.exec(QStringLiteral("UPDATE MyCompany SET QuoteValidDays = 45, QuoteTerms = ?, "
                                       "QuoteAcceptanceLine = 0"),
                        {QStringLiteral("Net 30.\nDeposit 25%.")});
        QVERIFY(program.load());
        ScriptedMessages messages;
        {
            frmOptions d;
            d.show();
            clickTab(d.tabPreferences, "tabQuotes");
            QCOMPARE(d.spnQuoteValidDays->value(), 45);
            QCOMPARE(d.txtQuoteTerms->toPlainText(), QStringLiteral("Net 30.\nDeposit 25%."));
            QVERIFY(!d.chkQuoteAcceptanceLine->isChecked());
            QCOMPARE(d.lblQuoteTermsCount->text(),
                     QStringLiteral("%1 of %2 characters")
                         .arg(QLocale().toString(20), QLocale().toString(4000)));
            // More days than the box takes: the digit past the limit is refused.
            typeInto(d.spnQuoteValidDays, QStringLiteral("9999"));
            QCOMPARE(d.spnQuoteValidDays->text(), QStringLiteral("999"));
            typeInto(d.spnQuoteValidDays, QStringLiteral("14"));
            QTest::mouseClick(d.txtQuoteTerms->viewport(), Qt::LeftButton);
            QTest::keyClick(d.txtQuoteTerms, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(d.txtQuoteTerms, Qt::Key_Return);
            QTest::keyClicks(d.txtQuoteTerms, QStringLiteral("Prices in USD."));
            QVERIFY(d.isVisible()); // Enter in the terms is a new line, not OK
            QTest::mouseClick(d.chkQuoteAcceptanceLine, Qt::LeftButton, {},
                              QPoint(6, d.chkQuoteAcceptanceLine->height() / 2));
            QVERIFY(d.chkQuoteAcceptanceLine->isChecked());
            click(d.cmdOK);
            QVERIFY(!d.isVisible());
        }
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        const QString terms = QStringLiteral("Net 30.\nDeposit 25%.\nPrices in USD.");
        QCOMPARE(company(program.db, "QuoteValidDays").toInt(), 14);
        QCOMPARE(company(program.db, "QuoteTerms").toString(), terms);
        QCOMPARE(company(program.db, "QuoteAcceptanceLine").toInt(), 1);
        // Read back from the file, as another estimator's program would.
        gSettings->setQuoteTerms(QString());
        QVERIFY(!gSettings->LoadCompany().isSet());
        frmOptions again;
        QCOMPARE(again.spnQuoteValidDays->value(), 14);
        QCOMPARE(again.txtQuoteTerms->toPlainText(), terms);
        QVERIFY(again.chkQuoteAcceptanceLine->isChecked());
    }

    // Terms longer than the file keeps: said so on OK, nothing saved, the typing and the focus
    // kept; shortened to the limit, they are saved whole.
    void termsTooLongAreRefusedWithTheTypingKept() {
        ProgramWithData program;
        QVERIFY(program.load());
        ScriptedMessages messages;
        frmOptions d;
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        typeInto(d.txtCompanyName, QStringLiteral("Not Yet Saved"));
        clickTab(d.tabPreferences, "tabQuotes");
        const QString pasted = QString(4000, QLatin1Char('x')) + QLatin1Char('y');
        QGuiApplication::clipboard()->setText(pasted);
        QTest::mouseClick(d.txtQuoteTerms->viewport(), Qt::LeftButton);
        QTest::keyClick(d.txtQuoteTerms, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(d.lblQuoteTermsCount->text(),
                 QStringLiteral("%1 of %2 characters: too long")
                     .arg(QLocale().toString(4001), QLocale().toString(4000)));
        clickTab(d.tabPreferences, "tabCompany");
        click(d.cmdOK);
        QCOMPARE(messages.titles(), QStringList{"Preferences"});
        VERIFY_CONTAINS(messages.texts().first(), "Shorten them by 1 character");
        QVERIFY(d.isVisible());
        QCOMPARE(currentTab(d), QStringLiteral("tabQuotes"));
        QCOMPARE(d.focusWidget(), d.txtQuoteTerms);
        QCOMPARE(d.txtQuoteTerms->toPlainText(), pasted);
        QCOMPARE(company(program.db, "QuoteTerms").toString(), QString());
        QCOMPARE(company(program.db, "CompanyName").toString(), QStringLiteral("Harbor Electric"));
        // The cursor waits at the limit: one Delete takes the character past it.
        QTest::keyClick(d.txtQuoteTerms, Qt::Key_Delete);
        click(d.cmdOK);
        QVERIFY(!d.isVisible());
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(company(program.db, "QuoteTerms").toString(), QString(4000, QLatin1Char('x')));
        QCOMPARE(company(program.db, "CompanyName").toString(), QStringLiteral("Not Yet Saved"));
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
