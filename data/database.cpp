#include "data/database.h"

#include "data/columndata.h"
#include "data/money.h"
#include "data/serverlink.h"
#include "data/sqldialect.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <sqlite3.h>
#include <thread>

namespace {
// SQLite's extended result codes for refused writes.
constexpr int kConstraintForeignKey = 787;
constexpr int kConstraintNotNull = 1299;
constexpr int kConstraintPrimaryKey = 1555;
constexpr int kConstraintUnique = 2067;

// A lock wait sleeps this long between two questions to the observer: short enough that a
// stop is felt at once, long enough that the waiting itself costs nothing.
constexpr int kBusySliceMs = Database::kWaitSliceMs;
// A stepped copy that started again this often, the source being written meanwhile, takes the
// rest in one step.
constexpr int kCopyRestarts = 3;

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString textOf(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

int bindText(sqlite3_stmt* st, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// Binds one value the way the program stores it: money as its amount, dates as ISO text.
int bindVariant(sqlite3_stmt* st, int index, const QVariant& v) {
    switch (BoundValue::kindOf(v)) {
    case BoundValue::Kind::Null:
        return sqlite3_bind_null(st, index);
    case BoundValue::Kind::Whole:
        return sqlite3_bind_int64(st, index, v.toLongLong());
    case BoundValue::Kind::Real:
        return sqlite3_bind_double(st, index, v.toDouble());
    case BoundValue::Kind::Money:
        return sqlite3_bind_double(st, index, v.value<Money>().toDouble());
    case BoundValue::Kind::Bytes: {
        const QByteArray bytes = v.toByteArray();
        return sqlite3_bind_blob(st, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    case BoundValue::Kind::Text:
        break;
    }
    return bindText(st, index, BoundValue::text(v));
}
} // namespace

BoundValue::Kind BoundValue::kindOf(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return Kind::Null;
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Kind::Whole;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Real;
    case QMetaType::QByteArray:
        return Kind::Bytes;
    default:
        return v.typeId() == qMetaTypeId<Money>() ? Kind::Money : Kind::Text;
    }
}

QString BoundValue::text(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return ColumnData::isoText(v.toDate().startOfDay());
    if (v.typeId() == QMetaType::QDateTime)
        return ColumnData::isoText(v.toDateTime());
    return v.toString();
}

DbError mapSqliteError(int code, const QString& message) {
    // A lock held elsewhere is not a fault of the file or of what was typed: say so plainly.
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED)
        return {ErrorNumber::kGenericFailure,
                QStringLiteral("The database file is in use by another program, so nothing "
                               "could be read or changed just now. Try again in a moment."),
                ErrorNumber::kFileInUse};
    if ((code & 0xff) == SQLITE_INTERRUPT)
        return {ErrorNumber::kGenericFailure,
                QStringLiteral("The operation was stopped before it finished; nothing was "
                               "changed by it."),
                ErrorNumber::kOperationStopped};
    if ((code & 0xff) == SQLITE_READONLY)
        return {ErrorNumber::kGenericFailure,
                QStringLiteral("The database file can only be read, so nothing can be saved to "
                               "it. Ask for the right to change the file and its folder, or "
                               "make a copy with Tools > Back Up Database... and open that."),
                ErrorNumber::kReadOnlyFile};
    if (code == kConstraintForeignKey || message.contains(QLatin1String("FOREIGN KEY")))
        return {ErrorNumber::kReferencedRow, message};
    if (code == kConstraintNotNull)
        return {ErrorNumber::kGenericFailure, message, ErrorNumber::kRequiredValueMissing};
    if (code == kConstraintUnique || code == kConstraintPrimaryKey)
        return {ErrorNumber::kGenericFailure, message, ErrorNumber::kDuplicateValue};
    return {ErrorNumber::kGenericFailure,
            message.isEmpty() ? QStringLiteral("Unspecified error") : message};
}

// Database

// Brackets one call into the engine during which the observer may be asked. The observer hears
// when the call returns, so whatever it shows goes with the statement, whichever way it ended.
class Database::EngineCall {
public:
    explicit EngineCall(Database& database) : m_database(database) { m_database.m_asked = false; }
    ~EngineCall() {
        if (m_database.m_asked && m_database.m_observer) {
            m_database.m_asked = false;
            m_database.m_observer->waitEnded();
        }
    }
    EngineCall(const EngineCall&) = delete;
    EngineCall& operator=(const EngineCall&) = delete;

private:
    Database& m_database;
};

Database::Database() = default;

Database::~Database() {
    close();
}

bool Database::open(const QString& path, OpenMode mode) {
    close();
    m_openError = {};
    m_busyTimeoutMs = kDefaultBusyTimeoutMs;
    if (SqlDialect::isServerAddress(path)) {
        m_server = std::make_unique<ServerLink>();
        if (!m_server->open(path, &m_openError)) {
            m_server.reset();
            return false;
        }
        if (mode == OpenMode::ReadOnly)
            m_server->execute(QStringLiteral("SET default_transaction_read_only = on"), {});
        return true;
    }
    const int flags = (mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX | (mode == OpenMode::Create ? SQLITE_OPEN_CREATE : 0);
    const QByteArray name = path.toUtf8();
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        m_openError = {ErrorNumber::kGenericFailure,
                       handle ? textOf(sqlite3_errmsg(handle)) : textOf(sqlite3_errstr(rc))};
        sqlite3_close(handle);
        return false;
    }
    m_handle = handle;
    sqlite3_extended_result_codes(m_handle, 1);
    // A quoted name that matches no column is an error, never quietly read as a text: a write
    // by a key column renamed behind the program's back says so instead of matching no row.
    sqlite3_db_config(m_handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    // No statement may rewrite the schema's own records or otherwise corrupt the file on
    // purpose, whatever a file or a typed text asks for.
    sqlite3_db_config(m_handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    m_busyTimeoutMs = kDefaultBusyTimeoutMs;
    applyWaitHandlers();
    return true;
}

void Database::setBusyTimeout(int milliseconds) {
    m_busyTimeoutMs = milliseconds;
    if (m_server)
        m_server->setLockTimeout(milliseconds);
    applyWaitHandlers();
}

void Database::setWaitObserver(WaitObserver* observer) {
    m_observer = observer;
    applyWaitHandlers();
}

void Database::applyWaitHandlers() {
    if (!m_handle)
        return;
    if (!m_observer) {
        sqlite3_busy_timeout(m_handle, m_busyTimeoutMs);
        sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
        return;
    }
    sqlite3_busy_handler(m_handle, &Database::onBusy, this);
    sqlite3_progress_handler(m_handle, kProgressSteps, &Database::onProgress, this);
}

bool Database::ask(WaitObserver::Kind kind) {
    m_asked = true;
    m_asking = true;
    const bool goOn = m_observer->keepWaiting(kind);
    m_asking = false;
    return goOn;
}

// In place of SQLite's own busy wait, with the same limit: short sleeps, the observer asked
// before each.
int Database::onBusy(void* database, int count) {
    auto& self = *static_cast<Database*>(database);
    if (count == 0) // SQLite counts each wait for a lock from 0
        self.m_busySince = steadyMs();
    const auto left = [&self] { return self.m_busyTimeoutMs - (steadyMs() - self.m_busySince); };
    if (left() <= 0 || !self.ask(WaitObserver::Kind::Lock))
        return 0;
    if (const qint64 sleep = std::min<qint64>(kBusySliceMs, left()); sleep > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(sleep));
    return 1;
}

int Database::onProgress(void* database) {
    return static_cast<Database*>(database)->ask(WaitObserver::Kind::Work) ? 0 : 1;
}

bool Database::mayRun(DbError* error) const {
    if (!m_asking)
        return true;
    // SQLite forbids running anything on a connection from inside its own callbacks.
    *error = {ErrorNumber::kOperationNotAllowed,
              QStringLiteral("The database is busy with another statement; try again once it "
                             "has finished.")};
    return false;
}

std::function<bool()> Database::serverGoOn() {
    if (!m_observer)
        return {};
    return [this] { return ask(WaitObserver::Kind::Work); };
}

void Database::close() {
    m_server.reset();
    if (!m_handle)
        return;
    sqlite3_close_v2(m_handle);
    m_handle = nullptr;
}

bool Database::execute(const QString& sql) {
    DbError refusal;
    if (!isOpen() || !mayRun(&refusal))
        return false;
    EngineCall call(*this);
    if (m_server)
        return m_server->execute(sql, serverGoOn());
    return sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

DbError Database::error() const {
    if (DbError refusal; !mayRun(&refusal))
        return refusal;
    if (m_server)
        return m_server->error();
    if (!m_handle)
        return m_openError.isSet()
                   ? m_openError
                   : DbError{ErrorNumber::kOperationNotAllowed,
                             QStringLiteral("Operation is not allowed when the object is closed.")};
    return mapSqliteError(sqlite3_extended_errcode(m_handle), textOf(sqlite3_errmsg(m_handle)));
}

QList<Database::ColumnDeclaration> Database::serverColumns(const QString& table) {
    return m_server ? m_server->columns(table) : QList<ColumnDeclaration>();
}

qint64 Database::lastInsertId() const {
    if (m_server)
        return m_server->lastInsertId();
    return m_handle ? sqlite3_last_insert_rowid(m_handle) : 0;
}

int Database::changes() const {
    if (m_server)
        return m_server->changes();
    return m_handle ? sqlite3_changes(m_handle) : 0;
}

bool Database::inTransaction() const {
    if (m_server)
        return m_server->inTransaction();
    return m_handle && sqlite3_get_autocommit(m_handle) == 0;
}

QString Database::fileName() const {
    if (m_server)
        return m_server->address();
    return m_handle ? textOf(sqlite3_db_filename(m_handle, "main")) : QString();
}

bool Database::isReadOnly() const {
    return m_handle && sqlite3_db_readonly(m_handle, "main") == 1;
}

bool Database::isWriting() const {
    if (m_server)
        return m_server->isWriting();
    return m_handle && sqlite3_txn_state(m_handle, "main") == SQLITE_TXN_WRITE;
}

bool Database::copyTo(Database& destination, QString* error) {
    if (m_server || destination.m_server) {
        *error = QStringLiteral("A database on a server is copied row by row, with Copy "
                                "Database; a page copy is for files only.");
        return false;
    }
    if (!m_handle || !destination.m_handle) {
        *error = QStringLiteral("The database is not open.");
        return false;
    }
    if (isWriting()) {
        *error = QStringLiteral("The database is being written just now; try again in a moment.");
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(destination.m_handle, "main", m_handle, "main");
    if (!backup) {
        *error = textOf(sqlite3_errmsg(destination.m_handle));
        return false;
    }
    // All pages in one step: the source is read under one lock, so the copy is of one moment.
    sqlite3_backup_step(backup, -1);
    if (sqlite3_backup_finish(backup) != SQLITE_OK) {
        *error = mapSqliteError(sqlite3_extended_errcode(destination.m_handle),
                                textOf(sqlite3_errmsg(destination.m_handle)))
                     .description;
        return false;
    }
    return true;
}

bool Database::copyInSteps(Database& destination, const std::function<bool()>& goOn,
                           QString* error) {
    if (m_server || destination.m_server) {
        *error = QStringLiteral("A database on a server is copied row by row, with Copy "
                                "Database; a page copy is for files only.");
        return false;
    }
    if (!m_handle || !destination.m_handle) {
        *error = QStringLiteral("The database is not open.");
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(destination.m_handle, "main", m_handle, "main");
    if (!backup) {
        *error = textOf(sqlite3_errmsg(destination.m_handle));
        return false;
    }
    int restarts = 0;
    int left = -1;
    int rc = SQLITE_OK;
    qint64 busySince = 0;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (!goOn()) {
            sqlite3_backup_finish(backup);
            *error = QStringLiteral("The copy was stopped before it was complete.");
            return false;
        }
        if (rc != SQLITE_OK) { // another program holds the file: a moment, then again
            if (steadyMs() - busySince > m_busyTimeoutMs)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(kBusySliceMs));
        }
        rc = sqlite3_backup_step(backup, restarts < kCopyRestarts ? kCopyPagesPerStep : -1);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && busySince == 0)
            busySince = steadyMs();
        else if (rc == SQLITE_OK)
            busySince = 0;
        const int remaining = sqlite3_backup_remaining(backup);
        if (left >= 0 && remaining > left)
            ++restarts;
        left = remaining;
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        *error = mapSqliteError(rc, textOf(sqlite3_errstr(rc))).description;
        return false;
    }
    if (finished != SQLITE_OK) {
        *error = mapSqliteError(sqlite3_extended_errcode(destination.m_handle),
                                textOf(sqlite3_errmsg(destination.m_handle)))
                     .description;
        return false;
    }
    return true;
}

bool Database::waitFor(WaitObserver::Kind kind, const std::function<bool(int sliceMs)>& done) {
    EngineCall call(*this);
    while (!done(kWaitSliceMs))
        if (m_observer && !ask(kind))
            return false;
    return true;
}

void Database::interrupt() {
    if (m_server)
        m_server->interrupt();
    else if (m_handle)
        sqlite3_interrupt(m_handle);
}

QString Database::damage(DbError* failure) {
    if (m_server) // the server keeps its own storage whole
        return {};
    if (!m_handle)
        return error().description;
    Statement check(*this, QStringLiteral("PRAGMA quick_check"));
    QStringList problems;
    while (check.next())
        if (const QString line = check.value(0).toString(); line != QLatin1String("ok"))
            problems.append(line);
    if (check.failed()) {
        const qint64 why = check.error().nativeError;
        if (failure && (why == ErrorNumber::kFileInUse || why == ErrorNumber::kOperationStopped))
            *failure = check.error();
        else
            problems.append(check.error().description);
    }
    return problems.join(QStringLiteral("; "));
}

// Statement

Statement::Statement(Database& database, const QString& sql) : m_database(database) {
    if (!database.isOpen()) {
        m_failed = true;
        m_error = database.error();
        return;
    }
    if (!database.mayRun(&m_error)) {
        m_failed = true;
        return;
    }
    if (database.m_server) {
        m_query = std::make_unique<ServerQuery>(*database.m_server, sql);
        return;
    }
    const QByteArray text = sql.toUtf8();
    Database::EngineCall call(database);
    if (sqlite3_prepare_v2(database.m_handle, text.constData(), int(text.size()), &m_statement,
                           nullptr) != SQLITE_OK) {
        m_failed = true;
        m_error = database.error();
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_statement);
}

int Statement::parameterCount() const {
    if (m_query)
        return m_query->parameterCount();
    return m_statement ? sqlite3_bind_parameter_count(m_statement) : 0;
}

bool Statement::bind(int index, const QVariant& value) {
    if (m_query)
        return m_query->bind(index, value);
    if (!m_statement)
        return false;
    if (bindVariant(m_statement, index + 1, value) != SQLITE_OK) {
        m_failed = true;
        m_error = m_database.error();
        return false;
    }
    return true;
}

bool Statement::bindAll(const QVariantList& values) {
    if (!isValid())
        return false;
    reset(); // a statement that ran takes new values only after a reset
    if (parameterCount() != values.size()) {
        m_failed = true;
        m_error = {ErrorNumber::kGenericFailure,
                   QStringLiteral("The statement takes %1 values, %2 were given.")
                       .arg(parameterCount())
                       .arg(values.size())};
        return false;
    }
    for (int i = 0; i < values.size(); ++i)
        if (!bind(i, values.at(i)))
            return false;
    return true;
}

bool Statement::next() {
    if (!isValid())
        return false;
    if (!m_database.mayRun(&m_error)) {
        m_failed = true;
        return false;
    }
    if (m_query) {
        if (m_database.m_beforeWrite && m_query->writes() && !m_query->isRunning()) {
            if (const DbError refusal = m_database.m_beforeWrite(m_database); refusal.isSet()) {
                m_failed = true;
                m_error = refusal;
                return false;
            }
        }
        Database::EngineCall call(m_database);
        DbError error;
        if (m_query->next(m_database.serverGoOn(), &error))
            return true;
        if (error.isSet()) {
            m_failed = true;
            m_error = error;
        }
        return false;
    }
    if (m_database.m_beforeWrite && !sqlite3_stmt_busy(m_statement) &&
        !sqlite3_stmt_readonly(m_statement)) {
        if (const DbError refusal = m_database.m_beforeWrite(m_database); refusal.isSet()) {
            m_failed = true;
            m_error = refusal;
            return false;
        }
    }
    Database::EngineCall call(m_database);
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_failed = true;
        m_error = m_database.error();
    }
    return false;
}

bool Statement::execute() {
    if (!isValid())
        return false;
    while (next()) {
    }
    return !m_failed;
}

void Statement::reset() {
    if (m_query) {
        m_query->reset();
        m_failed = false;
        return;
    }
    if (!m_statement)
        return;
    sqlite3_reset(m_statement);
    m_failed = false;
}

DbError Statement::error() const {
    return m_error;
}

int Statement::columnCount() const {
    if (m_query)
        return m_query->columnCount();
    return m_statement ? sqlite3_column_count(m_statement) : 0;
}

QString Statement::columnName(int column) const {
    if (m_query)
        return m_query->columnName(column);
    return textOf(sqlite3_column_name(m_statement, column));
}

QString Statement::declaredType(int column) const {
    if (m_query)
        return m_query->declaredType(column);
    return textOf(sqlite3_column_decltype(m_statement, column));
}

QString Statement::tableName(int column) const {
    if (m_query)
        return m_query->tableName(column);
    return textOf(sqlite3_column_table_name(m_statement, column));
}

QString Statement::originName(int column) const {
    if (m_query)
        return m_query->originName(column);
    return textOf(sqlite3_column_origin_name(m_statement, column));
}

Statement::Type Statement::type(int column) const {
    if (m_query)
        return m_query->type(column);
    return Type(sqlite3_column_type(m_statement, column));
}

qint64 Statement::integer(int column) const {
    if (m_query)
        return m_query->integer(column);
    return sqlite3_column_int64(m_statement, column);
}

double Statement::real(int column) const {
    if (m_query)
        return m_query->real(column);
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView Statement::utf8(int column) const {
    if (m_query)
        return m_query->utf8(column);
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(text, sqlite3_column_bytes(m_statement, column));
}

QVariant Statement::value(int column) const {
    if (m_query)
        return m_query->value(column);
    switch (type(column)) {
    case Type::Integer:
        return integer(column);
    case Type::Real:
        return real(column);
    case Type::Text: {
        const QByteArrayView text = utf8(column);
        return QString::fromUtf8(text.data(), text.size());
    }
    case Type::Blob:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_statement, column)),
                          sqlite3_column_bytes(m_statement, column));
    case Type::Null:
        break;
    }
    return QVariant();
}

// Transaction

Transaction::Transaction(Database& database) : m_database(database) {
    // Savepoints, so that a guard inside another one (a record set writing two tables while the
    // caller writes a header and its lines) joins the outer transaction.
    static std::atomic<int> counter{0};
    m_name = QStringLiteral("plenwick_%1").arg(++counter);
    if (database.m_server) {
        m_open = true;
        database.m_server->guardOpened();
    }
    // A server takes savepoints only inside a transaction: the outermost guard begins one.
    if (database.isServer() && !database.inTransaction()) {
        m_outermost = true;
        m_active = database.execute(QStringLiteral("BEGIN"));
        return;
    }
    m_active = database.execute(QStringLiteral("SAVEPOINT ") + m_name);
}

Transaction::~Transaction() {
    rollback();
}

void Transaction::close() {
    if (m_open && m_database.m_server)
        m_database.m_server->guardClosed();
    m_open = false;
}

bool Transaction::commit() {
    if (!m_active)
        return false;
    if (!m_database.execute(m_outermost ? QStringLiteral("COMMIT")
                                        : QStringLiteral("RELEASE ") + m_name))
        return false; // still active: the destructor rolls back
    m_active = false;
    close();
    return true;
}

void Transaction::rollback() {
    if (m_active) {
        m_active = false;
        if (m_outermost) {
            m_database.execute(QStringLiteral("ROLLBACK"));
        } else {
            m_database.execute(QStringLiteral("ROLLBACK TO ") + m_name);
            m_database.execute(QStringLiteral("RELEASE ") + m_name);
        }
    }
    close();
}
