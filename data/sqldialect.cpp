#include "data/sqldialect.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool isPlainName(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch();
}

// The end of the quoted part that starts at i (a string, or a name in double quotes or
// brackets): the index just past its closing character.
qsizetype quotedEnd(const QString& s, qsizetype i) {
    const QChar open = s.at(i);
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    qsizetype j = i + 1;
    while (j < s.size()) {
        if (s.at(j) == close) {
            // A doubled quote inside a string or a quoted name stands for one.
            if (close != QLatin1Char(']') && j + 1 < s.size() && s.at(j + 1) == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return j;
}

bool startsTableDefinition(const QString& sql) {
    static const QRegularExpression definition(
        QStringLiteral("^\\s*(CREATE\\s+(TEMP\\s+|TEMPORARY\\s+)?TABLE|ALTER\\s+TABLE)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return definition.match(sql).hasMatch();
}

// The words whose server spelling differs, in any statement and in table definitions only.
QString serverWord(const QString& word, const QString& previousWord, bool definition) {
    const QString upper = word.toUpper();
    if (upper == QLatin1String("IFNULL"))
        return QStringLiteral("COALESCE");
    if (upper == QLatin1String("LIKE"))
        return QStringLiteral("ILIKE");
    // A row's own number in the file; the server's row address serves the same turn (the first
    // row of a table: MIN(rowid)).
    if (upper == QLatin1String("ROWID"))
        return QStringLiteral("ctid");
    // A file's integers are 64 bits wide; a cast keeps them so.
    if (upper == QLatin1String("INTEGER") && previousWord.toUpper() == QLatin1String("AS"))
        return QStringLiteral("BIGINT");
    if (!definition)
        return word;
    if (upper == QLatin1String("CURRENCY"))
        return QStringLiteral("NUMERIC(19,4)");
    if (upper == QLatin1String("DOUBLE"))
        return QStringLiteral("DOUBLE PRECISION");
    if (upper == QLatin1String("DATETIME"))
        return QStringLiteral("TIMESTAMP(3)");
    // A file keeps a text longer than its declared size; so does the server's VARCHAR without
    // one (the declared size stays the program's, for its boxes).
    if (upper == QLatin1String("VARCHAR"))
        return QStringLiteral("VARCHAR");
    return word;
}

// Rewrites every call of the function name (outside quotes) with rewrite(arguments), its
// arguments already rewritten themselves.
QString rewriteCalls(const QString& s, const QString& name,
                     const std::function<QString(const QStringList&)>& rewrite) {
    QString out;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = quotedEnd(s, i);
            out += s.mid(i, end - i);
            i = end;
            continue;
        }
        if (!isWordStart(c)) {
            out += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < s.size() && isWordChar(s.at(end)))
            ++end;
        const QString word = s.mid(i, end - i);
        qsizetype open = end;
        while (open < s.size() && s.at(open).isSpace())
            ++open;
        if (word.compare(name, Qt::CaseInsensitive) != 0 || open >= s.size() ||
            s.at(open) != QLatin1Char('(')) {
            out += word;
            i = end;
            continue;
        }
        // The arguments, split at the commas outside parentheses and quotes.
        QStringList arguments;
        qsizetype start = open + 1;
        qsizetype j = open + 1;
        int depth = 0;
        for (; j < s.size(); ++j) {
            const QChar d = s.at(j);
            if (d == QLatin1Char('\'') || d == QLatin1Char('"')) {
                j = quotedEnd(s, j) - 1;
            } else if (d == QLatin1Char('(')) {
                ++depth;
            } else if (d == QLatin1Char(')')) {
                if (depth-- == 0)
                    break;
            } else if (d == QLatin1Char(',') && depth == 0) {
                arguments << rewriteCalls(s.mid(start, j - start), name, rewrite);
                start = j + 1;
            }
        }
        if (j >= s.size()) { // unbalanced: left for the server to refuse
            out += s.mid(i);
            break;
        }
        arguments << rewriteCalls(s.mid(start, j - start), name, rewrite);
        out += rewrite(arguments);
        i = j + 1;
    }
    return out;
}

} // namespace

namespace SqlDialect {

bool isServerAddress(const QString& path) {
    return path.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           path.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString forServer(const QString& sql, int* markCount) {
    const bool definition = startsTableDefinition(sql);
    QString text = sql;
    if (definition) {
        // A file numbers an INTEGER PRIMARY KEY itself, with or without AUTOINCREMENT.
        static const QRegularExpression identity(
            QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY(\\s+AUTOINCREMENT)?\\b"),
            QRegularExpression::CaseInsensitiveOption);
        text.replace(identity,
                     QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    }
    QString out;
    out.reserve(text.size() + 16);
    int marks = 0;
    QString previousWord;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = quotedEnd(text, i);
            out += text.mid(i, end - i);
            i = end;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const qsizetype end = quotedEnd(text, i);
            const QString name = text.mid(i + 1, end - i - 2);
            out +=
                QLatin1Char('"') + (isPlainName(name) ? name.toLower() : name) + QLatin1Char('"');
            previousWord.clear();
            i = end;
        } else if (c == QLatin1Char('-') && i + 1 < text.size() &&
                   text.at(i + 1) == QLatin1Char('-')) {
            qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? text.size() : end;
            out += text.mid(i, end - i);
            i = end;
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++marks);
            ++i;
        } else if (isWordStart(c)) {
            qsizetype end = i;
            while (end < text.size() && isWordChar(text.at(end)))
                ++end;
            const QString word = text.mid(i, end - i);
            const QString upper = word.toUpper();
            // The file's own database, "main.", is the server's current schema.
            if (upper == QLatin1String("MAIN") && end < text.size() &&
                text.at(end) == QLatin1Char('.')) {
                i = end + 1;
                continue;
            }
            // "x IS ?" compares with a value that may be null; the server spells it out.
            if (upper == QLatin1String("IS")) {
                static const QRegularExpression isValue(QStringLiteral("^\\s+(NOT\\s+)?\\?"),
                                                        QRegularExpression::CaseInsensitiveOption);
                const QRegularExpressionMatch m =
                    isValue.match(text.mid(end), 0, QRegularExpression::NormalMatch);
                if (m.hasMatch()) {
                    out += m.capturedLength(1) > 0 ? QStringLiteral("IS DISTINCT FROM ")
                                                   : QStringLiteral("IS NOT DISTINCT FROM ");
                    out += QLatin1Char('$') + QString::number(++marks);
                    previousWord.clear();
                    i = end + m.capturedLength(0);
                    continue;
                }
            }
            out += serverWord(word, previousWord, definition);
            previousWord = word;
            i = end;
            if (definition && upper == QLatin1String("VARCHAR")) {
                static const QRegularExpression size(QStringLiteral("^\\s*\\(\\s*\\d+\\s*\\)"));
                i += size.match(text.mid(end)).capturedLength(0);
            }
        } else {
            out += c;
            if (!c.isSpace())
                previousWord.clear();
            ++i;
        }
    }
    // Exact rounding: the file rounds halves away from zero, as NUMERIC does and a double on
    // the server may not; and ROUND(value, places) exists for NUMERIC only.
    out = rewriteCalls(out, QStringLiteral("ROUND"), [](const QStringList& args) {
        QString call = QStringLiteral("ROUND(CAST(%1 AS NUMERIC)").arg(args.value(0));
        for (qsizetype k = 1; k < args.size(); ++k)
            call += QLatin1Char(',') + args.at(k);
        return call + QLatin1Char(')');
    });
    // The file trims any value as text (a number too); the server trims texts only.
    out = rewriteCalls(out, QStringLiteral("TRIM"), [](const QStringList& args) {
        return args.size() == 1 ? QStringLiteral("TRIM(CAST(%1 AS TEXT))").arg(args.first())
                                : QStringLiteral("TRIM(%1)").arg(args.join(QLatin1Char(',')));
    });
    if (markCount)
        *markCount = marks;
    return out;
}

void collectNames(const QString& sql, QHash<QByteArray, QString>* names) {
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            i = quotedEnd(sql, i);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const qsizetype end = quotedEnd(sql, i);
            const QString name = sql.mid(i + 1, end - i - 2);
            if (isPlainName(name))
                names->insert(name.toLower().toUtf8(), name);
            i = end;
        } else if (isWordStart(c)) {
            qsizetype end = i;
            while (end < sql.size() && isWordChar(sql.at(end)))
                ++end;
            const QString word = sql.mid(i, end - i);
            const QByteArray key = word.toLower().toUtf8();
            // The first spelling stands; a later one in another case is the same name.
            if (!names->contains(key))
                names->insert(key, word);
            i = end;
        } else {
            ++i;
        }
    }
}

QString fileTypeOf(const QString& serverType) {
    const QString type = serverType.toLower();
    if (type == QLatin1String("numeric(19,4)"))
        return QStringLiteral("CURRENCY");
    if (type == QLatin1String("double precision"))
        return QStringLiteral("DOUBLE");
    if (type.startsWith(QLatin1String("timestamp")))
        return QStringLiteral("DATETIME");
    if (type == QLatin1String("integer") || type == QLatin1String("bigint"))
        return QStringLiteral("INTEGER");
    static const QRegularExpression varchar(QStringLiteral("^character varying\\((\\d+)\\)$"));
    if (const QRegularExpressionMatch m = varchar.match(type); m.hasMatch())
        return QStringLiteral("VARCHAR(%1)").arg(m.captured(1));
    return {};
}

QString shownAddress(const QString& address) {
    QUrl url(address);
    if (!url.isValid())
        return address;
    url.setPassword(QString());
    return url.toString();
}

} // namespace SqlDialect
