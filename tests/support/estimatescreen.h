#pragma once

// A loaded main window on the Estimate screen, shown and active so focus moves as it does for
// a user; the header, the record bar and the tabs are driven by mouse and keys.
#include "app/mainwindow.h"
#include "data/recordset.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimateheader.h"
#include "estimates/estimatelines.h"
#include "estimates/estimatetotals.h"
#include "support/userinput.h"
#include "widgets/datanavigator.h"
#include "widgets/recordsetmodel.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

struct EstimateScreen {
    frmMain window;
    EstimateFrame* e;
    EstimateHeader* h;

    EstimateScreen() : e(window.frEstimating), h(window.frEstimating->header) {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
        // The View menu, since the tab is closed while Home's month lists no estimate.
        window.mnuViewEstimateScr->trigger();
    }
    RecordSet* records() const { return window.estimateBook->records(); }
    int currentId() const { return window.estimateBook->currentEstimateId(); }
    RecordSetModel* model(QTableView* grid) const {
        return qobject_cast<RecordSetModel*>(grid->model());
    }
    QString cell(QTableView* grid, int row, int column) const {
        return model(grid)->data(model(grid)->index(row, column)).toString();
    }
    QString caption(QTableView* grid, int column) const {
        return model(grid)->headerData(column, Qt::Horizontal).toString();
    }
    void clickTab(int tab) {
        QTabBar* bar = window.tabMain->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    // A button of the record bar, by its tool tip ("Next record", ...).
    QToolButton* recordBarButton(const QString& tip) const {
        for (QToolButton* button : e->dcEstimates->findChildren<QToolButton*>())
            if (button->toolTip() == tip)
                return button;
        return nullptr;
    }
    static void click(QWidget* widget) { UserInput::click(widget); }
    static void typeInto(QWidget* field, const QString& text) { UserInput::typeInto(field, text); }
    static void leave(QWidget* field) { UserInput::leave(field); }
    // The line-entry controls and Edit > Save Record, all on or all off.
    bool lineEntryEnabled() const {
        return e->grdMaterialEstimate->isEnabled() && e->grdLaborEstimate->isEnabled() &&
               e->btnMaterialEstimate->isEnabled() && window.mnuEditSaveRecord->isEnabled();
    }
    bool lineEntryDisabled() const {
        return !e->grdMaterialEstimate->isEnabled() && !e->grdLaborEstimate->isEnabled() &&
               !e->btnMaterialEstimate->isEnabled() && !window.mnuEditSaveRecord->isEnabled();
    }
};
