#pragma once

#include "data/database.h"
#include "data/dberror.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <deque>
#include <functional>
#include <vector>

struct pg_conn;
struct pg_result;
struct pg_cancel;

class ServerQuery;

// A connection to a database server, behind Database: statements in the file's dialect are
// rewritten for the server (see data/sqldialect.h), values travel as parameters, and rows come
// one at a time, so a large catalogue streams as it does from a file.
class ServerLink {
public:
    ServerLink() = default;
    ~ServerLink();
    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Connects to the address (a postgresql:// URI; user and password also by the client
    // library's own rules: PG* variables, ~/.pgpass). False with the reason in *error.
    bool open(const QString& address, DbError* error);
    QString address() const { return m_address; }

    // Runs statements that take no values; goOn (may be empty) is asked while the server works,
    // and false stops the work.
    bool execute(const QString& sql, const std::function<bool()>& goOn);
    DbError error() const { return m_error; }
    void setError(const DbError& error) { m_error = error; }
    qint64 lastInsertId() const { return m_lastInsertId; }
    int changes() const { return m_changes; }
    bool inTransaction();
    bool isWriting() { return inTransaction() && m_wrote; }
    void setLockTimeout(int milliseconds);
    void interrupt();
    // Whether the server has gone (its process ended, the network down): the next statement
    // connects again, unless a transaction guard is still open.
    bool isLost() const;
    // Transaction guards open on this connection. While one is, a lost connection stays lost:
    // the server rolled the transaction back, and the guard's other statements, run on a new
    // connection, would each commit alone.
    void guardOpened();
    void guardClosed() { --m_openGuards; }

    // What the server says of a column of a table (its number among the table's columns),
    // spelled as the program spells it; empty names for a computed value.
    struct Origin {
        QString table;
        QString column;
        QString declaredType;
    };
    Origin origin(unsigned tableOid, int column);
    // The columns of a table or view, from the catalogue (no statement runs).
    QList<Database::ColumnDeclaration> columns(const QString& table);
    // The key column the server numbers itself in a table, or an empty text.
    QString identityColumn(const QString& table);
    // The name as the program spells it (the server hands out names in lower case).
    QString spelling(const QByteArray& lower, const QHash<QByteArray, QString>& statementNames);

private:
    friend class ServerQuery;
    // Sends nothing until the statement that is still handing out rows has handed out all of
    // them into its own memory: one connection runs one statement at a time.
    void settle(ServerQuery* next);
    void released(ServerQuery* query);
    // Waits for the next result, asking the observer between slices; null at the end.
    pg_result* nextResult(const std::function<bool()>& goOn);
    bool reconnectIfLost();
    // The session's settings, on every new connection. False when the server refused them.
    bool setUpSession();
    void forgetCatalogue();
    void readCatalogue();
    DbError errorOf(pg_result* result) const;

    pg_conn* m_conn = nullptr;
    pg_cancel* m_cancel = nullptr;
    QString m_address;
    DbError m_error;
    qint64 m_lastInsertId = 0;
    int m_changes = 0;
    bool m_wrote = false;
    int m_openGuards = 0;
    int m_lockTimeoutMs = Database::kDefaultBusyTimeoutMs;
    ServerQuery* m_streaming = nullptr;
    QHash<quint64, Origin> m_origins;
    QHash<QString, QString> m_identities;                         // by lower-case table name
    QHash<QString, QList<Database::ColumnDeclaration>> m_columns; // by lower-case table name
    bool m_catalogueRead = false;
    QHash<QByteArray, QString> m_schemaNames;
};

// One statement on a server connection: see Statement.
class ServerQuery {
public:
    ServerQuery(ServerLink& link, const QString& sql);
    ~ServerQuery();
    ServerQuery(const ServerQuery&) = delete;
    ServerQuery& operator=(const ServerQuery&) = delete;

    int parameterCount() const { return m_marks; }
    bool bind(int index, const QVariant& value);
    bool next(const std::function<bool()>& goOn, DbError* error);
    void reset();
    bool writes() const { return m_writes; }
    bool isRunning() const { return m_state == State::Running; }

    int columnCount();
    QString columnName(int column);
    QString declaredType(int column);
    QString tableName(int column);
    QString originName(int column);
    Statement::Type type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QByteArrayView utf8(int column) const;
    QVariant value(int column) const;

private:
    friend class ServerLink;
    enum class State { Ready, Running, Done };
    // The rest of the rows into memory, so that the connection is free for another statement.
    void takeTheRest();
    bool send(DbError* error);
    // The values to send: in a read, a text where the server wants a number is given as the file
    // compares it (see send()).
    void valuesForServer(std::vector<const char*>* values, std::vector<unsigned>* types);
    // A result that describes the columns: the current row's, or the statement's description.
    pg_result* shape();
    ServerLink::Origin origin(int column);
    void clearRow();

    ServerLink& m_link;
    QByteArray m_text;
    QHash<QByteArray, QString> m_names;
    int m_marks = 0;
    bool m_writes = false;
    bool m_pragma = false; // a setting of the file's engine: nothing to do on a server
    bool m_definition = false;
    QString m_identity; // an INSERT's key numbered by the server, returned for lastInsertId()
    QString m_numberingFollows; // brings the numbering past a key the INSERT gave itself
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    std::vector<unsigned> m_types;
    std::vector<int> m_formats;
    std::vector<unsigned> m_serverTypes; // of the marks, as the server takes them; read once
    State m_state = State::Ready;
    pg_result* m_row = nullptr;
    pg_result* m_described = nullptr;
    std::deque<pg_result*> m_buffered;
};
