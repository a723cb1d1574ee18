#pragma once

#include <QString>

class Connection;

// Opens the database at path (an empty path means "Estimating.mdb" beside the program; the
// caller's path is changed to it) and checks its structure. Sets gConnectionString on every
// call. Reports failures itself and returns false, leaving the connection closed.
bool OpenConnection(QString& path, Connection& connection);

// True when the categories table can be read through the connection.
bool CheckDatabaseStructure(Connection& connection);

// "Estimating.mdb" in the program's folder.
QString defaultDatabasePath();
