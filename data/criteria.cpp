#include "data/criteria.h"

#include "data/money.h"
#include "data/recordstore.h"

#include <QDateTime>

namespace {
const QRegularExpression& conditionPattern() {
    static const QRegularExpression re(
        QStringLiteral(
            "^\\s*(\\[[^\\]]+\\]|[^\\s=<>!]+)\\s*(<>|!=|<=|>=|=|<|>|\\blike\\b)\\s*(.*?)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

template <typename T> int order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}
} // namespace

bool Criteria::parse(const QString& text, const RecordStore& store, QString* error) {
    const auto m = conditionPattern().match(text);
    if (!m.hasMatch()) {
        *error = QStringLiteral("The search condition \"%1\" is not understood.").arg(text);
        return false;
    }
    m_field = store.fieldIndex(m.captured(1));
    if (m_field < 0) {
        *error = QStringLiteral("Item cannot be found in the collection corresponding to the "
                                "requested name or ordinal.");
        return false;
    }
    const QString op = m.captured(2).toLower();
    m_op = op == QLatin1String("=")    ? Equal
           : op == QLatin1String("<>") ? NotEqual
           : op == QLatin1String("!=") ? NotEqual
           : op == QLatin1String("<")  ? Less
           : op == QLatin1String("<=") ? LessEqual
           : op == QLatin1String(">")  ? Greater
           : op == QLatin1String(">=") ? GreaterEqual
                                       : Like;
    QString raw = m.captured(3);
    QVariant given;
    if (raw.size() >= 2 && raw.startsWith(QLatin1Char('\'')) && raw.endsWith(QLatin1Char('\''))) {
        given = raw.mid(1, raw.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    } else if (raw.size() >= 2 && raw.startsWith(QLatin1Char('#')) &&
               raw.endsWith(QLatin1Char('#'))) {
        given = raw.mid(1, raw.size() - 2);
    } else if (raw.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
        m_isNull = true;
        if (m_op != Equal && m_op != NotEqual) {
            *error = QStringLiteral("NULL can only be compared with = or <>.");
            return false;
        }
        return true;
    } else {
        given = raw;
    }

    const ColumnData& column = store.column(m_field);
    if (m_op == Like) {
        // * and % stand for any run of characters, ? and _ for one; the rest is literal.
        QString pattern = QStringLiteral("^");
        for (const QChar c : given.toString()) {
            if (c == QLatin1Char('*') || c == QLatin1Char('%')) {
                // A run of them is one: the pattern stays small whatever was typed.
                if (!pattern.endsWith(QLatin1String(".*")))
                    pattern += QLatin1String(".*");
            } else if (c == QLatin1Char('?') || c == QLatin1Char('_')) {
                pattern += QLatin1Char('.');
            } else {
                pattern += QRegularExpression::escape(QString(c));
            }
        }
        m_pattern = QRegularExpression(pattern + QLatin1Char('$'),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
        // Too long a pattern, or a broken character in it (half of a surrogate pair).
        if (!m_pattern.isValid()) {
            *error = QStringLiteral("The pattern in the search condition \"%1\" cannot be used: %2")
                         .arg(text.left(200), m_pattern.errorString());
            return false;
        }
        return true;
    }
    QVariant value;
    if (!column.normalise(given, &value) || !value.isValid()) {
        *error = QStringLiteral("The value in the search condition \"%1\" does not suit the "
                                "field's type.")
                     .arg(text);
        return false;
    }
    switch (column.kind()) {
    case StorageKind::Int:
        m_int = value.toLongLong();
        break;
    case StorageKind::Money:
        m_int = value.value<Money>().units();
        break;
    case StorageKind::Date:
        m_int = ColumnData::packDate(value.toDateTime());
        break;
    case StorageKind::Double:
        m_double = value.toDouble();
        break;
    case StorageKind::Text:
    case StorageKind::Variant:
        m_text = value.toString();
        break;
    }
    return true;
}

bool Criteria::holds(int cmp) const {
    switch (m_op) {
    case Equal:
        return cmp == 0;
    case NotEqual:
        return cmp != 0;
    case Less:
        return cmp < 0;
    case LessEqual:
        return cmp <= 0;
    case Greater:
        return cmp > 0;
    case GreaterEqual:
        return cmp >= 0;
    case Like:
        break;
    }
    return false;
}

bool Criteria::matches(const RecordStore& store, int row) const {
    const ColumnData& column = store.column(m_field);
    const bool null =
        column.isNull(row) || (column.kind() == StorageKind::Variant && column.value(row).isNull());
    if (m_isNull)
        return (m_op == Equal) == null;
    if (null)
        return false; // a null matches no comparison
    if (m_op == Like)
        return m_pattern.match(column.value(row).toString()).hasMatch();
    switch (column.kind()) {
    case StorageKind::Int:
    case StorageKind::Money:
    case StorageKind::Date:
        return holds(order(column.intAt(row), m_int));
    case StorageKind::Double:
        return holds(order(column.doubleAt(row), m_double));
    case StorageKind::Text:
    case StorageKind::Variant:
        return holds(column.value(row).toString().compare(m_text, Qt::CaseInsensitive));
    }
    return false;
}
