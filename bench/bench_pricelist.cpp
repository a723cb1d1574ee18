// Times importing a supplier's price list into the generated catalogue: reading the CSV,
// matching it (the preview), and applying it in one transaction, for a list of 15,000 rows and
// one of 150,000, and the program's peak memory. The catalogue is a copy of the generated
// database in which one supplier carries 100,000 of its materials; each list mixes changed,
// unchanged, new and bad rows. Prints a Markdown table for docs/PERFORMANCE.md.
//
//   plenwick_bench_pricelist [--generate] [--repeat N] [PATH]

#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/database.h"
#include "pricelist/core/import.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Bench;

namespace {

constexpr qint64 kSupplier = 1;
constexpr int kSupplierMaterials = 100000;

// Writes a list of rows rows: of the supplier's materials 60% at a new price and 30% at their
// own, then new part numbers, and 1 row in 50 bad (a price that is not an amount).
void writeList(Connection& db, const QString& path, int rows) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QTextStream out(&file);
    out << "Part #,Description,Price,Brand,Category\n";
    Statement materials(db.database(),
                        QStringLiteral("SELECT PartNumber, UnitCost FROM MaterialsTBL "
                                       "WHERE SuppliersID = ? ORDER BY MaterialsID LIMIT ?"));
    materials.bindAll({kSupplier, int(rows * 0.9)});
    QRandomGenerator random(7);
    int written = 0;
    while (materials.next()) {
        const double cost = materials.real(1);
        const bool change = random.bounded(3) != 0;
        out << materials.value(0).toString() << ",Stock item,"
            << QString::number(change ? cost * (1.02 + random.bounded(0.3)) : cost, 'f', 2)
            << ",Cascade,Fittings\n";
        ++written;
    }
    for (int i = 0; written < rows; ++i, ++written) {
        if (i % 50 == 0)
            out << "BAD-" << i << ",Bad row,12;50,,\n";
        else
            out << "NEW-" << i << ",New item " << i << "," << (1 + i % 300)
                << ".25,Cascade,Valves\n";
    }
}

struct Row {
    int rows = 0;
    double readMs = 0;
    double previewMs = 0;
    double applyMs = 0;
    int changed = 0;
    int added = 0;
    int refused = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_pricelist"),
               QStringLiteral("Times importing supplier price lists into the catalogue."),
               &options))
        return 1;
    QTemporaryDir folder;
    const QString master = folder.filePath(QStringLiteral("catalogue.mdb"));
    if (!QFile::copy(options.path, master)) {
        err() << "could not copy " << options.path << "\n";
        return 1;
    }
    {
        Connection db;
        if (!openDatabase(db, master))
            return 1;
        db.execute(QStringLiteral("UPDATE MaterialsTBL SET SuppliersID = ? WHERE MaterialsID <= ?"),
                   {kSupplier, kSupplierMaterials});
    }
    std::vector<Row> rows;
    for (int size : {15000, 150000}) {
        Row row;
        row.rows = size;
        const QString list = folder.filePath(QStringLiteral("list-%1.csv").arg(size));
        const QString work = folder.filePath(QStringLiteral("work.mdb"));
        {
            Connection db;
            if (!openDatabase(db, master))
                return 1;
            writeList(db, list, size);
        }
        QString error;
        std::optional<PriceListTable> table;
        row.readMs = timeMedian(options.repeat, [&] {
            table.reset(); // one list in memory at a time, as in the program
            table = readPriceList(list, &error);
        });
        if (!table) {
            err() << error << "\n";
            return 1;
        }
        PreviewOptions previewOptions;
        previewOptions.supplierId = kSupplier;
        previewOptions.mapping = guessMapping(table->rows.first().cells());
        PriceListPreview preview;
        DbError dbError;
        {
            Connection db;
            if (!openDatabase(db, master))
                return 1;
            row.previewMs = timeMedian(options.repeat, [&] {
                previewPriceList(db, *table, previewOptions, &preview, &dbError);
            });
        }
        row.changed = int(preview.changed.size());
        row.added = int(preview.added.size());
        row.refused = int(preview.refused.size());
        ApplyOptions apply;
        apply.supplierId = kSupplier;
        apply.addNew = true;
        std::unique_ptr<Connection> db;
        row.applyMs = timeMedian(
            options.repeat,
            [&] {
                db.reset();
                QFile::remove(work);
                QFile::copy(master, work);
                db = std::make_unique<Connection>();
                openDatabase(*db, work);
            },
            [&] {
                ApplyResult result;
                if (!applyPriceList(*db, preview, apply, &result, &dbError))
                    err() << "apply failed: " << dbError.description << "\n";
            });
        rows.push_back(row);
    }
    const Memory memory = processMemory();
    out() << "| List rows | Read (ms) | Preview (ms) | Read and preview (ms) | Apply (ms) | "
             "Changed | New | Refused |\n|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const Row& r : rows)
        out() << "| " << r.rows << " | " << number(r.readMs, 1) << " | " << number(r.previewMs, 1)
              << " | " << number(r.readMs + r.previewMs, 1) << " | " << number(r.applyMs, 1)
              << " | " << r.changed << " | " << r.added << " | " << r.refused << " |\n";
    out() << "\nPeak resident memory: " << number(memory.peakKiB / 1024.0, 1) << " MiB\n";
    out().flush();
    return 0;
}
