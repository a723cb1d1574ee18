// Times the material picker (shown, filtered, View All, the type-ahead) against the bare SQLite
// cursor running the same statement, on a generated database; measures the memory an open picker
// adds and shows the query plans. Prints Markdown tables for docs/PERFORMANCE.md.
//
//   plenwick_bench_picker [--generate] [--repeat N] [PATH]
//
// PATH and --generate as for plenwick_bench: a file or a server's postgresql:// address. Runs on
// the offscreen platform unless QT_QPA_PLATFORM says otherwise. Opening the file adds the
// picker's indexes when it lacks them. The query plans are the file's only.

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "materials/materialfilter.h"
#include "materials/materialpicker.h"
#include "settings/registry.h"
#include "widgets/recordsetmodel.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <memory>

using namespace Bench;

namespace {

constexpr int kPartNumberColumn = 1;
constexpr int kDescriptionColumn = 2;

QStringList queryPlan(Connection& connection, const QString& sql, const QVariantList& values) {
    if (connection.database().isServer())
        return {QStringLiteral("-")};
    Statement plan(connection.database(), QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    plan.bindAll(values);
    QStringList details;
    while (plan.next())
        details << plan.value(3).toString();
    return details;
}

// The picker's statement and values as it ran them last.
struct PickerQuery {
    QString sql;
    QVariantList values;
};

PickerQuery queryOf(const frmMaterials& picker) {
    PickerQuery q;
    q.sql = picker.materialsQuery(&q.values);
    return q;
}

// Times the picker's statement through the bare cursor. Each run starts as the picker's did:
// after the statement run before it (the unfiltered list, for a filter), so both find the same
// pages in SQLite's cache.
Timed against(const QString& operation, const frmMaterials& picker, double ms,
              Connection& floorConnection, int repeat, const PickerQuery& before = {}) {
    const PickerQuery q = queryOf(picker);
    Timed t;
    t.operation = operation;
    t.ms = ms;
    t.rows = picker.listModel()->recordCount();
    const int floorRows = bareRows(floorConnection, q.sql, q.values);
    if (floorRows != t.rows)
        err() << "plenwick_bench_picker: " << operation << ": the list holds " << t.rows
              << " rows, the statement gives " << floorRows << "\n";
    t.floorMs = timeMedian(
        repeat,
        [&] {
            if (!before.sql.isEmpty())
                bareRows(floorConnection, before.sql, before.values);
        },
        [&] { bareRows(floorConnection, q.sql, q.values); });
    return t;
}

void choose(QComboBox* filter, int index) {
    filter->setCurrentIndex(index);
    emit filter->activated(index);
}

QString cell(double ms) {
    return number(ms, ms < 10 ? 3 : 1);
}

// The memory the picker adds to the running program: the main window is up on Home, as a
// user has it, so the fonts, the style and the window system are already paid for; then the
// picker is made over it and shown with the whole catalogue. Returns (shown, hidden) minus before.
std::pair<Memory, Memory> memoryInTheProgram(const QString& path) {
    QTemporaryDir settings;
    isolateSettings(settings.path());
    ProgramObjects objects;
    useDatabase(path);
    frmMain window;
    window.resize(1024, 768);
    window.show();
    settle();
    const Memory before = processMemory();
    frmMaterials picker(&window);
    picker.show();
    settle();
    Memory shown = processMemory();
    picker.hide();
    settle();
    Memory hidden = processMemory();
    shown.residentKiB -= before.residentKiB;
    hidden.residentKiB -= before.residentKiB;
    return {shown, hidden};
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_picker"),
               QStringLiteral("Times the material picker."), &options))
        return 1;
    applyProgramStyle(app);
    printMessagesAnsweringOk();
    const QString& path = options.path;
    const int repeat = options.repeat;
    // Memory first, before any record set has left buffers behind.
    gMaterialFilter.clear();
    const auto [shownMemory, hiddenMemory] = memoryInTheProgram(path);

    // The program's connection opens first, so the indexes are in place before anything is
    // measured.
    Connection connection;
    Connection floorConnection;
    if (!openDatabase(connection, path) || !openDatabase(floorConnection, path))
        return 1;
    gConnection = &connection;
    gConnectionString = connection.connectionString();
    gMaterialFilter.clear();

    QWidget owner;
    owner.resize(1000, 700);
    owner.show();
    settle();

    std::unique_ptr<frmMaterials> picker;

    std::vector<Timed> rows;
    // A new picker each run: construction, the lists of the filters, the query, the first paint.
    double shownMs = timeMedian(
        repeat, [&] { picker.reset(); },
        [&] {
            picker = std::make_unique<frmMaterials>(&owner);
            picker->show();
            settle();
        });
    rows.push_back(against(QStringLiteral("Picker shown (construction, query, first paint)"),
                           *picker, shownMs, floorConnection, repeat));
    // The same picker hidden and shown again, as a second visit does.
    const double reshownMs = timeMedian(
        repeat, [&] { picker->hide(); },
        [&] {
            picker->show();
            settle();
        });
    rows.push_back(against(QStringLiteral("Picker shown again (query, paint)"), *picker, reshownMs,
                           floorConnection, repeat));

    QPushButton* viewAll =
        picker->findChild<QPushButton*>(QStringLiteral("cbMaterialsFilterViewAll"));
    const auto clickViewAll = [&] {
        viewAll->click();
        settle();
    };
    const struct {
        const char* what;
        QComboBox* filter;
    } filters[] = {{"supplier", picker->cbSupplierFilter},
                   {"manufacturer", picker->cbManufacturerFilter},
                   {"category", picker->cbCategoryFilter}};
    const PickerQuery unfiltered = queryOf(*picker);
    // The same operations without the layout and paint that follow them: the picker's own work.
    std::vector<Timed> work;
    for (const auto& f : filters) {
        // A filter's list is read when the user turns to it.
        QTest::mouseClick(f.filter->lineEdit(), Qt::LeftButton);
        const int index = f.filter->count() / 2;
        const double ms = timeMedian(repeat, clickViewAll, [&] {
            choose(f.filter, index);
            settle();
        });
        const double workMs = timeMedian(
            repeat,
            [&] {
                settle();
                clickViewAll();
            },
            [&] { choose(f.filter, index); });
        settle();
        const QString name = QStringLiteral("Filter by %1 \"%2\"")
                                 .arg(QLatin1String(f.what), f.filter->itemText(index));
        rows.push_back(against(name, *picker, ms, floorConnection, repeat, unfiltered));
        Timed own = rows.back();
        own.ms = workMs;
        work.push_back(own);
    }
    const int categoryIndex = picker->cbCategoryFilter->count() / 2;
    const double allMs = timeMedian(
        repeat,
        [&] {
            choose(picker->cbCategoryFilter, categoryIndex);
            settle();
        },
        clickViewAll);
    rows.push_back(against(QStringLiteral("View All after the category filter"), *picker, allMs,
                           floorConnection, repeat));

    // The ORDER BY as the index gives it, against the same rows sorted afresh (the unary +
    // keeps SQLite from the index).
    const PickerQuery all = queryOf(*picker);
    QString sorted = all.sql;
    sorted.replace(QStringLiteral("ORDER BY ManufacturerDescription"),
                   QStringLiteral("ORDER BY +ManufacturerDescription"));
    const double indexOrderMs =
        timeMedian(repeat, [&] { bareRows(floorConnection, all.sql, all.values); });
    // A server takes no unary + on a text.
    const double sortOrderMs =
        isServer(path) ? -1
                       : timeMedian(repeat, [&] { bareRows(floorConnection, sorted, all.values); });

    // Type-ahead over the whole list: a description and a part number of the last row, the
    // worst case for a scan. Each timed run starts a new search.
    const RecordSetModel* list = picker->listModel();
    const int last = list->recordCount() - 1;
    const QString description = list->value(last, kDescriptionColumn).toString();
    const QString part = list->value(last, kPartNumberColumn).toString();
    const auto pause = [] { QThread::msleep(ulong(QApplication::keyboardInputInterval()) + 20); };
    const auto jump = [&](int column, const QString& typed) {
        return timeMedian(
            repeat,
            [&] {
                pause();
                picker->grdMaterialsList->setCurrentIndex(list->index(0, column));
            },
            [&] { picker->grdMaterialsList->keyboardSearch(typed); });
    };
    const double descriptionJumpMs = jump(kDescriptionColumn, description);
    const bool descriptionFound =
        list->value(picker->grdMaterialsList->currentIndex().row(), kDescriptionColumn)
            .toString()
            .startsWith(description, Qt::CaseInsensitive);
    const double partJumpMs = jump(kPartNumberColumn, part);
    const bool partFound =
        list->value(picker->grdMaterialsList->currentIndex().row(), kPartNumberColumn)
            .toString()
            .startsWith(part, Qt::CaseInsensitive);
    // What an item view does by default: a match over the model's rows, one after another.
    const auto scan = [&](int column, const QString& typed) {
        return timeMedian(repeat, [&] {
            list->match(list->index(0, column), Qt::DisplayRole, typed, 1,
                        Qt::MatchStartsWith | Qt::MatchWrap);
        });
    };
    const double descriptionScanMs = scan(kDescriptionColumn, description);
    const double partScanMs = scan(kPartNumberColumn, part);
    QVariantList partValues;
    const QString partSql = picker->partNumberQuery(part, &partValues);

    out() << databaseLine(connection) << "\n";
    out() << engineVersion(connection) << ", Qt " << qVersion() << ", platform "
          << QApplication::platformName() << ", median of " << repeat
          << " runs after one warm-up run.\n\n";
    printTimes(QStringLiteral("Picker (ms)"), rows, cell);
    out() << "\nFloor: the picker's own statement and values stepped to its end with "
             "sqlite3_step (on a server, PQexecParams) on a handle of its own, every column read; "
             "for a filter, each run "
             "right after the unfiltered statement, as the picker's run was.\n\n";
    out() << "The filters' own work, before the window system lays out and paints:\n\n";
    printTimes(QStringLiteral("Work (ms)"), work, cell);
    out() << "\n";

    out() << "| Type-ahead to the last row | Picker (ms) | Scan of the rows (ms) |\n"
             "|---|---:|---:|\n";
    out() << "| Description \"" << description << "\" | " << cell(descriptionJumpMs) << " | "
          << cell(descriptionScanMs) << " |\n";
    out() << "| Part number \"" << part << "\" | " << cell(partJumpMs) << " | " << cell(partScanMs)
          << " |\n\n";

    const auto kib = [](qint64 k) { return number(double(k) / 1024.0, 1); };
    out() << "| Fact | Value |\n|---|---|\n";
    out() << "| RSS added by the picker shown with its list (MiB) | "
          << kib(shownMemory.residentKiB) << " |\n";
    out() << "| RSS after it is hidden, over the start (MiB) | " << kib(hiddenMemory.residentKiB)
          << " |\n";
    out() << "| Unfiltered statement, ORDER BY through the index / sorted afresh (ms) | "
          << cell(indexOrderMs) << " / " << cell(sortOrderMs) << " |\n";
    out() << "| Plan, unfiltered | "
          << queryPlan(connection, all.sql, all.values).join(QStringLiteral("; ")) << " |\n";
    out() << "| Plan, sorted afresh | "
          << queryPlan(connection, sorted, all.values).join(QStringLiteral("; ")) << " |\n";
    choose(picker->cbSupplierFilter, picker->cbSupplierFilter->count() / 2);
    const PickerQuery supplier = queryOf(*picker);
    out() << "| Plan, one supplier | "
          << queryPlan(connection, supplier.sql, supplier.values).join(QStringLiteral("; "))
          << " |\n";
    out() << "| Plan, part-number jump | "
          << queryPlan(connection, partSql, partValues).join(QStringLiteral("; ")) << " |\n";
    out() << "| Jumps landed on the typed text | " << (descriptionFound && partFound ? "yes" : "no")
          << " |\n";
    out().flush();
    picker.reset();
    gConnection = nullptr;
    return 0;
}
