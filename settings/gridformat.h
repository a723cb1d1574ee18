#pragma once

#include <QList>
#include <QString>

class QTableView;
class RecordSet;

// Hides the first lHiddenColNum columns of the grid (its ID columns). With bShowFirstCol, column
// 0 stays as a narrow column as wide as the heading row is high plus 75 twips, and hiding starts
// at column 1. Column 0's text is never readable. The current cell and selection are kept; a
// disabled grid is enabled, takes the focus and is scrolled to its top-left corner. rst is not
// used.
void DoGridFormat(QTableView* grd, RecordSet* rst, int lHiddenColNum, bool bShowFirstCol);

// Shows the data cells of column col (1-based) of a grid over a RecordSetModel in the format
// strfmt (a formatValue name such as "\"$\"#,##0.00" or "Medium Date"). Nothing happens when col
// lies beyond the last column or the grid has no data rows. The headings are never touched.
void ApplyFromatToColumn(QTableView* grd, int col, const QString& strfmt);

// Gives the columns of a grid the given shares of the width inside its frame and scroll bar,
// starting at firstColumn, each rounded to whole pixels. A grid without a model is left alone.
void setColumnFractions(QTableView* grid, int firstColumn, const QList<double>& fractions);

// Stored layouts are not taken from the grids on screen, so there is nothing to save.
void SaveGridLayout();
