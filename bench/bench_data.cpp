// Times the record-set layer against the bare SQLite cursor underneath it, on a generated
// database, and prints the figures as Markdown tables for docs/PERFORMANCE.md.
//
//   plenwick_bench [--generate] [--repeat N] [PATH]
//
// Without PATH the database is <temp>/plenwick-bench.mdb. A missing file is generated with the
// default demo counts first; --generate insists on generating (and so refuses an existing file).

#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/recordset.h"

#include "data/database.h"
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QTextStream>
#include <QVariantList>
#include <algorithm>
#include <vector>

using namespace Bench;

namespace {

// The same rows written with nested RIGHT JOINs. SQLite materialises the inner join and scans it
// once per manufacturer, so this form takes seconds; it is timed to show why the program uses
// the LEFT JOIN form below.
const QString kMaterialsNestedQuery = QStringLiteral(
    "SELECT MaterialsTBL.MaterialsID, MaterialsTBL.ManufacturerID, MaterialsTBL.SuppliersID, "
    "MaterialsTBL.CatagoryID, MaterialsTBL.PartNumber AS [Part #], "
    "ManufacturersTBL.ManufacturerName "
    "AS Manufacturer, CatagoryTBL.Catagory AS Category, SuppliersTBL.Company AS Supplier, "
    "MaterialsTBL.ManufacturerDescription AS Description, MaterialsTBL.UnitCost AS [Unit Cost], "
    "MaterialsTBL.UpdatedLast AS [Updated Last] FROM SuppliersTBL INNER JOIN (ManufacturersTBL "
    "RIGHT JOIN (CatagoryTBL RIGHT JOIN MaterialsTBL ON CatagoryTBL.CatagoryID = "
    "MaterialsTBL.CatagoryID) ON ManufacturersTBL.ManufacturerID = MaterialsTBL.ManufacturerID) ON "
    "SuppliersTBL.SuppliersID = MaterialsTBL.SuppliersID ORDER BY MaterialsTBL.MaterialsID ;");
// The materials list as the catalogue screen asks for it: suppliers inner-joined (a material
// without one is not listed), manufacturers and categories outer-joined.
const QString kMaterialsQuery = QStringLiteral(
    "SELECT MaterialsTBL.MaterialsID, MaterialsTBL.ManufacturerID, MaterialsTBL.SuppliersID, "
    "MaterialsTBL.CatagoryID, MaterialsTBL.PartNumber AS [Part #], "
    "ManufacturersTBL.ManufacturerName "
    "AS Manufacturer, CatagoryTBL.Catagory AS Category, SuppliersTBL.Company AS Supplier, "
    "MaterialsTBL.ManufacturerDescription AS Description, MaterialsTBL.UnitCost AS [Unit Cost], "
    "MaterialsTBL.UpdatedLast AS [Updated Last] FROM MaterialsTBL INNER JOIN SuppliersTBL ON "
    "SuppliersTBL.SuppliersID = MaterialsTBL.SuppliersID LEFT JOIN ManufacturersTBL ON "
    "ManufacturersTBL.ManufacturerID = MaterialsTBL.ManufacturerID LEFT JOIN CatagoryTBL ON "
    "CatagoryTBL.CatagoryID = MaterialsTBL.CatagoryID ORDER BY MaterialsTBL.MaterialsID ;");
const QString kMonthQuery =
    QStringLiteral("SELECT * FROM EstimatesAll WHERE [Date] >= ? AND [Date] < ?");
const QString kSumsQuery = QStringLiteral("SELECT * FROM PXSum WHERE EstimateID = ?");

QStringList queryPlan(Connection& connection, const QString& sql, const QVariantList& values) {
    Statement q(connection.database(), QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    QStringList lines;
    if (!q.bindAll(values))
        return {q.error().description};
    while (q.next())
        lines << q.value(3).toString();
    if (q.failed())
        return {q.error().description};
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench"), QStringLiteral("Times the record-set layer."),
               &options))
        return 1;
    const QString& path = options.path;
    const int repeat = options.repeat;
    const double generationSeconds = options.generationSeconds;

    Connection connection;
    if (!openDatabase(connection, path))
        return 1;

    // The sample month is the one holding the middle estimate by date; the sample estimate is
    // the middle key.
    const int estimates =
        scalar(connection, QStringLiteral("SELECT COUNT(*) FROM EstimateTBL")).toInt();
    const QDate middle = QDate::fromString(
        scalar(connection,
               QStringLiteral("SELECT substr(EstimateData, 1, 10) FROM EstimateTBL "
                              "ORDER BY EstimateData LIMIT 1 OFFSET ?"),
               {estimates / 2})
            .toString(),
        QStringLiteral("yyyy-MM-dd"));
    const QDate monthStart = middle.isValid() ? QDate(middle.year(), middle.month(), 1)
                                              : QDate(QDate::currentDate().year(), 1, 1);
    const QVariantList monthValues = {
        monthStart.toString(QStringLiteral("yyyy-MM-dd")),
        monthStart.addMonths(1).toString(QStringLiteral("yyyy-MM-dd"))};
    const QVariantList sumValues = {
        scalar(connection,
               QStringLiteral("SELECT EstimateID FROM EstimateTBL ORDER BY EstimateID "
                              "LIMIT 1 OFFSET ?"),
               {estimates / 2})};

    // Memory first, in a process that has not yet held a record set: warm SQLite's page cache
    // with one bare pass, then measure what the open set adds.
    bareRows(connection, kMaterialsQuery, {});
    const Memory before = processMemory();
    Timed materials{QStringLiteral("Materials list, all rows (record set open)"), 0, 0, 0};
    qint64 heldKiB = -1;
    {
        RecordSet set;
        if (!set.open(connection, kMaterialsQuery)) {
            err() << "plenwick_bench: " << set.lastError().description << "\n";
            return 1;
        }
        const Memory after = processMemory();
        if (before.residentKiB >= 0 && after.residentKiB >= 0)
            heldKiB = after.residentKiB - before.residentKiB;
        materials.rows = set.recordCount();
    }

    std::vector<Timed> rows;
    materials.ms = timeMedian(repeat, [&] {
        RecordSet set;
        set.open(connection, kMaterialsQuery);
    });
    materials.floorMs = timeMedian(repeat, [&] { bareRows(connection, kMaterialsQuery, {}); });
    rows.push_back(materials);

    Timed leftJoin{QStringLiteral("Same rows, nested RIGHT JOIN form (diagnostic)"), 0, 0, 0};
    leftJoin.ms = timeMedian(repeat, [&] {
        RecordSet set;
        set.open(connection, kMaterialsNestedQuery);
        leftJoin.rows = set.recordCount();
    });
    leftJoin.floorMs = timeMedian(repeat, [&] { bareRows(connection, kMaterialsNestedQuery, {}); });
    rows.push_back(leftJoin);

    // A find for a key near the end scans nearly the whole set.
    QString findFloorNote;
    {
        RecordSet set;
        set.open(connection, kMaterialsQuery);
        const int keyField = set.fieldIndex(QStringLiteral("MaterialsID"));
        std::vector<qint64> keys;
        keys.reserve(size_t(set.recordCount()));
        for (set.moveFirst(); !set.isEOF(); set.moveNext())
            keys.push_back(set.value(keyField).toLongLong());
        const qint64 wanted =
            keys.empty() ? 1 : keys[keys.size() - std::min<size_t>(10, keys.size())];
        const QString criteria = QStringLiteral("MaterialsID=%1").arg(wanted);
        Timed find{QStringLiteral("Find \"") + criteria + QStringLiteral("\" in it"), 1, 0, 0};
        findFloorNote = QStringLiteral("loop over a std::vector<qint64> of the keys");
        bool found = false;
        find.ms = timeMedian(repeat * 5, [&] {
            set.moveFirst();
            found = set.find(criteria) && !set.isEOF();
        });
        if (!found || set.value(keyField).toLongLong() != wanted)
            err() << "plenwick_bench: the find did not land on " << wanted << "\n";
        volatile qint64 sink = 0;
        find.floorMs = timeMedian(repeat * 5, [&] {
            for (size_t i = 0; i < keys.size(); ++i)
                if (keys[i] == wanted) {
                    sink = qint64(i);
                    break;
                }
        });
        (void)sink;
        rows.push_back(find);
    }

    Timed month{QStringLiteral("EstimatesAll for ") +
                    monthStart.toString(QStringLiteral("MMMM yyyy")),
                0, 0, 0};
    month.ms = timeMedian(repeat * 3, [&] {
        RecordSet set;
        set.open(connection, kMonthQuery, monthValues);
        month.rows = set.recordCount();
    });
    month.floorMs = timeMedian(repeat * 3, [&] { bareRows(connection, kMonthQuery, monthValues); });
    rows.push_back(month);

    Timed sums{QStringLiteral("PXSum for estimate ") + sumValues.value(0).toString(), 0, 0, 0};
    sums.ms = timeMedian(repeat * 15, [&] {
        RecordSet set;
        set.open(connection, kSumsQuery, sumValues);
        sums.rows = set.recordCount();
    });
    sums.floorMs = timeMedian(repeat * 15, [&] { bareRows(connection, kSumsQuery, sumValues); });
    rows.push_back(sums);

    const Memory end = processMemory();

    out() << "Database: " << QFileInfo(path).absoluteFilePath() << " ("
          << number(double(QFileInfo(path).size()) / 1048576.0, 1) << " MiB)\n";
    if (generationSeconds >= 0)
        out() << "Generated with the default counts in " << number(generationSeconds, 2)
              << " s (the peak below then includes the generator).\n";
    out() << "SQLite " << scalar(connection, QStringLiteral("SELECT sqlite_version()")).toString()
          << ", Qt " << qVersion() << ", median of " << repeat << " runs (find: " << repeat * 5
          << ", month: " << repeat * 3 << ", sums: " << repeat * 15
          << ") after one warm-up run.\n\n";

    printTimes(QStringLiteral("Record set (ms)"), rows, [](double ms) { return number(ms, 3); });
    out() << "\nFloor: the same SQL stepped to its end with sqlite3_step, every column read";
    if (!findFloorNote.isEmpty())
        out() << "; for the find, a " << findFloorNote;
    out() << ".\n\n";

    out() << "| Memory | MiB |\n|---|---:|\n";
    out() << "| Held by the open materials record set (" << materials.rows
          << " rows, RSS after open minus before) | "
          << (heldKiB >= 0 ? number(double(heldKiB) / 1024.0, 1) : QStringLiteral("n/a")) << " |\n";
    out() << "| Process peak (VmHWM) | "
          << (end.peakKiB >= 0 ? number(double(end.peakKiB) / 1024.0, 1) : QStringLiteral("n/a"))
          << " |\n\n";

    out() << "Query plans:\n";
    const struct {
        const char* name;
        QString sql;
        QVariantList values;
    } plans[] = {{"materials", kMaterialsQuery, {}},
                 {"materials, nested RIGHT JOIN form", kMaterialsNestedQuery, {}},
                 {"month", kMonthQuery, monthValues},
                 {"sums", kSumsQuery, sumValues}};
    for (const auto& p : plans) {
        out() << "- " << p.name << ":\n";
        for (const QString& line : queryPlan(connection, p.sql, p.values))
            out() << "    " << line << "\n";
    }
    out().flush();
    return 0;
}
