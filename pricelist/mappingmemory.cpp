#include "pricelist/mappingmemory.h"

#include "settings/registry.h"

namespace {
const QString kPriceListsKey = QStringLiteral("Dorvane\\PX\\PriceLists");
} // namespace

ColumnMapping rememberedMapping(const QString& supplier, const QStringList& header) {
    ColumnMapping mapping = guessMapping(header);
    if (supplier.trimmed().isEmpty())
        return mapping;
    const QString group = kPriceListsKey + u'\\' + headerKey(supplier);
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
    const QString group = kPriceListsKey + u'\\' + headerKey(supplier);
    for (int role = 0; role < ColumnMapping::RoleCount; ++role) {
        const int column = mapping.columns[role];
        WriteRegString(group, ColumnMapping::roleName(ColumnMapping::Role(role)),
                       column >= 0 && column < header.size() ? header[column] : QString());
    }
}
