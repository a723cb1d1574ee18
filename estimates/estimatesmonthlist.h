#pragma once

#include <QDate>
#include <QObject>
#include <QVariantList>

class DataControl;
class EstimateBook;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QTableView;
class QTimer;
class QWidget;
class RecordSetModel;

// The Home screen's list of the estimates of one month: the month's caption lblMonthYear, the
// two arrows that step it (held down, they repeat), and the grid DGEstimatesAll over the month's
// rows of EstimatesAll. The caption is the only store of the month shown. The list keeps the
// estimate book told which estimate its current row shows. Above the grid, the Find box txtFind
// lists the estimates of every month that match what is typed instead; the arrows rest while
// it does. The controls are built on the screen's frame, where the window's layout finds them.
class EstimatesMonthList : public QObject {
    Q_OBJECT
public:
    EstimatesMonthList(QWidget* screen, EstimateBook* book);

    // Lists the month named by the caption, keeping the current estimate current when it is
    // still listed.
    void SetupEstimatesAllGrid();
    // Shows another month (its day does not matter) and lists it.
    void showMonth(const QDate& month);
    // The first day of the month shown, or shown again once the search is left.
    QDate shownMonth() const;
    // Whether the list shows the estimates found rather than a month.
    bool isSearching() const { return !m_findText.isEmpty(); }
    // Lists the estimates of every month whose reference number, customer, job or customer's
    // contact holds the text (an empty text returns to the month).
    void find(const QString& text);
    // The values the search for this text binds to its statement.
    static QVariantList findValues(const QString& text);
    // Empties the Find box and lists the month again.
    void leaveSearch();
    void cmdDateDown_Click();
    void cmdDateUp_Click();

    int listedCount() const;
    // The key of the estimate on the grid's current row, 0 when there is none.
    int selectedEstimateId() const;
    // Gives the visible columns their shares of the grid's width.
    void fitColumns();

    QPushButton* cmdDateDown;
    QLabel* lblMonthYear;
    QPushButton* cmdDateUp;
    QLineEdit* txtFind;
    QTableView* DGEstimatesAll;
    // Repeats a held arrow: 1400 ms to the first step, 900 to the second, then every 400; an
    // interval of 0 means stopped.
    QTimer* tmrDateChange;
    DataControl* const AdodcEstimatesAll;

signals:
    // The month was listed; how many estimates it holds.
    void listed(int count);
    // A row was double-clicked, or Enter pressed on it: the user wants that estimate opened.
    void estimateChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stepMonth(int months);
    void arrowPressed(QPushButton* arrow);
    void arrowReleased();
    void arrowClicked(int months);
    void tmrDateChange_Timer();
    void selectEstimate(int estimateId);
    void showEmptyMonthNote(bool empty);
    void setArrowsEnabled(bool enabled);

    QShortcut* m_back;
    QShortcut* m_forward;
    // Waits for a pause in the typing before searching.
    QTimer* m_findDelay;
    // The text searched for; empty while a month is shown.
    QString m_findText;
    // The month shown before the search, kept while the caption counts what was found.
    QDate m_month;

    EstimateBook* const book;
    RecordSetModel* const m_model;
    QLabel* m_emptyNote;
    // The arrow being held down, and whether the timer has stepped since it was pressed (its
    // release then adds no step of its own).
    QPushButton* m_heldArrow = nullptr;
    bool m_repeated = false;
};
