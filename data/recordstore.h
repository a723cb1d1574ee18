#pragma once

#include "data/columndata.h"
#include "data/rowmemory.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

// What a record set knows of one of its fields.
struct FieldInfo {
    QString name;
    int type = 0;         // a FieldType number
    QString declaredType; // as the schema declares it, when the field comes from a table column
    QString baseTable;    // the table the value comes from, empty for a computed value
    QString baseColumn;   // the column of baseTable
    bool keyOfBaseTable = false;
    int definedSize = 0; // declared size of a text column, else 0
};

// The rows of a record set and of all its clones. Rows keep their storage index for life (a
// bookmark is that index); the visible order lists the storage indexes of the rows not deleted.
class RecordStore : public QObject {
    Q_OBJECT
public:
    // expectedRows: how many rows loading will bring, when known (0 otherwise). A large set
    // keeps its rows in memory of its own (RowMemory).
    explicit RecordStore(std::vector<FieldInfo> fields, int expectedRows = 0);

    const std::vector<FieldInfo>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    int fieldIndex(const QString& name) const;

    int rowCount() const { return int(m_order.size()); }
    int storageRow(int position) const { return m_order[size_t(position)]; }
    // -1 when the row was deleted.
    int positionOf(int storageRow) const;
    quint64 generation() const { return m_generation; }

    ColumnData& column(int field) { return m_columns[size_t(field)]; }
    const ColumnData& column(int field) const { return m_columns[size_t(field)]; }
    QVariant value(int position, int field) const {
        return m_columns[size_t(field)].value(storageRow(position));
    }

    // Appends a row read from the database (no notification; used while loading): either
    // whole, or column by column followed by commitLoadedRow().
    void appendLoaded(const QVariantList& values);
    void commitLoadedRow();
    void reserve(int rows);
    // Appends a new row at the end of the order; returns its storage index.
    int appendRow(const QVariantList& values);
    void removeAt(int position);
    // Announces that the values of the row at position changed.
    void announceChanged(int position) { emit rowChanged(position); }

signals:
    void rowAppended(int position);
    void rowAboutToBeRemoved(int position);
    void rowRemoved(int position);
    void rowChanged(int position);

private:
    void rebuildPositions() const;

    std::vector<FieldInfo> m_fields;
    // Before the columns, which it outlives.
    std::unique_ptr<RowMemory> m_memory;
    std::vector<ColumnData> m_columns;
    std::pmr::vector<int> m_order;
    mutable std::vector<int> m_positions; // storage index -> position, rebuilt after deletes
    mutable bool m_positionsValid = true;
    int m_deletedCount = 0;
    quint64 m_generation = 0;
};
