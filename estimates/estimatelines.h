#pragma once

#include <QObject>
#include <functional>

class DataControl;
class LaborLines;
class MaterialLines;
class QPushButton;
class QTableView;
class QWidget;
class RecordSet;

// The current estimate's lines on the Estimate screen: the material lines (MaterialLines) with
// their "Add Materials" button, and the labor lines (LaborLines). The grids show the lines of
// the estimate given to showLinesOf(); each change of a line is signalled, so the totals follow.
class EstimateLines : public QObject {
    Q_OBJECT
public:
    // Builds the grids and the button on the screen's frame, where the window's layout finds them.
    explicit EstimateLines(QWidget* screen);

    // Points both grids at the lines of the estimate with this key (0: a new estimate, no lines).
    // False, with the error reported, when a query failed.
    bool showLinesOf(int estimateId);
    // Lines may be entered only while the estimate has a reference number.
    void setLineEntryEnabled(bool enabled);
    void setAddMaterialsEnabled(bool enabled);
    // Writes the current estimate when it is new, before its first line; false when it was not
    // written.
    void setEstimateWriter(const std::function<bool()>& writer);
    RecordSet* materialLines() const;
    RecordSet* laborLines() const;
    // Gives the grids' columns their shares of the grids' widths.
    void applyColumnFractions();
    // Writes a new line still being typed on a grid's new-row line, as leaving it would.
    void writeNewLines();

    MaterialLines* const material;
    LaborLines* const labor;
    DataControl* const dcMaterialEstimate;
    DataControl* const dcLaborEstimate;
    QTableView* const grdMaterialEstimate;
    QPushButton* const btnMaterialEstimate;
    QTableView* const grdLaborEstimate;

signals:
    void materialLinesChanged();
    void laborLinesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
