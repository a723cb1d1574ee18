#include "widgets/layoutrow.h"

#include "widgets/twips.h"

#include <QWidget>
#include <algorithm>

namespace {
// How much a size grows when its two edges move by the given shares. An edge pair whose right
// share is below its left share (the filter frame: it moves with the right side) keeps its
// size; growing it as well would push it past the window's edge.
double growth(float first, float second) {
    return second >= first ? double(second - first) : 0.0;
}
} // namespace

void followSizeChange(const LayoutRows& rows, double dx, double dy) {
    for (const LayoutRow& row : rows) {
        QRectF g = Twips::geometry(row.control);
        g = QRectF(g.left() + double(row.left) * dx, g.top() + double(row.top) * dy,
                   std::max(0.0, g.width() + growth(row.left, row.right) * dx),
                   std::max(0.0, g.height() + growth(row.top, row.bottom) * dy));
        Twips::setGeometry(row.control, g);
    }
}
