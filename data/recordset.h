#pragma once

#include "data/dberror.h"
#include "data/recordstore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <memory>

#include "data/connection.h"

// A client-side record set: every row of a query read into memory, a current row, pending
// edits of the current row, and writes that go back to the base tables by key with bound
// values. Clones share the rows (and so each other's bookmarks) but keep their own position.
class RecordSet : public QObject {
    Q_OBJECT
public:
    enum EditMode { EditNone = 0, EditInProgress = 1, EditAdd = 2 };
    // Why a record changes or the position moves; the numbers are the customary ones.
    enum Reason {
        ReasonAddNew = 1,
        ReasonDelete = 2,
        ReasonUpdate = 3,
        ReasonUndoUpdate = 4,
        ReasonUndoAddNew = 5,
        ReasonRequery = 7,
        ReasonClose = 9,
        ReasonMove = 10,
        ReasonFirstChange = 11,
        ReasonMoveFirst = 12,
        ReasonMoveNext = 13,
        ReasonMovePrevious = 14,
        ReasonMoveLast = 15,
    };
    enum LockType { LockReadOnly = 1, LockPessimistic = 2, LockOptimistic = 3 };
    using Bookmark = int;

    explicit RecordSet(QObject* parent = nullptr);
    ~RecordSet() override;

    // Runs the query (values bound in order) and reads all its rows. False on failure, with
    // lastError() and the connection's errors filled; the set is then closed.
    bool open(Connection& connection, const QString& source, const QVariantList& values = {});
    bool requery();
    // How many rows the next open() should expect (0: no idea). The store is sized for them
    // before the first row is read, so a large list never grows, and never holds the copies
    // growing leaves behind. A wrong guess costs nothing but the room.
    void setExpectedRows(int rows) { m_expectedRows = rows; }
    void close();
    int state() const { return m_store ? 1 : 0; }
    bool isOpen() const { return bool(m_store); }
    QString source() const { return m_source; }
    Connection* activeConnection() const { return m_connection; }

    void setLockType(LockType lock) { m_lockType = lock; }
    LockType lockType() const { return m_lockType; }
    bool isReadOnly() const { return m_lockType == LockReadOnly; }

    // Position.
    bool isBOF() const;
    bool isEOF() const;
    int recordCount() const { return m_store ? m_store->rowCount() : 0; }
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    // Moves by n rows; move(0) writes the pending changes of the current row and re-reads it.
    bool move(int n);
    // The 1-based position of the current row, or -1 at BOF or EOF or on a new row.
    int absolutePosition() const;
    bool setAbsolutePosition(int position);
    Bookmark bookmark() const;
    bool setBookmark(Bookmark bookmark);

    // Searches for criteria such as "MaterialsID=12", "Company='Acme'" or "Price >= 10",
    // starting skip rows from the current one (from the first row when at BOF). Lands on the
    // match, or on EOF (forward) or BOF (backward) when there is none.
    bool find(const QString& criteria, int skip = 0, bool forward = true);

    // Editing.
    EditMode editMode() const { return m_editMode; }
    bool addNew();
    bool update();
    bool cancelUpdate();
    bool deleteCurrent();
    // Reads the current row again from its tables, keeping what was typed into it: after a write
    // refused because someone else changed the row (kRecordChanged), the next write then stores
    // what was typed over their change. Announced as a completed update, so that views and
    // names derived from the row follow. False with kRecordDeleted when the row is gone.
    bool refreshCurrent();
    // What a write refused so says: someone else changed (kRecordChanged) or deleted
    // (kRecordDeleted) the row since it was read. The screens add what the user can do.
    static QString conflictText(qint64 number);

    // Fields.
    int fieldCount() const { return m_store ? m_store->fieldCount() : 0; }
    int fieldIndex(const QString& name) const { return m_store ? m_store->fieldIndex(name) : -1; }
    const FieldInfo& field(int index) const { return m_store->fields()[size_t(index)]; }
    QVariant value(int field) const;
    QVariant value(const QString& name) const;
    bool setValue(int field, const QVariant& value);
    bool setValue(const QString& name, const QVariant& value);
    bool hasPendingChanges() const { return !m_pending.isEmpty(); }
    // Replaces the value held for the current row without writing it anywhere: for a value the
    // database derives, such as a name looked up through a join, once the row has been saved.
    // Views of the set show the new value. False when there is no current stored row or the
    // value does not suit the field.
    bool setDerivedValue(int field, const QVariant& value);
    // Whether a field's value can be written back to its table.
    bool isUpdatable(int field) const;

    // A second cursor over the same rows, positioned on the same row.
    std::unique_ptr<RecordSet> clone() const;

    RecordStore* store() const { return m_store.get(); }
    const DbError& lastError() const { return m_lastError; }

signals:
    // Before a record is written, added, deleted or reverted; set *cancel to refuse it.
    void willChangeRecord(RecordSet::Reason reason, int recordCount, bool* cancel);
    void recordChangeComplete(RecordSet::Reason reason, int recordCount, const DbError& error);
    void moveComplete(RecordSet::Reason reason);
    // The set was reopened or closed: bound views rebuild.
    void reset();

private:
    struct Cursor {
        int position = -1;    // -1: BOF
        int row = -1;         // storage index of the current row, -1 when none
        bool deleted = false; // the current row was deleted and no move happened since
        quint64 generation = 0;
    };

    bool fail(qint64 number, const QString& text);
    bool fail(const DbError& error);
    bool failNoCurrent();
    void sync() const;
    bool hasCurrent() const;
    bool commitPendingBeforeMove();
    // False (lastError() set) when the row leaves a required column of its table empty.
    bool checkRequiredValues();
    bool moveTo(int position, Reason reason);
    bool writeExisting();
    bool writeNew(int* newRow);
    int keyFieldFor(const QString& table) const;
    // The fields read from a table's columns.
    QList<int> fieldsOf(const QString& table) const;
    // Reads the stored values of those fields for the current row, each into a one-row column of
    // its field's kind; *found is false when the row is gone. False (lastError() set) on failure.
    bool readStored(const QString& table, const QList<int>& fields, std::vector<ColumnData>* stored,
                    bool* found);
    // Refuses a write or delete (lastError() set) when the current row's stored values of table
    // are no longer those the set read; gone is set, and true returned, when the row is gone.
    bool checkUnchanged(const QString& table, bool* gone);
    // Takes the stored values of table's columns for the current row into the rows.
    bool takeStored(const QString& table);
    QString insertTable() const;
    QVariant toSql(const FieldInfo& f, const QVariant& v) const;
    void adopt(std::shared_ptr<RecordStore> store);

    QPointer<Connection> m_connection;
    QString m_source;
    QVariantList m_values;
    std::shared_ptr<RecordStore> m_store;
    mutable Cursor m_cursor;
    EditMode m_editMode = EditNone;
    QHash<int, QVariant> m_pending;
    LockType m_lockType = LockOptimistic;
    int m_expectedRows = 0;
    DbError m_lastError;
};
