#pragma once

#include <QRect>

// Where the material picker stands when it is first shown: beside the estimate's lines, so a
// user sees each line arrive as it is added, rather than over them.
namespace PickerPlacement {

// A rectangle (frame included) on the screen's available area that does not cover avoid: to
// its right, else its left, else below or above it; the first side with room for at least
// smallest, as large as size where there is room, kept as near avoid's top (or left) edge as
// the screen allows. An empty rectangle when no side has room; the caller then places the
// window as it can.
QRect beside(const QRect& avoid, const QSize& size, const QSize& smallest, const QRect& screen,
             int gap);

} // namespace PickerPlacement
