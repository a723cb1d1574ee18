#pragma once

#include "data/dberror.h"

class QWidget;

// Prints the quote of the stored estimate with this key: fills the work table, reads the
// estimate and its lines, lays the quote out and shows it in the preview window, modally, until
// the user closes it. A failure is reported in a box titled "PrintQuote"; the statements already
// run stay done.
void showQuotePreview(int estimateId, QWidget* parent);
// Saves the same quote as a file without showing it: the export's file dialog, as the preview's
// Export command shows it.
void exportQuote(int estimateId, QWidget* parent);

// The box a failure of printing shows: number, description, help file, source and help context,
// each separated by " - ".
QString printQuoteErrorText(const DbError& error);
