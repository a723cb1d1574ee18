#include "settings/gridformat.h"

#include "data/recordset.h"
#include "widgets/recordsetmodel.h"
#include "widgets/twips.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <cmath>

namespace {

constexpr int kFirstColumnMarginTwips = 75;

// Paints column 0's cells without their text: the column holds keys the user has no use for.
class UnreadableTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text.clear();
        option->features &= ~QStyleOptionViewItem::HasDisplay;
    }
};

} // namespace

void DoGridFormat(QTableView* grd, RecordSet* /*rst*/, int lHiddenColNum, bool bShowFirstCol) {
    if (!grd)
        return;
    if (!dynamic_cast<UnreadableTextDelegate*>(grd->itemDelegateForColumn(0)))
        grd->setItemDelegateForColumn(0, new UnreadableTextDelegate(grd));

    const int columns = grd->model() ? grd->model()->columnCount() : 0;
    int firstHidden = 0;
    if (bShowFirstCol && columns > 0) {
        QHeaderView* header = grd->horizontalHeader();
        // Before the grid is laid out the header's height is not yet its own.
        const int headerHeight =
            header->isVisible() ? header->height() : header->sizeHint().height();
        const int width = headerHeight + Twips::toPixelsX(grd, kFirstColumnMarginTwips);
        // The style's minimum section width would otherwise widen the narrow column.
        if (header->minimumSectionSize() > width)
            header->setMinimumSectionSize(width);
        grd->setColumnHidden(0, false);
        grd->setColumnWidth(0, width);
        firstHidden = 1;
    }
    for (int column = firstHidden; column < std::min(lHiddenColNum, columns); ++column)
        grd->setColumnHidden(column, true);

    // Nothing above moves the current cell or the selection.
    if (!grd->isEnabled())
        grd->setEnabled(true);
    grd->setFocus();
    grd->scrollToTop();
    grd->horizontalScrollBar()->setValue(grd->horizontalScrollBar()->minimum());
}

void ApplyFromatToColumn(QTableView* grd, int col, const QString& strfmt) {
    QAbstractItemModel* model = grd ? grd->model() : nullptr;
    if (!model || col < 1 || col > model->columnCount() || model->rowCount() < 1)
        return;
    // The grid shows its record set's values through the model's column formats.
    if (auto* records = qobject_cast<RecordSetModel*>(model))
        records->setFormat(col - 1, strfmt);
}

void setColumnFractions(QTableView* grid, int firstColumn, const QList<double>& fractions) {
    if (!grid || !grid->model())
        return;
    const int columns = grid->model()->columnCount();
    const double width = grid->viewport()->width();
    // Edges are rounded rather than widths, so shares that add up to one fill the grid exactly
    // and no scroll bar appears for a pixel of rounding.
    double edge = 0;
    for (int i = 0; i < fractions.size() && firstColumn + i < columns; ++i) {
        const double next = edge + fractions[i] * width;
        grid->setColumnWidth(firstColumn + i, int(std::lround(next) - std::lround(edge)));
        edge = next;
    }
}

void SaveGridLayout() {}
