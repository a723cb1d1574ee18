#include "app/batchcommands.h"

#include "app/commandline.h"
#include "app/startup.h"
#include "data/backup.h"
#include "data/database.h"
#include "data/partialfile.h"
#include "data/textcut.h"
#include "pricelist/core/import.h"
#include "pricelist/mappingmemory.h"
#include "report/quotedata.h"
#include "report/quotefile.h"
#include "settings/openconnection.h"
#include "settings/registry.h"
#include "settings/settingsstore.h"
#include "widgets/messagebox.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextStream>
#include <algorithm>

namespace {

QTextStream& out() {
    return commandOut();
}

QTextStream& err() {
    return commandErr();
}

// The program's objects over the database a command names, with every message box said on
// stderr instead.
class BatchSession {
public:
    explicit BatchSession(QString database)
        : m_previous(setMessageHandler([](const MessageRequest& request) {
              // The window's messages carry their numbers; the command line speaks plainly.
              static const QRegularExpression number(QStringLiteral("^-?[0-9]+(: | - )"));
              err() << "plenwick: " << QString(request.text).remove(number) << "\n";
              return QMessageBox::Ok;
          })) {
        if (database.isEmpty()) {
            QString stored;
            if (ReadRegString(QStringLiteral("Dorvane\\PX"), QStringLiteral("DBPath"), stored))
                database = stored.trimmed();
            // As the window does: a stored path too long to be one names the default database.
            if (database.size() > clsSettings::kLongestPath) {
                err() << "plenwick: the stored database path of " << database.size()
                      << " characters was ignored.\n";
                database.clear();
            }
        }
        // A command checks the file before it starts, and copies it before its first write.
        objects.connection.setBackgroundChecks(false);
        m_open = OpenConnection(database, objects.connection);
        if (!m_open)
            err() << "plenwick: the database \"" << elidedPath(QDir::toNativeSeparators(database))
                  << "\" could not be opened.\n";
    }
    ~BatchSession() { setMessageHandler(m_previous); }
    BatchSession(const BatchSession&) = delete;
    BatchSession& operator=(const BatchSession&) = delete;

    bool isOpen() const { return m_open; }
    ProgramObjects objects;

private:
    MessageHandler m_previous;
    bool m_open = false;
};

int failure(const QString& message) {
    err() << "plenwick: " << message << "\n";
    err().flush();
    return kExitFailure;
}

// Text from a file as the terminal should show it: control characters written as escapes
// (\x1b, \u0085), so that a crafted cell cannot clear the screen or retitle the window.
QString printable(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            shown += c;
        else if (c.unicode() < 0x80)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return shown;
}

// The key of the supplier with this name (compared without regard to case), or 0.
qint64 supplierNamed(Database& db, const QString& name) {
    Statement find(db, QStringLiteral("SELECT SuppliersID FROM SuppliersTBL "
                                      "WHERE TRIM(Company) = TRIM(?) COLLATE NOCASE"));
    find.bindAll({name});
    return find.next() ? find.integer(0) : 0;
}

// Exit status 2, having said so, when a file the command is to write would overwrite the
// database or what keeps it safe; 0 when the file may be written.
int refusedTarget(Connection& connection, const QString& option, const QString& path) {
    const QString reason = databaseFileReason(connection.databasePath(), path);
    if (reason.isEmpty())
        return 0;
    err() << "plenwick: " << option << " \"" << elidedPath(QDir::toNativeSeparators(path))
          << "\" was refused: " << reason << ". Name another file; nothing was written.\n";
    err().flush();
    return kExitUsage;
}

} // namespace

int exportQuoteCommand(const QString& reference, const QString& output, const QString& database) {
    BatchSession session(database);
    if (!session.isOpen())
        return kExitFailure;
    if (const int refused =
            refusedTarget(session.objects.connection, QStringLiteral("--output"), output))
        return refused;
    clsSettings& settings = session.objects.settings;
    if (const DbError company = settings.LoadCompany(); company.isSet())
        err() << "plenwick: the company details could not be read (" << company.description
              << "); the quote is printed without them.\n";
    QString error;
    QString warning;
    const bool written =
        exportQuoteFile(session.objects.connection, CompanyDetails::fromSettings(settings),
                        reference, output, &error, &warning);
    if (!warning.isEmpty())
        err() << "plenwick: " << warning << "\n";
    return written ? 0 : failure(error);
}

int importPriceListCommand(const PriceListCommand& command) {
    BatchSession session(command.database);
    if (!session.isOpen())
        return kExitFailure;
    Connection& connection = session.objects.connection;
    if (!command.report.isEmpty())
        if (const int refused =
                refusedTarget(connection, QStringLiteral("--report"), command.report))
            return refused;
    const qint64 supplier = supplierNamed(connection.database(), command.supplier);
    if (supplier == 0)
        return failure(QStringLiteral("no supplier is named \"%1\"; add it on the Materials "
                                      "screen first.")
                           .arg(command.supplier));
    QString readError;
    const std::optional<PriceListTable> table = readPriceList(command.file, &readError);
    if (!table)
        return failure(QStringLiteral("\"%1\" could not be read: %2")
                           .arg(QDir::toNativeSeparators(command.file), printable(readError)));
    if (table->rows.size() < 2)
        return failure(QStringLiteral("\"%1\" holds no price rows.")
                           .arg(QDir::toNativeSeparators(command.file)));
    PreviewOptions options;
    options.supplierId = supplier;
    options.mapping = rememberedMapping(command.supplier, table->rows.first().cells());
    if (!options.mapping.isComplete()) {
        // The header's names, without the empty cells of a row that reaches far to the right.
        QStringList names = table->rows.first().texts();
        names.removeAll(QString());
        return failure(QStringLiteral("the columns of the part number and the unit cost are not "
                                      "recognised among \"%1\"; import the list once in the "
                                      "program to choose them.")
                           .arg(printable(names.join(QStringLiteral("\", \"")))));
    }
    PriceListPreview preview;
    DbError error;
    if (!previewPriceList(connection, *table, options, &preview, &error))
        return failure(error.description);

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    // A part number the catalogue lists under another supplier is that supplier's material: it
    // is never added from here, so it is not counted among the new ones.
    const auto elsewhere =
        std::count_if(preview.added.cbegin(), preview.added.cend(),
                      [](const NewMaterialRow& row) { return !row.isToBeAdded(); });
    out() << printable(table->description) << ": " << english.toString(preview.rows) << " rows\n"
          << "  price changes  " << english.toString(preview.changed.size()) << "\n"
          << "  unchanged      " << english.toString(preview.unchanged) << "\n"
          << "  new materials  " << english.toString(preview.added.size() - elsewhere)
          << (command.addNew ? "" : " (not added without --add-new)") << "\n";
    if (elsewhere > 0)
        out() << "  listed under another supplier  " << english.toString(elsewhere)
              << " (not added)\n";
    out() << "  refused        " << english.toString(preview.refused.size()) << "\n";
    for (const RefusedRow& r : preview.refused)
        out() << "row " << r.row << ", " << r.column << " \"" << printable(r.value)
              << "\": " << printable(r.reason) << "\n";
    int leftOut = int(preview.refused.size());
    if (command.dryRun) {
        out() << "Dry run: nothing was changed.\n";
        out().flush();
        return leftOut == 0 ? 0 : kExitFailure;
    }
    // The same dated copy the window makes before its first write of the day.
    DailyBackup daily(connection.databasePath());
    if (!daily.beforeWrite(connection.database()))
        err() << "plenwick: no backup of the database could be made before the import ("
              << daily.lastError() << "); the import goes ahead.\n";
    ApplyOptions apply;
    apply.supplierId = supplier;
    apply.addNew = command.addNew;
    apply.createMissingNames = command.addNew;
    ApplyResult result;
    if (!applyPriceList(connection, preview, apply, &result, &error))
        return failure(QStringLiteral("nothing was changed: ") + printable(error.description));
    for (const AppliedChange& c : result.changes)
        if (c.kind == AppliedChange::NotAdded || c.kind == AppliedChange::ChangedMeanwhile) {
            ++leftOut;
            out() << "row " << c.row << ", "
                  << (c.kind == AppliedChange::NotAdded ? "not added" : "left as it was") << ": "
                  << printable(c.note) << "\n";
        }
    out() << "Changed " << english.toString(result.priceChanges) << " prices, added "
          << english.toString(result.added) << " materials.\n";
    out().flush();
    if (!command.report.isEmpty()) {
        QString reason;
        if (!writeWholeFile(command.report, changeReportCsv(result), &reason))
            return failure(QStringLiteral("the change report \"%1\" could not be written: %2")
                               .arg(QDir::toNativeSeparators(command.report), reason));
    }
    return leftOut == 0 ? 0 : kExitFailure;
}
