#include "data/connection.h"
#include "data/money.h"
#include "data/pricing.h"
#include "demodata/demodata.h"
#include "support/testdatabase.h"

#include "support/testquery.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {

const QStringList kAllTables = {
    "ManufacturersTBL", "SuppliersTBL", "CatagoryTBL",         "Estimators",       "CustomersTBL",
    "MaterialsTBL",     "EstimateTBL",  "MaterialEstimateTBL", "LaborEstimateTBL", "MyCompany"};

DemoData::Counts smallCounts() {
    DemoData::Counts c;
    c.materials = 50;
    c.manufacturers = 6;
    c.suppliers = 7;
    c.categories = 8;
    c.estimators = 3;
    c.customers = 12;
    c.estimates = 5;
    c.materialLinesPerEstimate = 4;
    c.laborLinesPerEstimate = 2;
    c.seed = 7;
    c.today = QDate(2026, 3, 15);
    return c;
}

// Every row of a query (values bound in order), values rendered as text, for comparing files.
QStringList dump(Connection& connection, const QString& sql, const QVariantList& values = {}) {
    TestQuery q(connection.database());
    QStringList rows;
    q.prepare(sql);
    for (const QVariant& value : values)
        q.addBindValue(value);
    if (!q.exec())
        return {QStringLiteral("failed: ") + sql};
    const int columns = q.columnCount();
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < columns; ++i)
            cells << q.value(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

qint64 count(Connection& connection, const QString& table) {
    TestQuery q(connection.database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

Money money(const QVariant& v) {
    return Money::fromDouble(v.toDouble());
}

} // namespace

class TestDemoData : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    Connection m_connection;

    // Generates a file of these counts in the test's folder and opens it.
    bool generated(const DemoData::Counts& counts, const QString& name, Connection& connection) {
        const QString path = m_dir.filePath(name);
        QString error;
        if (!DemoData::generate(path, counts, &error)) {
            qWarning("%s", qPrintable(error));
            return false;
        }
        return openProgramFile(connection, path);
    }

private slots:
    void initTestCase() {
        registerMoneyMetaType();
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("demo.mdb"));
        QString error;
        QVERIFY2(DemoData::generate(m_path, smallCounts(), &error), qPrintable(error));
        QVERIFY2(openProgramFile(m_connection, m_path),
                 qPrintable(m_connection.lastError().description));
    }

    void countsAreAsAsked() {
        const DemoData::Counts c = smallCounts();
        const QList<qint64> rows = {c.manufacturers,
                                    c.suppliers,
                                    c.categories,
                                    c.estimators,
                                    c.customers,
                                    c.materials,
                                    c.estimates,
                                    c.estimates * c.materialLinesPerEstimate,
                                    c.estimates * c.laborLinesPerEstimate,
                                    1};
        for (qsizetype i = 0; i < kAllTables.size(); ++i)
            QVERIFY2(count(m_connection, kAllTables[i]) == rows[i], qPrintable(kAllTables[i]));
        QCOMPARE(count(m_connection, QStringLiteral("StatusesTBL")), 7);
    }

    // Every key a generated row holds names an existing row, lines copy their material's
    // values, and the company row is filled.
    void rowsReferToExistingRows() {
        QCOMPARE(
            dump(m_connection,
                 QStringLiteral(
                     "SELECT (SELECT COUNT(*) FROM MaterialsTBL m WHERE m.ManufacturerID NOT IN "
                     "(SELECT ManufacturerID FROM ManufacturersTBL) OR m.SuppliersID NOT IN "
                     "(SELECT SuppliersID FROM SuppliersTBL) OR m.CatagoryID NOT IN "
                     "(SELECT CatagoryID FROM CatagoryTBL)), "
                     "(SELECT COUNT(*) FROM EstimateTBL e WHERE e.EstimatorID NOT IN "
                     "(SELECT EstimatorID FROM Estimators) OR e.EstimateStatus NOT IN "
                     "(SELECT StatusID FROM StatusesTBL)), "
                     "(SELECT COUNT(*) FROM MaterialEstimateTBL l JOIN MaterialsTBL m "
                     "ON m.MaterialsID = l.MaterialsID WHERE l.PartNumber IS NOT m.PartNumber "
                     "OR l.ManufacturerDescription IS NOT m.ManufacturerDescription OR "
                     "l.UnitCost IS NOT m.UnitCost), "
                     "(SELECT CompanyName <> '' FROM MyCompany)")),
            QStringList{"0|0|0|1"});
    }

    // The stored line amounts agree with each other to the ten-thousandth.
    void materialLinesAreExact() {
        TestQuery q(m_connection.database());
        QVERIFY(q.exec(QStringLiteral("SELECT Quantity, UnitCost, TotalCost, Price, Extension, "
                                      "Margin FROM MaterialEstimateTBL")));
        int lines = 0;
        while (q.next()) {
            ++lines;
            const double quantity = q.value(0).toDouble();
            QVERIFY(quantity >= 1 && quantity <= 50 && quantity == std::floor(quantity));
            const qint64 qty = qint64(quantity);
            const Money unitCost = money(q.value(1));
            const Money price = money(q.value(3));
            const double margin = q.value(5).toDouble();
            QVERIFY(margin >= 0.05 - 1e-12 && margin <= 0.35 + 1e-12);
            // Priced as the Estimate screen prices a line: a customer can check it.
            const Pricing::MaterialAmounts a =
                Pricing::materialAmounts({quantity, unitCost, margin});
            QCOMPARE(money(q.value(2)), a.totalCost);
            QCOMPARE(price, a.price);
            QCOMPARE(money(q.value(4)), price.timesToCents(double(qty)));
            // The stored REAL carries no more than four decimals.
            QCOMPARE(q.value(4).toDouble(), money(q.value(4)).toDouble());
        }
        QCOMPARE(lines, smallCounts().estimates * smallCounts().materialLinesPerEstimate);
    }

    void laborLinesAreExact() {
        TestQuery q(m_connection.database());
        QVERIFY(q.exec(QStringLiteral("SELECT Hours, LaborRate, LaborExtension, LaborDescription "
                                      "FROM LaborEstimateTBL")));
        while (q.next()) {
            const double hours = q.value(0).toDouble();
            const Money rate = money(q.value(1));
            QVERIFY(hours >= 1 && hours <= 40);
            QVERIFY(rate >= Money::fromCents(3500) && rate <= Money::fromCents(9500));
            QCOMPARE(money(q.value(2)), rate.timesToCents(hours));
            QVERIFY(!q.value(3).toString().isEmpty());
        }
    }

    // The saved totals of each estimate are the sums of its lines.
    void totalsAreSumsOfLines() {
        const QStringList ids =
            dump(m_connection, QStringLiteral("SELECT EstimateID FROM EstimateTBL"));
        QCOMPARE(ids.size(), smallCounts().estimates);
        for (const QString& text : ids) {
            const QVariantList id = {text.toLongLong()};
            const auto sum = [&](const char* sql) {
                Money total;
                for (const QString& value : dump(m_connection, QLatin1String(sql), id))
                    total += money(value);
                return total;
            };
            const Money extensions =
                sum("SELECT Extension FROM MaterialEstimateTBL WHERE EstimateID = ?");
            const Money costs =
                sum("SELECT TotalCost FROM MaterialEstimateTBL WHERE EstimateID = ?");
            const Money labor =
                sum("SELECT LaborExtension FROM LaborEstimateTBL WHERE EstimateID = ?");
            const QStringList sums =
                dump(m_connection,
                     QStringLiteral(
                         "SELECT MaterialsTotal, MaterialsTotalCost, LaborsTotal, "
                         "TotalEstimate, MaterialsMargineTotal FROM PXSum WHERE EstimateID = ?"),
                     id);
            QCOMPARE(sums.size(), 1);
            const QStringList s = sums.first().split(QLatin1Char('|'));
            QCOMPARE(money(s[0]), extensions);
            QCOMPARE(money(s[1]), costs);
            QCOMPARE(money(s[2]), labor);
            QCOMPARE(money(s[3]), extensions + labor);
            QCOMPARE(money(s[4]), extensions - costs);
        }
    }

    // The same seed gives the same file. Customers come from a dice of their own, so without
    // them the catalogue and the lines are those the same seed gives with them.
    void sameSeedGivesSameData_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("customers");
        QTest::addColumn<QStringList>("sameTables");
        const DemoData::Counts c = smallCounts();
        QTest::newRow("same seed") << c.seed << c.customers << kAllTables;
        QTest::newRow("other seed") << c.seed + 1 << c.customers << QStringList{"MyCompany"};
        QTest::newRow("no customers")
            << c.seed << 0 << QStringList{"ManufacturersTBL", "SuppliersTBL", "CatagoryTBL",
                                          "Estimators",       "MaterialsTBL", "MaterialEstimateTBL",
                                          "LaborEstimateTBL", "MyCompany"};
    }
    void sameSeedGivesSameData() {
        QFETCH(quint32, seed);
        QFETCH(int, customers);
        QFETCH(QStringList, sameTables);
        DemoData::Counts counts = smallCounts();
        counts.seed = seed;
        counts.customers = customers;
        Connection other;
        QVERIFY(
            generated(counts, QStringLiteral("again-%1-%2.mdb").arg(seed).arg(customers), other));
        for (const QString& table : kAllTables) {
            const QString sql =
                QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY 1");
            const QStringList a = dump(m_connection, sql);
            const QStringList b = dump(other, sql);
            QVERIFY(!a.isEmpty());
            QVERIFY2((a == b) == sameTables.contains(table), qPrintable(table));
        }
    }

    // Customers with distinct names (without regard to case) and whole addresses, even past
    // the names the generator combines; most estimates name one of them, a job and a site,
    // hold for 30 days from their date and carry terms.
    void customersAndJobs() {
        DemoData::Counts counts = smallCounts();
        counts.customers = 2500; // more than the households and businesses it combines
        counts.estimates = 400;
        counts.materials = 0;
        counts.laborLinesPerEstimate = 0;
        Connection c;
        QVERIFY(generated(counts, QStringLiteral("customers.mdb"), c));
        TestQuery q(c.database());
        QVERIFY(q.exec(QStringLiteral("SELECT CustomerName, ContactName, Address, City, Phone, "
                                      "Email FROM CustomersTBL")));
        const QRegularExpression city(QStringLiteral("^[A-Z][a-z]+, [A-Z]{2} \\d{5}$"));
        const QRegularExpression phone(QStringLiteral("^\\(\\d{3}\\) 555-01\\d\\d$"));
        QSet<QString> names;
        int businesses = 0;
        while (q.next()) {
            const QString name = q.value(0).toString();
            names.insert(name.toLower());
            const bool business = !q.value(1).isNull();
            businesses += business ? 1 : 0;
            QVERIFY2(!q.value(2).toString().isEmpty(), qPrintable(name));
            QVERIFY2(city.match(q.value(3).toString()).hasMatch(),
                     qPrintable(q.value(3).toString()));
            QVERIFY2(phone.match(q.value(4).toString()).hasMatch(),
                     qPrintable(q.value(4).toString()));
            // The address comes from the name: "james.keller@..." or "office@maplestreetcafe...".
            const QString mailbox = q.value(5).toString().section(QLatin1Char('@'), 0, 0);
            const QString expected = business ? QStringLiteral("office")
                                              : name.section(QLatin1Char(' '), 0, 0).toLower();
            QVERIFY2(mailbox.startsWith(expected), qPrintable(q.value(5).toString()));
        }
        QCOMPARE(names.size(), counts.customers);
        QVERIFY(businesses > 500 && businesses < 1000);

        QVERIFY(q.exec(QStringLiteral(
            "SELECT COUNT(*), COUNT(e.CustomerID), "
            "SUM(e.CustomerID IS NOT NULL AND c.CustomerID IS NULL), "
            "SUM(e.CustomerID IS NOT NULL AND (e.JobName = '' OR e.JobAddress = '' OR "
            "e.Terms = '' OR e.ValidUntil IS NOT date(e.EstimateData, '+30 days'))), "
            "SUM(e.CustomerID IS NULL AND COALESCE(e.JobName, e.JobAddress, e.ValidUntil, "
            "e.Terms) IS NOT NULL) "
            "FROM EstimateTBL e LEFT JOIN CustomersTBL c ON c.CustomerID = e.CustomerID")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), counts.estimates);
        const double named = q.value(1).toDouble() / counts.estimates;
        QVERIFY2(named > 0.78 && named < 0.92, qPrintable(QString::number(named)));
        QCOMPARE(q.value(2).toInt(), 0); // every customer named exists
        QCOMPARE(q.value(3).toInt(), 0); // with a customer: job, site, terms, 30 days
        QCOMPARE(q.value(4).toInt(), 0); // without: as an estimate from before customers
        QCOMPARE(dump(c, QStringLiteral("SELECT QuoteValidDays, instr(QuoteTerms, char(10)) > 0, "
                                        "QuoteAcceptanceLine FROM MyCompany")),
                 QStringList{"30|1|1"});
    }

    void refusesAnExistingFile() {
        const QString path = m_dir.filePath(QStringLiteral("existing.mdb"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        }
        QString error;
        QVERIFY(!DemoData::generate(path, smallCounts(), &error));
        QVERIFY(!error.isEmpty());
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
        // The generated file is refused too: it is never overwritten.
        QVERIFY(!DemoData::generate(m_path, smallCounts(), &error));
        QCOMPARE(count(m_connection, QStringLiteral("MaterialsTBL")), smallCounts().materials);
    }

    // Empty lookup lists leave the keys empty rather than failing.
    void emptyListsStillGenerate() {
        DemoData::Counts counts = smallCounts();
        counts.manufacturers = 0;
        counts.categories = 0;
        counts.estimators = 0;
        counts.customers = 0;
        counts.materials = 3;
        Connection other;
        QVERIFY(generated(counts, QStringLiteral("sparse.mdb"), other));
        QCOMPARE(dump(other, QStringLiteral("SELECT (SELECT COUNT(*) FROM MaterialsTBL WHERE "
                                            "ManufacturerID IS NULL AND CatagoryID IS NULL), "
                                            "(SELECT COUNT(*) FROM MaterialEstimateTBL), "
                                            "(SELECT COUNT(CustomerID) FROM EstimateTBL)")),
                 QStringList{QStringLiteral("3|%1|0").arg(counts.estimates *
                                                          counts.materialLinesPerEstimate)});
    }
};

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demodata.moc"
