#include "bench/firstusechild.h"

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "bench/firstpaint.h"
#include "data/backup.h"
#include "data/datacontrol.h"
#include "data/globals.h"
#include "data/memorytuning.h"
#include "data/money.h"
#include "data/recordset.h"
#include "estimates/estimatebook.h"
#include "estimates/estimateframe.h"
#include "estimates/estimatesmonthlist.h"
#include "estimates/homeframe.h"
#include "help/programlogo.h"
#include "materials/materialpicker.h"
#include "materials/materialsframe.h"
#include "settings/registry.h"
#include "widgets/datanavigator.h"
#include "widgets/recordsetmodel.h"
#include "widgets/waitfeedback.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

using namespace Bench;

namespace {

void settleAWhile() {
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void print(const char* key, const QVariant& value) {
    out() << key << "=" << value.toString() << "\n";
    out().flush();
}

// The program as SubMain makes it, with the settings of a user of this file (kept beside it).
struct Program {
    WaitFeedback feedback;
    std::unique_ptr<ProgramObjects> objects;
    std::unique_ptr<frmMain> window;

    explicit Program(QApplication& app, const QString& path) {
        const QFileInfo file(path);
        // A server's database keeps its user's settings in the temporary folder.
        isolateSettings((isServer(path) ? QDir::temp() : file.dir())
                            .filePath(QStringLiteral("settings-") + file.baseName()));
        WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"),
                       QDir::toNativeSeparators(path));
        objects = std::make_unique<ProgramObjects>();
        objects->connection.database().setWaitObserver(&feedback);
        objects->trial.database().setWaitObserver(&feedback);
        gSettings->LoadSettings();
        applyProgramStyle(app);
        frmMain::readEstimatesAfterFirstPaint(true);
        window = std::make_unique<frmMain>();
        window->setWindowTitle(QStringLiteral("Plenwick"));
        window->resize(1024, 720);
    }
    // Shown, and back once the Home list has painted.
    void show() {
        std::unique_ptr<FirstPaint> home(paintOf(window->frMain->DGEstimatesAll->viewport()));
        home->arm();
        window->show();
        home->wait();
    }
    // As the program does once its window has painted.
    void afterFirstPaint() {
        window->finishLoading();
        gConnection->startBackgroundChecks();
    }
    // Shown, with the day's check and copy done, as a user working a while finds the program.
    void showAndSettle() {
        show();
        afterFirstPaint();
        waitForBackgroundWork();
    }
    // The day's check and copy done, as a user working a while would find them.
    void waitForBackgroundWork() {
        QElapsedTimer waited;
        waited.start();
        while (gConnection->hasBackgroundWork() && waited.elapsed() < 120000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        settleAWhile();
    }
    ~Program() {
        if (window)
            window->close();
        window.reset();
        objects.reset();
    }
};

// The month of an estimate of the file, shown on Home; its row there.
void showMonthOf(Program& program, int offset) {
    const QDate date = scalar(*gConnection,
                              QStringLiteral("SELECT EstimateData FROM EstimateTBL ORDER BY "
                                             "EstimateID LIMIT 1 OFFSET ?"),
                              {offset})
                           .toDate();
    program.window->frMain->monthList->showMonth(QDate(date.year(), date.month(), 1));
    settleAWhile();
}

void clickRow(QTableView* view, int row, bool twice) {
    const QRect cell =
        view->visualRect(view->model()->index(row, view->horizontalHeader()->logicalIndexAt(5)));
    // As the window system sends a double click: press, release, double click, release.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    if (twice) {
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
}

QString valuesJson(const QVariantList& values) {
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromVariantList(values)).toJson(QJsonDocument::Compact));
}

int start(QApplication& app, const QString& path, const QDate& day) {
    QGuiApplication::setDesktopFileName(QStringLiteral("org.dorvane.Plenwick"));
    QApplication::setWindowIcon(programIcon());
    setBackupClock([day] { return QDateTime(day, QTime::currentTime()); });
    Program program(app, path);
    program.show();
    print("shown", QString());
    program.afterFirstPaint();
    program.waitForBackgroundWork();
    return 0;
}

int materials(QApplication& app, const QString& path) {
    Program program(app, path);
    program.showAndSettle();
    MaterialsFrame* frame = program.window->frMaterials;
    std::unique_ptr<FirstPaint> list(paintOf(frame->grdMaterialsList->viewport()));
    list->arm();
    QTest::keyClick(program.window.get(), Qt::Key_2, Qt::ControlModifier);
    list->wait();
    QVariantList values;
    print("ms", list->ms);
    print("rows",
          frame->dcMaterials->recordSet() ? frame->dcMaterials->recordSet()->recordCount() : -1);
    print("sql", frame->materialsQuery(&values));
    print("values", valuesJson(values));
    return list->done ? 0 : 1;
}

int picker(QApplication& app, const QString& path) {
    Program program(app, path);
    program.showAndSettle();
    showMonthOf(program, 0);
    clickRow(program.window->frMain->DGEstimatesAll, 0, true);
    settleAWhile();
    // A user reads the estimate before adding materials: a second, as the quickest would; the
    // program makes the picker meanwhile.
    QTest::qWait(1000);
    EstimateFrame* frame = program.window->frEstimating;
    FirstPaint shown([](QWidget* w) {
        return w->objectName() == QLatin1String("qt_scrollarea_viewport") &&
               w->parentWidget()->objectName() == QLatin1String("grdMaterialsList") &&
               w->window()->objectName() == QLatin1String("frmMaterials");
    });
    shown.then = [&] {
        auto* dialog = qobject_cast<frmMaterials*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        QVariantList values;
        print("sql", dialog->materialsQuery(&values));
        print("values", valuesJson(values));
        print("rows", dialog->listModel()->recordCount());
        dialog->reject();
    };
    shown.arm();
    QTest::mouseClick(frame->btnMaterialEstimate, Qt::LeftButton);
    print("ms", shown.ms);
    return shown.done ? 0 : 1;
}

int estimate(QApplication& app, const QString& path) {
    Program program(app, path);
    program.showAndSettle();
    showMonthOf(program, 2);
    frmMain& window = *program.window;
    std::unique_ptr<FirstPaint> lines(
        paintOf(window.frEstimating->grdMaterialEstimate->viewport()));
    lines->arm();
    clickRow(window.frMain->DGEstimatesAll, 0, true);
    lines->wait();
    RecordSet* records = window.estimateBook->records();
    print("ms", lines->ms);
    print("estimate", records ? records->value(QStringLiteral("EstimateID")) : QVariant());
    print("rows", window.frEstimating->grdMaterialEstimate->model()->rowCount() +
                      window.frEstimating->grdLaborEstimate->model()->rowCount());
    QToolButton* next = nullptr;
    QToolButton* previous = nullptr;
    for (QToolButton* button : window.frEstimating->dcEstimates->findChildren<QToolButton*>()) {
        if (button->toolTip() == QLatin1String("Next record"))
            next = button;
        else if (button->toolTip() == QLatin1String("Previous record"))
            previous = button;
    }
    std::vector<double> steps;
    for (int i = 0; i < 8 && next && previous; ++i) {
        settleAWhile();
        QToolButton* button = next->isEnabled() ? next : previous;
        lines->arm();
        QTest::mouseClick(button, Qt::LeftButton);
        if (lines->wait())
            steps.push_back(lines->ms);
    }
    print("step_ms", median(steps));
    print("step_max_ms", steps.empty() ? -1 : *std::max_element(steps.begin(), steps.end()));
    return lines->done ? 0 : 1;
}

int floorOf(const QString& path, const QStringList& statements, const QVariantList& values) {
    // A handle of its own, the file's schema read (the server connected), so only the
    // statements are timed.
    BareHandle handle(path);
    if (!handle.isOpen())
        return 1;
    handle.rows(isServer(path) ? QStringLiteral("SELECT 1")
                               : QStringLiteral("SELECT COUNT(*) FROM sqlite_master"),
                {});
    QElapsedTimer t;
    t.start();
    int rows = 0;
    for (const QString& sql : statements)
        rows += handle.rows(sql, values);
    print("ms", double(t.nsecsElapsed()) / 1e6);
    print("rows", rows);
    return 0;
}

// The lines of both grids and the totals panel's sums, as the Estimate screen reads them.
int estimateFloor(const QString& path, int estimateId) {
    return floorOf(path,
                   {QStringLiteral("SELECT * FROM MaterialEstimateTBL WHERE "
                                   "MaterialEstimateTBL.EstimateID = ?"),
                    QStringLiteral("SELECT * FROM LaborEstimateTBL WHERE "
                                   "LaborEstimateTBL.EstimateID = ?"),
                    QStringLiteral("SELECT * FROM PXSum WHERE EstimateID = ?")},
                   {estimateId});
}

} // namespace

int runFirstUseChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    QCoreApplication::setOrganizationName(QStringLiteral("Dorvane"));
    registerMoneyMetaType();
    keepRecordSetMemory();
    printMessagesAnsweringOk();
    const QStringList args = QCoreApplication::arguments().mid(2);
    const QString kind = args.value(0);
    const QString path = args.value(1);
    if (kind == QLatin1String("start"))
        return start(app, path, QDate::fromString(args.value(2), Qt::ISODate));
    if (kind == QLatin1String("materials"))
        return materials(app, path);
    if (kind == QLatin1String("picker"))
        return picker(app, path);
    if (kind == QLatin1String("estimate"))
        return estimate(app, path);
    if (kind == QLatin1String("floor"))
        return floorOf(path, args.mid(3),
                       QJsonDocument::fromJson(args.value(2).toUtf8()).array().toVariantList());
    if (kind == QLatin1String("estimatefloor"))
        return estimateFloor(path, args.value(2).toInt());
    err() << "unknown child: " << kind << "\n";
    return 2;
}
