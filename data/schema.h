#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class Database;

namespace Schema {

// The password every connection string of the program carries. A database the program creates
// stores a salted verifier of it, never the password itself.
QString databasePassword();

// Creates every table, view, index and seed row of an empty database, and stores the password
// verifier. The database must be open and empty. Returns false with a message in *error.
bool create(Database& db, QString* error);

// Creates the indexes a database file made by an earlier version lacks. A file that cannot take
// them (read-only, locked) is left as it is: nothing is reported.
void addMissingIndexes(Database& db);
// Whether the file lacks one of those indexes, so that opening it writes.
bool missesIndexes(Database& db);

// Writes the first rows of a database just created; false with a message in *error.
using Filler = std::function<bool(Database& db, QString* error)>;

// The structure of the files this program creates, kept in the file's header (PRAGMA
// user_version), and on a server in DatabaseInfo's row "Structure". 0 is the first structure, of
// files made before the number was kept; 2 is the first whose views total whole cents; 3 adds
// customers and each estimate's job, validity and terms.
constexpr int kStructureVersion = 3;
// The structure a file says it has; -1 when it cannot be read.
int fileStructure(Database& db);
// Whether the file has the program's DatabaseInfo table.
bool isProgramFile(Database& db);

// The objects of a Plenwick file that this program did not create ("trigger Wipe", "view
// MaterialsTBL", "view rptDetail (altered)"), so that nothing a stranger put into a file runs
// when it is used: any trigger, any table, view or index under a name the program does not use,
// any of its names holding another kind of object, and any of its objects whose text is not the
// text this program creates it with for the file's structure. A file of the first structure has
// its tables checked only: its views and indexes are made again by upgrade(). Empty for a file
// without the program's DatabaseInfo table (not a Plenwick file at all; the caller says so),
// and for a file of a newer structure (which the caller refuses as such).
QStringList foreignObjects(Database& db);

// Whether the file is of an earlier structure than the current one.
bool needsUpgrade(Database& db);
// Brings a file of an earlier structure to the current one, one numbered step after the other,
// each in a transaction of its own that also stamps the step's number: a step that fails leaves
// the file whole at the structure before it. True when the file is of the current structure
// afterwards; a read-only or locked file is left as it is (false, at once).
bool upgrade(Database& db);
// For a file that could not be upgraded: its views and indexes that do not carry the text of
// the file's own structure (a file of the first structure is held to the texts of the second).
QStringList objectsNotAsMade(Database& db);
// For a file that could not be upgraded: the current views as temporary views of this
// connection, which stand in front of the file's own, so that its totals follow the current
// rule without a write to the file. A file from before customers also gets an empty customer
// list and the later columns of its estimates and company row as empty values, for reading.
bool useCurrentViews(Database& db);

// Gives this connection a work table Test of its own, in its temporary space, in front of the
// file's: a file that can only be read still prints its quotes. False when it could not be made.
bool useTemporaryWorkTable(Database& db);

// Creates a new database file at path, and fills it when fill is given; refuses an existing
// file. The file is built under a temporary name beside path and appears at path only once it
// is complete: on any failure nothing is left there.
bool createFile(const QString& path, QString* error, const Filler& fill = {});

// Makes the program's tables, views and first rows in an empty database on a server (a
// "postgresql://" address), and fills it when fill is given, all in one transaction; refuses a
// database that already holds tables. False with a message in *error.
bool createOnServer(const QString& address, QString* error, const Filler& fill = {});

// A column's type as the program's table texts declare it ("VARCHAR(50)", "CURRENCY"), or an
// empty text for a column the program does not make. A server, which keeps no such text, is
// described in these terms.
QString declaredType(const QString& table, const QString& column);

// Every name the program's tables, views and indexes use, by its lower-case form, as the program
// spells it.
QHash<QByteArray, QString> nameSpellings();

// The columns of a table that a written row must fill (a key the database assigns is never
// among them). Compared without regard to case; empty for a table without such columns.
QStringList requiredColumns(const QString& table);

// A verifier of the password for the given salt (hex SHA-256).
QString passwordVerifier(const QString& salt, const QString& password);

} // namespace Schema
