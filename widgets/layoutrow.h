#pragma once

#include <QList>

class QWidget;

// How a control follows a change of the main window's size: the share of the width change its
// left and right edges move by, and the share of the height change its top and bottom edges
// move by. Each screen lists the rows of its own controls.
struct LayoutRow {
    QWidget* control;
    float left;
    float top;
    float right;
    float bottom;
};
using LayoutRows = QList<LayoutRow>;

// Moves and sizes each row's control by the change (dx, dy) of the window's size, in twips.
void followSizeChange(const LayoutRows& rows, double dx, double dy);
