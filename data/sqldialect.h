#pragma once

#include <QHash>
#include <QString>

// The program writes its SQL once, in the file engine's dialect; a database server is given the
// same statements rewritten into its own. Only what the two engines spell differently is
// changed, so a statement means the same on both:
//   ? marks become $1, $2, ...; [bracketed names] become "quoted" ones;
//   IFNULL becomes COALESCE; LIKE, which folds ASCII case in the file, becomes ILIKE;
//   ROUND works on exact numbers (halves away from zero, as in the file);
//   TRIM takes any value as text; "x IS ?" becomes IS NOT DISTINCT FROM; the file's own
//   database "main." is the current schema, and its rowid the server's ctid; table definitions get
//   the server's types (exact NUMERIC amounts, identity keys, timestamps).
// Unquoted names fold to lower case on the server: a quoted plain name is folded the same way, so
// that "MaterialsID" and MaterialsID name the same column on both.
namespace SqlDialect {

// Whether a database path names a server ("postgresql://host/db" or "postgres://...") rather
// than a file.
bool isServerAddress(const QString& path);

// The statement in the server's dialect. markCount receives the number of ? marks.
QString forServer(const QString& sql, int* markCount = nullptr);

// Every name written in the statement, by its lower-case form: the server reports names in
// lower case, and the program expects them as it spells them.
void collectNames(const QString& sql, QHash<QByteArray, QString>* names);

// The type a file's column declaration stands for, from the server's description of a column
// (format_type's text, "numeric(19,4)"): "CURRENCY", "DOUBLE", "DATETIME", "VARCHAR(50)",
// "INTEGER"; empty for one the program does not declare.
QString fileTypeOf(const QString& serverType);

// The server's address without its password, fit to be shown.
QString shownAddress(const QString& address);

} // namespace SqlDialect
