#pragma once

#include "data/recordset.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <memory>

class Connection;

// Holds one record source of a form: the connection to the file its connection string names
// (borrowed from the program's shared connection to that file, so every control on a file writes
// through one connection), the record set the source gives, and the notifications of that set, so
// that grids, combos and text boxes bound to it follow when it is refreshed or replaced.
class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    void setConnectionString(const QString& connectionString);
    QString connectionString() const { return m_connectionString; }
    // SQL text or a table or view name; values are bound to its ? marks in order.
    void setRecordSource(const QString& source, const QVariantList& values = {});
    QString recordSource() const { return m_source; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    // The rows the next refresh() should expect (see RecordSet::setExpectedRows).
    void setExpectedRows(int rows) { m_expectedRows = rows; }

    // Re-runs the record source into a new record set. False on failure (lastError() set);
    // the control then holds no open record set.
    bool refresh();
    RecordSet* recordSet() const { return m_recordSet; }
    // Makes another record set (a clone, or one built elsewhere) the live one; a set without a
    // parent becomes the control's.
    void setRecordSet(RecordSet* recordSet);
    Connection* connection() const { return m_connection; }
    const DbError& lastError() const { return m_lastError; }

signals:
    // The live record set was replaced or reopened: bound controls rebind.
    void recordSetChanged(RecordSet* recordSet);
    void moveComplete(RecordSet::Reason reason, RecordSet* recordSet);
    void willChangeRecord(RecordSet::Reason reason, int recordCount, bool* cancel,
                          RecordSet* recordSet);
    void recordChangeComplete(RecordSet::Reason reason, int recordCount, const DbError& error,
                              RecordSet* recordSet);

private:
    bool ensureConnection();

    QString m_connectionString;
    QString m_source;
    QVariantList m_values;
    bool m_readOnly = false;
    int m_expectedRows = 0;
    QPointer<Connection> m_connection;
    // Keeps a connection this control opened alive while any control borrows it.
    std::shared_ptr<Connection> m_keep;
    QPointer<RecordSet> m_recordSet;
    DbError m_lastError;
};
