// The main window: start-up with and without a usable database, loading, the screens and
// menus, the layout that follows the window's size, and saving the settings on the way out.
#include "app/loadsteps.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/programerror.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimatetotals.h"
#include "estimates/homeframe.h"
#include "materials/materialrecordpanel.h"
#include "materials/materialsframe.h"
#include "materials/materialslist.h"
#include "settings/preferencesdialog.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "support/isolatedsettings.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {
const QString kKey = QStringLiteral("Dorvane\\PX");

QRectF twips(const QWidget* w) {
    return Twips::geometry(w);
}

// Controls under root (named, not hidden) that stick out of their parent or overlap a sibling.
QStringList misplacedControls(QWidget* root) {
    auto isControl = [](const QObject* object) {
        const auto* w = qobject_cast<const QWidget*>(object);
        return w && !w->isWindow() && !w->isHidden() && !w->objectName().isEmpty() &&
               !w->objectName().startsWith(QLatin1String("qt_"));
    };
    QStringList out;
    QList<QWidget*> parents = root->findChildren<QWidget*>();
    parents << root;
    for (const QWidget* parent : parents) {
        QList<const QWidget*> controls;
        for (const QObject* child : parent->children())
            if (isControl(child))
                controls << static_cast<const QWidget*>(child);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QWidget* c = controls[i];
            if (!parent->rect().contains(c->geometry()))
                out << c->objectName() + QStringLiteral(" outside ") + parent->objectName();
            for (qsizetype j = i + 1; j < controls.size(); ++j)
                if (c->geometry().intersects(controls[j]->geometry()))
                    out << c->objectName() + QStringLiteral(" over ") + controls[j]->objectName();
        }
    }
    return out;
}

// An estimate dated today, so Home lists one: Edit, Edit Record and the Estimate tab need it.
void addTodaysEstimate(TestDatabase& db) {
    db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping) "
                           "VALUES (7001, ?, 0, 0)"),
            {QDate::currentDate()});
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startupStopsWithoutAUsableDatabase_data();
    void startupStopsWithoutAUsableDatabase();
    void anUnopenableDatabaseOffersAnotherFile();
    void loadShowsTheCompanyAndTheClock();
    void emptyCompanyDetailsHideTheirLabelsAndTheHintOpensPreferences();
    void theEstimatesAreReadAfterTheFirstPaint();
    void menusAndScreensFollowTheShownTab();
    void menuLettersWinOverTheTabs();
    void layoutFollowsTheWindowSize();
    void controlsStayInsideTheirFramesAndApart();
    void loadStepsGoOnAfterAMissingFileOnly();
    void closingSavesTheSettings();
};

void TestMainWindow::startupStopsWithoutAUsableDatabase_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("firstTitle");
    QTest::newRow("missing file") << "missing"
                                  << " clsSetting / OpenConnection";
    QTest::newRow("another password") << "password"
                                      << " clsSetting / OpenConnection";
    QTest::newRow("no categories table") << "structure"
                                         << "OpenConnection";
}

void TestMainWindow::startupStopsWithoutAUsableDatabase() {
    QFETCH(QString, damage);
    QFETCH(QString, firstTitle);
    IsolatedSettings store;
    TestDatabase db;
    const QString path = db.damage(damage);
    WriteRegString(kKey, QStringLiteral("DBPath"), path);

    ScriptedMessages messages;
    messages.answerNext(QMessageBox::Ok);
    messages.answerNext(QMessageBox::Ok);
    messages.answerNext(QMessageBox::Close); // quit rather than choose another file
    const int status = SubMain(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    QVERIFY(status != 0);
    QCOMPARE(messages.titles(),
             (QStringList{firstTitle, QStringLiteral("LoadSettings"), QStringLiteral("Plenwick")}));
    QCOMPARE(messages.texts().at(1), QStringLiteral("10001 - Could not open database connection."));
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<frmMain*>(w));
    QVERIFY(!gSettings && !gConnection && !gTestConnection);
}

void TestMainWindow::anUnopenableDatabaseOffersAnotherFile() {
    IsolatedSettings store;
    TestDatabase good;
    TestDatabase bad;
    WriteRegString(kKey, QStringLiteral("DBPath"), bad.damage(QStringLiteral("missing")));
    QStringList asked;
    QStringList answers{QString(), good.path(), bad.dir() + QStringLiteral("/fresh")};
    const auto previous = setDatabaseFileChooser([&](bool create) {
        asked << (create ? QStringLiteral("create") : QStringLiteral("open"));
        return answers.takeFirst();
    });
    auto savedPath = [] {
        QString path;
        ReadRegString(kKey, QStringLiteral("DBPath"), path);
        return QDir::fromNativeSeparators(path);
    };
    {
        ProgramObjects objects;
        {
            ScriptedMessages failure;
            objects.settings.LoadSettings();
        }
        QVERIFY(!objects.connection.isOpen());
        ScriptedMessages messages;
        // A cancelled file dialog asks again; the second time a good file is chosen.
        messages.answerNext(QMessageBox::Open);
        messages.answerNext(QMessageBox::Open);
        QVERIFY(ChooseAnotherDatabase());
        QVERIFY(objects.connection.isOpen());
        QCOMPARE(asked, (QStringList{"open", "open"}));
        QCOMPARE(savedPath(), good.path());
        QCOMPARE(messages.titles(), (QStringList{"Plenwick", "Plenwick"}));
        QCOMPARE(messages.shown().first().buttonTexts.value(QMessageBox::Save),
                 QStringLiteral("&Create New..."));
    }
    {
        // A new, empty database: made where the user said (".mdb" added), opened and saved.
        WriteRegString(kKey, QStringLiteral("DBPath"), bad.damage(QStringLiteral("missing")));
        ProgramObjects objects;
        {
            ScriptedMessages failure;
            objects.settings.LoadSettings();
        }
        ScriptedMessages messages;
        messages.answerNext(QMessageBox::Save);
        QVERIFY(ChooseAnotherDatabase());
        QCOMPARE(savedPath(), bad.dir() + QStringLiteral("/fresh.mdb"));
        QVERIFY(objects.connection.isOpen());
        QCOMPARE(objects.connection.databasePath(), bad.dir() + QStringLiteral("/fresh.mdb"));
    }
    setDatabaseFileChooser(previous);
}

void TestMainWindow::loadShowsTheCompanyAndTheClock() {
    Program program;
    program.db.exec(QStringLiteral("UPDATE MyCompany SET CompanyName = ?, CompanyAddress = ?, "
                                   "CompanyCity = ?"),
                    {QStringLiteral("Harbor Electric"), QStringLiteral("12 Pier Road"),
                     QStringLiteral("Portland, OR 97201")});
    QVERIFY(program.load());
    frmMain w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Plenwick"));
    QCOMPARE(w.minimumSize(), QSize(800, 600));
    QCOMPARE(w.tabMain->currentIndex(), 0);
    QCOMPARE(w.frMain->title(), QStringLiteral("Plenwick"));
    QCOMPARE(w.frMain->lblCompanyName->text(), QStringLiteral("Harbor Electric"));
    QCOMPARE(w.frMain->lblCompanyAddress->text(), QStringLiteral("12 Pier Road"));
    QCOMPARE(w.frMain->lblCompanyCity->text(), QStringLiteral("Portland, OR 97201"));
    QVERIFY(!w.frMain->lblCompanyNameLabel->isHidden());
    QCOMPARE(w.frMain->lblMonthYear->text(), formatMonthYear(QDate::currentDate()));

    // The clock shows the date and time at first, then the date alone from its first tick.
    const QString first = w.frMain->lblToday->text();
    QVERIFY2(first.contains(QLatin1Char(':')), qPrintable(first));
    QTRY_COMPARE_WITH_TIMEOUT(w.frMain->lblToday->text(), formatMediumDate(QDate::currentDate()),
                              3000);
}

void TestMainWindow::emptyCompanyDetailsHideTheirLabelsAndTheHintOpensPreferences() {
    Program program;
    program.db.exec(QStringLiteral("UPDATE MyCompany SET CompanyName = '', CompanyAddress = ?, "
                                   "CompanyCity = ''"),
                    {QStringLiteral("12 Pier Road")});
    QVERIFY(program.load());
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.frMain->lblCompanyName->isHidden());
    QVERIFY(w.frMain->lblCompanyNameLabel->isHidden());
    QVERIFY(!w.frMain->lblCompanyAddress->isHidden());
    QVERIFY(!w.frMain->lblCompanyAddressLabel->isHidden());
    QVERIFY(w.frMain->lblCompanyCity->isHidden());
    // Without a name, the hint stands in its place and opens Preferences on the Company tab.
    QPushButton* hint = w.frMain->cmdCompanyDetails;
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("Enter your company's details for your quotes"));
    // Tabbed to and taken with Enter, as a keyboard user follows a link.
    hint->setFocus();
    QVERIFY(whileModal([hint] { QTest::keyClick(hint, Qt::Key_Return); },
                       [](QDialog* dialog) {
                           auto* d = qobject_cast<frmOptions*>(dialog);
                           QVERIFY(d);
                           QCOMPARE(d->tabPreferences->currentWidget()->objectName(),
                                    QStringLiteral("tabCompany"));
                           QTRY_COMPARE(QApplication::focusWidget(), d->txtCompanyName);
                           QTest::keyClicks(d->txtCompanyName, QStringLiteral("Harbor Electric"));
                           QTest::mouseClick(d->cmdOK, Qt::LeftButton);
                       }));
    // Saved: the name shows with its caption, and the hint is gone.
    QVERIFY(hint->isHidden());
    QVERIFY(!w.frMain->lblCompanyName->isHidden());
    QVERIFY(!w.frMain->lblCompanyNameLabel->isHidden());
    QCOMPARE(w.frMain->lblCompanyName->text(), QStringLiteral("Harbor Electric"));
}

void TestMainWindow::theEstimatesAreReadAfterTheFirstPaint() {
    // As the program starts: an estimate stored without a reference number is removed before
    // Home lists anything, and the others are read only once the window is up, or as soon as
    // Home asks for one.
    for (const bool homeAsksFirst : {true, false}) {
        Program program;
        addTodaysEstimate(program.db);
        program.db.exec(QStringLiteral("INSERT INTO EstimateTBL (EstimateData, TaxRate, Shipping) "
                                       "VALUES (?, 0, 0)"),
                        {QDate::currentDate()});
        QVERIFY(program.load());
        frmMain::readEstimatesAfterFirstPaint(true);
        frmMain w;
        frmMain::readEstimatesAfterFirstPaint(false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM EstimateTBL").toInt(), 1);
        QCOMPARE(w.frMain->DGEstimatesAll->model()->rowCount(), 1);
        QVERIFY(!w.estimateBook->records() || !w.estimateBook->records()->isOpen());
        if (!homeAsksFirst)
            w.finishLoading();
        // New Estimate works either way, with the reference number ready for typing.
        QTest::mouseClick(w.frMain->cmdEstimate, Qt::LeftButton);
        QCOMPARE(w.tabMain->currentIndex(), 2);
        QVERIFY(w.estimateBook->records() && w.estimateBook->records()->isOpen());
        QTRY_COMPARE(QApplication::focusWidget(), w.frEstimating->txtQuoteNumber);
        w.finishLoading(); // nothing left to read: the new estimate stays
        QCOMPARE(w.estimateBook->records()->value(QStringLiteral("QuoteNumber")), QVariant());
    }
}

void TestMainWindow::menusAndScreensFollowTheShownTab() {
    Program program;
    addTodaysEstimate(program.db);
    QVERIFY(program.load());
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto ticks = [&w] {
        return QList<bool>{w.mnuViewMainScreen->isChecked(), w.mnuViewMaterials->isChecked(),
                           w.mnuViewEstimateScr->isChecked()};
    };
    QCOMPARE(ticks(), (QList<bool>{true, false, false}));
    QVERIFY(w.mnuEditEditRecord->isEnabled());
    QVERIFY(!w.mnuEditSaveRecord->isEnabled());

    QTabBar* tabs = w.tabMain->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QCOMPARE(w.tabMain->currentIndex(), 1);
    QCOMPARE(ticks(), (QList<bool>{false, true, false}));
    QVERIFY(!w.mnuEditEditRecord->isEnabled());
    // Saving a material follows the record panel: off while browsing, on while adding, also
    // after a visit to another screen.
    QVERIFY(!w.mnuEditSaveRecord->isEnabled());
    QVERIFY(w.frMain->isHidden() && !w.frMaterials->isHidden());
    auto* add = w.frMaterials->findChild<QPushButton*>(QStringLiteral("cmdMaterialsAddNewRecord"));
    auto* undo = w.frMaterials->findChild<QPushButton*>(QStringLiteral("cmdUndoChanges"));
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY(w.mnuEditSaveRecord->isEnabled());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QVERIFY(!w.mnuEditSaveRecord->isEnabled());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QVERIFY(w.mnuEditSaveRecord->isEnabled());
    QTest::mouseClick(undo, Qt::LeftButton);
    QVERIFY(!w.mnuEditSaveRecord->isEnabled());

    w.mnuViewMainScreen->trigger();
    QCOMPARE(w.tabMain->currentIndex(), 0);
    QCOMPARE(ticks(), (QList<bool>{true, false, false}));
    QVERIFY(w.mnuEditEditRecord->isEnabled());

    w.mnuViewEstimateScr->trigger();
    QCOMPARE(w.tabMain->currentIndex(), 2);
    QCOMPARE(ticks(), (QList<bool>{false, false, true}));
    QVERIFY(!w.mnuEditEditRecord->isEnabled());

    // Edit Record acts only on the Home screen, as its Edit button does.
    QSignalSpy edits(w.frMain, &HomeFrame::estimateScreenRequested);
    w.mnuEditEditRecord->setEnabled(true);
    w.mnuEditEditRecord->trigger();
    QCOMPARE(edits.count(), 0);
    w.SwitchScreen(QStringLiteral("Home"), w.mnuViewMainScreen);
    w.mnuEditEditRecord->trigger();
    QCOMPARE(edits.count(), 1);
    QCOMPARE(w.tabMain->currentIndex(), 2);
    w.SwitchScreen(QStringLiteral("Home"), w.mnuViewMainScreen);
    QTest::mouseClick(w.frMain->cmdEditEstimate, Qt::LeftButton);
    QCOMPARE(edits.count(), 2);
}

void TestMainWindow::menuLettersWinOverTheTabs() {
    Program program;
    addTodaysEstimate(program.db);
    QVERIFY(program.load());
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    const struct {
        Qt::Key key;
        QMenu* menu;
    } letters[] = {{Qt::Key_E, w.mnuEdit}, {Qt::Key_H, w.mnuHelp}, {Qt::Key_T, w.mnuTools}};
    for (const auto& letter : letters) {
        QTest::keyClick(&w, letter.key, Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), letter.menu);
        letter.menu->close();
        QCOMPARE(w.tabMain->currentIndex(), 0); // no tab took the letter
    }
    // The screens stay on Ctrl+Tab, forwards and back round the ends, and on Ctrl+1/2/3.
    QTest::keyClick(&w, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(w.tabMain->currentIndex(), 1);
    QTest::keyClick(&w, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&w, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.tabMain->currentIndex(), 2);
    QTest::keyClick(&w, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(w.tabMain->currentIndex(), 0);
}

void TestMainWindow::layoutFollowsTheWindowSize() {
    Program program;
    QVERIFY(program.load());
    frmMain w;
    w.resize(800, 600);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    EstimateFrame* e = w.frEstimating;
    MaterialRecordPanel* m = w.frMaterials->recordPanel;
    MaterialsList* l = w.frMaterials->materialsList;
    // Each screen moves only controls of its own, each once.
    int rows = 0;
    for (QWidget* screen : QList<QWidget*>{w.frMain, w.frMaterials, e}) {
        QSet<QWidget*> seen;
        for (const LayoutRow& row : dynamic_cast<ScreenInterface*>(screen)->layoutRows()) {
            QVERIFY(row.control && screen->isAncestorOf(row.control));
            QVERIFY2(!seen.contains(row.control), qPrintable(row.control->objectName()));
            seen.insert(row.control);
            ++rows;
        }
    }
    QCOMPARE(rows, 36);

    // Grown by 1000 twips in height since the last layout.
    const QRectF material = twips(e->grdMaterialEstimate);
    const QRectF labor = twips(e->grdLaborEstimate);
    const QRectF labourTotal = twips(e->totals->lblTotalLabourExtension);
    const QRectF description = twips(m->txtMaterialsDescription);
    w.setReferenceSize(w.referenceSize() - QSizeF(0, 1000));
    w.LayoutControls();
    QCOMPARE(qRound(twips(e->grdMaterialEstimate).height() - material.height()), 280);
    QCOMPARE(twips(e->grdMaterialEstimate).top(), material.top());
    QCOMPARE(qRound(twips(e->grdLaborEstimate).top() - labor.top()), 280);
    QCOMPARE(qRound(twips(e->grdLaborEstimate).height() - labor.height()), 620);
    QCOMPARE(qRound(twips(e->totals->lblTotalLabourExtension).top() - labourTotal.top()), 1000);
    QCOMPARE(twips(m->txtMaterialsDescription), description);

    // A real resize: 150 pixels wider and taller.
    w.resize(800, 600);
    QTRY_COMPARE(w.referenceSize().height(), 600 * Twips::perPixelY(&w));
    const QRect list = l->grdMaterialsList->geometry();
    const QRect filter = l->frMaterialsFilter->geometry();
    const QRect record = m->frMaterialRecord->geometry();
    const QRect today = w.frMain->lblToday->geometry();
    const QRect estimates = w.frMain->DGEstimatesAll->geometry();
    const QRect tabs = w.tabMain->geometry();
    const QRect customer = e->findChild<QWidget*>(QStringLiteral("cbCustomer"))->geometry();
    const QRect taxRate = e->txtTaxRate->geometry();
    const QRect save = e->cmdEstimateSaveCurrentRecord->geometry();
    w.resize(950, 750);
    QTRY_COMPARE(w.tabMain->geometry().size(), tabs.size() + QSize(150, 150));
    QCOMPARE(l->grdMaterialsList->geometry(), list.adjusted(0, 0, 150, 150));
    QCOMPARE(m->frMaterialRecord->geometry(), record.adjusted(0, 0, 150, 0));
    // The filter frame moves with the right edge and keeps its width.
    QCOMPARE(l->frMaterialsFilter->geometry(), filter.translated(150, 0));
    QCOMPARE(w.frMain->lblToday->geometry(), today.translated(150, 0));
    // The month's list reaches the Home frame's corner.
    QCOMPARE(w.frMain->DGEstimatesAll->geometry(), estimates.adjusted(0, 0, 150, 150));
    // The header's middle column widens, the money column moves right, Save stays by the
    // record bar.
    QCOMPARE(e->findChild<QWidget*>(QStringLiteral("cbCustomer"))->geometry(),
             customer.adjusted(0, 0, 150, 0));
    QCOMPARE(e->txtTaxRate->geometry(), taxRate.translated(150, 0));
    QCOMPARE(e->cmdEstimateSaveCurrentRecord->geometry(), save.translated(0, 150));
    QVERIFY(m->frMaterialRecord->geometry().right() < l->frMaterialsFilter->geometry().left());

    // Minimising and restoring leaves everything where it was.
    const QRect grown = l->grdMaterialsList->geometry();
    const QRect laborGrown = e->grdLaborEstimate->geometry();
    w.showMinimized();
    QCoreApplication::processEvents();
    w.showNormal();
    QCoreApplication::processEvents();
    QCOMPARE(l->grdMaterialsList->geometry(), grown);
    QCOMPARE(e->grdLaborEstimate->geometry(), laborGrown);
}

void TestMainWindow::controlsStayInsideTheirFramesAndApart() {
    Program program;
    program.db.exec(QStringLiteral("UPDATE MyCompany SET CompanyName = ?, CompanyAddress = ?"),
                    {QStringLiteral("Harbor Electric"), QStringLiteral("12 Pier Road")});
    QVERIFY(program.load());
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The smallest window, one of a common size, and one wider than it is tall.
    for (const QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1600, 700)}) {
        w.resize(size);
        QTRY_COMPARE(w.referenceSize().width(), size.width() * Twips::perPixelX(&w));
        for (int tab = 0; tab < w.tabMain->count(); ++tab) {
            w.tabMain->setCurrentIndex(tab);
            QWidget* frame = w.tabMain->widget(tab)->findChild<QGroupBox*>();
            const QStringList misplaced = misplacedControls(frame);
            QVERIFY2(misplaced.isEmpty(), qPrintable(QStringLiteral("%1 at %2x%3: %4")
                                                         .arg(frame->objectName())
                                                         .arg(size.width())
                                                         .arg(size.height())
                                                         .arg(misplaced.join(", "))));
        }
    }
}

void TestMainWindow::loadStepsGoOnAfterAMissingFileOnly() {
    ScriptedMessages messages;
    QStringList ran;
    const bool completed =
        RunLoadSteps({
                         [] { throw ProgramError(53, QStringLiteral("File not found")); },
                         [&ran] { ran << QStringLiteral("after missing file"); },
                         [] { throw ProgramError(76, QStringLiteral("Path not found")); },
                         [&ran] { ran << QStringLiteral("after missing folder"); },
                         [] { throw ProgramError(11, QStringLiteral("Division by zero")); },
                         [&ran] { ran << QStringLiteral("never"); },
                     },
                     QStringLiteral("frmMain / Form_Load"));
    QVERIFY(!completed);
    QCOMPARE(ran, (QStringList{"after missing file", "after missing folder"}));
    QCOMPARE(messages.shown().size(), 3);
    QCOMPARE(messages.shown().at(0).icon, QMessageBox::Information);
    QVERIFY(messages.texts().at(0).startsWith(QStringLiteral("File not found\r\r")));
    QVERIFY(messages.titles().at(0).isEmpty());
    QCOMPARE(messages.shown().at(2).icon, QMessageBox::Critical);
    QCOMPARE(messages.texts().at(2), QStringLiteral("11: Division by zero"));
    QCOMPARE(messages.titles().at(2), QStringLiteral("frmMain / Form_Load"));
}

void TestMainWindow::closingSavesTheSettings() {
    Program program;
    QVERIFY(program.load());
    {
        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QApplication::setActiveWindow(&w);
        w.SwitchScreen(QStringLiteral("materials"), w.mnuViewMaterials);
        // Ctrl+Q is File > Exit, as in other desktop programs.
        QTest::keyClick(w.frMaterials->grdMaterialsList, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w.isVisible());
    }
    QString value;
    QVERIFY(ReadRegString(kKey, QStringLiteral("DBPath"), value));
    QCOMPARE(value, program.db.path());
    QVERIFY(ReadRegString(kKey + QStringLiteral("\\Grids\\grdLaborEstimate"),
                          QStringLiteral("Description"), value));
    QCOMPARE(value, QStringLiteral("77"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
