#include "estimates/linegrid.h"

#include "data/formats.h"
#include "data/recordset.h"
#include "estimates/linevalues.h"
#include "estimates/widesttext.h"
#include "settings/gridformat.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"
#include "widgets/twips.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

LineGridView::LineGridView(QWidget* parent)
    : QTableView(parent), actDeleteLine(new QAction(tr("&Delete Line"), this)) {
    actDeleteLine->setObjectName(QStringLiteral("actDeleteLine"));
    actDeleteLine->setShortcut(QKeySequence::Delete);
    // The key is handled by the grid itself, so that it never reaches an open cell's editor.
    actDeleteLine->setShortcutContext(Qt::WidgetShortcut);
    actDeleteLine->setToolTip(tr("Delete the chosen lines from the estimate"));
    connect(actDeleteLine, &QAction::triggered, this, [this] {
        if (const QList<int> rows = linesToDelete(); !rows.isEmpty())
            emit deleteRequested(rows);
    });
    // Going to another control of the window leaves the new-row line: it is written. A message
    // about a typed value is a window of its own and leaves nothing.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const auto inGrid = [this](QWidget* w) { return w && (w == this || isAncestorOf(w)); };
        if (inGrid(old) && now && !inGrid(now) && now->window() == window() && lines())
            lines()->submit();
    });
    setItemDelegate(new LineCellDelegate(this));
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
}

void LineGridView::setModel(QAbstractItemModel* model) {
    if (model == this->model())
        return;
    for (const auto& connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    QTableView::setModel(model);
    m_widthHints.clear();
    if (!model)
        return;
    const auto forget = [this] { m_widthHints.clear(); };
    m_modelConnections << connect(model, &QAbstractItemModel::modelReset, this, forget)
                       << connect(model, &QAbstractItemModel::dataChanged, this, forget)
                       << connect(model, &QAbstractItemModel::rowsInserted, this, forget)
                       << connect(model, &QAbstractItemModel::rowsRemoved, this, forget)
                       << connect(model, &QAbstractItemModel::layoutChanged, this, forget);
}

void LineGridView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_widthHints.clear();
    QTableView::changeEvent(event);
}

RecordSetModel* LineGridView::lines() const {
    return qobject_cast<RecordSetModel*>(model());
}

QList<int> LineGridView::linesToDelete() const {
    const RecordSetModel* records = lines();
    if (!records)
        return {};
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows << index.row();
    if (rows.isEmpty())
        rows << currentIndex().row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([records](int row) { return row < 0 || row >= records->recordCount(); });
    return rows;
}

void LineGridView::highlightLines(const QList<int>& rows) {
    if (rows.isEmpty())
        return;
    QItemSelection chosen;
    const int last = model()->columnCount() - 1;
    for (const int row : rows)
        chosen.select(model()->index(row, 0), model()->index(row, last));
    if (!rows.contains(currentIndex().row())) {
        const int column = std::max(0, editableColumn(rows.first(), -1, true));
        selectionModel()->setCurrentIndex(model()->index(rows.first(), column),
                                          QItemSelectionModel::NoUpdate);
    }
    selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
}

QList<int> LineGridView::rowsForSizeHint() const {
    const int count = model()->rowCount(rootIndex());
    const QHeaderView* rows = verticalHeader();
    // 0: the rows shown; -1: all of them.
    const int most = horizontalHeader()->resizeContentsPrecision();
    int top = std::max(0, rows->visualIndexAt(0));
    int bottom = rows->visualIndexAt(viewport()->height());
    if (!isVisible() || bottom == -1)
        bottom = count - 1;
    QList<int> chosen;
    for (int visual = top; visual <= bottom && chosen.size() != most; ++visual)
        if (const int row = rows->logicalIndex(visual); !isRowHidden(row))
            chosen << row;
    if (most == 0)
        return chosen;
    // As the view does: one row above, one below, until enough; the row where a side runs out of
    // rows is taken from the other.
    const int last = count - 1;
    int taken = int(chosen.size());
    while (taken != most && (top > 0 || bottom < last)) {
        int row = -1;
        if ((taken % 2 && top > 0) || bottom == last) {
            while (top > 0) {
                row = rows->logicalIndex(--top);
                if (!isRowHidden(row))
                    break;
            }
        } else {
            while (bottom < last) {
                row = rows->logicalIndex(++bottom);
                if (!isRowHidden(row))
                    break;
            }
        }
        if (row < 0 || row >= count)
            continue;
        chosen << row;
        ++taken;
    }
    return chosen;
}

int LineGridView::columnWidthHint(int column, int available) const {
    // An open editor counts as the view counts it.
    if (!model() || state() == EditingState || isColumnHidden(column))
        return static_cast<const QAbstractItemView*>(this)->sizeHintForColumn(column);
    ensurePolished();
    const QList<int> rows = rowsForSizeHint();
    // Which rows count depends on the scrolling only when not all of them do.
    const bool allRows = rows.size() == model()->rowCount(rootIndex());
    if (const auto known = m_widthHints.constFind(column);
        allRows && known != m_widthHints.cend() && known->available == available)
        return known->hint;
    QStringList texts;
    texts.reserve(rows.size());
    for (const int row : rows)
        texts << model()->index(row, column, rootIndex()).data(Qt::DisplayRole).toString();
    const int grid = showGrid() ? 1 : 0;
    if (rows.isEmpty())
        return grid;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const auto cellHint = [&](int row) {
        const QModelIndex index = model()->index(row, column, rootIndex());
        return itemDelegateForIndex(index)->sizeHint(option, index).width();
    };
    // A cell's hint is its text's width and the same margins for the whole column: the widest
    // texts decide, and only those that would need more than the room available.
    const int first = cellHint(rows.first());
    const int margins = first - textWidth(texts.first(), option.font);
    const QList<int> widest = widestTexts(texts, option.font, available - grid - margins);
    int hint = first;
    // Texts as wide as each other give the same hint, so a few are enough.
    for (qsizetype i = 0; i < std::min<qsizetype>(widest.size(), 4); ++i)
        hint = std::max(hint, cellHint(rows[widest[i]]));
    if (allRows)
        m_widthHints.insert(column, {available, hint + grid});
    return hint + grid;
}

int LineGridView::editableColumn(int row, int column, bool forward) const {
    const QHeaderView* header = horizontalHeader();
    const int count = model()->columnCount();
    int visual = column < 0 ? -1 : column >= count ? count : header->visualIndex(column);
    for (visual += forward ? 1 : -1; visual >= 0 && visual < count; visual += forward ? 1 : -1) {
        const int logical = header->logicalIndex(visual);
        if (!isColumnHidden(logical) &&
            (model()->flags(model()->index(row, logical)) & Qt::ItemIsEditable))
            return logical;
    }
    return -1;
}

void LineGridView::moveCursorTo(const QModelIndex& index) {
    // Not through the selection command, which a held Shift would turn into a range.
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void LineGridView::goToNewLine() {
    const RecordSetModel* records = lines();
    if (!records || !records->isNewRow(records->recordCount()))
        return;
    const int row = records->recordCount();
    const int column = editableColumn(row, -1, true);
    if (column < 0)
        return;
    const QModelIndex line = model()->index(row, column);
    moveCursorTo(line);
    scrollTo(line);
}

void LineGridView::moveAcross(const QModelIndex& from, bool forward) {
    RecordSetModel* records = lines();
    QModelIndex target;
    if (const int column = editableColumn(from.row(), from.column(), forward); column >= 0) {
        target = model()->index(from.row(), column);
    } else if (forward) {
        // Past the last cell of the new-row line: it is written, and a fresh one follows.
        if (records && records->isNewRow(from.row()) && records->newLineStarted())
            records->submit();
        const int row = from.row() + 1;
        if (row < model()->rowCount())
            target = model()->index(row, editableColumn(row, -1, true));
    } else if (from.row() > 0) {
        target = model()->index(from.row() - 1,
                                editableColumn(from.row() - 1, model()->columnCount(), false));
    }
    if (!target.isValid()) {
        // Beyond the grid's first or last cell, Tab goes on to the next control.
        focusNextPrevChild(forward);
        return;
    }
    moveCursorTo(target); // leaving the new-row line writes it
    scrollTo(target);
    edit(target);
}

void LineGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QModelIndex at = currentIndex();
    if (hint == QAbstractItemDelegate::EditNextItem ||
        hint == QAbstractItemDelegate::EditPreviousItem) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveAcross(at, hint == QAbstractItemDelegate::EditNextItem);
        return;
    }
    // Enter submits the model's cache, which writes a held new-row line; Esc reverts it, which
    // drops the line unwritten.
    RecordSetModel* records = lines();
    const bool writesLine = hint == QAbstractItemDelegate::SubmitModelCache && records &&
                            records->isNewRow(at.row()) && records->newLineStarted();
    QTableView::closeEditor(editor, hint);
    if (writesLine && !records->newLineStarted())
        goToNewLine();
}

void LineGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Leaving the new-row line writes what was typed on it.
    if (RecordSetModel* records = lines();
        records && current.row() != previous.row() && records->isNewRow(previous.row()))
        records->submit();
}

bool LineGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only an edit that would open an editor asks the guard: the view calls edit() for every
    // click and move as well.
    const bool opens = index.isValid() && (model()->flags(index) & Qt::ItemIsEditable) &&
                       state() != EditingState &&
                       (trigger == AllEditTriggers || (editTriggers() & trigger));
    if (!opens || !m_editGuard || m_guarding)
        return QTableView::edit(index, trigger, event);
    const int row = index.row();
    const int column = index.column();
    bool reloaded = false;
    const auto noteReload =
        connect(model(), &QAbstractItemModel::modelReset, this, [&reloaded] { reloaded = true; });
    m_guarding = true;
    const bool allowed = m_editGuard();
    m_guarding = false;
    disconnect(noteReload);
    if (!allowed)
        return false;
    if (!reloaded)
        return QTableView::edit(index, trigger, event);
    const QModelIndex same = model()->index(std::min(row, model()->rowCount() - 1), column);
    if (!same.isValid())
        return false;
    setCurrentIndex(same);
    // The same trigger, so that a key that started the edit is typed into the editor.
    return QTableView::edit(same, trigger, event);
}

void LineGridView::keyPressEvent(QKeyEvent* event) {
    if (state() == EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Delete)) {
        actDeleteLine->trigger();
        event->accept();
        return;
    }
    // On a new-row line that holds typed cells, Enter writes it and Esc drops it.
    RecordSetModel* records = lines();
    if (records && records->newLineStarted() && records->isNewRow(currentIndex().row())) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (records->submit())
                goToNewLine();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            records->revert();
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void LineGridView::contextMenuEvent(QContextMenuEvent* event) {
    // The event comes from the viewport or the grid itself: the point on the screen places it.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        const QModelIndex at = indexAt(viewport()->mapFromGlobal(event->globalPos()));
        // A click outside the chosen lines chooses the line clicked; inside, they stay chosen.
        if (at.isValid() && !selectionModel()->isSelected(at))
            moveCursorTo(at);
    }
    actDeleteLine->setEnabled(isEnabled() && !linesToDelete().isEmpty());
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuLineGrid"));
    menu.addAction(actDeleteLine);
    menu.exec(event->globalPos());
    actDeleteLine->setEnabled(true);
}

QWidget* LineCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("cellEditor"));
    editor->setFrame(false);
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    if (alignment.isValid())
        editor->setAlignment(alignment.value<Qt::Alignment>());
    return editor;
}

void LineCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = static_cast<QLineEdit*>(editor);
    line->setText(index.data(Qt::DisplayRole).toString());
    line->selectAll();
}

void LineCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    // A check's message takes the focus from the editor, which would commit it a second time.
    if (m_committing)
        return;
    m_committing = true;
    model->setData(index, static_cast<QLineEdit*>(editor)->text());
    m_committing = false;
}

namespace LineGrid {

LineGridView* create(QWidget* parent, const QString& name, double top, double height,
                     RecordSetModel* model, const QList<Column>& columns) {
    auto* grid = Twips::place<LineGridView>(parent, name, 12, top, 761, height);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Shift and Ctrl clicks on the row headers choose several lines.
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setAlternatingRowColors(true);
    // Tab leaves the grid, arrows move within it; from an open cell Tab goes to the next cell.
    grid->setTabKeyNavigation(false);
    grid->verticalHeader()->setDefaultSectionSize(24);
    grid->verticalHeader()->setMinimumWidth(18);
    grid->horizontalHeader()->setHighlightSections(false);
    for (int i = 0; i < columns.size(); ++i) {
        model->setCaption(i, QString::fromLatin1(columns[i].caption));
        if (!columns[i].format.isEmpty())
            model->setFormat(i, columns[i].format);
        if (!columns[i].format.isEmpty() || columns[i].number)
            model->setAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        model->setColumnReadOnly(i, !columns[i].editable);
    }
    model->setRecordSelectors(true);
    model->setAllowUpdate(true);
    model->setHoldNewLine(true);
    grid->setModel(model);
    // The record selector follows the current line.
    const auto markCurrentRow = [grid, model] { model->setCurrentRow(grid->currentIndex().row()); };
    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                     markCurrentRow);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        QObject::connect(model, signal, grid, markCurrentRow);
    QObject::connect(model, &QAbstractItemModel::modelReset, grid, markCurrentRow);
    return grid;
}

void fitColumns(QTableView* grid, int first, const QList<double>& fractions, int description) {
    setColumnFractions(grid, first, fractions);
    int spare = grid->viewport()->width();
    for (int column = first; column < first + fractions.size(); ++column) {
        if (column != description) {
            // The widest text among the lines (sizeHintForColumn() is public through the base
            // class).
            const auto* lines = qobject_cast<const LineGridView*>(grid);
            const int needed = std::max(
                lines ? lines->columnWidthHint(column, grid->columnWidth(column))
                      : static_cast<const QAbstractItemView*>(grid)->sizeHintForColumn(column),
                grid->horizontalHeader()->sectionSizeHint(column));
            grid->setColumnWidth(column, std::max(grid->columnWidth(column), needed));
        }
        spare -= grid->columnWidth(column);
    }
    constexpr int kNarrowestDescription = 120;
    grid->setColumnWidth(description,
                         std::max(kNarrowestDescription, grid->columnWidth(description) + spare));
}

void refuseCell(const QString& message, const QString& title) {
    showMessage(message, QMessageBox::Ok, QMessageBox::NoIcon, title);
}

bool takeAmount(const QVariant& typed, QVariant& newValue, const QString& field,
                const QString& notNumber, const QString& title) {
    if (const auto amount = LineValues::money(typed)) {
        newValue = QVariant::fromValue(*amount);
        return true;
    }
    if (isNumericText(typed.toString().trimmed())) {
        refuseCell(QObject::tr("%1 must lie between -%2 and %2")
                       .arg(field, QLatin1String(Money::kLargestText)),
                   title);
        return false;
    }
    if (notNumber.isEmpty()) {
        newValue = QVariant::fromValue(Money());
        return true;
    }
    refuseCell(notNumber, title);
    return false;
}

bool confirmDelete(const QString& title, int count) {
    return showMessage(count == 1
                           ? QObject::tr("Delete this line from the estimate?")
                           : QObject::tr("Delete these %1 lines from the estimate?").arg(count),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                       title) == QMessageBox::Yes;
}

} // namespace LineGrid
