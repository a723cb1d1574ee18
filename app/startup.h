#pragma once

class QApplication;

// The program's start: opens the database and shows the main window; returns the exit status
// (non-zero when the database could not be opened).
int SubMain(QApplication& app);
