#include "report/printquote.h"

#include "data/connection.h"
#include "data/globals.h"
#include "report/datareport.h"
#include "report/quotepreview.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"

#include <QDir>
#include <QSet>

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
} // namespace

QString printQuoteErrorText(const DbError& error) {
    return QStringLiteral("%1 - %2 - %3 - %4 - %5")
        .arg(QString::number(error.number), error.description, QString(),
             QStringLiteral("Plenwick"), QStringLiteral("0"));
}

void showQuotePreview(int estimateId, QWidget* parent) {
    auto fail = [](const DbError& error) {
        showMessage(printQuoteErrorText(error), QMessageBox::Ok, QMessageBox::Critical,
                    QStringLiteral("PrintQuote"));
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
    const ReportLayout layout = report.layout(QDate::currentDate());
    const QString name = QStringLiteral("Estimate %1").arg(source.data().header.quoteNumber);
    QuotePreview preview(layout, report.ExportFormats(), name, parent);
    preview.exec();
}
