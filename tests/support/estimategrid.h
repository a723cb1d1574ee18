#pragma once

// What a user does to the cells of a grid (the line grids, Home's list, the Customers list): click
// or double-click a cell or a row's header, type into a cell and commit it.
#include "support/userinput.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>
#include <QtTest>

namespace GridInput {

inline QPoint cellCentre(QTableView* grid, int row, int column) {
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

inline void clickCell(QTableView* grid, int row, int column) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, row, column));
}

// As the window system sends a double click: a click, then the second press and its release.
inline void doubleClickCell(QTableView* grid, int row, int column) {
    const QPoint at = cellCentre(grid, row, column);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
}

// A click on the row's header.
inline void clickRowHeader(QTableView* grid, int row, Qt::KeyboardModifiers modifiers = {}) {
    QHeaderView* header = grid->verticalHeader();
    const int y = header->sectionViewportPosition(row) + header->sectionSize(row) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers,
                      QPoint(header->width() / 2, y));
}

// The open cell editor of the grid, which has the keys.
inline QWidget* cellEditor(QTableView* grid) {
    QWidget* editor = QApplication::focusWidget();
    return editor && editor != grid && grid->isAncestorOf(editor) ? editor : nullptr;
}

// Enter commits the cell once the editor has had the key.
inline void commit(QWidget* editor) {
    QPointer<QWidget> open = editor;
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!open || !open->isVisible());
}

// Clicks the cell and types the texts into it and the cells after it, with Tab between them, as
// a user fills a line; the last cell's editor is left open.
inline void typeAcross(QTableView* grid, int row, int column, const QStringList& texts) {
    clickCell(grid, row, column);
    // The first key opens the editor, which takes the rest.
    QTest::keyClicks(grid, texts.first().left(1));
    QTest::keyClicks(QApplication::focusWidget(), texts.first().mid(1));
    for (const QString& text : texts.mid(1)) {
        QVERIFY2(cellEditor(grid), "typing opened no cell editor");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY2(cellEditor(grid), "Tab opened no cell editor");
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
}

// Double-clicks the cell, replaces its text with what is typed and commits it with Enter.
inline void typeIntoCell(QTableView* grid, int row, int column, const QString& text) {
    doubleClickCell(grid, row, column);
    QWidget* editor = cellEditor(grid);
    QVERIFY2(editor, "no cell editor opened");
    UserInput::typeInto(editor, text);
    commit(editor);
}

} // namespace GridInput
