#include "data/columndata.h"
#include "data/formats.h"
#include "data/money.h"

#include <QTest>
#include <cmath>
#include <limits>

namespace {
void percents(const char* name, double fraction, const QString& two, const QString& one) {
    QTest::newRow(name) << fraction << two << one;
}

void shows(const char* name, const QVariant& value, const QString& format, const QString& shown) {
    QTest::newRow(name) << value << format << shown;
}
} // namespace

class TestFormats : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { registerMoneyMetaType(); }

    void moneyFromDoubleRoundsHalfToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("units");
        QTest::newRow("half down to even") << 1.00005 << qint64(10000);
        QTest::newRow("half up to even") << 1.00015 << qint64(10002);
        QTest::newRow("2.67125 to even") << 2.67125 << qint64(26712);
        QTest::newRow("negative half") << -1.00005 << qint64(-10000);
        QTest::newRow("negative half up") << -1.00015 << qint64(-10002);
        QTest::newRow("tiny negative") << -0.00005 << qint64(0);
    }

    void moneyFromDoubleRoundsHalfToEven() {
        QFETCH(double, value);
        QFETCH(qint64, units);
        QCOMPARE(Money::fromDouble(value).units(), units);
    }

    // Doubles come from stored REAL values and number types: none may wrap or reach the
    // undefined conversion of a huge double to an integer.
    void doublesBeyondTheRangeAreReported() {
        const double inf = std::numeric_limits<double>::infinity();
        for (double d : {1e308, -1e308, 1e15, -1e15, 1e9, 999999999.99995, inf, -inf, std::nan("")})
            QVERIFY2(!Money::fromDoubleChecked(d), qPrintable(QString::number(d)));
        QCOMPARE(Money::fromDoubleChecked(999999999.9999), Money::maximum());
        QCOMPARE(Money::fromDoubleChecked(-999999999.9999), Money::minimum());
        QCOMPARE(Money::fromDouble(1e308), Money::maximum());
        QCOMPARE(Money::fromDouble(-1e308), Money::minimum());
        QVERIFY(Money::fromDouble(1e15).isAtLimit());
        QCOMPARE(Money::fromWholeChecked(999999999), Money::fromCents(99999999900));
        QVERIFY(!Money::fromWholeChecked(1000000000));
        QVERIFY(!Money::fromWholeChecked(std::numeric_limits<qint64>::min()));
    }

    // A stored amount beyond the range is kept as the number it is, never wrapped into an
    // amount; a caller cannot set one.
    void amountColumnsKeepWhatTheyCannotHold() {
        ColumnData column(StorageKind::Money);
        column.appendStored(QVariant(qint64(1000000000000000)));
        column.appendStored(QVariant(1e308));
        column.appendStored(QVariant(12.5));
        QCOMPARE(column.value(0), QVariant(qint64(1000000000000000)));
        QCOMPARE(column.value(1), QVariant(1e308));
        QCOMPARE(column.value(2).value<Money>(), Money::fromCents(1250));

        ColumnData amounts(StorageKind::Money);
        for (const QVariant& v : {QVariant(1e308), QVariant(qint64(1) << 62),
                                  QVariant(QStringLiteral("99999999999999999")),
                                  QVariant::fromValue(Money::fromUnits(Money::kLargestUnits + 1))})
            QVERIFY2(!amounts.append(v), qPrintable(v.toString()));
        QVERIFY(amounts.append(QVariant(12.5)));
        QCOMPARE(amounts.value(0).value<Money>(), Money::fromCents(1250));
        QCOMPARE(::formatValue(QVariant(1e15), DisplayFormat::Money).front(), u'1');
    }

    void moneyFormats_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << qint64(0) << "$0.00";
        QTest::newRow("grouped") << qint64(12345000) << "$1,234.50";
        QTest::newRow("negative") << qint64(-12345000) << "-$1,234.50";
        QTest::newRow("half cent away from zero") << qint64(10050) << "$1.01";
        QTest::newRow("just under a half cent") << qint64(10149) << "$1.01";
        QTest::newRow("carry into grouping") << qint64(9999950) << "$1,000.00";
        QTest::newRow("negative rounding to zero has no minus") << qint64(-49) << "$0.00";
        QTest::newRow("negative half cent away from zero") << qint64(-50) << "-$0.01";
        QTest::newRow("largest") << Money::kLargestUnits << "$1,000,000,000.00";
        QTest::newRow("smallest") << -Money::kLargestUnits << "-$1,000,000,000.00";
    }

    void moneyFormats() {
        QFETCH(qint64, units);
        QFETCH(QString, shown);
        const Money m = Money::fromUnits(units);
        // One sign convention everywhere: the three money formats agree in United States English.
        QCOMPARE(formatMoney(m), shown);
        QCOMPARE(formatSum(m), shown);
        QCOMPARE(formatCurrency(m), shown);
        QCOMPARE(::formatValue(QVariant::fromValue(m), DisplayFormat::Money), shown);
        QCOMPARE(::formatValue(QVariant::fromValue(m), DisplayFormat::Sum), shown);
        QCOMPARE(::formatValue(QVariant::fromValue(m), DisplayFormat::Currency), shown);
    }

    void percentFormats_data() {
        QTest::addColumn<double>("fraction");
        QTest::addColumn<QString>("twoDecimals");
        QTest::addColumn<QString>("oneDecimal");
        percents("tax rate", 0.0825, "8.25%", "8.2%");
        percents("margin", 0.125, "12.50%", "12.5%");
        percents("zero", 0.0, "0.00%", "0.0%");
        percents("negative", -0.0825, "-8.25%", "-8.2%");
        percents("half to even down", 0.08125, "8.12%", "8.1%");
        percents("product below half in binary", 0.0815, "8.15%", "8.2%");
        percents("tiny negative shows no minus", -0.00001, "0.00%", "0.0%");
        percents("no grouping", 12.345, "1234.50%", "1234.5%");
        percents("carry", 0.099999, "10.00%", "10.0%");
    }

    void percentFormats() {
        QFETCH(double, fraction);
        QFETCH(QString, twoDecimals);
        QFETCH(QString, oneDecimal);
        QCOMPARE(formatPercent2(fraction), twoDecimals);
        QCOMPARE(formatPercent1(fraction), oneDecimal);
        QCOMPARE(::formatValue(fraction, DisplayFormat::Percent2), twoDecimals);
        QCOMPARE(::formatValue(fraction, DisplayFormat::Percent1), oneDecimal);
    }

    void formatValue_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        const QString money = DisplayFormat::Money;
        shows("null", QVariant(), money, "");
        shows("double", 1234.5, money, "$1,234.50");
        shows("int", -3, DisplayFormat::Sum, "-$3.00");
        shows("numeric text", QStringLiteral("1234.5"), money, "$1,234.50");
        shows("other text unchanged", QStringLiteral("n/a"), money, "n/a");
        shows("rate text", QStringLiteral("0.0825"), "0.00%", "8.25%");
        shows("money as percent", QVariant::fromValue(Money::fromDouble(0.125)), "0.0%", "12.5%");
        shows("stored date text", QStringLiteral("2026-12-06"), "Medium Date", "06 Dec 26");
        shows("stored date-time text", QStringLiteral("2026-12-06T08:43:13"), "General Date",
              "12/6/2026 8:43:13 AM");
        shows("serial number", 46362.363344907407, "General Date", "12/6/2026 8:43:13 AM");
        shows("plain money", QVariant::fromValue(Money::fromDouble(1234.5)), "", "1234.5");
        shows("plain date", QDate(2026, 12, 6), "", "12/6/2026");
        shows("unknown format", 1234.5, "#.##", "1234.5");
        shows("currency name case", 2.5, "currency", "$2.50");
        // Dates and times; those at midnight show the same as the date alone.
        const QDate dec6(2026, 12, 6);
        const QDateTime clock(dec6, QTime(8, 43, 13));
        const QDateTime midnight(dec6, QTime(0, 0));
        shows("medium", clock, "Medium Date", "06 Dec 26");
        shows("list", midnight, "dd MMM yy", "06 Dec 26");
        shows("month", midnight, "mmmm yyyy", "December 2026");
        shows("general", clock, "General Date", "12/6/2026 8:43:13 AM");
        shows("general noon", QDateTime(dec6, QTime(12, 0)), "General Date",
              "12/6/2026 12:00:00 PM");
        shows("general midnight is the date alone", midnight, "General Date", "12/6/2026");
        shows("general time alone on day zero", QDateTime(QDate(1899, 12, 30), QTime(8, 43, 13)),
              "General Date", "8:43:13 AM");
        shows("name case ignored", midnight, "medium date", "06 Dec 26");
    }

    void formatValue() {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QCOMPARE(::formatValue(value, format), shown);
        if (value.typeId() == QMetaType::QDateTime && value.toDateTime().time() == QTime(0, 0))
            QCOMPARE(::formatValue(value.toDate(), format), shown);
    }

    void otherLocale() {
        const QLocale german(QLocale::German, QLocale::Germany);
        const Money m = Money::fromDouble(1234.5);
        // The currency pattern and the separators come from the locale; the sign stays in front.
        QCOMPARE(formatCurrency(m, german), QStringLiteral("1.234,50\u00a0€"));
        QCOMPARE(formatCurrency(-m, german), QStringLiteral("-1.234,50\u00a0€"));
        QCOMPARE(formatMoney(m, german), QStringLiteral("$1.234,50"));
        QCOMPARE(formatPercent2(0.0825, german), QStringLiteral("8,25%"));
        QCOMPARE(::parseCurrency(formatCurrency(-m, german), german), -m);
        QCOMPARE(::parsePercent(QStringLiteral("8,25"), german), 0.0825);
        QCOMPARE(::parseDateText(QStringLiteral("6.12.2026"), german)->date(), QDate(2026, 12, 6));
        QCOMPARE(parseMonthYear(QStringLiteral("Dezember 2026"), german), QDate(2026, 12, 1));
    }

    void numericText() {
        const QStringList numeric{"$1,234.50", "1234.5", " 12 ", "-3",           "-$3.00",
                                  "$-3.00",    ".5",     "12.",  "1,234,567.00", "+3"};
        const QStringList notNumeric{"",      "$",        "-",     ".",       "abc",    "1.2.3",
                                     "1,23",  "1234,567", "12,",   "1.234,5", "(1.00)", "-$-3",
                                     "8.25%", "1e5",      "1 234", "12abc"};
        // That the other parsers agree is the random input test's.
        for (const QString& text : numeric)
            QVERIFY2(isNumericText(text), qPrintable(text));
        for (const QString& text : notNumeric)
            QVERIFY2(!isNumericText(text), qPrintable(text));
        QCOMPARE(*parseNumber(QStringLiteral("-$1,234.50")), -1234.5);
    }

    void parseCurrency_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("units");
        QTest::newRow("shown") << "$1,234.50" << true << qint64(12345000);
        QTest::newRow("minus first") << "-$3.00" << true << qint64(-30000);
        QTest::newRow("four decimals exact") << "0.0001" << true << qint64(1);
        QTest::newRow("fifth decimal half to even down") << "1.00005" << true << qint64(10000);
        QTest::newRow("fifth decimal half to even up") << "1.00015" << true << qint64(10002);
        QTest::newRow("carry through nines") << "9.99995" << true << qint64(100000);
        QTest::newRow("fifth decimal of a large amount")
            << "987654321.98765" << true << qint64(9876543219876);
        QTest::newRow("largest") << "$999,999,999.9999" << true << Money::kLargestUnits;
        QTest::newRow("smallest") << "-$999,999,999.9999" << true << -Money::kLargestUnits;
        QTest::newRow("rounds beyond the largest") << "999999999.99995" << false << qint64(0);
        QTest::newRow("a billion") << "1,000,000,000" << false << qint64(0);
        QTest::newRow("minus a billion") << "-1,000,000,000" << false << qint64(0);
        QTest::newRow("once wrapped") << "99999999999999999" << false << qint64(0);
        QTest::newRow("old 64-bit largest") << "$922,337,203,685,477.58" << false << qint64(0);
        QTest::newRow("absurd") << "1,000,000,000,000,000" << false << qint64(0);
    }

    void parseCurrency() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, units);
        const auto m = ::parseCurrency(text);
        QCOMPARE(m.has_value(), valid);
        if (valid)
            QCOMPARE(m->units(), units);
    }

    void parsePercent_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("fraction");
        QTest::newRow("shown") << "8.25%" << true << 0.0825;
        QTest::newRow("typed without sign") << "8.25" << true << 0.0825;
        QTest::newRow("not binary exact") << "8.15%" << true << 0.0815;
        QTest::newRow("negative") << "-12.5%" << true << -0.125;
        QTest::newRow("grouped") << "1,234.5%" << true << 12.345;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("currency") << "$8.25" << false << 0.0;
    }

    void parsePercent() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, fraction);
        const auto p = ::parsePercent(text);
        QCOMPARE(p.has_value(), valid);
        if (valid)
            QCOMPARE(*p, fraction); // correctly rounded: equal to the literal, not just close
    }

    void monthYearRoundTrip() {
        for (int year : {1999, 2026}) {
            for (int month = 1; month <= 12; ++month) {
                const QDate first(year, month, 1);
                const QString shown = formatMonthYear(first.addDays(14));
                QCOMPARE(parseMonthYear(shown), first);
                QCOMPARE(parseMonthYear(shown.toUpper()), first);
            }
        }
        QCOMPARE(formatMonthYear(QDate(2026, 12, 31)), QStringLiteral("December 2026"));
        QCOMPARE(parseMonthYear(QStringLiteral("  dec 2026 ")), QDate(2026, 12, 1));
        for (const char* garbage : {"", "December", "2026", "Decemberr 2026", "13 2026",
                                    "December 26", "December 2026 x", "2026 December"})
            QVERIFY2(!parseMonthYear(QString::fromUtf8(garbage)), garbage);
    }

    void parseDateText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        const QDateTime dec6(QDate(2026, 12, 6), QTime(0, 0));
        QTest::newRow("medium") << "06-Dec-26" << dec6;
        QTest::newRow("list") << "06 Dec 26" << dec6;
        QTest::newRow("us numeric") << "12/6/2026" << dec6;
        QTest::newRow("iso") << "2026-12-06" << dec6;
        QTest::newRow("long") << "December 6, 2026" << dec6;
        QTest::newRow("month caption")
            << "December 2026" << QDateTime(QDate(2026, 12, 1), QTime(0, 0));
        QTest::newRow("general") << "12/6/2026 8:43:13 PM"
                                 << QDateTime(dec6.date(), QTime(20, 43, 13));
        QTest::newRow("iso date-time")
            << "2026-12-06T08:43:13" << QDateTime(dec6.date(), QTime(8, 43, 13));
        QTest::newRow("time alone")
            << "8:43:13 AM" << QDateTime(QDate(1899, 12, 30), QTime(8, 43, 13));
        QTest::newRow("two-digit year 29") << "1/1/29" << QDateTime(QDate(2029, 1, 1), QTime(0, 0));
        QTest::newRow("february 30") << "2/30/2026" << QDateTime();
        QTest::newRow("unknown month") << "06-Dex-26" << QDateTime();
        QTest::newRow("bad time") << "12/6/2026 25:00" << QDateTime();
        QTest::newRow("garbage") << "soon" << QDateTime();
    }

    void parseDateText() {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto parsed = ::parseDateText(text);
        QCOMPARE(parsed.has_value(), expected.isValid());
        if (parsed)
            QCOMPARE(*parsed, expected);
    }

    void shownDatesParseBack() {
        // The displays with two-digit years read back for 1930 to 2029 (the general date, whole
        // years, is the random input test's).
        for (const QDate d :
             {QDate(1930, 1, 1), QDate(2000, 2, 29), QDate(2026, 12, 6), QDate(2029, 12, 31)}) {
            QCOMPARE(::parseDateText(formatMediumDate(d))->date(), d);
            QCOMPARE(::parseDateText(formatShortListDate(d))->date(), d);
        }
    }

    void serialDates_data() {
        QTest::addColumn<double>("serial");
        QTest::addColumn<QDateTime>("when");
        QTest::newRow("zero") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("leap day") << 36585.75 << QDateTime(QDate(2000, 2, 29), QTime(18, 0));
        QTest::newRow("clock") << 46362.0 + (8 * 3600 + 43 * 60 + 13) / 86400.0
                               << QDateTime(QDate(2026, 12, 6), QTime(8, 43, 13));
        QTest::newRow("negative keeps time forward")
            << -1.25 << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
        QTest::newRow("last day") << 2958465.0 << QDateTime(QDate(9999, 12, 31), QTime(0, 0));
    }

    void serialDates() {
        QFETCH(double, serial);
        QFETCH(QDateTime, when);
        QCOMPARE(dateFromSerial(serial), when);
        QVERIFY(std::abs(serialFromDate(when) - serial) < 1e-9);
    }

    void serialOutOfRange() {
        QVERIFY(!dateFromSerial(std::nan("")).isValid());
        QVERIFY(!dateFromSerial(std::numeric_limits<double>::infinity()).isValid());
        QVERIFY(!dateFromSerial(2958466.0).isValid());
        QVERIFY(!dateFromSerial(-700000.0).isValid());
        // A fraction a hair below a whole day becomes the next midnight, not 24:00.
        QCOMPARE(dateFromSerial(1.9999999999), QDateTime(QDate(1900, 1, 1), QTime(0, 0)));
        QCOMPARE(serialFromDate(QDateTime()), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
