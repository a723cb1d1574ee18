// The program's command line: its modes run without a display, making database files never
// overwrites one, mistakes print the usage, and the first run makes the default database.
#include "app/commandline.h"
#include "data/backup.h"
#include "data/connection.h"
#include "data/database.h"
#include "settings/registry.h"
#include "support/datafiles.h"
#include "support/isolatedsettings.h"
#include "support/quotefixture.h"
#include "support/smalldisk.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {
struct Run {
    int status = -1; // -1 when the program crashed or did not finish
    QString output;
};

// Runs in the folder given, in the environment of a machine without a display: no X11, no
// Wayland, no platform chosen.
Run run(const QString& program, const QStringList& arguments, const QString& folder = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(program, arguments);
    if (!p.waitForFinished(120000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAll())};
}

Run plenwick(const QStringList& arguments, const QString& folder = {}) {
    return run(QStringLiteral(PLENWICK_EXECUTABLE), arguments, folder);
}

// Runs the program with its files limited to under a megabyte, as on a full disk. Writing past the
// limit fails the write; unless survive is set, the signal it raises kills the program mid-way.
Run plenwickWithSmallFiles(const QStringList& arguments, bool survive) {
    const QString shell = QStringLiteral("%1ulimit -f 1024; exec \"$0\" \"$@\"")
                              .arg(survive ? QStringLiteral("trap '' XFSZ; ") : QString());
    return run(QStringLiteral("/bin/sh"),
               QStringList{QStringLiteral("-c"), shell, QStringLiteral(PLENWICK_EXECUTABLE)} +
                   arguments);
}

const QString kProgram = QStringLiteral("Dorvane\\PX");

// Adds a row of arguments, the exit status and what the program says.
void addRun(const char* name, const QStringList& arguments, int status, const QString& says) {
    QTest::newRow(name) << arguments << status << says;
}

// What the first run finds: a database made and opened, none made, or none that could be made.
enum FirstRun { kMade, kLeft, kRefused };
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void createsADatabaseAndNeverOverwrites() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new.mdb"));
        Run r = plenwick({"--create-database", path});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        Connection c;
        QVERIFY(openProgramFile(c, path));
        c.close();
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("new.mdb")});

        const QByteArray before = fileContents(path);
        r = plenwick({"--create-database", path});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "already exists");
        QCOMPARE(fileContents(path), before);
    }

    void generatesSmallDemoDataWithASummary() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("demo.mdb"));
        const Run r = plenwick({"--generate-demo-data", path, "--materials", "1200", "--estimates",
                                "3", "--labor-lines", "0"});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        Connection c;
        QVERIFY(openProgramFile(c, path));
        // The summary counts what was read back from the file, table by table, and the time it
        // took: 300 manufacturers, 800 suppliers, 400 categories, 20 estimators and 300 customers
        // by default, 3 x 30 material lines.
        const auto line = [](const QString& pattern) {
            return QRegularExpression(pattern, QRegularExpression::MultilineOption);
        };
        VERIFY_CONTAINS(r.output, line(QStringLiteral("^\\s*materials\\s+1,200$")));
        VERIFY_CONTAINS(r.output, line(QStringLiteral("^\\s*estimates\\s+3$")));
        VERIFY_CONTAINS(r.output, line(QStringLiteral("^\\s*labor lines\\s+0$")));
        VERIFY_CONTAINS(r.output, line(QStringLiteral("^Wrote %1 in \\d+\\.\\d s: 3,113 rows$")
                                           .arg(QRegularExpression::escape(path))));
        // Nobody watches a pipe: no progress line there.
        QVERIFY2(!r.output.contains(QLatin1Char('\r')) && !r.output.contains(QLatin1Char('%')),
                 qPrintable(r.output));
    }

    // A seed gives the same catalogue and estimates on every run, so that two databases can be
    // filled alike; another seed gives other data.
    void theSameSeedGivesTheSameData() {
        QTemporaryDir dir;
        const auto generate = [&dir](const QString& name, const char* seed) {
            const QString path = dir.filePath(name);
            const Run r = plenwick({"--generate-demo-data", path, "--materials", "60",
                                    "--estimates", "4", "--seed", seed});
            QStringList rows;
            Database db;
            if (r.status != 0 || !db.open(path))
                return QStringList{r.output};
            Statement s(db,
                        QStringLiteral("SELECT PartNumber, ManufacturerDescription, UnitCost FROM "
                                       "MaterialsTBL UNION ALL SELECT QuoteNumber, JobName, "
                                       "TaxRate FROM EstimateTBL"));
            if (!s.isValid())
                return QStringList{s.error().text()};
            while (s.next())
                rows << s.value(0).toString() + u'|' + s.value(1).toString() + u'|' +
                            s.value(2).toString();
            return rows;
        };
        const QStringList first = generate(QStringLiteral("a.mdb"), "5");
        QCOMPARE(first.size(), 64);
        QCOMPARE(generate(QStringLiteral("b.mdb"), "5"), first);
        QVERIFY(generate(QStringLiteral("c.mdb"), "6") != first);
    }

    void showsProgressOnlyOnATerminal() {
        // script(1) gives the program a terminal of its own and copies what it shows.
        const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
        if (script.isEmpty())
            QSKIP("script(1) is not installed");
        QTemporaryDir dir;
        const QString command =
            QStringLiteral("'%1' --generate-demo-data '%2' --materials 2000 --estimates 20")
                .arg(QStringLiteral(PLENWICK_EXECUTABLE), dir.filePath(QStringLiteral("demo.mdb")));
        const Run r = run(script, {"-q", "-e", "-c", command, "/dev/null"});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        // One line rewritten in place, rising to 100%, then the summary on a line of its own.
        VERIFY_CONTAINS(r.output, "\rGenerating demo data: 0%");
        VERIFY_CONTAINS(r.output, "\rGenerating demo data: 100%\r\n");
        QVERIFY2(r.output.count(QStringLiteral("Generating demo data: 100%")) == 1,
                 qPrintable(r.output));
        QVERIFY2(r.output.indexOf(QStringLiteral("100%")) <
                     r.output.indexOf(QStringLiteral("Wrote")),
                 qPrintable(r.output));
    }

    void answersWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QString usage = QStringLiteral("Usage: ");
        addRun("help", {"--help"}, 0, "--create-database <path>");
        addRun("version", {"--version"}, 0, QStringLiteral("Plenwick " PLENWICK_VERSION "\n"));
        addRun("unknown option", {"--bogus"}, kExitUsage, usage);
        addRun("Qt's window option with a mode", {"-platform", "offscreen", "--version"},
               kExitUsage, usage);
        addRun("stray argument", {"estimates.mdb"}, kExitUsage,
               "unexpected argument \"estimates.mdb\"");
        addRun("path missing", {"--create-database"}, kExitUsage,
               "Missing value after '--create-database'");
        addRun("empty path", {"--create-database", ""}, kExitUsage,
               "--create-database needs the path of the file to create.");
        addRun("blank demo path", {"--generate-demo-data", "  "}, kExitUsage,
               "--generate-demo-data needs the path of the file to create.");
        addRun("both modes", {"--create-database", "a", "--generate-demo-data", "b"}, kExitUsage,
               "not both");
        addRun("count without its mode", {"--materials", "5"}, kExitUsage,
               "--materials goes with --generate-demo-data");
        addRun("count not a number", {"--generate-demo-data", "x.mdb", "--materials", "many"},
               kExitUsage, "--materials takes a whole number of 0 or more, not \"many\"");
        addRun("negative count", {"--generate-demo-data", "x.mdb", "--materials", "-3"}, kExitUsage,
               "--materials takes a whole number of 0 or more, not \"-3\"");
        addRun("seed without its mode", {"--seed", "5"}, kExitUsage,
               "--seed goes with --generate-demo-data");
        addRun("seed beyond its range", {"--generate-demo-data", "x.mdb", "--seed", "4294967296"},
               kExitUsage, "--seed takes a whole number from 0 to 4294967295, not \"4294967296\"");
        addRun("copy without a destination", {"--copy-database", "a.mdb"}, kExitUsage,
               "--copy-database needs the database to copy and --to");
        addRun("destination without a copy", {"--to", "b.mdb"}, kExitUsage,
               "--to goes with --copy-database");
        addRun("copy and create", {"--copy-database", "a", "--to", "b", "--create-database", "c"},
               kExitUsage, "give one of");
        addRun("the window", {}, kExitFailure, "no display");
        addRun("the window, with Qt's options", {"-style", "fusion", "-reverse"}, kExitFailure,
               "no display");
    }

    // Run in an empty folder, which none of these answers writes to.
    void answersWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const Run r = plenwick(arguments, dir.path());
        QVERIFY2(r.status == status, qPrintable(QString::number(r.status) + ": " + r.output));
        VERIFY_CONTAINS(r.output, says);
        QVERIFY2(!r.output.contains(QStringLiteral("could not connect to display")),
                 qPrintable(r.output));
        if (status == kExitUsage) // a mistake says what was wrong, then the usage
            QVERIFY2(r.output.startsWith(QStringLiteral("plenwick: ")) &&
                         r.output.contains(QStringLiteral("--generate-demo-data <path>")),
                     qPrintable(r.output));
        QCOMPARE(filesIn(dir.path()), QStringList());
    }

    void anInterruptedGenerationLeavesNoFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("demo.mdb"));
        const QStringList arguments{"--generate-demo-data", path, "--materials", "20000"};
        // A write that fails part-way: reported, and neither the file nor its makings are left.
        Run r = plenwickWithSmallFiles(arguments, true);
        QVERIFY2(r.status == kExitFailure, qPrintable(r.output));
        QVERIFY2(r.output.startsWith(QStringLiteral("plenwick: ")), qPrintable(r.output));
        QCOMPARE(filesIn(dir.path()), QStringList());

        // A run killed part-way leaves nothing at the path, so running again is not refused; only
        // its hidden, plainly unfinished makings stay behind.
        r = plenwickWithSmallFiles(arguments, false);
        QCOMPARE(r.status, -1);
        QVERIFY(!QFile::exists(path));
        QVERIFY(!filesIn(dir.path()).isEmpty());
        r = plenwick({"--generate-demo-data", path, "--materials", "100", "--estimates", "2"});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        QStringList files = filesIn(dir.path());
        files.removeIf([](const QString& name) {
            return name.startsWith(QStringLiteral(".demo.mdb.partial-"));
        });
        QCOMPARE(files, QStringList{QStringLiteral("demo.mdb")});
        Connection c;
        QVERIFY(openProgramFile(c, path));
    }

    void firstRunCreatesTheDefaultDatabase_data() {
        QTest::addColumn<QString>("storedPath"); // "-": nothing stored
        QTest::addColumn<QString>("file");       // where the default database belongs
        QTest::addColumn<QByteArray>("there");   // a file already there
        QTest::addColumn<int>("outcome");
        const QString file = QStringLiteral("Estimating.mdb");
        QTest::newRow("nothing stored") << "-" << file << QByteArray() << int(kMade);
        QTest::newRow("empty path stored") << "" << file << QByteArray() << int(kMade);
        QTest::newRow("blank path stored") << "  " << file << QByteArray() << int(kMade);
        // Start-up reports a named database that is missing; none is made in its place.
        QTest::newRow("another database named")
            << "elsewhere.mdb" << file << QByteArray() << int(kLeft);
        // A path too long to be one is ignored by the settings, so the default file is made.
        QTest::newRow("oversized path stored")
            << QString(5000, QLatin1Char('x')) << file << QByteArray() << int(kMade);
        QTest::newRow("somebody's file there")
            << "-" << file << QByteArray("not a database, but somebody's") << int(kLeft);
        QTest::newRow("no such folder")
            << "-"
            << "no such folder/Estimating.mdb" << QByteArray() << int(kRefused);
    }

    void firstRunCreatesTheDefaultDatabase() {
        QFETCH(QString, storedPath);
        QFETCH(QString, file);
        QFETCH(QByteArray, there);
        QFETCH(int, outcome);
        IsolatedSettings isolated;
        QTemporaryDir dir;
        if (storedPath != QLatin1String("-"))
            WriteRegString(kProgram, QStringLiteral("DBPath"),
                           storedPath.trimmed().isEmpty() ? storedPath : dir.filePath(storedPath));
        const QString path = dir.filePath(file);
        QVERIFY(there.isEmpty() || writeFile(path, there));
        QString error;
        QCOMPARE(createDatabaseOnFirstRun(path, &error), outcome != kRefused);
        QCOMPARE(error.isEmpty(), outcome != kRefused);
        QVERIFY(there.isEmpty() || fileContents(path) == there);
        QCOMPARE(QFile::exists(path), outcome == kMade || !there.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("elsewhere.mdb"))));
        Connection c;
        QCOMPARE(outcome == kMade, openProgramFile(c, path));
    }

    void exportsAQuoteWithoutAWindow() {
        TestDatabase db;
        db.exec(QStringLiteral("DELETE FROM MyCompany"));
        db.exec(QStringLiteral("INSERT INTO MyCompany (CompanyName, CompanyPhone, CompanyWebSite, "
                               "QuoteAcceptanceLine) VALUES (?, ?, ?, 1)"),
                {QStringLiteral("Hollis & Marsh"), QStringLiteral("555-0142"),
                 QStringLiteral("www.hm.example")});
        const int id = addQuote(db, {8001,
                                     QStringLiteral("Ann"),
                                     0.0825,
                                     10,
                                     {{4, QStringLiteral("Ball valve <3/4\">"), 25, 100}},
                                     {{1, QStringLiteral("Fit valve"), 50, 50}}});
        setQuoteJob(db, id, {{"Reyes & Sons"}, "Porch", {}, "2027-01-05", "Net 30"});
        for (const char* name : {"quote.htm", "quote.pdf"}) {
            const QString path = db.dir() + QLatin1Char('/') + QLatin1String(name);
            const Run r =
                plenwick({"--export-quote", "8001", "--output", path, "--database", db.path()});
            QVERIFY2(r.status == 0, qPrintable(r.output));
            const QByteArray written = fileContents(path);
            if (QByteArray(name).endsWith(".pdf")) {
                QVERIFY(written.startsWith("%PDF-"));
                continue;
            }
            for (const char* text :
                 {"Hollis &amp; Marsh", "Phone: 555-0142 Fax: ", "Ball valve &lt;3/4&quot;&gt;",
                  "$168.25", "8001", "Web: www.hm.example", ">Quote<", "Reyes &amp; Sons",
                  ">Porch<", "1/5/2027", "Net 30", "Accepted by"})
                QVERIFY2(written.contains(text), text);
        }
        const Run help = plenwick({"--help"});
        VERIFY_CONTAINS(help.output, "--export-quote <reference>");
        VERIFY_CONTAINS(help.output, "--output <file>");
    }

    void exportRefusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QStringList quote = {"--export-quote", "8101", "--database", "DB", "--output"};
        addRun("unknown reference",
               {"--export-quote", "9999", "--database", "DB", "--output", "OUT/q.htm"},
               kExitFailure, "No estimate has the reference number 9999.");
        addRun("not a number",
               {"--export-quote", "abc", "--database", "DB", "--output", "OUT/q.htm"}, kExitFailure,
               "\"abc\" is not a reference number");
        addRun("unwritable file", quote + QStringList{"OUT/none/q.pdf"}, kExitFailure,
               "could not be written");
        addRun("unknown extension", quote + QStringList{"OUT/q.txt"}, kExitUsage,
               "should end in .htm, .html or .pdf");
        addRun("no output", quote.mid(0, 4), kExitUsage, "--export-quote needs --output");
        addRun("output alone", {"--output", "OUT/q.htm"}, kExitUsage,
               "--output goes with --export-quote");
        addRun("missing database",
               {"--export-quote", "8101", "--output", "OUT/q.htm", "--database", "OUT/no.mdb"},
               kExitFailure, "could not be opened");
    }

    void exportRefusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        TestDatabase db;
        addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(2), {}});
        arguments.replaceInStrings(QStringLiteral("OUT"), db.dir());
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DB$")), db.path());
        const Run r = plenwick(arguments);
        QCOMPARE(r.status, status);
        VERIFY_CONTAINS(r.output, says);
        QVERIFY(!QFile::exists(db.dir() + QStringLiteral("/q.htm")));
        QVERIFY(!QFile::exists(db.dir() + QStringLiteral("/q.txt")));
    }

    void importsAPriceList() {
        TestDatabase db;
        db.addSmallLookups();
        db.exec(QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, CatagoryID, "
                               "PartNumber, UnitCost, UpdatedLast) "
                               "VALUES (1, 1, 1, 'A-100', 10, '2020-01-01')"));
        const QString list = db.dir() + QStringLiteral("/prices.csv");
        QVERIFY(writeFile(list, "Part #,Price,Brand,Category\nA-100,12.5,Cascade,Fittings\n"
                                "N-1,3,Cascade,Fittings\n"));
        const QStringList base = {"--import-price-list", list,         "--supplier",
                                  "acme supply",         "--database", db.path()};
        const QString cost = QStringLiteral("SELECT UnitCost FROM MaterialsTBL WHERE PartNumber = "
                                            "'A-100'");
        // A dry run shows the counts and changes nothing.
        Run r = plenwick(base + QStringList{"--dry-run"});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        VERIFY_CONTAINS(r.output, "price changes  1");
        VERIFY_CONTAINS(r.output, "new materials  1");
        VERIFY_CONTAINS(r.output, "Dry run: nothing was changed.");
        QCOMPARE(db.scalar(cost).toDouble(), 10.0);
        QVERIFY(listBackups(db.path()).isEmpty());
        // Applied, with the new material and the report.
        const QString report = db.dir() + QStringLiteral("/changes.csv");
        r = plenwick(base + QStringList{"--add-new", "--report", report});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        QCOMPARE(db.scalar(cost).toDouble(), 12.5);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL")).toInt(), 2);
        // The day's copy, made before the first change, as the window makes it.
        const QList<BackupFile> backups = listBackups(db.path());
        QCOMPARE(backups.size(), 1);
        Connection copy;
        QVERIFY(openProgramFile(copy, backups.first().path));
        Statement old(copy.database(), cost);
        QVERIFY(old.next());
        QCOMPARE(old.real(0), 10.0);
        copy.close();
        QVERIFY(fileContents(report).contains("A-100,,Price changed,10,12.5,25.0,"));
        // A refused row: the rest is applied, and the exit status says a row was left out.
        QVERIFY(writeFile(list, "Part #,Price\nA-100,13\nB-1,abc\nC-\x1b]0;owned\x07\x1b[2J,1\n"));
        r = plenwick(base + QStringList{"--add-new", "--report", report});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "row 3, Unit Cost");
        QCOMPARE(db.scalar(cost).toDouble(), 13.0);
        // A cell's control characters are shown escaped, never sent to the terminal.
        VERIFY_CONTAINS(r.output, "row 4, Part Number \"C-\\x1b]0;owned\\x07\\x1b[2J\": holds the "
                                  "control character U+001B");
        QVERIFY(!r.output.contains(QChar(0x1b)));
        // A part number listed under another supplier is not counted as new: it is not added.
        db.exec(QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, CatagoryID, "
                               "PartNumber, UnitCost) VALUES (1, 2, 1, 'B-7', 4)"));
        QVERIFY(writeFile(list, "Part #,Price\nB-7,5\nN-2,1\n"));
        r = plenwick(base + QStringList{"--dry-run"});
        VERIFY_CONTAINS(r.output, "new materials  1 (not added without --add-new)\n"
                                  "  listed under another supplier  1 (not added)\n");
        // Wrong arguments and an unknown supplier.
        QCOMPARE(plenwick({"--import-price-list", list, "--database", db.path()}).status,
                 kExitUsage);
        QCOMPARE(plenwick(base + QStringList{"--dry-run", "--report", report}).status, kExitUsage);
        QCOMPARE(plenwick({"--supplier", "x"}).status, kExitUsage);
        r = plenwick(
            {"--import-price-list", list, "--supplier", "Nobody", "--database", db.path()});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "no supplier is named \"Nobody\"");
        r = plenwick({"--import-price-list", db.dir() + "/none.csv", "--supplier", "Acme Supply",
                      "--database", db.path()});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "could not be read");
    }

    void copiesADatabaseOnceAndNeverOverAnother() {
        TestDatabase db;
        db.addSmallLookups(); // six rows beside the new database's 29
        const QString copy = db.dir() + QStringLiteral("/copy.mdb");
        Run r = plenwick({"--copy-database", db.path(), "--to", copy});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        VERIFY_CONTAINS(r.output, "Copied 12 tables, 35 rows");
        const QByteArray made = fileContents(copy);
        r = plenwick({"--copy-database", db.path(), "--to", copy});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "already exists");
        QCOMPARE(fileContents(copy), made);
    }

    void neverWritesOverTheDatabase_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* name, const char* option, const QString& target,
                            const char* reason) {
            QTest::newRow(name) << option << target << reason;
        };
        row("the database", "--report", "DB", "the database itself");
        row("another spelling", "--report", "DIR/backups/../Estimating.mdb", "the database itself");
        row("a link to it", "--report", "DIR/link.csv", "the database itself");
        for (const char* suffix : {"-journal", "-wal", "-shm", "-users"})
            row(suffix, "--report", QStringLiteral("DB") + QLatin1String(suffix), "companion file");
        row("a backup", "--report", "DIR/backups/Estimating-20261207-083000.mdb", "backup folder");
        row("quote in the backups", "--output", "DIR/backups/q.pdf", "backup folder");
        row("quote over a companion", "--output", "DB-wal.htm", "");
    }

    void neverWritesOverTheDatabase() {
        QFETCH(QString, option);
        QFETCH(QString, target);
        QFETCH(QString, reason);
        TestDatabase db;
        db.addSmallLookups();
        addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(2), {}});
        QVERIFY(QDir().mkpath(backupFolder(db.path())));
        QVERIFY(QFile::link(db.path(), db.dir() + QStringLiteral("/link.csv")));
        const QString list = db.dir() + QStringLiteral("/prices.csv");
        QVERIFY(writeFile(list, "Part #,Price\nA-100,12.5\n"));
        target.replace(QStringLiteral("DIR"), db.dir()).replace(QStringLiteral("DB"), db.path());
        db.connection().close();
        const QByteArray before = fileContents(db.path());
        const Run r =
            plenwick(option == QLatin1String("--report")
                         ? QStringList{"--import-price-list", list, "--supplier", "Acme Supply",
                                       "--report", target, "--database", db.path()}
                         : QStringList{"--export-quote", "8101", "--output", target, "--database",
                                       db.path()});
        if (reason.isEmpty()) { // a name that only looks like one of them
            QVERIFY2(r.status == 0, qPrintable(r.output));
            QVERIFY(QFile::remove(target));
            return;
        }
        QCOMPARE(r.status, kExitUsage);
        VERIFY_CONTAINS(r.output, "was refused: it is ");
        VERIFY_CONTAINS(r.output, reason);
        QCOMPARE(fileContents(db.path()), before);
        QVERIFY(listBackups(db.path()).isEmpty());
    }

    void aFullDiskLeavesTheOldFileAsItWas_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("HTML quote") << QStringLiteral("quote.htm");
        QTest::newRow("PDF quote") << QStringLiteral("quote.pdf");
        QTest::newRow("change report") << QStringLiteral("changes.csv");
    }

    void aFullDiskLeavesTheOldFileAsItWas() {
        QFETCH(QString, name);
        SmallDisk disk;
        if (!disk.isValid())
            QSKIP("no small file system could be mounted (that takes the superuser)");
        TestDatabase db;
        db.addSmallLookups();
        addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(150), {}});
        const QString list = db.dir() + QStringLiteral("/prices.csv");
        QByteArray prices = "Part #,Price,Brand,Category\n";
        for (int i = 0; i < 1500; ++i)
            prices += QStringLiteral("NEW-%1,%2.25,Cascade,Fittings\n").arg(i).arg(i).toLatin1();
        QVERIFY(writeFile(list, prices));
        const QString target = disk.filePath(name);
        QVERIFY(writeFile(target, "the old file"));
        QVERIFY(disk.fill(0));
        const QStringList before = filesIn(disk.filePath(QString()));
        const Run r =
            plenwick(name.endsWith(QLatin1String(".csv"))
                         ? QStringList{"--import-price-list", list, "--supplier", "Acme Supply",
                                       "--add-new", "--report", target, "--database", db.path()}
                         : QStringList{"--export-quote", "8101", "--output", target, "--database",
                                       db.path()});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "could not be written");
        QCOMPARE(fileContents(target), QByteArray("the old file"));
        QCOMPARE(filesIn(disk.filePath(QString())), before);
    }

    void printsFromAFileThatCanOnlyBeRead() {
        SmallDisk disk;
        if (geteuid() == 0 && !disk.isValid())
            QSKIP("no file system could be mounted read-only");
        TestDatabase db;
        addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(2), {}});
        db.connection().close();
        QString path = db.path();
        if (disk.isValid()) {
            path = disk.filePath(QStringLiteral("Estimating.mdb"));
            QVERIFY(QFile::copy(db.path(), path));
            QVERIFY(disk.makeReadOnly());
        } else {
            QVERIFY(QFile(path).setPermissions(QFileDevice::ReadOwner));
        }
        const QString out = db.dir() + QStringLiteral("/quote.htm");
        const Run r = plenwick({"--export-quote", "8101", "--output", out, "--database", path});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        QVERIFY(fileContents(out).contains("Item 2"));
    }

    void speaksPlainlyAndBriefly() {
        // No number before a message of the command line.
        TestDatabase db;
        const QString garbage = db.damage(QStringLiteral("garbage"));
        const QStringList quote = {"--export-quote", "1", "--output", db.dir() + "/q.htm"};
        Run r = plenwick(quote + QStringList{"--database", garbage});
        QCOMPARE(r.status, kExitFailure);
        VERIFY_CONTAINS(r.output, "plenwick: Unrecognized database format");
        QVERIFY2(!r.output.contains(QStringLiteral("-2147467259")), qPrintable(r.output));
        // A path of megabytes, stored or given, is said in a few characters.
        IsolatedSettings isolated;
        const QByteArray home = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(isolated.dir()));
        WriteRegString(kProgram, QStringLiteral("DBPath"), QString(10 << 20, QLatin1Char('x')));
        r = plenwick(quote);
        home.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", home);
        QCOMPARE(r.status, kExitFailure);
        QVERIFY2(r.output.contains(QStringLiteral("path of 10485760 characters was ignored")),
                 qPrintable(r.output.left(2000)));
        QVERIFY2(r.output.size() < 2000, qPrintable(r.output.left(2000)));
        r = plenwick(quote + QStringList{"--database", db.dir() + '/' + QString(100000, 'y')});
        QCOMPARE(r.status, kExitFailure);
        QVERIFY2(r.output.size() < 2000, qPrintable(r.output.left(2000)));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
