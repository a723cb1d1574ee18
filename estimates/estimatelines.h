#pragma once

#include <QObject>

class DataControl;
class QPushButton;
class QTableView;
class QWidget;
class RecordSet;
class RecordSetModel;

// The current estimate's lines on the Estimate screen: the material lines grid with its "Add
// Materials" button, and the labor lines grid, each over its own data control. The grids show
// the lines of the estimate given to showLinesOf().
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
    RecordSet* materialLines() const;
    RecordSet* laborLines() const;
    // Gives the grids' columns their shares of the grids' widths.
    void applyColumnFractions();

    DataControl* const dcMaterialEstimate;
    DataControl* const dcLaborEstimate;
    QTableView* grdMaterialEstimate;
    QPushButton* btnMaterialEstimate;
    QTableView* grdLaborEstimate;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RecordSetModel* m_materialModel;
    RecordSetModel* m_laborModel;
};
