#pragma once

#include "data/dberror.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;
class ServerLink;
class ServerQuery;

// The one way into the program's data: an open database, statements with bound values and a
// transaction guard. The data lives in an SQLite file or, for an office of several estimators, on
// a PostgreSQL server (a path "postgresql://..."); callers write their statements once, in the
// file's dialect, and see no difference. Errors come out as the program's numbers (DbError), so
// no caller deals with either engine's own codes.

// Told while a statement waits for a lock another connection holds, or works for a long time,
// and asked whether to go on: so that a window can stay alive and let the user stop it.
class WaitObserver {
public:
    // Lock: another connection holds the file; Work: a long statement; Check and Copy: a write
    // waits for the check of the file's structure or the day's copy, made in the background.
    enum class Kind { Lock, Work, Check, Copy };
    virtual ~WaitObserver() = default;
    // Asked every few milliseconds while a statement waits (Lock) or works (Work). False stops
    // it: a lock wait gives up as if its time were over, work ends with kOperationStopped.
    // Nothing may be run on the asking connection from inside (such a call is refused).
    virtual bool keepWaiting(Kind kind) = 0;
    // The call that keepWaiting() was asked about has returned, however it ended.
    virtual void waitEnded() = 0;
};

// Keeps a connection waiting and working while goOn() says so: for a connection on a worker
// thread that another thread stops.
class WhileObserver : public WaitObserver {
public:
    explicit WhileObserver(std::function<bool()> goOn) : m_goOn(std::move(goOn)) {}
    bool keepWaiting(Kind) override { return m_goOn(); }
    void waitEnded() override {}

private:
    std::function<bool()> m_goOn;
};

// An open database file. Owns its handle; closed on destruction.
class Database {
public:
    // ReadOnly: for work beside the program's own connection (a check, a copy), which never
    // writes the file.
    enum class OpenMode { ReadWrite, Create, ReadOnly };

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A file's path, or a server's address (see SqlDialect::isServerAddress()).
    bool open(const QString& path, OpenMode mode = OpenMode::ReadWrite);
    void close();
    bool isOpen() const { return m_handle != nullptr || m_server != nullptr; }
    // Whether the data is on a server rather than in a file.
    bool isServer() const { return m_server != nullptr; }
    // The path of the open file (a server's address), or an empty text.
    QString fileName() const;
    // How long a statement waits for another connection's lock before it gives up; 0 gives up
    // at once. Each open() starts again at the default.
    void setBusyTimeout(int milliseconds);
    static constexpr int kDefaultBusyTimeoutMs = 5000;
    // Installs the observer of long waits and work (not owned; null for none), kept across
    // open() and close(). Per connection rather than for the process, so the command-line modes
    // and the tests, which install none, keep SQLite's own plain wait with nothing in between.
    void setWaitObserver(WaitObserver* observer);
    // How many of the engine's steps a statement runs between two questions to the observer.
    static constexpr int kProgressSteps = 10000;

    // Runs one or more statements that take no values (schema text, pragmas).
    bool execute(const QString& sql);
    // The error of the last failed call on this database or one of its statements.
    DbError error() const;
    qint64 lastInsertId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    bool inTransaction() const;

    // What a server's catalogue says of a table's or view's columns, read once per connection,
    // so that asking runs no statement (one handing out rows goes on undisturbed); in the file's
    // terms (see SqlDialect::fileTypeOf). Empty on a file, and for an unknown table.
    struct ColumnDeclaration {
        QString name;
        QString declaredType;
        bool primaryKey = false;
    };
    QList<ColumnDeclaration> serverColumns(const QString& table);

    // Whether the file could be opened for reading only (the system refuses writing it).
    bool isReadOnly() const;
    // Whether this connection holds a write transaction: it has written and not yet committed.
    bool isWriting() const;
    // Copies the whole database, page by page, into another open database (SQLite's online
    // backup), replacing what it held. What this connection has written but not committed is
    // never copied: a copy is refused while isWriting(). False with *error filled on failure.
    bool copyTo(Database& destination, QString* error);
    // The same in steps of kCopyPagesPerStep pages, each under a lock of its own, so that other
    // connections are never kept from the file for long; goOn() is asked between steps and
    // false abandons the copy. Written by another connection meanwhile, the copy starts again
    // (after a few such starts it takes the rest in one step, so it ends). For a connection of
    // its own on a worker thread.
    bool copyInSteps(Database& destination, const std::function<bool()>& goOn, QString* error);
    static constexpr int kCopyPagesPerStep = 256;
    // Waits until done(sliceMs) says so, asking the observer (as about kind) between slices of
    // about kWaitSliceMs, so a window stays alive and the user may stop: false then. For a
    // write hook that must wait for work on another thread.
    bool waitFor(WaitObserver::Kind kind, const std::function<bool(int sliceMs)>& done);
    static constexpr int kWaitSliceMs = 20;
    // Runs each time a statement that writes is about to run its first step, before it changes
    // anything: for work that must come before the first write of a day (the daily backup). An
    // error returned refuses the statement with it, nothing written.
    using WriteHook = std::function<DbError(Database&)>;
    void setBeforeWrite(WriteHook hook) { m_beforeWrite = std::move(hook); }
    // Stops the statement running on this connection as soon as it can (kOperationStopped).
    // The one call that may come from another thread, while the connection is open and stays so.
    void interrupt();
    // Checks the file's structure (PRAGMA quick_check): an empty text when it is sound, else
    // what is damaged. With failure given, a check that could not run to its end (the file in
    // use, the work stopped) puts its error there rather than among the damage.
    QString damage(DbError* failure = nullptr);

private:
    friend class Statement;
    friend class Transaction;
    class EngineCall;
    static int onBusy(void* database, int count);
    static int onProgress(void* database);
    bool ask(WaitObserver::Kind kind);
    void applyWaitHandlers();
    // False, with the refusal as the error, while the observer is being asked.
    bool mayRun(DbError* error) const;

    // Asks the observer, if any, whether the server's work may go on.
    std::function<bool()> serverGoOn();

    sqlite3* m_handle = nullptr;
    std::unique_ptr<ServerLink> m_server;
    DbError m_openError;
    WriteHook m_beforeWrite;
    WaitObserver* m_observer = nullptr;
    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
    qint64 m_busySince = 0; // ms on a steady clock, from the wait's first call
    bool m_asked = false;   // the observer was asked during the current engine call
    bool m_asking = false;  // the observer is being asked just now
};

// How a value bound to a statement is stored, the same on either engine: whole numbers, reals,
// money as its amount, bytes, null, and everything else as text (dates as ISO text).
namespace BoundValue {
enum class Kind { Null, Whole, Real, Money, Bytes, Text };
Kind kindOf(const QVariant& value);
// The text a value of Kind::Text is stored as.
QString text(const QVariant& value);
} // namespace BoundValue

// A prepared statement. Values bind in order to its ? marks: money as its amount, dates as ISO
// text, null as NULL. next() steps to the following row; the column readers then read it.
class Statement {
public:
    // The storage class of a value in the current row.
    enum class Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };

    Statement(Database& database, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_statement != nullptr || m_query != nullptr; }
    int parameterCount() const;
    bool bind(int index, const QVariant& value); // index from 0
    // Resets the statement and binds every value; false when the count differs from the
    // statement's marks.
    bool bindAll(const QVariantList& values);
    // Steps to the next row: true on a row; false at the end or on an error (see failed()).
    bool next();
    // Runs the statement to its end. False on an error.
    bool execute();
    // Makes the statement ready to run again, keeping its bound values.
    void reset();
    bool failed() const { return m_failed; }
    DbError error() const;

    int columnCount() const;
    QString columnName(int column) const;
    // What the schema says of a result column: declared type, table and column it comes from
    // (all empty for a computed value).
    QString declaredType(int column) const;
    QString tableName(int column) const;
    QString originName(int column) const;

    Type type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    // The text of the column as UTF-8, valid until the next step.
    QByteArrayView utf8(int column) const;
    QVariant value(int column) const;

private:
    Database& m_database;
    sqlite3_stmt* m_statement = nullptr;
    std::unique_ptr<ServerQuery> m_query;
    bool m_failed = false;
    DbError m_error;
};

// Everything written between construction and commit() either stands together or not at all.
// A guard not committed rolls back when it goes out of scope. Guards nest: an inner one is a
// savepoint of the outer.
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit();
    void rollback();

private:
    Database& m_database;
    QString m_name;
    bool m_active = false;
    bool m_outermost = false; // on a server: the guard that began the transaction
    bool m_open = false;      // counted among the server connection's open guards
    void close();
};

// Maps the engine's answer for a refused statement to the number the screens key on.
DbError mapSqliteError(int extendedCode, const QString& message);
