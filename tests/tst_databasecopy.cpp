// Moving the data between a file and a server: every row arrives as it was, and a copy that
// cannot be completed leaves nothing behind.
#include "data/database.h"
#include "data/databasecopy.h"
#include "data/money.h"
#include "demodata/demodata.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kTables = {"CatagoryTBL",      "ManufacturersTBL", "SuppliersTBL",
                             "Estimators",       "StatusesTBL",      "CustomersTBL",
                             "MaterialsTBL",     "EstimateTBL",      "MaterialEstimateTBL",
                             "LaborEstimateTBL", "MyCompany",        "ColumnDescriptions"};

// Every row of every table as text, in key order: amounts to the ten-thousandth, so that a
// double read from a file and an exact amount read from a server compare alike.
QStringList contents(const QString& path) {
    Database db;
    if (!db.open(path, Database::OpenMode::ReadOnly))
        return {QStringLiteral("cannot open ") + path};
    QStringList rows;
    for (const QString& table : kTables) {
        Statement q(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(table));
        while (q.next()) {
            QStringList row{table};
            for (int c = 0; c < q.columnCount(); ++c) {
                const QVariant v = q.value(c);
                row << (q.declaredType(c) == QLatin1String("CURRENCY") && !v.isNull()
                            ? QString::number(Money::fromDouble(v.toDouble()).units())
                            : v.toString());
            }
            rows << row.join(QLatin1Char('|'));
        }
    }
    return rows;
}

DemoData::Counts someData() {
    DemoData::Counts c;
    c.materials = 300;
    c.estimates = 12;
    c.customers = 20;
    c.seed = 11;
    c.today = QDate(2026, 12, 1);
    return c;
}

} // namespace

class TestDatabaseCopy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { registerMoneyMetaType(); }

    // A file to the server (or, without one, to another file) and back: every row as it was.
    void aRoundTripKeepsEveryRow() {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.mdb"));
        const QString last = dir.filePath(QStringLiteral("last.mdb"));
        QString error;
        QVERIFY2(DemoData::generate(first, someData(), &error), qPrintable(error));
        TestDatabase places;
        const QString middle = places.freshPlace(QStringLiteral("middle.mdb"));
        DatabaseCopy::Summary there;
        QVERIFY2(DatabaseCopy::copy(first, middle, &error, &there), qPrintable(error));
        QCOMPARE(there.tables, kTables.size());
        QVERIFY2(DatabaseCopy::copy(middle, last, &error), qPrintable(error));
        const QStringList before = contents(first);
        QVERIFY(before.size() > 600);
        QCOMPARE(contents(middle), before);
        QCOMPARE(contents(last), before);
        // The copy numbers new rows after the copied ones, as the source would.
        Database copy;
        QVERIFY(copy.open(middle));
        Statement add(copy, QStringLiteral("INSERT INTO MaterialsTBL (PartNumber) VALUES ('new')"));
        QVERIFY2(add.execute(), qPrintable(add.error().description));
        QCOMPARE(copy.lastInsertId(), 301);
    }

    // Refused before anything is written, or given up half-way: nothing left at the destination.
    void aCopyThatCannotFinishLeavesNothing() {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("source.mdb"));
        QString error;
        QVERIFY(DemoData::generate(source, someData(), &error));
        const QString taken = dir.filePath(QStringLiteral("taken.mdb"));
        QFile existing(taken);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("mine") == 4);
        existing.close();
        QVERIFY(!DatabaseCopy::copy(source, taken, &error));
        QVERIFY2(error.contains(QLatin1String("already exists")), qPrintable(error));
        QFile kept(taken);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("mine"));

        QVERIFY(!DatabaseCopy::copy(taken, dir.filePath(QStringLiteral("x.mdb")), &error));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.mdb"))));

        TestDatabase places;
        const QString stopped = places.freshPlace(QStringLiteral("stopped.mdb"));
        int asked = 0;
        QVERIFY(!DatabaseCopy::copy(source, stopped, &error, nullptr,
                                    [&asked](qint64, qint64) { return ++asked < 2; }));
        QVERIFY2(error.contains(QLatin1String("stopped")), qPrintable(error));
        if (TestBackend::onServer()) {
            Database server;
            QVERIFY(server.open(stopped));
            Statement tables(server, QStringLiteral("SELECT to_regclass('materialstbl') IS NULL"));
            QVERIFY(tables.next() && tables.integer(0) == 1);
        } else {
            QVERIFY(!QFile::exists(stopped));
        }
    }
};

QTEST_GUILESS_MAIN(TestDatabaseCopy)
#include "tst_databasecopy.moc"
