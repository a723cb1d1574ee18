#pragma once

#include "estimates/linegrid.h"

#include "data/money.h"

#include <QObject>
#include <functional>

class DataControl;
class RecordSet;
class RecordSetModel;
struct DbError;

// One kind of estimate line on the Estimate screen: its data control over the lines of the
// current estimate, the grid that shows and edits them, and their deletion. The material and
// labor lines build on it. Whenever a line is written or deleted, linesChanged() tells the
// totals panel to follow.
class LineList : public QObject {
    Q_OBJECT
public:
    // How a kind of line is shown and stored.
    struct Design {
        QString grid;         // the grid's objectName
        QString dataControl;  // the data control's objectName
        QString table;        // the lines' table
        QString toolTip;      // the grid's
        QString messageTitle; // of the messages about these lines
        double top = 0;       // the grid's place on the screen's frame, in design pixels
        double height = 0;
        QList<LineGrid::Column> columns;
        int keys = 0;            // the first columns hold keys, never shown
        QList<double> fractions; // shares of the width from the first shown column on
        int description = 0;     // the column that takes the width the others leave
    };

    LineList(QWidget* screen, const Design& design);

    // Shows the lines of the estimate with this key; a new estimate (0) has none yet. False,
    // with the error reported, when the query failed.
    bool showLinesOf(int estimateId);
    RecordSet* lines() const;
    // Writes the current estimate when it is new, so that its lines can carry its key; false
    // when it was not written (the estimate screen has said why).
    void setEstimateWriter(std::function<bool()> writer) { m_writeEstimate = std::move(writer); }
    void applyColumnFractions();
    // Whether the estimate's totals stay within the amounts kept when its lines change by these
    // amounts (material extensions, material costs, labor): set by the screen from its panel.
    using TotalsCheck = std::function<bool(Money materials, Money cost, Money labor)>;
    void setTotalsCheck(TotalsCheck check) { m_totalsCheck = std::move(check); }
    // Asks once, with the lines highlighted, then deletes the lines on these rows together: all
    // of them, or, when the database refuses one, none (said why). The totals follow at once.
    bool deleteLines(const QList<int>& rows);
    bool deleteLine(int row) { return deleteLines({row}); }

    DataControl* const dataControl;
    RecordSetModel* const model;
    LineGridView* const grid;

signals:
    // A line was added, changed or deleted: the totals follow.
    void linesChanged();

protected:
    // The estimate the lines belong to is stored (it has a key): writes a new one first.
    bool estimateStored();
    // False, after saying so, when a change of a line by these amounts would take the estimate's
    // totals beyond the amounts kept: such a total would print as a wrong figure.
    bool totalsStayWithin(Money materials, Money cost, Money labor) const;
    // Reports a write the database refused.
    void reportWriteFailure(const DbError& error);
    const Design& design() const { return m_design; }

private:
    Design m_design;
    std::function<bool()> m_writeEstimate;
    TotalsCheck m_totalsCheck;
};
