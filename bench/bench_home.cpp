// Times the Home screen's month list (a month shown, a click on an arrow) against the bare SQLite
// cursor running the same statement, on a generated database. Prints a Markdown table for
// docs/PERFORMANCE.md.
//
//   plenwick_bench_home [--generate] [--repeat N] [PATH]
//
// PATH and --generate as for plenwick_bench. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.

#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "estimates/estimatebook.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"
#include "widgets/messagebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextStream>
#include <functional>

using namespace Bench;

namespace {

QVariantList monthRange(const QDate& first) {
    return {first, first.addMonths(1)};
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_home"),
               QStringLiteral("Times the Home screen's month list."), &options))
        return 1;
    applyProgramStyle(app);
    printMessagesAnsweringOk();

    Connection connection;
    Connection floorConnection;
    if (!openDatabase(connection, options.path) || !openDatabase(floorConnection, options.path))
        return 1;
    connection.setShared(true);
    gConnection = &connection;
    gConnectionString = connection.connectionString();

    // The month of the middle estimate by date, as plenwick_bench takes it.
    const QDate middle =
        scalar(connection,
               QStringLiteral("SELECT EstimateData FROM EstimateTBL ORDER BY EstimateData "
                              "LIMIT 1 OFFSET (SELECT COUNT(*) / 2 FROM EstimateTBL)"))
            .toDate();
    const QDate month = middle.isValid() ? QDate(middle.year(), middle.month(), 1)
                                         : QDate(QDate::currentDate().year(), 1, 1);

    EstimateBook book;
    const std::unique_ptr<HomeFrame> home = showHome(book);
    if (!home)
        return 1;
    HomeFrame& frame = *home;
    EstimatesMonthList* list = frame.monthList;
    const QString sql = list->AdodcEstimatesAll->recordSource();

    // Each operation twice: what the user waits for, the paint included, and the screen's own
    // work up to the paint, which is what compares with the floor.
    const double floorMs =
        timeMedian(options.repeat, [&] { bareRows(floorConnection, sql, monthRange(month)); });
    const auto fromMonthBefore = [&] {
        list->showMonth(month.addMonths(-1));
        settle();
    };
    const struct {
        QString operation;
        std::function<void()> work;
    } operations[] = {
        {QStringLiteral("Month listed: ") + month.toString(QStringLiteral("MMMM yyyy")),
         [&] { list->showMonth(month); }},
        {QStringLiteral("Month step (click on the forward arrow)"),
         [&] { QTest::mouseClick(frame.cmdDateUp, Qt::LeftButton); }},
    };
    std::vector<Timed> screen;
    std::vector<Timed> work;
    for (const auto& operation : operations) {
        Timed painted{operation.operation, 0, 0, floorMs};
        painted.ms = timeMedian(options.repeat, fromMonthBefore, [&] {
            operation.work();
            settle();
        });
        painted.rows = list->listedCount();
        screen.push_back(painted);
        Timed own = painted;
        own.ms = timeMedian(options.repeat, fromMonthBefore, operation.work);
        work.push_back(own);
    }
    printTimes(QStringLiteral("Screen (ms)"), screen, [](double ms) { return number(ms, 3); });
    out() << "\n";
    printTimes(QStringLiteral("Work (ms)"), work, [](double ms) { return number(ms, 3); });
    return 0;
}
