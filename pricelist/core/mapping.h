#pragma once

#include <QString>
#include <QStringList>

// Which column of a price list holds what. A column is counted from 0; -1 means none.
struct ColumnMapping {
    enum Role { PartNumber, UnitCost, Description, Manufacturer, Category, RoleCount };

    int columns[RoleCount] = {-1, -1, -1, -1, -1};

    int& operator[](Role role) { return columns[role]; }
    int operator[](Role role) const { return columns[role]; }
    // The part number and the unit cost are needed; the rest is optional.
    bool isComplete() const { return columns[PartNumber] >= 0 && columns[UnitCost] >= 0; }
    bool operator==(const ColumnMapping& other) const;

    static QString roleName(Role role); // "Part Number", "Unit Cost", ...
};

// The mapping a header row suggests: "Part #", "Part No", "SKU", "Item" for the part number,
// "Price", "Cost", "Unit Price" for the unit cost, and so on, compared without regard to case,
// blanks and punctuation. A column is given to one role at most.
ColumnMapping guessMapping(const QStringList& header);

// A header name as compared: lower case, letters and digits only ("Part #" -> "part", "Unit
// Price" -> "unitprice").
QString headerKey(const QString& name);
