#include "report/reportexport.h"

#include "report/reporthtml.h"
#include "report/reportpainter.h"

#include <QDir>
#include <QFileInfo>

QList<ExportFormat> quoteExportFormats() {
    return {{QStringLiteral("ExportEstimate"), ExportFormat::Html,
             QStringLiteral("HTML file (*.htm)"), QStringLiteral("*.htm")},
            {QStringLiteral("ExportEstimatePdf"), ExportFormat::Pdf,
             QStringLiteral("PDF file (*.pdf)"), QStringLiteral("*.pdf")}};
}

std::optional<ExportFormat> exportFormatFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const ExportFormat& format : quoteExportFormats()) {
        const bool html = format.type == ExportFormat::Html;
        if ((html && (suffix == u"htm" || suffix == u"html")) || (!html && suffix == u"pdf"))
            return format;
    }
    return std::nullopt;
}

bool exportReport(const ReportLayout& layout, const QString& path, QString* error) {
    const std::optional<ExportFormat> format = exportFormatFor(path);
    if (!format) {
        *error = QStringLiteral("\"%1\" does not end in .htm, .html or .pdf: a quote is saved as "
                                "an HTML page or a PDF document.")
                     .arg(QFileInfo(path).fileName());
        return false;
    }
    QString reason;
    const bool written = format->type == ExportFormat::Html ? writeReportHtml(layout, path, &reason)
                                                            : writeReportPdf(layout, path, &reason);
    if (!written)
        *error = QStringLiteral("\"%1\" could not be written: %2")
                     .arg(QDir::toNativeSeparators(path), reason);
    return written;
}
