#pragma once

// A loaded main window on the Estimate screen, shown and active so focus moves as it does for
// a user; the header, the record bar and the tabs are driven by mouse and keys. EstimateTest
// opens it over a program of its own; rowsOf() reads back what the program stored.
#include "app/mainwindow.h"
#include "data/recordset.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimateheader.h"
#include "estimates/estimatelines.h"
#include "estimates/estimatetotals.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/testquery.h"
#include "support/userinput.h"
#include "widgets/datanavigator.h"
#include "widgets/recordsetmodel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <functional>

// What the program stored, read back for a comparison: each row of a query as its values' text
// joined by '|'. The query ends before the function returns, so the program may write again.
inline QStringList rowsOf(Database& database, const QString& sql, const QVariantList& values = {}) {
    TestQuery q(database);
    q.prepare(sql);
    for (const QVariant& value : values)
        q.addBindValue(value);
    QStringList rows;
    for (q.exec(); q.next();) {
        QStringList row;
        for (int column = 0; column < q.columnCount(); ++column)
            row << q.value(column).toString();
        rows << row.join(QLatin1Char('|'));
    }
    return rows;
}

inline QStringList rowsOf(TestDatabase& db, const QString& sql, const QVariantList& values = {}) {
    return rowsOf(db.connection().database(), sql, values);
}

// Replaces the field's text as a user does: a date is stepped down a year at a time with the
// arrow key, a long text is pasted, anything else typed.
inline void enterText(QWidget* field, const QString& text) {
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

// The main window, shown and active.
struct ShownWindow {
    frmMain window;
    ShownWindow() {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the window did not become active");
    }
};

struct EstimateScreen : ShownWindow {
    EstimateFrame* e = window.frEstimating;
    EstimateHeader* h = window.frEstimating->header;

    EstimateScreen() {
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
    QStringList cells(QTableView* grid, int row, const QList<int>& columns) const {
        QStringList texts;
        for (int column : columns)
            texts << cell(grid, row, column);
        return texts;
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
    // The line-entry controls and Edit > Save Record, each on or off; they go together.
    QList<bool> lineEntry() const {
        return {e->grdMaterialEstimate->isEnabled(), e->grdLaborEstimate->isEnabled(),
                e->btnMaterialEstimate->isEnabled(), window.mnuEditSaveRecord->isEnabled()};
    }
    bool lineEntryEnabled() const { return !lineEntry().contains(false); }
    bool lineEntryDisabled() const { return !lineEntry().contains(true); }
    // The totals panel's boxes, top to bottom.
    QStringList panel() const {
        QStringList texts;
        for (const QLineEdit* box :
             {e->txtTotalMaterialCost, e->txtTotalMaterailExtension, e->txtTotalMaterialMargin,
              e->txtTotalLabourExtension, e->txtSubtotal, e->txtTax, e->txtShippning,
              e->txtTotalEstimate})
            texts << box->text();
        return texts;
    }
};

// Data (Program or a program over data of its own) loaded as start-up does; prepare, if given,
// changes the database first.
template <class Data> struct LoadedProgram {
    Data program;
    TestDatabase& db = program.db;
    explicit LoadedProgram(const std::function<void(TestDatabase&)>& prepare = {}) {
        if (prepare)
            prepare(db);
        if (!program.load())
            qFatal("the program did not open its test database");
    }
};

// That program on the Estimate screen, its message boxes answered from a script.
template <class Data = Program> struct EstimateTest : LoadedProgram<Data>, EstimateScreen {
    ScriptedMessages messages;
    explicit EstimateTest(const std::function<void(TestDatabase&)>& prepare = {})
        : LoadedProgram<Data>(prepare) {}
    // A column of an estimate as stored.
    QVariant stored(const QString& column, int estimateId = 1) {
        return this->db.scalar(
            QStringLiteral("SELECT %1 FROM EstimateTBL WHERE EstimateID = ?").arg(column),
            {estimateId});
    }
};
