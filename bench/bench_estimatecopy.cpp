// Times Home's Find box against the bare SQLite cursor running the same statement, and the copy
// of a 1,000-line estimate (Edit > Duplicate Estimate) and the cost update of its lines, on a
// generated database. Prints Markdown tables for docs/PERFORMANCE.md.
//
//   plenwick_bench_estimatecopy [--generate] [--repeat N] [PATH]
//
// PATH and --generate as for plenwick_bench. A file without customers first gets 300 of them,
// and most estimates a customer and a job (written into the file). Runs on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise.

#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "estimates/costupdate.h"
#include "estimates/estimatebook.h"
#include "estimates/estimatecopy.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"

#include <QApplication>
#include <QTextStream>

using namespace Bench;

namespace {

// 300 customers (12 family names x 25 trades) with contacts; four estimates in five get one,
// with a job.
bool addCustomers(Connection& connection) {
    if (scalar(connection, QStringLiteral("SELECT COUNT(*) FROM CustomersTBL")).toInt() > 0)
        return true;
    const QStringList families = {
        QStringLiteral("Okafor"),    QStringLiteral("Lindqvist"),  QStringLiteral("Harbor"),
        QStringLiteral("Delgado"),   QStringLiteral("Brennan"),    QStringLiteral("Nakamura"),
        QStringLiteral("Whitfield"), QStringLiteral("Castellano"), QStringLiteral("Petrov"),
        QStringLiteral("Ashby"),     QStringLiteral("Moreau"),     QStringLiteral("Quinlan")};
    const QStringList kinds = {QStringLiteral("Homes"), QStringLiteral("Builders"),
                               QStringLiteral("Property Group"), QStringLiteral("Realty"),
                               QStringLiteral("Construction")};
    Transaction transaction(connection.database());
    int n = 0;
    for (const QString& family : families)
        for (const QString& kind : kinds)
            for (int branch = 1; branch <= 5; ++branch, ++n)
                if (!connection.execute(
                        QStringLiteral("INSERT INTO CustomersTBL (CustomerName, ContactName, City) "
                                       "VALUES (?, ?, 'Springfield, IL 62701')"),
                        {QStringLiteral("%1 %2 %3").arg(family, kind).arg(branch),
                         QStringLiteral("%1 %2").arg(families.at((n * 7) % 12), kind.left(3))}))
                    return false;
    return connection.execute(
               QStringLiteral("UPDATE EstimateTBL SET CustomerID = 1 + EstimateID % 300, "
                              "JobName = 'Job ' || (EstimateID % 97) WHERE EstimateID % 5 <> 0")) &&
           transaction.commit();
}

// An estimate of 1,000 material and 200 labor lines, copied from the first material lines
// stored; its key.
int addLargeEstimate(Connection& connection) {
    const int reference = int(EstimateCopy::nextFreeReference(connection.database()));
    Transaction transaction(connection.database());
    if (!connection.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, "
                                           "TaxRate, Shipping, CustomerID, JobName) "
                                           "VALUES (?, '2024-06-01', 0.0825, 50, 1, 'Large')"),
                            {reference}))
        return 0;
    const int id = int(connection.database().lastInsertId());
    const bool ok =
        connection.execute(
            QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, Quantity, "
                           "PartNumber, ManufacturerDescription, UnitCost, TotalCost, Price, "
                           "Extension, Margin) SELECT ?, MaterialsID, Quantity, PartNumber, "
                           "ManufacturerDescription, UnitCost, TotalCost, Price, Extension, "
                           "Margin FROM MaterialEstimateTBL WHERE MaterialsID IS NOT NULL "
                           "LIMIT 1000"),
            {id}) &&
        connection.execute(
            QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, "
                           "LaborRate, LaborExtension) SELECT ?, Hours, LaborDescription, "
                           "LaborRate, LaborExtension FROM LaborEstimateTBL LIMIT 200"),
            {id});
    return ok && transaction.commit() ? id : 0;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_estimatecopy"),
               QStringLiteral("Times Home's Find box, Duplicate Estimate and Update Costs."),
               &options))
        return 1;
    applyProgramStyle(app);
    printMessagesAnsweringOk();

    Connection connection;
    Connection floorConnection;
    if (!openDatabase(connection, options.path) || !addCustomers(connection) ||
        !openDatabase(floorConnection, options.path)) {
        err() << "the customers could not be added\n";
        return 1;
    }
    connection.setShared(true);
    gConnection = &connection;
    gConnectionString = connection.connectionString();

    EstimateBook book;
    const std::unique_ptr<HomeFrame> home = showHome(book);
    if (!home)
        return 1;
    HomeFrame& frame = *home;
    EstimatesMonthList* list = frame.monthList;

    // Each search from the month, as typed into an empty box: the screen's work, and with the
    // paint.
    const QString searches[] = {QStringLiteral("Okafor Homes"), QStringLiteral("Harbor"),
                                QStringLiteral("12"), QStringLiteral("Job 42"),
                                QStringLiteral("no such text")};
    std::vector<Timed> work;
    std::vector<Timed> painted;
    for (const QString& text : searches) {
        list->find(text);
        const QString sql = list->AdodcEstimatesAll->recordSource();
        const QVariantList values = EstimatesMonthList::findValues(text);
        const double floorMs =
            timeMedian(options.repeat, [&] { bareRows(floorConnection, sql, values); });
        const QString name = QStringLiteral("Find \"%1\"").arg(text);
        Timed own{name, list->listedCount(), 0, floorMs};
        own.ms = timeMedian(
            options.repeat, [&] { list->leaveSearch(); }, [&] { list->find(text); });
        work.push_back(own);
        Timed shown = own;
        shown.ms = timeMedian(
            options.repeat,
            [&] {
                list->leaveSearch();
                settle();
            },
            [&] {
                list->find(text);
                settle();
            });
        painted.push_back(shown);
    }
    list->leaveSearch();
    printTimes(QStringLiteral("Work (ms)"), work, [](double ms) { return number(ms, 3); });
    out() << "\n";
    printTimes(QStringLiteral("Screen (ms)"), painted, [](double ms) { return number(ms, 3); });
    out() << "\n";

    // The copy of a 1,000-line estimate, each run's copy removed again before the next.
    const int large = addLargeEstimate(connection);
    if (large <= 0) {
        err() << "the large estimate could not be stored: " << connection.lastError().text()
              << "\n";
        return 1;
    }
    Database& db = connection.database();
    int copy = 0;
    const auto removeCopy = [&] {
        if (copy <= 0)
            return;
        for (const char* table : {"MaterialEstimateTBL", "LaborEstimateTBL", "EstimateTBL"})
            connection.execute(
                QStringLiteral("DELETE FROM %1 WHERE EstimateID = ?").arg(QLatin1String(table)),
                {copy});
        copy = 0;
    };
    const auto duplicate = [&] {
        DbError error;
        copy = EstimateCopy::duplicate(
            db, large, {EstimateCopy::nextFreeReference(db), QDate::currentDate(), 30, QString()},
            &error);
        if (copy <= 0)
            err() << "the copy failed: " << error.description << "\n";
    };
    const double copyMs = timeMedian(options.repeat, removeCopy, duplicate);
    const double openMs = timeMedian(options.repeat, removeCopy, [&] {
        duplicate();
        book.openAdded(copy);
        settle();
    });
    removeCopy();
    // The catalogue's costs moved by a cent, there and back, so every run changes every line.
    int step = 0;
    const auto moveCatalogue = [&] {
        connection.execute(QStringLiteral("UPDATE MaterialsTBL SET UnitCost = UnitCost + ? WHERE "
                                          "MaterialsID IN (SELECT MaterialsID FROM "
                                          "MaterialEstimateTBL WHERE EstimateID = ?)"),
                           {(++step % 2) ? 0.01 : -0.01, large});
    };
    int changed = 0;
    const double updateMs = timeMedian(options.repeat, moveCatalogue, [&] {
        DbError error;
        const auto summary = CostUpdate::fromCatalogue(db, large, &error);
        changed = summary ? summary->changed : -1;
    });
    out() << "| Operation | Lines | Time (ms) |\n|---|---:|---:|\n";
    out() << "| Duplicate: the copy stored (`EstimateCopy::duplicate`) | 1,200 | "
          << number(copyMs, 3) << " |\n";
    out() << "| Duplicate with the copy opened (the estimates read again) | 1,200 | "
          << number(openMs, 3) << " |\n";
    out() << "| Update Costs From Catalogue (" << changed << " lines changed) | 1,000 | "
          << number(updateMs, 3) << " |\n";
    return 0;
}
