#include "materials/pricelistmapping.h"

#include "settings/registry.h"

namespace {
// Header names as compared: lower case, letters and digits only ("Part #" -> "part", "Unit
// Price" -> "unitprice").
QString key(const QString& name) {
    QString k;
    for (const QChar c : name.toCaseFolded())
        if (c.isLetterOrNumber())
            k.append(c);
    return k;
}

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

const QString kPriceListsKey = QStringLiteral("Dorvane\\PX\\PriceLists");
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
                if (!taken[column] && key(header[column]) == name)
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

ColumnMapping rememberedMapping(const QString& supplier, const QStringList& header) {
    ColumnMapping mapping = guessMapping(header);
    if (supplier.trimmed().isEmpty())
        return mapping;
    const QString group = kPriceListsKey + u'\\' + key(supplier);
    for (int role = 0; role < ColumnMapping::RoleCount; ++role) {
        QString name;
        if (!ReadRegString(group, ColumnMapping::roleName(ColumnMapping::Role(role)), name))
            continue;
        if (name.isEmpty()) {
            mapping.columns[role] = -1;
            continue;
        }
        const int column = int(header.indexOf(name));
        if (column >= 0)
            mapping.columns[role] = column;
    }
    return mapping;
}

void rememberMapping(const QString& supplier, const QStringList& header,
                     const ColumnMapping& mapping) {
    if (supplier.trimmed().isEmpty())
        return;
    const QString group = kPriceListsKey + u'\\' + key(supplier);
    for (int role = 0; role < ColumnMapping::RoleCount; ++role) {
        const int column = mapping.columns[role];
        WriteRegString(group, ColumnMapping::roleName(ColumnMapping::Role(role)),
                       column >= 0 && column < header.size() ? header[column] : QString());
    }
}
