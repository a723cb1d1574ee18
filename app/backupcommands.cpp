#include "app/backupcommands.h"

#include "app/restoredialog.h"
#include "data/backup.h"
#include "data/connection.h"
#include "data/databasecopy.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/sqldialect.h"
#include "settings/openconnection.h"
#include "settings/serverlogin.h"
#include "widgets/filedialog.h"
#include "widgets/messagebox.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QStandardPaths>

namespace {
const QString kBackUpTitle = QStringLiteral("Back Up Database");
const QString kRestoreTitle = QStringLiteral("Restore From Backup");
const QString kCopyTitle = QStringLiteral("Copy Database");

bool onServer() {
    return gConnection && gConnection->isOpen() && gConnection->database().isServer();
}

// Copies the open database row by row, with a progress window the user may stop. True when
// the copy is complete; the reason is shown otherwise.
bool copyWithProgress(const QString& to, const QString& title, QWidget* parent,
                      DatabaseCopy::Summary* summary) {
    QProgressDialog progress(QStringLiteral("Copying the database..."), QStringLiteral("Stop"), 0,
                             1000, parent);
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    QString error;
    const bool copied = DatabaseCopy::copy(
        gConnection->databasePath(), to, &error, summary, [&progress](qint64 done, qint64 total) {
            progress.setValue(total > 0 ? int(done * 1000 / total) : 1000);
            return !progress.wasCanceled();
        });
    progress.reset();
    if (!copied)
        ShowError(QStringLiteral("No copy was made.\n\n") + error, title);
    return copied;
}

// A file copy of a database on a server, by the same path as Copy Database: the copy is made
// beside the chosen file and put in its place only once complete.
bool backUpServer(const QString& target, QWidget* parent) {
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    DatabaseCopy::Summary summary;
    if (!copyWithProgress(partial, kBackUpTitle, parent, &summary))
        return false;
    if ((QFile::exists(target) && !QFile::remove(target)) || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        ShowError(QStringLiteral("No backup was made: \"%1\" could not be replaced.")
                      .arg(QDir::toNativeSeparators(target)),
                  kBackUpTitle);
        return false;
    }
    return true;
}

bool databaseOpen(const QString& title) {
    if (gConnection && gConnection->isOpen())
        return true;
    ShowError(QStringLiteral("No database is open."), title);
    return false;
}
} // namespace

void BackUpDatabase(QWidget* parent) {
    if (!databaseOpen(kBackUpTitle))
        return;
    FileDialogRequest request;
    request.mode = FileDialogRequest::Save;
    request.title = kBackUpTitle;
    request.folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.fileName =
        QDir(request.folder)
            .filePath(QStringLiteral("%1-%2.mdb")
                          .arg(onServer()
                                   ? QStringLiteral("Plenwick")
                                   : QFileInfo(gConnection->databasePath()).completeBaseName(),
                               QDate::currentDate().toString(Qt::ISODate)));
    request.filter = QStringLiteral("Plenwick database (*.mdb);;All files (*)");
    request.defaultSuffix = QStringLiteral("mdb");
    const QString target = askForFileName(request, parent);
    if (target.isEmpty())
        return;
    QString error;
    if (onServer()) {
        if (!backUpServer(target, parent))
            return;
    } else if (!backupTo(gConnection->database(), target, &error)) {
        ShowError(QStringLiteral("No backup was made.\n\n") + error, kBackUpTitle);
        return;
    }
    showMessage(QStringLiteral("The database was backed up to \"%1\".")
                    .arg(QDir::toNativeSeparators(target)),
                QMessageBox::Ok, QMessageBox::Information, kBackUpTitle);
}

void RestoreFromBackup(QWidget* parent, const std::function<bool()>& leaveGuard,
                       const std::function<void()>& reload) {
    if (!databaseOpen(kRestoreTitle))
        return;
    if (onServer()) {
        showMessage(QStringLiteral("A database on a server is restored with the server's own "
                                   "tools, by its administrator. A backup file made with Back Up "
                                   "Database can be opened as a file, or copied into an empty "
                                   "server database with Copy Database To...."),
                    QMessageBox::Ok, QMessageBox::Information, kRestoreTitle);
        return;
    }
    const QList<BackupFile> backups = listBackups(gConnection->databasePath());
    RestoreDialog dialog(backups, parent);
    QObject::connect(&dialog, &RestoreDialog::restoreRequested, &dialog, [&](int index) {
        if (RestoreDatabase(backups.at(index), leaveGuard, reload))
            dialog.accept();
    });
    dialog.exec();
}

bool RestoreDatabase(const BackupFile& backup, const std::function<bool()>& leaveGuard,
                     const std::function<void()>& reload) {
    if (!databaseOpen(kRestoreTitle) || (leaveGuard && !leaveGuard()))
        return false;
    const QString question =
        QStringLiteral("Replace the database with the backup made %1?\n\nEverything entered "
                       "since then is replaced. The database as it is now is kept among the "
                       "backups.")
            .arg(formatGeneralDate(backup.made));
    if (showMessage(question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question,
                    kRestoreTitle) != QMessageBox::Yes)
        return false;
    QString path = gConnection->databasePath();
    gConnection->close();
    QString error;
    const bool restored = restoreBackup(path, backup.path, &error);
    if (!restored)
        ShowError(QStringLiteral("The backup was not restored; the database is as it was.\n\n") +
                      error,
                  kRestoreTitle);
    OpenConnection(path, *gConnection);
    if (reload)
        reload();
    return restored;
}

void CopyDatabaseTo(QWidget* parent) {
    if (!databaseOpen(kCopyTitle))
        return;
    bool ok = false;
    const QString to =
        QInputDialog::getText(parent, kCopyTitle,
                              QStringLiteral("Copy every row of this database to a new file (its "
                                             "path),\nor to an empty database on a server (its "
                                             "address, postgresql://host/dbname):"),
                              QLineEdit::Normal, QString(), &ok)
            .trimmed();
    if (!ok || to.isEmpty() || !askServerPasswordIfNeeded(to, parent))
        return;
    DatabaseCopy::Summary summary;
    if (!copyWithProgress(to, kCopyTitle, parent, &summary))
        return;
    showMessage(QStringLiteral("Copied %1 rows of %2 tables to %3; the row counts and the sums of "
                               "the amounts match.\n\nTo work in the copy, name it in Tools > "
                               "Preferences, Database.")
                    .arg(QLocale().toString(summary.rows))
                    .arg(summary.tables)
                    .arg(SqlDialect::shownAddress(to)),
                QMessageBox::Ok, QMessageBox::Information, kCopyTitle);
}
