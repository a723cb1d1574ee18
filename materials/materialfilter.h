#pragma once

#include <QString>
#include <QVariant>

// The last filter values applied to the materials lists (the key of the chosen manufacturer,
// supplier and category, as text; empty when that filter is not set). The Materials screen and
// the material picker share them: a filter chosen in one is the one the other remembers.
struct MaterialFilterValues {
    QString manufacturer;
    QString supplier;
    QString category;

    void clear() { *this = {}; }
};

extern MaterialFilterValues gMaterialFilter;

// The value a filter binds: a key chosen from a list as a number; text typed into a filter
// that matches no entry as it stands, so it matches no material (and is data, never SQL).
QVariant materialFilterValue(const QString& text);

// Text with LIKE's wildcards and the escape character escaped by '\', for "LIKE ? ESCAPE '\'".
QString escapeLikeWildcards(const QString& text);
