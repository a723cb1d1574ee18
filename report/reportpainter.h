#pragma once

#include "report/reportlayout.h"

class QPagedPaintDevice;
class QPainter;
class QString;

// Draws one page; the painter's coordinates are twips from the paper's top left corner.
void paintReportPage(QPainter& painter, const ReportLayout& layout, int page);

// Draws pages first to last (1-based, 0 for all) on a printer or PDF writer, one sheet each,
// at the device's resolution. False when the device could not be painted on.
bool paintReport(QPagedPaintDevice& device, const ReportLayout& layout, int first = 0,
                 int last = 0);

// Writes the report as a PDF file with its fonts embedded. The file is replaced only once it is
// complete. False with the reason in error.
bool writeReportPdf(const ReportLayout& layout, const QString& path, QString* error);
