#pragma once

#include <QString>

class DataControl;

// A list a material refers to by key: the read-only data control over the list's table, the
// field a combo shows and the key it stands for.
struct MaterialLookup {
    DataControl* rowSource = nullptr;
    QString listField;
    QString key;
};

// The suppliers, manufacturers and categories lists. The record panel sets them up and stores
// a choice from them into the material; the list's filters choose from the same lists.
struct MaterialLookups {
    MaterialLookup supplier;
    MaterialLookup manufacturer;
    MaterialLookup category;
};
