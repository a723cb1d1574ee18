#pragma once

#include <QMainWindow>
#include <QSizeF>

class EstimateBook;
class EstimateFrame;
class HomeFrame;
class MaterialsFrame;
class QAction;
class QMenu;
class QTabWidget;
class QTimer;
class ScreenInterface;

// The main window: the Home, Materials and Estimate screens on the tabs of tabMain, the menu
// bar, the clock, and the layout that follows the window's size. Creating it loads it. The
// window drives the screens through their ScreenInterface only (widgets/screen.h).
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Set before the window is made, as the program's start does: the Estimate screen then reads
    // its estimates at finishLoading(), once the window has painted, instead of on the way to it.
    static void readEstimatesAfterFirstPaint(bool later) { s_estimatesLater = later; }
    void finishLoading();

    // Shows the named screen ("home", "materials" or "estimate", in any case) and ticks item.
    void SwitchScreen(const QString& screen, QAction* item);
    // Moves the controls by the change of the window's size since the last layout.
    void LayoutControls();
    // The window's size, in twips, at the last layout.
    QSizeF referenceSize() const { return m_referenceSize; }
    void setReferenceSize(const QSizeF& twips) { m_referenceSize = twips; }
    // After a switch to another database: every screen shows the settings again and reloads its
    // records from the new file.
    void reloadScreens();

    // The estimates Home and the Estimate screen share.
    EstimateBook* estimateBook;
    QTabWidget* tabMain;
    HomeFrame* frMain;
    MaterialsFrame* frMaterials;
    EstimateFrame* frEstimating;
    QTimer* tmrMain;

    QMenu* mnuFile;
    QAction* mnuFileNewEstimate;
    QAction* mnuFilePrintQuote;
    QAction* mnuFileExportQuote;
    QAction* mnuFileExit;
    QMenu* mnuEdit;
    QAction* mnuEditEditRecord;
    QAction* mnuEditSaveRecord;
    QAction* mnuEditDuplicate;
    QAction* mnuEditPreferences;
    QMenu* mnuView;
    QAction* mnuViewMainScreen;
    QAction* mnuViewMaterials;
    QAction* mnuViewEstimateScr;
    QMenu* mnuTools;
    QAction* mnuToolsImportPriceList;
    QAction* mnuToolsUpdateCosts;
    QAction* mnuToolsPreferences;
    QMenu* mnuHelp;
    QAction* mnuHelpAbout;
    QAction* mnuHelpVideo;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static inline bool s_estimatesLater = false;
    bool m_loadedOnce = false;
    // A screen's frame, on its tab's page, and the interface the window drives it through.
    struct ScreenTab {
        QWidget* frame;
        ScreenInterface* screen;
    };
    template <class Frame, class... Args> Frame* addScreen(const QString& caption, Args... args);
    ScreenInterface* currentScreen() const;
    // Edit Record, Save Record and Export Estimate follow the screen shown.
    void updateEditMenu();

    void createMenus();
    void Form_Load();
    void Form_Unload();
    void ReadConfiguration();
    void InitDBControls();
    void tmrMain_Timer();
    void mnuFileExit_Click();
    void tabMain_Click(int previousTab);
    // Shows a tab without running the tab click's rules (going back to a screen that must stay).
    void showTabQuietly(int tab);
    // The Estimate tab is open while Home lists estimates or a new one is being made.
    void updateEstimateTab(bool anyListed);
    void mnuFileNewEstimate_Click();
    void mnuFilePrintQuote_Click();
    // Prints the estimate shown on the Estimate screen, or the one selected on Home.
    void PrintQuote();
    // Saves the same estimate as a file, through the export's file dialog.
    void mnuFileExportQuote_Click();
    // The estimate a quote is printed or exported for: the one on the Estimate screen, saved
    // first so the quote shows what was typed, else the one selected on Home. 0 when there is
    // none or its save was refused (and said why).
    int quoteEstimateId();
    // Whether there is such an estimate, one with a reference number.
    bool hasQuoteEstimate() const;
    void mnuEditEditRecord_Click();
    void mnuEditSaveRecord_Click();
    void mnuEditPreferences_Click();
    // The Preferences dialog, on its Company tab when asked for the company's details.
    void showPreferences(bool companyDetails);
    void mnuToolsImportPriceList_Click();
    void mnuHelpAbout_Click();
    void Form_Resize();
    void ResizeTabControl();
    void ResizeHomeFrame();
    void ResizeMaterialsFrame();
    void ResizeEstimateFrame();
    void resizeFrame(QWidget* frame);
    QSizeF windowSizeInTwips() const;

    QWidget* m_client;
    QList<ScreenTab> m_screens;
    QSizeF m_referenceSize;
    int m_shownTab = 0;
    bool m_switchingBack = false;
    bool m_unloaded = false;
};
