#pragma once

#include <QString>

// The last filter values applied to the materials lists (the key of the chosen manufacturer,
// supplier and category, as text; empty when that filter is not set). The Materials screen and
// the material picker share them.
struct MaterialFilterValues {
    QString manufacturer;
    QString supplier;
    QString category;

    void clear() { *this = {}; }
};

extern MaterialFilterValues gMaterialFilter;
