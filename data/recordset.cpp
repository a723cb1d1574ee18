#include "data/recordset.h"

#include "data/schema.h"

#include "data/connection.h"
#include "data/criteria.h"
#include "data/fieldtype.h"
#include "data/money.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

QString quoteIdentifier(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// A bare table or view name is opened as all of its rows.
QString sqlFor(const QString& source) {
    static const QRegularExpression bare(QStringLiteral("^\\s*(\\[[^\\]]+\\]|[A-Za-z_]\\w*)\\s*$"));
    const auto m = bare.match(source);
    if (!m.hasMatch())
        return source;
    QString name = m.captured(1);
    if (name.startsWith(QLatin1Char('[')))
        name = name.mid(1, name.size() - 2);
    return QStringLiteral("SELECT * FROM ") + quoteIdentifier(name);
}

// A computed column declares no type. Its first value decides: every number is taken as a
// double (a sum that happens to be whole is still the same kind as the others), text as text.
int typeFromFirstValue(Statement::Type type) {
    switch (type) {
    case Statement::Type::Integer:
    case Statement::Type::Real:
        return FieldType::Double;
    case Statement::Type::Text:
        return FieldType::VarWChar;
    default:
        return FieldType::Variant;
    }
}

DbError changedMeanwhile(qint64 number) {
    return {ErrorNumber::kRowNotFound, RecordSet::conflictText(number), number};
}

} // namespace

RecordSet::RecordSet(QObject* parent) : QObject(parent) {}

QString RecordSet::conflictText(qint64 number) {
    return number == ErrorNumber::kRecordDeleted
               ? tr("The record was deleted by someone else since you opened it.")
               : tr("The record was changed by someone else since you opened it.");
}

RecordSet::~RecordSet() = default;

bool RecordSet::fail(qint64 number, const QString& text) {
    return fail(DbError{number, text});
}

bool RecordSet::fail(const DbError& error) {
    m_lastError = error;
    if (m_connection)
        m_connection->reportError(m_lastError);
    return false;
}

bool RecordSet::failNoCurrent() {
    return fail(ErrorNumber::kNoCurrentRecord,
                QStringLiteral("Either BOF or EOF is True, or the current record has been "
                               "deleted. Requested operation requires a current record."));
}

void RecordSet::adopt(std::shared_ptr<RecordStore> store) {
    m_store = std::move(store);
    m_cursor = {};
    m_cursor.generation = m_store ? m_store->generation() : 0;
    m_editMode = EditNone;
    m_pending.clear();
}

bool RecordSet::open(Connection& connection, const QString& source, const QVariantList& values) {
    close();
    m_connection = &connection;
    m_source = source;
    m_values = values;
    m_lastError = {};
    if (!connection.isOpen())
        return fail(ErrorNumber::kOperationNotAllowed,
                    QStringLiteral("Operation is not allowed when the object is closed."));

    // Rows are read straight from the statement into the column store: one pass, no QVariant
    // per value. The declared type and the origin of each column come from the engine too,
    // through views as well, so a currency column stays exact and a write knows its table.
    Statement statement(connection.database(), sqlFor(source));
    auto failStatement = [&] {
        m_lastError = connection.reportError(statement.error());
        return false;
    };
    if (!statement.isValid() || !statement.bindAll(values))
        return failStatement();
    bool hasRow = statement.next();
    if (statement.failed())
        return failStatement();
    const int columns = statement.columnCount();
    std::vector<FieldInfo> fields;
    fields.reserve(size_t(columns));
    for (int i = 0; i < columns; ++i) {
        FieldInfo f;
        f.name = statement.columnName(i);
        f.declaredType = statement.declaredType(i);
        f.baseTable = statement.tableName(i);
        f.baseColumn = statement.originName(i);
        f.type = f.declaredType.isEmpty()
                     ? typeFromFirstValue(hasRow ? statement.type(i) : Statement::Type::Null)
                     : FieldType::fromDeclaredType(f.declaredType);
        f.definedSize = FieldType::declaredSize(f.declaredType);
        if (!f.baseTable.isEmpty())
            for (const ColumnInfo& c : connection.columns(f.baseTable))
                if (c.primaryKey && c.name.compare(f.baseColumn, Qt::CaseInsensitive) == 0)
                    f.keyOfBaseTable = true;
        fields.push_back(std::move(f));
    }

    auto store = std::make_shared<RecordStore>(std::move(fields), m_expectedRows);
    if (m_expectedRows > 0)
        store->reserve(m_expectedRows);
    // Texts are sized once the first rows tell how long they run.
    constexpr int kSampleRows = 2048;
    for (int read = 0; hasRow; hasRow = statement.next()) {
        for (int i = 0; i < columns; ++i)
            store->column(i).appendFromStatement(statement, i);
        store->commitLoadedRow();
        if (++read == kSampleRows && m_expectedRows > kSampleRows)
            for (int i = 0; i < columns; ++i)
                store->column(i).reserveTextLike(read, m_expectedRows);
    }
    if (statement.failed())
        return failStatement();
    adopt(std::move(store));
    m_cursor.position = m_store->rowCount() > 0 ? 0 : -1;
    m_cursor.row = m_store->rowCount() > 0 ? m_store->storageRow(0) : -1;
    emit reset();
    emit moveComplete(ReasonMove);
    return true;
}

bool RecordSet::requery() {
    if (!m_connection)
        return fail(ErrorNumber::kOperationNotAllowed,
                    QStringLiteral("Operation is not allowed when the object is closed."));
    return open(*m_connection, m_source, m_values);
}

void RecordSet::close() {
    if (!m_store)
        return;
    adopt(nullptr);
    emit reset();
}

void RecordSet::sync() const {
    if (!m_store || m_cursor.generation == m_store->generation())
        return;
    m_cursor.generation = m_store->generation();
    if (m_cursor.row >= 0) {
        const int p = m_store->positionOf(m_cursor.row);
        if (p >= 0) {
            m_cursor.position = p;
        } else {
            // Deleted through a clone: the position now holds the row that followed it.
            m_cursor.row = -1;
            m_cursor.deleted = true;
        }
    }
    m_cursor.position = std::min(m_cursor.position, m_store->rowCount());
}

bool RecordSet::hasCurrent() const {
    if (!m_store)
        return false;
    if (m_editMode == EditAdd)
        return true;
    sync();
    return !m_cursor.deleted && m_cursor.position >= 0 && m_cursor.position < m_store->rowCount();
}

bool RecordSet::isBOF() const {
    if (!m_store)
        return true;
    if (m_editMode == EditAdd)
        return false;
    sync();
    return m_store->rowCount() == 0 || m_cursor.position < 0;
}

bool RecordSet::isEOF() const {
    if (!m_store)
        return true;
    if (m_editMode == EditAdd)
        return false;
    sync();
    return m_store->rowCount() == 0 || m_cursor.position >= m_store->rowCount();
}

bool RecordSet::commitPendingBeforeMove() {
    if (m_editMode == EditNone)
        return true;
    return update();
}

bool RecordSet::moveTo(int position, Reason reason) {
    if (!m_store)
        return fail(ErrorNumber::kOperationNotAllowed,
                    QStringLiteral("Operation is not allowed when the object is closed."));
    if (!commitPendingBeforeMove())
        return false;
    sync();
    const int count = m_store->rowCount();
    m_cursor.position = std::clamp(position, -1, count);
    m_cursor.row = (m_cursor.position >= 0 && m_cursor.position < count)
                       ? m_store->storageRow(m_cursor.position)
                       : -1;
    m_cursor.deleted = false;
    emit moveComplete(reason);
    return true;
}

bool RecordSet::moveFirst() {
    return moveTo(0, ReasonMoveFirst);
}

bool RecordSet::moveLast() {
    return moveTo(recordCount() - 1, ReasonMoveLast);
}

bool RecordSet::moveNext() {
    // Pending changes are written first: a row just added becomes the current, last row.
    if (!m_store || !commitPendingBeforeMove())
        return m_store ? false : failNoCurrent();
    sync();
    if (!m_cursor.deleted && isEOF())
        return failNoCurrent();
    // After a delete the next row already sits at the current position.
    return moveTo(m_cursor.deleted ? m_cursor.position : m_cursor.position + 1, ReasonMoveNext);
}

bool RecordSet::movePrevious() {
    if (!m_store || !commitPendingBeforeMove())
        return m_store ? false : failNoCurrent();
    if (isBOF())
        return failNoCurrent();
    return moveTo(m_cursor.position - 1, ReasonMovePrevious);
}

bool RecordSet::move(int n) {
    if (!m_store)
        return failNoCurrent();
    if (n == 0 && !hasCurrent())
        return failNoCurrent();
    if (!commitPendingBeforeMove())
        return false;
    if (n == 0) {
        emit moveComplete(ReasonMove);
        return true;
    }
    sync();
    int base = m_cursor.position;
    if (m_cursor.deleted && n > 0)
        --base;
    return moveTo(base + n, ReasonMove);
}

int RecordSet::absolutePosition() const {
    return hasCurrent() && m_editMode != EditAdd ? m_cursor.position + 1 : -1;
}

bool RecordSet::setAbsolutePosition(int position) {
    if (position < 1 || position > recordCount())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The position %1 is outside the record set.").arg(position));
    return moveTo(position - 1, ReasonMove);
}

RecordSet::Bookmark RecordSet::bookmark() const {
    return hasCurrent() && m_editMode != EditAdd ? m_cursor.row : -1;
}

bool RecordSet::setBookmark(Bookmark bookmark) {
    const int position = m_store ? m_store->positionOf(bookmark) : -1;
    if (position < 0)
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The bookmark is invalid or its row was deleted."));
    return moveTo(position, ReasonMove);
}

bool RecordSet::find(const QString& criteria, int skip, bool forward) {
    if (!m_store)
        return failNoCurrent();
    Criteria condition;
    QString error;
    if (!condition.parse(criteria, *m_store, &error))
        return fail(ErrorNumber::kGenericFailure, error);
    if (!commitPendingBeforeMove())
        return false;
    sync();
    const int count = m_store->rowCount();
    int start = 0;
    if (m_cursor.position < 0)
        start = forward ? 0 : -1;
    else if (m_cursor.position >= count)
        start = forward ? count : count - 1;
    else if (m_cursor.deleted && forward)
        start = m_cursor.position + std::max(skip - 1, 0);
    else
        start = m_cursor.position + (forward ? skip : -skip);
    const int step = forward ? 1 : -1;
    for (int p = start; p >= 0 && p < count; p += step)
        if (condition.matches(*m_store, m_store->storageRow(p)))
            return moveTo(p, ReasonMove);
    return moveTo(forward ? count : -1, ReasonMove);
}

QVariant RecordSet::value(int field) const {
    if (!m_store || field < 0 || field >= m_store->fieldCount())
        return QVariant();
    if (auto it = m_pending.constFind(field); it != m_pending.constEnd())
        return *it;
    if (m_editMode == EditAdd || !hasCurrent())
        return QVariant();
    return m_store->column(field).value(m_cursor.row);
}

QVariant RecordSet::value(const QString& name) const {
    return value(fieldIndex(name));
}

int RecordSet::keyFieldFor(const QString& table) const {
    for (int i = 0; i < fieldCount(); ++i) {
        const FieldInfo& f = field(i);
        if (f.keyOfBaseTable && f.baseTable.compare(table, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString RecordSet::insertTable() const {
    // The table whose key comes first; failing that, the one table all fields come from.
    for (int i = 0; i < fieldCount(); ++i)
        if (field(i).keyOfBaseTable)
            return field(i).baseTable;
    QString table;
    for (int i = 0; i < fieldCount(); ++i) {
        const QString& t = field(i).baseTable;
        if (t.isEmpty() || (!table.isEmpty() && t.compare(table, Qt::CaseInsensitive) != 0))
            return {};
        table = t;
    }
    return table;
}

bool RecordSet::isUpdatable(int index) const {
    if (!m_store || index < 0 || index >= fieldCount() || isReadOnly())
        return false;
    const FieldInfo& f = field(index);
    if (f.baseTable.isEmpty())
        return false;
    if (m_editMode == EditAdd)
        return f.baseTable.compare(insertTable(), Qt::CaseInsensitive) == 0;
    return keyFieldFor(f.baseTable) >= 0;
}

bool RecordSet::setValue(int index, const QVariant& newValue) {
    if (!m_store || index < 0 || index >= fieldCount())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Item cannot be found in the collection corresponding to the "
                                   "requested name or ordinal."));
    if (!hasCurrent())
        return failNoCurrent();
    if (isReadOnly())
        return fail(3251, QStringLiteral("Current Recordset does not support updating."));
    if (!isUpdatable(index))
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("The field '%1' cannot be updated.").arg(field(index).name));
    QVariant normalised;
    if (!m_store->column(index).normalise(newValue, &normalised))
        return fail(
            ErrorNumber::kTypeMismatch,
            QStringLiteral("The value does not suit the field '%1'.").arg(field(index).name));
    if (m_editMode == EditNone) {
        bool cancel = false;
        emit willChangeRecord(ReasonFirstChange, 1, &cancel);
        if (cancel)
            return fail(-2147217842, QStringLiteral("Operation was canceled."));
        m_editMode = EditInProgress;
    }
    m_pending.insert(index, normalised);
    return true;
}

bool RecordSet::setDerivedValue(int index, const QVariant& value) {
    if (!m_store || index < 0 || index >= fieldCount())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Item cannot be found in the collection corresponding to the "
                                   "requested name or ordinal."));
    if (m_editMode == EditAdd || !hasCurrent())
        return failNoCurrent();
    if (!m_store->column(index).set(m_cursor.row, value))
        return fail(
            ErrorNumber::kTypeMismatch,
            QStringLiteral("The value does not suit the field '%1'.").arg(field(index).name));
    m_store->announceChanged(m_cursor.position);
    return true;
}

bool RecordSet::setValue(const QString& name, const QVariant& value) {
    return setValue(fieldIndex(name), value);
}

QVariant RecordSet::toSql(const FieldInfo& f, const QVariant& v) const {
    if (!v.isValid() || v.isNull())
        return QVariant(QMetaType(QMetaType::QString)); // NULL
    if (v.typeId() == qMetaTypeId<Money>())
        return v.value<Money>().toDouble();
    if (v.typeId() == QMetaType::QDateTime)
        return ColumnData::isoText(v.toDateTime());
    if (f.type == FieldType::Boolean)
        return v.toBool() ? 1 : 0;
    return v;
}

bool RecordSet::checkRequiredValues() {
    // The row is refused before the database is asked, as a row missing a required value always
    // is, so the user hears which value is missing and keeps what was typed.
    const QString table = m_editMode == EditAdd ? insertTable() : QString();
    for (int i = 0; i < fieldCount(); ++i) {
        const FieldInfo& f = field(i);
        if (f.baseTable.isEmpty() ||
            (!table.isEmpty() && f.baseTable.compare(table, Qt::CaseInsensitive) != 0))
            continue;
        if (!Schema::requiredColumns(f.baseTable).contains(f.baseColumn, Qt::CaseInsensitive))
            continue;
        const QVariant v = m_pending.contains(i)   ? m_pending.value(i)
                           : m_editMode == EditAdd ? QVariant()
                                                   : m_store->column(i).value(m_cursor.row);
        if (!v.isNull() && v.isValid() && !v.toString().trimmed().isEmpty())
            continue;
        m_lastError = {
            ErrorNumber::kGenericFailure,
            QStringLiteral("A value is required for %1.%2.").arg(f.baseTable, f.baseColumn),
            ErrorNumber::kRequiredValueMissing};
        if (m_connection)
            m_connection->reportError(m_lastError);
        emit recordChangeComplete(ReasonUpdate, 1, m_lastError);
        return false;
    }
    return true;
}

QList<int> RecordSet::fieldsOf(const QString& table) const {
    QList<int> out;
    for (int i = 0; i < fieldCount(); ++i)
        if (!field(i).baseColumn.isEmpty() &&
            field(i).baseTable.compare(table, Qt::CaseInsensitive) == 0)
            out << i;
    return out;
}

bool RecordSet::readStored(const QString& table, const QList<int>& fields,
                           std::vector<ColumnData>* stored, bool* found) {
    const int key = keyFieldFor(table);
    QStringList columns;
    for (int f : fields)
        columns << quoteIdentifier(field(f).baseColumn);
    Statement q(m_connection->database(),
                QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                    .arg(columns.join(QStringLiteral(", ")), quoteIdentifier(table),
                         quoteIdentifier(field(key).baseColumn)));
    if (!q.bindAll({toSql(field(key), m_store->column(key).value(m_cursor.row))})) {
        m_lastError = m_connection->reportError(q.error());
        return false;
    }
    *found = q.next();
    if (q.failed()) {
        m_lastError = m_connection->reportError(q.error());
        return false;
    }
    stored->clear();
    if (*found)
        for (qsizetype i = 0; i < fields.size(); ++i) {
            // Read as the set first read it, by the column's declared kind, so an amount or a
            // date compares as what the user saw. A column that has since taken a value of
            // another kind (a text in a date column) holds the others as they were read then:
            // a date to the second, not the stored text with its milliseconds.
            stored->emplace_back(storageKindFor(field(fields.at(i)).type));
            stored->back().appendFromStatement(q, int(i));
        }
    return true;
}

bool RecordSet::checkUnchanged(const QString& table, bool* gone) {
    const QList<int> fields = fieldsOf(table);
    std::vector<ColumnData> stored;
    bool found = false;
    if (!readStored(table, fields, &stored, &found))
        return false;
    *gone = !found;
    if (!found)
        return true;
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (!stored[size_t(i)].sameAs(0, m_store->column(fields.at(i)), m_cursor.row))
            return fail(changedMeanwhile(ErrorNumber::kRecordChanged));
    return true;
}

bool RecordSet::takeStored(const QString& table) {
    const QList<int> fields = fieldsOf(table);
    std::vector<ColumnData> stored;
    bool found = false;
    if (!readStored(table, fields, &stored, &found))
        return false;
    if (!found)
        return fail(changedMeanwhile(ErrorNumber::kRecordDeleted));
    for (qsizetype i = 0; i < fields.size(); ++i)
        m_store->column(fields.at(i)).set(m_cursor.row, stored[size_t(i)].value(0));
    return true;
}

bool RecordSet::writeExisting() {
    // Group the changed fields by the table they belong to; each table is written by its key.
    QHash<QString, QList<int>> byTable;
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it)
        byTable[field(it.key()).baseTable.toLower()].append(it.key());
    Database& db = m_connection->database();
    Transaction transaction(db);
    QStringList written;
    for (auto it = byTable.constBegin(); it != byTable.constEnd(); ++it) {
        const QString table = field(it.value().first()).baseTable;
        const int key = keyFieldFor(table);
        // The row must still hold what was read: a write over another window's or program's
        // change would lose that change without anyone seeing it.
        bool gone = false;
        if (!checkUnchanged(table, &gone))
            return false;
        if (gone)
            return fail(changedMeanwhile(ErrorNumber::kRecordDeleted));
        QStringList sets;
        QVariantList values;
        for (int f : it.value()) {
            sets << quoteIdentifier(field(f).baseColumn) + QStringLiteral(" = ?");
            values << toSql(field(f), m_pending.value(f));
        }
        values << toSql(field(key), m_store->column(key).value(m_cursor.row));
        Statement q(db, QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                            .arg(quoteIdentifier(table), sets.join(QStringLiteral(", ")),
                                 quoteIdentifier(field(key).baseColumn)));
        if (!q.bindAll(values) || !q.execute()) {
            m_lastError = m_connection->reportError(q.error());
            return false;
        }
        if (db.changes() == 0)
            return fail(ErrorNumber::kRowNotFound,
                        QStringLiteral("Row cannot be located for updating. Some values may have "
                                       "been changed since it was last read."));
        written << table;
    }
    if (!transaction.commit()) {
        m_lastError = m_connection->reportError(db.error());
        return false;
    }
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it)
        m_store->column(it.key()).set(m_cursor.row, it.value());
    // The rows then hold what the file holds (a date to the second, an amount to the
    // ten-thousandth), so the next write of the row compares like with like.
    for (const QString& table : written)
        takeStored(table);
    return true;
}

bool RecordSet::writeNew(int* newRow) {
    const QString table = insertTable();
    if (table.isEmpty())
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Insufficient base table information for updating."));
    QStringList columns;
    QVariantList values;
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it) {
        const FieldInfo& f = field(it.key());
        if (f.baseTable.compare(table, Qt::CaseInsensitive) != 0 || it.value().isNull())
            continue;
        columns << quoteIdentifier(f.baseColumn);
        values << toSql(f, it.value());
    }
    QString sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table));
    if (!columns.isEmpty()) {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoteIdentifier(table), columns.join(QStringLiteral(", ")),
                       marks.join(QStringLiteral(", ")));
    }
    Database& db = m_connection->database();
    Statement q(db, sql);
    if (!q.bindAll(values) || !q.execute()) {
        m_lastError = m_connection->reportError(q.error());
        return false;
    }
    const QVariant newKey = db.lastInsertId();
    QVariantList row;
    for (int i = 0; i < fieldCount(); ++i) {
        const FieldInfo& f = field(i);
        if (m_pending.contains(i))
            row << m_pending.value(i);
        else if (f.keyOfBaseTable && f.baseTable.compare(table, Qt::CaseInsensitive) == 0)
            row << newKey;
        else
            row << QVariant();
    }
    *newRow = m_store->appendRow(row);
    return true;
}

bool RecordSet::update() {
    if (!m_store)
        return failNoCurrent();
    if (m_editMode == EditNone)
        return true;
    if (isReadOnly())
        return fail(3251, QStringLiteral("Current Recordset does not support updating."));
    bool cancel = false;
    emit willChangeRecord(ReasonUpdate, 1, &cancel);
    if (cancel) {
        fail(-2147217842, QStringLiteral("Operation was canceled."));
        emit recordChangeComplete(ReasonUpdate, 1, m_lastError);
        return false;
    }
    m_lastError = {};
    if (!checkRequiredValues())
        return false;
    bool ok = false;
    if (m_editMode == EditAdd) {
        int row = -1;
        ok = writeNew(&row);
        if (ok) {
            m_editMode = EditNone;
            m_pending.clear();
            sync();
            m_cursor.row = row;
            m_cursor.position = m_store->positionOf(row);
            m_cursor.deleted = false;
            // What the file made of the new row (its key, an amount as stored) from the start.
            if (const QString table = insertTable(); keyFieldFor(table) >= 0)
                takeStored(table);
        }
    } else {
        ok = writeExisting();
        if (ok) {
            m_editMode = EditNone;
            m_pending.clear();
            m_store->announceChanged(m_cursor.position);
        }
    }
    if (ok && m_connection)
        m_connection->clearErrors();
    emit recordChangeComplete(ReasonUpdate, 1, ok ? DbError{} : m_lastError);
    return ok;
}

bool RecordSet::cancelUpdate() {
    if (!m_store || m_editMode == EditNone)
        return true;
    const Reason reason = m_editMode == EditAdd ? ReasonUndoAddNew : ReasonUndoUpdate;
    bool cancel = false;
    emit willChangeRecord(reason, 1, &cancel);
    if (cancel)
        return fail(-2147217842, QStringLiteral("Operation was canceled."));
    const bool wasAdding = m_editMode == EditAdd;
    m_editMode = EditNone;
    m_pending.clear();
    emit recordChangeComplete(reason, 1, DbError{});
    if (wasAdding)
        emit moveComplete(ReasonMove); // back on the row that was current before
    return true;
}

bool RecordSet::addNew() {
    if (!m_store)
        return failNoCurrent();
    if (isReadOnly())
        return fail(3251, QStringLiteral("Current Recordset does not support updating."));
    if (!commitPendingBeforeMove())
        return false;
    bool cancel = false;
    emit willChangeRecord(ReasonAddNew, 1, &cancel);
    if (cancel)
        return fail(-2147217842, QStringLiteral("Operation was canceled."));
    sync();
    m_editMode = EditAdd;
    m_pending.clear();
    emit recordChangeComplete(ReasonAddNew, 1, DbError{});
    emit moveComplete(ReasonMove);
    return true;
}

bool RecordSet::deleteCurrent() {
    if (m_editMode == EditAdd)
        return cancelUpdate();
    if (!hasCurrent())
        return failNoCurrent();
    if (isReadOnly())
        return fail(3251, QStringLiteral("Current Recordset does not support updating."));
    const QString table = insertTable();
    const int key = keyFieldFor(table);
    if (key < 0)
        return fail(ErrorNumber::kGenericFailure,
                    QStringLiteral("Insufficient key column information for deleting."));
    bool cancel = false;
    emit willChangeRecord(ReasonDelete, 1, &cancel);
    if (cancel)
        return fail(-2147217842, QStringLiteral("Operation was canceled."));
    // A row changed meanwhile is not deleted unseen; one deleted meanwhile is simply gone.
    bool gone = false;
    if (!checkUnchanged(table, &gone)) {
        emit recordChangeComplete(ReasonDelete, 1, m_lastError);
        return false;
    }
    Statement q(m_connection->database(),
                QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
                    .arg(quoteIdentifier(table), quoteIdentifier(field(key).baseColumn)));
    if (!q.bindAll({toSql(field(key), m_store->column(key).value(m_cursor.row))}) || !q.execute()) {
        m_lastError = m_connection->reportError(q.error());
        emit recordChangeComplete(ReasonDelete, 1, m_lastError);
        return false;
    }
    // Only a delete that happened drops what was being typed into the row.
    m_editMode = EditNone;
    m_pending.clear();
    m_connection->clearErrors();
    m_lastError = {};
    const int position = m_cursor.position;
    m_store->removeAt(position);
    sync();
    m_cursor.position = position;
    m_cursor.row = -1;
    m_cursor.deleted = true;
    emit recordChangeComplete(ReasonDelete, 1, DbError{});
    return true;
}

bool RecordSet::refreshCurrent() {
    if (m_editMode == EditAdd || !hasCurrent())
        return failNoCurrent();
    QStringList tables;
    for (int i = 0; i < fieldCount(); ++i)
        if (field(i).keyOfBaseTable && !tables.contains(field(i).baseTable, Qt::CaseInsensitive))
            tables << field(i).baseTable;
    for (const QString& table : tables)
        if (!takeStored(table))
            return false;
    m_lastError = {};
    m_store->announceChanged(m_cursor.position);
    emit recordChangeComplete(ReasonUpdate, 1, DbError{});
    return true;
}

std::unique_ptr<RecordSet> RecordSet::clone() const {
    auto copy = std::make_unique<RecordSet>();
    copy->m_connection = m_connection;
    copy->m_source = m_source;
    copy->m_values = m_values;
    copy->m_lockType = m_lockType;
    copy->m_store = m_store;
    sync();
    copy->m_cursor = m_cursor;
    return copy;
}
