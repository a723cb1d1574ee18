#include "pricelist/core/mapping.h"

QString headerKey(const QString& name) {
    QString k;
    for (const QChar c : name.toCaseFolded())
        if (c.isLetterOrNumber())
            k.append(c);
    return k;
}

namespace {

// The names each role is recognised by, most telling first.
const QStringList kNames[ColumnMapping::RoleCount] = {
    {"partnumber", "partno", "partnum", "part", "sku", "itemnumber", "itemno", "item",
     "catalognumber", "catalogno", "catalog", "productcode", "code", "article", "articleno"},
    {"unitcost", "unitprice", "netprice", "yourprice", "cost", "price", "listprice", "net",
     "amount"},
    {"description", "itemdescription", "productdescription", "desc", "name", "productname",
     "product"},
    {"manufacturer", "manufacturername", "mfr", "mfg", "brand", "make", "maker"},
    {"category", "catagory", "productcategory", "group", "productgroup", "class", "type"},
};
} // namespace

bool ColumnMapping::operator==(const ColumnMapping& other) const {
    return std::equal(std::begin(columns), std::end(columns), std::begin(other.columns));
}

QString ColumnMapping::roleName(Role role) {
    static const char* const names[RoleCount] = {"Part Number", "Unit Cost", "Description",
                                                 "Manufacturer", "Category"};
    return QString::fromLatin1(names[role]);
}

ColumnMapping guessMapping(const QStringList& header) {
    ColumnMapping mapping;
    QList<bool> taken(header.size(), false);
    for (int role = 0; role < ColumnMapping::RoleCount; ++role) {
        // The first name of the role's list that some free column carries wins.
        for (const QString& name : kNames[role]) {
            int found = -1;
            for (int column = 0; column < header.size() && found < 0; ++column)
                if (!taken[column] && headerKey(header[column]) == name)
                    found = column;
            if (found >= 0) {
                mapping.columns[role] = found;
                taken[found] = true;
                break;
            }
        }
    }
    return mapping;
}
