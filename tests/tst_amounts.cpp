// Amounts a customer can check: on generated estimates, every figure the printed quote shows
// follows from the figures printed beside it, and the quote, the totals panel and the Home list
// show the same totals.
#include "data/formats.h"
#include "data/pricing.h"
#include "data/recordset.h"
#include "estimates/estimatetotals.h"
#include "report/datareport.h"
#include "report/quotesource.h"
#include "support/quotefixture.h"

#include <QLineEdit>
#include <QtTest>
#include <random>

namespace {

Money dollars(double value) {
    return Money::fromDouble(value);
}

Money amountOf(const QString& printed) {
    const auto amount = parseCurrency(printed);
    if (!amount)
        qWarning("not an amount: [%s]", qPrintable(printed));
    return amount.value_or(Money());
}

// One generated estimate; `older` ones hold lines stored with four decimals, as an earlier
// version priced them.
struct Generated {
    int id = 0;
    double taxRate = 0;
    Money shipping;
    bool older = false;
};

class Generator {
public:
    explicit Generator(TestDatabase& db) : m_db(db) {}

    Generated estimate(int quoteNumber, bool older) {
        Generated g;
        g.older = older;
        g.taxRate = between(0, 1000) / 10000.0; // 0.00% to 10.00%
        g.shipping = Money::fromCents(between(0, 3) == 0 ? 0 : between(0, 50000));
        m_db.exec(QStringLiteral("INSERT INTO EstimateTBL (QuoteNumber, EstimateData, TaxRate, "
                                 "Shipping) VALUES (?, ?, ?, ?)"),
                  {quoteNumber, QDate(2026, 12, 1).startOfDay(), g.taxRate, g.shipping.toDouble()});
        g.id = m_db.scalar(QStringLiteral("SELECT MAX(EstimateID) FROM EstimateTBL")).toInt();
        for (int i = between(0, 12); i > 0; --i)
            materialLine(g.id, older);
        for (int i = between(0, 4); i > 0; --i)
            laborLine(g.id, older);
        return g;
    }

private:
    int between(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }

    void materialLine(int estimateId, bool older) {
        // Cheap goods by the foot, and dearer ones by the piece.
        const bool cheap = between(0, 3) == 0;
        const double quantity = cheap ? between(10, 2000) : between(1, 40) + between(0, 3) / 4.0;
        const Money unitCost = Money::fromUnits(
            cheap ? between(100, 9999) : between(1, 90000) * 100 + between(0, 99) * 10);
        const double margin = between(0, 400) / 1000.0;
        Pricing::MaterialAmounts a = Pricing::materialAmounts({quantity, unitCost, margin});
        if (older) {
            a.price = unitCost.times(1 + margin);
            a.totalCost = unitCost.times(quantity);
            a.extension = a.price.times(quantity);
        }
        m_db.exec(QStringLiteral("INSERT INTO MaterialEstimateTBL (EstimateID, Quantity, "
                                 "ManufacturerDescription, UnitCost, TotalCost, Price, Extension, "
                                 "Margin) VALUES (?, ?, 'Part', ?, ?, ?, ?, ?)"),
                  {estimateId, quantity, unitCost.toDouble(), a.totalCost.toDouble(),
                   a.price.toDouble(), a.extension.toDouble(), margin});
    }

    void laborLine(int estimateId, bool older) {
        const double hours = between(1, 160) / 4.0;
        const Money rate = Money::fromCents(between(2500, 12500));
        const Money extension = older ? rate.times(hours) : Pricing::laborExtension(hours, rate);
        m_db.exec(QStringLiteral("INSERT INTO LaborEstimateTBL (EstimateID, Hours, "
                                 "LaborDescription, LaborRate, LaborExtension) VALUES (?, ?, "
                                 "'Work', ?, ?)"),
                  {estimateId, hours, rate.toDouble(), extension.toDouble()});
    }

    TestDatabase& m_db;
    std::mt19937 m_random{20261207};
};

// The quote as its reader sees it: the printed texts of the lines, subtotals and totals.
struct PrintedQuote {
    struct Line {
        QString quantity, price, cost;
    };
    struct Group {
        QString type;
        QList<Line> lines;
        QString subtotal;
    };
    QList<Group> groups;
    QString materials, taxRate, tax, labor, shipping, total;

    explicit PrintedQuote(const ReportLayout& layout) {
        const QHash<QString, QString PrintedQuote::*> totals = {
            {"txtTotalMaterial", &PrintedQuote::materials},
            {"txtTaxRate", &PrintedQuote::taxRate},
            {"txtTax", &PrintedQuote::tax},
            {"txtTotalLabor", &PrintedQuote::labor},
            {"txtShipping", &PrintedQuote::shipping},
            {"txtGrandTotal", &PrintedQuote::total}};
        for (const ReportPage& page : layout.pages) {
            Line line;
            for (const ReportItem& item : page.items) {
                const QString& name = item.name;
                if (totals.contains(name))
                    this->*totals.value(name) = item.text;
                else if (name == QLatin1String("txtType"))
                    groups.append({item.text, {}, {}});
                else if (name == QLatin1String("txtQuantity"))
                    line.quantity = item.text;
                else if (name == QLatin1String("txtPrice"))
                    line.price = item.text;
                else if (name == QLatin1String("txtExtension"))
                    groups.last().lines.append({line.quantity, line.price, item.text});
                else if (name == QLatin1String("txtCosts"))
                    groups.last().subtotal = item.text;
            }
        }
    }
};

ReportLayout layOut(TestDatabase& db, int estimateId) {
    DataEnvironment source;
    if (!source.fillWorkTable(db.connection(), estimateId) ||
        !source.rptMain_Grouping(db.connection(), estimateId))
        qWarning("the quote could not be read: %s", qPrintable(source.lastError().text()));
    DataReport1 report(source, CompanyDetails{});
    report.DataReport_Initialize();
    return report.layout(QDate(2026, 12, 7));
}

// Checks a printed quote as a customer with a calculator would; false with the first figure
// that does not follow.
bool addsUp(const PrintedQuote& q, bool checkLines, QString* why) {
    Money groupSums[2];
    for (const PrintedQuote::Group& group : q.groups) {
        Money sum;
        for (const PrintedQuote::Line& line : group.lines) {
            const Money cost = amountOf(line.cost);
            if (!cost.isWholeCents())
                return *why = line.cost + QStringLiteral(" is no whole cents"), false;
            const double quantity = parseNumber(line.quantity).value_or(0);
            if (checkLines && amountOf(line.price).timesToCents(quantity) != cost)
                return *why = QStringLiteral("%1 x %2 is not %3")
                                  .arg(line.quantity, line.price, line.cost),
                       false;
            sum += cost;
        }
        if (sum != amountOf(group.subtotal))
            return *why = group.type + QStringLiteral(" lines do not sum to ") + group.subtotal,
                   false;
        groupSums[group.type == QLatin1String("Labor") ? 1 : 0] = sum;
    }
    if (groupSums[0] != amountOf(q.materials) || groupSums[1] != amountOf(q.labor))
        return *why = QStringLiteral("Materials or Labor is not its group's subtotal"), false;
    const Money tax = amountOf(q.materials).timesToCents(parsePercent(q.taxRate).value_or(-1));
    if (tax != amountOf(q.tax))
        return *why = QStringLiteral("tax %1 of %2 is not %3").arg(q.taxRate, q.materials, q.tax),
               false;
    const Money total = amountOf(q.materials) + tax + amountOf(q.labor) + amountOf(q.shipping);
    if (total != amountOf(q.total))
        return *why =
                   QStringLiteral("the parts add to %1, not %2").arg(formatMoney(total), q.total),
               false;
    return true;
}

} // namespace

class TestAmounts : public QObject {
    Q_OBJECT

private slots:
    void generatedQuotesAddUpAndAgreeEverywhere() {
        TestDatabase db;
        Generator generator(db);
        QWidget screen;
        QLineEdit taxRate(&screen);
        QLineEdit shipping(&screen);
        EstimateTotalsPanel panel(&screen, &taxRate, &shipping);
        QList<Generated> estimates;
        // Each quote rewrites the work table: no need to wait for the disk in a test.
        db.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        db.exec(QStringLiteral("BEGIN"));
        for (int i = 0; i < 60; ++i)
            estimates.append(generator.estimate(5000 + i, i % 5 == 4));
        db.exec(QStringLiteral("COMMIT"));
        for (int i = 0; i < estimates.size(); ++i) {
            const Generated& g = estimates.at(i);
            const PrintedQuote quote(layOut(db, g.id));
            QString why;
            QVERIFY2(addsUp(quote, !g.older, &why),
                     qPrintable(QStringLiteral("quote %1: %2").arg(5000 + i).arg(why)));

            // The estimate's rows in a table or view.
            const auto open = [&](RecordSet& rs, const char* table) {
                return rs.open(db.connection(),
                               QStringLiteral("SELECT * FROM %1 WHERE EstimateID = ?")
                                   .arg(QLatin1String(table)),
                               {g.id});
            };
            // The Home list's row, as its grid formats it.
            RecordSet home;
            QVERIFY(open(home, "EstimatesAll"));
            QCOMPARE(formatValue(home.value(QStringLiteral("Grand Total")), DisplayFormat::Money),
                     quote.total);
            // An estimate without material lines lists no materials amount.
            const QString homeMaterials =
                formatValue(home.value(QStringLiteral("Materials")), DisplayFormat::Money);
            QCOMPARE(homeMaterials.isEmpty() ? Money() : amountOf(homeMaterials),
                     amountOf(quote.materials));

            // The totals panel, filled from the sums and again from the lines themselves.
            RecordSet estimate, sums, materialLines, laborLines;
            QVERIFY(open(estimate, "EstimateTBL") && open(sums, "PXSum"));
            taxRate.setText(formatPercent2(g.taxRate));
            shipping.setText(formatMoney(g.shipping));
            panel.SetTotalControl(&sums, &estimate);
            QCOMPARE(panel.txtTotalEstimate->text(), quote.total);
            QCOMPARE(panel.txtTax->text(), quote.tax);
            QVERIFY(open(materialLines, "MaterialEstimateTBL") &&
                    open(laborLines, "LaborEstimateTBL"));
            panel.UpdateMaterialExtension(&materialLines);
            panel.UpdateLaborExtension(&laborLines);
            QCOMPARE(panel.txtTotalEstimate->text(), quote.total);
            QCOMPARE(panel.txtTotalMaterailExtension->text(), quote.materials);
            QCOMPARE(amountOf(panel.txtTotalMaterialMargin->text()),
                     amountOf(panel.txtTotalMaterailExtension->text()) -
                         amountOf(panel.txtTotalMaterialCost->text()));
        }
    }

    void theFiguresACustomerChecks() {
        // Wire at $0.0450 a foot with 10% on 1,000 ft; 3 fittings at $12.49 with 20%; tax at
        // 8.25% on materials of $367.55 (49.50 + 44.97 + 273.08).
        TestDatabase db;
        QuoteContents contents;
        contents.taxRate = 0.0825;
        contents.shipping = 12.5;
        const Pricing::MaterialAmounts wire = Pricing::materialAmounts({1000, dollars(0.045), 0.1});
        const Pricing::MaterialAmounts fittings =
            Pricing::materialAmounts({3, dollars(12.49), 0.2});
        contents.materials = {
            {1000, QStringLiteral("Wire"), wire.price.toDouble(), wire.extension.toDouble()},
            {3, QStringLiteral("Fittings"), fittings.price.toDouble(),
             fittings.extension.toDouble()},
            {1, QStringLiteral("Panel"), 273.08, 273.08}};
        contents.labor = {{8, QStringLiteral("Install"), 45, 360}};
        const PrintedQuote q(layOut(db, addQuote(db, contents)));
        QCOMPARE(q.groups.at(0).lines.at(0).price, QStringLiteral("$0.0495"));
        QCOMPARE(q.groups.at(0).lines.at(0).cost, QStringLiteral("$49.50"));
        QCOMPARE(q.groups.at(0).lines.at(1).price, QStringLiteral("$14.99"));
        QCOMPARE(q.groups.at(0).lines.at(1).cost, QStringLiteral("$44.97"));
        QCOMPARE(q.materials, QStringLiteral("$367.55"));
        QCOMPARE(q.tax, QStringLiteral("$30.32"));
        QCOMPARE(q.total, QStringLiteral("$770.37")); // 367.55 + 30.32 + 360.00 + 12.50
        QString why;
        QVERIFY2(addsUp(q, true, &why), qPrintable(why));
    }

    void aTotalBeyondTheRangeIsNeverPrinted() {
        // Thirty lines of $600,000,000: the true total is $18 billion, beyond what is kept.
        TestDatabase db;
        QuoteContents contents;
        for (int i = 0; i < 30; ++i)
            contents.materials.append({1, QStringLiteral("Turbine"), 6e8, 6e8});
        const int id = addQuote(db, contents);
        DataEnvironment source;
        QVERIFY(source.fillWorkTable(db.connection(), id));
        QVERIFY(!source.rptMain_Grouping(db.connection(), id));
        QVERIFY(source.lastError().description.contains(QLatin1String(Money::kLargestText)));
    }
};

QTEST_MAIN(TestAmounts)
#include "tst_amounts.moc"
