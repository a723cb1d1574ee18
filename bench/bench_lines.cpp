// Times the editing of a large estimate on the Estimate screen: adding a material line as the
// picker hands it over, committing a quantity, a margin, hours and a rate as a cell editor does,
// and deleting a line (answered Yes), each with the totals panel following and the grid painted.
// The estimate has 1,000 material lines and 200 labor lines; it is made in a copy of the
// database, so the file given is never changed. Prints a Markdown table for
// docs/PERFORMANCE.md.
//
//   plenwick_bench_lines [--generate] [--repeat N] [PATH]

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimatelines.h"
#include "estimates/laborlines.h"
#include "estimates/materiallines.h"
#include "settings/registry.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

using namespace Bench;

namespace {

constexpr int kMaterialLines = 1000;
constexpr int kLaborLines = 200;

// Lets the event loop lay out and paint what the operation changed.
void layOutAndPaint() {
    QApplication::processEvents();
    QApplication::processEvents();
}

// The estimate to edit, written straight into the copy: its key.
int makeLargeEstimate(Connection& db) {
    db.execute(QStringLiteral("BEGIN"));
    db.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, "
                              "Shipping) VALUES ((SELECT MAX(QuoteNumber) + 1 FROM EstimateTBL), "
                              "'2026-12-06', 0.0825, 25)"));
    const int id = scalar(db, QStringLiteral("SELECT MAX(EstimateID) FROM EstimateTBL")).toInt();
    for (int i = 0; i < kMaterialLines; ++i)
        db.execute(QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, MaterialsID, "
                                  "Quantity, PartNumber, ManufacturerDescription, UnitCost, "
                                  "TotalCost, Price, Extension, Margin) SELECT ?, MaterialsID, "
                                  "2, PartNumber, ManufacturerDescription, UnitCost, UnitCost * "
                                  "2, UnitCost * 1.2, UnitCost * 2.4, 0.2 FROM MaterialsTBL "
                                  "WHERE MaterialsID = ?"),
                   {id, 1 + i * 97});
    for (int i = 0; i < kLaborLines; ++i)
        db.execute(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, "
                                  "LaborDescription, LaborRate, LaborExtension) VALUES (?, 4, ?, "
                                  "45, 180)"),
                   {id, QStringLiteral("Labor %1").arg(i + 1)});
    db.execute(QStringLiteral("COMMIT"));
    return id;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    Options options;
    if (!start(app, QStringLiteral("plenwick_bench_lines"),
               QStringLiteral("Times adding, editing and deleting lines of a large estimate."),
               &options))
        return 1;
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    applyProgramStyle(app);
    // Deletes are confirmed; anything else is printed and answered OK.
    setMessageHandler([](const MessageRequest& request) {
        if (request.buttons & QMessageBox::Yes)
            return QMessageBox::Yes;
        err() << "message box \"" << request.title << "\": " << request.text << "\n";
        return QMessageBox::Ok;
    });
    QTemporaryDir folder;
    isolateSettings(folder.path());
    const QString copy = folder.filePath(QStringLiteral("lines.mdb"));
    if (!QFile::copy(options.path, copy)) {
        err() << "could not copy " << options.path << "\n";
        return 1;
    }
    int estimateId = 0;
    {
        Connection db;
        if (!openDatabase(db, copy))
            return 1;
        estimateId = makeLargeEstimate(db);
    }

    ProgramObjects objects;
    useDatabase(copy);
    frmMain window;
    window.resize(1024, 768);
    window.show();
    window.SwitchScreen(QStringLiteral("estimate"), window.mnuViewEstimateScr);
    window.estimateBook->open(estimateId);
    layOutAndPaint();
    EstimateLines* lines = window.frEstimating->lines;
    MaterialLines* material = lines->material;
    LaborLines* labor = lines->labor;
    const int shownMaterial = material->model->recordCount();
    const int shownLabor = labor->model->recordCount();
    const int repeat = std::max(options.repeat, 5);

    struct Row {
        QString operation;
        double ms;
    };
    std::vector<Row> rows;
    const auto time = [&](const QString& operation, const std::function<void()>& work) {
        rows.push_back({operation, timeMedian(repeat, [&] {
                            work();
                            layOutAndPaint();
                        })});
    };
    int row = 0;
    time(QStringLiteral("Add a material line (as the picker hands it over)"), [&] {
        material->mofrmMaterials_MaterialClicled(
            12, QStringLiteral("BENCH-1"), QStringLiteral("Bench elbow"), Money::fromCents(1250));
    });
    time(QStringLiteral("Commit a quantity"), [&] {
        row = (row + 37) % kMaterialLines;
        material->model->setData(material->model->index(row, MaterialLines::Quantity),
                                 QString::number(1 + row % 9));
    });
    time(QStringLiteral("Commit a margin"), [&] {
        row = (row + 37) % kMaterialLines;
        material->model->setData(material->model->index(row, MaterialLines::Margin),
                                 QStringLiteral("%1%").arg(row % 40));
    });
    time(QStringLiteral("Delete a material line (confirmed)"),
         [&] { material->deleteLine(material->model->recordCount() / 2); });
    time(QStringLiteral("Add a labor line (typed on the new-row line)"), [&] {
        labor->model->setData(labor->model->index(labor->model->recordCount(), LaborLines::Hours),
                              QStringLiteral("2.5"));
        labor->model->submit(); // the line is written as it is left
    });
    time(QStringLiteral("Commit a rate"), [&] {
        row = (row + 7) % kLaborLines;
        labor->model->setData(labor->model->index(row, LaborLines::Rate),
                              QStringLiteral("$%1.00").arg(40 + row % 20));
    });
    time(QStringLiteral("Delete a labor line (confirmed)"),
         [&] { labor->deleteLine(labor->model->recordCount() / 2); });

    out() << "Estimate of " << shownMaterial << " material and " << shownLabor
          << " labor lines; each figure includes the totals panel and the paint.\n\n";
    out() << "| Operation | ms |\n|---|---:|\n";
    for (const Row& r : rows)
        out() << "| " << r.operation << " | " << number(r.ms, 2) << " |\n";
    out() << "\n";
    return 0;
}
