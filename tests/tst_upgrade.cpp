// Files of every earlier structure (kept in tests/data, made by earlier versions) open, are
// upgraded step by step after a dated copy, and print their quotes' line costs as before; a file
// that cannot be upgraded is used as it is only when it is as the program made it.
#include "data/backup.h"
#include "data/database.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/schema.h"
#include "report/datareport.h"
#include "report/quotesource.h"
#include "settings/settingsstore.h"
#include "support/isolatedsettings.h"
#include "support/scriptedmessages.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QString copyOf(const QString& name, const QTemporaryDir& dir) {
    const QString target = dir.filePath(QStringLiteral("Estimating.mdb"));
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(PLENWICK_TEST_DATA "/") + name, target))
        qWarning("could not copy %s", qPrintable(name));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

int structureOf(const QString& path) {
    Database db;
    if (!db.open(path))
        return -1;
    return Schema::fileStructure(db);
}

// Every stored line cost of the file, by estimate, as the quote prints it.
QMap<int, QStringList> storedCosts(const QString& path) {
    Database db;
    QMap<int, QStringList> costs;
    if (!db.open(path))
        return costs;
    Statement lines(db, QStringLiteral("SELECT EstimateID, Extension FROM MaterialEstimateTBL "
                                       "UNION ALL SELECT EstimateID, LaborExtension FROM "
                                       "LaborEstimateTBL"));
    while (lines.next())
        costs[int(lines.integer(0))] << formatMoney(Money::fromDouble(lines.real(1)));
    for (QStringList& list : costs)
        list.sort();
    return costs;
}

// The printed line costs of one estimate's quote, and whether its totals add up.
QStringList printedCosts(Connection& connection, int estimateId, bool* addsUp) {
    DataEnvironment source;
    QStringList costs;
    if (!source.fillWorkTable(connection, estimateId) ||
        !source.rptMain_Grouping(connection, estimateId)) {
        qWarning("%s", qPrintable(source.lastError().text()));
        return costs;
    }
    const QuoteData& data = source.data();
    Money materials, labor;
    for (const QuoteGroup& group : data.groups) {
        Money sum;
        for (const QuoteLine& line : group.lines) {
            costs << formatMoney(line.extension.value_or(Money()));
            sum += parseCurrency(costs.last()).value_or(Money());
        }
        *addsUp = sum == group.costs;
        (group.type == QLatin1String("Labor") ? labor : materials) = sum;
    }
    const QuoteHeader& h = data.header;
    *addsUp = *addsUp && h.totalMaterial == materials && h.totalLabor == labor &&
              h.grandTotal == h.totalMaterial + h.tax + h.totalLabor + h.shipping;
    costs.sort();
    return costs;
}

} // namespace

class TestUpgrade : public QObject {
    Q_OBJECT

private slots:
    void earlierStructuresUpgradeAndReprint_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("structure");
        QTest::newRow("first structure") << QStringLiteral("structure-0.mdb") << 0;
        QTest::newRow("second structure") << QStringLiteral("structure-1.mdb") << 1;
        QTest::newRow("third structure") << QStringLiteral("structure-2.mdb") << 2;
    }

    void earlierStructuresUpgradeAndReprint() {
        QFETCH(QString, file);
        QFETCH(int, structure);
        QTemporaryDir dir;
        const QString path = copyOf(file, dir);
        QCOMPARE(structureOf(path), structure);
        const QMap<int, QStringList> before = storedCosts(path);
        QVERIFY(!before.isEmpty());

        Connection connection;
        QVERIFY2(openProgramFile(connection, path), qPrintable(connection.lastError().text()));
        QCOMPARE(Schema::fileStructure(connection.database()), Schema::kStructureVersion);
        QVERIFY(Schema::foreignObjects(connection.database()).isEmpty());
        // The file as it was is kept as a dated copy.
        const QList<BackupFile> copies = listBackups(path);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(structureOf(copies.first().path), structure);

        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            bool addsUp = false;
            QCOMPARE(printedCosts(connection, it.key(), &addsUp), it.value());
            QVERIFY2(addsUp, qPrintable(QStringLiteral("estimate %1").arg(it.key())));
        }
        // The estimates have no customer, job or terms yet, and a customer can be added.
        Statement customers(connection.database(),
                            QStringLiteral("SELECT COUNT(*), COUNT(CustomerID), COUNT(JobName), "
                                           "COUNT(Terms) FROM EstimateTBL"));
        QVERIFY(customers.next());
        QCOMPARE(customers.integer(0), qint64(before.size()));
        QCOMPARE(customers.integer(1) + customers.integer(2) + customers.integer(3), qint64(0));
        QVERIFY(connection.execute(
            QStringLiteral("INSERT INTO CustomersTBL (CustomerName) VALUES (?)"), {"Hale"}));
        QVERIFY(!connection.execute(
            QStringLiteral("INSERT INTO CustomersTBL (CustomerName) VALUES (?)"), {"HALE"}));
        // Opened again, nothing is left to do and no other copy is made.
        connection.close();
        Connection again;
        QVERIFY(openProgramFile(again, path));
        QCOMPARE(listBackups(path).size(), 1);
    }

    void aFileInUseIsUsedAsItIsWithTodaysTotals() {
        QTemporaryDir dir;
        const QString path = copyOf(QStringLiteral("structure-1.mdb"), dir);
        Database other;
        QVERIFY(other.open(path));
        QVERIFY(other.execute(QStringLiteral("BEGIN IMMEDIATE")));

        Connection connection;
        QVERIFY2(openProgramFile(connection, path), qPrintable(connection.lastError().text()));
        QCOMPARE(Schema::fileStructure(connection.database()), 1);
        // The sums are whole cents, as the quote prints them.
        Statement sums(connection.database(),
                       QStringLiteral("SELECT MaterialsTotal * 100 FROM PXSum WHERE "
                                      "MaterialsTotal IS NOT NULL"));
        int rows = 0;
        while (sums.next()) {
            ++rows;
            QCOMPARE(sums.real(0), double(qRound64(sums.real(0))));
        }
        QVERIFY(rows > 0);
        // The later columns read as empty, and the Home list's view names no customer.
        Statement header(connection.database(),
                         QStringLiteral("SELECT CustomerID, JobName, Terms FROM EstimateTBL"));
        QVERIFY(header.next());
        QVERIFY(header.value(0).isNull() && header.value(1).isNull());
        Statement list(connection.database(),
                       QStringLiteral("SELECT Customer, Job FROM EstimatesAll"));
        QVERIFY(list.next());
        QVERIFY(list.value(0).isNull());
        other.execute(QStringLiteral("ROLLBACK"));

        // Once the other program lets go, the company details save into the file as it is;
        // the quote's defaults, which it has no room for, stay the built-in ones.
        IsolatedSettings isolated;
        ScriptedMessages messages;
        gConnection = &connection;
        const auto forget = qScopeGuard([] { gConnection = nullptr; });
        clsSettings settings;
        QVERIFY(!settings.LoadCompany().isSet());
        QCOMPARE(settings.QuoteValidDays(), clsSettings::kDefaultValidDays);
        settings.setCompanyName(QStringLiteral("Saved As It Is"));
        settings.setQuoteTerms(QStringLiteral("Net 30"));
        settings.SaveSettings();
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join('\n')));
        Statement company(connection.database(),
                          QStringLiteral("SELECT CompanyName, QuoteTerms FROM MyCompany"));
        QVERIFY(company.next());
        QCOMPARE(company.value(0).toString(), QStringLiteral("Saved As It Is"));
        QVERIFY(company.value(1).isNull());
    }

    void aFileInUseWithAlteredViewsIsRefused_data() { earlierStructuresUpgradeAndReprint_data(); }

    void aFileInUseWithAlteredViewsIsRefused() {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = copyOf(file, dir);
        Database other;
        QVERIFY(other.open(path));
        // Totals a hundred times too large, in a view that keeps its name.
        QVERIFY(other.execute(QStringLiteral(
            "DROP VIEW EstimatesAll; CREATE VIEW EstimatesAll AS SELECT EstimateID, QuoteNumber "
            "AS [Reference #], NULL AS Estimator, NULL AS Status, EstimateData AS [Date], "
            "Shipping * 100 AS Materials, Shipping * 100 AS [Grand Total] FROM EstimateTBL")));
        QVERIFY(other.execute(QStringLiteral("BEGIN IMMEDIATE")));
        Connection connection;
        QVERIFY(!openProgramFile(connection, path));
        QVERIFY(connection.lastError().text().contains(QStringLiteral("view EstimatesAll")));
        other.execute(QStringLiteral("ROLLBACK"));
    }
};

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
