#include "data/backup.h"

#include "data/database.h"
#include "data/partialfile.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {
const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

BackupClock& installedClock() {
    static BackupClock clock;
    return clock;
}

QDateTime now() {
    const BackupClock& clock = installedClock();
    return clock ? clock() : QDateTime::currentDateTime();
}

bool sameFile(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// A free name for a copy made at made: a second copy within the same second takes the next one.
QString datedPath(const QString& databasePath, const QDateTime& made = now()) {
    const QDir folder(backupFolder(databasePath));
    const QString base = QFileInfo(databasePath).completeBaseName();
    for (QDateTime when = made;; when = when.addSecs(1)) {
        const QString path =
            folder.filePath(QStringLiteral("%1-%2.mdb").arg(base, when.toString(kStampFormat)));
        if (!QFileInfo::exists(path))
            return path;
    }
}

// Removes the oldest copies beyond kKeptBackups, and what a copy interrupted an hour or more ago
// (the program was killed while writing it) left behind.
void removeOldest(const QString& databasePath) {
    const QList<BackupFile> backups = listBackups(databasePath);
    for (qsizetype i = kKeptBackups; i < backups.size(); ++i)
        QFile::remove(backups.at(i).path);
    const QDir folder(backupFolder(databasePath));
    const QDateTime abandoned = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo& left :
         folder.entryInfoList({QStringLiteral(".*.partial-*")}, QDir::Files | QDir::Hidden))
        if (left.lastModified() < abandoned)
            QFile::remove(left.filePath());
}

QString soundStampPath(const QString& databasePath) {
    return QDir(backupFolder(databasePath))
        .filePath(QStringLiteral(".%1.sound").arg(QFileInfo(databasePath).fileName()));
}

QByteArray fileStamp(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(28); // the change counter is at offset 24
    if (header.size() < 28)
        return {};
    const QFileInfo info(path);
    return now().date().toString(Qt::ISODate).toLatin1() + ' ' + QByteArray::number(info.size()) +
           ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + ' ' +
           header.mid(24, 4).toHex();
}

// Copies a file byte for byte, whole or not at all; the copy takes the permissions of the file
// at permissionsOf, when one is named.
bool copyFile(const QString& source, const QString& target, PartialFile::Existing existing,
              QString* error, const QString& permissionsOf = {}) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Could not read \"%1\": %2").arg(source, in.errorString());
        return false;
    }
    PartialFile partial(target);
    partial.takePermissionsOf(permissionsOf);
    QFile out(partial.temporaryPath());
    if (partial.temporaryPath().isEmpty() || !out.open(QIODevice::WriteOnly)) {
        *error = partial.error().isEmpty() ? out.errorString() : partial.error();
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray block = in.read(1 << 20);
        if (block.isEmpty() || out.write(block) != block.size()) {
            *error = QStringLiteral("Could not write \"%1\": %2").arg(target, out.errorString());
            return false;
        }
    }
    // What is still buffered may not fit on the disk either.
    if (!out.flush()) {
        *error = QStringLiteral("Could not write \"%1\": %2").arg(target, out.errorString());
        return false;
    }
    out.close();
    if (!partial.commit(existing)) {
        *error = partial.error();
        return false;
    }
    return true;
}
// Why the file at path could not serve as the database, or an empty text: the checks the
// program's connection makes of a file before it uses it.
QString unfitBackup(const QString& path) {
    Database db;
    if (!db.open(path))
        return db.error().description;
    if (Statement probe(db, QStringLiteral("PRAGMA schema_version")); !probe.execute())
        return QStringLiteral("it is not a database.");
    if (const QString damage = db.damage(); !damage.isEmpty())
        return QStringLiteral("it is damaged (%1).").arg(damage.left(500));
    if (!Schema::isProgramFile(db))
        return QStringLiteral("it is not a Plenwick database.");
    if (Schema::fileStructure(db) > Schema::kStructureVersion)
        return QStringLiteral("it was made by a newer version of Plenwick.");
    if (const QStringList strangers = Schema::foreignObjects(db); !strangers.isEmpty())
        return QStringLiteral("it holds things this program did not put there (%1).")
            .arg(strangers.join(QStringLiteral(", ")));
    Statement info(db, QStringLiteral("SELECT Name, Value FROM DatabaseInfo WHERE Name IN "
                                      "('PasswordSalt', 'PasswordVerifier')"));
    QString salt;
    QString verifier;
    while (info.next())
        (info.value(0).toString() == QLatin1String("PasswordSalt") ? salt : verifier) =
            info.value(1).toString();
    if (verifier.isEmpty() ||
        Schema::passwordVerifier(salt, Schema::databasePassword()) != verifier)
        return QStringLiteral("it does not carry this program's password.");
    return {};
}
} // namespace

void setBackupClock(BackupClock clock) {
    installedClock() = std::move(clock);
}

namespace {
// Copies source to target, whole or not at all, by copy (one step, or several).
bool copyDatabase(Database& source, const QString& target, QString* error,
                  const std::function<bool()>& goOn) {
    if (sameFile(source.fileName(), target)) {
        *error = QStringLiteral("\"%1\" is the database itself; choose another file for the "
                                "backup.")
                     .arg(QDir::toNativeSeparators(target));
        return false;
    }
    PartialFile partial(target);
    if (partial.temporaryPath().isEmpty()) {
        *error = partial.error();
        return false;
    }
    partial.takePermissionsOf(source.fileName());
    {
        Database copy;
        if (!copy.open(partial.temporaryPath(), Database::OpenMode::Create)) {
            *error = copy.error().description;
            return false;
        }
        if (!(goOn ? source.copyInSteps(copy, goOn, error) : source.copyTo(copy, error)))
            return false;
    }
    if (!partial.commit(PartialFile::Existing::Replace)) {
        *error = partial.error();
        return false;
    }
    return true;
}

bool makeDatedCopy(Database& source, const QString& databasePath, const QDateTime& made,
                   const std::function<bool()>& goOn, QString* error, QString* path) {
    if (!makeFolderFor(backupFolder(databasePath), databasePath)) {
        *error = QStringLiteral("Could not create the folder \"%1\".")
                     .arg(QDir::toNativeSeparators(backupFolder(databasePath)));
        return false;
    }
    const QString target = datedPath(databasePath, made);
    if (!copyDatabase(source, target, error, goOn))
        return false;
    removeOldest(databasePath);
    if (path)
        *path = target;
    return true;
}
} // namespace

bool backupTo(Database& source, const QString& target, QString* error) {
    return copyDatabase(source, target, error, {});
}

QString backupFolder(const QString& databasePath) {
    return QFileInfo(databasePath).dir().filePath(QStringLiteral("backups"));
}

QList<BackupFile> listBackups(const QString& databasePath) {
    const QString base = QFileInfo(databasePath).completeBaseName();
    const QRegularExpression name(
        QStringLiteral("^%1-(\\d{8}-\\d{6})\\.mdb$").arg(QRegularExpression::escape(base)));
    const QDir folder(backupFolder(databasePath));
    QList<BackupFile> backups;
    for (const QString& file : folder.entryList({base + QStringLiteral("-*.mdb")}, QDir::Files)) {
        const auto match = name.match(file);
        if (!match.hasMatch())
            continue;
        const QDateTime made = QDateTime::fromString(match.captured(1), kStampFormat);
        if (made.isValid())
            backups.append({folder.filePath(file), made});
    }
    std::sort(backups.begin(), backups.end(),
              [](const BackupFile& a, const BackupFile& b) { return a.made > b.made; });
    return backups;
}

bool makeDatedBackup(Database& source, const QString& databasePath, QString* error, QString* made) {
    return makeDatedCopy(source, databasePath, now(), {}, error, made);
}

bool makeDatedBackupInSteps(const QString& databasePath, const QDateTime& made,
                            const std::function<bool()>& goOn, QString* error) {
    // Waits for another program's lock only while the copy is wanted.
    WhileObserver whileWanted(goOn);
    Database source;
    source.setWaitObserver(&whileWanted);
    if (!source.open(databasePath, Database::OpenMode::ReadOnly)) {
        *error = source.error().description;
        return false;
    }
    return makeDatedCopy(source, databasePath, made, goOn, error, nullptr);
}

QDateTime backupClockNow() {
    return now();
}

bool isCopiedOn(const QString& databasePath, const QDate& day) {
    const QList<BackupFile> backups = listBackups(databasePath);
    return !backups.isEmpty() && backups.first().made.date() == day;
}

bool restoreBackup(const QString& databasePath, const QString& backupPath, QString* error) {
    if (!QFileInfo(backupPath).isFile()) {
        *error =
            QStringLiteral("The backup \"%1\" is gone.").arg(QDir::toNativeSeparators(backupPath));
        return false;
    }
    // A copy that could not be used is not put in place of one that perhaps could.
    if (const QString unfit = unfitBackup(backupPath); !unfit.isEmpty()) {
        *error = QStringLiteral("The backup \"%1\" cannot take the database's place: %2")
                     .arg(QDir::toNativeSeparators(backupPath), unfit);
        return false;
    }
    // The current file is kept first, whatever state it is in.
    if (QFileInfo::exists(databasePath)) {
        if (!makeFolderFor(backupFolder(databasePath), databasePath) ||
            !copyFile(databasePath, datedPath(databasePath), PartialFile::Existing::Refuse, error,
                      databasePath))
            return false;
    }
    // A journal left beside the old file belongs to it, never to the copy put in its place.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(databasePath + QLatin1String(suffix));
    if (!copyFile(backupPath, databasePath, PartialFile::Existing::Replace, error))
        return false;
    removeOldest(databasePath);
    return true;
}

QString databaseFileReason(const QString& databasePath, const QString& path) {
    // The file named may not exist yet: its folder is resolved, and the name put back.
    const auto resolved = [](const QString& file) {
        const QFileInfo info(file);
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return folder.isEmpty() ? QString() : QDir(folder).filePath(info.fileName());
    };
    const QString database = QFileInfo(databasePath).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString target = canonical.isEmpty() ? resolved(path) : canonical;
    if (database.isEmpty() || target.isEmpty())
        return {};
    if (target == database)
        return QStringLiteral("it is the database itself");
    for (const char* suffix : {"-journal", "-wal", "-shm", "-users"})
        if (target == resolved(database + QLatin1String(suffix)))
            return QStringLiteral("it is the database's companion file \"%1\"")
                .arg(QLatin1String(suffix));
    const QString backups = QFileInfo(backupFolder(database)).canonicalFilePath();
    if (!backups.isEmpty() && target.startsWith(backups + QLatin1Char('/')))
        return QStringLiteral("it is in the database's backup folder");
    return {};
}

void rememberSoundFile(const QString& databasePath) {
    const QByteArray stamp = fileStamp(databasePath);
    QFile file(soundStampPath(databasePath));
    if (stamp.isEmpty() || !makeFolderFor(backupFolder(databasePath), databasePath) ||
        !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(stamp);
}

bool isAsLeftSound(const QString& databasePath) {
    QFile file(soundStampPath(databasePath));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stamp = fileStamp(databasePath);
    const bool same = !stamp.isEmpty() && file.readAll() == stamp;
    file.close();
    // A crash while the file is open must not find it still taken as sound.
    file.remove();
    return same;
}

bool DailyBackup::beforeWrite(Database& database) {
    const QDate today = now().date();
    if (m_checked == today)
        return true;
    if (database.isWriting())
        return true;   // what is written is not committed yet: the next write tries again
    m_checked = today; // one attempt a day, so a full disk does not slow every write
    if (isCopiedOn(m_path, today))
        return true;
    m_error.clear();
    return makeDatedBackup(database, m_path, &m_error);
}
