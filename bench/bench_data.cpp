// Times the record-set layer against the bare SQLite cursor underneath it, on a generated
// database, and prints the figures as Markdown tables for docs/PERFORMANCE.md.
//
//   plenwick_bench [--generate] [--repeat N] [PATH]
//
// Without PATH the database is <temp>/plenwick-bench.mdb. A missing file is generated with the
// default demo counts first; --generate insists on generating (and so refuses an existing file).

#include "data/connection.h"
#include "data/demodata.h"
#include "data/money.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariantList>
#include <algorithm>
#include <functional>
#include <vector>

#ifdef Q_OS_LINUX
#include <QFile>
#endif

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

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

// Resident set and its peak in KiB, or -1 where the platform gives no cheap answer.
struct Memory {
    qint64 residentKiB = -1;
    qint64 peakKiB = -1;
};

Memory processMemory() {
    Memory m;
#ifdef Q_OS_LINUX
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return m;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const auto number = [&line] {
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong();
        };
        if (line.startsWith("VmRSS:"))
            m.residentKiB = number();
        else if (line.startsWith("VmHWM:"))
            m.peakKiB = number();
    }
#endif
    return m;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median milliseconds of repeat runs of work; the first run is a warm-up and not counted.
double timeMedian(int repeat, const std::function<void()>& work) {
    work();
    std::vector<double> ms;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

// The floor: the same statement stepped to its end with nothing kept.
int bareRows(Connection& connection, const QString& sql, const QVariantList& values) {
    QSqlQuery q(connection.database());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        err() << "prepare failed: " << q.lastError().text() << "\n";
        return -1;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        err() << "exec failed: " << q.lastError().text() << "\n";
        return -1;
    }
    int rows = 0;
    while (q.next())
        ++rows;
    return rows;
}

QVariant scalar(Connection& connection, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(connection.database());
    q.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (q.exec() && q.next())
        return q.value(0);
    return {};
}

QStringList queryPlan(Connection& connection, const QString& sql, const QVariantList& values) {
    QSqlQuery q(connection.database());
    QStringList lines;
    if (!q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
        return {q.lastError().text()};
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        return {q.lastError().text()};
    while (q.next())
        lines << q.value(3).toString();
    return lines;
}

struct Row {
    QString operation;
    int rows = 0;
    double recordSetMs = 0;
    double floorMs = 0;
    QString floorNote;
};

QString number(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plenwick_bench"));
    registerMoneyMetaType();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the record-set layer."));
    parser.addHelpOption();
    const QCommandLineOption generateOption(
        QStringLiteral("generate"),
        QStringLiteral("Generate the database first (default counts)."));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
                                          QStringLiteral("Timed runs of the full-catalogue open."),
                                          QStringLiteral("n"), QStringLiteral("5"));
    parser.addOption(generateOption);
    parser.addOption(repeatOption);
    parser.addPositionalArgument(QStringLiteral("path"), QStringLiteral("The database file."));
    parser.process(app);

    const QString path = parser.positionalArguments().value(
        0, QDir::temp().filePath(QStringLiteral("plenwick-bench.mdb")));
    const int repeat = std::max(1, parser.value(repeatOption).toInt());

    double generationSeconds = -1;
    if (parser.isSet(generateOption) || !QFileInfo::exists(path)) {
        QString error;
        QElapsedTimer t;
        t.start();
        if (!DemoData::generate(path, DemoData::Counts(), &error)) {
            err() << "plenwick_bench: " << error << "\n";
            return 1;
        }
        generationSeconds = double(t.elapsed()) / 1000.0;
    }

    Connection connection;
    connection.setConnectionString(
        Connection::buildConnectionString(path, Schema::databasePassword()));
    if (!connection.open()) {
        err() << "plenwick_bench: " << connection.lastError().description << "\n";
        return 1;
    }

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
    Row materials{QStringLiteral("Materials list, all rows (record set open)"), 0, 0, 0, {}};
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

    std::vector<Row> rows;
    materials.recordSetMs = timeMedian(repeat, [&] {
        RecordSet set;
        set.open(connection, kMaterialsQuery);
    });
    materials.floorMs = timeMedian(repeat, [&] { bareRows(connection, kMaterialsQuery, {}); });
    rows.push_back(materials);

    Row leftJoin{QStringLiteral("Same rows, nested RIGHT JOIN form (diagnostic)"), 0, 0, 0, {}};
    leftJoin.recordSetMs = timeMedian(repeat, [&] {
        RecordSet set;
        set.open(connection, kMaterialsNestedQuery);
        leftJoin.rows = set.recordCount();
    });
    leftJoin.floorMs = timeMedian(repeat, [&] { bareRows(connection, kMaterialsNestedQuery, {}); });
    rows.push_back(leftJoin);

    // A find for a key near the end scans nearly the whole set.
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
        Row find{QStringLiteral("Find \"") + criteria + QStringLiteral("\" in it"), 1, 0, 0,
                 QStringLiteral("loop over a std::vector<qint64> of the keys")};
        bool found = false;
        find.recordSetMs = timeMedian(repeat * 5, [&] {
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

    Row month{QStringLiteral("EstimatesAll for ") +
                  monthStart.toString(QStringLiteral("MMMM yyyy")),
              0,
              0,
              0,
              {}};
    month.recordSetMs = timeMedian(repeat * 3, [&] {
        RecordSet set;
        set.open(connection, kMonthQuery, monthValues);
        month.rows = set.recordCount();
    });
    month.floorMs = timeMedian(repeat * 3, [&] { bareRows(connection, kMonthQuery, monthValues); });
    rows.push_back(month);

    Row sums{QStringLiteral("PXSum for estimate ") + sumValues.value(0).toString(), 0, 0, 0, {}};
    sums.recordSetMs = timeMedian(repeat * 15, [&] {
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

    out() << "| Operation | Rows | Record set (ms) | Floor (ms) | Ratio |\n";
    out() << "|---|---:|---:|---:|---:|\n";
    for (const Row& r : rows)
        out() << "| " << r.operation << " | " << r.rows << " | " << number(r.recordSetMs, 3)
              << " | " << number(r.floorMs, 3) << " | "
              << (r.floorMs > 0 ? number(r.recordSetMs / r.floorMs, 2) + QStringLiteral("x")
                                : QStringLiteral("-"))
              << " |\n";
    out() << "\nFloor: the same SQL stepped to its end with a forward-only QSqlQuery";
    for (const Row& r : rows)
        if (!r.floorNote.isEmpty())
            out() << "; for the find, a " << r.floorNote;
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
