#pragma once

#include <QDate>
#include <QObject>

class DataControl;
class EstimateBook;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class QWidget;
class RecordSetModel;

// The Home screen's list of the estimates of one month: the month's caption lblMonthYear, the
// two arrows that step it (held down, they repeat), and the grid DGEstimatesAll over the month's
// rows of EstimatesAll. The caption is the only store of the month shown. The list keeps the
// estimate book told which estimate its current row shows. The controls are built on the
// screen's frame, where the window's layout finds them.
class EstimatesMonthList : public QObject {
    Q_OBJECT
public:
    EstimatesMonthList(QWidget* screen, EstimateBook* book);

    // Lists the month named by the caption, keeping the current estimate current when it is
    // still listed.
    void SetupEstimatesAllGrid();
    // Shows another month (its day does not matter) and lists it.
    void showMonth(const QDate& month);
    // The first day of the month the caption names.
    QDate shownMonth() const;
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

    EstimateBook* const book;
    RecordSetModel* const m_model;
    QLabel* m_emptyNote;
    // The arrow being held down, and whether the timer has stepped since it was pressed (its
    // release then adds no step of its own).
    QPushButton* m_heldArrow = nullptr;
    bool m_repeated = false;
};
