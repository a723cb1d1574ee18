#include "app/backupcommands.h"

#include "app/restoredialog.h"
#include "data/backup.h"
#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "settings/openconnection.h"
#include "widgets/filedialog.h"
#include "widgets/messagebox.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kBackUpTitle = QStringLiteral("Back Up Database");
const QString kRestoreTitle = QStringLiteral("Restore From Backup");

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
                          .arg(QFileInfo(gConnection->databasePath()).completeBaseName(),
                               QDate::currentDate().toString(Qt::ISODate)));
    request.filter = QStringLiteral("Plenwick database (*.mdb);;All files (*)");
    request.defaultSuffix = QStringLiteral("mdb");
    const QString target = askForFileName(request, parent);
    if (target.isEmpty())
        return;
    QString error;
    if (!backupTo(gConnection->database(), target, &error)) {
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
