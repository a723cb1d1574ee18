#pragma once

#include "data/connection.h"

#include <QVariant>
#include <QVariantList>
#include <memory>

// A query for tests that read what the program wrote: prepare, bind in order, exec, then next()
// through the rows.
class TestQuery {
public:
    explicit TestQuery(Database& database) : m_database(database) {}

    bool prepare(const QString& sql) {
        m_values.clear();
        m_statement = std::make_unique<Statement>(m_database, sql);
        return m_statement->isValid();
    }
    void addBindValue(const QVariant& value) { m_values << value; }
    bool exec(const QString& sql) { return prepare(sql) && exec(); }
    // Runs the statement up to its first row, if it has one.
    bool exec() {
        if (!m_statement || !m_statement->bindAll(m_values))
            return false;
        m_pending = m_statement->next();
        return !m_statement->failed();
    }
    bool next() {
        if (!m_statement)
            return false;
        if (m_pending) {
            m_pending = false;
            return true;
        }
        return m_statement->next();
    }
    QVariant value(int column) const { return m_statement->value(column); }
    int columnCount() const { return m_statement ? m_statement->columnCount() : 0; }

private:
    Database& m_database;
    std::unique_ptr<Statement> m_statement;
    QVariantList m_values;
    bool m_pending = false;
};
