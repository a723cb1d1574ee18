#pragma once

class QCoreApplication;

// False when the command line only asks for help or for a database file to be made.
bool commandLineNeedsWindows(int argc, char** argv);

// Handles the command-line options (--help, --create-database, --generate-demo-data) or starts
// the program. Returns the process's exit status.
int runPlenwick(QCoreApplication& app);
