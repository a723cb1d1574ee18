#pragma once

#include <QString>

// The command-line modes that work on the program's database without a window. Each opens the
// database named (or the one the settings name, or the default), says on stderr what went wrong,
// and returns the process's exit status.

// Writes the quote of the estimate with this reference number as HTML or PDF.
int exportQuoteCommand(const QString& reference, const QString& output, const QString& database);

struct PriceListCommand {
    QString file;
    QString supplier;
    QString database;
    QString report; // where to write the change report (CSV), or empty
    bool dryRun = false;
    bool addNew = false;
};

// Imports a supplier's price list: prints the preview's counts and the refused rows, and applies
// the rest unless it is a dry run. 0 when every row was taken, 1 when rows were refused or left
// out, or the list could not be read or applied.
int importPriceListCommand(const PriceListCommand& command);
