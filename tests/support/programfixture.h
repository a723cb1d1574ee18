#pragma once

#include "app/startup.h"
#include "support/isolatedsettings.h"
#include "support/testdatabase.h"

// The program-wide objects a main window needs, over a fresh settings store and database: the
// store names the database, and load() opens it as start-up does.
struct Program {
    IsolatedSettings store;
    TestDatabase db;
    ProgramObjects objects;

    Program();
    bool load();
};
