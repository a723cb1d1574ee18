// The program's command line: its modes run without a display, making database files never
// overwrites one, mistakes print the usage, and the first run makes the default database.
#include "app/commandline.h"
#include "data/backup.h"
#include "data/connection.h"
#include "settings/registry.h"
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

// The environment of a machine without a display: no X11, no Wayland, no platform chosen.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

Run run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(withoutDisplay());
    p.start(program, arguments);
    if (!p.waitForFinished(120000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAll())};
}

Run plenwick(const QStringList& arguments) {
    return run(QStringLiteral(PLENWICK_EXECUTABLE), arguments);
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

// Every file in a folder, hidden ones too.
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kProgram = QStringLiteral("Dorvane\\PX");
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void createsADatabaseAndNeverOverwrites();
    void generatesSmallDemoDataWithASummary();
    void showsProgressOnlyOnATerminal();
    void answersWithoutADisplay_data();
    void answersWithoutADisplay();
    void badCountsWriteNothing();
    void anInterruptedGenerationLeavesNoFile();
    void firstRunCreatesTheDefaultDatabase_data();
    void firstRunCreatesTheDefaultDatabase();
    void firstRunLeavesAnExistingFileAlone();
    void firstRunReportsAFileItCannotMake();
    void exportsAQuoteWithoutAWindow();
    void exportRefusals_data();
    void exportRefusals();
    void importsAPriceList();
    void neverWritesOverTheDatabase_data();
    void neverWritesOverTheDatabase();
    void aFullDiskLeavesTheOldFileAsItWas_data();
    void aFullDiskLeavesTheOldFileAsItWas();
    void printsFromAFileThatCanOnlyBeRead();
    void speaksPlainlyAndBriefly();
};

void TestCommandLine::createsADatabaseAndNeverOverwrites() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.mdb"));
    Run r = plenwick({QStringLiteral("--create-database"), path});
    QVERIFY2(r.status == 0, qPrintable(r.output));
    Connection c;
    QVERIFY(openProgramFile(c, path));
    c.close();
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("new.mdb")});

    const QByteArray before = contents(path);
    r = plenwick({QStringLiteral("--create-database"), path});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY2(r.output.contains(QStringLiteral("already exists")), qPrintable(r.output));
    QCOMPARE(contents(path), before);
}

void TestCommandLine::generatesSmallDemoDataWithASummary() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    const Run r =
        plenwick({QStringLiteral("--generate-demo-data"), path, QStringLiteral("--materials"),
                  QStringLiteral("1200"), QStringLiteral("--estimates"), QStringLiteral("3"),
                  QStringLiteral("--labor-lines"), QStringLiteral("0")});
    QVERIFY2(r.status == 0, qPrintable(r.output));
    Connection c;
    QVERIFY(openProgramFile(c, path));
    Statement q(c.database(), QStringLiteral("SELECT (SELECT COUNT(*) FROM MaterialsTBL), "
                                             "(SELECT COUNT(*) FROM EstimateTBL)"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1200);
    QCOMPARE(q.value(1).toInt(), 3);

    // The summary counts what was written, table by table, and the time it took.
    const auto line = [&](const QString& label, const QString& count) {
        return QRegularExpression(QStringLiteral("^\\s*%1\\s+%2$").arg(label, count),
                                  QRegularExpression::MultilineOption);
    };
    QVERIFY2(r.output.contains(line(QStringLiteral("materials"), QStringLiteral("1,200"))),
             qPrintable(r.output));
    QVERIFY2(r.output.contains(line(QStringLiteral("estimates"), QStringLiteral("3"))),
             qPrintable(r.output));
    QVERIFY2(r.output.contains(line(QStringLiteral("labor lines"), QStringLiteral("0"))),
             qPrintable(r.output));
    // 300 manufacturers, 800 suppliers, 400 categories, 20 estimators and 300 customers by
    // default, 3 x 30 material lines.
    QVERIFY2(r.output.contains(
                 QRegularExpression(QStringLiteral("^Wrote %1 in \\d+\\.\\d s: 3,113 rows$")
                                        .arg(QRegularExpression::escape(path)),
                                    QRegularExpression::MultilineOption)),
             qPrintable(r.output));
    // Nobody watches a pipe: no progress line there.
    QVERIFY2(!r.output.contains(QLatin1Char('\r')), qPrintable(r.output));
    QVERIFY2(!r.output.contains(QStringLiteral("%")), qPrintable(r.output));
}

void TestCommandLine::showsProgressOnlyOnATerminal() {
    // script(1) gives the program a terminal of its own and copies what it shows.
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("script(1) is not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    const QString command =
        QStringLiteral("'%1' --generate-demo-data '%2' --materials 2000 --estimates 20")
            .arg(QStringLiteral(PLENWICK_EXECUTABLE), path);
    const Run r = run(script, {QStringLiteral("-q"), QStringLiteral("-e"), QStringLiteral("-c"),
                               command, QStringLiteral("/dev/null")});
    QVERIFY2(r.status == 0, qPrintable(r.output));
    // One line rewritten in place, rising to 100%, then the summary on a line of its own.
    QVERIFY2(r.output.contains(QStringLiteral("\rGenerating demo data: 0%")), qPrintable(r.output));
    QVERIFY2(r.output.contains(QStringLiteral("\rGenerating demo data: 100%\r\n")),
             qPrintable(r.output));
    QVERIFY2(r.output.count(QStringLiteral("Generating demo data: 100%")) == 1,
             qPrintable(r.output));
    QVERIFY2(r.output.indexOf(QStringLiteral("100%")) < r.output.indexOf(QStringLiteral("Wrote")),
             qPrintable(r.output));
}

void TestCommandLine::answersWithoutADisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    const QString usage = QStringLiteral("Usage: ");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--create-database <path>";
    QTest::newRow("version") << QStringList{"--version"} << 0
                             << QStringLiteral("Plenwick " PLENWICK_VERSION "\n");
    QTest::newRow("unknown option") << QStringList{"--bogus"} << kExitUsage << usage;
    QTest::newRow("Qt's window option with a mode")
        << QStringList{"-platform", "offscreen", "--version"} << kExitUsage << usage;
    QTest::newRow("stray argument")
        << QStringList{"estimates.mdb"} << kExitUsage << "unexpected argument \"estimates.mdb\"";
    QTest::newRow("path missing") << QStringList{"--create-database"} << kExitUsage
                                  << "Missing value after '--create-database'";
    QTest::newRow("empty path") << QStringList{"--create-database", ""} << kExitUsage
                                << "--create-database needs the path of the file to create.";
    QTest::newRow("blank demo path")
        << QStringList{"--generate-demo-data", "  "} << kExitUsage
        << "--generate-demo-data needs the path of the file to create.";
    QTest::newRow("both modes") << QStringList{"--create-database", "a", "--generate-demo-data",
                                               "b"}
                                << kExitUsage << "not both";
    QTest::newRow("count without its mode") << QStringList{"--materials", "5"} << kExitUsage
                                            << "--materials goes with --generate-demo-data";
    QTest::newRow("the window") << QStringList{} << kExitFailure << "no display";
    QTest::newRow("the window, with Qt's options")
        << QStringList{"-style", "fusion", "-reverse"} << kExitFailure << "no display";
}

void TestCommandLine::answersWithoutADisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    const Run r = plenwick(arguments);
    QVERIFY2(r.status == status, qPrintable(QString::number(r.status) + ": " + r.output));
    QVERIFY2(r.output.contains(says), qPrintable(r.output));
    QVERIFY2(!r.output.contains(QStringLiteral("could not connect to display")),
             qPrintable(r.output));
    if (status == kExitUsage) // a mistake says what was wrong, then the usage
        QVERIFY2(r.output.startsWith(QStringLiteral("plenwick: ")) &&
                     r.output.contains(QStringLiteral("--generate-demo-data <path>")),
                 qPrintable(r.output));
}

void TestCommandLine::badCountsWriteNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.mdb"));
    for (const QString& count : {QStringLiteral("many"), QStringLiteral("-3")}) {
        const Run r = plenwick(
            {QStringLiteral("--generate-demo-data"), path, QStringLiteral("--materials"), count});
        QCOMPARE(r.status, kExitUsage);
        QVERIFY2(r.output.contains(
                     QStringLiteral("--materials takes a whole number of 0 or more, not \"%1\"")
                         .arg(count)),
                 qPrintable(r.output));
        QVERIFY(!QFile::exists(path));
    }
}

void TestCommandLine::anInterruptedGenerationLeavesNoFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("demo.mdb"));
    const QStringList arguments{QStringLiteral("--generate-demo-data"), path,
                                QStringLiteral("--materials"), QStringLiteral("20000")};
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
    r = plenwick({QStringLiteral("--generate-demo-data"), path, QStringLiteral("--materials"),
                  QStringLiteral("100"), QStringLiteral("--estimates"), QStringLiteral("2")});
    QVERIFY2(r.status == 0, qPrintable(r.output));
    QStringList files = filesIn(dir.path());
    files.removeIf(
        [](const QString& name) { return name.startsWith(QStringLiteral(".demo.mdb.partial-")); });
    QCOMPARE(files, QStringList{QStringLiteral("demo.mdb")});
    Connection c;
    QVERIFY(openProgramFile(c, path));
}

void TestCommandLine::firstRunCreatesTheDefaultDatabase_data() {
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("storedPath");
    QTest::addColumn<bool>("created");
    QTest::newRow("nothing stored") << false << QString() << true;
    QTest::newRow("empty path stored") << true << QString() << true;
    QTest::newRow("blank path stored") << true << QStringLiteral("  ") << true;
    // Start-up reports a named database that is missing; none is made in its place.
    QTest::newRow("another database named") << true << QStringLiteral("elsewhere.mdb") << false;
    // A path too long to be one is ignored by the settings, so the default file is made.
    QTest::newRow("oversized path stored") << true << QString(5000, QLatin1Char('x')) << true;
}

void TestCommandLine::firstRunCreatesTheDefaultDatabase() {
    QFETCH(bool, stored);
    QFETCH(QString, storedPath);
    QFETCH(bool, created);
    IsolatedSettings isolated;
    QTemporaryDir dir;
    if (stored)
        WriteRegString(kProgram, QStringLiteral("DBPath"),
                       storedPath.trimmed().isEmpty() ? storedPath : dir.filePath(storedPath));
    const QString path = dir.filePath(QStringLiteral("Estimating.mdb"));
    QString error;
    QVERIFY2(createDatabaseOnFirstRun(path, &error), qPrintable(error));
    QCOMPARE(QFile::exists(path), created);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("elsewhere.mdb"))));
    if (created) {
        Connection c;
        QVERIFY(openProgramFile(c, path));
    }
}

void TestCommandLine::firstRunLeavesAnExistingFileAlone() {
    IsolatedSettings isolated;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Estimating.mdb"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database, but somebody's");
    }
    QString error;
    QVERIFY2(createDatabaseOnFirstRun(path, &error), qPrintable(error));
    QCOMPARE(contents(path), QByteArray("not a database, but somebody's"));
}

void TestCommandLine::firstRunReportsAFileItCannotMake() {
    IsolatedSettings isolated;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/Estimating.mdb"));
    QString error;
    QVERIFY(!createDatabaseOnFirstRun(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
}

void TestCommandLine::neverWritesOverTheDatabase_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    const QString report = QStringLiteral("--report");
    QTest::newRow("the database") << report << "DB"
                                  << "the database itself";
    QTest::newRow("another spelling") << report << "DIR/backups/../Estimating.mdb"
                                      << "the database itself";
    QTest::newRow("a link to it") << report << "DIR/link.csv"
                                  << "the database itself";
    for (const char* suffix : {"-journal", "-wal", "-shm", "-users"})
        QTest::newRow(suffix) << report << QStringLiteral("DB") + QLatin1String(suffix)
                              << "companion file";
    QTest::newRow("a backup") << report << "DIR/backups/Estimating-20261207-083000.mdb"
                              << "backup folder";
    QTest::newRow("quote in the backups") << "--output"
                                          << "DIR/backups/q.pdf"
                                          << "backup folder";
    QTest::newRow("quote over a companion") << "--output"
                                            << "DB-wal.htm"
                                            << "";
}

void TestCommandLine::neverWritesOverTheDatabase() {
    QFETCH(QString, option);
    QFETCH(QString, target);
    QFETCH(QString, reason);
    TestDatabase db;
    db.addSmallLookups();
    addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(2), {}});
    QVERIFY(QDir().mkpath(backupFolder(db.path())));
    QVERIFY(QFile::link(db.path(), db.dir() + QStringLiteral("/link.csv")));
    const QString list = db.dir() + QStringLiteral("/prices.csv");
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Part #,Price\nA-100,12.5\n");
    }
    target.replace(QStringLiteral("DIR"), db.dir()).replace(QStringLiteral("DB"), db.path());
    db.connection().close();
    const QByteArray before = contents(db.path());
    const QStringList arguments =
        option == QLatin1String("--report")
            ? QStringList{"--import-price-list", list,       "--supplier",
                          "Acme Supply",         "--report", target,
                          "--database",          db.path()}
            : QStringList{"--export-quote", "8101", "--output", target, "--database", db.path()};
    const Run r = plenwick(arguments);
    if (reason.isEmpty()) { // a name that only looks like one of them
        QVERIFY2(r.status == 0, qPrintable(r.output));
        QVERIFY(QFile::remove(target));
        return;
    }
    QCOMPARE(r.status, kExitUsage);
    QVERIFY2(r.output.contains(QStringLiteral("was refused: it is ")) && r.output.contains(reason),
             qPrintable(r.output));
    QCOMPARE(contents(db.path()), before);
    QVERIFY(listBackups(db.path()).isEmpty());
}

void TestCommandLine::aFullDiskLeavesTheOldFileAsItWas_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("HTML quote") << QStringLiteral("quote.htm");
    QTest::newRow("PDF quote") << QStringLiteral("quote.pdf");
    QTest::newRow("change report") << QStringLiteral("changes.csv");
}

void TestCommandLine::aFullDiskLeavesTheOldFileAsItWas() {
    QFETCH(QString, name);
    SmallDisk disk;
    if (!disk.isValid())
        QSKIP("no small file system could be mounted (that takes the superuser)");
    TestDatabase db;
    db.addSmallLookups();
    addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(150), {}});
    const QString list = db.dir() + QStringLiteral("/prices.csv");
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Part #,Price,Brand,Category\n");
        for (int i = 0; i < 1500; ++i)
            file.write(QStringLiteral("NEW-%1,%2.25,Cascade,Fittings\n").arg(i).arg(i).toLatin1());
    }
    const QString target = disk.filePath(name);
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the old file") == 12);
    }
    QVERIFY(disk.fill(0));
    const QStringList before = filesIn(disk.filePath(QString()));
    const Run r = plenwick(
        name.endsWith(QLatin1String(".csv"))
            ? QStringList{"--import-price-list", list, "--supplier", "Acme Supply", "--add-new",
                          "--report", target, "--database", db.path()}
            : QStringList{"--export-quote", "8101", "--output", target, "--database", db.path()});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY2(r.output.contains(QStringLiteral("could not be written")), qPrintable(r.output));
    QCOMPARE(contents(target), QByteArray("the old file"));
    QCOMPARE(filesIn(disk.filePath(QString())), before);
}

void TestCommandLine::printsFromAFileThatCanOnlyBeRead() {
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
    QVERIFY(contents(out).contains("Item 2"));
}

void TestCommandLine::speaksPlainlyAndBriefly() {
    // No number before a message of the command line.
    TestDatabase db;
    const QString garbage = db.damage(QStringLiteral("garbage"));
    Run r =
        plenwick({"--export-quote", "1", "--output", db.dir() + "/q.htm", "--database", garbage});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY2(r.output.contains(QStringLiteral("plenwick: Unrecognized database format")),
             qPrintable(r.output));
    QVERIFY2(!r.output.contains(QStringLiteral("-2147467259")), qPrintable(r.output));
    // A path of megabytes, stored or given, is said in a few characters.
    IsolatedSettings isolated;
    const QByteArray home = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(isolated.dir()));
    WriteRegString(kProgram, QStringLiteral("DBPath"), QString(10 << 20, QLatin1Char('x')));
    r = plenwick({"--export-quote", "1", "--output", db.dir() + "/q.htm"});
    home.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", home);
    QCOMPARE(r.status, kExitFailure);
    QVERIFY2(r.output.contains(QStringLiteral("path of 10485760 characters was ignored")),
             qPrintable(r.output.left(2000)));
    QVERIFY2(r.output.size() < 2000, qPrintable(r.output.left(2000)));
    r = plenwick({"--export-quote", "1", "--output", db.dir() + "/q.htm", "--database",
                  db.dir() + QLatin1Char('/') + QString(100000, QLatin1Char('y'))});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY2(r.output.size() < 2000, qPrintable(r.output.left(2000)));
}

QTEST_MAIN(TestCommandLine)
void TestCommandLine::exportsAQuoteWithoutAWindow() {
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
            plenwick({QStringLiteral("--export-quote"), QStringLiteral("8001"),
                      QStringLiteral("--output"), path, QStringLiteral("--database"), db.path()});
        QVERIFY2(r.status == 0, qPrintable(r.output));
        const QByteArray written = contents(path);
        if (QByteArray(name).endsWith(".pdf")) {
            QVERIFY(written.startsWith("%PDF-"));
            continue;
        }
        for (const char* text :
             {"Hollis &amp; Marsh", "Phone: 555-0142 Fax: ", "Ball valve &lt;3/4&quot;&gt;",
              "$168.25", "8001", "Web: www.hm.example", ">Quote<", "Reyes &amp; Sons", ">Porch<",
              "1/5/2027", "Net 30", "Accepted by"})
            QVERIFY2(written.contains(text), text);
    }
    const Run help = plenwick({QStringLiteral("--help")});
    QVERIFY(help.output.contains(QStringLiteral("--export-quote <reference>")));
    QVERIFY(help.output.contains(QStringLiteral("--output <file>")));
}

void TestCommandLine::exportRefusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString out = QStringLiteral("OUT/q.htm");
    QTest::newRow("unknown reference")
        << QStringList{"--export-quote", "9999", "--output", out, "--database", "DB"}
        << kExitFailure << "No estimate has the reference number 9999.";
    QTest::newRow("not a number") << QStringList{"--export-quote", "abc", "--output", out,
                                                 "--database",     "DB"}
                                  << kExitFailure << "\"abc\" is not a reference number";
    QTest::newRow("unwritable file")
        << QStringList{"--export-quote", "8101", "--output", "OUT/none/q.pdf", "--database", "DB"}
        << kExitFailure << "could not be written";
    QTest::newRow("unknown extension")
        << QStringList{"--export-quote", "8101", "--output", "OUT/q.txt", "--database", "DB"}
        << kExitUsage << "should end in .htm, .html or .pdf";
    QTest::newRow("no output") << QStringList{"--export-quote", "8101", "--database", "DB"}
                               << kExitUsage << "--export-quote needs --output";
    QTest::newRow("output alone") << QStringList{"--output", out} << kExitUsage
                                  << "--output goes with --export-quote";
    QTest::newRow("missing database")
        << QStringList{"--export-quote", "8101", "--output", out, "--database", "OUT/no.mdb"}
        << kExitFailure << "could not be opened";
}

void TestCommandLine::exportRefusals() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    TestDatabase db;
    addQuote(db, {8101, QStringLiteral("Ann"), 0, 0, numberedLines(2), {}});
    arguments.replaceInStrings(QStringLiteral("OUT"), db.dir());
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DB$")), db.path());
    const Run r = plenwick(arguments);
    QCOMPARE(r.status, status);
    QVERIFY2(r.output.contains(message), qPrintable(r.output));
    QVERIFY(!QFile::exists(db.dir() + QStringLiteral("/q.htm")));
    QVERIFY(!QFile::exists(db.dir() + QStringLiteral("/q.txt")));
}

void TestCommandLine::importsAPriceList() {
    TestDatabase db;
    db.addSmallLookups();
    db.exec(QStringLiteral("INSERT INTO MaterialsTBL (ManufacturerID, SuppliersID, CatagoryID, "
                           "PartNumber, UnitCost, UpdatedLast) "
                           "VALUES (1, 1, 1, 'A-100', 10, '2020-01-01')"));
    const QString list = db.dir() + QStringLiteral("/prices.csv");
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Part #,Price,Brand,Category\nA-100,12.5,Cascade,Fittings\n"
                   "N-1,3,Cascade,Fittings\n");
    }
    const QStringList base = {"--import-price-list", list,         "--supplier",
                              "acme supply",         "--database", db.path()};
    auto cost = [&db] {
        return db
            .scalar(QStringLiteral("SELECT UnitCost FROM MaterialsTBL WHERE PartNumber = "
                                   "'A-100'"))
            .toDouble();
    };
    // A dry run shows the counts and changes nothing.
    Run r = plenwick(base + QStringList{"--dry-run"});
    QVERIFY2(r.status == 0, qPrintable(r.output));
    QVERIFY(r.output.contains(QStringLiteral("price changes  1")));
    QVERIFY(r.output.contains(QStringLiteral("new materials  1")));
    QVERIFY(r.output.contains(QStringLiteral("Dry run: nothing was changed.")));
    QCOMPARE(cost(), 10.0);
    QVERIFY(listBackups(db.path()).isEmpty());
    // Applied, with the new material and the report.
    const QString report = db.dir() + QStringLiteral("/changes.csv");
    r = plenwick(base + QStringList{"--add-new", "--report", report});
    QVERIFY2(r.status == 0, qPrintable(r.output));
    QCOMPARE(cost(), 12.5);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM MaterialsTBL")).toInt(), 2);
    // The day's copy, made before the first change, as the window makes it.
    const QList<BackupFile> backups = listBackups(db.path());
    QCOMPARE(backups.size(), 1);
    Connection copy;
    QVERIFY(openProgramFile(copy, backups.first().path));
    Statement old(copy.database(),
                  QStringLiteral("SELECT UnitCost FROM MaterialsTBL WHERE PartNumber = 'A-100'"));
    QVERIFY(old.next());
    QCOMPARE(old.real(0), 10.0);
    copy.close();
    QVERIFY(contents(report).contains("A-100,,Price changed,10,12.5,25.0,"));
    // A refused row: the rest is applied, and the exit status says a row was left out.
    {
        QFile file(list);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Part #,Price\nA-100,13\nB-1,abc\nC-\x1b]0;owned\x07\x1b[2J,1\n"
                   "=HYPERLINK(\"http://x\"),2\n");
    }
    r = plenwick(base + QStringList{"--add-new", "--report", report});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY(r.output.contains(QStringLiteral("row 3, Unit Cost")));
    QCOMPARE(cost(), 13.0);
    // A cell's control characters are shown escaped, never sent to the terminal.
    QVERIFY2(
        r.output.contains(QStringLiteral("row 4, Part Number \"C-\\x1b]0;owned\\x07\\x1b[2J\": "
                                         "holds the control character U+001B")),
        qPrintable(r.output));
    QVERIFY(!r.output.contains(QChar(0x1b)));
    // A part number a spreadsheet would run as a formula is written as text in the report.
    QVERIFY2(contents(report).contains("5,\"'=HYPERLINK(\"\"http://x\"\")\",,Not added,"),
             contents(report).constData());
    // Wrong arguments and an unknown supplier.
    QCOMPARE(plenwick({"--import-price-list", list, "--database", db.path()}).status, kExitUsage);
    QCOMPARE(plenwick(base + QStringList{"--dry-run", "--report", report}).status, kExitUsage);
    QCOMPARE(plenwick({"--supplier", "x"}).status, kExitUsage);
    r = plenwick({"--import-price-list", list, "--supplier", "Nobody", "--database", db.path()});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY(r.output.contains(QStringLiteral("no supplier is named \"Nobody\"")));
    r = plenwick({"--import-price-list", db.dir() + "/none.csv", "--supplier", "Acme Supply",
                  "--database", db.path()});
    QCOMPARE(r.status, kExitFailure);
    QVERIFY(r.output.contains(QStringLiteral("could not be read")));
}

#include "tst_commandline.moc"
