#pragma once

#include <QString>

// The standard numbers of field types that callers test (GetFieldValue, the column check).
namespace FieldType {
constexpr int Empty = 0;
constexpr int SmallInt = 2;
constexpr int Integer = 3;
constexpr int Single = 4;
constexpr int Double = 5;
constexpr int Currency = 6;
constexpr int Date = 7;
constexpr int BStr = 8;
constexpr int Boolean = 11;
constexpr int Variant = 12;
constexpr int BigInt = 20;
constexpr int Binary = 128;
constexpr int VarWChar = 202;
constexpr int LongVarWChar = 203;
constexpr int LongVarBinary = 205;

// The type a column's declared SQL type stands for; Variant when nothing is declared.
int fromDeclaredType(const QString& declared);
// The declared size of a text column ("VARCHAR(50)" gives 50), else 0.
int declaredSize(const QString& declared);
} // namespace FieldType

// How a column's values are held in memory.
enum class StorageKind { Int, Double, Money, Date, Text, Variant };
StorageKind storageKindFor(int fieldType);
