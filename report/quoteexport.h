#pragma once

#include "report/reportexport.h"

class QWidget;

// Saving a quote as a file, from the preview or from File > Export Estimate: the file dialog
// proposes a folder that exists and a name made from the estimate, in the type chosen last.

// The folder an export starts in: the one exported to last while it still exists, else the
// user's documents folder when it exists, else the home folder.
QString quoteExportFolder();

// The quote's file name without its extension: "Estimate 1002 - Harbor Electric", or
// "Estimate 1002" without a customer. Characters a file name cannot hold become "-".
QString quoteFileBaseName(const QString& reference, const QString& customer);

// Asks where to save the quote and writes it there. A write that fails is reported ("75 - ...")
// and the dialog opens again on the name chosen, until the quote is written or the user
// cancels. The folder and the type are remembered for the next export. False when cancelled.
bool exportQuoteAs(const ReportLayout& layout, const QList<ExportFormat>& formats,
                   const QString& baseName, QWidget* parent);
