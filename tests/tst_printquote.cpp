// File > Print Estimate from the Home and Estimate screens: which estimate is printed, the
// preview window's pages, navigation and export, and what the user is told.
#include "app/mainwindow.h"
#include "data/money.h"
#include "estimates/estimateframe.h"
#include "estimates/estimateheader.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"
#include "report/quotepreview.h"
#include "report/reportpageview.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "support/isolatedsettings.h"
#include "support/modaldialog.h"
#include "support/programfixture.h"
#include "support/quotefixture.h"
#include "support/scriptedfiledialogs.h"
#include "support/scriptedmessages.h"
#include "support/smalldisk.h"
#include "support/userinput.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

// A shown, active main window over the program's database.
struct Window {
    frmMain window;

    Window() {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
    }
    QTableView* homeList() const { return window.frMain->DGEstimatesAll; }
    void clickHomeRow(int row) {
        QTableView* grid = homeList();
        const QPoint centre = grid->visualRect(grid->model()->index(row, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    }
    // Presses Ctrl+P and, while the preview is up, runs steps on it. False when no preview
    // opened.
    bool print(const std::function<void(QuotePreview*)>& steps = {}) {
        // The window is active again once an earlier preview has closed, as for a user.
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
        return whileModal([this] { QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier); },
                          [&steps](QDialog* dialog) {
                              auto* preview = qobject_cast<QuotePreview*>(dialog);
                              QVERIFY(preview);
                              // The offscreen platform leaves the main window the active one.
                              QApplication::setActiveWindow(preview);
                              QTRY_COMPARE(QApplication::activeWindow(), preview);
                              if (steps)
                                  steps(preview);
                          });
    }
};

QString shown(const QuotePreview* preview, const QString& item, int page = 0) {
    const ReportItem* found = preview->layout().pages.at(page).item(item);
    return found ? found->text : QString();
}

QToolButton* buttonOf(QuotePreview* preview, QAction* action) {
    return qobject_cast<QToolButton*>(preview->toolBar->widgetForAction(action));
}

} // namespace

class TestPrintQuote : public QObject {
    Q_OBJECT
private slots:
    void init() { registerMoneyMetaType(); }
    void nothingToPrintDoesNothing();
    void printsTheEstimateSelectedOnHome();
    void exportRemembersItsFolder();
    void anExportThatFailsIsReportedAndAskedAgain();
    void exportFromTheMenuProposesAFolderThatExists();
    void theEstimateScreenPrintsWhatIsTyped();
    void anUnloadableLogoIsToldOnce();
};

void TestPrintQuote::nothingToPrintDoesNothing() {
    Program p;
    QVERIFY(p.load());
    ScriptedMessages messages;
    Window w;
    // Home on an empty month.
    QCOMPARE(w.homeList()->model()->rowCount(), 0);
    QVERIFY(!w.print());
    // A new estimate has no key until it is saved with a reference number.
    w.window.mnuFileNewEstimate->trigger();
    QTRY_COMPARE(w.window.tabMain->currentIndex(), 2);
    QVERIFY(!w.print());
    QVERIFY(messages.texts().filter("PrintQuote").isEmpty());
    QCOMPARE(p.db.scalar("SELECT COUNT(*) FROM Test").toInt(), 0);
}

void TestPrintQuote::printsTheEstimateSelectedOnHome() {
    Program p;
    addQuote(p.db, {7001, "Ann", 0.05, 0, {{1, "First estimate's pipe", 10, 10}}, {}});
    addQuote(p.db, {7002, "Bo", 0.05, 0, {{2, "Second estimate's valve", 20, 40}}, {}});
    QVERIFY(p.load());
    Window w;
    QCOMPARE(w.homeList()->model()->rowCount(), 2);
    w.clickHomeRow(0);
    QVERIFY(w.print([](QuotePreview* preview) {
        QCOMPARE(preview->windowTitle(), "Estimate ");
        QCOMPARE(shown(preview, "QuoteNumber"), "7001");
        QCOMPARE(shown(preview, "txtDescription"), "First estimate's pipe");
    }));
    // Printing again, another row: the second estimate only.
    w.clickHomeRow(1);
    QVERIFY(w.print([](QuotePreview* preview) {
        QCOMPARE(shown(preview, "QuoteNumber"), "7002");
        QCOMPARE(shown(preview, "Estimator"), "Bo");
        QCOMPARE(shown(preview, "txtGrandTotal"), "$42.00");
        // Esc closes the preview.
        QTest::keyClick(preview->preview, Qt::Key_Escape);
        QVERIFY(!preview->isVisible());
    }));
    QCOMPARE(p.db.scalar("SELECT COUNT(*) FROM Test").toInt(), 1);
}

void TestPrintQuote::exportRemembersItsFolder() {
    Program p;
    addQuote(p.db, {7101, "Ann", 0, 0, numberedLines(3), {}});
    QVERIFY(p.load());
    ScriptedFileDialogs files;
    ScriptedMessages messages;
    const QString folder = p.db.dir() + "/exports";
    QVERIFY(QDir().mkpath(folder));
    files.answerNext(folder + "/quote.htm");
    files.answerNext(folder + "/quote.pdf");
    Window w;
    w.clickHomeRow(0);
    QVERIFY(w.print([](QuotePreview* preview) {
        QTest::mouseClick(buttonOf(preview, preview->actExport), Qt::LeftButton);
        QTest::keyClick(preview, Qt::Key_E, Qt::ControlModifier);
    }));
    QCOMPARE(files.asked().size(), 2);
    const FileDialogRequest& first = files.asked().first();
    QCOMPARE(first.mode, FileDialogRequest::Save);
    QCOMPARE(first.filter, "HTML file (*.htm);;PDF file (*.pdf)");
    // PDF the first time.
    QCOMPARE(first.selectedFilter, "PDF file (*.pdf)");
    QVERIFY(first.fileName.endsWith("/Estimate 7101.pdf"));
    // The second export starts where the first one saved, in the type it chose.
    const FileDialogRequest& second = files.asked().last();
    QCOMPARE(QDir(second.folder).canonicalPath(), QDir(folder).canonicalPath());
    QCOMPARE(second.selectedFilter, "HTML file (*.htm)");
    QVERIFY(second.fileName.endsWith("/Estimate 7101.htm"));
    QFile html(folder + "/quote.htm");
    QVERIFY(html.open(QIODevice::ReadOnly));
    QVERIFY(html.readAll().contains("Item 3"));
    QFile pdf(folder + "/quote.pdf");
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(messages.shown().isEmpty());
}

void TestPrintQuote::anExportThatFailsIsReportedAndAskedAgain() {
    Program p;
    addQuote(p.db, {7201, "Ann", 0, 0, numberedLines(2), {}});
    QVERIFY(p.load());
    ScriptedFileDialogs files;
    ScriptedMessages messages;
    files.answerNext(p.db.dir() + "/missing/folder/quote.pdf");
    files.answerNext(p.db.dir() + "/quote.txt");
    files.answerNext(QString()); // cancelled
    Window w;
    w.clickHomeRow(0);
    QVERIFY(w.print([](QuotePreview* preview) {
        // Each failure is said and the dialog opens again with the name chosen, in a folder
        // that exists, until the user cancels.
        QVERIFY(!preview->exportQuote());
        QVERIFY(preview->isVisible()); // the preview stays
        // Print opens the system's print dialog; cancelling it prints nothing and says nothing.
        QVERIFY(whileModal([preview] { preview->actPrint->trigger(); },
                           [preview](QDialog* dialog) { QVERIFY(dialog != preview); }));
        QVERIFY(preview->isVisible());
    }));
    QCOMPARE(messages.titles(), QStringList({"DataReport Error", "DataReport Error"}));
    QVERIFY(messages.texts().at(0).startsWith("75 - "));
    QVERIFY(messages.texts().at(0).contains("could not be written"));
    QVERIFY(messages.texts().at(1).contains(".htm, .html or .pdf"));
    QVERIFY(!QFile::exists(p.db.dir() + "/quote.txt"));
    QCOMPARE(files.asked().size(), 3);
    QVERIFY(files.asked().at(1).fileName.endsWith("/quote.pdf"));
    QVERIFY(QFileInfo(files.asked().at(1).folder).isDir());
    QCOMPARE(files.asked().at(2).fileName, p.db.dir() + "/quote.txt.pdf");

    // A full disk: said so, and a quote saved there before is left as it was.
    SmallDisk disk;
    if (!disk.isValid())
        QSKIP("no small file system could be mounted (that takes the superuser)");
    const QString target = disk.filePath("quote.pdf");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the old quote") == 13);
    old.close();
    QVERIFY(disk.fill(0));
    messages.clear();
    files.answerNext(target);
    QVERIFY(w.print([](QuotePreview* preview) { QVERIFY(!preview->exportQuote()); }));
    QCOMPARE(messages.titles(), QStringList{"DataReport Error"});
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the old quote"));
}

void TestPrintQuote::exportFromTheMenuProposesAFolderThatExists() {
    Program p;
    const int estimate = addQuote(p.db, {7501, "Ann", 0, 0, numberedLines(2), {}});
    setQuoteJob(p.db, estimate, {{"Hollis/Marsh: Kitchens"}, {}, {}, {}, {}});
    QVERIFY(p.load());
    IsolatedHome home;
    const QString documents = home.dir() + "/Documents";
    QVERIFY(QDir().mkpath(documents));
    // The folder exported to last has gone since.
    WriteRegString("Dorvane\\PX", "ExportFolder", p.db.dir() + "/gone");
    ScriptedFileDialogs files;
    ScriptedMessages messages;
    files.answerNext(documents + "/quote.pdf");
    Window w;
    w.clickHomeRow(0);
    // File > Export Estimate, without a preview.
    QVERIFY(w.window.mnuFileExportQuote->isEnabled());
    w.window.mnuFileExportQuote->trigger();
    QCOMPARE(files.asked().size(), 1);
    QCOMPARE(files.asked().first().folder, documents);
    QCOMPARE(files.asked().first().fileName,
             documents + "/Estimate 7501 - Hollis-Marsh- Kitchens.pdf");
    QFile pdf(documents + "/quote.pdf");
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(messages.shown().isEmpty());
    // A new estimate without its reference number has no quote yet.
    w.window.mnuFileNewEstimate->trigger();
    QTRY_COMPARE(w.window.tabMain->currentIndex(), 2);
    QVERIFY(!w.window.mnuFileExportQuote->isEnabled());
}

void TestPrintQuote::theEstimateScreenPrintsWhatIsTyped() {
    Program p;
    addQuote(p.db, {7301, "Ann", 0, 5, numberedLines(100), {}});
    QVERIFY(p.load());
    ScriptedMessages messages;
    Window w;
    w.window.mnuViewEstimateScr->trigger();
    QTRY_COMPARE(w.window.tabMain->currentIndex(), 2);
    EstimateHeader* header = w.window.frEstimating->header;
    UserInput::typeInto(header->txtShippning, "12.75");
    QVERIFY(w.print([](QuotePreview* preview) {
        QCOMPARE(shown(preview, "QuoteNumber"), "7301");
        const int last = preview->pageCount() - 1;
        QVERIFY(last >= 2);
        QCOMPARE(shown(preview, "txtShipping", last), "$12.75");
        QCOMPARE(shown(preview, "txtGrandTotal", last), "$262.75");
        // Page by page with the toolbar, the keys and the page box.
        QCOMPARE(preview->currentPage(), 1);
        QVERIFY(!preview->actPreviousPage->isEnabled());
        QTest::mouseClick(buttonOf(preview, preview->actNextPage), Qt::LeftButton);
        QCOMPARE(preview->currentPage(), 2);
        QCOMPARE(preview->spnPage->value(), 2);
        QTest::mouseClick(buttonOf(preview, preview->actFirstPage), Qt::LeftButton);
        QCOMPARE(preview->currentPage(), 1);
        UserInput::typeInto(preview->spnPage, QString::number(preview->pageCount()));
        QTest::keyClick(preview->spnPage, Qt::Key_Return);
        QCOMPARE(preview->currentPage(), preview->pageCount());
        QVERIFY(!preview->actNextPage->isEnabled());
        QCOMPARE(preview->lblPageCount->text(), QStringLiteral("of %1").arg(preview->pageCount()));
        // The keys still work once a narrow window has moved the buttons out of sight.
        preview->resize(280, 400);
        QTRY_VERIFY(!buttonOf(preview, preview->actLastPage)->isVisible());
        QTest::keyClick(preview->preview, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(preview->currentPage(), 1);
        QTest::keyClick(preview->preview, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(preview->currentPage(), preview->pageCount());
        preview->resize(900, 700);
        // Zoom: fit the width, then zoom in leaves the fitted mode.
        QVERIFY(preview->actFitWidth->isChecked());
        QTest::mouseClick(buttonOf(preview, preview->actFitPage), Qt::LeftButton);
        QVERIFY(preview->actFitPage->isChecked());
        QVERIFY(!preview->actFitWidth->isChecked());
        const qreal before = preview->preview->zoomFactor();
        QTest::mouseClick(buttonOf(preview, preview->actZoomIn), Qt::LeftButton);
        QVERIFY(preview->preview->zoomFactor() > before);
        QVERIFY(!preview->actFitPage->isChecked());
    }));
    // The typed shipping was saved before the quote was read.
    QCOMPARE(p.db.scalar("SELECT Shipping FROM EstimateTBL").toDouble(), 12.75);
    QVERIFY(messages.shown().isEmpty());
}

void TestPrintQuote::anUnloadableLogoIsToldOnce() {
    Program p;
    addQuote(p.db, {7401, "Ann", 0, 0, numberedLines(1), {}});
    const QString broken = p.db.dir() + "/logo-that-is-text.png";
    {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("plain text");
    }
    QVERIFY(p.load());
    gSettings->setLogoPath(broken);
    gSettings->setCompanyName("Hollis & Marsh");
    ScriptedMessages messages;
    Window w;
    w.clickHomeRow(0);
    for (int i = 0; i < 2; ++i)
        QVERIFY(w.print([](QuotePreview* preview) {
            QCOMPARE(shown(preview, "lblCompanyName"), "Hollis & Marsh");
            QCOMPARE(shown(preview, "QuoteNumber"), "7401");
            QVERIFY(!preview->layout().pages.first().item("Image1"));
        }));
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().contains("could not be loaded"));
    QCOMPARE(messages.titles().first(), "Print Estimate");
}

QTEST_MAIN(TestPrintQuote)
#include "tst_printquote.moc"
