#include "data/fieldtype.h"

#include <QRegularExpression>

namespace FieldType {

int fromDeclaredType(const QString& declared) {
    const QString t = declared.trimmed().toUpper();
    if (t.isEmpty())
        return Variant;
    if (t.contains(QLatin1String("CURRENCY")) || t.contains(QLatin1String("MONEY")))
        return Currency;
    if (t.startsWith(QLatin1String("BOOL")) || t == QLatin1String("BIT") ||
        t == QLatin1String("YESNO"))
        return Boolean;
    if (t == QLatin1String("SMALLINT") || t == QLatin1String("TINYINT"))
        return SmallInt;
    if (t == QLatin1String("BIGINT"))
        return BigInt;
    if (t.contains(QLatin1String("INT")) || t == QLatin1String("LONG") ||
        t == QLatin1String("COUNTER"))
        return Integer;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return Date;
    if (t == QLatin1String("MEMO") || t == QLatin1String("TEXT") ||
        t.contains(QLatin1String("CLOB")))
        return LongVarWChar;
    if (t.contains(QLatin1String("CHAR")) || t.startsWith(QLatin1String("TEXT")))
        return VarWChar;
    if (t.contains(QLatin1String("BLOB")) || t.contains(QLatin1String("BINARY")))
        return LongVarBinary;
    if (t == QLatin1String("SINGLE") || t == QLatin1String("FLOAT4"))
        return Single;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("DOUB")) ||
        t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("NUMERIC")) ||
        t.contains(QLatin1String("DECIMAL")))
        return Double;
    return Variant;
}

int declaredSize(const QString& declared) {
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const auto m = size.match(declared);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

} // namespace FieldType

StorageKind storageKindFor(int fieldType) {
    switch (fieldType) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::BigInt:
    case FieldType::Boolean:
        return StorageKind::Int;
    case FieldType::Single:
    case FieldType::Double:
        return StorageKind::Double;
    case FieldType::Currency:
        return StorageKind::Money;
    case FieldType::Date:
        return StorageKind::Date;
    case FieldType::BStr:
    case FieldType::VarWChar:
    case FieldType::LongVarWChar:
        return StorageKind::Text;
    default:
        return StorageKind::Variant;
    }
}
