#include "app/mainwindow.h"

#include "app/loadsteps.h"
#include "data/formats.h"
#include "data/globals.h"
#include "widgets/messagebox.h"
#include "data/programerror.h"
#include "widgets/recordhelpers.h"
#include "widgets/twips.h"
#include "estimates/estimateframe.h"
#include "estimates/homeframe.h"
#include "materials/materialfilter.h"
#include "materials/materialsframe.h"
#include "settings/gridformat.h"
#include "settings/settingsstore.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace {
// The window's size when its controls were drawn, in twips.
constexpr double kReferenceWidth = 12000;
constexpr double kReferenceHeight = 9000;
// Margins of the tab control in the window and of each screen's frame in its tab, in twips.
constexpr double kTabMargin = 20;
constexpr double kFrameMargin = 60;

// A tab's page, holding the screen's frame.
template <class Frame> Frame* addScreen(QTabWidget* tabs, const QString& caption) {
    auto* page = new QWidget(tabs);
    auto* frame = new Frame(page);
    tabs->addTab(page, caption);
    return frame;
}
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

    frMain = addScreen<HomeFrame>(tabMain, tr("&Home"));
    frMaterials = addScreen<MaterialsFrame>(tabMain, tr("Ma&terials"));
    frEstimating = addScreen<EstimateFrame>(tabMain, tr("&Estimate"));
    for (int i = 0; i < tabMain->count(); ++i)
        tabMain->widget(i)->installEventFilter(this);
    m_client->installEventFilter(this);

    createMenus();

    tmrMain = new QTimer(this);
    tmrMain->setObjectName(QStringLiteral("tmrMain"));
    tmrMain->setInterval(1000);
    connect(tmrMain, &QTimer::timeout, this, &frmMain::tmrMain_Timer);
    connect(tabMain, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_shownTab;
        m_shownTab = index;
        tabMain_Click(previous);
    });

    Form_Load();
    tmrMain->start();
}

frmMain::~frmMain() = default;

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
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuFileSplit0"));
    mnuFileExit = addItem(mnuFile, "mnuFileExit", tr("E&xit"), QKeySequence(tr("Ctrl+Q")));
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    mnuEdit = addMenu("mnuEdit", tr("&Edit"));
    mnuEditEditRecord =
        addItem(mnuEdit, "mnuEditEditRecord", tr("&Edit Record"), QKeySequence(tr("Ctrl+E")));
    mnuEditSaveRecord =
        addItem(mnuEdit, "mnuEditSaveRecord", tr("&Save Record"), QKeySequence(QKeySequence::Save));
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuEditSplit0"));
    mnuEditPreferences = addItem(mnuEdit, "mnuEditPreferences", tr("Preferences..."));
    connect(mnuEditEditRecord, &QAction::triggered, this, &frmMain::mnuEditEditRecord_Click);
    connect(mnuEditSaveRecord, &QAction::triggered, this, &frmMain::mnuEditSaveRecord_Click);
    connect(frMaterials, &MaterialsFrame::saveEnabledChanged, this, [this](bool enabled) {
        if (tabMain->currentIndex() == 1)
            mnuEditSaveRecord->setEnabled(enabled);
    });

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
    mnuToolsPreferences = addItem(mnuTools, "mnuToolsPreferences", tr("&Preferences..."));

    mnuHelp = addMenu("mnuHelp", tr("&Help"));
    mnuHelpAbout = addItem(mnuHelp, "mnuHelpAbout", tr("&About Plenwick"));
    mnuHelpVideo = addItem(mnuHelp, "mnuHelpVideo", tr("&Watch Instructional Video"));

    // The Home screen shows first: its records are opened, not saved, from the menu.
    mnuEditEditRecord->setEnabled(true);
    mnuEditSaveRecord->setEnabled(false);
}

void frmMain::Form_Load() {
    RunLoadSteps(
        {
            [this] { setMinimumSize(800, 600); },
            [this] { m_referenceSize = QSizeF(kReferenceWidth, kReferenceHeight); },
            [this] {
                mMaterialFields = {QStringLiteral("cbSupplier"),
                                   QStringLiteral("cbManufacturer"),
                                   QStringLiteral("cbCategory"),
                                   QStringLiteral("txtPartNumber"),
                                   QStringLiteral("txtMaterialsDescription"),
                                   QStringLiteral("txtUnitCost")};
                mEstimateFields = {QStringLiteral("txtQuoteNumber"), QStringLiteral("txtTaxRate"),
                                   QStringLiteral("txtShippning"), QStringLiteral("cbQuoteStatus"),
                                   QStringLiteral("cbEstimator")};
            },
            [this] { m_layoutTable = mainWindowLayoutTable(); },
            [this] {
                const QDateTime now = QDateTime::currentDateTime();
                frMain->lblToday->setText(formatGeneralDate(now));
                frMain->lblMonthYear->setText(formatMonthYear(now.date()));
            },
            [this] { tabMain->setCurrentIndex(0); },
            [this] {
                for (QComboBox* combo : {frMaterials->cbCategory, frMaterials->cbManufacturer,
                                         frMaterials->cbSupplier})
                    Twips::setWidth(combo, 2700);
                for (QComboBox* combo :
                     {frMaterials->cbCategoryFilter, frMaterials->cbManufacturerFilter,
                      frMaterials->cbSupplierFilter})
                    Twips::setWidth(combo, 2650);
                for (QComboBox* combo : {frEstimating->cbQuoteStatus, frEstimating->cbEstimator})
                    Twips::setWidth(combo, 2835);
            },
            [this] { ReadConfiguration(); },
            [] { gMaterialFilter.clear(); },
            [this] { InitDBControls(); },
            [this] { frMaterials->SetLockMaterialEdit(true); },
        },
        QStringLiteral("frmMain / Form_Load"));
}

void frmMain::ReadConfiguration() {
    auto show = [](QLabel* value, QLabel* caption, const QString& text) {
        if (!text.isEmpty()) {
            value->setText(text);
            return;
        }
        value->hide();
        if (caption)
            caption->hide();
    };
    show(frMain->lblCompanyName, frMain->lblCompanyNameLabel,
         gSettings ? gSettings->CompanyName() : QString());
    show(frMain->lblCompanyAddress, frMain->lblCompanyAddressLabel,
         gSettings ? gSettings->CompanyAdress() : QString());
    show(frMain->lblCompanyCity, nullptr, gSettings ? gSettings->CompanyCity() : QString());
}

void frmMain::InitDBControls() {
    try {
        frMaterials->SetupMaterialsDataControl();
        frMaterials->SetupMaterialsListGrid();
        frMaterials->SetupMaterialsControls();
    } catch (const ProgramError& e) {
        ShowDatabaseError(gConnection, DbError{e.number(), e.description()},
                          QStringLiteral("frmMain / InitDBControls"));
    }
}

void frmMain::tmrMain_Timer() {
    frMain->lblToday->setText(formatMediumDate(QDate::currentDate()));
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // A material still being typed is saved or dropped as the user says, never lost unasked.
    if (!m_unloaded && !frMaterials->finishEditing()) {
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
    const QString name = screen.toUpper();
    if (name == QLatin1String("HOME")) {
        tabMain->setCurrentIndex(0);
        mnuEditEditRecord->setEnabled(true);
        mnuEditSaveRecord->setEnabled(false);
    } else if (name == QLatin1String("MATERIALS")) {
        tabMain->setCurrentIndex(1);
        mnuEditEditRecord->setEnabled(false);
        mnuEditSaveRecord->setEnabled(frMaterials->cmdMaterialsSaveCurrentRecord->isEnabled());
    } else if (name == QLatin1String("ESTIMATE")) {
        tabMain->setCurrentIndex(2);
        mnuEditEditRecord->setEnabled(false);
        mnuEditSaveRecord->setEnabled(true);
        applyLineEntryRule();
    }
}

void frmMain::tabMain_Click(int /*previousTab*/) {
    try {
        switch (tabMain->currentIndex()) {
        case 0:
            frMain->show();
            frMaterials->hide();
            frEstimating->hide();
            mnuViewMainScreen->setChecked(true);
            mnuViewMaterials->setChecked(false);
            mnuViewEstimateScr->setChecked(false);
            mnuEditEditRecord->setEnabled(true);
            mnuEditSaveRecord->setEnabled(false);
            break;
        case 1:
            frMain->hide();
            frMaterials->show();
            frEstimating->hide();
            mnuViewMainScreen->setChecked(false);
            mnuViewMaterials->setChecked(true);
            mnuViewEstimateScr->setChecked(false);
            mnuEditEditRecord->setEnabled(false);
            // Saving a material makes sense only while one is being edited or added.
            mnuEditSaveRecord->setEnabled(frMaterials->cmdMaterialsSaveCurrentRecord->isEnabled());
            break;
        case 2:
            frMain->hide();
            frMaterials->hide();
            frEstimating->show();
            mnuViewMainScreen->setChecked(false);
            mnuViewMaterials->setChecked(false);
            mnuViewEstimateScr->setChecked(true);
            mnuEditEditRecord->setEnabled(false);
            mnuEditSaveRecord->setEnabled(true);
            applyLineEntryRule();
            break;
        default:
            break;
        }
    } catch (const ProgramError& e) {
        showMessage(QString::number(e.number()) + QStringLiteral(" - ") + e.description(),
                    QMessageBox::Ok, QMessageBox::NoIcon, QStringLiteral("tabMain_Click"));
    }
}

// Lines can be entered, and the estimate saved from the menu, only once it has a reference #.
void frmMain::applyLineEntryRule() {
    const bool enabled = IsValidate(true, mEstimateFields, 1, this);
    frEstimating->grdMaterialEstimate->setEnabled(enabled);
    frEstimating->grdLaborEstimate->setEnabled(enabled);
    frEstimating->btnMaterialEstimate->setEnabled(enabled);
    mnuEditSaveRecord->setEnabled(enabled);
}

void frmMain::mnuEditEditRecord_Click() {
    if (tabMain->currentIndex() == 0)
        frMain->cmdEditEstimate->click();
}

void frmMain::mnuEditSaveRecord_Click() {
    switch (tabMain->currentIndex()) {
    case 1:
        frMaterials->cmdMaterialsSaveCurrentRecord->click();
        break;
    case 2:
        frEstimating->cmdEstimateSaveCurrentRecord->click();
        break;
    default:
        break;
    }
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
    applyLayoutTable(this, m_layoutTable, size.width() - m_referenceSize.width(),
                     size.height() - m_referenceSize.height());
    setColumnFractions(frEstimating->grdMaterialEstimate, 3,
                       {0.0528, 0.1057, 0.345, 0.0885, 0.0885, 0.0885, 0.0885, 0.0885});
    setColumnFractions(frEstimating->grdLaborEstimate, 2, {0.0806, 0.712, 0.0885, 0.0885});
    setColumnFractions(frMaterials->grdMaterialsList, 4,
                       {0.13, 0.13, 0.13, 0.13, 0.28, 0.08, 0.12});
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
    frMain->fitEstimatesList();
}

void frmMain::ResizeMaterialsFrame() {
    resizeFrame(frMaterials);
}

void frmMain::ResizeEstimateFrame() {
    resizeFrame(frEstimating);
}
