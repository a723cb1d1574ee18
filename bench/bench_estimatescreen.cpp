// Times the Estimate screen as a user first meets it, each run in a fresh process: the program
// started on a file, a large estimate chosen on Home (its month shown, its row clicked, Enter
// pressed), until the screen has been painted; then a click on the record bar's next arrow,
// several times, each until painted. The file needs estimates of many lines, for example
//
//   plenwick --generate-demo-data /tmp/lines.mdb --estimates 120 --material-lines 1000
//            --labor-lines 200
//
//   plenwick_bench_estimatescreen [--repeat N] PATH
//
// Each run is a child process of the benchmark (the same program with --child), so nothing is
// warm; the medians and the largest step are printed as a Markdown table for
// docs/PERFORMANCE.md.

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "data/globals.h"
#include "data/memorytuning.h"
#include "data/money.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"
#include "widgets/datanavigator.h"
#include "widgets/messagebox.h"
#include "widgets/recordsetmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QToolButton>
#include <memory>

using namespace Bench;

namespace {

const char* const kChildOption = "--child";
// PLENWICK_BENCH_STEPS asks for more, to profile them.
const int kSteps = qEnvironmentVariableIntValue("PLENWICK_BENCH_STEPS") > 0
                       ? qEnvironmentVariableIntValue("PLENWICK_BENCH_STEPS")
                       : 5;

// Counts the paints of the widgets watched since it was armed.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const QList<QWidget*>& widgets) {
        for (QWidget* w : widgets) {
            w->installEventFilter(this);
            m_watched << w;
        }
    }
    void arm() { m_painted.clear(); }
    // Every widget watched painted; false after ten seconds.
    bool waitForPaint() {
        QElapsedTimer waited;
        waited.start();
        while (m_painted.size() < m_watched.size() && waited.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_painted.size() == m_watched.size();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            m_painted.insert(watched);
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QObject*> m_watched;
    QSet<QObject*> m_painted;
};

double msSince(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e6;
}

// The measured steps, each a function of its own so that a profiler can be pointed at it.
[[gnu::noinline]] bool openFromHome(QTableView* list, PaintWatch& watch) {
    QTest::keyClick(list, Qt::Key_Return);
    return watch.waitForPaint();
}

[[gnu::noinline]] bool stepToNext(QToolButton* next, PaintWatch& watch) {
    QTest::mouseClick(next, Qt::LeftButton);
    return watch.waitForPaint();
}

// One run: prints "open <ms>" and "step <ms>" lines.
int child(int argc, char** argv) {
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
    frmMain window;
    window.resize(1024, 768);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QApplication::processEvents();

    // The first estimate of the largest kind, and its month on Home.
    const int id = scalar(*gConnection,
                          QStringLiteral("SELECT EstimateID FROM MaterialEstimateTBL GROUP BY "
                                         "EstimateID ORDER BY COUNT(*) DESC, EstimateID LIMIT 1"))
                       .toInt();
    const QDate date = scalar(*gConnection,
                              QStringLiteral("SELECT EstimateData FROM EstimateTBL WHERE "
                                             "EstimateID = ?"),
                              {id})
                           .toDate();
    EstimatesMonthList* home = window.frMain->monthList;
    home->showMonth(date);
    QApplication::processEvents();
    auto* list = qobject_cast<RecordSetModel*>(home->DGEstimatesAll->model());
    int row = -1;
    for (int r = 0; list && r < list->recordCount(); ++r)
        if (list->value(r, 0).toInt() == id)
            row = r;
    if (row < 0) {
        err() << "estimate " << id << " is not listed\n";
        return 1;
    }
    const QModelIndex cell = home->DGEstimatesAll->model()->index(row, 1);
    home->DGEstimatesAll->scrollTo(cell);
    QTest::mouseClick(home->DGEstimatesAll->viewport(), Qt::LeftButton, {},
                      home->DGEstimatesAll->visualRect(cell).center());
    QApplication::processEvents();

    EstimateFrame* screen = window.frEstimating;
    PaintWatch watch(
        {screen->grdMaterialEstimate->viewport(), screen->grdLaborEstimate->viewport()});
    watch.arm();
    QElapsedTimer clock;
    clock.start();
    if (!openFromHome(home->DGEstimatesAll, watch))
        return 1;
    out() << "open " << msSince(clock) << " " << screen->grdMaterialEstimate->model()->rowCount()
          << "\n";

    QToolButton* next = nullptr;
    for (QToolButton* button : screen->dcEstimates->findChildren<QToolButton*>())
        if (button->toolTip() == DataNavigator::tr("Next record"))
            next = button;
    for (int i = 0; next && i < kSteps; ++i) {
        watch.arm();
        clock.restart();
        if (!stepToNext(next, watch))
            return 1;
        out() << "step " << msSince(clock) << " "
              << screen->grdMaterialEstimate->model()->rowCount() << "\n";
    }
    out() << "rss " << processMemory().residentKiB << "\n";
    out().flush();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    if (argc == 3 && qstrcmp(argv[1], kChildOption) == 0)
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    int repeat = 5;
    QString path;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeat = std::max(1, args[++i].toInt());
        else
            path = args[i];
    }
    if (path.isEmpty()) {
        err() << "usage: plenwick_bench_estimatescreen [--repeat N] PATH\n";
        return 1;
    }
    std::vector<double> opens;
    std::vector<double> steps;
    double largestStep = 0;
    int lines = 0;
    for (int run = 0; run < repeat; ++run) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(),
                      {QString::fromLatin1(kChildOption), path});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            err() << "run " << run << " failed: " << process.readAllStandardError() << "\n";
            return 1;
        }
        const QStringList said = QString::fromLocal8Bit(process.readAllStandardOutput())
                                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : said) {
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() < 3)
                continue;
            const double ms = parts[1].toDouble();
            if (parts[0] == QLatin1String("open")) {
                opens.push_back(ms);
                lines = parts[2].toInt();
            } else if (parts[0] == QLatin1String("step")) {
                steps.push_back(ms);
                largestStep = std::max(largestStep, ms);
            }
        }
        err() << said.join(QStringLiteral("; ")) << "\n";
    }
    out() << "| Estimate screen, fresh process | Material lines | Median (ms) | Largest (ms) "
             "|\n|---|---:|---:|---:|\n";
    out() << "| Opened from Home (Enter on the row) | " << lines << " | "
          << number(median(opens), 1) << " | "
          << number(*std::max_element(opens.begin(), opens.end()), 1) << " |\n";
    out() << "| Next estimate (record bar) | " << lines << " | " << number(median(steps), 1)
          << " | " << number(largestStep, 1) << " |\n";
    return 0;
}
