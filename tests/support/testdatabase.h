#pragma once

#include "data/connection.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Opens a database file with the program's own password; false when the file is refused.
bool openProgramFile(Connection& connection, const QString& path);

// Where the tests' databases live: in files, or, with PLENWICK_TEST_BACKEND=server, each in a
// fresh schema of the PostgreSQL server the PG* variables name (as pg_virtualenv sets them). A
// test program asked for the server when none answers ends at once with exit status 77, which
// CTest reports as skipped, never as passed.
namespace TestBackend {
bool onServer();
constexpr int kSkipped = 77;
} // namespace TestBackend

// Skips the test on a server: for what only a file has (its bytes, its locks, its backups).
#define SKIP_ON_SERVER(why)                                                                        \
    do {                                                                                           \
        if (TestBackend::onServer())                                                               \
            QSKIP(why);                                                                            \
    } while (false)

// A fresh database in a temporary folder (or a fresh schema on the server), opened through the
// program's own connection.
class TestDatabase {
public:
    TestDatabase();
    ~TestDatabase();
    QString path() const { return m_path; }
    QString connectionString() const;
    Connection& connection() { return *m_connection; }
    bool isValid() const { return m_connection && m_connection->isOpen(); }
    // Runs statements with bound values; fails the test run loudly when one is refused.
    void exec(const QString& sql, const QVariantList& values = {});
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // Makes the table refuse the rows a statement of the kind ("INSERT", "UPDATE", "DELETE")
    // would change (those that meet the condition, when given, written with NEW and OLD) with
    // the message, as a rule of the database would, until allowAgain(): a trigger in either
    // engine's dialect.
    void refuse(const QString& name, const QString& kind, const QString& table,
                const QString& message, const QString& when = {});
    void allowAgain(const QString& name, const QString& table);
    // Turns the checks of references off for this connection's writes, as an older version
    // wrote without them, or on again.
    void checkReferences(bool on);
    // Two suppliers (1 Acme Supply, 2 Bolt Brothers), manufacturers (1 Cascade, 2 Delta) and
    // categories (1 Fittings, 2 Valves), for small hand-made catalogues.
    void addSmallLookups();
    QString dir() const { return m_dir.path(); }
    // Where another new database may be made (Schema::createFile, DemoData::generate): a file
    // of that name in the temporary folder, or on a server the address of another fresh, empty
    // schema, dropped with this one.
    QString freshPlace(const QString& fileName);
    // Spoils the database in one of the ways the program must refuse and returns the path to
    // open: "missing" (no file there), "password" (another password), "noverifier" (no
    // password record), "garbage" (not a database), "empty" (an empty file), "foreign" (another
    // program's database), "structure" (no categories table), "corrupt" (the categories
    // table's page overwritten; the connection is closed; "corrupt:<table>" another table's) or
    // "locked" (held locked by this connection until it ends).
    QString damage(const QString& how);

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_schema;          // on a server
    QStringList m_moreSchemas; // freshPlace()'s
    std::unique_ptr<Connection> m_connection;
};
