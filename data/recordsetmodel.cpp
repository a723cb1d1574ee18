#include "data/recordsetmodel.h"

#include "data/formats.h"
#include "data/recordset.h"

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordSetModel::setRecordSet(RecordSet* recordSet) {
    beginResetModel();
    if (m_recordSet)
        disconnect(m_recordSet, nullptr, this, nullptr);
    m_recordSet = recordSet;
    if (m_recordSet) {
        const auto rebuild = [this] {
            beginResetModel();
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
    return parent.isValid() || !m_store ? 0 : m_store->rowCount();
}

int RecordSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_store ? 0 : m_store->fieldCount();
}

QVariant RecordSetModel::value(int row, int column) const {
    if (!m_store || row < 0 || row >= m_store->rowCount() || column < 0 ||
        column >= m_store->fieldCount())
        return {};
    return m_store->value(row, column);
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_store)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return formatValue(value(index.row(), index.column()), m_formats.value(index.column()));
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
    if (orientation != Qt::Horizontal || !m_store)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        if (auto it = m_captions.constFind(section); it != m_captions.constEnd())
            return *it;
        return section < m_store->fieldCount() ? m_store->fields()[size_t(section)].name
                                               : QString();
    }
    if (role == Qt::TextAlignmentRole && m_alignments.contains(section))
        return QVariant::fromValue(m_alignments.value(section));
    return {};
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_allowUpdate && m_recordSet && !m_recordSet->isReadOnly() &&
        !m_store->fields()[size_t(index.column())].baseTable.isEmpty())
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& newValue, int role) {
    if (role != Qt::EditRole || !index.isValid() || !m_recordSet || !m_store)
        return false;
    const int row = index.row();
    const int column = index.column();
    QVariant v = newValue;
    if (m_before && !m_before(row, column, value(row, column), v))
        return false;
    RecordSet& rs = *m_recordSet;
    const bool moved = rs.absolutePosition() == row + 1 || rs.setAbsolutePosition(row + 1);
    if (!moved || !rs.setValue(column, v) || !rs.update()) {
        const DbError error = rs.lastError();
        rs.cancelUpdate();
        emit writeFailed(error);
        return false;
    }
    if (m_after)
        m_after(row, column);
    return true;
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

int RecordSetModel::rowOfBookmark(int bookmark) const {
    return m_store ? m_store->positionOf(bookmark) : -1;
}
