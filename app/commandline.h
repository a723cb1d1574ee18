#pragma once

class QCoreApplication;
class QString;
class QTextStream;

// The command line's standard output and error, shared by every command-line mode.
QTextStream& commandOut();
QTextStream& commandErr();

// Exit statuses of the command line: a failure of what was asked, and a command line that could
// not be understood (the usage is printed).
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// True when the command line starts the program's window: it holds nothing but Qt's own window
// options (-platform, -style, ...). Any other argument asks for a command-line mode, which runs
// without a display, or is a mistake that is reported without one.
bool commandLineNeedsWindows(int argc, char** argv);

// True when the command line asks for a quote to be written (--export-quote): that draws text
// and pictures, which needs the graphical side of Qt, though no display.
bool commandLineExportsQuote(int argc, char** argv);

// False when the window could not be shown for want of a display (no DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM nor -platform on X11 and Wayland systems), after saying so on stderr.
bool displayAvailable(int argc, char** argv);

// On the first run the settings name no database and the default one does not exist yet: it is
// made, empty, at path, so that the program starts on it. A database the settings name is never
// made here, even when it is missing: start-up reports it. False, with the reason in error, only
// when the file was to be made and could not be.
bool createDatabaseOnFirstRun(const QString& path, QString* error);

// Handles the command-line options (--help, --version, --create-database, --generate-demo-data,
// --export-quote)
// or starts the program. Returns the process's exit status.
int runPlenwick(QCoreApplication& app);
