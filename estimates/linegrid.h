#pragma once

#include <QHash>
#include <QList>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <optional>

class QAction;
class RecordSetModel;

// What the Estimate screen's two line grids share: the grid itself, the editor of its cells,
// how its columns are presented and sized, and the check of a cell that must hold a number.

// A grid of estimate lines. Before an editor opens it asks its edit guard, which may write the
// estimate first (and so reload the grid). Tab and Shift+Tab go from cell to cell of a line and
// on to the next or previous line. The new-row line is one line until it is left: it is written
// when the cursor or the focus leaves it or Enter is pressed on it, and Esc drops it unwritten.
// A click on a row header makes that line current; Shift and Ctrl clicks choose several. The
// chosen lines are deleted with the Delete key or the grid's context menu.
class LineGridView : public QTableView {
    Q_OBJECT
public:
    explicit LineGridView(QWidget* parent = nullptr);
    using QTableView::edit;

    // Asked before a cell is edited; false keeps the cell closed. The grid may be reloaded
    // meanwhile: the edit then opens on the same cell of the reloaded grid.
    void setEditGuard(std::function<bool()> guard) { m_editGuard = std::move(guard); }
    // The rows a delete would remove, in order: every stored line the selection touches, or else
    // the current one; never the new-row line.
    QList<int> linesToDelete() const;
    // Selects these lines whole and puts the cursor on the first, so they show while asked about.
    void highlightLines(const QList<int>& rows);
    // The width sizeHintForColumn() gives (the widest of the cells' size hints among the rows it
    // considers) when that is more than available; otherwise a width no more than available.
    // Only the cells whose text may be wider ask the delegate, so a thousand lines are sized in
    // a fraction of the time.
    int columnWidthHint(int column, int available) const;

    QAction* const actDeleteLine;

    void setModel(QAbstractItemModel* model) override;

signals:
    // The user asked to delete the lines on these rows.
    void deleteRequested(const QList<int>& rows);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;

private:
    RecordSetModel* lines() const;
    // The next (or previous) editable column of row after column, in the order shown; -1 none.
    int editableColumn(int row, int column, bool forward) const;
    // Tab or Shift+Tab from this cell: the next cell to edit, on this line or the next.
    void moveAcross(const QModelIndex& from, bool forward);
    // Puts the cursor on the first cell of the (empty) new-row line.
    void goToNewLine();
    void moveCursorTo(const QModelIndex& index);
    // The rows sizeHintForColumn() considers: those shown, then alternately above and below, up
    // to the header's resizeContentsPrecision().
    QList<int> rowsForSizeHint() const;

    std::function<bool()> m_editGuard;
    bool m_guarding = false;
    // The column width hints given, with the room they were given for, until the lines or the
    // font change: the screen fits its columns again on every resize.
    struct WidthHint {
        int available = 0;
        int hint = 0;
    };
    mutable QHash<int, WidthHint> m_widthHints;
    QList<QMetaObject::Connection> m_modelConnections;
};

// Edits a cell as the text the grid shows ("$12.50", "20.0%"), and hands the typed text to the
// model, whose checks read it. A commit cannot run twice when a check's message takes the focus
// from the editor.
class LineCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    mutable bool m_committing = false;
};

namespace LineGrid {

// A column as the grid presents it.
struct Column {
    const char* field; // the table's column it shows
    const char* caption;
    QString format;
    bool number = false; // shown right-aligned, as amounts are
    bool editable = false;
};

// Builds a line grid on the screen's frame (design pixels), over model, with these columns.
LineGridView* create(QWidget* parent, const QString& name, double top, double height,
                     RecordSetModel* model, const QList<Column>& columns);

// Gives the columns from first on their shares of the grid's width, then the whole width: a
// cut-off amount or part number would mislead, so such a column keeps room for the text it shows
// and the description gives it up.
void fitColumns(QTableView* grid, int first, const QList<double>& fractions, int description);

// Shows why a typed value was refused; the cell keeps its old value.
void refuseCell(const QString& message, const QString& title);

// The check of a cell that must hold a number, as it is committed: the value read from the
// typed text replaces it; text that is no number is refused with message.
template <class Value>
bool takeNumber(const std::optional<Value>& read, QVariant& newValue, const QString& message,
                const QString& title) {
    if (!read) {
        refuseCell(message, title);
        return false;
    }
    newValue = QVariant::fromValue(*read);
    return true;
}

// The check of a cell that holds an amount: typed text as its amount, like takeNumber().
// Numeric text beyond Money's range is refused naming the range, never stored as another
// amount; other unreadable text is refused with notNumber, or taken as no amount when
// notNumber is empty.
bool takeAmount(const QVariant& typed, QVariant& newValue, const QString& field,
                const QString& notNumber, const QString& title);

// Asks before lines are deleted (count of them); true when the user agreed.
bool confirmDelete(const QString& title, int count);

} // namespace LineGrid
