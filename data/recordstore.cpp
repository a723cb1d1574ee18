#include "data/recordstore.h"

namespace {
// What a row takes in its columns, text aside: a value of eight bytes or a text's place and
// length, and the order's entry.
size_t fixedBytesPerRow(size_t fields) {
    return fields * 8 + sizeof(int);
}
} // namespace

RecordStore::RecordStore(std::vector<FieldInfo> fields, int expectedRows)
    : m_fields(std::move(fields)),
      m_memory(RowMemory::suits(expectedRows)
                   ? std::make_unique<RowMemory>(size_t(expectedRows) *
                                                 fixedBytesPerRow(m_fields.size()))
                   : nullptr),
      m_order(m_memory ? static_cast<std::pmr::memory_resource*>(m_memory.get())
                       : std::pmr::get_default_resource()) {
    std::pmr::memory_resource* memory = m_order.get_allocator().resource();
    m_columns.reserve(m_fields.size());
    for (const auto& f : m_fields)
        m_columns.emplace_back(storageKindFor(f.type), memory);
}

int RecordStore::fieldIndex(const QString& name) const {
    QString wanted = name.trimmed();
    if (wanted.startsWith(QLatin1Char('[')) && wanted.endsWith(QLatin1Char(']')))
        wanted = wanted.mid(1, wanted.size() - 2);
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    // A qualified name ("MaterialsTBL.UnitCost") matches by base table and column.
    const int dot = int(wanted.indexOf(QLatin1Char('.')));
    if (dot > 0) {
        const QString table = wanted.left(dot);
        const QString col = wanted.mid(dot + 1);
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (m_fields[i].baseTable.compare(table, Qt::CaseInsensitive) == 0 &&
                m_fields[i].baseColumn.compare(col, Qt::CaseInsensitive) == 0)
                return int(i);
    }
    return -1;
}

void RecordStore::reserve(int rows) {
    m_order.reserve(size_t(rows));
    for (auto& c : m_columns)
        c.reserve(rows);
}

void RecordStore::appendLoaded(const QVariantList& values) {
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i].appendStored(i < size_t(values.size()) ? values.at(qsizetype(i)) : QVariant());
    commitLoadedRow();
}

void RecordStore::commitLoadedRow() {
    // Every row ever stored keeps its index: the rows in the order plus the deleted ones.
    const int row = int(m_order.size()) + m_deletedCount;
    m_order.push_back(row);
    if (m_deletedCount > 0 && m_positionsValid)
        m_positions.push_back(int(m_order.size()) - 1);
}

int RecordStore::appendRow(const QVariantList& values) {
    appendLoaded(values);
    ++m_generation;
    emit rowAppended(rowCount() - 1);
    return m_order.back();
}

void RecordStore::removeAt(int position) {
    emit rowAboutToBeRemoved(position);
    m_order.erase(m_order.begin() + position);
    ++m_deletedCount;
    m_positionsValid = false;
    ++m_generation;
    emit rowRemoved(position);
}

void RecordStore::rebuildPositions() const {
    const int stored = int(m_order.size()) + m_deletedCount;
    m_positions.assign(size_t(stored), -1);
    for (size_t p = 0; p < m_order.size(); ++p)
        m_positions[size_t(m_order[p])] = int(p);
    m_positionsValid = true;
}

int RecordStore::positionOf(int storageRow) const {
    if (storageRow < 0)
        return -1;
    // Until the first delete, rows sit at their own storage index.
    if (m_deletedCount == 0)
        return storageRow < int(m_order.size()) ? storageRow : -1;
    if (!m_positionsValid)
        rebuildPositions();
    return storageRow < int(m_positions.size()) ? m_positions[size_t(storageRow)] : -1;
}
