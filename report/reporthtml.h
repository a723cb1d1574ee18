#pragma once

#include "report/reportlayout.h"

#include <QByteArray>

// The report as one self-contained HTML page (UTF-8, the logo embedded): each sheet a box of the
// paper's size holding the same texts at the same places, in the same order, as the printed
// pages, so a browser shows and prints it alike. Every text is escaped; the page is also
// well-formed XML.
QByteArray reportHtml(const ReportLayout& layout);

// Writes reportHtml() to path, replacing the file only once it is complete. False with the
// reason in error.
bool writeReportHtml(const ReportLayout& layout, const QString& path, QString* error);
