#include "data/connection.h"

#include "data/backup.h"
#include "data/filechecks.h"
#include "data/fileusers.h"
#include "data/schema.h"
#include "data/sqldialect.h"
#include "data/textcut.h"

#include <QFileInfo>
#include <QPointer>

namespace {
const QString kSource = QStringLiteral("data source");
const QString kPassword = QStringLiteral("database password");

// The open shared connections, by file and password.
QHash<QString, QPointer<Connection>>& sharedConnections() {
    static QHash<QString, QPointer<Connection>> connections;
    return connections;
}

QString shareKey(const QHash<QString, QString>& parts) {
    const QString path = parts.value(kSource);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return (canonical.isEmpty() ? path : canonical) + QLatin1Char('\n') + parts.value(kPassword);
}
} // namespace

Connection::Connection(QObject* parent) : QObject(parent) {}

Connection::~Connection() {
    close();
}

Connection* Connection::sharedFor(const QString& connectionString) {
    const QString key = shareKey(parseConnectionString(connectionString));
    Connection* c = sharedConnections().value(key);
    return c && c->isOpen() ? c : nullptr;
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

QString Connection::inUseText(const QString& path) {
    return QStringLiteral("The file '%1' is in use by another program. Close it there, or wait a "
                          "moment, and try again.")
        .arg(elidedPath(path));
}

bool Connection::fail(qint64 number, const QString& description) {
    reportError({number, description});
    close();
    return false;
}

DbError Connection::reportError(const DbError& error) {
    m_lastError = error;
    m_errors = {
        ProviderError{error.nativeError ? error.nativeError : error.number, error.description}};
    return error;
}

bool Connection::bringUpToDate() {
    if (!Schema::needsUpgrade(m_database))
        return true;
    // A copy of the file as it was comes first, so an upgrade can always be undone by a restore.
    QString backupError;
    if (!m_database.isReadOnly() && makeDatedBackup(m_database, m_path, &backupError) &&
        Schema::upgrade(m_database))
        return true;
    // Not upgraded (read-only, in use, or no copy could be made): the file is used as it is only
    // when its views are the program's own, with today's totals in front of them.
    if (const QStringList altered = Schema::objectsNotAsMade(m_database); !altered.isEmpty())
        return fail(
            ErrorNumber::kGenericFailure,
            QStringLiteral("The file '%1' was made by an earlier version of Plenwick and "
                           "could not be brought up to date%2, and it holds things this "
                           "program did not put there (%3), so it was not opened. Open a "
                           "backup of the file.")
                .arg(m_path,
                     backupError.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(backupError),
                     altered.join(QStringLiteral(", "))));
    if (!Schema::useCurrentViews(m_database))
        return fail(ErrorNumber::kGenericFailure, m_database.error().description);
    return true;
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
    if (SqlDialect::isServerAddress(m_path))
        return openServer(parts);
    const QFileInfo info(m_path);
    if (!info.exists() || !info.isFile())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Could not find file '%1'.").arg(elidedPath(m_path)));

    if (!m_database.open(m_path))
        return fail(ErrorNumber::kGenericFailure, m_database.error().description);
    m_open = true;

    // Refuse anything that is not an SQLite database before trusting a byte of it; a file
    // another program holds locked is not a bad file, and is named as what it is.
    if (Statement probe(m_database, QStringLiteral("PRAGMA schema_version")); !probe.execute()) {
        if (probe.error().nativeError == ErrorNumber::kFileInUse)
            return fail(ErrorNumber::kGenericFailure, inUseText(m_path));
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Unrecognized database format '%1'.").arg(elidedPath(m_path)));
    }
    // The program's own file as it left it at its last close was sound then and has not changed.
    // Any other is checked: here, or in the background while the window opens.
    const bool checkDue = !(m_dailyBackups && isAsLeftSound(m_path));
    bool checkLater = checkDue && m_dailyBackups && m_backgroundChecks;
    if (checkDue && !checkLater && !checkStructure())
        return false;
    m_database.execute(QStringLiteral("PRAGMA trusted_schema = OFF; PRAGMA foreign_keys = ON"));

    // The structure read while another program holds the file locked is no structure at all:
    // its objects would be judged against the wrong list.
    if (Statement version(m_database, QStringLiteral("PRAGMA user_version"));
        !version.next() && version.error().nativeError == ErrorNumber::kFileInUse)
        return fail(ErrorNumber::kGenericFailure, inUseText(m_path));
    // A trigger or view a stranger added would run on the next save or list: such a file is
    // not used at all, before a single table of it is read.
    if (const QStringList strangers = Schema::foreignObjects(m_database); !strangers.isEmpty())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The file '%1' holds things this program did not put there "
                                   "(%2), so it was not opened: they could change your data "
                                   "unseen. Open a backup of the file, or remove them with a "
                                   "database tool you trust.")
                        .arg(elidedPath(m_path), strangers.join(QStringLiteral(", "))));

    // A structure this version does not know cannot be checked, nor safely written.
    if (Schema::fileStructure(m_database) > Schema::kStructureVersion &&
        Schema::isProgramFile(m_database))
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The file '%1' was made by a newer version of Plenwick, so it "
                                   "was not opened. Open it with the newer version.")
                        .arg(elidedPath(m_path)));

    QString salt;
    QString verifier;
    {
        Statement q(m_database, QStringLiteral("SELECT Name, Value FROM DatabaseInfo WHERE Name IN "
                                               "('PasswordSalt', 'PasswordVerifier')"));
        // An empty file or another program's database has no DatabaseInfo: no password could
        // open it, so the reason given is what the file is.
        if (!q.isValid())
            return fail(ErrorNumber::kInvalidPassword,
                        q.error().description.startsWith(QLatin1String("no such table"))
                            ? QStringLiteral("The file '%1' is not a Plenwick database.")
                                  .arg(elidedPath(m_path))
                            : q.error().description);
        while (q.next()) {
            if (q.value(0).toString() == QLatin1String("PasswordSalt"))
                salt = q.value(1).toString();
            else
                verifier = q.value(1).toString();
        }
        // A read another program's lock stopped says nothing of the password.
        if (q.failed() && q.error().nativeError == ErrorNumber::kFileInUse)
            return fail(ErrorNumber::kGenericFailure, inUseText(m_path));
    }
    if (verifier.isEmpty() || Schema::passwordVerifier(salt, parts.value(kPassword)) != verifier)
        return fail(ErrorNumber::kInvalidPassword, QStringLiteral("Not a valid password."));
    // An upgrade or a missing index is written at once: never into a file not known sound.
    if (checkLater && (Schema::needsUpgrade(m_database) || Schema::missesIndexes(m_database))) {
        if (!checkStructure())
            return false;
        checkLater = false;
    }
    if (!bringUpToDate())
        return false;
    Schema::addMissingIndexes(m_database);
    shareIfAsked(parts);
    m_columnCache.clear();
    m_sound = true;
    if (m_dailyBackups) {
        m_users = std::make_unique<FileUsers>(m_path);
        if (m_users->othersPresent())
            emit openElsewhere(m_path);
        if (m_database.isReadOnly())
            emit openedReadOnly(m_path);
        m_checks = std::make_unique<FileChecks>(m_path, checkLater);
        m_checks->setOnSettled([this] {
            QMetaObject::invokeMethod(this, &Connection::reportDamageFound, Qt::QueuedConnection);
        });
        m_database.setBeforeWrite([this](Database& database) -> DbError {
            // A file that can only be read takes no write, so there is nothing to guard.
            if (database.isReadOnly())
                return {};
            bool copyFailed = false;
            const DbError refusal = m_checks->beforeWrite(database, &copyFailed);
            if (copyFailed)
                emit dailyBackupFailed(m_checks->copyError());
            if (refusal.nativeError == ErrorNumber::kDamagedFile)
                QMetaObject::invokeMethod(this, &Connection::reportDamageFound,
                                          Qt::QueuedConnection);
            return refusal;
        });
        if (m_startChecks)
            m_checks->start(!m_database.isReadOnly());
    }
    return true;
}

void Connection::shareIfAsked(const QHash<QString, QString>& parts) {
    if (!m_shared)
        return;
    m_key = shareKey(parts);
    QPointer<Connection>& slot = sharedConnections()[m_key];
    if (!slot || !slot->isOpen())
        slot = this;
}

bool Connection::openServer(const QHash<QString, QString>& parts) {
    // The server checks who may connect (its own users and passwords) and keeps its storage
    // whole and its own backups: no verifier, no structure check, no daily copy here.
    const QString shown = SqlDialect::shownAddress(m_path);
    if (!m_database.open(m_path))
        return fail(ErrorNumber::kGenericFailure, m_database.error().description);
    m_open = true;
    if (!Schema::isProgramFile(m_database))
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The database at %1 holds no Plenwick data. Make the "
                                   "program's tables in it first: Tools > Preferences, Database, "
                                   "Create, or plenwick --create-database %1.")
                        .arg(shown));
    if (Schema::fileStructure(m_database) > Schema::kStructureVersion)
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The database at %1 was made by a newer version of Plenwick, "
                                   "so it was not opened. Open it with the newer version.")
                        .arg(shown));
    if (Schema::needsUpgrade(m_database) && !Schema::upgrade(m_database))
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The database at %1 was made by an earlier version of "
                                   "Plenwick and could not be brought up to date: %2")
                        .arg(shown, m_database.error().description));
    Schema::addMissingIndexes(m_database);
    shareIfAsked(parts);
    m_columnCache.clear();
    return true;
}

bool Connection::checkStructure() {
    // A check another program's lock kept from its end found nothing: the file is in use, not
    // damaged.
    DbError unfinished;
    const QString damage = m_database.damage(&unfinished);
    if (unfinished.nativeError == ErrorNumber::kFileInUse)
        return fail(ErrorNumber::kGenericFailure, inUseText(m_path));
    if (!damage.isEmpty()) {
        reportError(damagedFileError(m_path, damage));
        close();
        return false;
    }
    return true;
}

void Connection::reportDamageFound() {
    if (const QString damage = m_checks ? m_checks->takeDamage() : QString(); !damage.isEmpty())
        emit damageFound(damagedFileError(m_path, damage).description);
}

void Connection::startBackgroundChecks() {
    m_startChecks = true;
    if (m_checks)
        m_checks->start(!m_database.isReadOnly());
}

bool Connection::isCheckingInBackground() const {
    return m_checks && m_checks->isChecking();
}

bool Connection::hasBackgroundWork() const {
    return m_checks && m_checks->isBusy();
}

QString Connection::dailyBackupError() const {
    return m_checks ? m_checks->copyError() : QString();
}

void Connection::close() {
    if (!m_key.isEmpty()) {
        auto& connections = sharedConnections();
        if (connections.value(m_key) == this)
            connections.remove(m_key);
        m_key.clear();
    }
    m_database.setBeforeWrite({});
    // A check stopped half way proves nothing: the file is checked again at the next open.
    if (m_checks)
        m_checks->stop();
    const bool sound = m_sound && (!m_checks || m_checks->isKnownSound());
    m_checks.reset();
    m_database.close();
    m_users.reset();
    m_open = false;
    if (sound && m_dailyBackups)
        rememberSoundFile(m_path);
    m_sound = false;
}

bool Connection::execute(const QString& sql, const QVariantList& values, int* rowsAffected) {
    if (!m_open) {
        reportError({ErrorNumber::kOperationNotAllowed,
                     QStringLiteral("Operation is not allowed when the object is closed.")});
        return false;
    }
    Statement q(m_database, sql);
    if (!q.bindAll(values) || !q.execute()) {
        reportError(q.error());
        return false;
    }
    if (rowsAffected)
        *rowsAffected = m_database.changes();
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
    if (m_database.isServer()) {
        // From the catalogue the connection read once: asked while a statement hands out rows
        // (a record set asks for its key after its first row), it runs nothing.
        for (const Database::ColumnDeclaration& c : m_database.serverColumns(table))
            out.append({c.name, c.declaredType, c.primaryKey});
    } else {
        // pragma_table_info lists a view's columns too; the name is bound, never pasted into the
        // SQL.
        Statement q(m_database, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
        q.bind(0, table);
        while (q.next())
            out.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt() > 0});
    }
    if (!out.isEmpty())
        m_columnCache.insert(key, out);
    return out;
}

QStringList Connection::othersConnected() {
    if (!m_open || !m_database.isServer())
        return {};
    // Each copy of the program names its connections after the user who runs it; another
    // computer's user is told apart by the address it connects from.
    Statement q(
        m_database,
        QStringLiteral("SELECT a.application_name, COALESCE(HOST(a.client_addr), ''), "
                       "TO_CHAR(MIN(a.backend_start), 'HH24:MI') FROM pg_stat_activity a, "
                       "pg_stat_activity me WHERE me.pid = pg_backend_pid() AND a.datname = "
                       "current_database() AND a.application_name LIKE 'Plenwick (%' AND NOT "
                       "(a.application_name = me.application_name AND a.client_addr IS NOT "
                       "DISTINCT FROM me.client_addr) GROUP BY 1, 2 ORDER BY 3, 1"));
    QStringList others;
    while (q.next()) {
        QString who = q.value(0).toString().mid(10);
        who.chop(1);
        const QString where = q.value(1).toString();
        others << QStringLiteral("%1%2 (since %3)")
                      .arg(who.isEmpty() ? QStringLiteral("someone") : who,
                           where.isEmpty() ? QString() : QStringLiteral(" at ") + where,
                           q.value(2).toString());
    }
    return others;
}

bool Connection::hasTable(const QString& table) {
    return !columns(table).isEmpty();
}

QString Connection::columnDescription(const QString& table, const QString& column) {
    if (!m_open)
        return {};
    Statement q(m_database, QStringLiteral("SELECT Description FROM ColumnDescriptions "
                                           "WHERE TableName = ? COLLATE NOCASE AND ColumnName = ? "
                                           "COLLATE NOCASE"));
    if (q.bindAll({table, column}) && q.next())
        return q.value(0).toString();
    return {};
}
