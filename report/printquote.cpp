#include "report/printquote.h"

#include "data/connection.h"
#include "data/globals.h"
#include "report/datareport.h"
#include "report/quoteexport.h"
#include "report/quotepreview.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"

#include <QDir>
#include <QSet>
#include <optional>

namespace {
// Told once per picture while the program runs, not at every print.
void warnLogoOnce(const QString& path) {
    static QSet<QString> told;
    if (told.contains(path))
        return;
    told.insert(path);
    showMessage(QStringLiteral("The logo picture \"%1\" could not be loaded, so the quote is "
                               "printed without it.\n\nChoose another picture under Edit > "
                               "Preferences.")
                    .arg(QDir::toNativeSeparators(path)),
                QMessageBox::Ok, QMessageBox::Warning, QStringLiteral("Print Estimate"));
}

// An estimate's quote laid out, with the ways it can be saved and the name of its file.
struct LaidOutQuote {
    ReportLayout layout;
    QList<ExportFormat> formats;
    QString baseName;
};

// Fills the work table, reads the estimate and lays its quote out; a failure is reported.
std::optional<LaidOutQuote> layOutQuote(int estimateId) {
    auto fail = [](const DbError& error) {
        showMessage(printQuoteErrorText(error), QMessageBox::Ok, QMessageBox::Critical,
                    QStringLiteral("PrintQuote"));
        return std::nullopt;
    };
    if (!gConnection || !gConnection->isOpen())
        return fail(
            {ErrorNumber::kOperationNotAllowed, QStringLiteral("The database is not open.")});
    DataEnvironment source;
    if (!source.fillWorkTable(*gConnection, estimateId) ||
        !source.rptMain_Grouping(*gConnection, estimateId))
        return fail(source.lastError());
    const CompanyDetails company =
        gSettings ? CompanyDetails::fromSettings(*gSettings) : CompanyDetails{};
    DataReport1 report(source, company);
    report.DataReport_Initialize();
    if (report.logoFailed())
        warnLogoOnce(company.logoPath);
    const QuoteHeader& header = source.data().header;
    return LaidOutQuote{report.layout(QDate::currentDate()), report.ExportFormats(),
                        quoteFileBaseName(header.quoteNumber, header.customer.name)};
}
} // namespace

QString printQuoteErrorText(const DbError& error) {
    return QStringLiteral("%1 - %2 - %3 - %4 - %5")
        .arg(QString::number(error.number), error.description, QString(),
             QStringLiteral("Plenwick"), QStringLiteral("0"));
}

void showQuotePreview(int estimateId, QWidget* parent) {
    const std::optional<LaidOutQuote> quote = layOutQuote(estimateId);
    if (!quote)
        return;
    QuotePreview preview(quote->layout, quote->formats, quote->baseName, parent);
    preview.exec();
}

void exportQuote(int estimateId, QWidget* parent) {
    if (const std::optional<LaidOutQuote> quote = layOutQuote(estimateId))
        exportQuoteAs(quote->layout, quote->formats, quote->baseName, parent);
}
