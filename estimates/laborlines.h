#pragma once

#include "estimates/linelist.h"

// The labor lines of the current estimate: the lower grid, typed straight into its new-row line
// (marked *). A line's extension is its hours times its rate, computed whenever a cell is
// committed.
class LaborLines : public LineList {
    Q_OBJECT
public:
    // The grid's columns, in the order it shows them; the first two hold keys.
    enum Column { LaborEstimateID, EstimateID, Hours, Description, Rate, Extension };

    explicit LaborLines(QWidget* screen);

    // A line started on the new-row line: no hours, "None", no rate.
    void grdLaborEstimate_OnAddNew(RecordSet& line);
    // Hours and rate must be numbers.
    bool grdLaborEstimate_BeforeColUpdate(int row, int column, const QVariant& oldValue,
                                          QVariant& newValue);
};
