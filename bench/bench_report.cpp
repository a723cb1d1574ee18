// Times the printed quote of estimates of 100, 1,000 and 10,000 material lines (and a fifth as
// many labor lines): reading the estimate, laying it out, showing the preview with its first
// page, writing the HTML and the PDF, and the memory the open preview takes. The estimates are
// made in a database of their own in a temporary folder. The memory of the preview of the
// largest is measured again as the user meets it: in a fresh process (a child run of this
// program) with the main window open, File > Print's own function showing the preview; the
// growth of the resident set and of its peak from before the command to the preview painted.
// Prints Markdown tables for docs/PERFORMANCE.md.
//
//   plenwick_bench_report [--repeat N]

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/memorytuning.h"
#include "data/schema.h"
#include "report/datareport.h"
#include "report/printquote.h"
#include "report/quotepreview.h"
#include "report/reporthtml.h"
#include "report/reportpageview.h"
#include "report/reportpainter.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

using namespace Bench;

namespace {

// An estimate of materials material lines and materials / 5 labor lines: its key.
int makeEstimate(Connection& db, int quote, int materials) {
    Transaction transaction(db.database());
    db.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, "
                              "Shipping) VALUES (?, ?, 0.0825, 35)"),
               {quote, QDateTime::currentDateTime()});
    const int id = int(db.database().lastInsertId());
    Statement material(db.database(),
                       QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, "
                                      "ManufacturerDescription, Price, Extension) "
                                      "VALUES (?, ?, ?, ?, ?)"));
    for (int i = 0; i < materials; ++i) {
        material.bindAll({id, 1 + i % 40,
                          QStringLiteral("Schedule 40 PVC elbow 3/4\" slip x slip, line %1").arg(i),
                          1.25 + i % 97, (1 + i % 40) * (1.25 + i % 97)});
        material.execute();
        material.reset();
    }
    Statement labor(db.database(),
                    QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, "
                                   "LaborDescription, LaborRate, LaborExtension) "
                                   "VALUES (?, 2.5, ?, 48, 120)"));
    for (int i = 0; i < materials / 5; ++i) {
        labor.bindAll({id, QStringLiteral("Rough-in and set fixtures, visit %1").arg(i)});
        labor.execute();
        labor.reset();
    }
    transaction.commit();
    return id;
}

struct Row {
    int lines = 0;
    int pages = 0;
    double readMs = 0;
    double layoutMs = 0;
    double previewMs = 0;
    double htmlMs = 0;
    double pdfMs = 0;
    double previewMiB = 0;
    qint64 htmlKiB = 0;
    qint64 pdfKiB = 0;
};

double elapsedMs(const QElapsedTimer& clock) {
    return clock.nsecsElapsed() / 1e6;
}

const char* const kPreviewChild = "--preview-child";

// The company block of every quote the benchmark prints, with its logo.
CompanyDetails benchCompany(const QString& logoPath) {
    return {QStringLiteral("Hollis & Marsh Contracting"),
            QStringLiteral("1480 Quarry Road, Suite 3"),
            QStringLiteral("Millbrook, PA 17011"),
            QStringLiteral("(717) 555-0142"),
            QStringLiteral("(717) 555-0143"),
            QStringLiteral("office@hollismarsh.example"),
            logoPath,
            QStringLiteral("www.hollismarsh.example"),
            true};
}

// The peak of the resident set starts again from what is resident now (Linux; elsewhere the
// peak stays the process's).
void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A fresh process with the program's main window open on the file (argv: path, estimate key,
// logo): shows the quote's preview as File > Print does, and prints the growth of the resident
// set and of its peak, in KiB, once the preview has painted, and the time to it in ms.
int previewChild(int argc, char** argv) {
    keepRecordSetMemory();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    registerMoneyMetaType();
    applyProgramStyle(app);
    printMessagesAnsweringOk();
    QTemporaryDir settingsDir;
    isolateSettings(settingsDir.path());
    ProgramObjects objects;
    useDatabase(QString::fromLocal8Bit(argv[2]));
    const CompanyDetails company = benchCompany(QString::fromLocal8Bit(argv[4]));
    gSettings->setCompanyName(company.name);
    gSettings->setCompanyAdress(company.address);
    gSettings->setCompanyCity(company.city);
    gSettings->setCompanyPhone(company.phone);
    gSettings->setCompanyFax(company.fax);
    gSettings->setLogoPath(company.logoPath);
    frmMain window;
    window.resize(1024, 768);
    window.show();
    QApplication::processEvents();
    QApplication::processEvents();

    const Memory before = processMemory();
    resetPeakMemory();
    QElapsedTimer clock;
    Memory shown;
    double ms = -1;
    // Once the preview is up and painted, its memory is read and it is closed.
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<QuotePreview*>(QApplication::activeModalWidget());
        if (!preview || !preview->isVisible())
            return;
        poll.stop();
        preview->preview->repaint();
        ms = elapsedMs(clock);
        shown = processMemory();
        preview->reject();
    });
    poll.start();
    clock.start();
    showQuotePreview(QString::fromLocal8Bit(argv[3]).toInt(), &window);
    out() << (shown.residentKiB - before.residentKiB) << " " << (shown.peakKiB - before.residentKiB)
          << " " << ms << "\n";
    out().flush();
    return ms < 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    if (argc == 5 && qstrcmp(argv[1], kPreviewChild) == 0)
        return previewChild(argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    registerMoneyMetaType();
    applyProgramStyle(app);
    int repeat = 5;
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--repeat"));
        at > 0 && at + 1 < args.size())
        repeat = std::max(1, args.at(at + 1).toInt());
    setMessageHandler([](const MessageRequest& request) {
        err() << "message box \"" << request.title << "\": " << request.text << "\n";
        return QMessageBox::Ok;
    });
    QTemporaryDir folder;
    isolateSettings(folder.path());
    const QString path = folder.filePath(QStringLiteral("report.mdb"));
    QString error;
    if (!Schema::createFile(path, &error)) {
        err() << error << "\n";
        return 1;
    }
    ProgramObjects objects;
    if (!openDatabase(objects.connection, path))
        return 1;
    QImage logo(1200, 400, QImage::Format_RGB32);
    logo.fill(QColor(30, 80, 160));
    const QString logoPath = folder.filePath(QStringLiteral("logo.png"));
    logo.save(logoPath);
    const CompanyDetails company = benchCompany(logoPath);

    std::vector<Row> rows;
    int largest = 0;
    for (int lines : {100, 1000, 10000}) {
        const int id = makeEstimate(objects.connection, 5000 + lines, lines);
        largest = id;
        Row row;
        row.lines = lines + lines / 5;
        DataEnvironment source;
        row.readMs = timeMedian(repeat, [&] {
            source.fillWorkTable(objects.connection, id);
            source.rptMain_Grouping(objects.connection, id);
        });
        DataReport1 report(source, company);
        report.DataReport_Initialize();
        ReportLayout layout;
        row.layoutMs = timeMedian(repeat, [&] { layout = report.layout(QDate::currentDate()); });
        row.pages = int(layout.pages.size());

        // From the menu command to the preview showing its first page: reading, layout, and the
        // window drawing every page's picture and painting the first.
        std::vector<double> shown;
        for (int run = 0; run <= repeat; ++run) {
            const Memory before = processMemory();
            QElapsedTimer clock;
            clock.start();
            DataEnvironment fresh;
            fresh.fillWorkTable(objects.connection, id);
            fresh.rptMain_Grouping(objects.connection, id);
            DataReport1 quote(fresh, company);
            quote.DataReport_Initialize();
            const ReportLayout pages = quote.layout(QDate::currentDate());
            QuotePreview preview(pages, quote.ExportFormats(), QStringLiteral("Estimate"));
            preview.show();
            preview.preview->repaint();
            QApplication::processEvents();
            const double ms = elapsedMs(clock);
            const Memory open = processMemory();
            // The first opening counts for memory: later ones reuse what it left free.
            if (run == 0)
                row.previewMiB = (open.residentKiB - before.residentKiB) / 1024.0;
            else
                shown.push_back(ms);
        }
        row.previewMs = median(shown);

        const QString html = folder.filePath(QStringLiteral("quote.htm"));
        const QString pdf = folder.filePath(QStringLiteral("quote.pdf"));
        row.htmlMs = timeMedian(repeat, [&] { writeReportHtml(layout, html, &error); });
        row.pdfMs = timeMedian(repeat, [&] { writeReportPdf(layout, pdf, &error); });
        row.htmlKiB = QFileInfo(html).size() / 1024;
        row.pdfKiB = QFileInfo(pdf).size() / 1024;
        rows.push_back(row);
    }

    out()
        << "| Lines | Pages | Read (ms) | Layout (ms) | Preview, first page (ms) | Preview memory "
           "(MiB) | HTML (ms) | HTML (KiB) | PDF (ms) | PDF (KiB) |\n"
           "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const Row& r : rows)
        out() << "| " << r.lines << " | " << r.pages << " | " << number(r.readMs, 1) << " | "
              << number(r.layoutMs, 1) << " | " << number(r.previewMs, 1) << " | "
              << number(r.previewMiB, 1) << " | " << number(r.htmlMs, 1) << " | " << r.htmlKiB
              << " | " << number(r.pdfMs, 1) << " | " << r.pdfKiB << " |\n";
    out().flush();

    // The largest quote's preview in fresh processes, the program's window open.
    objects.connection.close();
    std::vector<double> resident;
    std::vector<double> peak;
    std::vector<double> shownMs;
    for (int run = 0; run < repeat; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kPreviewChild), path, QString::number(largest), logoPath});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            err() << "the preview's child run failed: " << child.readAllStandardError() << "\n";
            return 1;
        }
        const QStringList said =
            QString::fromLocal8Bit(child.readAllStandardOutput()).simplified().split(u' ');
        if (said.size() < 3)
            return 1;
        resident.push_back(said[0].toDouble() / 1024.0);
        peak.push_back(said[1].toDouble() / 1024.0);
        shownMs.push_back(said[2].toDouble());
    }
    out() << "\n| Preview of " << rows.back().lines
          << " lines, fresh process, window open | Median | Largest |\n|---|---:|---:|\n"
          << "| Resident set growth (MiB) | " << number(median(resident), 1) << " | "
          << number(*std::max_element(resident.begin(), resident.end()), 1) << " |\n"
          << "| Peak growth (MiB) | " << number(median(peak), 1) << " | "
          << number(*std::max_element(peak.begin(), peak.end()), 1) << " |\n"
          << "| Print command to the preview painted (ms) | " << number(median(shownMs), 1) << " | "
          << number(*std::max_element(shownMs.begin(), shownMs.end()), 1) << " |\n";
    out().flush();
    return 0;
}
