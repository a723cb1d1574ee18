#pragma once

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

// Writes the first rows of a database just created; false with a message in *error.
using Filler = std::function<bool(Database& db, QString* error)>;

// The structure of the files this program creates, kept in the file's header (PRAGMA
// user_version). 0 is the first structure, of files made before the number was kept.
constexpr int kStructureVersion = 1;
// The structure a file says it has; -1 when it cannot be read.
int fileStructure(Database& db);
// Whether the file has the program's DatabaseInfo table.
bool isProgramFile(Database& db);

// The objects of a Plenwick file that this program did not create ("trigger Wipe", "view
// MaterialsTBL", "view rptDetail (altered)"), so that nothing a stranger put into a file runs
// when it is used: any trigger, any table, view or index under a name the program does not use,
// any of its names holding another kind of object, and any of its objects whose text is not the
// text this program creates it with. Empty for a file without the program's DatabaseInfo table
// (not a Plenwick file at all; the caller says so), and for a file of a newer structure (which
// the caller refuses as such).
QStringList foreignObjects(Database& db);

// Brings a file of the first structure to the current one: its views and indexes are made again
// from this program's text, which also does away with any other text in their place. Nothing
// is done to a file of the current structure; a read-only or locked file is left as it is
// (false).
bool upgrade(Database& db);

// Gives this connection a work table Test of its own, in its temporary space, in front of the
// file's: a file that can only be read still prints its quotes. False when it could not be made.
bool useTemporaryWorkTable(Database& db);

// Creates a new database file at path, and fills it when fill is given; refuses an existing
// file. The file is built under a temporary name beside path and appears at path only once it
// is complete: on any failure nothing is left there.
bool createFile(const QString& path, QString* error, const Filler& fill = {});

// The columns of a table that a written row must fill (a key the database assigns is never
// among them). Compared without regard to case; empty for a table without such columns.
QStringList requiredColumns(const QString& table);

// A verifier of the password for the given salt (hex SHA-256).
QString passwordVerifier(const QString& salt, const QString& password);

} // namespace Schema
