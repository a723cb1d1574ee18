#include "estimates/linegrid.h"

#include "data/formats.h"
#include "data/recordset.h"
#include "estimates/linevalues.h"
#include "settings/gridformat.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"
#include "widgets/twips.h"

#include <QAction>
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
    actDeleteLine->setToolTip(tr("Delete the chosen line from the estimate"));
    connect(actDeleteLine, &QAction::triggered, this, [this] {
        if (const int row = lineToDelete(); row >= 0)
            emit deleteRequested(row);
    });
    setItemDelegate(new LineCellDelegate(this));
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
}

int LineGridView::lineToDelete() const {
    const auto* lines = qobject_cast<const RecordSetModel*>(model());
    const int row = currentIndex().row();
    if (!lines || row < 0 || row >= lines->recordCount())
        return -1;
    return row;
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
    if (event->matches(QKeySequence::Delete) && state() != EditingState) {
        actDeleteLine->trigger();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void LineGridView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex at = indexAt(viewport()->mapFrom(this, event->pos()));
    if (at.isValid())
        setCurrentIndex(at);
    actDeleteLine->setEnabled(isEnabled() && lineToDelete() >= 0);
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
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->setTabKeyNavigation(false); // Tab leaves the grid; arrows move within it
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
            // Public through the base class: the widest text among the rows shown.
            const auto* view = static_cast<const QAbstractItemView*>(grid);
            const int needed = std::max(view->sizeHintForColumn(column),
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

bool confirmDelete(const QString& title) {
    return showMessage(QObject::tr("Delete this line from the estimate?"),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                       title) == QMessageBox::Yes;
}

} // namespace LineGrid
