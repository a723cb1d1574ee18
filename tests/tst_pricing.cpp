#include "data/money.h"
#include "data/pricing.h"

#include <QTest>
#include <cmath>
#include <limits>
#include <vector>

// Shows the units of an amount when a comparison fails.
char* toString(const Money& m) {
    return QTest::toString(QByteArray::number(m.units()) + " units");
}

namespace {
Money dollars(double value) {
    return Money::fromDouble(value);
}

constexpr qint64 kLargest = 9999999999999; // $999,999,999.9999
} // namespace

class TestPricing : public QObject {
    Q_OBJECT

private slots:
    void timesRoundsTheExactProductOnce_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<double>("factor");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("0.00005 to even 0") << qint64(1) << 0.5 << qint64(0);
        QTest::newRow("0.00015 to even 0.0002") << qint64(3) << 0.5 << qint64(2);
        QTest::newRow("0.00025 to even 0.0002") << qint64(5) << 0.5 << qint64(2);
        QTest::newRow("-0.00015 to even -0.0002") << qint64(-3) << 0.5 << qint64(-2);
        QTest::newRow("just above a half") << qint64(10001) << 0.00005 << qint64(1);
        // 0.00005 and 0.00025 are held as binaries slightly above the decimal: the decimal counts.
        QTest::newRow("typed 0.00005 is a half") << qint64(10000) << 0.00005 << qint64(0);
        QTest::newRow("typed 0.00025 is a half") << qint64(10000) << 0.00025 << qint64(2);
        QTest::newRow("binary noise dropped") << qint64(10000) << (0.1 + 0.2) << qint64(3000);
        // Products beyond the range saturate at its bounds, not at the 64-bit ones.
        QTest::newRow("largest x 1.0825") << kLargest << 1.0825 << kLargest;
        QTest::newRow("smallest x 1.0825") << -kLargest << 1.0825 << -kLargest;
        QTest::newRow("largest x 3") << kLargest << 3.0 << kLargest;
        QTest::newRow("just beyond") << qint64(5000000000000) << 2.0 << kLargest;
        QTest::newRow("large half to even up")
            << qint64(7999999999998) << 1.25 << qint64(9999999999998);
        QTest::newRow("large negative half")
            << qint64(-7999999999998) << 1.25 << qint64(-9999999999998);
        QTest::newRow("large x 2.5") << qint64(3700050645037) << 2.5 << qint64(9250126612592);
        QTest::newRow("largest x 12 digits") << kLargest << 0.999999999999 << qint64(9999999999989);
        QTest::newRow("64-bit amount halved")
            << std::numeric_limits<qint64>::min() << 0.5 << -kLargest;
        QTest::newRow("factor too small to show")
            << std::numeric_limits<qint64>::max() << 1e-30 << qint64(0);
    }

    void timesRoundsTheExactProductOnce() {
        QFETCH(qint64, units);
        QFETCH(double, factor);
        QFETCH(qint64, expected);
        QCOMPARE(Money::fromUnits(units).times(factor), Money::fromUnits(expected));
    }

    void overflowSaturatesWithItsSign() {
        const Money max = Money::maximum();
        const Money min = Money::minimum();
        QCOMPARE(max.times(2), max);
        QCOMPARE(max.times(-2), min);
        QCOMPARE(min.times(-1), max);
        QCOMPARE(max.times(-1), min);
        QVERIFY(max.isAtLimit() && min.isAtLimit());
        QVERIFY(!(max - Money::fromUnits(1)).isAtLimit());
        QVERIFY(Money::fromCents(60000000000).times(2).isAtLimit());
        QCOMPARE(Money::fromUnits(std::numeric_limits<qint64>::max()) + Money(), max);
        QCOMPARE(Money::fromUnits(1).times(1e300), max);
        QCOMPARE(Money::fromUnits(-1).times(std::numeric_limits<double>::infinity()), min);
        QCOMPARE(Money::fromUnits(5).times(std::nan("")), Money());
        QCOMPARE(max + Money::fromUnits(1), max);
        QCOMPARE(min - Money::fromUnits(1), min);
        QCOMPARE(-min, max);
        QCOMPARE(Money::fromCents(std::numeric_limits<qint64>::max() / 10), max);
        QCOMPARE(Money::fromDouble(1e300), max);
        QCOMPARE(max.roundedToCents(), Money::fromUnits(10000000000000));
        QCOMPARE(min.roundedToCents(), Money::fromUnits(-10000000000000));
    }

    void roundedToCentsHalvesAwayFromZero() {
        QCOMPARE(Money::fromUnits(9999999999850).roundedToCents(), Money::fromUnits(9999999999900));
        QCOMPARE(Money::fromUnits(9999999999849).roundedToCents(), Money::fromUnits(9999999999800));
        QCOMPARE(Money::fromUnits(-9999999999950).roundedToCents(),
                 Money::fromUnits(-10000000000000));
        QCOMPARE(Money::fromUnits(kLargest).roundedToCents(), Money::fromUnits(10000000000000));
        QCOMPARE(dollars(6.605).roundedToCents(), dollars(6.61));
        QCOMPARE(dollars(-6.605).roundedToCents(), dollars(-6.61));
        QCOMPARE(dollars(6.6049).roundedToCents(), dollars(6.60));
    }

    void timesToCentsRoundsTheExactProductOnce_data() {
        QTest::addColumn<Money>("amount");
        QTest::addColumn<double>("factor");
        QTest::addColumn<Money>("expected");
        QTest::newRow("22 x 0.3030 = 6.666") << dollars(0.3030) << 22.0 << dollars(6.67);
        QTest::newRow("a half cent goes up") << dollars(0.015) << 1.0 << dollars(0.02);
        QTest::newRow("a negative half goes down") << dollars(-0.015) << 1.0 << dollars(-0.02);
        // Rounded to ten-thousandths first, 1.00495 would count as 1.0050 and make 1.01.
        QTest::newRow("rounded once") << dollars(1.00) << 1.00495 << dollars(1.00);
        QTest::newRow("tax table half") << dollars(100.10) << 0.05 << dollars(5.01);
        QTest::newRow("typed rate, not its binary") << dollars(367.55) << 0.0825 << dollars(30.32);
        QTest::newRow("whole factor") << dollars(0.0450) << 1000.0 << dollars(45.00);
        QTest::newRow("beyond the range") << Money::maximum() << 2.0 << Money::maximum();
        QTest::newRow("beyond, negative") << Money::maximum() << -2.0 << Money::minimum();
    }

    void timesToCentsRoundsTheExactProductOnce() {
        QFETCH(Money, amount);
        QFETCH(double, factor);
        QTEST(amount.timesToCents(factor), "expected");
    }

    void materialLineAmounts_data() {
        QTest::addColumn<double>("quantity");
        QTest::addColumn<Money>("unitCost");
        QTest::addColumn<double>("margin");
        QTest::addColumn<Money>("price");
        QTest::addColumn<Money>("totalCost");
        QTest::addColumn<Money>("extension");
        QTest::newRow("new line") << 1.0 << dollars(12.50) << 0.0 << dollars(12.50)
                                  << dollars(12.50) << dollars(12.50);
        QTest::newRow("3 at 12.50 with 20%")
            << 3.0 << dollars(12.50) << 0.2 << dollars(15.00) << dollars(37.50) << dollars(45.00);
        QTest::newRow("22 at 0.2755 with 10%")
            << 22.0 << dollars(0.2755) << 0.1 << dollars(0.3030) << dollars(6.06) << dollars(6.67);
        QTest::newRow("price just under a dollar")
            << 7.0 << dollars(0.9090) << 0.1 << dollars(0.9999) << dollars(6.36) << dollars(7.00);
        QTest::newRow("fractional quantity")
            << 2.5 << dollars(3.3333) << 0.25 << dollars(4.17) << dollars(8.33) << dollars(10.43);
        QTest::newRow("no unit cost") << 4.0 << Money() << 0.3 << Money() << Money() << Money();
        QTest::newRow("a credit line") << 2.0 << dollars(-12.49) << 0.2 << dollars(-14.99)
                                       << dollars(-24.98) << dollars(-29.98);
    }

    void materialLineAmounts() {
        QFETCH(double, quantity);
        QFETCH(Money, unitCost);
        QFETCH(double, margin);
        const Pricing::MaterialAmounts a = Pricing::materialAmounts({quantity, unitCost, margin});
        QTEST(a.price, "price");
        QTEST(a.totalCost, "totalCost");
        QTEST(a.extension, "extension");
        // What the grid and the quote print can be checked with a calculator.
        QCOMPARE(a.extension, a.price.timesToCents(quantity));
        QVERIFY(a.extension.isWholeCents() && a.totalCost.isWholeCents());
    }

    void laborAndTax() {
        QCOMPARE(Pricing::laborExtension(8, dollars(45.00)), dollars(360.00));
        QCOMPARE(Pricing::laborExtension(2.5, dollars(40.00)), dollars(100.00));
        QCOMPARE(Pricing::laborExtension(0.3333, dollars(45.00)), dollars(15.00));
        QCOMPARE(Pricing::salesTax(dollars(100.00), 0.0825), dollars(8.25));
    }

    void totalsAddUpAsPrinted() {
        // Two lines costing 80.00 and 37.47, sold for 100.00 and 44.97; labor of 50 and 100.
        const std::vector<Pricing::StoredMaterialLine> lines = {{dollars(80), dollars(100)},
                                                                {dollars(37.47), dollars(44.97)}};
        const std::vector<Money> labor = {dollars(50), dollars(100)};
        const Pricing::EstimateTotals t = Pricing::totals(lines, labor, 0.0825, dollars(10));
        QCOMPARE(t.materialCost, dollars(117.47));
        QCOMPARE(t.materials, dollars(144.97));
        QCOMPARE(t.margin, dollars(27.50));
        QCOMPARE(t.labor, dollars(150.00));
        QCOMPARE(t.subtotal, dollars(294.97));
        QCOMPARE(t.tax, dollars(11.96)); // 11.960025; labor is not taxed
        QCOMPARE(t.total, dollars(316.93));
        QVERIFY(!t.reachesLimit());
        QCOMPARE(Pricing::totals({}, {}, 0.0825, Money()), Pricing::EstimateTotals());
    }

    void storedFourDecimalLinesCountAsPrinted() {
        // Lines an older version stored with four decimals: each counts as its printed cents,
        // so the printed subtotal is the sum of the printed line costs.
        const std::vector<Pricing::StoredMaterialLine> lines = {{dollars(6.0610), dollars(6.6660)},
                                                                {dollars(1.0050), dollars(1.3345)}};
        const std::vector<Money> labor = {dollars(10.005)};
        const Pricing::EstimateTotals t = Pricing::totals(lines, labor, 0, dollars(4.995));
        QCOMPARE(t.materials, dollars(6.67 + 1.33));
        QCOMPARE(t.materialCost, dollars(6.06 + 1.01));
        QCOMPARE(t.labor, dollars(10.01));
        QCOMPARE(t.shipping, dollars(5.00));
        QCOMPARE(t.total, dollars(8.00 + 10.01 + 5.00));
    }

    void totalsAtTheLimitAreNamed() {
        const std::vector<Pricing::StoredMaterialLine> lines(30, {dollars(6e8), dollars(6e8)});
        QVERIFY(Pricing::totals(lines, {}, 0, Money()).reachesLimit());
    }
};

QTEST_GUILESS_MAIN(TestPricing)
#include "tst_pricing.moc"
