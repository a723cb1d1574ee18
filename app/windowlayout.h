#pragma once

#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

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
// size, in twips. A control that is missing is skipped: see missingLayoutControls.
void applyLayoutTable(QWidget* window, const QList<LayoutEntry>& table, double dx, double dy);

// The names of the table that name no control under window, in the table's order. A renamed
// or lost control would otherwise simply stop following the window's size.
QStringList missingLayoutControls(const QWidget* window, const QList<LayoutEntry>& table);
