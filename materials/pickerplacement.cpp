#include "materials/pickerplacement.h"

#include <algorithm>

namespace PickerPlacement {

namespace {

// start moved so that [start, start + length) lies inside [low, high) where it can.
int clampInto(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

QRect beside(const QRect& avoid, const QSize& size, const QSize& smallest, const QRect& screen,
             int gap) {
    const QSize wanted = size.boundedTo(screen.size());
    if (smallest.width() > wanted.width() || smallest.height() > wanted.height())
        return {};
    const int top = clampInto(avoid.top(), wanted.height(), screen.top(), screen.bottom() + 1);
    const int left = clampInto(avoid.left(), wanted.width(), screen.left(), screen.right() + 1);
    // The room on each side, in the order the sides are tried.
    const int right = screen.right() - avoid.right() - gap;
    const int leftRoom = avoid.left() - gap - screen.left();
    const int below = screen.bottom() - avoid.bottom() - gap;
    const int above = avoid.top() - gap - screen.top();
    if (right >= smallest.width()) {
        const int width = std::min(wanted.width(), right);
        return {avoid.right() + 1 + gap, top, width, wanted.height()};
    }
    if (leftRoom >= smallest.width()) {
        const int width = std::min(wanted.width(), leftRoom);
        return {avoid.left() - gap - width, top, width, wanted.height()};
    }
    if (below >= smallest.height()) {
        const int height = std::min(wanted.height(), below);
        return {left, avoid.bottom() + 1 + gap, wanted.width(), height};
    }
    if (above >= smallest.height()) {
        const int height = std::min(wanted.height(), above);
        return {left, avoid.top() - gap - height, wanted.width(), height};
    }
    return {};
}

} // namespace PickerPlacement
