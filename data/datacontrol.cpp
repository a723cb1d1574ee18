#include "data/datacontrol.h"

#include "data/connection.h"

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setConnectionString(const QString& connectionString) {
    m_connectionString = connectionString;
}

void DataControl::setRecordSource(const QString& source, const QVariantList& values) {
    m_source = source;
    m_values = values;
}

bool DataControl::ensureConnection() {
    if (m_connection && m_connection->isOpen() &&
        m_connection->connectionString() == m_connectionString)
        return true;
    if (Connection* shared = Connection::sharedFor(m_connectionString)) {
        m_connection = shared;
        m_keep = shared->weak_from_this().lock(); // empty for one the program owns
        return true;
    }
    // No connection to the file is open: this control opens one and shares it with the
    // controls that follow.
    auto opened = std::make_shared<Connection>();
    opened->setShared(true);
    opened->setConnectionString(m_connectionString);
    if (!opened->open()) {
        m_lastError = opened->lastError();
        return false;
    }
    m_keep = opened;
    m_connection = opened.get();
    return true;
}

bool DataControl::refresh() {
    m_lastError = {};
    auto* fresh = new RecordSet(this);
    fresh->setLockType(m_readOnly ? RecordSet::LockReadOnly : RecordSet::LockOptimistic);
    fresh->setExpectedRows(m_expectedRows);
    bool ok = ensureConnection();
    if (ok) {
        ok = fresh->open(*m_connection, m_source, m_values);
        if (!ok)
            m_lastError = fresh->lastError();
    }
    setRecordSet(fresh);
    if (ok)
        emit moveComplete(RecordSet::ReasonMove, fresh); // the set opened on its first row
    return ok;
}

void DataControl::setRecordSet(RecordSet* recordSet) {
    if (recordSet == m_recordSet)
        return;
    RecordSet* old = m_recordSet;
    if (old) {
        disconnect(old, nullptr, this, nullptr);
        if (old->parent() == this)
            old->deleteLater();
    }
    m_recordSet = recordSet;
    if (recordSet) {
        if (!recordSet->parent())
            recordSet->setParent(this);
        connect(
            recordSet, &RecordSet::moveComplete, this,
            [this, recordSet](RecordSet::Reason reason) { emit moveComplete(reason, recordSet); });
        connect(recordSet, &RecordSet::willChangeRecord, this,
                [this, recordSet](RecordSet::Reason reason, int count, bool* cancel) {
                    emit willChangeRecord(reason, count, cancel, recordSet);
                });
        connect(recordSet, &RecordSet::recordChangeComplete, this,
                [this, recordSet](RecordSet::Reason reason, int count, const DbError& error) {
                    emit recordChangeComplete(reason, count, error, recordSet);
                });
        connect(recordSet, &RecordSet::reset, this,
                [this, recordSet] { emit recordSetChanged(recordSet); });
    }
    emit recordSetChanged(recordSet);
}
