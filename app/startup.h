#pragma once

#include "data/connection.h"
#include "settings/settingsstore.h"

#include <functional>

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

// Asks for a database file: an existing one to open, or (create) where to make a new one. An
// empty text when the user cancels. Tests install their own in place of the file dialog.
using DatabaseFileChooser = std::function<QString(bool create)>;
DatabaseFileChooser setDatabaseFileChooser(DatabaseFileChooser chooser);

// When the database named in the settings cannot be opened, after its messages: offers to open
// another file, create a new one, or quit, until one opens; the choice is saved as "DBPath".
// False when the user quits.
bool ChooseAnotherDatabase();

// The program's start: creates the settings and the connections, loads the settings (which
// opens the database) and, only when a database is open, shows the main window. Returns the
// exit status: non-zero when no database could be opened and the user quit.
int SubMain(QApplication& app);
