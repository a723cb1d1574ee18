#pragma once

#include <QRegularExpression>
#include <QString>

class RecordStore;

// A search condition of the form  field op value, as record-set searches take it:
// "MaterialsID=12", "[Part #] = 'AB-1'", "Company LIKE 'Ac*'", "UpdatedLast < #2026-01-31#".
// Text compares without regard to letter case.
class Criteria {
public:
    enum Op { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Like };

    // False when the text is not a condition, names no field of the store, or gives a value
    // the field cannot hold.
    bool parse(const QString& text, const RecordStore& store, QString* error);
    bool matches(const RecordStore& store, int storageRow) const;

private:
    bool holds(int order) const;

    int m_field = -1;
    Op m_op = Equal;
    bool m_isNull = false; // "field = NULL"
    qint64 m_int = 0;      // whole numbers, currency units, packed dates
    double m_double = 0;
    QString m_text;
    QRegularExpression m_pattern;
};
