#include "data/money.h"
#include "estimates/pricing.h"

#include <QList>
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

    void roundedToCentsIsExactForLargeAmounts() {
        QCOMPARE(Money::fromUnits(9999999999850).roundedToCents(), Money::fromUnits(9999999999800));
        QCOMPARE(Money::fromUnits(-9999999999950).roundedToCents(),
                 Money::fromUnits(-10000000000000));
        QCOMPARE(Money::fromUnits(kLargest).roundedToCents(), Money::fromUnits(10000000000000));
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
        // 1.2345 x 1.1 = 1.35795 is stored as 1.3580; unrounded, 3 x 1.35795 would give 4.0738.
        QTest::newRow("extension from the stored price")
            << 3.0 << dollars(1.2345) << 0.1 << dollars(1.3580) << dollars(3.7035)
            << dollars(4.0740);
        QTest::newRow("fractional quantity") << 2.5 << dollars(3.3333) << 0.25 << dollars(4.1666)
                                             << dollars(8.3332) << dollars(10.4165);
        QTest::newRow("no unit cost") << 4.0 << Money() << 0.3 << Money() << Money() << Money();
    }

    void materialLineAmounts() {
        QFETCH(double, quantity);
        QFETCH(Money, unitCost);
        QFETCH(double, margin);
        const Pricing::MaterialAmounts a = Pricing::materialAmounts({quantity, unitCost, margin});
        QTEST(a.price, "price");
        QTEST(a.totalCost, "totalCost");
        QTEST(a.extension, "extension");
    }

    void laborAndTax() {
        QCOMPARE(Pricing::laborExtension(8, dollars(45.00)), dollars(360.00));
        QCOMPARE(Pricing::laborExtension(2.5, dollars(40.00)), dollars(100.00));
        QCOMPARE(Pricing::laborExtension(0.25, dollars(45.00)), dollars(11.25));
        QCOMPARE(Pricing::salesTax(dollars(100.00), 0.0825), dollars(8.25));
        QCOMPARE(Pricing::salesTax(dollars(0.0003), 0.5), dollars(0.0002));
    }

    void totalsOfASmallEstimate() {
        const QList<Pricing::MaterialLine> materials = {
            {2, dollars(40.00), 0.25}, // cost 80.00, extension 100.00
            {3, dollars(12.50), 0.2},  // cost 37.50, extension 45.00
        };
        const QList<Pricing::LaborLine> labor = {{1, dollars(50.00)}, {2.5, dollars(40.00)}};
        const Pricing::EstimateTotals t =
            Pricing::estimateTotals(materials, labor, 0.0825, dollars(10.00));
        QCOMPARE(t.materialCost, dollars(117.50));
        QCOMPARE(t.materials, dollars(145.00));
        QCOMPARE(t.margin, dollars(27.50));
        QCOMPARE(t.labor, dollars(150.00));
        QCOMPARE(t.subtotal, dollars(295.00));
        QCOMPARE(t.tax, dollars(11.9625)); // labor is not taxed
        QCOMPARE(t.shipping, dollars(10.00));
        QCOMPARE(t.total, dollars(316.9625));
    }

    void taxIsRoundedOnceOnTheSum() {
        // Taxed line by line, 0.00005 and 0.0001 would make 0.0001.
        const std::vector<Pricing::MaterialLine> materials = {{1, Money::fromUnits(1), 0},
                                                              {1, Money::fromUnits(2), 0}};
        const Pricing::EstimateTotals t = Pricing::estimateTotals(materials, {}, 0.5, Money());
        QCOMPARE(t.tax, Money::fromUnits(2));
        QCOMPARE(t.total, Money::fromUnits(5));
    }

    void emptyEstimate() {
        QCOMPARE(Pricing::estimateTotals({}, {}, 0.0825, Money()), Pricing::EstimateTotals());
        const Pricing::EstimateTotals t = Pricing::estimateTotals({}, {}, 0.0825, dollars(10));
        Pricing::EstimateTotals expected;
        expected.shipping = dollars(10);
        expected.total = dollars(10);
        QVERIFY(t == expected);
    }
};

QTEST_GUILESS_MAIN(TestPricing)
#include "tst_pricing.moc"
