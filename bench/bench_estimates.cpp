// Times, inside one process after a warm-up, opening an estimate on the Estimate screen (the
// record move, both line grids and the totals panel), and measures the memory the record set of
// every estimate holds in a fresh process. Prints Markdown tables for docs/PERFORMANCE.md. What a
// user meets first (start-up, the first opening) is plenwick_bench_firstuse's.
//
//   plenwick_bench_estimates [--generate] [--repeat N] [PATH]
//
// PATH and --generate as for plenwick_bench. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise; the settings live in a temporary folder.

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "bench/firstpaint.h"
#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/memorytuning.h"
#include "data/money.h"
#include "data/recordset.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/homeframe.h"
#include "settings/registry.h"
#include "widgets/messagebox.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

using namespace Bench;

namespace {

// The program as start-up makes it, on one database file: its settings name the file.
struct Program {
    std::unique_ptr<ProgramObjects> objects;
    std::unique_ptr<frmMain> window;

    // Start-up to the Home screen drawn: settings, database, window, first paint of the list.
    void start(const QString& path) {
        window.reset();
        objects.reset();
        objects = std::make_unique<ProgramObjects>();
        useDatabase(path);
        window = std::make_unique<frmMain>();
        window->resize(1024, 768);
        std::unique_ptr<FirstPaint> watch(paintOf(window->frMain->DGEstimatesAll->viewport()));
        watch->arm();
        window->show();
        watch->wait();
    }
    void stop() {
        window.reset();
        objects.reset();
    }
};

qint64 residentKiB() {
    return processMemory().residentKiB;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_estimates"),
               QStringLiteral("Times start-up, the Home month list and opening an estimate."),
               &options))
        return 1;
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    applyProgramStyle(app);
    printMessagesAnsweringOk();
    QTemporaryDir settingsDir;
    isolateSettings(settingsDir.path());
    const int repeat = options.repeat;

    // The record set of every estimate, measured first, on a fresh process.
    {
        Connection connection;
        if (!openDatabase(connection, options.path))
            return 1;
        connection.setShared(true);
        gConnection = &connection;
        gConnectionString = connection.connectionString();
        const qint64 before = residentKiB();
        EstimateBook book;
        book.load();
        const qint64 after = residentKiB();
        out() << "| Memory | Rows | MiB |\n|---|---:|---:|\n";
        out() << "| Estimates record set (RSS after open minus before) | "
              << (book.records() ? book.records()->recordCount() : 0) << " | "
              << number(double(after - before) / 1024.0, 1) << " |\n\n";
        gConnection = nullptr;
    }

    // Opening estimates on the Estimate screen of a started program.
    Program program;
    program.start(options.path);
    frmMain& window = *program.window;
    window.SwitchScreen(QStringLiteral("estimate"), window.mnuViewEstimateScr);
    EstimateBook* book = window.estimateBook;
    std::unique_ptr<FirstPaint> gridWatch(
        paintOf(window.frEstimating->grdMaterialEstimate->viewport()));
    const int estimates = book->records() ? book->records()->recordCount() : 0;
    if (estimates == 0) {
        err() << QFileInfo(options.path).fileName() << " holds no estimate to open.\n";
        return 0;
    }
    std::vector<int> keys;
    for (int i = 1; i <= 10; ++i)
        keys.push_back(scalar(*gConnection,
                              QStringLiteral("SELECT EstimateID FROM EstimateTBL ORDER BY "
                                             "EstimateID LIMIT 1 OFFSET ?"),
                              {estimates * i / 11})
                           .toInt());
    size_t next = 0;
    const double openMs = timeMedian(repeat * 2, [&] {
        gridWatch->arm();
        book->open(keys[next++ % keys.size()]);
        gridWatch->wait();
    });
    const int lines =
        book->records() ? window.frEstimating->grdMaterialEstimate->model()->rowCount() : 0;
    out() << "| Operation | Lines | ms |\n|---|---:|---:|\n";
    out() << "| Open an estimate (move, both line grids, totals panel, paint) | " << lines << " | "
          << number(openMs, 2) << " |\n\n";
    program.stop();
    return 0;
}
