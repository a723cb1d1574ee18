// The database wrapper as the screens rely on it: sums through the views exact, writes of several
// tables standing or falling together, and one connection per file shared by every data control.
#include "data/connection.h"
#include "data/datacontrol.h"
#include "data/money.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/serverpassword.h"
#include "support/datafiles.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
qint64 countRows(TestDatabase& db, const QString& table) {
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
}

Money amountOf(const QVariant& v) {
    return v.typeId() == qMetaTypeId<Money>() ? v.value<Money>() : Money::fromDouble(v.toDouble());
}
} // namespace

class TestDatabase_ : public QObject {
    Q_OBJECT
private slots:
    void viewSumsAreExactOverManyLines() {
        TestDatabase db;
        Database& file = db.connection().database();
        db.exec(
            QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, Shipping) "
                           "VALUES (1, '2026-12-01', 0, 0)"));
        const qint64 estimate = file.lastInsertId();
        // Amounts with all four decimals, up to $10,000 a line: a floating-point sum of them
        // drifts.
        QRandomGenerator dice(20261206);
        Money extensions, costs, labor;
        {
            Transaction transaction(file);
            Statement line(file,
                           QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, "
                                          "Quantity, TotalCost, Extension) VALUES (?, 1, ?, ?)"));
            for (int i = 0; i < 100000; ++i) {
                const Money cost = Money::fromUnits(qint64(dice.bounded(100000000)));
                const Money extension = cost + Money::fromUnits(qint64(dice.bounded(10000000)));
                QVERIFY(line.bindAll({estimate, QVariant::fromValue(cost),
                                      QVariant::fromValue(extension)}) &&
                        line.execute());
                // Each line counts as the cents it is printed as.
                costs += cost.roundedToCents();
                extensions += extension.roundedToCents();
            }
            Statement hours(file, QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, "
                                                 "LaborExtension) VALUES (?, 1, ?)"));
            for (int i = 0; i < 1000; ++i) {
                const Money amount = Money::fromUnits(qint64(dice.bounded(5000000)));
                QVERIFY(hours.bindAll({estimate, QVariant::fromValue(amount)}) && hours.execute());
                labor += amount.roundedToCents();
            }
            QVERIFY(transaction.commit());
        }
        RecordSet sums;
        QVERIFY(sums.open(db.connection(),
                          QStringLiteral("SELECT * FROM PXSum WHERE EstimateID = ?"), {estimate}));
        QCOMPARE(amountOf(sums.value(QStringLiteral("MaterialsTotal"))), extensions);
        QCOMPARE(amountOf(sums.value(QStringLiteral("MaterialsTotalCost"))), costs);
        QCOMPARE(amountOf(sums.value(QStringLiteral("LaborsTotal"))), labor);
        QCOMPARE(amountOf(sums.value(QStringLiteral("MaterialsMargineTotal"))), extensions - costs);
        QCOMPARE(amountOf(sums.value(QStringLiteral("TotalEstimate"))), extensions + labor);
        RecordSet month;
        QVERIFY(month.open(db.connection(), QStringLiteral("EstimatesAll")));
        QCOMPARE(amountOf(month.value(QStringLiteral("Materials"))), extensions);
        QCOMPARE(amountOf(month.value(QStringLiteral("Grand Total"))), extensions + labor);
    }

    void aFailedLineLeavesNothingOfTheEstimate() {
        TestDatabase db;
        Connection program;
        program.setShared(true);
        QVERIFY(openProgramFile(program, db.path()));
        DataControl header;
        header.setConnectionString(program.connectionString());
        header.setRecordSource(QStringLiteral("SELECT * FROM EstimateTBL"));
        DataControl lines;
        lines.setConnectionString(program.connectionString());
        lines.setRecordSource(QStringLiteral("SELECT * FROM MaterialEstimateTBL"));
        QVERIFY(header.refresh() && lines.refresh());
        QCOMPARE(header.connection(), &program);
        QCOMPARE(lines.connection(), &program);
        {
            Transaction transaction(program.database());
            RecordSet* h = header.recordSet();
            QVERIFY(h->addNew() && h->setValue(QStringLiteral("QuoteNumber"), 5001) && h->update());
            const QVariant id = h->value(QStringLiteral("EstimateID"));
            RecordSet* l = lines.recordSet();
            QVERIFY(l->addNew() && l->setValue(QStringLiteral("EstimateID"), id) &&
                    l->setValue(QStringLiteral("Quantity"), 2));
            QVERIFY2(l->update(), qPrintable(l->lastError().text()));
            // The second line names a material that does not exist: refused.
            QVERIFY(l->addNew() && l->setValue(QStringLiteral("EstimateID"), id) &&
                    l->setValue(QStringLiteral("MaterialsID"), 424242));
            QVERIFY(!l->update());
            QCOMPARE(l->lastError().number, ErrorNumber::kReferencedRow);
        } // not committed: the guard rolls the header and the first line back
        QCOMPARE(countRows(db, QStringLiteral("EstimateTBL")), 0);
        QCOMPARE(countRows(db, QStringLiteral("MaterialEstimateTBL")), 0);
        // Committed writes stand: the transaction guards' test.
    }

    void innerGuardsJoinTheOuterTransaction() {
        TestDatabase db;
        Database& file = db.connection().database();
        {
            Transaction outer(file);
            db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Kept')"));
            {
                Transaction inner(file);
                db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Dropped')"));
            } // the inner guard alone rolls back
            {
                Transaction inner(file);
                db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Joined')"));
                QVERIFY(inner.commit());
            }
            QVERIFY(file.inTransaction());
            QVERIFY(outer.commit());
        }
        QVERIFY(!file.inTransaction());
        QStringList kept;
        Statement names(file,
                        QStringLiteral("SELECT Company FROM SuppliersTBL ORDER BY SuppliersID"));
        while (names.next())
            kept << names.value(0).toString();
        QCOMPARE(kept, QStringList({QStringLiteral("Kept"), QStringLiteral("Joined")}));
    }

    // A list being read while another statement runs on the same connection (a record set asking
    // for a lookup between two rows) keeps every row, and a read given up half way costs the next
    // statement nothing.
    void statementsTakeTurnsOnOneConnection() {
        TestDatabase db;
        Database& file = db.connection().database();
        {
            Transaction filling(file);
            Statement add(file, QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"));
            for (int i = 0; i < 600; ++i) {
                add.reset();
                QVERIFY(add.bindAll({QStringLiteral("Supplier %1").arg(i)}) && add.execute());
            }
            QVERIFY(filling.commit());
        }
        const QString list =
            QStringLiteral("SELECT Company FROM SuppliersTBL ORDER BY SuppliersID");
        Statement reading(file, list);
        QVERIFY(reading.next());
        QCOMPARE(countRows(db, QStringLiteral("SuppliersTBL")), qint64(600));
        int read = 1;
        QString last;
        while (reading.next()) {
            last = reading.value(0).toString();
            ++read;
        }
        QCOMPARE(read, 600);
        QCOMPARE(last, QStringLiteral("Supplier 599"));

        Statement givenUp(file, list);
        QVERIFY(givenUp.next() && givenUp.next());
        givenUp.reset();
        QCOMPARE(countRows(db, QStringLiteral("SuppliersTBL")), qint64(600));
        QVERIFY(givenUp.next());
        QCOMPARE(givenUp.value(0).toString(), QStringLiteral("Supplier 0"));
    }
    void controlsShareOneConnectionPerFile() {
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Acme')"));
        // A private connection (a settings dialog trying a file) is never borrowed.
        Connection trial;
        QVERIFY(openProgramFile(trial, db.path()));
        QVERIFY(!Connection::sharedFor(db.connectionString()));

        auto first = std::make_unique<DataControl>();
        first->setConnectionString(db.connectionString());
        first->setRecordSource(QStringLiteral("SuppliersTBL"));
        QVERIFY(first->refresh());
        QVERIFY(first->connection() != &trial);
        DataControl second;
        second.setConnectionString(db.connectionString());
        second.setRecordSource(QStringLiteral("SuppliersTBL"));
        QVERIFY(second.refresh());
        QCOMPARE(second.connection(), first->connection());

        // The control that opened the connection goes; the one that borrowed it still writes.
        first.reset();
        RecordSet* rs = second.recordSet();
        QVERIFY(rs->setValue(QStringLiteral("Company"), QStringLiteral("Acme Supply")));
        QVERIFY2(rs->update(), qPrintable(rs->lastError().text()));
        QCOMPARE(db.scalar(QStringLiteral("SELECT Company FROM SuppliersTBL")).toString(),
                 QStringLiteral("Acme Supply"));
    }

    void aFileThatFailsToFillIsNeverCreated() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new.mdb"));
        QString error;
        const bool created = Schema::createFile(path, &error, [](Database& db, QString* message) {
            // Part of the rows are written when the filling fails.
            if (!db.execute(QStringLiteral("INSERT INTO Estimators (Estimator) VALUES ('Ann')")))
                return false;
            *message = QStringLiteral("stopped half-way");
            return false;
        });
        QVERIFY(!created);
        QCOMPARE(error, QStringLiteral("stopped half-way"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // What only a server does: a lock held by another estimator, a connection cut, a password
    // asked for, and who else is connected.
    // A connection the server ends while a transaction is open: nothing of the transaction
    // stands, its later statements are refused rather than committed one by one on a new
    // connection, its commit says it failed, and the next action after it connects again.
    void aTransactionCutShortKeepsNothing() {
        if (!TestBackend::onServer())
            QSKIP("a file has no connection to lose");
        TestDatabase db;
        Database& mine = db.connection().database();
        Database other;
        QVERIFY(other.open(db.path()));
        const auto minePid = [&mine] {
            Statement pid(mine, QStringLiteral("SELECT pg_backend_pid()"));
            return pid.next() ? pid.integer(0) : 0;
        };
        const auto cutPid = [&other](qint64 pid) {
            Statement end(other, QStringLiteral("SELECT pg_terminate_backend(?::int)"));
            QVERIFY(end.bindAll({pid}) && end.next());
            QTest::qWait(100);
        };
        const auto cut = [&] { cutPid(minePid()); };
        const auto add = [&mine](const char* company) {
            Statement insert(mine, QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES (?)"));
            const bool added = insert.bindAll({QLatin1String(company)}) && insert.execute();
            return added ? 0 : insert.error().nativeError;
        };
        const auto stored = [&db] {
            QStringList names;
            Statement q(db.connection().database(),
                        QStringLiteral("SELECT Company FROM SuppliersTBL ORDER BY SuppliersID"));
            while (q.next())
                names << q.value(0).toString();
            return names.join(QLatin1Char(','));
        };

        {
            Transaction guard(mine);
            QCOMPARE(add("First"), 0);
            cut();
            QCOMPARE(add("Second"), ErrorNumber::kConnectionLost);
            QCOMPARE(add("Third"), ErrorNumber::kConnectionLost);
            QVERIFY(!guard.commit());
        }
        QCOMPARE(stored(), QString());

        // Cut while rows are still coming: the list read so far ends in that error, never
        // as a shorter list.
        {
            const qint64 pid = minePid();
            Statement rows(mine, QStringLiteral("SELECT repeat('x', 1000) FROM "
                                                "generate_series(1, 200000)"));
            QVERIFY(rows.next());
            cutPid(pid);
            int read = 1;
            while (rows.next())
                ++read;
            QVERIFY(read < 200000);
            QCOMPARE(rows.error().nativeError, ErrorNumber::kConnectionLost);
        }

        // Lost unnoticed before the guard: its BEGIN finds out, and the rest is refused too.
        cut();
        {
            Transaction guard(mine);
            QVERIFY(!guard.isActive());
            QCOMPARE(add("Fourth"), ErrorNumber::kConnectionLost);
        }
        QCOMPARE(stored(), QString());

        // Lost and noticed outside any transaction: the next one begins on a new connection.
        cut();
        QCOMPARE(add("Fifth"), ErrorNumber::kConnectionLost);
        {
            Transaction guard(mine);
            QVERIFY(guard.isActive());
            QCOMPARE(add("Sixth"), 0);
            QVERIFY(guard.commit());
        }
        QCOMPARE(stored(), QStringLiteral("Sixth"));
    }

    void aServerSaysWhatHappened() {
        if (!TestBackend::onServer())
            QSKIP("a file has no server to lose or to share");
        TestDatabase db;
        db.exec(QStringLiteral("INSERT INTO SuppliersTBL (Company) VALUES ('Acme')"));
        Database& mine = db.connection().database();
        Database other;
        QVERIFY(other.open(db.path() + QStringLiteral("&application_name=Plenwick%20(bob)")));

        // Another connection holds the row: the write waits, then is refused as a file in use,
        // and nothing of it stands.
        Transaction holding(other);
        Statement hold(other, QStringLiteral("UPDATE SuppliersTBL SET Company = 'Held'"));
        QVERIFY(hold.execute());
        mine.setBusyTimeout(200);
        Statement wait(mine, QStringLiteral("UPDATE SuppliersTBL SET Company = 'Mine'"));
        QVERIFY(!wait.execute());
        QCOMPARE(wait.error().nativeError, ErrorNumber::kFileInUse);
        holding.rollback();
        wait.reset();
        QVERIFY2(wait.execute(), qPrintable(wait.error().description));

        // A check and the write after it see the row as it was when the transaction began: a
        // save by another estimator in between is refused as a change, never written over.
        {
            Transaction checking(mine);
            QCOMPARE(db.scalar(QStringLiteral("SELECT Company FROM SuppliersTBL")).toString(),
                     QStringLiteral("Mine"));
            Statement theirs(other, QStringLiteral("UPDATE SuppliersTBL SET Company = 'Theirs'"));
            QVERIFY(theirs.execute());
            Statement over(mine, QStringLiteral("UPDATE SuppliersTBL SET Company = 'Over'"));
            QVERIFY(!over.execute());
            QCOMPARE(over.error().nativeError, ErrorNumber::kRecordChanged);
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT Company FROM SuppliersTBL")).toString(),
                 QStringLiteral("Theirs"));
        db.exec(QStringLiteral("UPDATE SuppliersTBL SET Company = 'Mine'"));

        // The others working in the same database are named; this program's own are not.
        VERIFY_CONTAINS(db.connection().othersConnected().join(QLatin1Char(',')),
                        QLatin1String("bob"));

        // The server ends this connection: the next statement says so, the one after works.
        Statement pid(mine, QStringLiteral("SELECT pg_backend_pid()"));
        QVERIFY(pid.next());
        Statement cut(other, QStringLiteral("SELECT pg_terminate_backend(?::int)"));
        QVERIFY(cut.bindAll({pid.integer(0)}) && cut.next());
        QTest::qWait(100);
        Statement lost(mine, QStringLiteral("SELECT COUNT(*) FROM SuppliersTBL"));
        QVERIFY(!lost.next());
        QVERIFY2(lost.error().nativeError == ErrorNumber::kConnectionLost,
                 qPrintable(lost.error().text()));
        QCOMPARE(db.scalar(QStringLiteral("SELECT Company FROM SuppliersTBL")).toString(),
                 QStringLiteral("Mine"));

        // A password the server wants and nothing else gives: asked for by number, and taken
        // from memory once typed.
        const QByteArray password = qgetenv("PGPASSWORD");
        if (password.isEmpty())
            return;
        qunsetenv("PGPASSWORD");
        Database asked;
        const bool openedWithout = asked.open(db.path());
        if (!openedWithout) {
            QCOMPARE(asked.error().nativeError, ErrorNumber::kInvalidPassword);
            ServerPassword::remember(db.path(), QString::fromUtf8(password));
            QVERIFY2(asked.open(db.path()), qPrintable(asked.error().description));
        }
        qputenv("PGPASSWORD", password);
    }
};

QTEST_GUILESS_MAIN(TestDatabase_)
#include "tst_database.moc"
