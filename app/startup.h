#pragma once

#include "data/connection.h"
#include "settings/settingsstore.h"

class QApplication;

// The settings object and the two connections every part of the program reaches through
// gSettings, gConnection and gTestConnection, for as long as this lives.
struct ProgramObjects {
    ProgramObjects();
    ~ProgramObjects();
    ProgramObjects(const ProgramObjects&) = delete;
    ProgramObjects& operator=(const ProgramObjects&) = delete;

    clsSettings settings;
    Connection connection;
    Connection trial;
};

// The program's start: creates the settings and the connections, loads the settings (which
// opens the database) and, only when the database is open, shows the main window. Returns the
// exit status: non-zero when the database could not be opened.
int SubMain(QApplication& app);
