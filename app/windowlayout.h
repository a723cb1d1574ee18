#pragma once

#include <QList>
#include <QSizeF>
#include <QString>

class QWidget;

// How a control follows a change of the main window's size: the share of the width change its
// left and right edges move by, and the share of the height change its top and bottom edges
// move by.
struct LayoutEntry {
    QString control;
    float left;
    float top;
    float right;
    float bottom;
};

// The controls of the main window that follow its size, in the order they are moved.
QList<LayoutEntry> mainWindowLayoutTable();

// Moves each control of the table found under window by the change (dx, dy) of the window's
// size, in twips. A control that is missing is skipped.
void applyLayoutTable(QWidget* window, const QList<LayoutEntry>& table, double dx, double dy);
