// Times what a user meets the first time each day and the first time each screen shows: every
// figure comes from a fresh process that has done nothing else first, so no warm-up pays for it.
//
//   plenwick_bench_firstuse [--repeat N] [--folder DIR] [--server PREFIX] [--only
//   start,materials,picker,estimate] [--without materials-600k,lists-30k]
//
// With --server the databases live on a database server instead, each in a database of its own
// named PREFIX and the file's name ("postgresql://localhost/fu_" gives
// postgresql://localhost/fu_materials_150k); missing ones are made and filled. DIR then keeps
// only the children's settings.
// Start-up is the whole process, from its launch to the first paint of the Home list, on the
// first start of a day (no copy of the file made yet that day, the file's check due) and on a
// second start that day; its floor is the same start on an empty database file. A screen's first
// showing is timed inside a fresh process, from the key or click to the first paint of its list;
// its floor is the screen's own statement stepped to its end with SQLite's C API in another fresh
// process. (The preview's memory is plenwick_bench_report's.) The databases are generated into DIR
// (default <temp>/plenwick-firstuse) when missing. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/style.h"
#include "bench/benchsupport.h"
#include "bench/firstusechild.h"
#include "data/connection.h"
#include "data/database.h"
#include "data/schema.h"
#include "demodata/demodata.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <algorithm>

using namespace Bench;

namespace {

// The databases the cases run on, made once.
struct Files {
    QDir folder;
    QString server; // the prefix of the databases' addresses on a server, or empty for files
    QString path(const QString& name) const {
        if (!server.isEmpty())
            return server + QString(name).replace(QLatin1Char('-'), QLatin1Char('_'));
        return folder.filePath(name + ".mdb");
    }
};

// Whether the server's database holds the program's data; when it does not exist, it is made.
bool existsOnServer(const QString& address) {
    Connection connection;
    connection.setConnectionString(
        Connection::buildConnectionString(address, Schema::databasePassword()));
    if (connection.open())
        return true;
    const qsizetype slash = address.lastIndexOf(QLatin1Char('/'));
    Database maintenance;
    if (maintenance.open(address.left(slash + 1) + QStringLiteral("postgres")))
        maintenance.execute(QStringLiteral("CREATE DATABASE ") + address.mid(slash + 1));
    return false;
}

bool ensure(const Files& files, const QString& name, const DemoData::Counts& counts) {
    const QString path = files.path(name);
    if (files.server.isEmpty() ? QFileInfo::exists(path) : existsOnServer(path))
        return true;
    err() << "generating " << path << "...\n";
    err().flush();
    QString error;
    const bool empty = name == QLatin1String("empty");
    if (empty && !files.server.isEmpty() ? Schema::createOnServer(path, &error)
        : empty                          ? Schema::createFile(path, &error)
                                         : DemoData::generate(path, counts, &error))
        return true;
    err() << "plenwick_bench_firstuse: " << error << "\n";
    return false;
}

// One fresh child process of this program; its "key=value" lines. With launchTo, the
// milliseconds from launching it to its first line with that key.
struct ChildRun {
    QMap<QString, QString> values;
    double launchToMs = -1;
    bool ok = false;
};

ChildRun runChild(const QStringList& arguments, const QString& launchTo = {}) {
    ChildRun run;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    child.start(QCoreApplication::applicationFilePath(), QStringList{kChildOption} + arguments);
    QByteArray pending;
    while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
        if (!child.waitForReadyRead(120000) && child.state() != QProcess::NotRunning)
            break;
        pending += child.readAllStandardOutput();
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QString line = QString::fromUtf8(pending.left(end));
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            const QString key = eq < 0 ? line : line.left(eq);
            if (!launchTo.isEmpty() && key == launchTo && run.launchToMs < 0)
                run.launchToMs = double(t.nsecsElapsed()) / 1e6;
            run.values.insert(key, eq < 0 ? QString() : line.mid(eq + 1));
        }
    }
    child.waitForFinished(120000);
    run.ok = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    if (!run.ok)
        err() << "a child run failed: " << arguments.join(QLatin1Char(' ')) << "\n";
    return run;
}

double number(const ChildRun& run, const QString& key) {
    return run.values.value(key, QStringLiteral("-1")).toDouble();
}

// The statement a child reported, stepped to its end in a fresh process of its own.
double floorOf(const QString& path, const ChildRun& screen) {
    return number(runChild({QStringLiteral("floor"), path, screen.values.value("values"),
                            screen.values.value("sql")}),
                  QStringLiteral("ms"));
}

double maxOf(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// First and second start of as many days as repeat, each against the empty file's.
void timeStarts(const Files& files, const QStringList& names, int repeat) {
    out() << "| Start-up to the Home screen painted | First start of the day (ms) | Second start "
             "(ms) | Empty file, first / second (ms) | Ratio first / second |\n"
             "|---|---:|---:|---:|---:|\n";
    // Days after any a previous run used, so each first start meets a day without a copy.
    int day = 0;
    const auto start = [&](const QString& path, int onDay) {
        const ChildRun run = runChild({QStringLiteral("start"), path,
                                       QDate::currentDate().addDays(onDay).toString(Qt::ISODate)},
                                      QStringLiteral("shown"));
        return run.launchToMs;
    };
    QFile counter(files.folder.filePath(QStringLiteral("next-day")));
    if (counter.open(QIODevice::ReadOnly))
        day = counter.readAll().trimmed().toInt();
    counter.close();
    // Copies of their own: the days ahead this bench's starts live in would make every other
    // run of the day meet a file whose newest copy is not today's.
    const auto own = [&](const QString& name) {
        if (!files.server.isEmpty())
            return files.path(name); // a server keeps no dated copies
        const QString copy = files.path(QStringLiteral("start-") + name);
        if (!QFileInfo::exists(copy))
            QFile::copy(files.path(name), copy);
        return copy;
    };
    const QString empty = own(QStringLiteral("empty"));
    for (const QString& name : names) {
        const QString path = own(name);
        std::vector<double> first, second, emptyFirst, emptySecond;
        for (int i = 0; i < repeat; ++i) {
            ++day;
            // The file and its floor alternate, so the machine's moods touch both alike.
            first.push_back(start(path, day));
            emptyFirst.push_back(start(empty, day));
            second.push_back(start(path, day));
            emptySecond.push_back(start(empty, day));
        }
        out() << "| " << fileName(path) << " | " << Bench::number(median(first), 0) << " (max "
              << Bench::number(maxOf(first), 0) << ") | " << Bench::number(median(second), 0)
              << " | " << Bench::number(median(emptyFirst), 0) << " / "
              << Bench::number(median(emptySecond), 0) << " | "
              << ratio(median(first), median(emptyFirst)) << " / "
              << ratio(median(second), median(emptySecond)) << " |\n";
        out().flush();
    }
    if (counter.open(QIODevice::WriteOnly | QIODevice::Truncate))
        counter.write(QByteArray::number(day));
    out() << "\n";
}

// A screen's first showing in fresh processes, against its statement in fresh processes.
void timeScreen(const QString& what, const QString& kind, const QString& path, int repeat,
                const QString& limit) {
    std::vector<double> ms, floors;
    ChildRun last;
    for (int i = 0; i < repeat; ++i) {
        last = runChild({kind, path});
        ms.push_back(number(last, QStringLiteral("ms")));
        // Its floor right after, so the machine's moods touch both alike.
        floors.push_back(floorOf(path, last));
    }
    const double floorMs = median(floors);
    out() << "| " << what << " | " << fileName(path) << " | " << last.values.value("rows") << " | "
          << Bench::number(median(ms), 1) << " (max " << Bench::number(maxOf(ms), 1) << ") | "
          << Bench::number(floorMs, 1) << " | " << ratio(median(ms), floorMs) << " | " << limit
          << " |\n";
    out().flush();
}

void timeEstimate(const QString& path, int repeat) {
    std::vector<double> first, step, stepMax, floors;
    ChildRun last;
    for (int i = 0; i < repeat; ++i) {
        last = runChild({QStringLiteral("estimate"), path});
        first.push_back(number(last, QStringLiteral("ms")));
        step.push_back(number(last, QStringLiteral("step_ms")));
        stepMax.push_back(number(last, QStringLiteral("step_max_ms")));
        floors.push_back(
            number(runChild({QStringLiteral("estimatefloor"), path, last.values.value("estimate")}),
                   QStringLiteral("ms")));
    }
    const double floorMs = median(floors);
    out() << "| Estimate tab first opened (double-click on Home) | " << fileName(path) << " | "
          << last.values.value("rows") << " | " << Bench::number(median(first), 1) << " (max "
          << Bench::number(maxOf(first), 1) << ") | " << Bench::number(floorMs, 1) << " | "
          << ratio(median(first), floorMs) << " | < 30 ms |\n";
    out() << "| Stepping to the next such estimate (median of 8 steps; the worst step's median) | "
          << fileName(path) << " | " << last.values.value("rows") << " | "
          << Bench::number(median(step), 1) << " (max " << Bench::number(median(stepMax), 1)
          << ") | " << Bench::number(floorMs, 1) << " | " << ratio(median(step), floorMs)
          << " | < 20 ms |\n";
    out().flush();
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    if (argc >= 2 && qstrcmp(argv[1], kChildOption) == 0)
        return runFirstUseChild(argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plenwick_bench_firstuse"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times first starts and first showings, each in a fresh process."));
    parser.addHelpOption();
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
                                          QStringLiteral("Fresh processes per figure."),
                                          QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption folderOption(
        QStringLiteral("folder"), QStringLiteral("Where the generated databases are kept."),
        QStringLiteral("dir"), QDir::temp().filePath(QStringLiteral("plenwick-firstuse")));
    const QCommandLineOption onlyOption(
        QStringLiteral("only"), QStringLiteral("The cases to run, comma-separated."),
        QStringLiteral("cases"), QStringLiteral("start,materials,picker,estimate"));
    const QCommandLineOption serverOption(
        QStringLiteral("server"),
        QStringLiteral("The databases on a server, at addresses starting so."),
        QStringLiteral("prefix"));
    const QCommandLineOption withoutOption(
        QStringLiteral("without"),
        QStringLiteral("Databases left out, comma-separated (materials-600k, lists-30k)."),
        QStringLiteral("names"));
    parser.addOptions({repeatOption, folderOption, serverOption, onlyOption, withoutOption});
    parser.process(app);
    const int repeat = std::max(1, parser.value(repeatOption).toInt());
    const QStringList only = parser.value(onlyOption).split(QLatin1Char(','));
    Files files{QDir(parser.value(folderOption)), parser.value(serverOption)};
    files.folder.mkpath(QStringLiteral("."));

    DemoData::Counts large;
    large.materials = 600000;
    DemoData::Counts longLists;
    longLists.manufacturers = longLists.suppliers = longLists.categories = 30000;
    longLists.estimates = 200;
    DemoData::Counts bigEstimates;
    bigEstimates.estimates = 12;
    bigEstimates.materialLinesPerEstimate = 1000;
    bigEstimates.laborLinesPerEstimate = 200;
    bigEstimates.years = 1;
    const struct {
        QString name;
        DemoData::Counts counts;
    } databases[] = {{QStringLiteral("empty"), {}},
                     {QStringLiteral("materials-150k"), {}},
                     {QStringLiteral("materials-600k"), large},
                     {QStringLiteral("lists-30k"), longLists},
                     {QStringLiteral("estimates-1200-lines"), bigEstimates}};
    const QStringList without = parser.value(withoutOption).split(QLatin1Char(','));
    for (const auto& database : databases)
        if (!without.contains(database.name) && !ensure(files, database.name, database.counts))
            return 1;
    // The cases' databases, less those left out.
    const auto kept = [&without](QStringList names) {
        for (const QString& name : without)
            names.removeAll(name);
        return names;
    };

    if (only.contains(QLatin1String("start")))
        timeStarts(files,
                   kept({QStringLiteral("materials-150k"), QStringLiteral("materials-600k")}),
                   repeat);
    out() << "| First showing | Database | Rows | Fresh process (ms) | Floor, fresh process (ms) | "
             "Ratio | Target |\n|---|---|---:|---:|---:|---:|---|\n";
    if (only.contains(QLatin1String("materials")))
        for (const QString& name :
             kept({QStringLiteral("materials-150k"), QStringLiteral("materials-600k")}))
            timeScreen(QStringLiteral("Materials tab first shown (Ctrl+2)"),
                       QStringLiteral("materials"), files.path(name), repeat,
                       QStringLiteral("<= 1.3x"));
    if (only.contains(QLatin1String("picker")))
        for (const QString& name :
             kept({QStringLiteral("materials-150k"), QStringLiteral("lists-30k")}))
            timeScreen(QStringLiteral("Material picker shown (Add Materials)"),
                       QStringLiteral("picker"), files.path(name), repeat,
                       QStringLiteral("<= 1.5x"));
    if (only.contains(QLatin1String("estimate")))
        timeEstimate(files.path(QStringLiteral("estimates-1200-lines")), repeat);
    return 0;
}
