#pragma once

#include <QString>

class Connection;

// Opens the database at path (an empty path means the default database, defaultDatabasePath();
// the caller's path is changed to it) and checks its structure. Sets gConnectionString on every
// call. Reports failures itself and returns false, leaving the connection closed.
bool OpenConnection(QString& path, Connection& connection);

// Tries the database at path on the trial connection as OpenConnection() does, with the same
// messages, and closes it again. The connection string the program uses (gConnectionString) is
// left alone: trying a file changes nothing the running program reads.
bool TryOpenConnection(QString& path, Connection& trial);

// True when the categories table can be read through the connection.
bool CheckDatabaseStructure(Connection& connection);

// Where the database lives when the settings name none: "Estimating.mdb" beside the program when
// the program's folder is a folder of its own that the user can write; otherwise in the user's
// data folder (QStandardPaths::AppDataLocation of organisation "Dorvane", application "PX"),
// which is created when missing. A build folder (it holds CMakeCache.txt) and a shared folder of
// programs (one named "bin", as where the program is installed) are never the program's own: a
// clean build would delete the user's estimates, and installed programs keep no data there.
QString defaultDatabasePath();

// The same for a program in programFolder.
QString defaultDatabasePath(const QString& programFolder);

// The user's data folder of the program, as above; not created here.
QString userDataFolder();
