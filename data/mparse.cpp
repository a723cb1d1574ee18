#include "data/mparse.h"

namespace {

// The text being scanned by GetToken() and where the next token starts (1-based). Kept in
// plain ints so that a long text is scanned to its end.
struct TokenState {
    QString text;
    qsizetype position = 1;
};

TokenState& state() {
    static TokenState s;
    return s;
}

qsizetype skipFrom(const QString& text, qsizetype start, const QString& delimiters,
                   qsizetype length) {
    for (qsizetype pos = qMax<qsizetype>(start, 1); pos <= length; ++pos) {
        if (!delimiters.contains(text.at(pos - 1)))
            return pos;
    }
    return 0;
}

qsizetype findFrom(const QString& text, qsizetype start, const QString& delimiters,
                   qsizetype length) {
    for (qsizetype pos = qMax<qsizetype>(start, 1); pos <= length; ++pos) {
        if (delimiters.contains(text.at(pos - 1)))
            return pos;
    }
    return length + 1;
}

qsizetype reachableLength(const QString& text) {
    return qMin<qsizetype>(text.size(), kMaxTokenTextLength);
}

} // namespace

QString GetToken(const QString& source, const QString& delimiters) {
    TokenState& s = state();
    if (!source.isEmpty()) {
        s.text = source;
        s.position = 1;
    }
    const qsizetype length = s.text.size();
    const qsizetype start = skipFrom(s.text, s.position, delimiters, length);
    if (start == 0) {
        s.text.clear();
        s.position = 1;
        return QString();
    }
    const qsizetype end = findFrom(s.text, start, delimiters, length);
    s.position = end;
    return s.text.mid(start - 1, end - start);
}

qint16 SkipDelimiters(const QString& text, qint16 start, const QString& delimiters) {
    return qint16(skipFrom(text, start, delimiters, reachableLength(text)));
}

qint16 FindDelimiter(const QString& text, qint16 start, const QString& delimiters) {
    return qint16(findFrom(text, start, delimiters, reachableLength(text)));
}
