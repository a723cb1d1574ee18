#include "data/databasecopy.h"

#include "data/database.h"
#include "data/money.h"
#include "data/schema.h"
#include "data/sqldialect.h"

#include <QFileInfo>
#include <QList>
#include <QStringList>
#include <QVariantList>

namespace {

// The program's tables, each after those it refers to. The work table of the printed quote is
// scratch, and DatabaseInfo belongs to the database it is in (a file's password verifier, a
// server's structure number): neither is copied.
const char* const kTables[] = {
    "CatagoryTBL",         "ManufacturersTBL", "SuppliersTBL", "Estimators",
    "StatusesTBL",         "CustomersTBL",     "MaterialsTBL", "EstimateTBL",
    "MaterialEstimateTBL", "LaborEstimateTBL", "MyCompany",    "ColumnDescriptions",
};

// Rows per INSERT: a statement takes at most 999 values in older SQLite builds.
constexpr int kMostValues = 999;

QString place(const QString& path) {
    return SqlDialect::isServerAddress(path) ? SqlDialect::shownAddress(path)
                                             : QStringLiteral("\"%1\"").arg(path);
}

struct Table {
    QString name;
    QStringList columns;
    QStringList amounts; // the columns declared CURRENCY
};

// A table's row count and the sums of its amount columns, in ten-thousandths, exactly: on a
// file the stored doubles are brought to whole units before they are added.
QList<qint64> tally(Database& db, const Table& table, QString* error) {
    QStringList sums{QStringLiteral("COUNT(*)")};
    for (const QString& amount : table.amounts)
        sums << QStringLiteral("COALESCE(SUM(CAST(ROUND(%1 * 10000) AS INTEGER)), 0)").arg(amount);
    Statement q(
        db, QStringLiteral("SELECT %1 FROM %2").arg(sums.join(QStringLiteral(", ")), table.name));
    QList<qint64> found;
    if (!q.next()) {
        *error = q.error().description;
        return found;
    }
    for (int i = 0; i < q.columnCount(); ++i)
        found << q.integer(i);
    return found;
}

bool describe(Database& db, const QString& name, Table* table, QString* error) {
    Statement q(db, QStringLiteral("SELECT * FROM %1").arg(name));
    if (!q.isValid() || q.columnCount() == 0) {
        *error = QStringLiteral("The source has no table %1: %2").arg(name, q.error().description);
        return false;
    }
    table->name = name;
    for (int i = 0; i < q.columnCount(); ++i) {
        table->columns << q.columnName(i);
        if (q.declaredType(i).compare(QLatin1String("CURRENCY"), Qt::CaseInsensitive) == 0)
            table->amounts << q.columnName(i);
    }
    return true;
}

class Copier {
public:
    Copier(Database& source, DatabaseCopy::Summary* summary, const DatabaseCopy::Progress& progress)
        : m_source(source), m_summary(summary), m_progress(progress) {}

    bool prepare(QString* error) {
        for (const char* name : kTables) {
            Table table;
            if (!describe(m_source, QLatin1String(name), &table, error))
                return false;
            const QList<qint64> counts = tally(m_source, table, error);
            if (counts.isEmpty())
                return false;
            m_total += counts.first();
            m_tables << table;
            m_counts << counts;
        }
        return true;
    }

    bool fill(Database& destination, QString* error) {
        Transaction whole(destination);
        // A new database comes with its first rows (statuses, descriptions, the company's row):
        // the copy's take their place.
        for (auto it = std::rbegin(kTables); it != std::rend(kTables); ++it)
            if (Statement clear(destination,
                                QStringLiteral("DELETE FROM %1").arg(QLatin1String(*it)));
                !clear.execute()) {
                *error = clear.error().description;
                return false;
            }
        for (qsizetype t = 0; t < m_tables.size(); ++t) {
            if (!copyTable(destination, m_tables.at(t), error))
                return false;
            const QList<qint64> copied = tally(destination, m_tables.at(t), error);
            if (copied != m_counts.at(t)) {
                if (error->isEmpty())
                    *error = QStringLiteral("The copy of %1 does not match its source (rows and "
                                            "amounts: %2 against %3), so nothing was kept.")
                                 .arg(m_tables.at(t).name, joined(copied), joined(m_counts.at(t)));
                return false;
            }
        }
        if (!whole.commit()) {
            *error = destination.error().description;
            return false;
        }
        if (m_summary)
            *m_summary = {int(m_tables.size()), m_copied};
        return true;
    }

private:
    static QString joined(const QList<qint64>& values) {
        QStringList texts;
        for (const qint64 v : values)
            texts << QString::number(v);
        return texts.join(QLatin1Char('/'));
    }

    bool copyTable(Database& destination, const Table& table, QString* error) {
        const auto columns = int(table.columns.size());
        const int perStatement = std::max(1, kMostValues / columns);
        QList<bool> isAmount;
        for (const QString& column : table.columns)
            isAmount << table.amounts.contains(column);
        Statement rows(m_source, QStringLiteral("SELECT %1 FROM %2")
                                     .arg(table.columns.join(QStringLiteral(", ")), table.name));
        QVariantList values;
        int pending = 0;
        const auto flush = [&]() -> bool {
            if (pending == 0)
                return true;
            const QString row = QStringLiteral("(") +
                                QStringList(columns, QStringLiteral("?")).join(QLatin1Char(',')) +
                                QLatin1Char(')');
            Statement insert(destination,
                             QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                 .arg(table.name, table.columns.join(QStringLiteral(", ")),
                                      QStringList(pending, row).join(QLatin1Char(','))));
            if (!insert.bindAll(values) || !insert.execute()) {
                *error = QStringLiteral("A row of %1 could not be copied: %2")
                             .arg(table.name, insert.error().description);
                return false;
            }
            m_copied += pending;
            values.clear();
            pending = 0;
            return !m_progress || m_progress(m_copied, m_total) || stopped(error);
        };
        while (rows.next()) {
            for (int c = 0; c < columns; ++c) {
                const QVariant v = rows.value(c);
                // Amounts travel exactly, never as the nearest double.
                values << (isAmount.at(c) && !v.isNull()
                               ? QVariant::fromValue(Money::fromDouble(v.toDouble()))
                               : v);
            }
            if (++pending == perStatement && !flush())
                return false;
        }
        if (rows.failed()) {
            *error = rows.error().description;
            return false;
        }
        return flush();
    }

    static bool stopped(QString* error) {
        *error = QStringLiteral("The copy was stopped; nothing was kept.");
        return false;
    }

    Database& m_source;
    DatabaseCopy::Summary* m_summary;
    DatabaseCopy::Progress m_progress;
    QList<Table> m_tables;
    QList<QList<qint64>> m_counts;
    qint64 m_total = 0;
    qint64 m_copied = 0;
};

} // namespace

namespace DatabaseCopy {

bool copy(const QString& from, const QString& to, QString* error, Summary* summary,
          const Progress& progress) {
    QString ignored;
    if (!error)
        error = &ignored;
    if (from.trimmed().isEmpty() || to.trimmed().isEmpty()) {
        *error = QStringLiteral("Name both the database to copy and where to copy it.");
        return false;
    }
    if (!SqlDialect::isServerAddress(from) && !QFileInfo(from).isFile()) {
        *error = QStringLiteral("Could not find file '%1'.").arg(from);
        return false;
    }
    Database source;
    if (!source.open(from, Database::OpenMode::ReadOnly)) {
        *error = QStringLiteral("%1 could not be opened: %2")
                     .arg(place(from), source.error().description);
        return false;
    }
    if (!Schema::isProgramFile(source)) {
        *error = QStringLiteral("%1 holds no Plenwick data.").arg(place(from));
        return false;
    }
    if (Schema::fileStructure(source) != Schema::kStructureVersion) {
        *error = QStringLiteral("%1 is not of this version's structure. Open it with this "
                                "version of Plenwick first, which brings it up to date, then copy "
                                "it.")
                     .arg(place(from));
        return false;
    }
    // What the source holds is read in one transaction, so the copy is of one moment even while
    // others write.
    Transaction reading(source);
    if (source.isServer())
        source.execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
    Copier copier(source, summary, progress);
    if (!copier.prepare(error))
        return false;
    const auto fill = [&copier](Database& destination, QString* message) {
        return copier.fill(destination, message);
    };
    return SqlDialect::isServerAddress(to) ? Schema::createOnServer(to, error, fill)
                                           : Schema::createFile(to, error, fill);
}

} // namespace DatabaseCopy
