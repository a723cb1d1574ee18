#include "widgets/recordsetmodel.h"

#include "data/formats.h"
#include "data/recordset.h"

namespace {
bool isBlank(const QVariant& v) {
    return !v.isValid() || v.isNull() ||
           (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}
} // namespace

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordSetModel::setRecordSet(RecordSet* recordSet) {
    beginResetModel();
    if (m_recordSet)
        disconnect(m_recordSet, nullptr, this, nullptr);
    m_recordSet = recordSet;
    m_newLineStarted = false;
    if (m_recordSet) {
        const auto rebuild = [this] {
            beginResetModel();
            m_newLineStarted = false; // a reopened set holds no unwritten record
            attachStore();
            endResetModel();
        };
        connect(m_recordSet, &RecordSet::reset, this, rebuild);
        // A set replaced and deleted by its data control leaves an empty grid, not a dangling one.
        connect(m_recordSet, &QObject::destroyed, this, rebuild);
    }
    attachStore();
    endResetModel();
}

void RecordSetModel::attachStore() {
    for (const auto& c : std::as_const(m_storeConnections))
        disconnect(c);
    m_storeConnections.clear();
    m_store = m_recordSet ? m_recordSet->store() : nullptr;
    if (!m_store)
        return;
    m_storeConnections << connect(m_store, &RecordStore::rowAppended, this, [this](int position) {
        beginInsertRows({}, position, position);
        endInsertRows();
    }) << connect(m_store, &RecordStore::rowAboutToBeRemoved, this, [this](int position) {
        beginRemoveRows({}, position, position);
    }) << connect(m_store, &RecordStore::rowRemoved, this, [this](int) {
        endRemoveRows();
    }) << connect(m_store, &RecordStore::rowChanged, this, [this](int position) {
        emit dataChanged(index(position, 0), index(position, columnCount() - 1));
    });
}

int RecordSetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_store)
        return 0;
    return m_store->rowCount() + (hasNewRowLine() ? 1 : 0);
}

int RecordSetModel::recordCount() const {
    return m_store ? m_store->rowCount() : 0;
}

bool RecordSetModel::hasNewRowLine() const {
    return lineShownWith(m_allowUpdate, m_allowAddNew);
}

bool RecordSetModel::lineShownWith(bool allowUpdate, bool allowAddNew) const {
    return allowUpdate && allowAddNew && m_store && m_recordSet && !m_recordSet->isReadOnly();
}

void RecordSetModel::setLineSettings(bool allowUpdate, bool allowAddNew) {
    // The view hears of the line before it appears and after it has gone.
    const bool had = hasNewRowLine();
    const bool has = lineShownWith(allowUpdate, allowAddNew);
    const int line = recordCount();
    if (has && !had)
        beginInsertRows({}, line, line);
    else if (had && !has)
        beginRemoveRows({}, line, line);
    m_allowUpdate = allowUpdate;
    m_allowAddNew = allowAddNew;
    if (has && !had)
        endInsertRows();
    else if (had && !has)
        endRemoveRows();
}

void RecordSetModel::setAllowUpdate(bool allow) {
    setLineSettings(allow, m_allowAddNew);
}

void RecordSetModel::setAllowAddNew(bool allow) {
    setLineSettings(m_allowUpdate, allow);
}

void RecordSetModel::setRecordSelectors(bool on) {
    m_recordSelectors = on;
    if (rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void RecordSetModel::setCurrentRow(int row) {
    const int previous = m_currentRow;
    m_currentRow = row;
    for (const int changed : {previous, row})
        if (changed >= 0 && changed < rowCount())
            emit headerDataChanged(Qt::Vertical, changed, changed);
}

void RecordSetModel::setColumnReadOnly(int column, bool readOnly) {
    if (readOnly)
        m_readOnlyColumns.insert(column);
    else
        m_readOnlyColumns.remove(column);
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_store ? 0 : m_store->fieldCount();
}

bool RecordSetModel::newLineStarted() const {
    // A write or a move of the set through another road has ended the held record too.
    return m_newLineStarted && m_recordSet && m_recordSet->editMode() == RecordSet::EditAdd &&
           hasNewRowLine();
}

QVariant RecordSetModel::value(int row, int column) const {
    if (newLineStarted() && row == recordCount())
        return column >= 0 && column < columnCount() ? m_recordSet->value(column) : QVariant();
    if (!m_store || row < 0 || row >= m_store->rowCount() || column < 0 ||
        column >= m_store->fieldCount())
        return {};
    return m_store->value(row, column);
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_store)
        return {};
    // The new-row line is empty until something is typed into it.
    if (isNewRow(index.row()) && role != Qt::TextAlignmentRole &&
        !(newLineStarted() && (role == Qt::DisplayRole || role == Qt::EditRole)))
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        QVariant shown = value(index.row(), index.column());
        if (shown.isNull())
            shown = m_nullValues.value(index.column());
        return formatValue(shown, m_formats.value(index.column()));
    }
    case Qt::EditRole:
        return value(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (auto it = m_alignments.constFind(index.column()); it != m_alignments.constEnd())
            return QVariant::fromValue(*it);
        return {};
    case Qt::ForegroundRole:
        if (m_colour) {
            const QColor c = m_colour(index.row(), index.column());
            if (c.isValid())
                return c;
        }
        return {};
    default:
        return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical && m_recordSelectors) {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        if (role != Qt::DisplayRole)
            return {};
        const QString line = isNewRow(section) ? QStringLiteral("*") : QString();
        return section == m_currentRow ? QStringLiteral("\u25b8") + line : line;
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && isNewRow(section))
        return QStringLiteral("*");
    if (orientation != Qt::Horizontal || !m_store)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        if (auto it = m_captions.constFind(section); it != m_captions.constEnd())
            return *it;
        return section < m_store->fieldCount() ? m_store->fields()[size_t(section)].name
                                               : QString();
    }
    if (role == Qt::ToolTipRole && m_headerToolTips.contains(section))
        return m_headerToolTips.value(section);
    if (role == Qt::TextAlignmentRole && m_headerAlignment)
        return QVariant::fromValue(m_headerAlignment);
    if (role == Qt::TextAlignmentRole && m_alignments.contains(section))
        return QVariant::fromValue(m_alignments.value(section));
    return {};
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_allowUpdate && m_recordSet && !m_recordSet->isReadOnly() &&
        !m_readOnlyColumns.contains(index.column()) &&
        !m_store->fields()[size_t(index.column())].baseTable.isEmpty())
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& newValue, int role) {
    if (role != Qt::EditRole || !index.isValid() || !m_recordSet || !m_store)
        return false;
    const int row = index.row();
    const int column = index.column();
    if (m_readOnlyColumns.contains(column))
        return false;
    const bool adding = isNewRow(row);
    // Nothing typed on the new-row line adds nothing.
    if (adding && !newLineStarted() && isBlank(newValue))
        return false;
    QVariant v = newValue;
    if (m_before && !m_before(row, column, value(row, column), v))
        return false;
    if (adding)
        return m_holdNewLine ? holdInNewLine(row, column, v) : addRecord(row, column, v);
    // An edit of another row leaves the new-row line: what it holds is written first.
    submit();
    RecordSet& rs = *m_recordSet;
    const bool moved = rs.absolutePosition() == row + 1 || rs.setAbsolutePosition(row + 1);
    if (!moved || !rs.setValue(column, v) || !deriveAndUpdate(rs, column))
        return failWrite(rs);
    if (m_after)
        m_after(row, column);
    return true;
}

bool RecordSetModel::addRecord(int row, int column, const QVariant& value) {
    // The store announces the appended row, which the view shows in front of the line.
    RecordSet& rs = *m_recordSet;
    if (!rs.addNew())
        return failWrite(rs);
    if (m_onAddNew)
        m_onAddNew(rs);
    if (!rs.setValue(column, value) || !deriveAndUpdate(rs, column))
        return failWrite(rs);
    if (m_after)
        m_after(row, column);
    return true;
}

bool RecordSetModel::holdInNewLine(int row, int column, const QVariant& value) {
    RecordSet& rs = *m_recordSet;
    if (!newLineStarted()) {
        if (!rs.addNew())
            return failWrite(rs);
        m_newLineStarted = true;
        if (m_onAddNew)
            m_onAddNew(rs);
    }
    // A value the field refuses is reported; the cells typed before stay on the line.
    if (!rs.setValue(column, value)) {
        emit writeFailed(rs.lastError());
        return false;
    }
    m_newLineColumn = column;
    // The derived cells show what the line will be written with.
    if (m_beforeRow)
        m_beforeRow(rs, column);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    return true;
}

bool RecordSetModel::submit() {
    if (!newLineStarted()) {
        m_newLineStarted = false;
        return true;
    }
    RecordSet& rs = *m_recordSet;
    const int row = recordCount();
    // Cleared first: the written record is announced as a row in front of the line.
    m_newLineStarted = false;
    if (!deriveAndUpdate(rs, m_newLineColumn)) {
        failWrite(rs);
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return false;
    }
    if (m_after)
        m_after(row, m_newLineColumn);
    return true;
}

void RecordSetModel::revert() {
    if (!newLineStarted()) {
        m_newLineStarted = false;
        return;
    }
    m_newLineStarted = false;
    m_recordSet->cancelUpdate();
    const int row = recordCount();
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RecordSetModel::setCaption(int column, const QString& caption) {
    m_captions.insert(column, caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void RecordSetModel::setFormat(int column, const QString& format) {
    m_formats.insert(column, format);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

void RecordSetModel::setAlignment(int column, Qt::Alignment alignment) {
    m_alignments.insert(column, alignment);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

bool RecordSetModel::deriveAndUpdate(RecordSet& rs, int column) {
    if (m_beforeRow)
        m_beforeRow(rs, column);
    return rs.update();
}

bool RecordSetModel::failWrite(RecordSet& rs) {
    const DbError error = rs.lastError();
    rs.cancelUpdate(); // nothing half-written stays behind
    emit writeFailed(error);
    return false;
}

bool RecordSetModel::deleteRow(int row) {
    if (!m_recordSet || !m_store || row < 0 || row >= recordCount())
        return false;
    submit(); // the move would write it, unseen
    RecordSet& rs = *m_recordSet;
    const bool moved = rs.absolutePosition() == row + 1 || rs.setAbsolutePosition(row + 1);
    if (!moved || !rs.deleteCurrent())
        return failWrite(rs);
    return true;
}

int RecordSetModel::rowOfBookmark(int bookmark) const {
    return m_store ? m_store->positionOf(bookmark) : -1;
}
