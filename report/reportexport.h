#pragma once

#include "report/reportlayout.h"

#include <QList>
#include <optional>

// A way the preview offers to save the quote.
struct ExportFormat {
    enum Type { Html, Pdf };
    QString key;
    Type type;
    QString description; // the file dialog's filter, "HTML file (*.htm)"
    QString pattern;     // "*.htm"
};

// The export formats the preview offers: HTML first, then PDF.
QList<ExportFormat> quoteExportFormats();
// The format a file's extension asks for (".htm", ".html", ".pdf", in any case), or none.
std::optional<ExportFormat> exportFormatFor(const QString& path);

// Writes the report in the format the path's extension names. False with the reason in error
// (an extension of no format, a file that cannot be written); a file that was there is then
// left as it was.
bool exportReport(const ReportLayout& layout, const QString& path, QString* error);
