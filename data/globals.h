#pragma once

#include <QString>

class Connection;

// Program-wide values shared by the screens. Start-up creates the connections.
extern Connection* gConnection;     // the connection all data of the running program flow through
extern Connection* gTestConnection; // used only to try another database file before accepting it
extern QString gConnectionString;   // the connection string OpenConnection built last
extern int gCurrentEstimateID;      // key of the estimate being edited
