#include "data/connection.h"

#include "data/schema.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {
const QString kSource = QStringLiteral("data source");
const QString kPassword = QStringLiteral("database password");

// SQLite's extended result codes for refused writes.
constexpr int kConstraintForeignKey = 787;
constexpr int kConstraintPrimary = 1555;
constexpr int kConstraintNotNull = 1299;
constexpr int kConstraintUnique = 2067;
constexpr int kConstraintCheck = 275;
constexpr int kConstraint = 19;
} // namespace

DbError mapSqliteError(int code, const QString& message) {
    if (code == kConstraintForeignKey || message.contains(QLatin1String("FOREIGN KEY")))
        return {ErrorNumber::kReferencedRow, message};
    if (code == kConstraintNotNull || code == kConstraintUnique || code == kConstraintCheck ||
        code == kConstraintPrimary || code == kConstraint ||
        message.contains(QLatin1String("constraint failed")))
        return {ErrorNumber::kGenericFailure, message};
    return {ErrorNumber::kGenericFailure,
            message.isEmpty() ? QStringLiteral("Unspecified error") : message};
}

DbError mapSqlError(const QSqlError& error) {
    const QString message = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return mapSqliteError(error.nativeErrorCode().toInt(), message);
}

Connection::Connection(QObject* parent)
    : QObject(parent), m_connectionName(QStringLiteral("plenwick-") +
                                        QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

Connection::~Connection() {
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Connection::setConnectionString(const QString& connectionString) {
    m_connectionString = connectionString;
}

QHash<QString, QString> Connection::parseConnectionString(const QString& text) {
    QHash<QString, QString> out;
    int i = 0;
    const int n = int(text.size());
    while (i < n) {
        const int eq = int(text.indexOf(QLatin1Char('='), i));
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).trimmed().toLower();
        QString value;
        int j = eq + 1;
        if (j < n && text.at(j) == QLatin1Char('"')) {
            // A quoted value may hold semicolons; "" stands for one quote.
            ++j;
            while (j < n) {
                if (text.at(j) == QLatin1Char('"')) {
                    if (j + 1 < n && text.at(j + 1) == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text.at(j++);
            }
            const int semi = int(text.indexOf(QLatin1Char(';'), j));
            i = semi < 0 ? n : semi + 1;
        } else {
            const int semi = int(text.indexOf(QLatin1Char(';'), j));
            const int end = semi < 0 ? n : semi;
            value = text.mid(j, end - j).trimmed();
            i = end + 1;
        }
        if (!key.isEmpty())
            out.insert(key, value);
    }
    return out;
}

QString Connection::buildConnectionString(const QString& path, const QString& password) {
    auto quoted = [](const QString& v) {
        if (!v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('"')) && v.trimmed() == v)
            return v;
        QString q = v;
        q.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + q + QLatin1Char('"');
    };
    return QStringLiteral("Provider=Plenwick.SQLite;Data Source=") + quoted(path) +
           QStringLiteral(";Database Password=") + quoted(password) +
           QStringLiteral(";Persist Security Info=False");
}

bool Connection::fail(qint64 number, const QString& description) {
    reportError({number, description});
    close();
    return false;
}

void Connection::reportError(const DbError& error) {
    m_lastError = error;
    m_errors = {ProviderError{error.number, error.description}};
}

DbError Connection::reportSqlError(const QSqlError& error) {
    const DbError mapped = mapSqlError(error);
    reportError(mapped);
    return mapped;
}

bool Connection::open() {
    close();
    m_errors.clear();
    m_lastError = {};
    const auto parts = parseConnectionString(m_connectionString);
    m_path = parts.value(kSource);
    if (m_path.isEmpty())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The connection string names no database file."));
    const QFileInfo info(m_path);
    if (!info.exists() || !info.isFile())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Could not find file '%1'.").arg(m_path));

    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return fail(ErrorNumber::kGenericFailure, db.lastError().text());
    m_open = true;

    QSqlQuery q(db);
    // Refuse anything that is not an SQLite database before trusting a byte of it.
    if (!q.exec(QStringLiteral("PRAGMA schema_version")))
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Unrecognized database format '%1'.").arg(m_path));
    q.exec(QStringLiteral("PRAGMA trusted_schema = OFF"));
    q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));

    QString salt;
    QString verifier;
    if (q.exec(QStringLiteral("SELECT Name, Value FROM DatabaseInfo WHERE Name IN "
                              "('PasswordSalt', 'PasswordVerifier')"))) {
        while (q.next()) {
            if (q.value(0).toString() == QLatin1String("PasswordSalt"))
                salt = q.value(1).toString();
            else
                verifier = q.value(1).toString();
        }
    }
    q.finish();
    if (verifier.isEmpty() || Schema::passwordVerifier(salt, parts.value(kPassword)) != verifier)
        return fail(ErrorNumber::kInvalidPassword, QStringLiteral("Not a valid password."));
    m_columnCache.clear();
    return true;
}

void Connection::close() {
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    m_open = false;
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(m_connectionName, false);
}

bool Connection::execute(const QString& sql, const QVariantList& values, int* rowsAffected) {
    if (!m_open) {
        reportError({ErrorNumber::kOperationNotAllowed,
                     QStringLiteral("Operation is not allowed when the object is closed.")});
        return false;
    }
    QSqlQuery q(database());
    if (!q.prepare(sql)) {
        reportSqlError(q.lastError());
        return false;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        reportSqlError(q.lastError());
        return false;
    }
    if (rowsAffected)
        *rowsAffected = q.numRowsAffected();
    m_errors.clear();
    m_lastError = {};
    return true;
}

QList<ColumnInfo> Connection::columns(const QString& table) {
    const QString key = table.toLower();
    if (auto it = m_columnCache.constFind(key); it != m_columnCache.constEnd())
        return *it;
    QList<ColumnInfo> out;
    if (!m_open)
        return out;
    QSqlQuery q(database());
    // pragma_table_info lists a view's columns too; the name is bound, never pasted into the SQL.
    q.prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
    q.addBindValue(table);
    if (q.exec())
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt() > 0});
    if (!out.isEmpty())
        m_columnCache.insert(key, out);
    return out;
}

bool Connection::hasTable(const QString& table) {
    return !columns(table).isEmpty();
}

QString Connection::columnDescription(const QString& table, const QString& column) {
    if (!m_open)
        return {};
    QSqlQuery q(database());
    q.prepare(QStringLiteral("SELECT Description FROM ColumnDescriptions "
                             "WHERE TableName = ? COLLATE NOCASE AND ColumnName = ? "
                             "COLLATE NOCASE"));
    q.addBindValue(table);
    q.addBindValue(column);
    if (q.exec() && q.next())
        return q.value(0).toString();
    return {};
}
