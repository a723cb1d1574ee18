#include "app/commandline.h"

#include "app/batchcommands.h"
#include "app/startup.h"
#include "data/database.h"
#include "data/databasecopy.h"
#include "data/money.h"
#include "data/schema.h"
#include "data/sqldialect.h"
#include "demodata/demodata.h"
#include "report/reportexport.h"
#include "settings/openconnection.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <cstdio>
#include <limits>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#ifndef PLENWICK_VERSION
#error "PLENWICK_VERSION names the program's version; the build defines it"
#endif

QTextStream& commandOut() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& commandErr() {
    static QTextStream stream(stderr);
    return stream;
}

namespace {

QTextStream& out() {
    return commandOut();
}

QTextStream& err() {
    return commandErr();
}

bool stderrIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// Qt's own options of a program with windows, which QApplication takes from the command line
// before the program reads it.
struct QtWindowOption {
    const char* name;
    bool takesValue;
};
constexpr QtWindowOption kQtWindowOptions[] = {
    {"platform", true},    {"platformpluginpath", true}, {"platformtheme", true},
    {"plugin", true},      {"qmljsdebugger", true},      {"qwindowgeometry", true},
    {"qwindowicon", true}, {"qwindowtitle", true},       {"session", true},
    {"style", true},       {"stylesheet", true},         {"display", true},
    {"geometry", true},    {"reverse", false},           {"widgetcount", false},
};

// How many arguments one of those options spans from arg on: 1 for a flag or an option with its
// value after "=", 2 for an option followed by its value; 0 when arg is none of them.
int qtWindowOptionSpan(QByteArray arg) {
    if (!arg.startsWith('-'))
        return 0;
    arg.remove(0, arg.startsWith("--") ? 2 : 1);
    const qsizetype equals = arg.indexOf('=');
    const QByteArray name = equals < 0 ? arg : arg.left(equals);
    for (const QtWindowOption& option : kQtWindowOptions)
        if (name == option.name)
            return option.takesValue && equals < 0 ? 2 : 1;
    return 0;
}

int usageError(const QCommandLineParser& parser, const QString& message) {
    err() << "plenwick: " << message << "\n\n" << parser.helpText();
    err().flush();
    return kExitUsage;
}

bool readCount(const QCommandLineParser& parser, const QCommandLineOption& option, int* out) {
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0)
        return false;
    *out = value;
    return true;
}

// The rows of each generated table, read back from the new file.
struct GeneratedTable {
    const char* table;
    const char* label;
};
constexpr GeneratedTable kGeneratedTables[] = {
    {"MaterialsTBL", "materials"},       {"ManufacturersTBL", "manufacturers"},
    {"SuppliersTBL", "suppliers"},       {"CatagoryTBL", "categories"},
    {"Estimators", "estimators"},        {"CustomersTBL", "customers"},
    {"EstimateTBL", "estimates"},        {"MaterialEstimateTBL", "material lines"},
    {"LaborEstimateTBL", "labor lines"},
};

void printSummary(const QString& path, qint64 elapsedMs) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QStringList lines;
    qint64 total = 0;
    Database db;
    if (db.open(path)) {
        for (const GeneratedTable& t : kGeneratedTables) {
            Statement count(db, QStringLiteral("SELECT COUNT(*) FROM ") + QLatin1String(t.table));
            if (!count.next())
                break;
            const qint64 rows = count.value(0).toLongLong();
            total += rows;
            lines << QStringLiteral("  %1 %2")
                         .arg(QLatin1String(t.label), -16)
                         .arg(english.toString(rows), 12);
        }
    }
    out() << "Wrote " << QDir::toNativeSeparators(path) << " in "
          << english.toString(elapsedMs / 1000.0, 'f', 1) << " s";
    if (lines.size() == int(std::size(kGeneratedTables)))
        out() << ": " << english.toString(total) << " rows\n" << lines.join(QLatin1Char('\n'));
    out() << "\n";
    out().flush();
}

// A percentage rewritten in place, for a person watching; logs and pipes get none. The line is
// ended before anything else is said.
class PercentLine {
public:
    explicit PercentLine(const char* what) : m_what(what), m_on(stderrIsTerminal()) {}
    void show(qint64 done, qint64 total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (!m_on || percent == m_shown)
            return;
        m_shown = percent;
        err() << "\r" << m_what << ": " << percent << "%";
        err().flush();
    }
    void end() {
        if (m_shown >= 0)
            err() << "\n";
        m_shown = -1;
    }

private:
    const char* m_what;
    bool m_on;
    int m_shown = -1;
};

int failed(const QString& error) {
    err() << "plenwick: " << error << "\n";
    err().flush();
    return kExitFailure;
}

int generateDemoData(const QString& path, const DemoData::Counts& counts) {
    PercentLine percent("Generating demo data");
    QElapsedTimer clock;
    clock.start();
    QString error;
    const bool ok = DemoData::generate(
        path, counts, &error, [&percent](qint64 done, qint64 total) { percent.show(done, total); });
    percent.end();
    if (!ok)
        return failed(error);
    err().flush();
    printSummary(path, clock.elapsed());
    return 0;
}

int copyDatabaseCommand(const QString& from, const QString& to) {
    PercentLine percent("Copying");
    QElapsedTimer clock;
    clock.start();
    QString error;
    DatabaseCopy::Summary summary;
    const bool ok =
        DatabaseCopy::copy(from, to, &error, &summary, [&percent](qint64 copied, qint64 total) {
            percent.show(copied, total);
            return true;
        });
    percent.end();
    if (!ok)
        return failed(error);
    err().flush();
    const QLocale english(QLocale::English);
    out() << "Copied " << summary.tables << " tables, " << english.toString(summary.rows)
          << " rows, to " << SqlDialect::shownAddress(to) << " in "
          << english.toString(clock.elapsed() / 1000.0, 'f', 1)
          << " s; the row counts and the sums of the amounts match.\n";
    out().flush();
    return 0;
}

} // namespace

bool commandLineExportsQuote(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        for (const char* option : {"--export-quote", "-export-quote"})
            if (arg == option || arg.startsWith(QByteArray(option) + '='))
                return true;
    }
    return false;
}

bool commandLineNeedsWindows(int argc, char** argv) {
    for (int i = 1; i < argc;) {
        const int span = qtWindowOptionSpan(QByteArray(argv[i]));
        if (span == 0)
            return false;
        i += span;
    }
    return true;
}

bool displayAvailable(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    // X11 and Wayland: Qt picks its platform from these, and aborts when it finds none.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform" || arg.startsWith("-platform=") ||
            arg.startsWith("--platform="))
            return true;
    }
    std::fputs("plenwick: there is no display to show the window on (DISPLAY and "
               "WAYLAND_DISPLAY are not set).\nThe command-line options work without one: "
               "plenwick --help lists them.\n",
               stderr);
    return false;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

bool createDatabaseOnFirstRun(const QString& path, QString* error) {
    QString stored;
    // A stored path the settings would ignore (too long to be one) names no database either.
    if (ReadRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), stored) &&
        !stored.trimmed().isEmpty() && stored.trimmed().size() <= clsSettings::kLongestPath)
        return true;
    if (QFileInfo::exists(path))
        return true;
    return Schema::createFile(path, error);
}

int runPlenwick(QCoreApplication& app) {
    QCoreApplication::setApplicationName(QStringLiteral("Plenwick"));
    QCoreApplication::setOrganizationName(QStringLiteral("Dorvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLENWICK_VERSION));
    auto* gui = qobject_cast<QApplication*>(&app);
    if (gui)
        gui->setApplicationDisplayName(QStringLiteral("Plenwick"));
    registerMoneyMetaType();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plenwick prices contractors' jobs."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and stop."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's version and stop."));
    const QCommandLineOption create(QStringLiteral("create-database"),
                                    QStringLiteral("Create a fresh, empty database file, or the "
                                                   "program's tables in an empty database on a "
                                                   "server (postgresql://host/dbname)."),
                                    QStringLiteral("path"));
    const QCommandLineOption copyOption(
        QStringLiteral("copy-database"),
        QStringLiteral("Copy every row of a database (a file or a postgresql:// address) into "
                       "the new file or empty server database given with --to."),
        QStringLiteral("from"));
    const QCommandLineOption copyTo(QStringLiteral("to"),
                                    QStringLiteral("Where --copy-database copies to."),
                                    QStringLiteral("path"));
    const QCommandLineOption demo(QStringLiteral("generate-demo-data"),
                                  QStringLiteral("Create a database filled with generated data."),
                                  QStringLiteral("path"));
    DemoData::Counts counts;
    struct CountOption {
        QCommandLineOption option;
        int* target;
    };
    const QList<CountOption> countOptions = {
        {{QStringLiteral("materials"), QStringLiteral("Generated materials."), QStringLiteral("n")},
         &counts.materials},
        {{QStringLiteral("manufacturers"), QStringLiteral("Generated manufacturers."),
          QStringLiteral("n")},
         &counts.manufacturers},
        {{QStringLiteral("suppliers"), QStringLiteral("Generated suppliers."), QStringLiteral("n")},
         &counts.suppliers},
        {{QStringLiteral("categories"), QStringLiteral("Generated categories."),
          QStringLiteral("n")},
         &counts.categories},
        {{QStringLiteral("estimators"), QStringLiteral("Generated estimators."),
          QStringLiteral("n")},
         &counts.estimators},
        {{QStringLiteral("customers"), QStringLiteral("Generated customers."), QStringLiteral("n")},
         &counts.customers},
        {{QStringLiteral("estimates"), QStringLiteral("Generated estimates."), QStringLiteral("n")},
         &counts.estimates},
        {{QStringLiteral("material-lines"), QStringLiteral("Material lines per estimate."),
          QStringLiteral("n")},
         &counts.materialLinesPerEstimate},
        {{QStringLiteral("labor-lines"), QStringLiteral("Labor lines per estimate."),
          QStringLiteral("n")},
         &counts.laborLinesPerEstimate},
    };
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("The generator's seed: the same seed and counts give the same data "
                       "(default %1).")
            .arg(counts.seed),
        QStringLiteral("n"));
    const QCommandLineOption exportQuoteOption(
        QStringLiteral("export-quote"),
        QStringLiteral("Write the quote of the estimate with this reference number to the file "
                       "--output names (.htm or .pdf), without a window."),
        QStringLiteral("reference"));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("The quote's file, for --export-quote."),
                                    QStringLiteral("file"));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("The database, for --export-quote and --import-price-list (default: the "
                       "one the program uses)."),
        QStringLiteral("path"));
    const QCommandLineOption importOption(
        QStringLiteral("import-price-list"),
        QStringLiteral("Update the catalogue from a supplier's price list (CSV or .xlsx), "
                       "without a window."),
        QStringLiteral("file"));
    const QCommandLineOption supplier(QStringLiteral("supplier"),
                                      QStringLiteral("The price list's supplier."),
                                      QStringLiteral("name"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Show what the price list would change, and "
                                                   "change nothing."));
    const QCommandLineOption addNew(QStringLiteral("add-new"),
                                    QStringLiteral("Add the price list's new materials (and "
                                                   "their missing manufacturers and "
                                                   "categories)."));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Write the changes made to this CSV file."),
                                    QStringLiteral("file"));
    parser.addOptions({help, version, create, demo, copyOption, copyTo, exportQuoteOption, output,
                       importOption, supplier, dryRun, addNew, report, database});
    for (const auto& c : countOptions)
        parser.addOption(c.option);
    parser.addOption(seed);

    if (!parser.parse(app.arguments()))
        return usageError(parser, parser.errorText());
    if (parser.isSet(help)) {
        out() << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out() << "Plenwick " << QCoreApplication::applicationVersion() << "\n";
        return 0;
    }
    if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty())
        return usageError(parser, QStringLiteral("unexpected argument \"%1\".").arg(extra.first()));
    if (parser.isSet(create) && parser.isSet(demo))
        return usageError(
            parser, QStringLiteral("give either --create-database or --generate-demo-data, not "
                                   "both."));
    for (const QCommandLineOption* mode : {&create, &demo})
        if (parser.isSet(*mode) && parser.value(*mode).trimmed().isEmpty())
            return usageError(parser, QStringLiteral("--%1 needs the path of the file to create.")
                                          .arg(mode->names().constFirst()));
    for (const auto& c : countOptions) {
        const QString name = QStringLiteral("--") + c.option.names().constFirst();
        if (!parser.isSet(demo) && parser.isSet(c.option))
            return usageError(parser, name + QStringLiteral(" goes with --generate-demo-data."));
        if (!readCount(parser, c.option, c.target))
            return usageError(parser, QStringLiteral("%1 takes a whole number of 0 or more, not "
                                                     "\"%2\".")
                                          .arg(name, parser.value(c.option)));
    }
    if (parser.isSet(seed)) {
        if (!parser.isSet(demo))
            return usageError(parser, QStringLiteral("--seed goes with --generate-demo-data."));
        bool ok = false;
        counts.seed = parser.value(seed).toUInt(&ok);
        if (!ok)
            return usageError(parser, QStringLiteral("--seed takes a whole number from 0 to %1, "
                                                     "not \"%2\".")
                                          .arg(std::numeric_limits<quint32>::max())
                                          .arg(parser.value(seed)));
    }

    int modes = 0;
    for (const QCommandLineOption* mode :
         {&create, &demo, &copyOption, &exportQuoteOption, &importOption})
        modes += parser.isSet(*mode) ? 1 : 0;
    if (modes > 1)
        return usageError(parser, QStringLiteral("give one of --create-database, "
                                                 "--generate-demo-data, --copy-database, "
                                                 "--export-quote and --import-price-list."));
    if (parser.isSet(copyTo) && !parser.isSet(copyOption))
        return usageError(parser, QStringLiteral("--to goes with --copy-database."));
    if (parser.isSet(copyOption)) {
        if (parser.value(copyOption).trimmed().isEmpty() ||
            parser.value(copyTo).trimmed().isEmpty())
            return usageError(parser, QStringLiteral("--copy-database needs the database to copy "
                                                     "and --to with where to copy it."));
        return copyDatabaseCommand(parser.value(copyOption).trimmed(),
                                   parser.value(copyTo).trimmed());
    }
    const bool exporting = parser.isSet(exportQuoteOption);
    const bool importing = parser.isSet(importOption);
    // Each option of a mode, and the mode it goes with.
    const QList<std::pair<const QCommandLineOption*, bool>> modeOptions = {
        {&output, exporting}, {&supplier, importing}, {&dryRun, importing},
        {&addNew, importing}, {&report, importing},   {&database, exporting || importing}};
    for (const auto& [option, allowed] : modeOptions)
        if (!allowed && parser.isSet(*option))
            return usageError(parser, QStringLiteral("--%1 goes with %2.")
                                          .arg(option->names().constFirst(),
                                               option == &output ? QStringLiteral("--export-quote")
                                               : option == &database
                                                   ? QStringLiteral("--export-quote or "
                                                                    "--import-price-list")
                                                   : QStringLiteral("--import-price-list")));
    if (exporting) {
        const QString file = parser.value(output).trimmed();
        if (file.isEmpty())
            return usageError(parser, QStringLiteral("--export-quote needs --output FILE.htm or "
                                                     "FILE.pdf."));
        if (!exportFormatFor(file))
            return usageError(parser, QStringLiteral("--output \"%1\" should end in .htm, .html or "
                                                     ".pdf.")
                                          .arg(file));
        return exportQuoteCommand(parser.value(exportQuoteOption), file, parser.value(database));
    }
    if (importing) {
        PriceListCommand command;
        command.file = parser.value(importOption).trimmed();
        command.supplier = parser.value(supplier).trimmed();
        command.database = parser.value(database);
        command.report = parser.value(report).trimmed();
        command.dryRun = parser.isSet(dryRun);
        command.addNew = parser.isSet(addNew);
        if (command.file.isEmpty())
            return usageError(parser, QStringLiteral("--import-price-list needs the price list's "
                                                     "file."));
        if (command.supplier.isEmpty())
            return usageError(parser, QStringLiteral("--import-price-list needs --supplier NAME."));
        if (command.dryRun && !command.report.isEmpty())
            return usageError(parser, QStringLiteral("--report goes with an import that changes "
                                                     "something, not with --dry-run."));
        return importPriceListCommand(command);
    }

    QString error;
    if (parser.isSet(create)) {
        const QString target = parser.value(create).trimmed();
        if (!(SqlDialect::isServerAddress(target)
                  ? Schema::createOnServer(target, &error)
                  : Schema::createFile(parser.value(create), &error))) {
            err() << "plenwick: " << error << "\n";
            return kExitFailure;
        }
        return 0;
    }
    if (parser.isSet(demo))
        return generateDemoData(parser.value(demo), counts);

    if (!gui) // every argument was taken as one of Qt's own window options
        return usageError(parser, QStringLiteral("those options need the program's window."));
    const QString defaultPath = defaultDatabasePath();
    if (!createDatabaseOnFirstRun(defaultPath, &error))
        err() << "plenwick: could not create the database \"" << defaultPath << "\": " << error
              << "\n";
    err().flush();
    return SubMain(*gui);
}
