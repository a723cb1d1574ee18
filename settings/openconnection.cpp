#include "settings/openconnection.h"

#include "data/backup.h"
#include "data/connection.h"
#include "data/formats.h"
#include "data/globals.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "widgets/messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

Connection* gConnection = nullptr;
Connection* gTestConnection = nullptr;
QString gConnectionString;
int gCurrentEstimateID = 0;

namespace {
const QString kDatabaseFileName = QStringLiteral("Estimating.mdb");

// A folder that keeps the user's database: the user can write it, a build does not remove it,
// and it belongs to the program alone.
bool keepsTheDatabase(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable())
        return false;
    if (info.fileName().compare(QStringLiteral("bin"), Qt::CaseInsensitive) == 0)
        return false;
    return !QFileInfo::exists(QDir(folder).filePath(QStringLiteral("CMakeCache.txt")));
}
} // namespace

QString userDataFolder() {
    // The store's names, whatever the running program calls itself (message titles use its
    // application name).
    const QString organisation = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(QStringLiteral("Dorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("PX"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setOrganizationName(organisation);
    QCoreApplication::setApplicationName(application);
    return folder;
}

QString defaultDatabasePath(const QString& programFolder) {
    if (keepsTheDatabase(programFolder))
        return QDir(programFolder).filePath(kDatabaseFileName);
    const QString folder = userDataFolder();
    QDir().mkpath(folder);
    return QDir(folder).filePath(kDatabaseFileName);
}

QString defaultDatabasePath() {
    return defaultDatabasePath(QCoreApplication::applicationDirPath());
}

namespace {
// A damaged file with a backup beside it: offers to put the newest backup in its place (the
// damaged file is kept among the backups) and opens it. False when nothing was restored.
bool restoreNewestBackup(const QString& path, Connection& connection) {
    if (connection.lastError().nativeError != ErrorNumber::kDamagedFile)
        return false;
    const QList<BackupFile> backups = listBackups(path);
    if (backups.isEmpty())
        return false;
    const QString question =
        connection.lastError().description +
        QStringLiteral("\n\nRestore the newest backup, made %1? The damaged file is kept "
                       "among the backups.")
            .arg(formatGeneralDate(backups.first().made));
    if (showMessage(question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning,
                    QStringLiteral("Damaged Database")) != QMessageBox::Yes)
        return false;
    QString error;
    if (!restoreBackup(path, backups.first().path, &error)) {
        ShowError(error, QStringLiteral("Restore From Backup"));
        return false;
    }
    return connection.open();
}
} // namespace

bool OpenConnection(QString& path, Connection& connection) {
    bool result = true;
    if (path.isEmpty())
        path = QDir::toNativeSeparators(defaultDatabasePath());
    gConnectionString = Connection::buildConnectionString(path, Schema::databasePassword());
    connection.setConnectionString(gConnectionString);
    connection.setIsolationLevel(256);
    bool opened = connection.open();
    bool readable = opened && CheckDatabaseStructure(connection);
    // Categories that cannot be read, on a file whose check is left to the background, may be
    // damage: the file is checked there and then, and a damaged one named as such.
    if (opened && !readable && connection.isCheckingInBackground() &&
        !connection.checkStructureNow())
        opened = false;
    if (!opened && !restoreNewestBackup(path, connection)) {
        result = false;
        ShowError(connection.lastError().text(), QStringLiteral(" clsSetting / OpenConnection"));
    }
    if (connection.state() == Connection::Closed)
        return false;
    if (!opened) // the newest backup, put in place of the file
        readable = CheckDatabaseStructure(connection);
    if (!readable) {
        connection.close();
        result = false;
        ShowError(QStringLiteral("Invalid Database Structure"), QStringLiteral("OpenConnection"));
    }
    return result;
}

bool TryOpenConnection(QString& path, Connection& trial) {
    const QString inUse = gConnectionString;
    const bool opened = OpenConnection(path, trial);
    gConnectionString = inUse;
    trial.close();
    return opened;
}

bool CheckDatabaseStructure(Connection& connection) {
    RecordSet probe;
    const bool ok = probe.open(connection, QStringLiteral("SELECT * FROM CatagoryTBL"));
    probe.close();
    return ok;
}
