#include "data/serverlink.h"

#include "data/money.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/serverpassword.h"
#include "data/sqldialect.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <libpq-fe.h>
#include <poll.h>

namespace {
// The server's numbers of the types the program reads.
constexpr Oid kBool = 16;
constexpr Oid kBytea = 17;
constexpr Oid kInt8 = 20;
constexpr Oid kInt2 = 21;
constexpr Oid kInt4 = 23;
constexpr Oid kOid = 26;
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;
constexpr Oid kTimestamp = 1114;
constexpr Oid kTimestampTz = 1184;

const QString kLostText =
    QStringLiteral("The connection to the database server was lost, so what was being read or "
                   "saved just now was not. The next action connects again; if it fails too, "
                   "check that the server is running and reachable.");

QString textOf(const char* s) {
    return s ? QString::fromUtf8(s).trimmed() : QString();
}

// An amount as exact decimal text ("-12.3450"), so that nothing passes through a double.
QByteArray moneyText(const Money& m) {
    const qint64 units = m.units();
    const quint64 magnitude = units < 0 ? quint64(-units) : quint64(units);
    return (units < 0 ? QByteArray("-") : QByteArray()) +
           QByteArray::number(magnitude / Money::kScale) + '.' +
           QByteArray::number(magnitude % Money::kScale).rightJustified(4, '0');
}

QString firstWord(const QString& sql) {
    static const QRegularExpression word(QStringLiteral("^\\s*([A-Za-z]+)"));
    return word.match(sql).captured(1).toUpper();
}

bool isDefinition(const QString& word) {
    return word == QLatin1String("CREATE") || word == QLatin1String("ALTER") ||
           word == QLatin1String("DROP");
}

// A column's declared type in the file's terms: as the program's table text declares it, else
// from the server's own description.
QString fileType(const QString& table, const QString& column, const QString& serverType) {
    const QString declared = Schema::declaredType(table, column);
    return declared.isEmpty() ? SqlDialect::fileTypeOf(serverType) : declared;
}

quint64 originKey(Oid table, int column) {
    return (quint64(table) << 16) | quint64(quint16(column));
}
} // namespace

// ServerLink

ServerLink::~ServerLink() {
    if (m_cancel)
        PQfreeCancel(m_cancel);
    if (m_conn)
        PQfinish(m_conn);
}

bool ServerLink::open(const QString& address, DbError* error) {
    // The connection carries the user's name, so that the server can tell who else is working.
    const QByteArray who = "Plenwick (" + qgetenv("USER") + ")";
    const QByteArray dbname = address.toUtf8();
    // A password typed in the window, if any, comes after the address: the address's own wins.
    const QByteArray password = ServerPassword::forAddress(address).toUtf8();
    const char* keys[] = {"password", "dbname", "fallback_application_name", "connect_timeout",
                          nullptr};
    const char* values[] = {password.isEmpty() ? nullptr : password.constData(), dbname.constData(),
                            who.constData(), "10", nullptr};
    m_conn = PQconnectdbParams(keys, values, 1);
    m_address = address;
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const bool needsPassword =
            PQconnectionNeedsPassword(m_conn) || PQconnectionUsedPassword(m_conn);
        *error = {ErrorNumber::kGenericFailure,
                  QStringLiteral("The database server at %1 could not be reached: %2")
                      .arg(SqlDialect::shownAddress(address), textOf(PQerrorMessage(m_conn))),
                  needsPassword ? ErrorNumber::kInvalidPassword : 0};
        PQfinish(m_conn);
        m_conn = nullptr;
        return false;
    }
    m_cancel = PQgetCancel(m_conn);
    PQsetNoticeProcessor(
        m_conn, [](void*, const char*) {}, nullptr);
    if (!setUpSession()) {
        *error = m_error;
        return false;
    }
    return true;
}

void ServerLink::setLockTimeout(int milliseconds) {
    m_lockTimeoutMs = milliseconds;
    // 0 waits for ever on the server; the file's 0 gives up at once.
    execute(QStringLiteral("SET lock_timeout = %1").arg(std::max(1, milliseconds)), nullptr);
}

bool ServerLink::inTransaction() {
    if (!m_conn)
        return false;
    // While a statement hands out rows the server says only that it is busy: its rows are
    // taken first, so the answer is that of the transaction.
    settle(nullptr);
    const PGTransactionStatusType status = PQtransactionStatus(m_conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

bool ServerLink::isLost() const {
    return !m_conn || PQstatus(m_conn) == CONNECTION_BAD;
}

bool ServerLink::reconnectIfLost() {
    if (!m_conn)
        return false;
    if (PQstatus(m_conn) != CONNECTION_BAD)
        return true;
    if (m_openGuards > 0) {
        m_error = {ErrorNumber::kGenericFailure, kLostText, ErrorNumber::kConnectionLost};
        return false;
    }
    m_streaming = nullptr;
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        m_error = {ErrorNumber::kGenericFailure, kLostText, ErrorNumber::kConnectionLost};
        return false;
    }
    if (m_cancel)
        PQfreeCancel(m_cancel);
    m_cancel = PQgetCancel(m_conn);
    forgetCatalogue();
    setUpSession();
    return true;
}

bool ServerLink::setUpSession() {
    // Dates as the file keeps them, text in UTF-8, and a statement that waits for another
    // connection's lock gives up as one on a file does; a new connection starts without them.
    const bool ready = execute(QStringLiteral("SET client_encoding = 'UTF8'; "
                                              "SET DateStyle = 'ISO, YMD'; "
                                              "SET standard_conforming_strings = on; "
                                              "SET client_min_messages = warning; "
                                              "SET default_transaction_isolation = "
                                              "'repeatable read'"),
                               nullptr);
    setLockTimeout(m_lockTimeoutMs);
    return ready;
}

void ServerLink::guardOpened() {
    // A connection lost before the first guard opened is made again now, so that the guard's
    // transaction begins on it.
    if (m_openGuards == 0)
        reconnectIfLost();
    ++m_openGuards;
}

void ServerLink::interrupt() {
    if (!m_cancel)
        return;
    char buffer[256];
    PQcancel(m_cancel, buffer, sizeof buffer);
}

void ServerLink::settle(ServerQuery* next) {
    if (m_streaming && m_streaming != next)
        m_streaming->takeTheRest();
}

void ServerLink::released(ServerQuery* query) {
    if (m_streaming == query)
        m_streaming = nullptr;
}

pg_result* ServerLink::nextResult(const std::function<bool()>& goOn) {
    while (PQisBusy(m_conn)) {
        pollfd fd{PQsocket(m_conn), POLLIN, 0};
        if (fd.fd < 0)
            break;
        if (poll(&fd, 1, Database::kWaitSliceMs) == 0 && goOn && !goOn())
            interrupt();
        if (!PQconsumeInput(m_conn))
            break;
    }
    return PQgetResult(m_conn);
}

bool ServerLink::execute(const QString& sql, const std::function<bool()>& goOn) {
    if (!reconnectIfLost())
        return false;
    settle(nullptr);
    // The file's own settings mean nothing to a server, which keeps its own.
    if (firstWord(sql) == QLatin1String("PRAGMA"))
        return true;
    if (isDefinition(firstWord(sql)))
        forgetCatalogue();
    // A server ends a transaction that a statement failed in by rolling it back, even when
    // asked to commit: that is no success.
    if (sql.trimmed().compare(QLatin1String("COMMIT"), Qt::CaseInsensitive) == 0 &&
        PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
        m_error = {ErrorNumber::kGenericFailure,
                   QStringLiteral("A statement of this transaction failed, so none of it was "
                                  "saved.")};
        return false;
    }
    if (!PQsendQuery(m_conn, SqlDialect::forServer(sql).toUtf8().constData())) {
        m_error = errorOf(nullptr);
        return false;
    }
    bool ok = true;
    while (pg_result* r = nextResult(goOn)) {
        const ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && ok) {
            m_error = errorOf(r);
            ok = false;
        }
        PQclear(r);
    }
    if (ok && PQstatus(m_conn) == CONNECTION_BAD) {
        m_error = errorOf(nullptr);
        ok = false;
    }
    if (!inTransaction())
        m_wrote = false;
    return ok;
}

DbError ServerLink::errorOf(pg_result* result) const {
    const QString state = result ? textOf(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QString();
    QString message = result ? textOf(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY))
                             : textOf(PQerrorMessage(m_conn));
    if (message.isEmpty())
        message = textOf(PQerrorMessage(m_conn));
    // The network gone, or the server ending this connection (its administrator, a restart).
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")) ||
        PQstatus(m_conn) == CONNECTION_BAD)
        return {ErrorNumber::kGenericFailure, kLostText, ErrorNumber::kConnectionLost};
    // A lock held by another connection for longer than the wait, or two writers in each
    // other's way: refused as a file in use is.
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
        return mapSqliteError(5 /* busy */, message);
    // A transaction sees the data as they were when it began (repeatable read), so that a check
    // and the write after it see the same row: a row another estimator saved in between is
    // refused as changed, never written over.
    if (state == QLatin1String("40001"))
        return {ErrorNumber::kRowNotFound, RecordSet::conflictText(ErrorNumber::kRecordChanged),
                ErrorNumber::kRecordChanged};
    if (state == QLatin1String("57014"))
        return mapSqliteError(9 /* interrupted */, message);
    if (state == QLatin1String("25006") || state == QLatin1String("42501"))
        return {ErrorNumber::kGenericFailure,
                QStringLiteral("The database server lets you read this database but not change "
                               "it, so nothing can be saved. Ask its administrator for the right "
                               "to change it. (%1)")
                    .arg(message),
                ErrorNumber::kReadOnlyFile};
    if (state == QLatin1String("23503"))
        return {ErrorNumber::kReferencedRow, message};
    if (state == QLatin1String("23502"))
        return {ErrorNumber::kGenericFailure, message, ErrorNumber::kRequiredValueMissing};
    if (state == QLatin1String("23505"))
        return {ErrorNumber::kGenericFailure, message, ErrorNumber::kDuplicateValue};
    return {ErrorNumber::kGenericFailure,
            message.isEmpty() ? QStringLiteral("Unspecified error") : message};
}

void ServerLink::forgetCatalogue() {
    m_origins.clear();
    m_columns.clear();
    m_identities.clear();
    m_catalogueRead = false;
}

void ServerLink::readCatalogue() {
    if (m_catalogueRead)
        return;
    if (m_schemaNames.isEmpty())
        m_schemaNames = Schema::nameSpellings();
    settle(nullptr);
    // Every column of the program's tables and views (and of this connection's temporary
    // ones), read once: a statement that hands out rows then never waits for a look-up.
    PGresult* r =
        PQexec(m_conn, "SELECT c.oid, a.attnum, c.relname, c.relkind, a.attname, "
                       "format_type(a.atttypid, a.atttypmod), a.attidentity <> '', "
                       "EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = c.oid AND "
                       "i.indisprimary AND a.attnum = ANY(i.indkey)) "
                       "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
                       "WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN ('r', 'v', 'p') "
                       "AND (c.relnamespace = to_regnamespace(current_schema())::oid "
                       "OR c.relnamespace = pg_my_temp_schema()) ORDER BY c.oid, a.attnum");
    // Marked as read only once it was: a catalogue missed (a connection cut just then) is read
    // at the next need.
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
        m_catalogueRead = true;
        for (int row = 0; row < PQntuples(r); ++row) {
            const Oid table = Oid(QByteArray(PQgetvalue(r, row, 0)).toUInt());
            const int column = QByteArray(PQgetvalue(r, row, 1)).toInt();
            const QString tableName = spelling(PQgetvalue(r, row, 2), {});
            const QString columnName = spelling(PQgetvalue(r, row, 4), {});
            const bool view = PQgetvalue(r, row, 3)[0] == 'v';
            // A view's column is, as in a file, no column a write can go to: it keeps only
            // its type.
            const QString declared = fileType(tableName, columnName, textOf(PQgetvalue(r, row, 5)));
            m_origins.insert(originKey(table, column), {view ? QString() : tableName,
                                                        view ? QString() : columnName, declared});
            m_columns[tableName.toLower()].append(
                {columnName, declared, PQgetvalue(r, row, 7)[0] == 't'});
            if (PQgetvalue(r, row, 6)[0] == 't')
                m_identities.insert(tableName.toLower(), columnName);
        }
    }
    PQclear(r);
}

ServerLink::Origin ServerLink::origin(unsigned tableOid, int column) {
    if (tableOid == 0)
        return {};
    readCatalogue();
    auto it = m_origins.constFind(originKey(tableOid, column));
    if (it == m_origins.constEnd()) { // made since the catalogue was read
        forgetCatalogue();
        readCatalogue();
        it = m_origins.constFind(originKey(tableOid, column));
    }
    return it == m_origins.constEnd() ? Origin{} : *it;
}

QList<Database::ColumnDeclaration> ServerLink::columns(const QString& table) {
    readCatalogue();
    auto it = m_columns.constFind(table.toLower());
    if (it == m_columns.constEnd()) { // made since the catalogue was read
        forgetCatalogue();
        readCatalogue();
        it = m_columns.constFind(table.toLower());
    }
    return it == m_columns.constEnd() ? QList<Database::ColumnDeclaration>() : *it;
}

QString ServerLink::identityColumn(const QString& table) {
    readCatalogue();
    return m_identities.value(table.toLower());
}

QString ServerLink::spelling(const QByteArray& lower,
                             const QHash<QByteArray, QString>& statementNames) {
    if (const auto it = statementNames.constFind(lower); it != statementNames.constEnd())
        return *it;
    if (m_schemaNames.isEmpty())
        m_schemaNames = Schema::nameSpellings();
    return m_schemaNames.value(lower, QString::fromUtf8(lower));
}

// ServerQuery

ServerQuery::ServerQuery(ServerLink& link, const QString& sql) : m_link(link) {
    m_text = SqlDialect::forServer(sql, &m_marks).toUtf8();
    SqlDialect::collectNames(sql, &m_names);
    const QString word = firstWord(sql);
    m_pragma = word == QLatin1String("PRAGMA");
    m_writes = word == QLatin1String("INSERT") || word == QLatin1String("UPDATE") ||
               word == QLatin1String("DELETE") || isDefinition(word);
    m_definition = isDefinition(word);
    // The key an INSERT's row was given comes back with the row, for lastInsertId().
    static const QRegularExpression insertInto(
        QStringLiteral("^\\s*INSERT\\s+INTO\\s+[\"\\[]?([A-Za-z_][A-Za-z0-9_]*)[\"\\]]?\\s*"
                       "(\\(([^)]*)\\))?"),
        QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = insertInto.match(sql); m.hasMatch()) {
        m_identity = m_link.identityColumn(m.captured(1));
        if (!m_identity.isEmpty()) {
            m_text += " RETURNING " + m_identity.toLower().toUtf8();
            // A row given its key by the caller: the server's numbering goes on after it, as a
            // file's does.
            const QStringList columns = m.captured(3).split(QLatin1Char(','));
            const bool keyGiven =
                !m.hasCaptured(2) ||
                std::any_of(columns.begin(), columns.end(), [this](const QString& column) {
                    QString name = column.trimmed();
                    name.remove(QLatin1Char('"')).remove(QLatin1Char('[')).remove(QLatin1Char(']'));
                    return name.compare(m_identity, Qt::CaseInsensitive) == 0;
                });
            if (keyGiven)
                m_numberingFollows =
                    QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                                   "COALESCE((SELECT MAX(%2) FROM %1), 1))")
                        .arg(m.captured(1).toLower(), m_identity.toLower());
        }
    }
    m_values.resize(size_t(m_marks));
    m_null.assign(size_t(m_marks), true);
    m_types.assign(size_t(m_marks), 0);
    m_formats.assign(size_t(m_marks), 0);
}

ServerQuery::~ServerQuery() {
    reset();
    if (m_described)
        PQclear(m_described);
}

bool ServerQuery::bind(int index, const QVariant& v) {
    if (index < 0 || index >= m_marks)
        return false;
    const auto i = size_t(index);
    const BoundValue::Kind kind = BoundValue::kindOf(v);
    m_null[i] = kind == BoundValue::Kind::Null;
    m_types[i] = 0; // the server takes the type from where the value goes
    m_formats[i] = 0;
    switch (kind) {
    case BoundValue::Kind::Null:
        break;
    case BoundValue::Kind::Whole:
        m_values[i] = QByteArray::number(v.toLongLong());
        m_types[i] = kInt8;
        break;
    case BoundValue::Kind::Real:
        m_values[i] = QByteArray::number(v.toDouble(), 'g', 17);
        m_types[i] = kFloat8;
        break;
    case BoundValue::Kind::Money:
        m_values[i] = moneyText(v.value<Money>());
        break;
    case BoundValue::Kind::Bytes:
        m_values[i] = v.toByteArray();
        m_types[i] = kBytea;
        m_formats[i] = 1;
        break;
    case BoundValue::Kind::Text:
        m_values[i] = BoundValue::text(v).toUtf8();
        break;
    }
    return true;
}

bool ServerQuery::send(DbError* error) {
    if (!m_link.reconnectIfLost()) {
        *error = m_link.m_error;
        return false;
    }
    m_link.settle(this);
    if (m_definition)
        m_link.forgetCatalogue();
    else // before the rows come: reading it between two rows would take all the rest first
        m_link.readCatalogue();
    std::vector<const char*> values;
    std::vector<unsigned> types;
    valuesForServer(&values, &types);
    std::vector<int> lengths(static_cast<size_t>(m_marks));
    for (size_t i = 0; i < size_t(m_marks); ++i)
        lengths[i] = int(m_values[i].size());
    if (!PQsendQueryParams(m_link.m_conn, m_text.constData(), m_marks, types.data(), values.data(),
                           lengths.data(), m_formats.data(), 0)) {
        *error = m_link.errorOf(nullptr);
        return false;
    }
    PQsetSingleRowMode(m_link.m_conn);
    m_link.m_streaming = this;
    m_state = State::Running;
    return true;
}

void ServerQuery::valuesForServer(std::vector<const char*>* values, std::vector<unsigned>* types) {
    values->assign(size_t(m_marks), nullptr);
    *types = m_types;
    std::vector<size_t> texts; // bound as text, and not a whole number
    for (size_t i = 0; i < size_t(m_marks); ++i) {
        if (m_null[i])
            continue;
        (*values)[i] = m_values[i].constData();
        if (m_writes || m_types[i] != 0)
            continue;
        bool whole = false;
        m_values[i].trimmed().toLongLong(&whole);
        if (!whole)
            texts.push_back(i);
    }
    // A file compares a number column with a text that reads as a number as with that number,
    // and finds no match for any other text; a server refuses the statement. A read gets the
    // file's answer: the number, or no value (which matches nothing). A write of such a text is
    // left to the server to refuse, so that nothing is stored otherwise than it was given.
    if (texts.empty())
        return;
    if (m_serverTypes.empty()) {
        m_link.settle(nullptr);
        PGresult* prepared =
            PQprepare(m_link.m_conn, "", m_text.constData(), m_marks, m_types.data());
        const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
        PQclear(prepared);
        PGresult* described = ok ? PQdescribePrepared(m_link.m_conn, "") : nullptr;
        m_serverTypes.assign(size_t(m_marks), 0);
        for (int i = 0; described && i < PQnparams(described) && i < m_marks; ++i)
            m_serverTypes[size_t(i)] = PQparamtype(described, i);
        PQclear(described);
    }
    for (size_t i : texts) {
        switch (m_serverTypes[i]) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kNumeric:
        case kFloat4:
        case kFloat8: {
            bool number = false;
            QByteArray(m_values[i]).trimmed().toDouble(&number);
            if (number)
                (*types)[i] = kFloat8;
            else
                (*values)[i] = nullptr;
            break;
        }
        default:
            break;
        }
    }
}

void ServerQuery::clearRow() {
    if (m_row)
        PQclear(m_row);
    m_row = nullptr;
}

bool ServerQuery::next(const std::function<bool()>& goOn, DbError* error) {
    clearRow();
    if (m_pragma)
        return false;
    if (m_state == State::Ready && !send(error)) {
        m_state = State::Done;
        return false;
    }
    while (m_state == State::Running) {
        pg_result* r = nullptr;
        if (!m_buffered.empty()) {
            r = m_buffered.front();
            m_buffered.pop_front();
        } else if (m_link.m_streaming == this) {
            r = m_link.nextResult(goOn);
        }
        if (!r) {
            m_state = State::Done;
            m_link.released(this);
            if (!m_numberingFollows.isEmpty())
                m_link.execute(m_numberingFollows, {});
            if (!m_link.inTransaction())
                m_link.m_wrote = false;
            break;
        }
        switch (PQresultStatus(r)) {
        case PGRES_SINGLE_TUPLE:
            if (!m_identity.isEmpty()) {
                m_link.m_lastInsertId = QByteArray(PQgetvalue(r, 0, 0)).toLongLong();
                PQclear(r);
                continue;
            }
            m_row = r;
            return true;
        case PGRES_TUPLES_OK:
        case PGRES_COMMAND_OK:
            m_link.m_changes = QByteArray(PQcmdTuples(r)).toInt();
            if (m_writes)
                m_link.m_wrote = true;
            // The end of the rows still describes them, for a statement that found none.
            if (!m_described)
                m_described = r;
            else
                PQclear(r);
            continue;
        default:
            *error = m_link.errorOf(r);
            m_link.m_error = *error;
            PQclear(r);
            takeTheRest();
            for (pg_result* rest : m_buffered)
                PQclear(rest);
            m_buffered.clear();
            m_state = State::Done;
            return false;
        }
    }
    return false;
}

void ServerQuery::takeTheRest() {
    if (m_link.m_streaming != this)
        return;
    while (pg_result* r = m_link.nextResult({}))
        m_buffered.push_back(r);
    m_link.released(this);
}

void ServerQuery::reset() {
    // Rows nobody will read are let go as they come, not kept until the end. Cancelling the
    // statement instead could, arriving late, cancel the next one.
    if (m_link.m_streaming == this) {
        while (pg_result* r = m_link.nextResult({}))
            PQclear(r);
        m_link.released(this);
    }
    for (pg_result* r : m_buffered)
        PQclear(r);
    m_buffered.clear();
    clearRow();
    m_state = State::Ready;
}

pg_result* ServerQuery::shape() {
    if (m_row)
        return m_row;
    if (m_described)
        return m_described;
    // Not run yet: the server describes the statement without running it.
    m_link.settle(nullptr);
    if (PGresult* prepared =
            PQprepare(m_link.m_conn, "", m_text.constData(), m_marks, m_types.data())) {
        const bool ok = PQresultStatus(prepared) == PGRES_COMMAND_OK;
        PQclear(prepared);
        if (ok)
            m_described = PQdescribePrepared(m_link.m_conn, "");
    }
    return m_described;
}

int ServerQuery::columnCount() {
    pg_result* r = shape();
    return r ? PQnfields(r) : 0;
}

QString ServerQuery::columnName(int column) {
    pg_result* r = shape();
    return r ? m_link.spelling(PQfname(r, column), m_names) : QString();
}

ServerLink::Origin ServerQuery::origin(int column) {
    pg_result* r = shape();
    if (!r)
        return {};
    ServerLink::Origin found = m_link.origin(PQftable(r, column), PQftablecol(r, column));
    if (found.declaredType.isEmpty() && PQftable(r, column) == 0) {
        // A computed value: as in a file, no declared type, except that a server's timestamps
        // and exact amounts say what they are.
        const Oid type = PQftype(r, column);
        if (type == kTimestamp || type == kTimestampTz)
            found.declaredType = QStringLiteral("DATETIME");
    }
    return found;
}

QString ServerQuery::declaredType(int column) {
    return origin(column).declaredType;
}

QString ServerQuery::tableName(int column) {
    return origin(column).table;
}

QString ServerQuery::originName(int column) {
    return origin(column).column;
}

Statement::Type ServerQuery::type(int column) const {
    if (!m_row || PQgetisnull(m_row, 0, column))
        return Statement::Type::Null;
    switch (PQftype(m_row, column)) {
    case kBool:
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return Statement::Type::Integer;
    case kFloat4:
    case kFloat8:
        return Statement::Type::Real;
    case kNumeric:
        // A whole number (a sum of cents) reads as one, as it would from a file.
        return std::strchr(PQgetvalue(m_row, 0, column), '.') ? Statement::Type::Real
                                                              : Statement::Type::Integer;
    case kBytea:
        return Statement::Type::Blob;
    default:
        return Statement::Type::Text;
    }
}

qint64 ServerQuery::integer(int column) const {
    if (!m_row || PQgetisnull(m_row, 0, column))
        return 0;
    const char* text = PQgetvalue(m_row, 0, column);
    if (PQftype(m_row, column) == kBool)
        return text[0] == 't' ? 1 : 0;
    bool ok = false;
    const qint64 whole = QByteArray(text).toLongLong(&ok);
    return ok ? whole : qint64(std::llround(real(column)));
}

double ServerQuery::real(int column) const {
    if (!m_row || PQgetisnull(m_row, 0, column))
        return 0;
    return QByteArray(PQgetvalue(m_row, 0, column)).toDouble();
}

QByteArrayView ServerQuery::utf8(int column) const {
    if (!m_row)
        return {};
    return QByteArrayView(PQgetvalue(m_row, 0, column), PQgetlength(m_row, 0, column));
}

QVariant ServerQuery::value(int column) const {
    switch (type(column)) {
    case Statement::Type::Integer:
        return integer(column);
    case Statement::Type::Real:
        return real(column);
    case Statement::Type::Text: {
        QString text = QString::fromUtf8(utf8(column));
        // A time stamp reads as a file keeps it: the date alone at midnight, else with a T.
        if (PQftype(m_row, column) == kTimestamp) {
            if (text.endsWith(QLatin1String(" 00:00:00")))
                text.chop(9);
            else
                text.replace(QLatin1Char(' '), QLatin1Char('T'));
        }
        return text;
    }
    case Statement::Type::Blob: {
        size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(
            reinterpret_cast<const unsigned char*>(PQgetvalue(m_row, 0, column)), &length);
        QByteArray result(reinterpret_cast<const char*>(bytes), qsizetype(length));
        PQfreemem(bytes);
        return result;
    }
    case Statement::Type::Null:
        break;
    }
    return QVariant();
}
