#include "app/mainwindow.h"

#include "app/backupcommands.h"
#include "app/loadsteps.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/programerror.h"
#include "data/recordset.h"
#include "estimates/customersdialog.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"
#include "help/aboutbox.h"
#include "help/instructionalvideo.h"
#include "materials/materialsframe.h"
#include "pricelist/pricelistdialog.h"
#include "report/printquote.h"
#include "settings/gridformat.h"
#include "settings/preferencesdialog.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"
#include "widgets/recordhelpers.h"
#include "widgets/screen.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

namespace {
// The window's size when its controls were drawn, in twips.
constexpr double kReferenceWidth = 12000;
constexpr double kReferenceHeight = 9000;
// Margins of the tab control in the window and of each screen's frame in its tab, in twips.
constexpr double kTabMargin = 20;
constexpr double kFrameMargin = 60;
// The Estimate screen's tab.
constexpr int kEstimateTab = 2;
// How long the status bar says "Saved", in milliseconds.
constexpr int kSavedMessageTime = 3000;
} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Plenwick"));

    // The tab control is placed by hand (not by a layout) so that the window's resize rules
    // decide where it and every control on it go.
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("mainClient"));
    setCentralWidget(m_client);
    tabMain = new QTabWidget(m_client);
    tabMain->setObjectName(QStringLiteral("tabMain"));
    Twips::setGeometry(tabMain, kTabMargin, kTabMargin, kReferenceWidth, kReferenceHeight);

    createMenus();
    // The tabs carry no Alt letters: those belong to the menu bar (Alt+E is the Edit menu, as on
    // every desktop). The screens are reached with Ctrl+1/2/3 and Ctrl+Tab.
    estimateBook = new EstimateBook(this);
    frMain = addScreen<HomeFrame>(tr("Home"), estimateBook);
    frMaterials = addScreen<MaterialsFrame>(tr("Materials"));
    frEstimating = addScreen<EstimateFrame>(tr("Estimate"), estimateBook);
    connect(frMain, &HomeFrame::estimateScreenRequested, this,
            [this] { SwitchScreen(QStringLiteral("estimate"), mnuViewEstimateScr); });
    connect(frMain, &HomeFrame::estimatesListed, this, &frmMain::updateEstimateTab);
    connect(frMain, &HomeFrame::estimatesListed, this, &frmMain::updateEditMenu);
    connect(frMain, &HomeFrame::companyDetailsRequested, this, [this] { showPreferences(true); });
    // A save that went through is confirmed where it does not interrupt; a refused one has said
    // why in its own box.
    statusBar()->setObjectName(QStringLiteral("sbMain"));
    auto confirmSave = [this] { statusBar()->showMessage(tr("Saved"), kSavedMessageTime); };
    connect(frMaterials, &MaterialsFrame::recordSaved, this, confirmSave);
    connect(frEstimating, &EstimateFrame::recordSaved, this, confirmSave);
    connect(mnuFileNewEstimate, &QAction::triggered, this, &frmMain::mnuFileNewEstimate_Click);
    // A disabled tab (Estimate, while Home lists no estimate) is passed over.
    auto cycleTabs = [this](int step) {
        const int count = tabMain->count();
        int tab = tabMain->currentIndex();
        for (int i = 0; i < count; ++i) {
            tab = (tab + step + count) % count;
            if (tabMain->isTabEnabled(tab))
                break;
        }
        tabMain->setCurrentIndex(tab);
    };
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, this, [cycleTabs] { cycleTabs(1); });
    auto* previousTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(previousTab, &QShortcut::activated, this, [cycleTabs] { cycleTabs(-1); });
    for (int i = 0; i < tabMain->count(); ++i)
        tabMain->widget(i)->installEventFilter(this);
    m_client->installEventFilter(this);
    // The Home screen shows first: its records are opened, not saved, from the menu.
    updateEditMenu();

    tmrMain = new QTimer(this);
    tmrMain->setObjectName(QStringLiteral("tmrMain"));
    tmrMain->setInterval(1000);
    connect(tmrMain, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    connect(tabMain, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_shownTab;
        m_shownTab = index;
        if (!m_switchingBack)
            tabMain_Click(previous);
    });

    Form_Load();
    tmrMain->start();
}

frmMain::~frmMain() = default;

// A tab's page, holding the screen's frame. Every screen tells when saving it becomes possible
// or not; the Edit menu follows the one shown.
template <class Frame, class... Args>
Frame* frmMain::addScreen(const QString& caption, Args... args) {
    auto* page = new QWidget(tabMain);
    auto* frame = new Frame(page, args...);
    tabMain->addTab(page, caption);
    m_screens.append(ScreenTab{frame, frame});
    connect(frame, &Frame::saveEnabledChanged, this, [this, frame](bool enabled) {
        if (currentScreen() == frame) {
            mnuEditSaveRecord->setEnabled(enabled);
            updateEditMenu();
        }
    });
    return frame;
}

ScreenInterface* frmMain::currentScreen() const {
    const int shown = tabMain->currentIndex();
    return shown >= 0 && shown < m_screens.size() ? m_screens[shown].screen : nullptr;
}

void frmMain::updateEditMenu() {
    ScreenInterface* screen = currentScreen();
    mnuEditEditRecord->setEnabled(screen && screen->canEditRecord());
    mnuEditSaveRecord->setEnabled(screen && screen->canSave());
    mnuEditDuplicate->setEnabled(screen && screen->canDuplicate());
    mnuToolsUpdateCosts->setEnabled(screen && screen->canUpdateCosts());
    mnuFileExportQuote->setEnabled(hasQuoteEstimate());
}

void frmMain::createMenus() {
    auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        return action;
    };
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    mnuFile = addMenu("mnuFile", tr("&File"));
    mnuFileNewEstimate = addItem(mnuFile, "mnuFileNewEstimate", tr("&New Estimate"),
                                 QKeySequence(QKeySequence::New));
    mnuFilePrintQuote = addItem(mnuFile, "mnuFilePrintQuote", tr("&Print Estimate"),
                                QKeySequence(QKeySequence::Print));
    connect(mnuFilePrintQuote, &QAction::triggered, this, &frmMain::mnuFilePrintQuote_Click);
    mnuFileExportQuote = addItem(mnuFile, "mnuFileExportQuote", tr("&Export Estimate..."));
    mnuFileExportQuote->setStatusTip(tr("Save the estimate's quote as a PDF or an HTML page"));
    connect(mnuFileExportQuote, &QAction::triggered, this, &frmMain::mnuFileExportQuote_Click);
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuFileSplit0"));
    mnuFileExit = addItem(mnuFile, "mnuFileExit", tr("E&xit"), QKeySequence(tr("Ctrl+Q")));
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    mnuEdit = addMenu("mnuEdit", tr("&Edit"));
    mnuEditEditRecord =
        addItem(mnuEdit, "mnuEditEditRecord", tr("&Edit Record"), QKeySequence(tr("Ctrl+E")));
    mnuEditSaveRecord =
        addItem(mnuEdit, "mnuEditSaveRecord", tr("&Save Record"), QKeySequence(QKeySequence::Save));
    mnuEditDuplicate =
        addItem(mnuEdit, "mnuEditDuplicate", tr("&Duplicate Estimate"), QKeySequence(tr("Ctrl+D")));
    connect(mnuEditDuplicate, &QAction::triggered, this, [this] {
        if (ScreenInterface* screen = currentScreen(); screen && screen->canDuplicate())
            screen->duplicate();
    });
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuEditSplit0"));
    mnuEditPreferences = addItem(mnuEdit, "mnuEditPreferences", tr("Preferences..."));
    connect(mnuEditEditRecord, &QAction::triggered, this, &frmMain::mnuEditEditRecord_Click);
    connect(mnuEditSaveRecord, &QAction::triggered, this, &frmMain::mnuEditSaveRecord_Click);

    mnuView = addMenu("mnuView", tr("&View"));
    mnuViewMainScreen =
        addItem(mnuView, "mnuViewMainScreen", tr("&Main Screen"), QKeySequence(tr("Ctrl+1")));
    mnuViewMaterials =
        addItem(mnuView, "mnuViewMaterials", tr("Ma&terials Screen"), QKeySequence(tr("Ctrl+2")));
    mnuViewEstimateScr =
        addItem(mnuView, "mnuViewEstimateScr", tr("E&stimate Screen"), QKeySequence(tr("Ctrl+3")));
    for (QAction* item : {mnuViewMainScreen, mnuViewMaterials, mnuViewEstimateScr})
        item->setCheckable(true);
    mnuViewMainScreen->setChecked(true);
    connect(mnuViewMainScreen, &QAction::triggered, this,
            [this] { SwitchScreen(QStringLiteral("home"), mnuViewMainScreen); });
    connect(mnuViewMaterials, &QAction::triggered, this,
            [this] { SwitchScreen(QStringLiteral("materials"), mnuViewMaterials); });
    connect(mnuViewEstimateScr, &QAction::triggered, this,
            [this] { SwitchScreen(QStringLiteral("estimate"), mnuViewEstimateScr); });

    mnuTools = addMenu("mnuTools", tr("&Tools"));
    QAction* customers = addItem(mnuTools, "mnuToolsCustomers", tr("&Customers..."));
    customers->setStatusTip(tr("Add, change and delete the customers estimates are made for"));
    connect(customers, &QAction::triggered, this, [this] {
        CustomersDialog dialog(this);
        dialog.exec();
    });
    mnuToolsImportPriceList =
        addItem(mnuTools, "mnuToolsImportPriceList", tr("&Import Price List..."));
    mnuToolsImportPriceList->setStatusTip(tr("Update the catalogue's prices from a supplier's "
                                             "CSV or Excel price list"));
    connect(mnuToolsImportPriceList, &QAction::triggered, this,
            &frmMain::mnuToolsImportPriceList_Click);
    mnuToolsUpdateCosts =
        addItem(mnuTools, "mnuToolsUpdateCosts", tr("&Update Costs From Catalogue..."));
    mnuToolsUpdateCosts->setStatusTip(tr("Give the estimate's material lines the catalogue's "
                                         "current unit costs, keeping their margins"));
    connect(mnuToolsUpdateCosts, &QAction::triggered, this, [this] {
        if (ScreenInterface* screen = currentScreen(); screen && screen->canUpdateCosts())
            screen->updateCosts();
    });
    // What the commands need (a selected estimate, a reference number) changes on the screens.
    for (QMenu* menu : {mnuFile, mnuEdit, mnuTools})
        connect(menu, &QMenu::aboutToShow, this, &frmMain::updateEditMenu);
    mnuTools->addSeparator()->setObjectName(QStringLiteral("mnuToolsSplit0"));
    QAction* backUp = addItem(mnuTools, "mnuToolsBackUp", tr("&Back Up Database..."));
    QAction* restore = addItem(mnuTools, "mnuToolsRestore", tr("&Restore From Backup..."));
    QAction* copy = addItem(mnuTools, "mnuToolsCopyDatabase", tr("&Copy Database To..."));
    copy->setStatusTip(tr("Copy every row of this database to a new file or to an empty "
                          "database on a server"));
    connect(backUp, &QAction::triggered, this, [this] { BackUpDatabase(this); });
    connect(copy, &QAction::triggered, this, [this] { CopyDatabaseTo(this); });
    connect(restore, &QAction::triggered, this, [this] {
        RestoreFromBackup(
            this,
            [this] {
                return std::all_of(m_screens.cbegin(), m_screens.cend(),
                                   [](const ScreenTab& tab) { return tab.screen->canLeave(); });
            },
            [this] { reloadScreens(); });
    });
    mnuTools->addSeparator()->setObjectName(QStringLiteral("mnuToolsSplit1"));
    mnuToolsPreferences = addItem(mnuTools, "mnuToolsPreferences", tr("&Preferences..."));
    for (QAction* item : {mnuEditPreferences, mnuToolsPreferences})
        connect(item, &QAction::triggered, this, &frmMain::mnuEditPreferences_Click);

    mnuHelp = addMenu("mnuHelp", tr("&Help"));
    mnuHelpAbout = addItem(mnuHelp, "mnuHelpAbout", tr("&About Plenwick"));
    mnuHelpVideo = addItem(mnuHelp, "mnuHelpVideo", tr("&Watch Instructional Video"));
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
    connect(mnuHelpVideo, &QAction::triggered, this, [this] { WatchInstructionalVideo(this); });
}

void frmMain::Form_Load() {
    RunLoadSteps({
                     [this] { setMinimumSize(800, 600); },
                     [this] {
                         // The controls were drawn for a window without the status bar: its
                         // height is taken from the screens, not added to them.
                         m_referenceSize = QSizeF(
                             kReferenceWidth, kReferenceHeight + statusBar()->sizeHint().height() *
                                                                     Twips::perPixelY(this));
                     },
                     [this] { frMain->showStartTime(QDateTime::currentDateTime()); },
                     [this] { tabMain->setCurrentIndex(0); },
                     [this] { ReadConfiguration(); },
                     [this] { InitDBControls(); },
                 },
                 QStringLiteral("frmMain / Form_Load"));
}

void frmMain::ReadConfiguration() {
    for (const ScreenTab& tab : m_screens)
        tab.screen->applySettings();
}

void frmMain::InitDBControls() {
    // The estimates are opened first: opening them removes those stored without a reference
    // number, which the Home list must not show. At the program's start only that removal comes
    // first, and the rest waits for the window's first paint.
    if (s_estimatesLater && !m_loadedOnce)
        frEstimating->reloadLater();
    else
        frEstimating->reload();
    m_loadedOnce = true;
    for (const ScreenTab& tab : m_screens)
        if (tab.screen != frEstimating)
            tab.screen->reload();
}

void frmMain::finishLoading() {
    frEstimating->finishReload();
}

void frmMain::mnuFilePrintQuote_Click() {
    PrintQuote();
}

void frmMain::PrintQuote() {
    if (const int estimateId = quoteEstimateId(); estimateId > 0)
        showQuotePreview(estimateId, this);
}

void frmMain::mnuFileExportQuote_Click() {
    if (const int estimateId = quoteEstimateId(); estimateId > 0)
        exportQuote(estimateId, this);
}

int frmMain::quoteEstimateId() {
    if (tabMain->currentIndex() != kEstimateTab)
        return frMain->monthList->selectedEstimateId(); // none in an empty month
    // What is typed is saved first, so the quote shows it; a refused save has said why, and
    // nothing is printed.
    if (frEstimating->canSave() && !frEstimating->save())
        return 0;
    // No current estimate, or a new one without its key yet: nothing to print.
    const RecordSet* records = estimateBook->dcEstimates->recordSet();
    if (records && records->isOpen() && !records->isBOF() && !records->isEOF())
        return records->value(0).toInt();
    return 0;
}

bool frmMain::hasQuoteEstimate() const {
    // The Estimate screen's estimate is saved once it has a reference number.
    return tabMain->currentIndex() == kEstimateTab ? frEstimating->canSave()
                                                   : frMain->monthList->selectedEstimateId() > 0;
}

void frmMain::mnuToolsImportPriceList_Click() {
    // A material being typed is saved or dropped first: the import changes the catalogue.
    if (!frMaterials->canLeave())
        return;
    frmImportPriceList dialog(this);
    connect(&dialog, &frmImportPriceList::catalogueChanged, this,
            [this] { frMaterials->reload(); });
    dialog.exec();
}

void frmMain::tmrMain_Timer() {
    frMain->showToday(QDate::currentDate());
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Work still being typed (a material) is saved or dropped as the user says, never lost
    // unasked.
    if (!m_unloaded)
        for (const ScreenTab& tab : m_screens)
            if (!tab.screen->canLeave()) {
                event->ignore();
                return;
            }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    // Closing twice (the menu, then the window system) must not save twice.
    if (m_unloaded)
        return;
    m_unloaded = true;
    tmrMain->stop();
    SaveGridLayout();
    if (gSettings)
        gSettings->SaveSettings();
}

void frmMain::SwitchScreen(const QString& screen, QAction* item) {
    for (QAction* view : {mnuViewEstimateScr, mnuViewMainScreen, mnuViewMaterials})
        view->setChecked(false);
    if (item)
        item->setChecked(true);
    const int tab =
        QStringList{QStringLiteral("HOME"), QStringLiteral("MATERIALS"), QStringLiteral("ESTIMATE")}
            .indexOf(screen.toUpper());
    if (tab < 0)
        return;
    tabMain->setTabEnabled(tab, true);
    // Choosing another tab runs the tab's rules (the screen left saves, the one shown is
    // activated); the screen already shown is activated again.
    if (tab == tabMain->currentIndex())
        m_screens[tab].screen->activate();
    else
        tabMain->setCurrentIndex(tab);
    updateEditMenu();
}

void frmMain::showTabQuietly(int tab) {
    m_switchingBack = true;
    tabMain->setCurrentIndex(tab);
    m_switchingBack = false;
}

void frmMain::updateEstimateTab(bool anyListed) {
    tabMain->setTabEnabled(2, anyListed || estimateBook->newEstimateFlag() ||
                                  tabMain->currentIndex() == 2);
    updateEditMenu();
}

void frmMain::mnuFileNewEstimate_Click() {
    frMain->cmdEstimate_Click();
}

void frmMain::tabMain_Click(int previousTab) {
    const int shown = tabMain->currentIndex();
    if (shown < 0 || shown >= m_screens.size())
        return;
    // The screen being left saves what it should; when it cannot, it is shown again.
    if (previousTab >= 0 && previousTab < m_screens.size() && previousTab != shown &&
        !m_screens[previousTab].screen->deactivate()) {
        showTabQuietly(previousTab);
        return;
    }
    m_screens[shown].frame->show();
    for (int i = 0; i < m_screens.size(); ++i)
        if (i != shown)
            m_screens[i].frame->hide();
    const QList<QAction*> views = {mnuViewMainScreen, mnuViewMaterials, mnuViewEstimateScr};
    for (int i = 0; i < views.size(); ++i)
        views[i]->setChecked(i == shown);
    m_screens[shown].screen->activate();
    updateEditMenu();
}

void frmMain::mnuEditEditRecord_Click() {
    if (ScreenInterface* screen = currentScreen(); screen && screen->canEditRecord())
        screen->editRecord();
}

void frmMain::mnuEditSaveRecord_Click() {
    if (ScreenInterface* screen = currentScreen())
        screen->save();
}

void frmMain::mnuEditPreferences_Click() {
    showPreferences(false);
}

void frmMain::showPreferences(bool companyDetails) {
    frmOptions dialog(this);
    if (companyDetails)
        dialog.showCompanyDetails();
    // Leaving the database is leaving the screens' records: work being typed is settled first.
    dialog.setLeaveGuard([this] {
        return std::all_of(m_screens.cbegin(), m_screens.cend(),
                           [](const ScreenTab& tab) { return tab.screen->canLeave(); });
    });
    connect(&dialog, &frmOptions::settingsSaved, this, [this](bool databaseChanged) {
        if (databaseChanged)
            reloadScreens();
        else
            ReadConfiguration(); // the Home screen shows the company details as saved
    });
    dialog.exec();
}

void frmMain::reloadScreens() {
    gCurrentEstimateID = 0; // a key of the old file names nothing in the new one
    ReadConfiguration();
    InitDBControls();
    updateEditMenu();
}

void frmMain::mnuHelpAbout_Click() {
    frmAbout about(this);
    about.exec();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == m_client)
            Form_Resize();
        else if (watched == frMain->parent())
            ResizeHomeFrame();
        else if (watched == frMaterials->parent())
            ResizeMaterialsFrame();
        else if (watched == frEstimating->parent())
            ResizeEstimateFrame();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Resize() {
    if (isMinimized())
        return;
    LayoutControls();
}

QSizeF frmMain::windowSizeInTwips() const {
    return {width() * Twips::perPixelX(this), height() * Twips::perPixelY(this)};
}

void frmMain::LayoutControls() {
    ResizeTabControl();
    ResizeHomeFrame();
    ResizeMaterialsFrame();
    ResizeEstimateFrame();
    const QSizeF size = windowSizeInTwips();
    for (const ScreenTab& tab : m_screens)
        tab.screen->followWindowSize(size.width() - m_referenceSize.width(),
                                     size.height() - m_referenceSize.height());
    m_referenceSize = size;
}

void frmMain::ResizeTabControl() {
    const QRectF g = Twips::geometry(tabMain);
    const double innerWidth = m_client->width() * Twips::perPixelX(this);
    const double innerHeight = m_client->height() * Twips::perPixelY(this);
    Twips::setGeometry(tabMain, g.left(), g.top(), std::max(0.0, innerWidth - 20 - g.left()),
                       std::max(0.0, innerHeight - 20 - g.top()));
}

// A screen's frame fills its tab's page, inside a small margin.
void frmMain::resizeFrame(QWidget* frame) {
    const auto* page = frame->parentWidget();
    const double width = page->width() * Twips::perPixelX(this);
    const double height = page->height() * Twips::perPixelY(this);
    Twips::setGeometry(frame, kFrameMargin, kFrameMargin,
                       std::max(0.0, width - kFrameMargin - kFrameMargin),
                       std::max(0.0, height - kFrameMargin - kFrameMargin));
}

void frmMain::ResizeHomeFrame() {
    resizeFrame(frMain);
}

void frmMain::ResizeMaterialsFrame() {
    resizeFrame(frMaterials);
}

void frmMain::ResizeEstimateFrame() {
    resizeFrame(frEstimating);
}
