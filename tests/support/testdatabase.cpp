#include "support/testdatabase.h"

#include "data/money.h"
#include "data/schema.h"

#include <QFile>
#include <QUuid>
#include <cstdio>
#include <cstdlib>

namespace {
// The server the PG* variables name, in its default database.
const QString kServer = QStringLiteral("postgresql://");

bool serverRequested() {
    return qgetenv("PLENWICK_TEST_BACKEND") == "server";
}

// Before any test runs: a test program asked for a server that does not answer is skipped.
const bool kServerChecked = [] {
    if (!serverRequested())
        return true;
    Database probe;
    if (probe.open(kServer))
        return true;
    std::fprintf(stderr, "SKIP: no database server could be reached: %s\n",
                 qPrintable(probe.error().description));
    std::exit(TestBackend::kSkipped);
}();

// A new, empty schema of the test server, and the address of a database kept in it.
QString newSchema(QString* name);

void onServer(const QString& sql) {
    Database server;
    if (!server.open(kServer) || !server.execute(sql))
        qFatal("the test server refused %s: %s", qPrintable(sql),
               qPrintable(server.error().description));
}
QString newSchema(QString* name) {
    *name = QStringLiteral("t") + QUuid::createUuid().toString(QUuid::Id128);
    onServer(QStringLiteral("CREATE SCHEMA ") + *name);
    return kServer + QStringLiteral("?options=-csearch_path%3D") + *name;
}
} // namespace

bool TestBackend::onServer() {
    return kServerChecked && serverRequested();
}

bool openProgramFile(Connection& connection, const QString& path) {
    connection.setConnectionString(
        Connection::buildConnectionString(path, Schema::databasePassword()));
    return connection.open();
}

TestDatabase::TestDatabase() {
    registerMoneyMetaType();
    QString error;
    if (TestBackend::onServer()) {
        // A schema of its own for each test database: as empty as a new file, and quick.
        m_path = newSchema(&m_schema);
        if (!Schema::createOnServer(m_path, &error))
            qFatal("cannot create test database: %s", qPrintable(error));
    } else {
        m_path = m_dir.filePath(QStringLiteral("Estimating.mdb"));
        if (!Schema::createFile(m_path, &error))
            qFatal("cannot create test database: %s", qPrintable(error));
    }
    m_connection = std::make_unique<Connection>();
    if (!openProgramFile(*m_connection, m_path))
        qFatal("cannot open test database: %s", qPrintable(m_connection->lastError().text()));
}

TestDatabase::~TestDatabase() {
    m_connection.reset();
    for (const QString& schema : m_moreSchemas)
        ::onServer(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
    if (!m_schema.isEmpty())
        ::onServer(QStringLiteral("DROP SCHEMA ") + m_schema + QStringLiteral(" CASCADE"));
}

QString TestDatabase::freshPlace(const QString& fileName) {
    if (m_schema.isEmpty())
        return m_dir.filePath(fileName);
    QString schema;
    const QString address = newSchema(&schema);
    m_moreSchemas << schema;
    return address;
}

QString TestDatabase::connectionString() const {
    return Connection::buildConnectionString(m_path, Schema::databasePassword());
}

void TestDatabase::exec(const QString& sql, const QVariantList& values) {
    if (!m_connection->execute(sql, values))
        qFatal("statement refused: %s: %s", qPrintable(sql),
               qPrintable(m_connection->lastError().text()));
}

QVariant TestDatabase::scalar(const QString& sql, const QVariantList& values) {
    Statement q(m_connection->database(), sql);
    if (!q.bindAll(values) || !q.next())
        return {};
    return q.value(0);
}

void TestDatabase::refuse(const QString& name, const QString& kind, const QString& table,
                          const QString& message, const QString& when) {
    const QString quoted = QLatin1Char('\'') + message + QLatin1Char('\'');
    if (!TestBackend::onServer()) {
        exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 %4 BEGIN SELECT RAISE(ABORT, %5); "
                            "END")
                 .arg(name, kind, table, when.isEmpty() ? QString() : "WHEN " + when, quoted));
        return;
    }
    exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS "
                        "$body$ BEGIN RAISE EXCEPTION %2; END $body$")
             .arg(name, quoted));
    exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW %4 EXECUTE FUNCTION %1()")
             .arg(name, kind, table,
                  when.isEmpty() ? QString() : QStringLiteral("WHEN (%1)").arg(when)));
}

void TestDatabase::allowAgain(const QString& name, const QString& table) {
    if (!TestBackend::onServer()) {
        exec(QStringLiteral("DROP TRIGGER ") + name);
        return;
    }
    exec(QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table));
    exec(QStringLiteral("DROP FUNCTION %1()").arg(name));
}

void TestDatabase::checkReferences(bool on) {
    // A server checks references by triggers, which a session in the replica role skips.
    if (TestBackend::onServer())
        exec(on ? QStringLiteral("SET session_replication_role = DEFAULT")
                : QStringLiteral("SET session_replication_role = replica"));
    else
        exec(on ? QStringLiteral("PRAGMA foreign_keys = ON")
                : QStringLiteral("PRAGMA foreign_keys = OFF"));
}

void TestDatabase::addSmallLookups() {
    exec(QStringLiteral("INSERT INTO SuppliersTBL (SuppliersID, Company) VALUES "
                        "(1, 'Acme Supply'), (2, 'Bolt Brothers')"));
    exec(QStringLiteral("INSERT INTO ManufacturersTBL (ManufacturerID, ManufacturerName) VALUES "
                        "(1, 'Cascade'), (2, 'Delta')"));
    exec(QStringLiteral("INSERT INTO CatagoryTBL (CatagoryID, Catagory) VALUES "
                        "(1, 'Fittings'), (2, 'Valves')"));
}

QString TestDatabase::damage(const QString& how) {
    if (how == QLatin1String("missing"))
        return m_dir.filePath(QStringLiteral("nowhere.mdb"));
    if (how == QLatin1String("password")) {
        exec(QStringLiteral("UPDATE DatabaseInfo SET Value = ? WHERE Name = 'PasswordVerifier'"),
             {Schema::passwordVerifier(QStringLiteral("salt"), QStringLiteral("other"))});
    } else if (how == QLatin1String("noverifier")) {
        exec(QStringLiteral("DROP TABLE DatabaseInfo"));
    } else if (how == QLatin1String("garbage")) {
        const QString path = m_dir.filePath(QStringLiteral("notes.mdb"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(4096, 'x')) != 4096)
            qFatal("cannot write %s", qPrintable(path));
        return path;
    } else if (how == QLatin1String("empty") || how == QLatin1String("foreign")) {
        const QString path = m_dir.filePath(QStringLiteral("other.db"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        f.close();
        Database other;
        if (how == QLatin1String("foreign") &&
            (!other.open(path) || !other.execute(QStringLiteral(
                                      "CREATE TABLE Notes (Id INTEGER PRIMARY KEY, Body TEXT)"))))
            qFatal("cannot make %s", qPrintable(path));
        return path;
    } else if (how == QLatin1String("structure")) {
        exec(QStringLiteral("DROP TABLE CatagoryTBL"));
    } else if (how.startsWith(QLatin1String("corrupt"))) {
        // A valid header over a table whose first page is overwritten: the file opens as SQLite
        // and only a check of its structure (or a read of that table) finds the damage.
        const QString table = how.section(QLatin1Char(':'), 1);
        const qint64 page = scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        const qint64 root = scalar(QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE "
                                                  "name = ?"),
                                   {table.isEmpty() ? QStringLiteral("CatagoryTBL") : table})
                                .toLongLong();
        m_connection->close();
        QFile f(m_path);
        if (!f.open(QIODevice::ReadWrite) || !f.seek((root - 1) * page) ||
            f.write(QByteArray(int(page), 'x')) != page)
            qFatal("cannot damage %s", qPrintable(m_path));
    } else if (how == QLatin1String("locked")) {
        exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    return m_path;
}
