#pragma once

// What the program stored, read back for a comparison: each row of a query as its values' text
// joined by '|'. The query ends before the function returns, so the program may write again.
#include "support/testdatabase.h"
#include "support/testquery.h"

#include <QStringList>

inline QStringList rowsOf(Database& database, const QString& sql, const QVariantList& values = {}) {
    TestQuery q(database);
    q.prepare(sql);
    for (const QVariant& value : values)
        q.addBindValue(value);
    QStringList rows;
    for (q.exec(); q.next();) {
        QStringList row;
        for (int column = 0; column < q.columnCount(); ++column)
            row << q.value(column).toString();
        rows << row.join(QLatin1Char('|'));
    }
    return rows;
}

inline QStringList rowsOf(TestDatabase& db, const QString& sql, const QVariantList& values = {}) {
    return rowsOf(db.connection().database(), sql, values);
}
