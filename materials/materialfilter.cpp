#include "materials/materialfilter.h"

MaterialFilterValues gMaterialFilter;

QVariant materialFilterValue(const QString& text) {
    bool whole = false;
    const qint64 key = text.toLongLong(&whole);
    return whole ? QVariant(key) : QVariant(text);
}

QString escapeLikeWildcards(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}
