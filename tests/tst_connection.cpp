// Opening database files: the password verifier, the structure check, the default path, and the
// mapping of refused writes to the numbers the screens key on.
#include "app/mainwindow.h"
#include "data/connection.h"
#include "data/fileusers.h"
#include "data/globals.h"
#include "data/money.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "settings/openconnection.h"
#include "settings/registry.h"
#include "support/datafiles.h"
#include "support/programfixture.h"
#include "support/scriptedmessages.h"
#include "support/smalldisk.h"
#include "support/testdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Runs statements on the file as a database tool can, with the schema table writable (PRAGMA
// writable_schema): SQLite takes a row written there as any other object at the next open.
bool editSchema(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
    const QByteArray text = "PRAGMA writable_schema = ON; " + sql.toUtf8();
    const bool done =
        opened && sqlite3_exec(db, text.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}
} // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    // Another program holding the file while it is checked: the file is in use, not damaged.
    void aLockedFileIsInUseNotDamaged() {
        TestDatabase db;
        Connection checked;
        QVERIFY(openProgramFile(checked, db.path()));
        Database holder;
        QVERIFY(holder.open(db.path()) && holder.execute(QStringLiteral("BEGIN EXCLUSIVE")));
        checked.database().setBusyTimeout(100);
        QVERIFY(!checked.checkStructureNow());
        VERIFY_CONTAINS(checked.lastError().description, "in use by another program");
        QVERIFY(!checked.lastError().description.contains(QLatin1String("damaged")));
    }

    void opensTheProgramsOwnFile() {
        TestDatabase db;
        Connection c;
        QString path = db.path();
        ScriptedMessages messages;
        QVERIFY(OpenConnection(path, c));
        QCOMPARE(c.state(), int(Connection::Open));
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(gConnectionString.contains(db.path()));
        QVERIFY(gConnectionString.contains(Schema::databasePassword()));
        // The password itself is never stored in the file.
        Statement q(c.database(), QStringLiteral("SELECT Value FROM DatabaseInfo"));
        while (q.next())
            QVERIFY(!q.value(0).toString().contains(Schema::databasePassword()));
        QVERIFY(!q.failed());
    }

    void refusesFilesItCannotTrust_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString title = QStringLiteral(" clsSetting / OpenConnection");
        const QString foreign =
            QStringLiteral("-2147217843: The file '%1' is not a Plenwick database.");
        QTest::newRow("missing file") << "missing"
                                      << "-2147467259: Could not find file" << title;
        QTest::newRow("another password") << "password"
                                          << "-2147217843: Not a valid password." << title;
        QTest::newRow("no password record") << "noverifier" << foreign << title;
        QTest::newRow("empty file") << "empty" << foreign << title;
        QTest::newRow("another program's database") << "foreign" << foreign << title;
        QTest::newRow("not a database") << "garbage"
                                        << "-2147467259: Unrecognized database format" << title;
        // Another program holds the file locked (after the usual wait for a lock).
        QTest::newRow("locked by another program")
            << "locked"
            << "-2147467259: The file '%1' is in use by another program." << title;
        // Damaged, with no backup to offer.
        QTest::newRow("damaged") << "corrupt"
                                 << "-2147467259: The file '%1' is damaged: " << title;
        QTest::newRow("no categories table")
            << "structure"
            << "Invalid Database Structure" << QStringLiteral("OpenConnection");
    }

    void refusesFilesItCannotTrust() {
        QFETCH(QString, damage);
        QFETCH(QString, text);
        QFETCH(QString, title);
        TestDatabase db;
        QString path = db.damage(damage);
        const QString before = gConnectionString;
        gConnectionString = QStringLiteral("stale");
        ScriptedMessages messages;
        Connection c;
        QVERIFY(!OpenConnection(path, c));
        QCOMPARE(c.state(), int(Connection::Closed));
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.texts().first().startsWith(text.replace(QStringLiteral("%1"), path)),
                 qPrintable(messages.texts().first()));
        QCOMPARE(messages.titles().first(), title);
        QCOMPARE(messages.shown().first().icon, QMessageBox::Critical);
        // The connection string is set on a failed call too.
        QVERIFY(gConnectionString.contains(path));
        gConnectionString = before;
    }

    void aStrangersTriggerOrViewKeepsTheFileShut_data() {
        QTest::addColumn<QStringList>("statements"); // run as the program runs statements
        QTest::addColumn<QString>("schemaEdit");     // then written into the schema by hand
        QTest::addColumn<QString>("named");          // in the message
        const QString wipe =
            QStringLiteral("CREATE TRIGGER Wipe AFTER UPDATE ON MaterialsTBL BEGIN DELETE FROM "
                           "LaborEstimateTBL; UPDATE MaterialsTBL SET UnitCost = 0.01; END");
        const QString hidden =
            QStringLiteral("ALTER TABLE MaterialsTBL ADD COLUMN Hidden DEFAULT 1");
        const QString extra = QStringLiteral("CREATE TABLE Extra (x)");
        const QString none;
        QTest::newRow("a trigger") << QStringList{wipe} << none << "trigger Wipe";
        // Under the engine's own prefix, written into the schema by hand: SQLite runs such a
        // trigger all the same, so only the engine's own objects, as it makes them, pass.
        QTest::newRow("a trigger under the engine's prefix")
            << QStringList()
            << "INSERT INTO sqlite_master VALUES ('trigger', 'sqlite_wipe', 'MaterialsTBL', 0, "
               "'CREATE TRIGGER sqlite_wipe AFTER UPDATE ON MaterialsTBL BEGIN DELETE FROM "
               "EstimateTBL; END')"
            << "trigger sqlite_wipe";
        QTest::newRow("a view under the engine's prefix")
            << QStringList()
            << "INSERT INTO sqlite_master VALUES ('view', 'sqlite_stat1', 'sqlite_stat1', 0, "
               "'CREATE VIEW sqlite_stat1 AS SELECT 1 AS tbl')"
            << "view sqlite_stat1";
        QTest::newRow("an index named as the engine's")
            << QStringList{"CREATE INDEX Narrow ON MaterialsTBL (PartNumber)"}
            << "UPDATE sqlite_master SET name = 'sqlite_autoindex_MaterialsTBL_7', sql = 'CREATE "
               "INDEX sqlite_autoindex_MaterialsTBL_7 ON MaterialsTBL (PartNumber)' WHERE name = "
               "'Narrow'"
            << "index sqlite_autoindex_MaterialsTBL_7 (altered)";
        QTest::newRow("a table under the engine's prefix")
            << QStringList{extra}
            << "UPDATE sqlite_master SET name = 'sqlite_extra', tbl_name = 'sqlite_extra', sql = "
               "'CREATE TABLE sqlite_extra (x)' WHERE name = 'Extra'"
            << "table sqlite_extra";
        QTest::newRow("the key counter altered")
            << QStringList()
            << "UPDATE sqlite_master SET sql = 'CREATE TABLE sqlite_sequence(name,seq DEFAULT 5)' "
               "WHERE name = 'sqlite_sequence'"
            << "table sqlite_sequence (altered)";
        QTest::newRow("a view in a table's place")
            << QStringList{"DROP TABLE MaterialsTBL",
                           "CREATE VIEW MaterialsTBL AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                           "SELECT i + 1 FROM n) SELECT i AS MaterialsID FROM n"}
            << none << "view MaterialsTBL";
        QTest::newRow("a table of its own") << QStringList{extra} << none << "table Extra";
        // The program's names with other text: a view that never ends, a price that changes on its
        // own, an index narrowed to nothing.
        QTest::newRow("a view altered")
            << QStringList{"DROP VIEW rptDetail",
                           "CREATE VIEW rptDetail AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                           "SELECT i + 1 FROM n) SELECT i AS EstimateID FROM n"}
            << none << "view rptDetail (altered)";
        QTest::newRow("a table altered")
            << QStringList{hidden} << none << "table MaterialsTBL (altered)";
        QTest::newRow("an index altered")
            << QStringList{"DROP INDEX EstimateByDate",
                           "CREATE INDEX EstimateByDate ON EstimateTBL (EstimateData) WHERE 0"}
            << none << "index EstimateByDate (altered)";
        // An older structure is no excuse for a stranger's objects or altered tables.
        QTest::newRow("a trigger in an older structure")
            << QStringList{"PRAGMA user_version = 0", wipe} << none << "trigger Wipe";
        QTest::newRow("a table altered in an older structure")
            << QStringList{"PRAGMA user_version = 0", hidden} << none
            << "table MaterialsTBL (altered)";
        // A newer structure is named as what it is.
        QTest::newRow("a newer structure") << QStringList{QStringLiteral("PRAGMA user_version = %1")
                                                              .arg(Schema::kStructureVersion + 1),
                                                          wipe}
                                           << none << "made by a newer version of Plenwick";
    }

    void aStrangersTriggerOrViewKeepsTheFileShut() {
        QFETCH(QStringList, statements);
        QFETCH(QString, schemaEdit);
        QFETCH(QString, named);
        TestDatabase db;
        for (const QString& sql : statements)
            db.exec(sql);
        QVERIFY(schemaEdit.isEmpty() || editSchema(db.path(), schemaEdit));
        ScriptedMessages messages;
        Connection connection;
        QString path = db.path();
        QVERIFY(!OpenConnection(path, connection));
        QCOMPARE(messages.shown().size(), 1);
        VERIFY_CONTAINS(messages.texts().first(), named);
    }

    void theEnginesOwnObjectsAndEarlierViewsPass() {
        // The engine's own objects pass: the key counter, the statistics of ANALYZE, the indexes of
        // UNIQUE and PRIMARY KEY constraints.
        TestDatabase analysed;
        analysed.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (1001)"));
        analysed.exec(QStringLiteral("ANALYZE"));
        const QString engines = QStringLiteral("name LIKE 'sqlite!_%' ESCAPE '!'");
        QVERIFY(analysed.scalar("SELECT COUNT(*) FROM sqlite_master WHERE " + engines).toInt() >=
                4);
        Connection c;
        QVERIFY(openProgramFile(c, analysed.path()));
        QCOMPARE(Schema::foreignObjects(c.database()), QStringList());
        // A file of the first structure, with the index an early build left and a view of an
        // earlier text (or a stranger's text): opened, its views and indexes made again from the
        // program's text, and stamped with the current structure.
        TestDatabase current;
        const QString viewText =
            current.scalar("SELECT sql FROM sqlite_master WHERE name = 'PXSum'").toString();
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("Estimating.mdb"));
        QVERIFY(QFile::copy(QStringLiteral(PLENWICK_TEST_DATA "/structure-0.mdb"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        {
            Database own;
            QVERIFY(own.open(path));
            QVERIFY(own.execute(QStringLiteral(
                "CREATE INDEX IF NOT EXISTS MaterialsByDescription ON MaterialsTBL "
                "(ManufacturerDescription COLLATE NOCASE); DROP VIEW rptDetail; "
                "CREATE VIEW rptDetail AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                "FROM n) SELECT i AS EstimateID FROM n; DROP VIEW PXSum; "
                "CREATE VIEW PXSum AS SELECT EstimateID, 0 AS TotalEstimate FROM EstimateTBL")));
        }
        Connection ok;
        ScriptedMessages none;
        QVERIFY(OpenConnection(path, ok));
        QVERIFY(none.shown().isEmpty());
        const auto scalar = [&ok](const char* sql) {
            Statement q(ok.database(), QString::fromLatin1(sql));
            return q.next() ? q.value(0) : QVariant();
        };
        QCOMPARE(scalar("PRAGMA user_version").toInt(), Schema::kStructureVersion);
        QCOMPARE(scalar("SELECT sql FROM sqlite_master WHERE name = 'PXSum'").toString(), viewText);
        QCOMPARE(scalar("SELECT COUNT(*) FROM sqlite_master WHERE name = 'MaterialsByDescription'")
                     .toInt(),
                 0);
        QVERIFY(Schema::foreignObjects(ok.database()).isEmpty());
        ok.close();
        QVERIFY(OpenConnection(path, ok));
        QVERIFY(none.shown().isEmpty());
        // Nor can a statement rewrite the schema's records behind the program's back.
        QVERIFY(ok.execute(QStringLiteral("PRAGMA writable_schema = ON")));
        QVERIFY(!ok.execute(QStringLiteral("UPDATE sqlite_master SET sql = 'x' WHERE name = "
                                           "'MaterialsTBL'")));
    }

    void connectionStringKeepsAwkwardPaths() {
        const QString path = QStringLiteral("/tmp/a;b \"quoted\"/Estimating.mdb");
        const auto parts = Connection::parseConnectionString(
            Connection::buildConnectionString(path, QStringLiteral("pw")));
        QCOMPARE(parts.value(QStringLiteral("data source")), path);
        QCOMPARE(parts.value(QStringLiteral("database password")), QStringLiteral("pw"));
    }

    void refusedWritesCarryTheScreensNumbers() {
        TestDatabase db;
        Connection& c = db.connection();
        db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (100)"));
        db.exec(QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID) VALUES (1)"));
        // An estimate with lines (a material in use is the record set's test).
        QVERIFY(!c.execute(QStringLiteral("DELETE FROM EstimateTBL WHERE EstimateID = ?"), {1}));
        QCOMPARE(c.errors().size(), 1);
        QCOMPARE(c.errors().first().nativeError, ErrorNumber::kReferencedRow);
        QCOMPARE(c.lastError().number, ErrorNumber::kReferencedRow);
        // A line may not point at an estimate that does not exist.
        QVERIFY(!c.execute(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID) VALUES (?)"),
                           {99}));
        QCOMPARE(c.lastError().number, ErrorNumber::kReferencedRow);
        // The reference number is unique: another refusal, the generic failure.
        QVERIFY(
            !c.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (?)"), {100}));
        QCOMPARE(c.lastError().number, ErrorNumber::kGenericFailure);
        // A missing required value is the generic failure too.
        QVERIFY(c.execute(QStringLiteral("CREATE TEMP TABLE Required (Name TEXT NOT NULL)")));
        QVERIFY(!c.execute(QStringLiteral("INSERT INTO Required (Name) VALUES (?)"), {QVariant()}));
        QCOMPARE(c.lastError().number, ErrorNumber::kGenericFailure);
        // Success clears the list.
        QVERIFY(
            c.execute(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber) VALUES (?)"), {101}));
        QVERIFY(c.errors().isEmpty());
    }

    void valuesAreBoundNotPasted() {
        TestDatabase db;
        const QString hostile = QStringLiteral("x'); DROP TABLE CatagoryTBL; --");
        QVERIFY(db.connection().execute(
            QStringLiteral("INSERT INTO CatagoryTBL (Catagory) VALUES (?)"), {hostile}));
        QCOMPARE(db.scalar(QStringLiteral("SELECT Catagory FROM CatagoryTBL")).toString(), hostile);
    }

    void viewsSumAnEstimate() {
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO Estimators (Estimator) VALUES ('Dana')"));
        db.exec(QStringLiteral(
            "INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping, "
            "EstimatorID, EstimateStatus) VALUES (7, '2026-03-05', 0.08, 25, 1, 2)"));
        db.exec(QStringLiteral(
            "INSERT INTO EstimateTBL (QuoteNumber, EstimateData) VALUES (8, '2026-03-06')"));
        db.exec(QStringLiteral(
            "INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, ManufacturerDescription, "
            "TotalCost, Price, Extension) VALUES (1, 2, 'Pipe', 20, 12.5, 25)"));
        db.exec(QStringLiteral(
            "INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, TotalCost, Price, "
            "Extension) VALUES (1, 1, 0.1, 0.2, 0.2)"));
        db.exec(QStringLiteral(
            "INSERT INTO LaborEstimateTBL (EstimateID, Hours, LaborDescription, LaborRate, "
            "LaborExtension) VALUES (1, 8, 'Install', 45, 360)"));

        RecordSet sums;
        QVERIFY(sums.open(db.connection(),
                          QStringLiteral("SELECT * FROM PXSum WHERE EstimateID = ?"), {1}));
        // The sums themselves are the database test's; a sum that happens to be whole is still the
        // same kind of number as the others.
        QCOMPARE(sums.value(QStringLiteral("LaborsTotal")).toDouble(), 360.0);
        QCOMPARE(sums.field(sums.fieldIndex(QStringLiteral("LaborsTotal"))).type,
                 FieldType::Double);

        RecordSet month;
        QVERIFY(
            month.open(db.connection(),
                       QStringLiteral("SELECT * FROM EstimatesAll WHERE [Date] >= ? AND [Date] < ? "
                                      "ORDER BY EstimateID"),
                       {QStringLiteral("2026-03-01"), QStringLiteral("2026-04-01")}));
        QCOMPARE(month.recordCount(), 2);
        QCOMPARE(month.value(QStringLiteral("Reference #")).toInt(), 7);
        QCOMPARE(month.value(QStringLiteral("Estimator")).toString(), QStringLiteral("Dana"));
        QCOMPARE(month.value(QStringLiteral("Status")).toString(), QStringLiteral("Sent"));
        // Materials taxed (8% of 25.20 is 2.016, rounded once to 2.02), labor untaxed, shipping
        // added: 25.20 + 2.02 + 360 + 25.
        QCOMPARE(month.value(QStringLiteral("Grand Total")).toDouble(), 412.22);
        QCOMPARE(month.field(month.fieldIndex(QStringLiteral("Date"))).type, FieldType::Date);
        // The lines of rptDetail are the printed quote's, which the report and amount tests read.
    }

    void aSecondRunOnTheSameFileIsTold() {
        Program program;
        const QString path = program.db.path();
        // Runs of the program, as their own connections to the file.
        auto run = [&path](Connection& c) {
            c.setDailyBackups(true);
            c.setConnectionString(
                Connection::buildConnectionString(path, Schema::databasePassword()));
            return c.open();
        };
        Connection first, second, third;
        QSignalSpy toldFirst(&first, &Connection::openElsewhere);
        QSignalSpy toldSecond(&second, &Connection::openElsewhere);
        QSignalSpy toldThird(&third, &Connection::openElsewhere);
        // The test's own connection is open throughout, yet no run of the program: not counted.
        QVERIFY(run(first));
        QCOMPARE(toldFirst.size(), 0);
        QVERIFY(run(second));
        QCOMPARE(toldSecond.size(), 1);
        QCOMPARE(toldSecond.first().first().toString(), path);
        // The first run ends; the second one is still there to be counted.
        first.close();
        QVERIFY(run(third));
        QCOMPARE(toldThird.size(), 1);
        second.close();
        third.close();
        QVERIFY(run(first));
        QCOMPARE(toldFirst.size(), 0);

        // The program says so once its window is up, and opens the file all the same.
        ScriptedMessages messages;
        QVERIFY(program.load());
        QVERIFY(messages.shown().isEmpty());
        QTRY_COMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.titles(), QStringList{"Database in use"});
        VERIFY_CONTAINS(messages.texts().first(), "also open in another Plenwick");
        QCOMPARE(messages.shown().first().icon, QMessageBox::Information);
    }

    // A refused write names the reason, and what was typed stays: the wait tests' refused saves.
    void aFileThatCanOnlyBeReadIsSaidSo() {
        // The superuser may write any file: for it, the file lies on a disk mounted read-only.
        SmallDisk disk;
        if (geteuid() == 0 && !disk.isValid())
            QSKIP("no file system could be mounted read-only");
        Program program;
        // An estimate without a reference, which the window removes at start where it can.
        program.db.exec(QStringLiteral("INSERT INTO EstimateTBL (EstimateData) VALUES (?)"),
                        {QStringLiteral("2026-01-02")});
        if (disk.isValid()) {
            const QString copy = disk.filePath(QStringLiteral("Estimating.mdb"));
            QVERIFY(QFile::copy(program.db.path(), copy));
            QVERIFY(disk.makeReadOnly());
            WriteRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), copy);
        } else {
            QVERIFY(QFile(program.db.path())
                        .setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        }
        ScriptedMessages messages;
        QVERIFY(program.load());
        frmMain window;
        // One notice, and no refused write after it.
        QTRY_COMPARE(messages.titles(), QStringList{"Read-only database"});
        QTest::qWait(300);
        QCOMPARE(messages.titles(), QStringList{"Read-only database"});
        QVERIFY(program.objects.connection.database().isReadOnly());
    }

    void aMarkerThatIsNoPlainFileIsLeftAlone() {
        // What may stand at the marker's name: a pipe (opening it would wait for a writer), a
        // symbolic link to a file not there yet (which would be made with the user's rights) or to
        // one that is (which would be locked), a folder. Each run opens at once and counts nobody.
        for (const char* kind : {"pipe", "dangling link", "link", "folder"}) {
            TestDatabase db;
            const QString marker = FileUsers::markerPath(db.path());
            const QString target = db.dir() + QStringLiteral("/elsewhere");
            const QByteArray name(kind);
            if (name == "pipe")
                QVERIFY(::mkfifo(QFile::encodeName(marker).constData(), 0644) == 0);
            else if (name == "folder")
                QVERIFY(QDir().mkdir(marker));
            else
                QVERIFY(QFile::link(target, marker));
            QVERIFY(name != "link" || writeFile(target, "kept"));
            auto run = [&db](Connection& c) {
                c.setDailyBackups(true);
                return openProgramFile(c, db.path());
            };
            Connection first, second;
            QSignalSpy told(&second, &Connection::openElsewhere);
            QVERIFY2(run(first) && run(second), kind);
            QCOMPARE(told.size(), 0);
            QCOMPARE(fileContents(target), name == "link" ? QByteArray("kept") : QByteArray());
            QCOMPARE(QFile::exists(target), name == "link");
        }
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
