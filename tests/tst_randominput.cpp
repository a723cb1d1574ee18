// Random and mutated texts, from a fixed seed so that a failure repeats, fed to every parser of
// amounts, percentages, dates, search conditions and tokens.

#include "fuzz/parserinvariants.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

using namespace parserinvariants;

namespace {
constexpr int kInputs = 20000;

// Texts a user could type or a file could hold, to mutate.
const QStringList& seeds() {
    static const QStringList texts =
        QStringLiteral(
            "$1,234.50|-$3.00|$-3.00|999,999,999.9999|-999999999.99995|1000000000|.5|12.|8.25%|"
            "06-Dec-26|12/6/2026 8:43:13 AM|2026-12-06T08:43:13|December 6, 2026|"
            "December 2026|14:05|Whole >= 12|[Amount] = '19.99'|Name LIKE 'Ac*'|"
            "Day < #2026-01-31#|Any = NULL|Real <> 2.5")
            .split(u'|');
    return texts;
}

// Pieces random texts are made of: what the parsers look for, and what they must survive.
const QStringList& pieces() {
    static const QStringList parts =
        QStringLiteral("0 1 5 9 99999 - + $ , . % e E : / # ' [ ] = < > * like AM Dec 2026 T null")
            .split(u' ') +
        QStringList{QStringLiteral(" "),      QStringLiteral("\t"),
                    QStringLiteral("\u00a0"), QStringLiteral("\u2212"),
                    QStringLiteral("\u20ac"), QStringLiteral("\u0661"),
                    QStringLiteral("\uFFFF"), QStringLiteral("\U0001F600"),
                    QString(QChar(0xD800)),   QString(QChar(0xDC00)),
                    QString(QChar(0))};
    return parts;
}

QString randomText(QRandomGenerator& random) {
    const QStringList& parts = pieces();
    QString text;
    const int count = random.bounded(1, 24);
    for (int i = 0; i < count; ++i)
        text += parts.at(random.bounded(int(parts.size())));
    return text;
}

// A seed with a few characters inserted, removed or replaced.
QString mutated(QRandomGenerator& random) {
    QString text = seeds().at(random.bounded(int(seeds().size())));
    const int edits = random.bounded(1, 5);
    for (int i = 0; i < edits; ++i) {
        const int at = random.bounded(int(text.size()) + 1);
        switch (random.bounded(3)) {
        case 0:
            text.insert(at, pieces().at(random.bounded(int(pieces().size()))));
            break;
        case 1:
            text.remove(at, 1);
            break;
        default:
            if (at < text.size())
                text[at] = QChar(char16_t(random.bounded(0x20, 0x7f)));
        }
    }
    return text;
}

QString input(QRandomGenerator& random, int i) {
    return i % 2 == 0 ? randomText(random) : mutated(random);
}
} // namespace

class TestRandomInput : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { registerMoneyMetaType(); }
    // A warning is a fault too (a pattern that could not be built, a text that could not be read).
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void amountsAndPercentagesHoldTheirInvariants() {
        QRandomGenerator random(20261206);
        for (int i = 0; i < kInputs; ++i) {
            const QString text = input(random, i);
            const QString broken = checkAmounts(text);
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
        }
    }

    // Every amount in the range reads back from what the screens show, to the cent.
    void shownAmountsReadBack() {
        QRandomGenerator random(7);
        for (int i = 0; i < kInputs; ++i) {
            // Amounts of every size: the number of digits is random too.
            const qint64 limit = qint64(std::pow(10.0, random.bounded(1, 14)));
            qint64 units = qint64(random.bounded(quint64(limit))) % (Money::kLargestUnits + 1);
            if (random.bounded(2))
                units = -units;
            const Money amount = Money::fromUnits(units);
            const Money cents = amount.roundedToCents();
            const auto back = parseCurrency(formatMoney(amount));
            if (!Money::inRange(cents.units())) {
                QVERIFY(!back); // only the largest amount shows beyond the range
                continue;
            }
            QVERIFY2(back && *back == cents, qPrintable(formatMoney(amount)));
            QCOMPARE(parseNumber(formatMoney(amount)).value_or(-1), cents.toDouble());
        }
        QCOMPARE(parseCurrency(formatMoney(Money::maximum())), std::nullopt);
        QCOMPARE(parseCurrency(QStringLiteral("-$999,999,999.9999")), Money::minimum());
        QCOMPARE(parseCurrency(QStringLiteral("999999999.99995")), std::nullopt);
    }

    void shownPercentagesReadBack() {
        QRandomGenerator random(11);
        for (int i = 0; i < kInputs; ++i) {
            const double fraction = (random.bounded(2000001) - 1000000) / 10000.0;
            const QString shown = formatPercent2(fraction);
            const auto back = parsePercent(shown);
            QVERIFY2(back && std::abs(*back - fraction) < 1e-9, qPrintable(shown));
        }
    }

    void datesHoldTheirInvariants() {
        QRandomGenerator random(3);
        for (int i = 0; i < kInputs; ++i) {
            const QString text = input(random, i);
            const QString broken = checkDate(text);
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
        }
        // And every date shown reads back as itself, to the second.
        for (int i = 0; i < 2000; ++i) {
            const QDateTime when(QDate(1000, 1, 1).addDays(random.bounded(3000000)),
                                 QTime::fromMSecsSinceStartOfDay(random.bounded(86400) * 1000));
            const auto back = parseDateText(formatGeneralDate(when));
            QVERIFY2(back && *back == when, qPrintable(formatGeneralDate(when)));
        }
    }

    void searchConditionsAndTokensHoldTheirInvariants() {
        const CriteriaCheck criteria;
        QRandomGenerator random(5);
        const QString delimiters[] = {QStringLiteral(" ,"), QStringLiteral(";"), QString(),
                                      QStringLiteral("\U0001F600")};
        for (int i = 0; i < kInputs; ++i) {
            QString text = input(random, i);
            if (i % 3 == 0) // a known field in front, so the value is looked at too
                text.prepend(criteria.fieldNames().at(random.bounded(6)) + QLatin1Char(' '));
            QString broken = criteria.check(text);
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
            broken = checkTokens(text, delimiters[i % 4]);
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
        }
    }

    // Texts far longer than anything typed end quickly and hold the same invariants.
    void veryLongTextsEndQuickly() {
        const CriteriaCheck criteria;
        const QString digits(200000, u'9');
        const QStringList texts{digits,
                                QStringLiteral("$") + digits + QStringLiteral(".5"),
                                QStringLiteral("0.") + digits,
                                QStringLiteral("1,") + QString(100000, u'0'),
                                QString(100000, u' ') + QStringLiteral("1"),
                                digits + QStringLiteral("%"),
                                QStringLiteral("Whole = ") + digits,
                                QStringLiteral("Name LIKE '") + QString(50000, u'*') +
                                    QStringLiteral("x'"),
                                QString(100000, QChar(0xD800)),
                                QStringLiteral("12/6/") + digits};
        for (const QString& text : texts) {
            QElapsedTimer timer;
            timer.start();
            QString broken = checkAmounts(text);
            broken += checkDate(text);
            broken += criteria.check(text);
            broken += checkTokens(text, QStringLiteral(" ,"));
            QVERIFY2(broken.isEmpty(), qPrintable(broken));
            QVERIFY2(timer.elapsed() < 5000, qPrintable(text.left(20)));
        }
        // Too large even for a double: refused, never infinite.
        QCOMPARE(parseCurrency(digits), std::nullopt);
        QCOMPARE(parseNumber(digits), std::nullopt);
        QCOMPARE(parsePercent(digits + QStringLiteral("%")), std::nullopt);
        QVERIFY(!isNumericText(digits));
        QCOMPARE(parseNumber(QString(308, u'9')).value_or(0), 1e308);
    }
};

QTEST_GUILESS_MAIN(TestRandomInput)
#include "tst_randominput.moc"
