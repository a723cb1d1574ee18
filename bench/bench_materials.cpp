// Times the Materials screen's catalogue list (shown, filtered, searched, sorted, View All)
// against the bare SQLite cursor running the same statement, on a generated database; shows that
// the list copies no rows into widgets and that saving a material reloads nothing. Prints Markdown
// tables for docs/PERFORMANCE.md.
//
//   plenwick_bench_materials [--generate] [--repeat N] [PATH]
//
// PATH and --generate as for plenwick_bench: a file or a server's postgresql:// address. Runs on
// the offscreen platform unless QT_QPA_PLATFORM says otherwise. The save is made on a copy of
// the file, which stays as it was; on a server, in its database itself.

#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "materials/materialsframe.h"
#include "materials/materialslist.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>
#include <numeric>

using namespace Bench;

namespace {

// The list's columns, as the screen's query gives them.
constexpr int kMaterialsIDColumn = 0;
constexpr int kPartNumberColumn = 4;
constexpr int kDescriptionColumn = 8;
constexpr int kUnitCostColumn = 9;

int gMessagesShown = 0;

// Every box is printed and answered with OK, so no run waits for a user.
QMessageBox::StandardButton printMessage(const MessageRequest& request) {
    ++gMessagesShown;
    err() << "message box";
    if (!request.title.isEmpty())
        err() << " \"" << request.title << "\"";
    err() << ": " << request.text << "\n";
    err().flush();
    return QMessageBox::Ok;
}

// Counts the paint events a widget receives, to show that a timed run really drew the rows.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

// Where the time of one screen operation goes, split at the screen's own signals. The last
// three stages are common to all: the end of the operation's own code, then what the event loop
// does after it (see Screen::settle).
const QStringList kListStages = {
    QStringLiteral("Open record set"),        // the query read into a new set (recordSetChanged)
    QStringLiteral("Panel follows"),          // the bound record panel, buttons (grid's reset)
    QStringLiteral("Grid reset"),             // the grid's model and view take the new set
    QStringLiteral("Format, select, widths"), // hidden columns, current row, column widths
    QStringLiteral("Free replaced set"),      // deleted later by its data control
    QStringLiteral("Layout and paint")};
const QStringList kSaveStages = {
    QStringLiteral("Checks, price date"),     // field checks, the price date stamped
    QStringLiteral("Write, names looked up"), // the UPDATE, the list row's names re-read
    QStringLiteral("Panel, list row"),        // browse state, the saved row shown in the list
    QStringLiteral("Free replaced set"), QStringLiteral("Layout and paint")};

class Stages {
public:
    explicit Stages(const QStringList& names) : m_names(names) {}
    const QStringList& names() const { return m_names; }
    void begin() {
        m_run.assign(size_t(m_names.size()), 0);
        m_last = 0;
        m_timer.start();
        m_running = true;
    }
    // Ends the given stage now; a stage ended twice in a run adds up.
    void mark(int stage) {
        if (!m_running)
            return;
        const qint64 now = m_timer.nsecsElapsed();
        m_run[size_t(stage)] += double(now - m_last) / 1e6;
        m_last = now;
    }
    void end() {
        m_running = false;
        m_runs.push_back(m_run);
    }
    void clear() { m_runs.clear(); }
    // The median, over the runs after the first, of each run's time before its last stage.
    double medianBeforeLast() const {
        std::vector<double> ms;
        for (size_t i = 1; i < m_runs.size(); ++i)
            ms.push_back(std::accumulate(m_runs[i].begin(), m_runs[i].end() - 1, 0.0));
        return median(ms);
    }
    // The median of each stage over the runs after the first (the warm-up, as in timeMedian).
    std::vector<double> medians() const {
        std::vector<double> result;
        for (size_t stage = 0; stage < size_t(m_names.size()); ++stage) {
            std::vector<double> ms;
            for (size_t i = 1; i < m_runs.size(); ++i)
                ms.push_back(m_runs[i][stage]);
            result.push_back(median(ms));
        }
        return result;
    }

private:
    QStringList m_names;
    QElapsedTimer m_timer;
    qint64 m_last = 0;
    bool m_running = false;
    std::vector<double> m_run;
    std::vector<std::vector<double>> m_runs;
};

// A statement and the values bound to it.
struct ScreenQuery {
    QString sql;
    QVariantList values;
};

// The Materials screen on its own, shown at the size it has on the main window.
struct Screen {
    MaterialsFrame frame;
    QTableView* grid = frame.grdMaterialsList;
    RecordSetModel* list = qobject_cast<RecordSetModel*>(frame.grdMaterialsList->model());
    PaintCounter* paints = new PaintCounter(frame.grdMaterialsList->viewport());
    Stages* stages;
    int recordSetChanges = 0;
    int listResets = 0;
    bool paintedEveryRun = true;

    explicit Screen(Stages* split) : stages(split) {
        // Connected before the record panel binds (load()), so the split sees a new set before
        // the panel does; the screen's own handlers of a save were connected at construction.
        DataControl* materials = frame.dcMaterials;
        QObject::connect(materials, &DataControl::recordSetChanged, &frame, [this] {
            ++recordSetChanges;
            mark(kListStages, 0);
        });
        QObject::connect(list, &QAbstractItemModel::modelAboutToBeReset, &frame,
                         [this] { mark(kListStages, 1); });
        QObject::connect(list, &QAbstractItemModel::modelReset, &frame, [this] {
            ++listResets;
            mark(kListStages, 2);
        });
        QObject::connect(materials, &DataControl::willChangeRecord, &frame,
                         [this] { mark(kSaveStages, 0); });
        QObject::connect(materials, &DataControl::recordChangeComplete, &frame,
                         [this] { mark(kSaveStages, 1); });
        frame.resize(785, 534);
        frame.show();
        settle();
    }

    // Marks a stage of the kind of operation being split; the other kind's signals are ignored.
    void mark(const QStringList& kind, int stage) {
        if (stages && stages->names() == kind)
            stages->mark(stage);
    }
    void markTail(int fromEnd) {
        if (stages)
            stages->mark(int(stages->names().size()) - fromEnd);
    }
    // What the event loop does once a click has been handled, before the user sees the result:
    // delete what was deleted later (the replaced record set), then lay out and paint.
    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        markTail(2);
        QApplication::processEvents();
        markTail(1);
    }
    // One timed run of an operation of the screen: split, settled, and checked to have painted.
    // An untimed run (the step that prepares a timed one) is not split.
    void operate(const std::function<void()>& operation, bool timed = true) {
        if (stages && timed)
            stages->begin();
        const int paintsBefore = paints->count;
        operation();
        markTail(3);
        settle();
        if (stages && timed)
            stages->end();
        paintedEveryRun = paintedEveryRun && paints->count > paintsBefore;
    }

    int gridWidgets() const { return int(grid->findChildren<QWidget*>().size()); }
    int screenWidgets() const { return int(frame.findChildren<QWidget*>().size()); }
    // Rows the viewport shows at once.
    int rowsOnPage() const {
        const int first = grid->rowAt(0);
        const int last = grid->rowAt(grid->viewport()->height() - 1);
        if (first < 0)
            return 0;
        return (last < 0 ? list->rowCount() - 1 : last) - first + 1;
    }
    // As the main window loads the screen.
    void load() {
        frame.SetupMaterialsDataControl();
        frame.SetupMaterialsListGrid();
        frame.SetupMaterialsControls();
        settle();
    }
    void choose(QComboBox* filter, int index) {
        filter->setCurrentIndex(index);
        emit filter->activated(index);
    }
    // Words typed into the search box, then Enter rather than the pause after typing.
    void search(const QString& text) {
        frame.materialsList->txtMaterialsSearch->setText(text);
        frame.materialsList->applySearch();
    }
    // What a click on a column's heading does.
    void clickHeading(int column) { emit grid->horizontalHeader()->sectionClicked(column); }
    ScreenQuery query() const {
        ScreenQuery s;
        s.sql = frame.materialsQuery(&s.values);
        return s;
    }
};

// ms is the screen's time.
struct Row : Timed {
    double recordSetMs = 0; // the data layer alone, from the same state
    double warmFloorMs = 0; // the statement repeated, SQLite's cache warm with it
    double workMs = 0;      // the screen's time before layout and paint
    std::vector<double> stages;
    // On a server only: the record set with its tables' columns read beforehand (so that no
    // other statement runs while its rows stream), and the floor with the rows handed over one
    // at a time, as the data layer asks the server for them.
    double recordSetColumnsKnownMs = -1;
    double rowByRowFloorMs = -1;
};

// How the screen's operation started: on a fresh connection (a new screen), or right after
// another statement on its connection (the list before a filter, the filter before View All).
// The floor starts from the same state, so that both find the same pages in SQLite's cache.
struct Start {
    bool freshConnection = false;
    ScreenQuery before;
};

double timeFromStart(int repeat, Connection& shared, const QString& path, const Start& start,
                     const std::function<void(Connection&)>& run,
                     const std::function<void(Connection&)>& prepare = {}) {
    std::unique_ptr<Connection> fresh;
    return timeMedian(
        repeat,
        [&] {
            if (start.freshConnection) {
                fresh = std::make_unique<Connection>();
                openDatabase(*fresh, path);
                openBare(*fresh);
            } else if (!start.before.sql.isEmpty()) {
                bareRows(shared, start.before.sql, start.before.values);
            }
            if (prepare)
                prepare(fresh ? *fresh : shared);
        },
        [&] { run(fresh ? *fresh : shared); });
}

// The floor of what the screen ran last, its statement and values through a bare cursor, and
// the record set alone on the same statement.
void measureFloor(Row* row, const Screen& screen, Connection& floorConnection, const QString& path,
                  const Start& start, int repeat) {
    const ScreenQuery s = screen.query();
    const int floorRows = bareRows(floorConnection, s.sql, s.values);
    row->rows = screen.list->recordCount();
    if (floorRows != row->rows)
        err() << "plenwick_bench_materials: " << row->operation << ": the list holds " << row->rows
              << " rows, the statement gives " << floorRows << "\n";
    row->floorMs = timeFromStart(repeat, floorConnection, path, start,
                                 [&](Connection& c) { bareRows(c, s.sql, s.values); });
    row->recordSetMs = timeFromStart(repeat, floorConnection, path, start, [&](Connection& c) {
        RecordSet set;
        set.open(c, s.sql, s.values);
    });
    row->warmFloorMs = timeMedian(repeat, [&] { bareRows(floorConnection, s.sql, s.values); });
    if (!isServer(path))
        return;
    row->recordSetColumnsKnownMs = timeFromStart(
        repeat, floorConnection, path, start,
        [&](Connection& c) {
            RecordSet set;
            set.open(c, s.sql, s.values);
        },
        [](Connection& c) {
            for (const char* table :
                 {"MaterialsTBL", "SuppliersTBL", "ManufacturersTBL", "CatagoryTBL"})
                c.columns(QLatin1String(table));
        });
    row->rowByRowFloorMs = timeFromStart(repeat, floorConnection, path, start, [&](Connection& c) {
        bareRowsOneByOne(c, s.sql, s.values);
    });
}

struct SaveFacts {
    double ms = 0;
    std::vector<double> stages;
    int recordSetChanges = -1;
    int listResets = -1;
    int rowsBefore = 0;
    int rowsAfter = 0;
    int listRow = 0;
    qint64 materialId = 0;
    QString listShows;
    QString stored;
    QString updatedLast;
    bool savedAsTyped = false;
};

// Edits the unit cost of the middle material through the record panel and saves it, on a copy
// of the database so the generated file stays as it is.
SaveFacts measureSave(const QString& path, int repeat) {
    SaveFacts facts;
    QTemporaryDir dir;
    const QString copy = isServer(path) ? path : dir.filePath(QStringLiteral("save.mdb"));
    if (!isServer(path) && (!dir.isValid() || !QFile::copy(path, copy))) {
        err() << "plenwick_bench_materials: could not copy " << path << " for the save\n";
        return facts;
    }
    Connection connection;
    if (!openDatabase(connection, copy))
        return facts;
    gConnection = &connection;
    gConnectionString = connection.connectionString();

    Stages stages(kSaveStages);
    Screen screen(&stages);
    screen.load();
    facts.listRow = screen.list->recordCount() / 2;
    screen.grid->setCurrentIndex(screen.list->index(facts.listRow, 4));
    facts.materialId = screen.list->value(facts.listRow, kMaterialsIDColumn).toLongLong();
    facts.rowsBefore = screen.list->recordCount();
    screen.recordSetChanges = 0;
    screen.listResets = 0;

    int run = 0;
    QString typed;
    facts.ms = timeMedian(
        repeat,
        [&] {
            screen.frame.cmdMaterialsEditRecord->click();
            // A new price each run, so every save writes and stamps the price date.
            typed = QString::number(10 + run++) + QStringLiteral(".25");
            screen.frame.txtUnitCost->setText(typed);
            emit screen.frame.txtUnitCost->textEdited(typed);
        },
        [&] { screen.operate([&] { screen.frame.cmdMaterialsSaveCurrentRecord->click(); }); });
    facts.stages = stages.medians();

    facts.recordSetChanges = screen.recordSetChanges;
    facts.listResets = screen.listResets;
    facts.rowsAfter = screen.list->recordCount();
    facts.listShows =
        screen.list->data(screen.list->index(facts.listRow, kUnitCostColumn)).toString();
    const QVariantList key = {facts.materialId};
    const QVariant stored = scalar(
        connection, QStringLiteral("SELECT UnitCost FROM MaterialsTBL WHERE MaterialsID = ?"), key);
    facts.stored = stored.toString();
    facts.updatedLast =
        scalar(connection,
               QStringLiteral("SELECT UpdatedLast FROM MaterialsTBL WHERE MaterialsID = ?"), key)
            .toString();
    facts.savedAsTyped = qAbs(stored.toDouble() - typed.toDouble()) < 1e-9 &&
                         screen.frame.editState() == MaterialsFrame::Browse;
    gConnection = nullptr;
    return facts;
}

QString cell(double ms) {
    return number(ms, ms < 10 ? 2 : 1);
}

QString yesNo(bool b) {
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

// A table of stage times: the operation's name, then figures.
void printStageHeader(const QStringList& figures) {
    out() << "| Operation |";
    for (const QString& name : figures)
        out() << " " << name << " |";
    out() << "\n|---|";
    for (qsizetype i = 0; i < figures.size(); ++i)
        out() << "---:|";
    out() << "\n";
}

void printStageRow(const QString& operation, const std::vector<double>& figures) {
    out() << "| " << operation << " |";
    for (double ms : figures)
        out() << " " << cell(ms) << " |";
    out() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_materials"),
               QStringLiteral("Times the Materials screen's list."), &options))
        return 1;
    applyProgramStyle(app);
    setMessageHandler(printMessage);
    const QString& path = options.path;
    const int repeat = options.repeat;

    Connection connection;
    Connection floorConnection;
    if (!openDatabase(connection, path) || !openDatabase(floorConnection, path))
        return 1;
    gConnection = &connection;
    gConnectionString = connection.connectionString();

    std::vector<Row> rows;
    Stages stages(kListStages);

    // Showing the list: a fresh screen each run, as when the program starts.
    Row shown;
    shown.operation = QStringLiteral("List shown (data control, grid, first paint)");
    int gridWidgetsBefore = 0;
    int screenWidgetsBefore = 0;
    std::unique_ptr<Screen> fresh;
    shown.ms = timeMedian(
        repeat,
        [&] {
            fresh.reset();
            fresh = std::make_unique<Screen>(&stages);
            gridWidgetsBefore = fresh->gridWidgets();
            screenWidgetsBefore = fresh->screenWidgets();
        },
        [&] {
            fresh->operate([&] {
                fresh->frame.SetupMaterialsDataControl();
                fresh->frame.SetupMaterialsListGrid();
            });
        });
    shown.stages = stages.medians();
    shown.workMs = stages.medianBeforeLast();
    const int gridWidgetsShown = fresh->gridWidgets();
    const int screenWidgetsShown = fresh->screenWidgets();
    const int rowsOnPage = fresh->rowsOnPage();
    bool painted = fresh->paintedEveryRun;
    measureFloor(&shown, *fresh, floorConnection, path, Start{true, {}}, repeat);
    rows.push_back(shown);
    fresh.reset();

    // Filters and View All on one loaded screen, as a user works with it.
    Screen screen(&stages);
    screen.load();
    const ScreenQuery unfiltered = screen.query();
    const auto viewAll = [&screen] { screen.frame.cbMaterialsFilterViewAll->click(); };
    const struct {
        const char* what;
        QComboBox* filter;
    } filters[] = {{"supplier", screen.frame.cbSupplierFilter},
                   {"manufacturer", screen.frame.cbManufacturerFilter},
                   {"category", screen.frame.cbCategoryFilter}};
    int gridWidgetsFiltered = 0;
    ScreenQuery lastFilter;
    for (const auto& f : filters) {
        // The middle entry of the list: a typical supplier, manufacturer or category.
        const int index = f.filter->count() / 2;
        Row row;
        row.operation = QStringLiteral("Filter by %1 \"%2\"")
                            .arg(QLatin1String(f.what), f.filter->itemText(index));
        stages.clear();
        row.ms = timeMedian(
            repeat, [&] { screen.operate(viewAll, false); },
            [&] { screen.operate([&] { screen.choose(f.filter, index); }); });
        row.stages = stages.medians();
        row.workMs = stages.medianBeforeLast();
        gridWidgetsFiltered = screen.gridWidgets();
        lastFilter = screen.query();
        measureFloor(&row, screen, floorConnection, path, Start{false, unfiltered}, repeat);
        rows.push_back(row);
    }

    // Searches of the whole catalogue: a word of the middle material's description, and the
    // start of its part number; each typed after a View All (untimed).
    const int middle = screen.list->recordCount() / 2;
    const struct {
        const char* what;
        QString text;
    } searches[] = {
        {"description word",
         screen.list->value(middle, kDescriptionColumn).toString().section(QLatin1Char(' '), 0, 0)},
        {"part number", screen.list->value(middle, kPartNumberColumn).toString().left(4)},
    };
    for (const auto& search : searches) {
        Row row;
        row.operation =
            QStringLiteral("Search by %1 \"%2\"").arg(QLatin1String(search.what), search.text);
        stages.clear();
        row.ms = timeMedian(
            repeat, [&] { screen.operate(viewAll, false); },
            [&] { screen.operate([&] { screen.search(search.text); }); });
        row.stages = stages.medians();
        row.workMs = stages.medianBeforeLast();
        measureFloor(&row, screen, floorConnection, path, Start{false, unfiltered}, repeat);
        rows.push_back(row);
    }
    screen.operate(viewAll, false);

    // Sorting the whole catalogue by a click on a heading, from the order of entry each run (a
    // second click reverses from the first click's order), the current material kept current.
    MaterialsList* list = screen.frame.materialsList;
    const struct {
        const char* what;
        int column;
        bool reverse;
    } sorts[] = {{"Unit Cost", kUnitCostColumn, false},
                 {"Unit Cost, second click (reversed)", kUnitCostColumn, true},
                 {"Description", kDescriptionColumn, false}};
    bool sortKeptCurrent = true;
    for (const auto& sort : sorts) {
        Row row;
        row.operation = QStringLiteral("Sort by %1").arg(QLatin1String(sort.what));
        stages.clear();
        qint64 current = 0;
        ScreenQuery before = unfiltered;
        row.ms = timeMedian(
            repeat,
            [&] {
                screen.operate([&] { list->sortByColumn(-1, Qt::AscendingOrder); }, false);
                if (sort.reverse) {
                    screen.operate([&] { screen.clickHeading(sort.column); }, false);
                    before = screen.query();
                }
                screen.grid->setCurrentIndex(screen.list->index(middle, kPartNumberColumn));
                current = screen.list->value(middle, kMaterialsIDColumn).toLongLong();
            },
            [&] {
                screen.operate([&] { screen.clickHeading(sort.column); });
                sortKeptCurrent =
                    sortKeptCurrent &&
                    screen.frame.dcMaterials->recordSet()->value(kMaterialsIDColumn).toLongLong() ==
                        current &&
                    screen.list->value(screen.grid->currentIndex().row(), kMaterialsIDColumn)
                            .toLongLong() == current;
            });
        row.stages = stages.medians();
        row.workMs = stages.medianBeforeLast();
        measureFloor(&row, screen, floorConnection, path, Start{false, before}, repeat);
        rows.push_back(row);
    }
    screen.operate([&] { list->sortByColumn(-1, Qt::AscendingOrder); }, false);

    const int categoryIndex = screen.frame.cbCategoryFilter->count() / 2;
    Row all;
    all.operation = QStringLiteral("View All after the category filter");
    stages.clear();
    all.ms = timeMedian(
        repeat,
        [&] {
            screen.operate([&] { screen.choose(screen.frame.cbCategoryFilter, categoryIndex); },
                           false);
        },
        [&] { screen.operate(viewAll); });
    all.stages = stages.medians();
    all.workMs = stages.medianBeforeLast();
    const int gridWidgetsAll = screen.gridWidgets();
    const int listRows = screen.list->rowCount();
    painted = painted && screen.paintedEveryRun;
    measureFloor(&all, screen, floorConnection, path, Start{false, lastFilter}, repeat);
    rows.push_back(all);
    // The fixed part of every operation's paint: the first page of rows, and the whole screen.
    const double gridPaintMs = timeMedian(repeat, [&] { screen.grid->viewport()->repaint(); });
    const double screenPaintMs = timeMedian(repeat, [&] { screen.frame.repaint(); });

    const int messagesBeforeSave = gMessagesShown;
    const SaveFacts save = measureSave(path, repeat);

    out() << databaseLine(connection) << "\n";
    if (options.generationSeconds >= 0)
        out() << "Generated with the default counts in " << number(options.generationSeconds, 2)
              << " s.\n";
    out() << engineVersion(connection) << ", Qt " << qVersion() << ", platform "
          << QApplication::platformName() << ", median of " << repeat
          << " runs after one warm-up run.\n\n";

    printTimes(QStringLiteral("Screen (ms)"), std::vector<Timed>(rows.begin(), rows.end()), cell);
    out() << "\nFloor: the screen's own statement and values (materialsQuery() after the "
             "operation) stepped to its end with sqlite3_step (on a server, PQexecParams), every "
             "column read, on a handle of its own, starting as the screen did: on a fresh "
             "connection for the list shown, right "
             "after the unfiltered statement for a filter, after the filter for View All.\n\n";

    std::vector<Timed> work;
    for (const Row& r : rows) {
        Timed t = r;
        t.ms = r.workMs;
        work.push_back(t);
    }
    out() << "The screen's own work, before the window system lays out and paints the result "
             "(a fixed few milliseconds whatever the rows, see the facts):\n\n";
    printTimes(QStringLiteral("Work (ms)"), work, cell);
    out() << "\n";

    out() << "Where the screen's time goes (median ms); the record set alone and the warm floor "
             "(the statement repeated) for comparison:\n\n";
    printStageHeader(QStringList{QStringLiteral("Record set alone"), QStringLiteral("Warm floor")} +
                     kListStages);
    for (const Row& r : rows) {
        std::vector<double> figures = {r.recordSetMs, r.warmFloorMs};
        figures.insert(figures.end(), r.stages.begin(), r.stages.end());
        printStageRow(r.operation, figures);
    }

    if (isServer(path)) {
        out() << "\nOn a server, what the record set pays for (median ms): the record set alone; "
                 "the same with its tables' columns read beforehand, so that no other statement "
                 "runs while its rows stream in; the floor with the rows handed over one at a "
                 "time (libpq's single-row mode, as the data layer reads); the floor with the "
                 "whole result at once:\n\n";
        out() << "| Operation | Record set | Columns known | Floor, row by row | Floor, whole "
                 "result |\n|---|---:|---:|---:|---:|\n";
        for (const Row& r : rows)
            out() << "| " << r.operation << " | " << cell(r.recordSetMs) << " | "
                  << cell(r.recordSetColumnsKnownMs) << " | " << cell(r.rowByRowFloorMs) << " | "
                  << cell(r.floorMs) << " |\n";
    }

    out() << "\nThe save, split the same way (median ms):\n\n";
    printStageHeader(kSaveStages);
    printStageRow(QStringLiteral("Save of an edited unit cost"), save.stages);

    out() << "\n| Fact | Value |\n|---|---|\n";
    out() << "| Rows in the list's model after View All | " << listRows << " |\n";
    out() << "| Widgets under the grid: empty screen / list shown / filtered / View All | "
          << gridWidgetsBefore << " / " << gridWidgetsShown << " / " << gridWidgetsFiltered << " / "
          << gridWidgetsAll << " |\n";
    out() << "| Widgets on the whole screen: before / after showing the list | "
          << screenWidgetsBefore << " / " << screenWidgetsShown << " |\n";
    out() << "| Rows on the grid's first page | " << rowsOnPage << " |\n";
    out() << "| Sorts: the material current before each click is current after it, in the "
             "record set and in the list | "
          << yesNo(sortKeptCurrent) << " |\n";
    out() << "| The grid's viewport painted inside every timed run | " << yesNo(painted) << " |\n";
    out() << "| Repaint with nothing changed, median ms: the grid's rows / the whole screen | "
          << cell(gridPaintMs) << " / " << cell(screenPaintMs) << " |\n";
    out() << "| Save: material " << save.materialId << " (list row " << save.listRow + 1
          << "), unit cost edited in the panel; median ms of Save | " << cell(save.ms) << " |\n";
    out() << "| Save: recordSetChanged of dcMaterials / resets of the list's model | "
          << save.recordSetChanges << " / " << save.listResets << " |\n";
    out() << "| Save: rows in the list before / after | " << save.rowsBefore << " / "
          << save.rowsAfter << " |\n";
    out() << "| Save: the file holds the typed cost / the list shows | " << save.stored << " ("
          << yesNo(save.savedAsTyped) << ") / " << save.listShows << " |\n";
    out() << "| Save: price date stored | " << save.updatedLast << " |\n";
    out() << "| Message boxes shown: lists / save | " << messagesBeforeSave << " / "
          << gMessagesShown - messagesBeforeSave << " |\n";
    out().flush();
    gConnection = nullptr;
    return 0;
}
