#include "data/connection.h"
#include "data/database.h"
#include "data/formats.h"
#include "pricelist/core/import.h"

#include <QDateTime>
#include <QHash>

namespace {
constexpr int kProgressStep = 512;

// A lookup list (manufacturers or categories) by name, without regard to case; names missing
// from it are added when allowed.
class NameList {
public:
    NameList(Database& db, const char* table, const char* key, const char* name)
        : m_db(db), m_table(QLatin1String(table)), m_name(QLatin1String(name)) {
        Statement all(
            db, QStringLiteral("SELECT %1, %2 FROM %3").arg(QLatin1String(key), m_name, m_table));
        while (all.next())
            m_ids.insert(all.value(1).toString().trimmed().toCaseFolded(), all.integer(0));
        m_failed = all.failed();
        if (m_failed)
            m_error = all.error();
    }
    bool failed() const { return m_failed; }
    const DbError& error() const { return m_error; }

    // The name's key, 0 when it is not listed and may not be added, or -1 when adding failed.
    qint64 idOf(const QString& name, bool add) {
        const QString folded = name.trimmed().toCaseFolded();
        if (folded.isEmpty())
            return 0;
        if (const auto found = m_ids.constFind(folded); found != m_ids.cend())
            return *found;
        if (!add)
            return 0;
        Statement insert(m_db,
                         QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(m_table, m_name));
        insert.bindAll({name.trimmed()});
        if (!insert.execute()) {
            m_error = insert.error();
            return -1;
        }
        const qint64 id = m_db.lastInsertId();
        m_ids.insert(folded, id);
        return id;
    }

private:
    Database& m_db;
    QString m_table;
    QString m_name;
    QHash<QString, qint64> m_ids;
    bool m_failed = false;
    DbError m_error;
};

// A text field of the report. Text a spreadsheet would take for a formula (=HYPERLINK(...),
// =cmd|...) or for a number (+1, -100, @x) is led by an apostrophe, which spreadsheets read as
// "text" and do not show; the amounts, which the program writes itself, stay numbers.
QString csvField(QString text) {
    if (!text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Why a new material could not be given a manufacturer or category.
QString missingName(const QString& what, const QString& name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("no %1 given, and no default chosen").arg(what);
    return QStringLiteral("no %1 \"%2\" on the list").arg(what, name.trimmed());
}

QString plainAmount(Money amount) {
    return formatValue(QVariant::fromValue(amount), QString());
}
} // namespace

bool applyPriceList(Connection& connection, const PriceListPreview& preview,
                    const ApplyOptions& options, ApplyResult* result, DbError* error,
                    const PriceListProgress& progress) {
    *result = {};
    Database& db = connection.database();
    Transaction transaction(db);
    auto fail = [&](const DbError& why) {
        transaction.rollback();
        *result = {};
        *error = why;
        return false;
    };
    const qint64 total = preview.changed.size() + (options.addNew ? preview.added.size() : 0);
    qint64 done = 0;
    auto goOn = [&] {
        ++done;
        return !progress || done % kProgressStep != 0 || progress(done, total);
    };
    const DbError cancelled{ErrorNumber::kGenericFailure, QStringLiteral("Cancelled.")};
    // Only a changed unit cost gets today's price date.
    const QDateTime today = QDateTime::currentDateTime();
    // Each material read again inside the transaction, as a screen's save reads its row: one
    // saved elsewhere since the preview keeps what was saved.
    Statement current(db, QStringLiteral("SELECT PartNumber, UnitCost FROM MaterialsTBL "
                                         "WHERE MaterialsID = ? AND SuppliersID = ?"));
    Statement update(db, QStringLiteral("UPDATE MaterialsTBL SET UnitCost = ?, UpdatedLast = ? "
                                        "WHERE MaterialsID = ? AND SuppliersID = ?"));
    for (const PriceChange& change : preview.changed) {
        current.reset();
        current.bindAll({change.materialId, options.supplierId});
        const bool found = current.next();
        if (current.failed())
            return fail(current.error());
        const QString meanwhile =
            !found ? QStringLiteral("deleted or moved to another supplier since the preview")
            : current.value(0).toString() != change.storedPartNumber
                ? QStringLiteral("part number changed to \"%1\" since the preview")
                      .arg(current.value(0).toString())
            : Money::fromDouble(current.real(1)) != change.oldCost
                ? QStringLiteral("unit cost changed to %1 since the preview")
                      .arg(plainAmount(Money::fromDouble(current.real(1))))
                : QString();
        if (!meanwhile.isEmpty()) {
            result->changes.append({AppliedChange::ChangedMeanwhile, change.row, change.partNumber,
                                    change.description, change.oldCost, change.newCost, meanwhile});
            ++result->changedMeanwhile;
            continue;
        }
        update.reset();
        update.bindAll(
            {QVariant::fromValue(change.newCost), today, change.materialId, options.supplierId});
        if (!update.execute())
            return fail(update.error());
        result->changes.append({AppliedChange::PriceChanged,
                                change.row,
                                change.partNumber,
                                change.description,
                                change.oldCost,
                                change.newCost,
                                {}});
        ++result->priceChanges;
        if (!goOn())
            return fail(cancelled);
    }
    if (options.addNew && !preview.added.isEmpty()) {
        NameList manufacturers(db, "ManufacturersTBL", "ManufacturerID", "ManufacturerName");
        NameList categories(db, "CatagoryTBL", "CatagoryID", "Catagory");
        for (const NameList* list : {&manufacturers, &categories})
            if (list->failed())
                return fail(list->error());
        Statement insert(db, QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, "
                                            "SuppliersID, CatagoryID, PartNumber, "
                                            "ManufacturerDescription, UnitCost, UpdatedLast) "
                                            "VALUES (?, ?, ?, ?, ?, ?, ?)"));
        for (const NewMaterialRow& row : preview.added) {
            AppliedChange change{AppliedChange::Added, row.row, row.partNumber, row.description, {},
                                 row.unitCost,         {}};
            const QString elsewhere = row.listedUnder.join(QStringLiteral(", "));
            if (!row.isToBeAdded()) {
                // Most often the other supplier's material: not listed twice unasked, and its
                // names are not added to the lists either.
                change.kind = AppliedChange::NotAdded;
                change.listedUnder = row.listedUnder;
                change.note = QStringLiteral("already listed under %1; added under this list's "
                                             "supplier only when its row is ticked in the preview")
                                  .arg(elsewhere);
                result->changes.append(change);
                continue;
            }
            qint64 manufacturer = manufacturers.idOf(row.manufacturer, options.createMissingNames);
            qint64 category = categories.idOf(row.category, options.createMissingNames);
            if (manufacturer < 0)
                return fail(manufacturers.error());
            if (category < 0)
                return fail(categories.error());
            manufacturer = manufacturer ? manufacturer : options.defaultManufacturerId;
            category = category ? category : options.defaultCategoryId;
            if (manufacturer == 0 || category == 0) {
                change.kind = AppliedChange::NotAdded;
                change.note = manufacturer == 0
                                  ? missingName(QStringLiteral("manufacturer"), row.manufacturer)
                                  : missingName(QStringLiteral("category"), row.category);
                result->changes.append(change);
                continue;
            }
            if (row.isListedElsewhere())
                change.note = QStringLiteral("also listed under %1").arg(elsewhere);
            insert.reset();
            insert.bindAll({manufacturer, options.supplierId, category, row.partNumber,
                            row.description, QVariant::fromValue(row.unitCost), today});
            if (!insert.execute())
                return fail(insert.error());
            result->changes.append(change);
            ++result->added;
            if (!goOn())
                return fail(cancelled);
        }
    }
    if (!transaction.commit())
        return fail(db.error());
    std::sort(result->changes.begin(), result->changes.end(),
              [](const AppliedChange& a, const AppliedChange& b) { return a.row < b.row; });
    return true;
}

QString appliedChangeName(const AppliedChange& change) {
    switch (change.kind) {
    case AppliedChange::Added:
        return QStringLiteral("Added");
    case AppliedChange::NotAdded:
        return change.listedUnder.isEmpty() ? QStringLiteral("Not added")
                                            : listedUnderText(change.listedUnder);
    case AppliedChange::ChangedMeanwhile:
        return QStringLiteral("Changed since the preview");
    case AppliedChange::PriceChanged:
        break;
    }
    return QStringLiteral("Price changed");
}

QByteArray changeReportCsv(const ApplyResult& result) {
    QString csv = QStringLiteral("Row,Part Number,Description,Change,Old Unit Cost,New Unit Cost,"
                                 "Change %,Note\r\n");
    for (const AppliedChange& c : result.changes) {
        const bool priced =
            c.kind == AppliedChange::PriceChanged || c.kind == AppliedChange::ChangedMeanwhile;
        const QString percent =
            priced && !c.oldCost.isZero()
                ? QString::number((c.newCost - c.oldCost).toDouble() / c.oldCost.toDouble() * 100,
                                  'f', 1)
                : QString();
        csv += QStringList{QString::number(c.row),
                           csvField(c.partNumber),
                           csvField(c.description),
                           csvField(appliedChangeName(c)),
                           priced ? plainAmount(c.oldCost) : QString(),
                           plainAmount(c.newCost),
                           percent,
                           csvField(c.note)}
                   .join(QLatin1Char(',')) +
               QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}
