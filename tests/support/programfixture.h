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

// The same over a generated catalogue of the given number of materials (12 manufacturers, 9
// suppliers, 15 categories, a few estimates) instead of the empty file.
struct GeneratedProgram : Program {
    explicit GeneratedProgram(int materials);
};
