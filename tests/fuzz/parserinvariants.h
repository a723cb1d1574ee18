#pragma once

// What must hold of every text the program parses, whatever it is: shared by the random-input
// test (tests/tst_randominput.cpp) and the fuzz target (tests/fuzz/fuzz_parsers.cpp). Each check
// returns an empty text when all holds, else what broke.

#include "data/criteria.h"
#include "data/fieldtype.h"
#include "data/formats.h"
#include "data/money.h"
#include "data/mparse.h"
#include "data/recordstore.h"

#include <QDateTime>
#include <QString>
#include <cmath>
#include <memory>

namespace parserinvariants {

inline QString describe(const QString& what, const QString& text) {
    return QStringLiteral("%1 for \"%2\"").arg(what, text.left(200));
}

// The amount, number and percentage parsers agree with each other and stay in range.
inline QString checkAmounts(const QString& text) {
    const bool numeric = isNumericText(text);
    const auto number = parseNumber(text);
    if (numeric != number.has_value())
        return describe(QStringLiteral("isNumericText and parseNumber disagree"), text);
    if (number && !std::isfinite(*number))
        return describe(QStringLiteral("parseNumber gave a number that is not finite"), text);
    const auto amount = parseCurrency(text);
    if (amount) {
        if (!numeric)
            return describe(QStringLiteral("parseCurrency took text that is not numeric"), text);
        if (!Money::inRange(amount->units()))
            return describe(QStringLiteral("parseCurrency gave an amount out of range"), text);
        // The amount is the number, to the precision of a double.
        const double expected = *number;
        if (std::abs(amount->toDouble() - expected) > 0.00005 + std::abs(expected) * 1e-15)
            return describe(QStringLiteral("parseCurrency and parseNumber differ"), text);
    } else if (number && std::abs(*number) < 999999999.0) {
        return describe(QStringLiteral("parseCurrency refused an amount in range"), text);
    }
    if (const auto percent = parsePercent(text); percent && !std::isfinite(*percent))
        return describe(QStringLiteral("parsePercent gave a number that is not finite"), text);
    return {};
}

// A date, when one is given, is a valid one, shows, and reads back from what is shown.
inline QString checkDate(const QString& text) {
    const auto date = parseDateText(text);
    if (!date)
        return {};
    if (!date->isValid())
        return describe(QStringLiteral("parseDateText gave an invalid date"), text);
    const QString shown = formatGeneralDate(*date);
    if (shown.isEmpty())
        return describe(QStringLiteral("a parsed date shows as nothing"), text);
    formatMediumDate(*date);
    serialFromDate(*date);
    return {};
}

// A search condition over one field of each kind: parsing never fails without a reason, and
// matching a row of values never fails at all.
class CriteriaCheck {
public:
    CriteriaCheck() {
        const int types[] = {FieldType::Integer, FieldType::Double,   FieldType::Currency,
                             FieldType::Date,    FieldType::VarWChar, FieldType::Variant};
        const char* names[] = {"Whole", "Real", "Amount", "Day", "Name", "Any"};
        std::vector<FieldInfo> fields;
        for (int i = 0; i < 6; ++i) {
            FieldInfo f;
            f.name = QString::fromLatin1(names[i]);
            f.type = types[i];
            fields.push_back(f);
        }
        m_store = std::make_unique<RecordStore>(std::move(fields));
        m_store->appendLoaded({12, 2.5, QVariant::fromValue(Money::fromCents(1999)),
                               QDateTime(QDate(2026, 12, 6), QTime(8, 0)), QStringLiteral("Acme"),
                               QStringLiteral("x")});
        m_store->appendLoaded(
            {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    }

    const QStringList& fieldNames() const {
        static const QStringList names{QStringLiteral("Whole"),    QStringLiteral("Real"),
                                       QStringLiteral("[Amount]"), QStringLiteral("Day"),
                                       QStringLiteral("Name"),     QStringLiteral("Any")};
        return names;
    }

    QString check(const QString& text) const {
        Criteria criteria;
        QString error;
        if (!criteria.parse(text, *m_store, &error)) {
            if (error.isEmpty())
                return describe(QStringLiteral("a refused condition gave no reason"), text);
            return {};
        }
        for (int row = 0; row < m_store->rowCount(); ++row)
            criteria.matches(*m_store, m_store->storageRow(row));
        return {};
    }

private:
    std::unique_ptr<RecordStore> m_store;
};

// The tokenizer ends, and its tokens are pieces of the text without delimiters.
inline QString checkTokens(const QString& text, const QString& delimiters) {
    qsizetype total = 0;
    QString token = GetToken(text, delimiters);
    for (qsizetype n = 0; !token.isEmpty(); ++n) {
        if (n > text.size())
            return describe(QStringLiteral("GetToken does not end"), text);
        for (const QChar c : token)
            if (delimiters.contains(c))
                return describe(QStringLiteral("a token holds a delimiter"), text);
        total += token.size();
        token = GetToken(QString(), delimiters);
    }
    if (total > text.size())
        return describe(QStringLiteral("the tokens are longer than the text"), text);
    const qint16 skip = SkipDelimiters(text, 1, delimiters);
    const qint16 find = FindDelimiter(text, 1, delimiters);
    if (skip < 0 || find < 1 || find > kMaxTokenTextLength + 1)
        return describe(QStringLiteral("a delimiter position is out of range"), text);
    return {};
}

} // namespace parserinvariants
