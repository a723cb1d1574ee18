#pragma once

#include "data/dberror.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class Connection;
class QTableView;
class QWidget;
class RecordSet;

// A field's value, or when it is null: the default when one is given, else the empty value of
// the field's type (0 for numbers, the empty text, false, the date of serial 0). A field that
// does not exist is reported ("modMain / GetFieldValue") and gives an invalid value.
QVariant GetFieldValue(const RecordSet& recordSet, int field,
                       const std::optional<QVariant>& defaultValue = std::nullopt);
QVariant GetFieldValue(const RecordSet& recordSet, const QString& field,
                       const std::optional<QVariant>& defaultValue = std::nullopt);

// Starts from initial and ands in, for each of the first count names, whether the control of
// that name under window shows a non-empty text. A name with no control leaves it unchanged.
bool IsValidate(bool initial, const QStringList& controlNames, int count, const QWidget* window);

// Makes the grid row of the record whose first field holds value current (searching a clone of
// the grid's record set, so the set itself does not move). An optional marker widget is moved
// beside the row.
void SelectGridRowByValue(QTableView* grid, QWidget* marker, const QVariant& value);
// Makes the 1-based data row current, scrolling only when it is out of view. Rows outside the
// grid are ignored.
void SelectGridRowByRowNum(QTableView* grid, QWidget* marker, int rowNumber);

// Whether value suits the column's type, with the type's name ("Numeric", "Date/Time",
// "String", "Boolean") and the column's display name (its description's first part, else its
// name) handed back for the message.
bool ValidateFieldValue(const QString& table, const QString& column, const QVariant& value,
                        QString& typeName, QString& displayName, Connection& connection);

// Reports a failed write: the connection's first provider error when there is one (a row still
// referenced elsewhere gets its own plain message, titled with the program's name), else the
// error itself.
void ShowDatabaseError(const Connection* connection, const DbError& error, const QString& title);
